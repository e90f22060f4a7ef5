// Geometry helpers shared by the entity implementations (internal to the stand-in).
#pragma once

#include <functional>

#include "arx/dbextents.h"
#include "arx/gemat.h"
#include "arx/gept.h"

namespace arxdetail {

constexpr double kPi = 3.14159265358979323846264338327950288;
constexpr double kTwoPi = 2.0 * kPi;

// a in [0, 2pi).
double normalizeAngle(double a);
// True when angle t (modulo 2pi) lies on the counter-clockwise sweep a0 .. a1 (a1 >= a0).
bool onSweep(double t, double a0, double a1);

// The OCS axes of a normal.
void ocsAxes(const AcGeVector3d& normal, AcGeVector3d& x, AcGeVector3d& y);
// OCS point (x, y, z) of normal -> world.
AcGePoint3d ocsToWorld(const AcGeVector3d& normal, const AcGePoint3d& p);
AcGePoint3d worldToOcs(const AcGeVector3d& normal, const AcGePoint3d& p);

// Adds the exact box of the arc centre c, radius r, in the plane with unit axes x and y,
// running counter-clockwise from angle a0 to a1 (a1 >= a0).
void addArcExtents(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& x, const AcGeVector3d& y, double r,
                   double a0, double a1);
// Adds the exact box of c + cos(t) a + sin(t) b for t in [t0, t1].
void addEllipseExtents(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
                       double t0, double t1);

// What a transform does to a plane with the given normal.
struct PlanarImage {
  AcGeVector3d normal;  // new normal: image of X cross image of Y
  double scale = 1.0;   // length of the image of a unit X
  bool uniform = true;  // the plane is scaled uniformly (no stretch or shear in it)
  double rotation = 0;  // angle of the image of the old OCS X axis in the new OCS
};
PlanarImage planarImage(const AcGeMatrix3d& m, const AcGeVector3d& normal);

// Length of a parametric path by Gauss-Legendre quadrature on finite differences.
double numericLength(const std::function<AcGePoint3d(double)>& f, double t0, double t1);

}  // namespace arxdetail
