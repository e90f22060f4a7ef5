#include "receive/geometry_builders.h"

#include <cmath>
#include <memory>

#include "arx/dbapserv.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbspline.h"
#include "arx/geknot.h"
#include "arx/getol.h"

namespace vurk {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

double Tol() { return AcGeContext::gTol.equalPoint(); }

bool Finite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }
bool Finite(double v) { return std::isfinite(v); }

AcDbObjectId Append(AcDbEntity* entity, const EntityProps& props) {
  return AppendToModelSpace(entity, props, acdbHostApplicationServices()->workingDatabase());
}

AcGePoint3d Midpoint(const AcGePoint3d& a, const AcGePoint3d& b) {
  return {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0};
}

// The box of two corners, or nothing when a side is zero (no ellipse fits).
struct Box {
  AcGePoint3d centre;
  double width = 0;
  double height = 0;
};
bool BoxOf(const AcGePoint3d& a, const AcGePoint3d& b, Box& box) {
  if (!Finite(a) || !Finite(b)) return false;
  box.centre = Midpoint(a, b);
  box.width = std::fabs(b.x - a.x);
  box.height = std::fabs(b.y - a.y);
  return box.width > Tol() && box.height > Tol();
}

}  // namespace

AcDbObjectId CreateArc(const EntityProps& props, const AcGePoint3d& centre, double radius, double startAngle,
                       double endAngle) {
  if (!Finite(centre) || !Finite(radius) || !Finite(startAngle) || !Finite(endAngle) || radius <= Tol()) {
    return AcDbObjectId::kNull;
  }
  return Append(new AcDbArc(centre, AcGeVector3d(0, 0, 1), radius, startAngle, endAngle), props);
}

AcDbObjectId CreateArcByCorners(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b,
                                double startDegrees, double endDegrees) {
  const AcGePoint3d centre = Midpoint(a, b);
  const double radius = std::fabs(centre.x - a.x);
  return CreateArc(props, centre, radius, startDegrees * kTwoPi / 360.0, endDegrees * kTwoPi / 360.0);
}

AcDbObjectId CreateArc3Points(const EntityProps& props, const AcGePoint3d& p1, const AcGePoint3d& p2,
                              const AcGePoint3d& p3) {
  if (!Finite(p1) || !Finite(p2) || !Finite(p3)) return AcDbObjectId::kNull;
  const double abx = p2.x - p1.x, aby = p2.y - p1.y;
  const double acx = p3.x - p1.x, acy = p3.y - p1.y;
  const double ab = std::hypot(abx, aby);
  const double ac = std::hypot(acx, acy);
  const double cross = abx * acy - aby * acx;
  if (ab <= Tol() || ac <= Tol() || std::hypot(p3.x - p2.x, p3.y - p2.y) <= Tol() ||
      std::fabs(cross) <= Tol() * ab * ac) {
    return CreatePolyline2d(props, {{p1.x, p1.y}, {p2.x, p2.y}, {p3.x, p3.y}});
  }
  // Circumcentre relative to p1.
  const double d = 2.0 * cross;
  const double ab2 = abx * abx + aby * aby;
  const double ac2 = acx * acx + acy * acy;
  const double ux = (acy * ab2 - aby * ac2) / d;
  const double uy = (abx * ac2 - acx * ab2) / d;
  const AcGePoint3d centre(p1.x + ux, p1.y + uy, (p1.z + p2.z + p3.z) / 3.0);
  const double radius = std::hypot(ux, uy);
  const double start = std::atan2(p1.y - centre.y, p1.x - centre.x);
  const double end = std::atan2(p3.y - centre.y, p3.x - centre.x);
  return CreateArc(props, centre, radius, start, end);
}

AcDbObjectId CreateCircle(const EntityProps& props, const AcGePoint3d& centre, double radius) {
  if (!Finite(centre) || !Finite(radius) || radius <= Tol()) return AcDbObjectId::kNull;
  return Append(new AcDbCircle(centre, AcGeVector3d(0, 0, 1), radius), props);
}

AcDbObjectId CreateCircleByDiameter(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b) {
  const AcGePoint3d centre = Midpoint(a, b);
  return CreateCircle(props, centre, centre.distanceTo(a));
}

