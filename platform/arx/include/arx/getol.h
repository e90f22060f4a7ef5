// Geometric tolerances: AcGeTol and the global AcGeContext::gTol.
//
// Models: equalPoint (two points are equal when closer than it) and equalVector (two unit
// vectors are equal when their difference is shorter than it), both 1e-10 by default.
// Limitations: AcGeContext::gTol is read-only here (a constant), so no test can leave a
// changed global tolerance behind; pass an AcGeTol explicitly where another one is needed.
#pragma once

class AcGeTol {
 public:
  constexpr AcGeTol() = default;
  constexpr AcGeTol(double equalPoint, double equalVector) : point_(equalPoint), vector_(equalVector) {}

  constexpr double equalPoint() const { return point_; }
  constexpr double equalVector() const { return vector_; }
  void setEqualPoint(double v) { point_ = v; }
  void setEqualVector(double v) { vector_ = v; }

 private:
  double point_ = 1e-10;
  double vector_ = 1e-10;
};

struct AcGeContext {
  static constexpr AcGeTol gTol{};
};
