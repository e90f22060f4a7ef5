// B-spline evaluation shared by AcGeNurbCurve2d and AcDbSpline (internal to the stand-in).
#pragma once

#include <array>
#include <vector>

namespace arxdetail {

using NurbsPoint = std::array<double, 3>;

// A B-spline in non-periodic form: knots.size() == cps.size() + degree + 1, weights empty
// (non-rational) or one per control point.
struct NurbsCurve {
  int degree = 0;
  std::vector<double> knots;
  std::vector<NurbsPoint> cps;
  std::vector<double> weights;
};

// Builds the evaluable form of a definition. A periodic definition with n + 1 knots for n
// control points is unrolled (the first `degree` points repeated, the knot spacing continued
// periodically). Returns false when the definition is not evaluable.
bool nurbsPrepare(int degree, const std::vector<double>& knots, const std::vector<NurbsPoint>& cps,
                  const std::vector<double>& weights, bool periodic, NurbsCurve& out);

// Parameter range [knots[degree], knots[n]] of a prepared curve.
void nurbsDomain(const NurbsCurve& c, double& t0, double& t1);

// The point at t (clamped into the domain).
NurbsPoint nurbsEval(const NurbsCurve& c, double t);

}  // namespace arxdetail
