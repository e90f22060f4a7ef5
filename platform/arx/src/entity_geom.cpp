#include "entity_geom.h"

#include <cmath>

namespace arxdetail {

double normalizeAngle(double a) {
  double r = std::fmod(a, kTwoPi);
  if (r < 0) r += kTwoPi;
  if (r >= kTwoPi) r = 0.0;
  return r;
}

bool onSweep(double t, double a0, double a1) {
  double k = a0 + normalizeAngle(t - a0);
  return k <= a1 + 1e-12;
}

void ocsAxes(const AcGeVector3d& normal, AcGeVector3d& x, AcGeVector3d& y) {
  AcGeVector3d n = normal.normal();
  x = acgeOcsXAxis(n);
  y = n.crossProduct(x).normal();
}

AcGePoint3d ocsToWorld(const AcGeVector3d& normal, const AcGePoint3d& p) {
  return AcGeMatrix3d::planeToWorld(normal) * p;
}

AcGePoint3d worldToOcs(const AcGeVector3d& normal, const AcGePoint3d& p) {
  return AcGeMatrix3d::worldToPlane(normal) * p;
}

void addArcExtents(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& x, const AcGeVector3d& y, double r,
                   double a0, double a1) {
  auto at = [&](double t) { return c + x * (r * std::cos(t)) + y * (r * std::sin(t)); };
  ext.addPoint(at(a0));
  ext.addPoint(at(a1));
  for (int i = 0; i < 3; ++i) {
    if (std::hypot(x[i], y[i]) < 1e-15) continue;  // the coordinate does not vary along the arc
    double t = std::atan2(y[i], x[i]);
    for (double cand : {t, t + kPi})
      if (onSweep(cand, a0, a1)) ext.addPoint(at(cand));
  }
}

void addEllipseExtents(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
                       double t0, double t1) {
  auto at = [&](double t) { return c + a * std::cos(t) + b * std::sin(t); };
  ext.addPoint(at(t0));
  ext.addPoint(at(t1));
  for (int i = 0; i < 3; ++i) {
    if (std::hypot(a[i], b[i]) < 1e-15) continue;
    double t = std::atan2(b[i], a[i]);
    for (double cand : {t, t + kPi})
      if (onSweep(cand, t0, t1)) ext.addPoint(at(cand));
  }
}

PlanarImage planarImage(const AcGeMatrix3d& m, const AcGeVector3d& normal) {
  AcGeVector3d x, y;
  ocsAxes(normal, x, y);
  AcGeVector3d xi = m * x, yi = m * y;
  PlanarImage out;
  double lx = xi.length(), ly = yi.length();
  out.scale = lx;
  double big = std::fmax(lx, ly);
  out.uniform = big > 0 && std::fabs(lx - ly) <= 1e-9 * big && std::fabs(xi.dotProduct(yi)) <= 1e-9 * lx * ly;
  out.normal = xi.crossProduct(yi).normal();
  AcGeVector3d nx, ny;
  ocsAxes(out.normal, nx, ny);
  out.rotation = std::atan2(xi.dotProduct(ny), xi.dotProduct(nx));
  return out;
}

double numericLength(const std::function<AcGePoint3d(double)>& f, double t0, double t1) {
  if (t1 == t0) return 0.0;
  // 5-point Gauss-Legendre on 256 panels; the speed comes from central differences.
  static constexpr double kNodes[5] = {-0.9061798459386640, -0.5384693101056831, 0.0, 0.5384693101056831,
                                       0.9061798459386640};
  static constexpr double kWeights[5] = {0.2369268850561891, 0.4786286704993665, 0.5688888888888889,
                                         0.4786286704993665, 0.2369268850561891};
  const int panels = 256;
  const double h = (t1 - t0) / panels;
  const double d = std::fabs(t1 - t0) * 1e-7;
  double sum = 0.0;
  for (int k = 0; k < panels; ++k) {
    double a = t0 + k * h, mid = a + h / 2;
    for (int j = 0; j < 5; ++j) {
      double t = mid + kNodes[j] * h / 2;
      double speed = f(t + d).distanceTo(f(t - d)) / (2 * d);
      sum += kWeights[j] * speed * std::fabs(h) / 2;
    }
  }
  return t1 > t0 ? sum : -sum;
}

}  // namespace arxdetail
