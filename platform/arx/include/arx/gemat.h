// Matrices of the geometry library: AcGeMatrix3d (4x4 affine), AcGeMatrix2d (3x3 affine) and
// AcGeScale3d, plus the plane <-> world matrices of the arbitrary-axis algorithm.
//
// Models: matrices act on column vectors (p' = M * p), so A * B applies B first. An entity's
// object coordinate system (OCS) for a normal N follows the arbitrary-axis algorithm of the
// drawing format: when |N.x| and |N.y| are both below 1/64 the OCS X axis is (0,1,0) x N,
// otherwise (0,0,1) x N; Y = N x X. For N = (0,0,-1) that gives X = (-1,0,0), Y = (0,1,0).
// planeToWorld(N) maps OCS coordinates to world coordinates, worldToPlane(N) the reverse.
// Limitations: no projections or perspective; inverse() of a singular matrix returns the
// identity (check isSingular() first).
#pragma once

#include "arx/gept.h"
#include "arx/gevec.h"

class AcGeScale3d {
 public:
  constexpr AcGeScale3d() = default;
  constexpr explicit AcGeScale3d(double s) : sx(s), sy(s), sz(s) {}
  constexpr AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}

  static const AcGeScale3d kIdentity;

  AcGeScale3d operator*(double f) const { return {sx * f, sy * f, sz * f}; }
  AcGeScale3d operator*(const AcGeScale3d& o) const { return {sx * o.sx, sy * o.sy, sz * o.sz}; }
  bool operator==(const AcGeScale3d& o) const { return isEqualTo(o); }
  bool operator!=(const AcGeScale3d& o) const { return !isEqualTo(o); }
  bool isEqualTo(const AcGeScale3d& o, const AcGeTol& tol = AcGeContext::gTol) const;
  // True when |sx|, |sy| and |sz| agree within tol.
  bool isProportional(const AcGeTol& tol = AcGeContext::gTol) const;
  AcGeScale3d& set(double x, double y, double z) { sx = x; sy = y; sz = z; return *this; }

  double sx = 1.0;
  double sy = 1.0;
  double sz = 1.0;
};

class AcGeMatrix2d {
 public:
  constexpr AcGeMatrix2d() : entry{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}} {}

  static const AcGeMatrix2d kIdentity;

  static AcGeMatrix2d translation(const AcGeVector2d& v);
  static AcGeMatrix2d rotation(double angle, const AcGePoint2d& center = AcGePoint2d::kOrigin);
  static AcGeMatrix2d scaling(double factor, const AcGePoint2d& center = AcGePoint2d::kOrigin);
  // Reflection in the line through point along direction.
  static AcGeMatrix2d mirroring(const AcGePoint2d& point, const AcGeVector2d& direction);

  AcGeMatrix2d operator*(const AcGeMatrix2d& m) const;
  AcGeMatrix2d& operator*=(const AcGeMatrix2d& m) { return *this = *this * m; }
  AcGeMatrix2d& preMultBy(const AcGeMatrix2d& left) { return *this = left * *this; }
  AcGeMatrix2d& postMultBy(const AcGeMatrix2d& right) { return *this = *this * right; }
  double det() const;
  AcGeMatrix2d inverse() const;
  bool isSingular(const AcGeTol& tol = AcGeContext::gTol) const;
  // True for rotations, reflections and uniform scalings (plus translation).
  bool isUniScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;
  // Length of the image of a unit X vector (the factor of a uniform scaling).
  double scale() const;
  AcGeVector2d translation() const { return {entry[0][2], entry[1][2]}; }
  bool isEqualTo(const AcGeMatrix2d& m, const AcGeTol& tol = AcGeContext::gTol) const;
  bool operator==(const AcGeMatrix2d& m) const { return isEqualTo(m); }

  // entry[row][col]; the last row is (0, 0, 1).
  double entry[3][3];
};

class AcGeMatrix3d {
 public:
  constexpr AcGeMatrix3d() : entry{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}

  static const AcGeMatrix3d kIdentity;

