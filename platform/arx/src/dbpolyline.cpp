// Lightweight polylines: segments, bulge arcs, parameters, extents, transformation.
#include <cmath>

#include "arx/dbpl.h"
#include "entity_geom.h"

using arxdetail::kTwoPi;

namespace {

constexpr double kMinBulge = 1e-10;

// The circle of a bulged segment from a to b; the arc runs from angle a0 by the signed sweep.
struct BulgeArc {
  AcGePoint2d center;
  double radius = 0;
  double a0 = 0;     // angle of a
  double sweep = 0;  // signed included angle (positive counter-clockwise)
};

bool bulgeArc(const AcGePoint2d& a, const AcGePoint2d& b, double bulge, BulgeArc& out) {
  AcGeVector2d chord = b - a;
  double c = chord.length();
  if (std::fabs(bulge) < kMinBulge || c <= 0) return false;
  double theta = 4.0 * std::atan(bulge);
  AcGeVector2d u = chord / c;
  AcGeVector2d left{-u.y, u.x};
  out.center = a + chord * 0.5 + left * (c / (2.0 * std::tan(theta / 2.0)));
  out.radius = out.center.distanceTo(a);
  out.a0 = std::atan2(a.y - out.center.y, a.x - out.center.x);
  out.sweep = theta;
  return true;
}

}  // namespace

bool AcDbPolyline::isOnlyLines() const {
  for (const auto& v : vertices_)
    if (std::fabs(v.bulge) >= kMinBulge) return false;
  return true;
}

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge,
                                            double startWidth, double endWidth, Adesk::Int32 vertexIdentifier) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index > vertices_.size()) return Acad::eInvalidIndex;
  double dflt = constantWidth_ >= 0 ? constantWidth_ : 0.0;
  Vertex v;
  v.point = point;
  v.bulge = bulge;
  v.startWidth = startWidth < 0 ? dflt : startWidth;
  v.endWidth = endWidth < 0 ? dflt : endWidth;
  v.id = vertexIdentifier;
  vertices_.insert(vertices_.begin() + index, v);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  vertices_.erase(vertices_.begin() + index);
  return Acad::eOk;
}

