// getTransformedCopy of circles and arcs under a scaling they cannot take: an ellipse copy
// (the block-explode retry of the plug-in relies on it).
#include <gtest/gtest.h>

#include <memory>

#include "arx/dbelipse.h"
#include "arx/dbents.h"

namespace {

TEST(TransformedCopy, CircleUnderNonUniformScaleBecomesAnEllipse) {
  AcDbCircle circle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1.0);
  circle.setColorIndex(3);
  AcDbEntity* copy = nullptr;
  ASSERT_EQ(circle.getTransformedCopy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1), AcGePoint3d::kOrigin), copy),
            Acad::eOk);
  std::unique_ptr<AcDbEntity> owned(copy);
  const auto* e = AcDbEllipse::cast(copy);
  ASSERT_NE(e, nullptr) << "not an ellipse";
  EXPECT_NEAR(e->majorRadius(), 2.0, 1e-12);
  EXPECT_NEAR(e->minorRadius(), 1.0, 1e-12);
  EXPECT_TRUE(e->center().isEqualTo(AcGePoint3d(2, 1, 0)));
  EXPECT_TRUE(e->isClosed());
  EXPECT_EQ(e->colorIndex(), 3) << "properties travel with the copy";
  EXPECT_EQ(circle.radius(), 1.0) << "the circle itself is unchanged";
}

TEST(TransformedCopy, ArcUnderNonUniformScaleKeepsItsEndPoints) {
  AcDbArc arc(AcGePoint3d(0, 0, 0), 1.0, 0.0, 1.5707963267948966);
  AcDbEntity* copy = nullptr;
  ASSERT_EQ(arc.getTransformedCopy(AcGeMatrix3d::scaling(AcGeScale3d(3, 1, 1), AcGePoint3d::kOrigin), copy), Acad::eOk);
  std::unique_ptr<AcDbEntity> owned(copy);
  const auto* e = AcDbEllipse::cast(copy);
  ASSERT_NE(e, nullptr);
  AcGePoint3d start, end;
  e->getStartPoint(start);
  e->getEndPoint(end);
  EXPECT_TRUE(start.isEqualTo(AcGePoint3d(3, 0, 0), AcGeTol(1e-9, 1e-9)));
  EXPECT_TRUE(end.isEqualTo(AcGePoint3d(0, 1, 0), AcGeTol(1e-9, 1e-9)));
}

TEST(TransformedCopy, UniformScaleKeepsACircle) {
  AcDbCircle circle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1.0);
  AcDbEntity* copy = nullptr;
  ASSERT_EQ(circle.getTransformedCopy(AcGeMatrix3d::scaling(2.0), copy), Acad::eOk);
  std::unique_ptr<AcDbEntity> owned(copy);
  ASSERT_NE(AcDbCircle::cast(copy), nullptr);
  EXPECT_EQ(AcDbCircle::cast(copy)->radius(), 2.0);
}

}  // namespace
