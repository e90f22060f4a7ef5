// The arbitrary-axis OCS: the plane-to-world matrix of a normal and the reference-axis threshold.
#include <gtest/gtest.h>

#include "arx/gemat.h"

namespace {

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

}  // namespace