AcDbObjectId CreateEllipticalArcInBox(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b,
                                      double startAngle, double endAngle) {
  Box box;
  if (!BoxOf(a, b, box)) return AcDbObjectId::kNull;
  if (box.width > box.height) {
    return CreateEllipse(props, box.centre, AcGeVector3d(box.width / 2.0, 0, 0), box.height / box.width, startAngle,
                         endAngle);
  }
  constexpr double kQuarter = kPiF / 2.0;
  return CreateEllipse(props, box.centre, AcGeVector3d(0, box.height / 2.0, 0), box.width / box.height,
                       startAngle - kQuarter, endAngle - kQuarter);
}

AcDbObjectId CreateEllipseInBox(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b) {
  Box box;
  if (!BoxOf(a, b, box)) return AcDbObjectId::kNull;
  if (box.width > box.height) {
    return CreateEllipse(props, box.centre, AcGeVector3d(box.width / 2.0, 0, 0), box.height / box.width, 0, kTwoPi);
  }
  return CreateEllipse(props, box.centre, AcGeVector3d(0, box.height / 2.0, 0), box.width / box.height, 0, kTwoPi);
}

AcDbObjectId CreateEllipse(const EntityProps& props, const AcGePoint3d& centre, const AcGeVector3d& majorAxis,
                           double ratio, double startAngle, double endAngle) {
  const bool finite = Finite(centre) && Finite(majorAxis.x) && Finite(majorAxis.y) && Finite(majorAxis.z) &&
                      Finite(ratio) && Finite(startAngle) && Finite(endAngle);
  if (!finite || majorAxis.length() <= Tol() || !(ratio > 0) || ratio > 1.0) return AcDbObjectId::kNull;
  return Append(new AcDbEllipse(centre, AcGeVector3d(0, 0, 1), majorAxis, ratio, startAngle, endAngle), props);
}

AcDbObjectId CreatePolyline2d(const EntityProps& props, const std::vector<AcGePoint2d>& points) {
  if (points.size() < 2) return AcDbObjectId::kNull;
  auto line = std::make_unique<AcDbPolyline>(static_cast<unsigned>(points.size()));
  for (const AcGePoint2d& p : points) {
    if (!Finite(p.x) || !Finite(p.y)) return AcDbObjectId::kNull;
    line->addVertexAt(line->numVerts(), p, 0.0);
  }
  return Append(line.release(), props);
}

AcDbObjectId CreateRectangle(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b) {
  if (!Finite(a) || !Finite(b)) return AcDbObjectId::kNull;
  auto line = std::make_unique<AcDbPolyline>(4u);
  line->addVertexAt(0, AcGePoint2d(a.x, a.y));
  line->addVertexAt(1, AcGePoint2d(b.x, a.y));
  line->addVertexAt(2, AcGePoint2d(b.x, b.y));
  line->addVertexAt(3, AcGePoint2d(a.x, b.y));
  line->setClosed(true);
  return Append(line.release(), props);
}

std::vector<double> SplineKnots(std::size_t n, bool closed, int order) {
  std::vector<double> knots;
  if (closed) {
    for (std::size_t i = 0; i <= n; ++i) knots.push_back(static_cast<double>(i));
    return knots;
  }
  if (n < 2) return knots;
  if (n <= 4) {
    knots.assign(n, 0.0);
    knots.insert(knots.end(), n, 1.0);
    return knots;
  }
  const std::size_t total = n + static_cast<std::size_t>(order);
  for (std::size_t i = 0; i < total; ++i) {
    if (i < 4) {
      knots.push_back(0.0);
    } else if (i < n) {
      knots.push_back(static_cast<double>(i - 3));
    } else {
      knots.push_back(static_cast<double>(n - 3));
    }
  }
  return knots;
}

AcDbObjectId CreateSpline(const EntityProps& props, const std::vector<AcGePoint3d>& points, bool closed, int order) {
  const std::vector<double> knotValues = SplineKnots(points.size(), closed, order);
  if (knotValues.empty() || points.size() < 2) return AcDbObjectId::kNull;
  AcGePoint3dArray controls;
  AcGeDoubleArray knots;
  AcGeDoubleArray weights;
  for (const AcGePoint3d& p : points) {
    if (!Finite(p)) return AcDbObjectId::kNull;
    controls.append(p);
    weights.append(1.0);
  }
  for (const double k : knotValues) knots.append(k);
  auto spline = std::make_unique<AcDbSpline>(order - 1, false, closed, closed, controls, knots, weights, 0.0,
                                             AcGeKnotVector::globalKnotTolerance);
  if (spline->isNull()) return AcDbObjectId::kNull;
  return Append(spline.release(), props);
}

}  // namespace vurk
