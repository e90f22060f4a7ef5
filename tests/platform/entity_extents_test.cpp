// True geometric extents: arcs by their quadrant points, bulges, ellipses by their extremes,
// tilted circles, and the failures for empty geometry.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbspline.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void expectBox(const AcDbExtents& e, AcGePoint3d min, AcGePoint3d max, const char* what) {
  EXPECT_NEAR(e.minPoint().x, min.x, 1e-9) << what;
  EXPECT_NEAR(e.minPoint().y, min.y, 1e-9) << what;
  EXPECT_NEAR(e.minPoint().z, min.z, 1e-9) << what;
  EXPECT_NEAR(e.maxPoint().x, max.x, 1e-9) << what;
  EXPECT_NEAR(e.maxPoint().y, max.y, 1e-9) << what;
  EXPECT_NEAR(e.maxPoint().z, max.z, 1e-9) << what;
}

TEST(EntityExtents, ArcIncludesTheQuadrantPointsItPasses) {
  // 30 to 150 degrees passes the top quadrant (0, 10) but no other.
  AcDbArc arc(AcGePoint3d(0, 0, 0), 10.0, kPi / 6, 5 * kPi / 6);
  AcDbExtents e;
  ASSERT_EQ(arc.getGeomExtents(e), Acad::eOk);
  const double c = 10 * std::cos(kPi / 6), s = 10 * std::sin(kPi / 6);
  expectBox(e, AcGePoint3d(-c, s, 0), AcGePoint3d(c, 10, 0), "upper arc");

  // 300 to 60 degrees wraps through 0: the right quadrant (10, 0).
  AcDbArc wrap(AcGePoint3d(1, 2, 3), 10.0, 5 * kPi / 3, kPi / 3);
  ASSERT_EQ(wrap.getGeomExtents(e), Acad::eOk);
  expectBox(e, AcGePoint3d(1 + 5, 2 - 10 * std::sin(kPi / 3), 3), AcGePoint3d(1 + 10, 2 + 10 * std::sin(kPi / 3), 3),
            "wrapping arc");
}

TEST(EntityExtents, CircleInATiltedPlane) {
  AcGeVector3d n = AcGeVector3d(1, 0, 1).normal();
  AcDbCircle circle(AcGePoint3d(0, 0, 0), n, 2.0);
  AcDbExtents e;
  ASSERT_EQ(circle.getGeomExtents(e), Acad::eOk);
  const double h = 2.0 * std::sqrt(0.5);  // r sqrt(1 - n_x^2) with n_x^2 = 1/2
  expectBox(e, AcGePoint3d(-h, -2, -h), AcGePoint3d(h, 2, h), "circle tilted about Y");
}

TEST(EntityExtents, BulgedPolylineReachesPastItsVertices) {
  AcDbPolyline pl;
  pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);  // half circle of radius 5 below the chord
  pl.addVertexAt(1, AcGePoint2d(10, 0));
  AcDbExtents e;
  ASSERT_EQ(pl.getGeomExtents(e), Acad::eOk);
  expectBox(e, AcGePoint3d(0, -5, 0), AcGePoint3d(10, 0, 0), "half circle");

  AcDbPolyline quarter;  // bulge tan(22.5 deg): a quarter circle from (10,0) to (0,10) about the origin
  quarter.addVertexAt(0, AcGePoint2d(10, 0), std::tan(kPi / 8));
  quarter.addVertexAt(1, AcGePoint2d(0, 10));
  quarter.setElevation(2.0);
  ASSERT_EQ(quarter.getGeomExtents(e), Acad::eOk);
  expectBox(e, AcGePoint3d(0, 0, 2), AcGePoint3d(10, 10, 2), "quarter circle passes no quadrant point inside");
}

TEST(EntityExtents, EllipseUsesItsExtremesNotItsAxisEnds) {
  // Major axis along (1,1) of length 10, ratio 0.5.
  AcGeVector3d major = AcGeVector3d(1, 1, 0).normal() * 10.0;
  AcDbEllipse ellipse(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, major, 0.5);
  AcDbExtents e;
  ASSERT_EQ(ellipse.getGeomExtents(e), Acad::eOk);
  // x(t) = a cos t /sqrt2 - b sin t /sqrt2: half-width sqrt((a^2 + b^2) / 2).
  const double half = std::sqrt((100.0 + 25.0) / 2.0);
  expectBox(e, AcGePoint3d(-half, -half, 0), AcGePoint3d(half, half, 0), "rotated ellipse");

  // Upper half only (angles 0 .. pi): y from 0 to the top extreme.
  AcDbEllipse upper(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(10, 0, 0), 0.5, 0.0, kPi);
  ASSERT_EQ(upper.getGeomExtents(e), Acad::eOk);
  expectBox(e, AcGePoint3d(-10, 0, 0), AcGePoint3d(10, 5, 0), "half ellipse");
}

TEST(EntityExtents, EmptyGeometryFails) {
  AcDbPolyline empty;
  AcDbExtents e;
  EXPECT_EQ(empty.getGeomExtents(e), Acad::eInvalidExtents);
  AcDbSpline nullSpline;
  EXPECT_NE(nullSpline.getGeomExtents(e), Acad::eOk);
  EXPECT_TRUE(AcDbExtents().isEmpty());
}

TEST(EntityExtents, SplineBoxContainsTheCurve) {
  AcGePoint3dArray cps;
  for (auto p : {AcGePoint3d(0, 0, 0), AcGePoint3d(1, 3, 0), AcGePoint3d(3, -2, 0), AcGePoint3d(4, 0, 0)}) cps.append(p);
  AcGeDoubleArray knots;
  for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0}) knots.append(k);
  AcDbSpline spline(3, false, false, false, cps, knots, AcGeDoubleArray());
  AcDbExtents e;
  ASSERT_EQ(spline.getGeomExtents(e), Acad::eOk);
  for (int i = 0; i <= 20; ++i) {
    AcGePoint3d p;
    ASSERT_EQ(spline.getPointAtParam(i / 20.0, p), Acad::eOk);
    EXPECT_GE(p.x, e.minPoint().x - 1e-12);
    EXPECT_LE(p.x, e.maxPoint().x + 1e-12);
    EXPECT_GE(p.y, e.minPoint().y - 1e-12);
    EXPECT_LE(p.y, e.maxPoint().y + 1e-12);
  }
}

}  // namespace
