// Line, circle, arc, point, solid and trace.
#include "arx/dbents.h"

#include "arx/dbelipse.h"

#include <cmath>

#include "entity_geom.h"

using arxdetail::kTwoPi;

#define ARX_SETTER(CLASS, NAME, TYPE, MEMBER)                 \
  Acad::ErrorStatus CLASS::NAME(TYPE v) {                     \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v;                                               \
    return Acad::eOk;                                         \
  }

#define ARX_NORMAL_SETTER(CLASS)                                   \
  Acad::ErrorStatus CLASS::setNormal(const AcGeVector3d& n) {      \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;      \
    if (n.isZeroLength()) return Acad::eInvalidInput;              \
    normal_ = n.normal();                                          \
    return Acad::eOk;                                              \
  }

namespace {

bool paramInRange(double t, double t0, double t1) { return t >= t0 - 1e-12 && t <= t1 + 1e-12; }

}  // namespace

// ----------------------------------------------------------------------------------- line

ARX_SETTER(AcDbLine, setStartPoint, const AcGePoint3d&, start_)
ARX_SETTER(AcDbLine, setEndPoint, const AcGePoint3d&, end_)
ARX_SETTER(AcDbLine, setThickness, double, thickness_)
ARX_NORMAL_SETTER(AcDbLine)

