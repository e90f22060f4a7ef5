// Two-dimensional curves and knot vectors of the geometry library.
#include <cassert>
#include <cmath>

#include "arx/gecurv2d.h"
#include "arx/geknot.h"
#include "nurbs_eval.h"

namespace {

constexpr double kPi = 3.14159265358979323846264338327950288;
constexpr double kTwoPi = 2.0 * kPi;

double normalizeAngle(double a) {
  double r = std::fmod(a, kTwoPi);
  if (r < 0) r += kTwoPi;
  if (r >= kTwoPi) r = 0.0;
  return r;
}

// Puts candidate parameter t (defined modulo 2pi) into [start, start + 2pi) and says whether it
// lies on [start, end].
bool paramOnSweep(double t, double start, double end) {
  double k = start + normalizeAngle(t - start);
  return k <= end + 1e-12;
}

arxdetail::NurbsCurve prepared(int degree, const AcGeKnotVector& knots, const AcGePoint2dArray& cps,
                               const AcGeDoubleArray& weights, bool periodic, bool& ok) {
  std::vector<double> k;
  for (int i = 0; i < knots.length(); ++i) k.push_back(knots[i]);
  std::vector<arxdetail::NurbsPoint> p;
  for (const auto& c : cps) p.push_back({c.x, c.y, 0.0});
  std::vector<double> w(weights.begin(), weights.end());
  arxdetail::NurbsCurve out;
  ok = arxdetail::nurbsPrepare(degree, k, p, w, periodic, out);
  return out;
}

}  // namespace

// ------------------------------------------------------------------------------ knots

AcGeKnotVector::AcGeKnotVector(int size, const double source[], double tolerance) : tolerance_(tolerance) {
  for (int i = 0; source && i < size; ++i) knots_.append(source[i]);
}

AcGeKnotVector::AcGeKnotVector(const AcGeDoubleArray& source, double tolerance)
    : knots_(source), tolerance_(tolerance) {}

bool AcGeKnotVector::isNonDecreasing() const {
  for (int i = 1; i < knots_.length(); ++i)
    if (knots_[i] < knots_[i - 1] - tolerance_) return false;
  return true;
}

int AcGeKnotVector::multiplicityAt(double value) const {
  int n = 0;
  for (double k : knots_)
    if (std::fabs(k - value) <= tolerance_) ++n;
  return n;
}

void AcGeKnotVector::getDistinctKnots(AcGeDoubleArray& knots) const {
  knots.removeAll();
  for (double k : knots_)
    if (knots.isEmpty() || std::fabs(k - knots.last()) > tolerance_) knots.append(k);
}

// ------------------------------------------------------------------------- bound block

AcGeBoundBlock2d::AcGeBoundBlock2d(const AcGePoint2d& a, const AcGePoint2d& b) {
  extend(a);
  extend(b);
}

AcGeBoundBlock2d& AcGeBoundBlock2d::extend(const AcGePoint2d& p) {
  if (empty_) {
    min_ = max_ = p;
    empty_ = false;
    return *this;
  }
  min_.x = std::fmin(min_.x, p.x);
  min_.y = std::fmin(min_.y, p.y);
  max_.x = std::fmax(max_.x, p.x);
  max_.y = std::fmax(max_.y, p.y);
  return *this;
}

// ------------------------------------------------------------------------ entity/curve

bool AcGeEntity2d::isKindOf(AcGe::EntityId id) const { return isKindOfImpl(id); }

bool AcGeCurve2d::hasStartPoint(AcGePoint2d& p) const {
  AcGeInterval i;
  getInterval(i);
  p = evalPoint(i.lowerBound());
  return true;
}

bool AcGeCurve2d::hasEndPoint(AcGePoint2d& p) const {
  AcGeInterval i;
  getInterval(i);
  p = evalPoint(i.upperBound());
  return true;
}

void AcGeCurve2d::getSamplePoints(int numSample, AcGePoint2dArray& points) const {
  AcGeDoubleArray params;
  getSamplePoints(numSample, points, params);
}

