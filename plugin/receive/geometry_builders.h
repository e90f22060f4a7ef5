// The entities a received map object is drawn with. Each builder makes one entity, gives it the
// display properties and appends it to model space of the working database; the null id when
// the geometry is degenerate (a zero radius, axis or box, a non-finite value) or AutoCAD refuses
// the entity, so nothing unusable ever enters the drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "arx/dbid.h"
#include "arx/gept.h"
#include "arx/gevec.h"
#include "basemap/dwg_database_util.h"

namespace vurk {

// pi as the map side computes it, in single precision.
inline constexpr double kPiF = static_cast<double>(3.14159265358979323846f);
// Degrees to radians as the map side converts them (single-precision pi / 180).
inline double DegreesToRadians(double degrees) { return degrees * kPiF / 180.0; }

AcDbObjectId CreateArc(const EntityProps& props, const AcGePoint3d& centre, double radius, double startAngle,
                       double endAngle);
// Centre = midpoint of the corners, radius = |centre.x - a.x|; angles in degrees.
AcDbObjectId CreateArcByCorners(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b,
                                double startDegrees, double endDegrees);
// The counter-clockwise arc from the first point to the last through the circle of the three
// points (centre Z the mean of the three). Collinear or coincident points have no circle: an
// open polyline through the three points is drawn instead.
AcDbObjectId CreateArc3Points(const EntityProps& props, const AcGePoint3d& p1, const AcGePoint3d& p2,
                              const AcGePoint3d& p3);
AcDbObjectId CreateCircle(const EntityProps& props, const AcGePoint3d& centre, double radius);
// Centre = midpoint, radius = distance from the centre to the first point.
AcDbObjectId CreateCircleByDiameter(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b);
// A full ellipse centred in the box of the corners, its major axis along the longer side.
AcDbObjectId CreateEllipseInBox(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b);
// As CreateEllipseInBox, from start to end angle (radians); with the major axis along Y both
// angles are reduced by pi/2.
AcDbObjectId CreateEllipticalArcInBox(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b,
                                      double startAngle, double endAngle);
// Normal (0, 0, 1); ratio in (0, 1].
AcDbObjectId CreateEllipse(const EntityProps& props, const AcGePoint3d& centre, const AcGeVector3d& majorAxis,
                           double ratio, double startAngle, double endAngle);
// An open lightweight polyline through the points, bulges 0.
AcDbObjectId CreatePolyline2d(const EntityProps& props, const std::vector<AcGePoint2d>& points);
// The closed rectangle (a.x, a.y), (b.x, a.y), (b.x, b.y), (a.x, b.y).
AcDbObjectId CreateRectangle(const EntityProps& props, const AcGePoint3d& a, const AcGePoint3d& b);

// The knot vector of a non-rational spline of n control points: closed (periodic) 0..n;
// open n >= 5: four zeros, 1 .. n - 4, four times n - 3 (n + order values); open 2..4: n zeros
// and n ones; fewer than 2 points: empty.
std::vector<double> SplineKnots(std::size_t n, bool closed, int order);
// A spline of degree order - 1 with the points as control points, all weights 1; a definition
// AutoCAD rejects adds nothing.
AcDbObjectId CreateSpline(const EntityProps& props, const std::vector<AcGePoint3d>& points, bool closed,
                          int order = 4);

}  // namespace vurk