  static AcGeMatrix3d translation(const AcGeVector3d& v);
  static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                               const AcGePoint3d& center = AcGePoint3d::kOrigin);
  static AcGeMatrix3d scaling(double factor, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  static AcGeMatrix3d scaling(const AcGeScale3d& scale, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  // Reflection in the plane through point with the given normal.
  static AcGeMatrix3d mirroring(const AcGePoint3d& point, const AcGeVector3d& planeNormal);
  // OCS -> world and world -> OCS for an entity normal (arbitrary-axis algorithm, see above).
  static AcGeMatrix3d planeToWorld(const AcGeVector3d& normal);
  static AcGeMatrix3d worldToPlane(const AcGeVector3d& normal);
  // Maps the coordinate system (fromOrigin, fromX, fromY, fromZ) onto (toOrigin, toX, ...).
  static AcGeMatrix3d alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromX,
                                    const AcGeVector3d& fromY, const AcGeVector3d& fromZ,
                                    const AcGePoint3d& toOrigin, const AcGeVector3d& toX,
                                    const AcGeVector3d& toY, const AcGeVector3d& toZ);

  AcGeMatrix3d& setToIdentity();
  AcGeMatrix3d& setToTranslation(const AcGeVector3d& v) { return *this = translation(v); }
  AcGeMatrix3d& setToRotation(double angle, const AcGeVector3d& axis,
                              const AcGePoint3d& center = AcGePoint3d::kOrigin) {
    return *this = rotation(angle, axis, center);
  }
  AcGeMatrix3d& setToScaling(double factor, const AcGePoint3d& center = AcGePoint3d::kOrigin) {
    return *this = scaling(factor, center);
  }
  AcGeMatrix3d& setToMirroring(const AcGePoint3d& point, const AcGeVector3d& planeNormal) {
    return *this = mirroring(point, planeNormal);
  }
  AcGeMatrix3d& setToPlaneToWorld(const AcGeVector3d& normal) { return *this = planeToWorld(normal); }
  AcGeMatrix3d& setToWorldToPlane(const AcGeVector3d& normal) { return *this = worldToPlane(normal); }
  // Columns: x, y, z axes and the origin.
  AcGeMatrix3d& setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& x, const AcGeVector3d& y,
                               const AcGeVector3d& z);
  void getCoordSystem(AcGePoint3d& origin, AcGeVector3d& x, AcGeVector3d& y, AcGeVector3d& z) const;

  AcGeMatrix3d operator*(const AcGeMatrix3d& m) const;
  AcGeMatrix3d& operator*=(const AcGeMatrix3d& m) { return *this = *this * m; }
  AcGeMatrix3d& preMultBy(const AcGeMatrix3d& left) { return *this = left * *this; }
  AcGeMatrix3d& postMultBy(const AcGeMatrix3d& right) { return *this = *this * right; }
  double det() const;
  AcGeMatrix3d inverse() const;
  AcGeMatrix3d& invert() { return *this = inverse(); }
  AcGeMatrix3d transpose() const;
  bool isSingular(const AcGeTol& tol = AcGeContext::gTol) const;
  // True when the linear part is a rotation or reflection times a uniform scale.
  bool isUniScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;
  // True when the linear part has mutually perpendicular columns (scales may differ).
  bool isScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;
  // The largest length of the images of the unit axes.
  double scale() const;
  AcGeVector3d translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }
  bool isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol = AcGeContext::gTol) const;
  bool operator==(const AcGeMatrix3d& m) const { return isEqualTo(m); }
  bool operator!=(const AcGeMatrix3d& m) const { return !isEqualTo(m); }

  // entry[row][col]; the last row is (0, 0, 0, 1) for every matrix the stand-in makes.
  double entry[4][4];
};

inline AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
  AcGePoint3d r = p;
  return r.transformBy(m);
}
inline AcGeVector3d operator*(const AcGeMatrix3d& m, const AcGeVector3d& v) {
  AcGeVector3d r = v;
  return r.transformBy(m);
}
inline AcGePoint2d operator*(const AcGeMatrix2d& m, const AcGePoint2d& p) {
  AcGePoint2d r = p;
  return r.transformBy(m);
}
inline AcGeVector2d operator*(const AcGeMatrix2d& m, const AcGeVector2d& v) {
  AcGeVector2d r = v;
  return r.transformBy(m);
}

// The OCS X axis the arbitrary-axis algorithm gives for normal (which need not be unit).
AcGeVector3d acgeOcsXAxis(const AcGeVector3d& normal);
