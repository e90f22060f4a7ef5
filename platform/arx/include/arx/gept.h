// Points of the geometry library: AcGePoint2d and AcGePoint3d.
//
// Models: plain value types; point - point is a vector, point +/- vector a point; distance,
// equality within a tolerance, transformation by matrices.
// Limitations: no projection onto planes (convert2d drops Z).
#pragma once

#include "arx/acarray.h"
#include "arx/gevec.h"

class AcGePoint2d {
 public:
  constexpr AcGePoint2d() = default;
  constexpr AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}

  static const AcGePoint2d kOrigin;

  AcGePoint2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
  AcGePoint2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
  AcGeVector2d operator-(const AcGePoint2d& p) const { return {x - p.x, y - p.y}; }
  AcGePoint2d& operator+=(const AcGeVector2d& v) { x += v.x; y += v.y; return *this; }
  AcGePoint2d& operator-=(const AcGeVector2d& v) { x -= v.x; y -= v.y; return *this; }
  bool operator==(const AcGePoint2d& p) const { return isEqualTo(p); }
  bool operator!=(const AcGePoint2d& p) const { return !isEqualTo(p); }

  double distanceTo(const AcGePoint2d& p) const;
  bool isEqualTo(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const;
  AcGeVector2d asVector() const { return {x, y}; }
  AcGePoint2d& rotateBy(double angle, const AcGePoint2d& center = kOrigin);
  AcGePoint2d& scaleBy(double factor, const AcGePoint2d& center = kOrigin);
  AcGePoint2d& transformBy(const AcGeMatrix2d& m);
  AcGePoint2d& set(double xx, double yy) { x = xx; y = yy; return *this; }

  double x = 0.0;
  double y = 0.0;
};

class AcGePoint3d {
 public:
  constexpr AcGePoint3d() = default;
  constexpr AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

  static const AcGePoint3d kOrigin;

  AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
  AcGePoint3d& operator+=(const AcGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
  AcGePoint3d& operator-=(const AcGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }
  bool operator!=(const AcGePoint3d& p) const { return !isEqualTo(p); }
  double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }

  double distanceTo(const AcGePoint3d& p) const;
  bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const;
  AcGeVector3d asVector() const { return {x, y, z}; }
  AcGePoint3d& transformBy(const AcGeMatrix3d& m);
  AcGePoint3d& rotateBy(double angle, const AcGeVector3d& axis, const AcGePoint3d& center = kOrigin);
  AcGePoint3d& scaleBy(double factor, const AcGePoint3d& center = kOrigin);
  // The X and Y coordinates.
  AcGePoint2d convert2d() const { return {x, y}; }
  AcGePoint3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }

  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

using AcGePoint2dArray = AcArray<AcGePoint2d>;
using AcGePoint3dArray = AcArray<AcGePoint3d>;