void AcGeCurve2d::getSamplePoints(int numSample, AcGePoint2dArray& points, AcGeDoubleArray& params) const {
  points.removeAll();
  params.removeAll();
  if (numSample <= 0) return;
  AcGeInterval i;
  getInterval(i);
  if (numSample == 1) {
    params.append(i.lowerBound());
    points.append(evalPoint(i.lowerBound()));
    return;
  }
  for (int k = 0; k < numSample; ++k) {
    // The last sample is exactly the upper bound, not an accumulated sum.
    double t = k == numSample - 1 ? i.upperBound()
                                  : i.lowerBound() + i.length() * static_cast<double>(k) / (numSample - 1);
    params.append(t);
    points.append(evalPoint(t));
  }
}

bool AcGeCurve2d::isClosed(const AcGeTol& tol) const {
  AcGePoint2d a, b;
  hasStartPoint(a);
  hasEndPoint(b);
  return a.isEqualTo(b, tol);
}

// ---------------------------------------------------------------------------- line

AcGeEntity2d& AcGeLineSeg2d::transformBy(const AcGeMatrix2d& m) {
  start_.transformBy(m);
  end_.transformBy(m);
  return *this;
}

// ----------------------------------------------------------------------- circular arc

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& center, double radius) : center_(center), radius_(radius) {}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& center, double radius, double startAngle, double endAngle,
                             const AcGeVector2d& refVec, bool isClockWise) {
  set(center, radius, startAngle, endAngle, refVec, isClockWise);
}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& p1, const AcGePoint2d& p2, const AcGePoint2d& p3) {
  double ax = p1.x, ay = p1.y, bx = p2.x, by = p2.y, cx = p3.x, cy = p3.y;
  double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
  if (std::fabs(d) < 1e-300) {
    // Collinear points: no circle passes through them.
    center_ = p1;
    radius_ = 0.0;
    startAng_ = endAng_ = 0.0;
    return;
  }
  double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  center_.x = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
  center_.y = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
  radius_ = center_.distanceTo(p1);
  clockwise_ = ((p2 - p1).x * (p3 - p2).y - (p2 - p1).y * (p3 - p2).x) < 0;
  refVec_ = AcGeVector2d::kXAxis;
  double s = (p1 - center_).angle(), e = (p3 - center_).angle();
  if (clockwise_) {
    s = normalizeAngle(-s);
    e = normalizeAngle(-e);
  }
  setAngles(s, e);
}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& p1, const AcGePoint2d& p2, double bulge, bool bulgeFlag) {
  double theta = bulgeFlag ? 4.0 * std::atan(bulge) : bulge;
  AcGeVector2d chord = p2 - p1;
  double c = chord.length();
  if (std::fabs(theta) < 1e-15 || c <= 0) {
    // A zero bulge is a straight segment, which no circle represents.
    center_ = p1;
    radius_ = 0.0;
    startAng_ = endAng_ = 0.0;
    return;
  }
  AcGeVector2d u = chord / c;
  AcGeVector2d left{-u.y, u.x};
  AcGePoint2d mid = p1 + chord * 0.5;
  center_ = mid + left * (c / (2.0 * std::tan(theta / 2.0)));
  radius_ = center_.distanceTo(p1);
  clockwise_ = theta < 0;
  refVec_ = AcGeVector2d::kXAxis;
  double s = (p1 - center_).angle(), e = (p2 - center_).angle();
  if (clockwise_) {
    s = normalizeAngle(-s);
    e = normalizeAngle(-e);
  }
  setAngles(s, e);
}

AcGeCircArc2d& AcGeCircArc2d::set(const AcGePoint2d& center, double radius, double startAngle, double endAngle,
                                  const AcGeVector2d& refVec, bool isClockWise) {
  center_ = center;
  radius_ = radius;
  refVec_ = refVec.isZeroLength() ? AcGeVector2d::kXAxis : refVec.normal();
  clockwise_ = isClockWise;
  return setAngles(startAngle, endAngle);
}

