// Splines: validity, evaluation, extents, transformation.
#include "arx/dbspline.h"

#include <cmath>

#include "nurbs_eval.h"

namespace {

bool prepare(int degree, bool rational, bool periodic, const AcGePoint3dArray& cps, const AcGeDoubleArray& knots,
             const AcGeDoubleArray& weights, arxdetail::NurbsCurve& out) {
  const int n = cps.length();
  if (degree < 1 || n < degree + 1) return false;
  if (periodic ? knots.length() != n + 1 : knots.length() != n + degree + 1) return false;
  if (rational && weights.length() != n) return false;
  std::vector<double> k(knots.begin(), knots.end());
  std::vector<arxdetail::NurbsPoint> p;
  for (const auto& c : cps) p.push_back({c.x, c.y, c.z});
  std::vector<double> w;
  if (rational) w.assign(weights.begin(), weights.end());
  return arxdetail::nurbsPrepare(degree, k, p, w, periodic, out);
}

}  // namespace

AcDbSpline::AcDbSpline(int degree, bool rational, bool closed, bool periodic, const AcGePoint3dArray& controlPoints,
                       const AcGeDoubleArray& knots, const AcGeDoubleArray& weights, double controlPtTol,
                       double knotTol) {
  setNurbsData(degree, rational, closed, periodic, controlPoints, knots, weights, controlPtTol, knotTol);
}

bool AcDbSpline::isNull() const {
  arxdetail::NurbsCurve c;
  return !prepare(degree_, rational_, periodic_, controlPoints_, knots_, weights_, c);
}

bool AcDbSpline::isPlanar() const {
  if (controlPoints_.length() < 4) return true;
  AcGePoint3d o = controlPoints_[0];
  AcGeVector3d n;
  for (int i = 1; i < controlPoints_.length() && n.isZeroLength(); ++i)
    for (int j = i + 1; j < controlPoints_.length() && n.isZeroLength(); ++j)
      n = (controlPoints_[i] - o).crossProduct(controlPoints_[j] - o);
  if (n.isZeroLength()) return true;
  n.normalize();
  for (const auto& p : controlPoints_)
    if (std::fabs((p - o).dotProduct(n)) > 1e-9) return false;
  return true;
}

Acad::ErrorStatus AcDbSpline::getNurbsData(int& degree, bool& rational, bool& closed, bool& periodic,
                                           AcGePoint3dArray& controlPoints, AcGeDoubleArray& knots,
                                           AcGeDoubleArray& weights, double& controlPtTol, double& knotTol) const {
  degree = degree_;
  rational = rational_;
  closed = closed_;
  periodic = periodic_;
  controlPoints = controlPoints_;
  knots = knots_;
  weights = weights_;
  controlPtTol = controlPtTol_;
  knotTol = knotTol_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setNurbsData(int degree, bool rational, bool closed, bool periodic,
                                           const AcGePoint3dArray& controlPoints, const AcGeDoubleArray& knots,
                                           const AcGeDoubleArray& weights, double controlPtTol, double knotTol) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  degree_ = degree;
  rational_ = rational;
  closed_ = closed;
  periodic_ = periodic;
  controlPoints_ = controlPoints;
  knots_ = knots;
  weights_ = weights;
  controlPtTol_ = controlPtTol;
  knotTol_ = knotTol;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getControlPointAt(int index, AcGePoint3d& point) const {
  if (!controlPoints_.isValid(index)) return Acad::eInvalidIndex;
  point = controlPoints_[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setControlPointAt(int index, const AcGePoint3d& point) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!controlPoints_.isValid(index)) return Acad::eInvalidIndex;
  controlPoints_[index] = point;
  return Acad::eOk;
}

double AcDbSpline::weightAt(int index) const { return weights_.isValid(index) ? weights_[index] : 1.0; }

Acad::ErrorStatus AcDbSpline::getFitPointAt(int index, AcGePoint3d& point) const {
  if (!fitPoints_.isValid(index)) return Acad::eInvalidIndex;
  point = fitPoints_[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getFitData(AcGePoint3dArray& fitPoints, int& degree, double& fitTolerance,
                                         bool& tangentsExist, AcGeVector3d& startTangent,
                                         AcGeVector3d& endTangent) const {
  if (fitPoints_.isEmpty()) return Acad::eNotApplicable;
  fitPoints = fitPoints_;
  degree = degree_;
  fitTolerance = fitTolerance_;
  tangentsExist = !startTangent_.isZeroLength() || !endTangent_.isZeroLength();
  startTangent = startTangent_;
  endTangent = endTangent_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setFitData(const AcGePoint3dArray& fitPoints, int degree, double fitTolerance,
                                         const AcGeVector3d& startTangent, const AcGeVector3d& endTangent) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  fitPoints_ = fitPoints;
  if (controlPoints_.isEmpty()) degree_ = degree;
  fitTolerance_ = fitTolerance;
  startTangent_ = startTangent;
  endTangent_ = endTangent;
  return Acad::eOk;
}

bool AcDbSpline::isClosed() const {
  if (periodic_ || closed_) return true;
  AcGePoint3d a, b;
  if (getStartPoint(a) != Acad::eOk || getEndPoint(b) != Acad::eOk) return false;
  return a.isEqualTo(b);
}

Acad::ErrorStatus AcDbSpline::getStartParam(double& param) const {
  arxdetail::NurbsCurve c;
  if (!prepare(degree_, rational_, periodic_, controlPoints_, knots_, weights_, c)) return Acad::eNotApplicable;
  double t1 = 0;
  arxdetail::nurbsDomain(c, param, t1);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getEndParam(double& param) const {
  arxdetail::NurbsCurve c;
  if (!prepare(degree_, rational_, periodic_, controlPoints_, knots_, weights_, c)) return Acad::eNotApplicable;
  double t0 = 0;
  arxdetail::nurbsDomain(c, t0, param);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getPointAtParam(double param, AcGePoint3d& point) const {
  arxdetail::NurbsCurve c;
  if (!prepare(degree_, rational_, periodic_, controlPoints_, knots_, weights_, c)) return Acad::eNotApplicable;
  double t0 = 0, t1 = 0;
  arxdetail::nurbsDomain(c, t0, t1);
  if (param < t0 - 1e-12 || param > t1 + 1e-12) return Acad::eInvalidInput;
  auto p = arxdetail::nurbsEval(c, param);
  point.set(p[0], p[1], p[2]);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getGeomExtents(AcDbExtents& extents) const {
  if (isNull()) return Acad::eNotApplicable;
  extents = AcDbExtents();
  for (const auto& p : controlPoints_) extents.addPoint(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto& p : controlPoints_) p.transformBy(xform);
  for (auto& p : fitPoints_) p.transformBy(xform);
  startTangent_.transformBy(xform);
  endTangent_.transformBy(xform);
  return Acad::eOk;
}
