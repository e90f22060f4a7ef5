// The arbitrary-axis OCS, and entities whose normal is (0,0,-1).
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/gemat.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const AcGeTol kTight(1e-12, 1e-12);

TEST(ArbitraryAxis, NegativeZNormalFlipsTheXAxis) {
  AcGeMatrix3d m = AcGeMatrix3d::planeToWorld(AcGeVector3d(0, 0, -1));
  EXPECT_TRUE((m * AcGeVector3d::kXAxis).isEqualTo(AcGeVector3d(-1, 0, 0), kTight));
  EXPECT_TRUE((m * AcGeVector3d::kYAxis).isEqualTo(AcGeVector3d(0, 1, 0), kTight));
  EXPECT_TRUE((m * AcGeVector3d::kZAxis).isEqualTo(AcGeVector3d(0, 0, -1), kTight));
  AcGeMatrix3d back = AcGeMatrix3d::worldToPlane(AcGeVector3d(0, 0, -1));
  EXPECT_TRUE((back * m).isEqualTo(AcGeMatrix3d::kIdentity));
}

TEST(ArbitraryAxis, TheOneSixtyFourthThresholdPicksTheReferenceAxis) {
  // |Nx| and |Ny| below 1/64: X = Wy x N.
  AcGeVector3d nearZ = AcGeVector3d(0.01, 0, 1).normal();
  AcGeVector3d x1 = acgeOcsXAxis(nearZ);
  AcGeVector3d expected1 = AcGeVector3d(0, 1, 0).crossProduct(nearZ).normal();
  EXPECT_TRUE(x1.isEqualTo(expected1, kTight));
  EXPECT_GT(x1.x, 0.99);
  // |Nx| at or above 1/64: X = Wz x N, here (0, 1, 0).
  AcGeVector3d tilted = AcGeVector3d(0.1, 0, 1).normal();
  EXPECT_TRUE(acgeOcsXAxis(tilted).isEqualTo(AcGeVector3d(0, 1, 0), kTight));
}

TEST(MirroredEntities, CircleParameterZeroPointsToMinusX) {
  AcDbCircle c(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, -1), 2.0);
  AcGePoint3d p;
  ASSERT_EQ(c.getPointAtParam(0.0, p), Acad::eOk);
  EXPECT_TRUE(p.isEqualTo(AcGePoint3d(3, 5, 0), kTight));
  ASSERT_EQ(c.getPointAtParam(kPi / 2, p), Acad::eOk);
  EXPECT_TRUE(p.isEqualTo(AcGePoint3d(5, 7, 0), kTight));
}

TEST(MirroredEntities, ArcRunsClockwiseWhenSeenFromAbove) {
  AcDbArc arc(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, -1), 2.0, 0.0, kPi / 2);
  AcGePoint3d s, e, mid;
  ASSERT_EQ(arc.getStartPoint(s), Acad::eOk);
  ASSERT_EQ(arc.getEndPoint(e), Acad::eOk);
  ASSERT_EQ(arc.getPointAtParam(kPi / 4, mid), Acad::eOk);
  EXPECT_TRUE(s.isEqualTo(AcGePoint3d(3, 5, 0), kTight));
  EXPECT_TRUE(e.isEqualTo(AcGePoint3d(5, 7, 0), kTight));
  EXPECT_LT(mid.x, 5.0);
  EXPECT_GT(mid.y, 5.0);
}

TEST(MirroredEntities, PolylineVerticesComeBackInWorldCoordinates) {
  AcDbPolyline pl;
  pl.addVertexAt(0, AcGePoint2d(1, 2));
  pl.setNormal(AcGeVector3d(0, 0, -1));
  pl.setElevation(3.0);
  AcGePoint3d w;
  ASSERT_EQ(pl.getPointAt(0, w), Acad::eOk);
  EXPECT_TRUE(w.isEqualTo(AcGePoint3d(-1, 2, -3), kTight));
}

}  // namespace