AcGeCircArc2d& AcGeCircArc2d::setAngles(double startAngle, double endAngle) {
  startAng_ = startAngle;
  endAng_ = endAngle;
  if (endAng_ < startAng_) endAng_ += kTwoPi * std::ceil((startAng_ - endAng_) / kTwoPi);
  if (endAng_ - startAng_ > kTwoPi) endAng_ = startAng_ + kTwoPi;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::setToComplement() {
  double sweep = endAng_ - startAng_;
  return setAngles(endAng_, endAng_ + (kTwoPi - sweep));
}

AcGePoint2d AcGeCircArc2d::evalPoint(double t) const {
  AcGeVector2d perp{-refVec_.y, refVec_.x};
  double s = clockwise_ ? -std::sin(t) : std::sin(t);
  return center_ + refVec_ * (radius_ * std::cos(t)) + perp * (radius_ * s);
}

AcGeBoundBlock2d AcGeCircArc2d::orthoBoundBlock() const {
  AcGeBoundBlock2d box(startPoint(), endPoint());
  const AcGeVector2d dirs[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  for (const auto& d : dirs) {
    double t = std::atan2(refVec_.x * d.y - refVec_.y * d.x, refVec_.dotProduct(d));
    if (clockwise_) t = -t;
    if (paramOnSweep(t, startAng_, endAng_)) box.extend(center_ + d * radius_);
  }
  return box;
}

AcGeEntity2d& AcGeCircArc2d::transformBy(const AcGeMatrix2d& m) {
  // A circular arc stays one only under rotations, reflections and uniform scalings.
  assert(m.isUniScaledOrtho(AcGeTol(1e-9, 1e-9)) && "circular arc transformed by a non-uniform matrix");
  AcGeVector2d perp{-refVec_.y, refVec_.x};
  AcGeVector2d newRef = m * refVec_;
  AcGeVector2d newPerp = m * perp;
  double scale = newRef.length();
  center_.transformBy(m);
  radius_ *= scale;
  refVec_ = newRef.normal();
  // A reflection turns the counter-clockwise perpendicular into the clockwise one.
  if (newRef.x * newPerp.y - newRef.y * newPerp.x < 0) clockwise_ = !clockwise_;
  return *this;
}

// ----------------------------------------------------------------------- elliptical arc

AcGeEllipArc2d::AcGeEllipArc2d(const AcGePoint2d& center, const AcGeVector2d& majorAxis,
                               const AcGeVector2d& minorAxis, double majorRadius, double minorRadius,
                               double startAngle, double endAngle) {
  set(center, majorAxis, minorAxis, majorRadius, minorRadius, startAngle, endAngle);
}

AcGeEllipArc2d::AcGeEllipArc2d(const AcGeCircArc2d& arc) {
  AcGeVector2d ref = arc.refVec();
  AcGeVector2d perp{-ref.y, ref.x};
  if (arc.isClockWise()) perp = -perp;
  set(arc.center(), ref, perp, arc.radius(), arc.radius(), arc.startAng(), arc.endAng());
}

AcGeEllipArc2d& AcGeEllipArc2d::set(const AcGePoint2d& center, const AcGeVector2d& majorAxis,
                                    const AcGeVector2d& minorAxis, double majorRadius, double minorRadius,
                                    double startAngle, double endAngle) {
  center_ = center;
  majorAxis_ = majorAxis.normal();
  minorAxis_ = minorAxis.normal();
  majorRadius_ = majorRadius;
  minorRadius_ = minorRadius;
  return setAngles(startAngle, endAngle);
}

AcGeEllipArc2d& AcGeEllipArc2d::setAngles(double startAngle, double endAngle) {
  startAng_ = startAngle;
  endAng_ = endAngle;
  if (endAng_ < startAng_) endAng_ += kTwoPi * std::ceil((startAng_ - endAng_) / kTwoPi);
  if (endAng_ - startAng_ > kTwoPi) endAng_ = startAng_ + kTwoPi;
  return *this;
}

bool AcGeEllipArc2d::isClockWise() const { return majorAxis_.x * minorAxis_.y - majorAxis_.y * minorAxis_.x < 0; }

bool AcGeEllipArc2d::isCircular(const AcGeTol& tol) const {
  return std::fabs(majorRadius_ - minorRadius_) <= tol.equalPoint();
}

AcGePoint2d AcGeEllipArc2d::evalPoint(double t) const {
  return center_ + majorAxis_ * (majorRadius_ * std::cos(t)) + minorAxis_ * (minorRadius_ * std::sin(t));
}

AcGeBoundBlock2d AcGeEllipArc2d::orthoBoundBlock() const {
  AcGeBoundBlock2d box(startPoint(), endPoint());
  AcGeVector2d a = majorAxis_ * majorRadius_, b = minorAxis_ * minorRadius_;
  for (int axis = 0; axis < 2; ++axis) {
    double ai = axis == 0 ? a.x : a.y, bi = axis == 0 ? b.x : b.y;
    double t = std::atan2(bi, ai);
    for (double cand : {t, t + kPi})
      if (paramOnSweep(cand, startAng_, endAng_)) box.extend(evalPoint(startAng_ + normalizeAngle(cand - startAng_)));
  }
  return box;
}

AcGeEntity2d& AcGeEllipArc2d::transformBy(const AcGeMatrix2d& m) {
  AcGeVector2d a = m * (majorAxis_ * majorRadius_);
  AcGeVector2d b = m * (minorAxis_ * minorRadius_);
  // The images are conjugate semi-diameters; turn them into the principal axes.
  double t0 = 0.5 * std::atan2(2.0 * a.dotProduct(b), a.lengthSqrd() - b.lengthSqrd());
  AcGeVector2d major = a * std::cos(t0) + b * std::sin(t0);
  AcGeVector2d minor = a * -std::sin(t0) + b * std::cos(t0);
  if (minor.length() > major.length()) {
    t0 += kPi / 2;
    major = a * std::cos(t0) + b * std::sin(t0);
    minor = a * -std::sin(t0) + b * std::cos(t0);
  }
  center_.transformBy(m);
  majorRadius_ = major.length();
  minorRadius_ = minor.length();
  majorAxis_ = major.normal();
  minorAxis_ = minor.normal();
  startAng_ -= t0;
  endAng_ -= t0;
  return *this;
}

// --------------------------------------------------------------------------- NURBS

AcGeNurbCurve2d::AcGeNurbCurve2d(int degree, const AcGeKnotVector& knots, const AcGePoint2dArray& controlPoints,
                                 bool isPeriodic)
    : degree_(degree), knots_(knots), controlPoints_(controlPoints), periodic_(isPeriodic) {}

AcGeNurbCurve2d::AcGeNurbCurve2d(int degree, const AcGeKnotVector& knots, const AcGePoint2dArray& controlPoints,
                                 const AcGeDoubleArray& weights, bool isPeriodic)
    : degree_(degree), knots_(knots), controlPoints_(controlPoints), weights_(weights), periodic_(isPeriodic) {
  bool allOne = true;
  for (double w : weights_)
    if (w != 1.0) allOne = false;
  if (allOne) weights_.removeAll();
}

bool AcGeNurbCurve2d::isValid() const {
  bool ok = false;
  prepared(degree_, knots_, controlPoints_, weights_, periodic_, ok);
  return ok;
}

void AcGeNurbCurve2d::getInterval(AcGeInterval& interval) const {
  bool ok = false;
  auto c = prepared(degree_, knots_, controlPoints_, weights_, periodic_, ok);
  double t0 = 0, t1 = 0;
  if (ok) arxdetail::nurbsDomain(c, t0, t1);
  interval.set(t0, t1);
}

AcGePoint2d AcGeNurbCurve2d::evalPoint(double param) const {
  bool ok = false;
  auto c = prepared(degree_, knots_, controlPoints_, weights_, periodic_, ok);
  if (!ok) return controlPoints_.isEmpty() ? AcGePoint2d::kOrigin : controlPoints_.first();
  auto p = arxdetail::nurbsEval(c, param);
  return {p[0], p[1]};
}

AcGeBoundBlock2d AcGeNurbCurve2d::orthoBoundBlock() const {
  AcGeBoundBlock2d box;
  for (const auto& p : controlPoints_) box.extend(p);
  return box;
}

AcGeEntity2d& AcGeNurbCurve2d::transformBy(const AcGeMatrix2d& m) {
  for (auto& p : controlPoints_) p.transformBy(m);
  return *this;
}