Acad::ErrorStatus AcDbLine::getStartParam(double& param) const {
  param = 0.0;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getEndParam(double& param) const {
  param = start_.distanceTo(end_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getPointAtParam(double param, AcGePoint3d& point) const {
  double len = start_.distanceTo(end_);
  if (!paramInRange(param, 0, len)) return Acad::eInvalidInput;
  point = len > 0 ? start_ + (end_ - start_) * (param / len) : start_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  AcGeVector3d d = end_ - start_;
  double len = d.length();
  double t = len > 0 ? (point - start_).dotProduct(d) / len : 0.0;
  AcGePoint3d foot = len > 0 ? start_ + d * (t / len) : start_;
  if (foot.distanceTo(point) > 1e-6 * (1 + len) || t < -1e-9 * (1 + len) || t > len * (1 + 1e-9) + 1e-9)
    return Acad::eInvalidInput;
  param = std::fmin(std::fmax(t, 0.0), len);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getDistAtParam(double param, double& dist) const {
  if (!paramInRange(param, 0, start_.distanceTo(end_))) return Acad::eInvalidInput;
  dist = param;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getParamAtDist(double dist, double& param) const {
  if (!paramInRange(dist, 0, start_.distanceTo(end_))) return Acad::eInvalidInput;
  param = dist;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents(start_, end_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  start_.transformBy(xform);
  end_.transformBy(xform);
  normal_ = arxdetail::planarImage(xform, normal_).normal;
  return Acad::eOk;
}

// --------------------------------------------------------------------------------- circle

AcDbCircle::AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
    : center_(center), radius_(radius), normal_(normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal()) {}

ARX_SETTER(AcDbCircle, setCenter, const AcGePoint3d&, center_)
ARX_SETTER(AcDbCircle, setThickness, double, thickness_)
ARX_NORMAL_SETTER(AcDbCircle)

Acad::ErrorStatus AcDbCircle::setRadius(double r) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(r > 0.0)) return Acad::eInvalidInput;
  radius_ = r;
  return Acad::eOk;
}

double AcDbCircle::circumference() const { return kTwoPi * radius_; }

Acad::ErrorStatus AcDbCircle::getStartParam(double& param) const {
  param = 0.0;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getEndParam(double& param) const {
  param = kTwoPi;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getPointAtParam(double param, AcGePoint3d& point) const {
  if (!paramInRange(param, 0, kTwoPi)) return Acad::eInvalidInput;
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  point = center_ + x * (radius_ * std::cos(param)) + y * (radius_ * std::sin(param));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  AcGeVector3d v = point - center_;
  double off = std::fabs(v.dotProduct(normal_));
  double r = std::hypot(v.dotProduct(x), v.dotProduct(y));
  if (off > 1e-6 * (1 + radius_) || std::fabs(r - radius_) > 1e-6 * (1 + radius_)) return Acad::eInvalidInput;
  param = arxdetail::normalizeAngle(std::atan2(v.dotProduct(y), v.dotProduct(x)));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getDistAtParam(double param, double& dist) const {
  if (!paramInRange(param, 0, kTwoPi)) return Acad::eInvalidInput;
  dist = radius_ * param;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getParamAtDist(double dist, double& param) const {
  if (radius_ <= 0 || !paramInRange(dist, 0, circumference())) return Acad::eInvalidInput;
  param = dist / radius_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getGeomExtents(AcDbExtents& extents) const {
  AcGeVector3d n = normal_.normal();
  AcGeVector3d half(radius_ * std::sqrt(std::fmax(0.0, 1 - n.x * n.x)), radius_ * std::sqrt(std::fmax(0.0, 1 - n.y * n.y)),
                    radius_ * std::sqrt(std::fmax(0.0, 1 - n.z * n.z)));
  extents = AcDbExtents(center_ - half, center_ + half);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform) return Acad::eCannotScaleNonUniformly;
  center_.transformBy(xform);
  radius_ *= img.scale;
  normal_ = img.normal;
  return Acad::eOk;
}

namespace {

// The circle or arc as an ellipse of ratio 1 (its major axis along the OCS X axis, so angles
// and parameters agree), transformed.
Acad::ErrorStatus EllipticalCopy(const AcDbEntity& source, const AcGePoint3d& center, const AcGeVector3d& normal,
                                 double radius, double startAngle, double endAngle, const AcGeMatrix3d& xform,
                                 AcDbEntity*& entity) {
  const AcGeVector3d major = (AcGeMatrix3d::planeToWorld(normal) * AcGeVector3d::kXAxis) * radius;
  auto* ellipse = new AcDbEllipse(center, normal, major, 1.0, startAngle, endAngle);
  ellipse->setPropertiesFrom(&source);
  const Acad::ErrorStatus es = ellipse->transformBy(xform);
  if (es != Acad::eOk) {
    delete ellipse;
    return es;
  }
  entity = ellipse;
  return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus AcDbCircle::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& entity) const {
  entity = nullptr;
  if (arxdetail::planarImage(xform, normal_).uniform) return AcDbEntity::getTransformedCopy(xform, entity);
  return EllipticalCopy(*this, center_, normal_, radius_, 0.0, 6.283185307179586476925286766559, xform, entity);
}

Acad::ErrorStatus AcDbArc::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& entity) const {
  entity = nullptr;
  if (arxdetail::planarImage(xform, normal_).uniform) return AcDbEntity::getTransformedCopy(xform, entity);
  return EllipticalCopy(*this, center_, normal_, radius_, startAngle_, startAngle_ + totalAngle(), xform, entity);
}

// ------------------------------------------------------------------------------------ arc

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : AcDbArc(center, AcGeVector3d::kZAxis, radius, startAngle, endAngle) {}

AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
                 double endAngle)
    : center_(center),
      radius_(radius),
      startAngle_(arxdetail::normalizeAngle(startAngle)),
      endAngle_(arxdetail::normalizeAngle(endAngle)),
      normal_(normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal()) {}

ARX_SETTER(AcDbArc, setCenter, const AcGePoint3d&, center_)
ARX_SETTER(AcDbArc, setThickness, double, thickness_)
ARX_NORMAL_SETTER(AcDbArc)

Acad::ErrorStatus AcDbArc::setRadius(double r) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(r > 0.0)) return Acad::eInvalidInput;
  radius_ = r;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setStartAngle(double a) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  startAngle_ = arxdetail::normalizeAngle(a);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::setEndAngle(double a) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  endAngle_ = arxdetail::normalizeAngle(a);
  return Acad::eOk;
}

double AcDbArc::totalAngle() const { return endAngle_ > startAngle_ ? endAngle_ - startAngle_ : endAngle_ + kTwoPi - startAngle_; }

Acad::ErrorStatus AcDbArc::getStartParam(double& param) const {
  param = startAngle_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getEndParam(double& param) const {
  param = startAngle_ + totalAngle();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getPointAtParam(double param, AcGePoint3d& point) const {
  if (!paramInRange(param, startAngle_, startAngle_ + totalAngle())) return Acad::eInvalidInput;
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  point = center_ + x * (radius_ * std::cos(param)) + y * (radius_ * std::sin(param));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  AcGeVector3d v = point - center_;
  double off = std::fabs(v.dotProduct(normal_));
  double r = std::hypot(v.dotProduct(x), v.dotProduct(y));
  if (off > 1e-6 * (1 + radius_) || std::fabs(r - radius_) > 1e-6 * (1 + radius_)) return Acad::eInvalidInput;
  double a = std::atan2(v.dotProduct(y), v.dotProduct(x));
  double t = startAngle_ + arxdetail::normalizeAngle(a - startAngle_);
  double end = startAngle_ + totalAngle();
  if (t > end + 1e-9) {
    // Just before the start (within tolerance) counts as the start.
    if (kTwoPi - (t - startAngle_) < 1e-9) t = startAngle_;
    else return Acad::eInvalidInput;
  }
  param = std::fmin(t, end);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getDistAtParam(double param, double& dist) const {
  if (!paramInRange(param, startAngle_, startAngle_ + totalAngle())) return Acad::eInvalidInput;
  dist = radius_ * (param - startAngle_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getParamAtDist(double dist, double& param) const {
  if (radius_ <= 0 || !paramInRange(dist, 0, length())) return Acad::eInvalidInput;
  param = startAngle_ + dist / radius_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getGeomExtents(AcDbExtents& extents) const {
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  extents = AcDbExtents();
  arxdetail::addArcExtents(extents, center_, x, y, radius_, startAngle_, startAngle_ + totalAngle());
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform) return Acad::eCannotScaleNonUniformly;
  double sweep = totalAngle();
  center_.transformBy(xform);
  radius_ *= img.scale;
  normal_ = img.normal;
  // The image keeps running counter-clockwise about the new normal, turned by the rotation.
  startAngle_ = arxdetail::normalizeAngle(startAngle_ + img.rotation);
  endAngle_ = arxdetail::normalizeAngle(startAngle_ + sweep);
  return Acad::eOk;
}

// ---------------------------------------------------------------------------------- point

ARX_SETTER(AcDbPoint, setPosition, const AcGePoint3d&, position_)
ARX_SETTER(AcDbPoint, setThickness, double, thickness_)
ARX_SETTER(AcDbPoint, setEcsRotation, double, ecsRotation_)
ARX_NORMAL_SETTER(AcDbPoint)

Acad::ErrorStatus AcDbPoint::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents(position_, position_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  position_.transformBy(xform);
  normal_ = arxdetail::planarImage(xform, normal_).normal;
  return Acad::eOk;
}

// ---------------------------------------------------------------------------- solid/trace

AcDbSolid::AcDbSolid(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3)
    : points_{p0, p1, p2, p3} {}

AcDbSolid::AcDbSolid(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2) : points_{p0, p1, p2, p2} {}

ARX_SETTER(AcDbSolid, setThickness, double, thickness_)
ARX_NORMAL_SETTER(AcDbSolid)

Acad::ErrorStatus AcDbSolid::getPointAt(Adesk::UInt16 index, AcGePoint3d& point) const {
  if (index > 3) return Acad::eInvalidIndex;
  point = points_[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSolid::setPointAt(Adesk::UInt16 index, const AcGePoint3d& point) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index > 3) return Acad::eInvalidIndex;
  points_[index] = point;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSolid::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  for (const auto& p : points_) extents.addPoint(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSolid::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto& p : points_) p.transformBy(xform);
  normal_ = arxdetail::planarImage(xform, normal_).normal;
  return Acad::eOk;
}
