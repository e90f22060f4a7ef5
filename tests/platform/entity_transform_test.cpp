// transformBy: what each entity can take, reflections, the non-uniform scaling refusal, and
// transformed copies (an ellipse for a stretched circle or arc).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const AcGeTol kTol(1e-9, 1e-9);
const AcGeMatrix3d kMirrorX = AcGeMatrix3d::mirroring(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis);
const AcGeMatrix3d kStretch = AcGeMatrix3d::scaling(AcGeScale3d(2.0, 1.0, 1.0));

TEST(EntityTransform, CircleRefusesANonUniformScaleAndStaysAsItWas) {
  AcDbCircle c(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 3.0);
  EXPECT_EQ(c.transformBy(kStretch), Acad::eCannotScaleNonUniformly);
  EXPECT_EQ(static_cast<int>(Acad::eCannotScaleNonUniformly), 136);
  EXPECT_EQ(c.radius(), 3.0);
  EXPECT_TRUE(c.center().isEqualTo(AcGePoint3d(1, 2, 0)));
  ASSERT_EQ(c.transformBy(AcGeMatrix3d::scaling(2.0, AcGePoint3d(1, 2, 0))), Acad::eOk);
  EXPECT_NEAR(c.radius(), 6.0, 1e-12);
}

TEST(EntityTransform, MirroredCircleGetsTheOppositeNormal) {
  AcDbCircle c(AcGePoint3d(5, 0, 0), AcGeVector3d::kZAxis, 1.0);
  AcGePoint3d before;
  c.getPointAtParam(0.0, before);
  ASSERT_EQ(c.transformBy(kMirrorX), Acad::eOk);
  EXPECT_TRUE(c.normal().isEqualTo(AcGeVector3d(0, 0, -1)));
  EXPECT_TRUE(c.center().isEqualTo(AcGePoint3d(-5, 0, 0)));
  AcGePoint3d after;
  c.getPointAtParam(0.0, after);
  EXPECT_TRUE(after.isEqualTo(kMirrorX * before, kTol));
}

TEST(EntityTransform, ArcEndsFollowTheTransform) {
  for (const AcGeMatrix3d& m : {kMirrorX, AcGeMatrix3d::rotation(kPi / 3, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0)),
                                AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kXAxis) * AcGeMatrix3d::scaling(3.0)}) {
    AcDbArc arc(AcGePoint3d(0, 0, 0), 1.0, 0.2, 1.9);
    AcGePoint3d s0, e0, m0;
    arc.getStartPoint(s0);
    arc.getEndPoint(e0);
    arc.getPointAtParam(1.0, m0);
    ASSERT_EQ(arc.transformBy(m), Acad::eOk);
    AcGePoint3d s1, e1;
    arc.getStartPoint(s1);
    arc.getEndPoint(e1);
    EXPECT_TRUE(s1.isEqualTo(m * s0, kTol));
    EXPECT_TRUE(e1.isEqualTo(m * e0, kTol));
    double p = 0;
    EXPECT_EQ(arc.getParamAtPoint(m * m0, p), Acad::eOk) << "an inner point stays on the arc";
  }
}

TEST(EntityTransform, PolylineWithArcsRefusesNonUniformScaleButLinesTakeIt) {
  AcDbPolyline arcs;
  arcs.addVertexAt(0, AcGePoint2d(0, 0), 0.5);
  arcs.addVertexAt(1, AcGePoint2d(4, 0));
  EXPECT_EQ(arcs.transformBy(kStretch), Acad::eCannotScaleNonUniformly);
  AcGePoint2d p;
  arcs.getPointAt(1, p);
  EXPECT_EQ(p, AcGePoint2d(4, 0));

  AcDbPolyline lines;
  lines.addVertexAt(0, AcGePoint2d(0, 0));
  lines.addVertexAt(1, AcGePoint2d(4, 3));
  ASSERT_EQ(lines.transformBy(kStretch), Acad::eOk);
  lines.getPointAt(1, p);
  EXPECT_TRUE(p.isEqualTo(AcGePoint2d(8, 3)));
}

TEST(EntityTransform, MirroredPolylineKeepsItsPath) {
  AcDbPolyline pl;
  pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);
  pl.addVertexAt(1, AcGePoint2d(10, 0));
  pl.setElevation(2.0);
  AcGePoint3d mid0;
  pl.getPointAtParam(0.5, mid0);
  ASSERT_EQ(pl.transformBy(kMirrorX), Acad::eOk);
  EXPECT_TRUE(pl.normal().isEqualTo(AcGeVector3d(0, 0, -1)));
  AcGePoint3d v0, v1, mid1;
  pl.getPointAt(0, v0);
  pl.getPointAt(1, v1);
  pl.getPointAtParam(0.5, mid1);
  EXPECT_TRUE(v0.isEqualTo(AcGePoint3d(0, 0, 2), kTol));
  EXPECT_TRUE(v1.isEqualTo(AcGePoint3d(-10, 0, 2), kTol));
  EXPECT_TRUE(mid1.isEqualTo(kMirrorX * mid0, kTol)) << "the bulge still bends the same way in space";
}

TEST(EntityTransform, TransformedCopyLeavesTheOriginal) {
  AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
  AcDbEntity* copy = nullptr;
  ASSERT_EQ(line.getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(0, 5, 0)), copy), Acad::eOk);
  ASSERT_NE(AcDbLine::cast(copy), nullptr);
  EXPECT_TRUE(AcDbLine::cast(copy)->startPoint().isEqualTo(AcGePoint3d(0, 5, 0)));
  EXPECT_TRUE(line.startPoint().isEqualTo(AcGePoint3d(0, 0, 0)));
  delete copy;
}

// A circle or arc cannot take a stretch itself; its transformed copy is an ellipse (the
// block-explode retry of the plug-in relies on it).
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

}  // namespace
