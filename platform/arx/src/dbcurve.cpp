// AcDbCurve: the defaults shared by every curve.
#include "arx/dbcurve.h"

#include <cmath>

#include "entity_geom.h"

bool AcDbCurve::isClosed() const { return false; }
bool AcDbCurve::isPeriodic() const { return false; }
Acad::ErrorStatus AcDbCurve::getStartParam(double&) const { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbCurve::getEndParam(double&) const { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbCurve::getPointAtParam(double, AcGePoint3d&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d& point) const {
  double t = 0;
  Acad::ErrorStatus es = getStartParam(t);
  return es == Acad::eOk ? getPointAtParam(t, point) : es;
}

Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d& point) const {
  double t = 0;
  Acad::ErrorStatus es = getEndParam(t);
  return es == Acad::eOk ? getPointAtParam(t, point) : es;
}

Acad::ErrorStatus AcDbCurve::getDistAtParam(double param, double& dist) const {
  double t0 = 0, t1 = 0;
  if (getStartParam(t0) != Acad::eOk || getEndParam(t1) != Acad::eOk) return Acad::eNotApplicable;
  if (param < t0 - 1e-12 || param > t1 + 1e-12) return Acad::eInvalidInput;
  dist = arxdetail::numericLength(
      [this, t0, t1](double t) {
        AcGePoint3d p;
        getPointAtParam(std::fmin(std::fmax(t, t0), t1), p);
        return p;
      },
      t0, param);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getParamAtDist(double dist, double& param) const {
  double t0 = 0, t1 = 0, total = 0;
  if (getStartParam(t0) != Acad::eOk || getEndParam(t1) != Acad::eOk) return Acad::eNotApplicable;
  if (getDistAtParam(t1, total) != Acad::eOk) return Acad::eNotApplicable;
  if (dist < -1e-9 || dist > total + 1e-9 * (1 + total)) return Acad::eInvalidInput;
  double lo = t0, hi = t1;
  for (int i = 0; i < 60; ++i) {
    double mid = (lo + hi) / 2, d = 0;
    getDistAtParam(mid, d);
    (d < dist ? lo : hi) = mid;
  }
  param = (lo + hi) / 2;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  double t0 = 0, t1 = 0;
  if (getStartParam(t0) != Acad::eOk || getEndParam(t1) != Acad::eOk) return Acad::eNotApplicable;
  // Nearest sample, then golden-section refinement around it.
  const int n = 1024;
  double best = t0, bestD = 1e300, size = 0;
  AcGePoint3d first;
  getPointAtParam(t0, first);
  for (int i = 0; i <= n; ++i) {
    double t = t0 + (t1 - t0) * i / n;
    AcGePoint3d p;
    getPointAtParam(t, p);
    size = std::fmax(size, p.distanceTo(first));
    double d = p.distanceTo(point);
    if (d < bestD) {
      bestD = d;
      best = t;
    }
  }
  double step = (t1 - t0) / n;
  double a = std::fmax(t0, best - step), b = std::fmin(t1, best + step);
  auto dist = [&](double t) {
    AcGePoint3d p;
    getPointAtParam(t, p);
    return p.distanceTo(point);
  };
  const double g = 0.6180339887498949;
  for (int i = 0; i < 100; ++i) {
    double c = b - g * (b - a), d = a + g * (b - a);
    (dist(c) < dist(d) ? b : a) = (dist(c) < dist(d) ? d : c);
  }
  param = (a + b) / 2;
  if (dist(param) > 1e-6 * (1.0 + size)) return Acad::eInvalidInput;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getDistAtPoint(const AcGePoint3d& point, double& dist) const {
  double t = 0;
  Acad::ErrorStatus es = getParamAtPoint(point, t);
  return es == Acad::eOk ? getDistAtParam(t, dist) : es;
}

Acad::ErrorStatus AcDbCurve::getPointAtDist(double dist, AcGePoint3d& point) const {
  double t = 0;
  Acad::ErrorStatus es = getParamAtDist(dist, t);
  return es == Acad::eOk ? getPointAtParam(t, point) : es;
}
