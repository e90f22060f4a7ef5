// Geometry library: matrices, 2D curves and their sample points.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/gecurv2d.h"
#include "arx/geknot.h"
#include "arx/gemat.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const AcGeTol kTol(1e-12, 1e-12);

TEST(GeMatrix, RotationAboutACentreAndItsInverse) {
  AcGeMatrix3d r = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0));
  EXPECT_TRUE((r * AcGePoint3d(2, 1, 0)).isEqualTo(AcGePoint3d(1, 2, 0), kTol));
  EXPECT_TRUE((r.inverse() * AcGePoint3d(1, 2, 0)).isEqualTo(AcGePoint3d(2, 1, 0), kTol));
  EXPECT_TRUE((r * r.inverse()).isEqualTo(AcGeMatrix3d::kIdentity));
  EXPECT_NEAR(r.det(), 1.0, 1e-12);
  EXPECT_TRUE(r.isUniScaledOrtho());
  AcGeMatrix3d m = AcGeMatrix3d::mirroring(AcGePoint3d(5, 0, 0), AcGeVector3d::kXAxis);
  EXPECT_TRUE((m * AcGePoint3d(7, 3, 1)).isEqualTo(AcGePoint3d(3, 3, 1), kTol));
  EXPECT_NEAR(m.det(), -1.0, 1e-12);
  AcGeMatrix3d s = AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1));
  EXPECT_FALSE(s.isUniScaledOrtho());
  EXPECT_TRUE(s.isScaledOrtho());
  EXPECT_TRUE((AcGeMatrix3d::translation(AcGeVector3d(1, 2, 3)) * s * AcGePoint3d(1, 1, 1))
                  .isEqualTo(AcGePoint3d(3, 3, 4), kTol))
      << "the right-hand matrix applies first";
}

TEST(GeCurves, ClockwiseArcRunsTheOtherWay) {
  AcGeCircArc2d arc(AcGePoint2d(0, 0), 2.0, 0.0, kPi / 2, AcGeVector2d::kXAxis, true);
  EXPECT_TRUE(arc.isClockWise());
  EXPECT_TRUE(arc.startPoint().isEqualTo(AcGePoint2d(2, 0), kTol));
  EXPECT_TRUE(arc.endPoint().isEqualTo(AcGePoint2d(0, -2), kTol));
  AcGeCircArc2d mirrored(AcGePoint2d(0, 0), 2.0, 0.0, kPi / 2);
  mirrored.transformBy(AcGeMatrix2d::mirroring(AcGePoint2d(0, 0), AcGeVector2d::kXAxis));
  EXPECT_TRUE(mirrored.isClockWise()) << "a reflection turns the direction round";
  EXPECT_TRUE(mirrored.endPoint().isEqualTo(AcGePoint2d(0, -2), kTol));
}

TEST(GeCurves, ArcThroughThreePointsAndFromABulge) {
  AcGeCircArc2d a(AcGePoint2d(1, 0), AcGePoint2d(0, 1), AcGePoint2d(-1, 0));
  EXPECT_TRUE(a.center().isEqualTo(AcGePoint2d(0, 0), kTol));
  EXPECT_NEAR(a.radius(), 1.0, 1e-12);
  EXPECT_FALSE(a.isClockWise());
  EXPECT_NEAR(a.endAng() - a.startAng(), kPi, 1e-12);
  AcGeCircArc2d b(AcGePoint2d(1, 0), AcGePoint2d(0, -1), AcGePoint2d(-1, 0));
  EXPECT_TRUE(b.isClockWise());
  EXPECT_TRUE(b.evalPoint((b.startAng() + b.endAng()) / 2).isEqualTo(AcGePoint2d(0, -1), kTol));
  AcGeCircArc2d c(AcGePoint2d(0, 0), AcGePoint2d(2, 0), std::tan(kPi / 8));  // 90 degrees
  EXPECT_NEAR(c.radius(), std::sqrt(2.0), 1e-12);
  EXPECT_TRUE(c.center().isEqualTo(AcGePoint2d(1, 1), kTol)) << "a short counter-clockwise arc bends below the chord";
  EXPECT_TRUE(c.evalPoint((c.startAng() + c.endAng()) / 2).isEqualTo(AcGePoint2d(1, 1 - std::sqrt(2.0)), kTol));
}

TEST(GeCurves, EllipseArcBoxAndDirection) {
  AcGeEllipArc2d e(AcGePoint2d(0, 0), AcGeVector2d(1, 0), AcGeVector2d(0, 1), 4.0, 2.0, 0.0, kPi);
  AcGePoint2d lo, hi;
  e.orthoBoundBlock().getMinMaxPoints(lo, hi);
  EXPECT_TRUE(lo.isEqualTo(AcGePoint2d(-4, 0), kTol));
  EXPECT_TRUE(hi.isEqualTo(AcGePoint2d(4, 2), kTol));
  EXPECT_FALSE(e.isClockWise());
  AcGeEllipArc2d cw(AcGePoint2d(0, 0), AcGeVector2d(1, 0), AcGeVector2d(0, -1), 4.0, 2.0);
  EXPECT_TRUE(cw.isClockWise());
}

TEST(GeCurves, NurbsCurveEvaluatesAndChecksItsDefinition) {
  AcGePoint2dArray cps;
  for (auto p : {AcGePoint2d(0, 0), AcGePoint2d(1, 2), AcGePoint2d(2, 0)}) cps.append(p);
  AcGeDoubleArray k;
  for (double v : {0.0, 0.0, 0.0, 1.0, 1.0, 1.0}) k.append(v);
  AcGeNurbCurve2d quad(2, AcGeKnotVector(k), cps);
  ASSERT_TRUE(quad.isValid());
  EXPECT_TRUE(quad.evalPoint(0.5).isEqualTo(AcGePoint2d(1, 1), kTol)) << "(P0 + 2 P1 + P2) / 4";
  AcGePoint2dArray pts;
  quad.getSamplePoints(3, pts);
  EXPECT_TRUE(pts[2].isEqualTo(AcGePoint2d(2, 0), kTol));
  k.removeLast();
  EXPECT_FALSE(AcGeNurbCurve2d(2, AcGeKnotVector(k), cps).isValid());
}

}  // namespace