void AcDbPolyline::reset(bool reuse, unsigned int numVerts) {
  if (!assertWriteEnabled()) return;
  if (!reuse) vertices_.clear();
  else if (numVerts < vertices_.size()) vertices_.resize(numVerts);
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& point) const {
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  point = vertices_[index].point;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& point) const {
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  const auto& p = vertices_[index].point;
  point = arxdetail::ocsToWorld(normal_, AcGePoint3d(p.x, p.y, elevation_));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& point) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  vertices_[index].point = point;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  bulge = vertices_[index].bulge;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  vertices_[index].bulge = bulge;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const {
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  startWidth = vertices_[index].startWidth;
  endWidth = vertices_[index].endWidth;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  if (startWidth < 0 || endWidth < 0) return Acad::eInvalidInput;
  vertices_[index].startWidth = startWidth;
  vertices_[index].endWidth = endWidth;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getVertexIdentifierAt(unsigned int index, Adesk::Int32& id) const {
  if (index >= vertices_.size()) return Acad::eInvalidIndex;
  id = vertices_[index].id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const {
  if (vertices_.empty()) {
    width = constantWidth_ >= 0 ? constantWidth_ : 0.0;
    return Acad::eOk;
  }
  double w = vertices_[0].startWidth;
  for (const auto& v : vertices_)
    if (v.startWidth != w || v.endWidth != w) return Acad::eNotApplicable;
  width = w;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(width >= 0)) return Acad::eInvalidInput;
  constantWidth_ = width;
  for (auto& v : vertices_) v.startWidth = v.endWidth = width;
  return Acad::eOk;
}

AcDbPolyline::SegType AcDbPolyline::segType(unsigned int index) const {
  const std::size_t n = vertices_.size();
  if (n == 0 || index >= n) return kEmpty;
  if (n == 1) return kPoint;
  if (!closed_ && index == n - 1) return kEmpty;
  const AcGePoint2d& a = vertices_[index].point;
  const AcGePoint2d& b = vertices_[(index + 1) % n].point;
  if (a.isEqualTo(b, AcGeContext::gTol)) return kCoincident;
  return std::fabs(vertices_[index].bulge) >= kMinBulge ? kArc : kLine;
}

Acad::ErrorStatus AcDbPolyline::getLineSegAt(unsigned int index, AcGeLineSeg2d& line) const {
  SegType t = segType(index);
  if (t != kLine && t != kCoincident) return Acad::eInvalidInput;
  line.set(vertices_[index].point, vertices_[(index + 1) % vertices_.size()].point);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getArcSegAt(unsigned int index, AcGeCircArc2d& arc) const {
  if (segType(index) != kArc) return Acad::eInvalidInput;
  arc = AcGeCircArc2d(vertices_[index].point, vertices_[(index + 1) % vertices_.size()].point, vertices_[index].bulge);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setClosed(bool closed) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  closed_ = closed;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setElevation(double elevation) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  elevation_ = elevation;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  normal_ = n.normal();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setThickness(double t) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  thickness_ = t;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPlinegen(bool on) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  plinegen_ = on;
  return Acad::eOk;
}

unsigned int AcDbPolyline::numSegments() const {
  const auto n = static_cast<unsigned int>(vertices_.size());
  if (n < 2) return 0;
  return closed_ ? n : n - 1;
}

double AcDbPolyline::segmentLength(unsigned int seg) const {
  const AcGePoint2d& a = vertices_[seg].point;
  const AcGePoint2d& b = vertices_[(seg + 1) % vertices_.size()].point;
  BulgeArc arc;
  if (bulgeArc(a, b, vertices_[seg].bulge, arc)) return arc.radius * std::fabs(arc.sweep);
  return a.distanceTo(b);
}

AcGePoint2d AcDbPolyline::pointOnSegment(unsigned int seg, double f) const {
  const AcGePoint2d& a = vertices_[seg].point;
  const AcGePoint2d& b = vertices_[(seg + 1) % vertices_.size()].point;
  if (f >= 1.0) return b;
  BulgeArc arc;
  if (bulgeArc(a, b, vertices_[seg].bulge, arc)) {
    double t = arc.a0 + arc.sweep * f;
    return arc.center + AcGeVector2d(std::cos(t), std::sin(t)) * arc.radius;
  }
  return a + (b - a) * f;
}

double AcDbPolyline::length() const {
  double sum = 0;
  for (unsigned int s = 0; s < numSegments(); ++s) sum += segmentLength(s);
  return sum;
}

Acad::ErrorStatus AcDbPolyline::getStartParam(double& param) const {
  if (vertices_.empty()) return Acad::eNotApplicable;
  param = 0.0;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getEndParam(double& param) const {
  if (vertices_.empty()) return Acad::eNotApplicable;
  param = numSegments();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAtParam(double param, AcGePoint3d& point) const {
  if (vertices_.empty()) return Acad::eNotApplicable;
  const unsigned int segs = numSegments();
  if (param < -1e-12 || param > segs + 1e-12) return Acad::eInvalidInput;
  AcGePoint2d p = vertices_[0].point;
  if (segs > 0) {
    double clamped = std::fmin(std::fmax(param, 0.0), static_cast<double>(segs));
    auto k = static_cast<unsigned int>(std::floor(clamped));
    if (k >= segs) k = segs - 1;
    p = pointOnSegment(k, clamped - k);
  }
  point = arxdetail::ocsToWorld(normal_, AcGePoint3d(p.x, p.y, elevation_));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  if (vertices_.empty()) return Acad::eNotApplicable;
  AcGePoint3d o = arxdetail::worldToOcs(normal_, point);
  double tol = 1e-6 * (1.0 + length());
  if (std::fabs(o.z - elevation_) > tol) return Acad::eInvalidInput;
  AcGePoint2d q(o.x, o.y);
  if (numSegments() == 0) {
    if (q.distanceTo(vertices_[0].point) > tol) return Acad::eInvalidInput;
    param = 0;
    return Acad::eOk;
  }
  for (unsigned int s = 0; s < numSegments(); ++s) {
    const AcGePoint2d& a = vertices_[s].point;
    const AcGePoint2d& b = vertices_[(s + 1) % vertices_.size()].point;
    BulgeArc arc;
    if (bulgeArc(a, b, vertices_[s].bulge, arc)) {
      if (std::fabs(q.distanceTo(arc.center) - arc.radius) > tol) continue;
      double ang = std::atan2(q.y - arc.center.y, q.x - arc.center.x);
      double d = arc.sweep > 0 ? arxdetail::normalizeAngle(ang - arc.a0) : arxdetail::normalizeAngle(arc.a0 - ang);
      if (d > kTwoPi - 1e-9) d = 0;
      double f = d / std::fabs(arc.sweep);
      if (f <= 1.0 + 1e-9) {
        param = s + std::fmin(f, 1.0);
        return Acad::eOk;
      }
    } else {
      AcGeVector2d ab = b - a;
      double len2 = ab.lengthSqrd();
      double f = len2 > 0 ? (q - a).dotProduct(ab) / len2 : 0.0;
      if (f < -1e-9 || f > 1 + 1e-9) continue;
      f = std::fmin(std::fmax(f, 0.0), 1.0);
      if (q.distanceTo(a + ab * f) <= tol) {
        param = s + f;
        return Acad::eOk;
      }
    }
  }
  return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbPolyline::getDistAtParam(double param, double& dist) const {
  if (vertices_.empty()) return Acad::eNotApplicable;
  const unsigned int segs = numSegments();
  if (param < -1e-12 || param > segs + 1e-12) return Acad::eInvalidInput;
  dist = 0;
  double clamped = std::fmin(std::fmax(param, 0.0), static_cast<double>(segs));
  auto k = static_cast<unsigned int>(std::floor(clamped));
  for (unsigned int s = 0; s < k && s < segs; ++s) dist += segmentLength(s);
  if (k < segs) dist += segmentLength(k) * (clamped - k);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getParamAtDist(double dist, double& param) const {
  if (vertices_.empty()) return Acad::eNotApplicable;
  double total = length();
  if (dist < -1e-9 || dist > total + 1e-9 * (1 + total)) return Acad::eInvalidInput;
  double left = std::fmax(dist, 0.0);
  for (unsigned int s = 0; s < numSegments(); ++s) {
    double len = segmentLength(s);
    if (left <= len || s + 1 == numSegments()) {
      param = s + (len > 0 ? std::fmin(left / len, 1.0) : 0.0);
      return Acad::eOk;
    }
    left -= len;
  }
  param = 0;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getGeomExtents(AcDbExtents& extents) const {
  if (vertices_.empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  auto world = [&](const AcGePoint2d& p) { return arxdetail::ocsToWorld(normal_, AcGePoint3d(p.x, p.y, elevation_)); };
  for (const auto& v : vertices_) extents.addPoint(world(v.point));
  for (unsigned int s = 0; s < numSegments(); ++s) {
    BulgeArc arc;
    if (!bulgeArc(vertices_[s].point, vertices_[(s + 1) % vertices_.size()].point, vertices_[s].bulge, arc)) continue;
    double a0 = arc.sweep > 0 ? arc.a0 : arc.a0 + arc.sweep;
    arxdetail::addArcExtents(extents, world(arc.center), x, y, arc.radius, a0, a0 + std::fabs(arc.sweep));
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform && !isOnlyLines()) return Acad::eCannotScaleNonUniformly;
  const AcGeVector3d oldNormal = normal_;
  AcGePoint3d origin = xform * arxdetail::ocsToWorld(oldNormal, AcGePoint3d(0, 0, elevation_));
  for (auto& v : vertices_) {
    AcGePoint3d w = xform * arxdetail::ocsToWorld(oldNormal, AcGePoint3d(v.point.x, v.point.y, elevation_));
    AcGePoint3d o = arxdetail::worldToOcs(img.normal, w);
    v.point.set(o.x, o.y);
    v.startWidth *= img.scale;
    v.endWidth *= img.scale;
  }
  if (constantWidth_ >= 0) constantWidth_ *= img.scale;
  normal_ = img.normal;
  elevation_ = arxdetail::worldToOcs(img.normal, origin).z;
  return Acad::eOk;
}
