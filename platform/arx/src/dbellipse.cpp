// Ellipses: angles versus parameters, extents, transformation.
#include <cmath>

#include "arx/dbelipse.h"
#include "entity_geom.h"

using arxdetail::kPi;
using arxdetail::kTwoPi;

AcDbEllipse::AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                         double radiusRatio, double startAngle, double endAngle) {
  set(center, unitNormal, majorAxis, radiusRatio, startAngle, endAngle);
}

Acad::ErrorStatus AcDbEllipse::set(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                                   const AcGeVector3d& majorAxis, double radiusRatio, double startAngle,
                                   double endAngle) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (unitNormal.isZeroLength() || majorAxis.isZeroLength() || !(radiusRatio > 0.0) || radiusRatio > 1.0 + 1e-12)
    return Acad::eInvalidInput;
  if (std::fabs(unitNormal.normal().dotProduct(majorAxis.normal())) > 1e-9) return Acad::eInvalidInput;
  center_ = center;
  normal_ = unitNormal.normal();
  majorAxis_ = majorAxis;
  ratio_ = std::fmin(radiusRatio, 1.0);
  setParams(paramAtAngle(startAngle), paramAtAngle(endAngle));
  return Acad::eOk;
}

void AcDbEllipse::setParams(double startParam, double endParam) {
  double s = arxdetail::normalizeAngle(startParam);
  double sweep = arxdetail::normalizeAngle(endParam - startParam);
  // Equal ends (or a whole turn) make the full ellipse.
  if (sweep < 1e-12) sweep = kTwoPi;
  startParam_ = s;
  endParam_ = s + sweep;
}

Acad::ErrorStatus AcDbEllipse::setCenter(const AcGePoint3d& c) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  center_ = c;
  return Acad::eOk;
}

AcGeVector3d AcDbEllipse::minorAxis() const { return normal_.crossProduct(majorAxis_) * ratio_; }

Acad::ErrorStatus AcDbEllipse::setRadiusRatio(double ratio) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(ratio > 0.0) || ratio > 1.0) return Acad::eInvalidInput;
  // The angles stay where they were; the parameters follow the new ratio.
  double a0 = startAngle(), a1 = endAngle();
  bool full = isClosed();
  ratio_ = ratio;
  if (full)
    setParams(startParam_, startParam_);
  else
    setParams(paramAtAngle(a0), paramAtAngle(a1));
  return Acad::eOk;
}

double AcDbEllipse::paramAtAngle(double angle) const {
  double turns = std::floor(angle / kTwoPi);
  double base = arxdetail::normalizeAngle(std::atan2(std::sin(angle), ratio_ * std::cos(angle)));
  return base + turns * kTwoPi;
}

double AcDbEllipse::angleAtParam(double param) const {
  double turns = std::floor(param / kTwoPi);
  double base = arxdetail::normalizeAngle(std::atan2(ratio_ * std::sin(param), std::cos(param)));
  return base + turns * kTwoPi;
}

double AcDbEllipse::startAngle() const { return arxdetail::normalizeAngle(angleAtParam(startParam_)); }

double AcDbEllipse::endAngle() const {
  double a = arxdetail::normalizeAngle(angleAtParam(endParam_));
  return a == 0.0 ? kTwoPi : a;
}

Acad::ErrorStatus AcDbEllipse::setStartAngle(double angle) { return setStartParam(paramAtAngle(angle)); }
Acad::ErrorStatus AcDbEllipse::setEndAngle(double angle) { return setEndParam(paramAtAngle(angle)); }

Acad::ErrorStatus AcDbEllipse::setStartParam(double param) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  setParams(param, endParam_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::setEndParam(double param) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  setParams(startParam_, param);
  return Acad::eOk;
}

bool AcDbEllipse::isClosed() const { return std::fabs(endParam_ - startParam_ - kTwoPi) < 1e-12; }

Acad::ErrorStatus AcDbEllipse::getStartParam(double& param) const {
  param = startParam_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getEndParam(double& param) const {
  param = endParam_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getPointAtParam(double param, AcGePoint3d& point) const {
  if (param < startParam_ - 1e-12 || param > endParam_ + 1e-12) return Acad::eInvalidInput;
  point = center_ + majorAxis_ * std::cos(param) + minorAxis() * std::sin(param);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  AcGeVector3d v = point - center_;
  double a = majorAxis_.length(), b = a * ratio_;
  if (a <= 0) return Acad::eInvalidInput;
  double x = v.dotProduct(majorAxis_) / a, y = v.dotProduct(minorAxis()) / b;
  double off = std::fabs(v.dotProduct(normal_));
  if (off > 1e-6 * (1 + a) || std::fabs(std::hypot(x / a, y / b) - 1.0) > 1e-6) return Acad::eInvalidInput;
  double t = startParam_ + arxdetail::normalizeAngle(std::atan2(y / b, x / a) - startParam_);
  if (t > endParam_ + 1e-9) {
    if (kTwoPi - (t - startParam_) < 1e-9) t = startParam_;
    else return Acad::eInvalidInput;
  }
  param = std::fmin(t, endParam_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  arxdetail::addEllipseExtents(extents, center_, majorAxis_, minorAxis(), startParam_, endParam_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  AcGeVector3d a = xform * majorAxis_, b = xform * minorAxis();
  AcGeVector3d n = a.crossProduct(b);
  if (n.length() <= 1e-14 * (a.lengthSqrd() + b.lengthSqrd())) return Acad::eCannotScaleNonUniformly;
  // The images are conjugate semi-diameters; rotate the parameter to the principal axes.
  double t0 = 0.5 * std::atan2(2.0 * a.dotProduct(b), a.lengthSqrd() - b.lengthSqrd());
  AcGeVector3d major = a * std::cos(t0) + b * std::sin(t0);
  AcGeVector3d minor = a * -std::sin(t0) + b * std::cos(t0);
  if (minor.length() > major.length()) {
    t0 += kPi / 2;
    major = a * std::cos(t0) + b * std::sin(t0);
    minor = a * -std::sin(t0) + b * std::cos(t0);
  }
  bool full = isClosed();
  double s = startParam_ - t0, e = endParam_ - t0;
  center_.transformBy(xform);
  normal_ = n.normal();
  majorAxis_ = major;
  ratio_ = std::fmin(1.0, minor.length() / major.length());
  if (full)
    setParams(s, s);
  else
    setParams(s, e);
  return Acad::eOk;
}
