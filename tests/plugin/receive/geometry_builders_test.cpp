// The entities received geometry is drawn with: their defining values, and the degenerate
// inputs that must not produce an entity.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/axlock.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbspline.h"
#include "exchange/opened_object.h"
#include "plugin/receive/receive_support.h"
#include "plugin/shell/plugin_session.h"
#include "receive/geometry_builders.h"

namespace {

using namespace vurktest;
using vurk::OpenedObject;

class BuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(s.steps("plugin load")); }
  vurk::EntityProps props = vurk::DefaultEntityProps();
  PluginSession s{true};
};

TEST(SplineKnots, ClosedOpenShortAndTooShort) {
  EXPECT_EQ(vurk::SplineKnots(4, true, 4), (std::vector<double>{0, 1, 2, 3, 4}));
  EXPECT_EQ(vurk::SplineKnots(6, false, 4), (std::vector<double>{0, 0, 0, 0, 1, 2, 3, 3, 3, 3}));
  EXPECT_EQ(vurk::SplineKnots(5, false, 4), (std::vector<double>{0, 0, 0, 0, 1, 2, 2, 2, 2}));
  EXPECT_EQ(vurk::SplineKnots(3, false, 4), (std::vector<double>{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(vurk::SplineKnots(2, false, 4), (std::vector<double>{0, 0, 1, 1}));
  EXPECT_TRUE(vurk::SplineKnots(1, false, 4).empty());
}

TEST_F(BuilderTest, SplinesAreCubicThroughTheirControlPointsOrNothing) {
  AcAxDocLock lock;
  const std::vector<AcGePoint3d> six{{0, 0, 0}, {1, 2, 0}, {2, 0, 0}, {3, 2, 0}, {4, 0, 0}, {5, 2, 1}};
  const AcDbObjectId open = vurk::CreateSpline(props, six, false);
  ASSERT_FALSE(open.isNull());
  {
    OpenedObject<AcDbSpline> sp(open, AcDb::kForRead);
    EXPECT_EQ(sp->degree(), 3);
    EXPECT_EQ(sp->numControlPoints(), 6);
    EXPECT_FALSE(sp->isRational());
    AcGePoint3d end;
    sp->getEndPoint(end);
    EXPECT_EQ(end, AcGePoint3d(5, 2, 1));  // clamped: the curve ends on its last control point
  }
  const AcDbObjectId closed = vurk::CreateSpline(props, six, true);
  ASSERT_FALSE(closed.isNull());
  {
    OpenedObject<AcDbSpline> sp(closed, AcDb::kForRead);
    EXPECT_TRUE(sp->isPeriodic());
  }
  // Three points are too few for a cubic: AutoCAD rejects the definition and nothing is added.
  EXPECT_TRUE(vurk::CreateSpline(props, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, false).isNull());
  EXPECT_TRUE(vurk::CreateSpline(props, {{0, 0, 0}}, false).isNull());
  EXPECT_EQ(DrawnIds().length(), 2);
}

TEST_F(BuilderTest, ArcsFromCornersAndFromThreePoints) {
  AcAxDocLock lock;
  const AcDbObjectId byCorners = vurk::CreateArcByCorners(props, {0, 10, 0}, {10, 0, 0}, 90, 180);
  OpenedObject<AcDbArc> a(byCorners, AcDb::kForRead);
  EXPECT_EQ(a->center(), AcGePoint3d(5, 5, 0));
  EXPECT_DOUBLE_EQ(a->radius(), 5);
  EXPECT_NEAR(a->startAngle(), M_PI / 2, 1e-12);
  EXPECT_NEAR(a->endAngle(), M_PI, 1e-12);

  const AcDbObjectId through = vurk::CreateArc3Points(props, {10, 0, 3}, {0, 10, 6}, {-10, 0, 0});
  OpenedObject<AcDbArc> b(through, AcDb::kForRead);
  EXPECT_NEAR(b->center().x, 0, 1e-12);
  EXPECT_NEAR(b->center().y, 0, 1e-12);
  EXPECT_DOUBLE_EQ(b->center().z, 3);  // the mean of the three heights
  EXPECT_NEAR(b->radius(), 10, 1e-12);

  // Coincident points: a polyline, never a NaN arc.
  const AcDbObjectId flat = vurk::CreateArc3Points(props, {1, 1, 0}, {1, 1, 0}, {4, 4, 0});
  OpenedObject<AcDbPolyline> pl(flat, AcDb::kForRead);
  ASSERT_TRUE(pl);
  EXPECT_EQ(pl->numVerts(), 3u);
  EXPECT_TRUE(vurk::CreateArc(props, {0, 0, 0}, 0, 0, 1).isNull());
  EXPECT_TRUE(vurk::CreateArc(props, {NAN, 0, 0}, 1, 0, 1).isNull());
}

TEST_F(BuilderTest, EllipsesInABoxTakeTheLongerSideAsTheirMajorAxis) {
  AcAxDocLock lock;
  OpenedObject<AcDbEllipse> wide(vurk::CreateEllipseInBox(props, {0, 0, 0}, {8, 2, 0}), AcDb::kForRead);
  EXPECT_EQ(wide->majorAxis(), AcGeVector3d(4, 0, 0));
  EXPECT_DOUBLE_EQ(wide->radiusRatio(), 0.25);
  EXPECT_EQ(wide->center(), AcGePoint3d(4, 1, 0));

  OpenedObject<AcDbEllipse> tall(vurk::CreateEllipticalArcInBox(props, {0, 0, 0}, {2, 8, 0}, M_PI, 2 * M_PI),
                                 AcDb::kForRead);
  EXPECT_EQ(tall->majorAxis(), AcGeVector3d(0, 4, 0));
  // The angles are given from the X axis; the arc starts at angle pi: the box's left edge.
  AcGePoint3d start;
  tall->getStartPoint(start);
  EXPECT_NEAR(start.x, 0, 1e-6);
  EXPECT_NEAR(start.y, 4, 1e-6);

  EXPECT_TRUE(vurk::CreateEllipseInBox(props, {3, 3, 0}, {3, 9, 0}).isNull());  // no width
  EXPECT_TRUE(vurk::CreateEllipse(props, {0, 0, 0}, AcGeVector3d(0, 0, 0), 0.5, 0, 1).isNull());
  EXPECT_TRUE(vurk::CreateEllipse(props, {0, 0, 0}, AcGeVector3d(1, 0, 0), 0, 0, 1).isNull());
}

TEST_F(BuilderTest, RectanglesAndCirclesByDiameter) {
  AcAxDocLock lock;
  OpenedObject<AcDbPolyline> r(vurk::CreateRectangle(props, {1, 2, 0}, {5, 7, 0}), AcDb::kForRead);
  ASSERT_EQ(r->numVerts(), 4u);
  EXPECT_TRUE(r->isClosed());
  const AcGePoint2d expected[] = {{1, 2}, {5, 2}, {5, 7}, {1, 7}};
  for (unsigned i = 0; i < 4; ++i) {
    AcGePoint2d p;
    r->getPointAt(i, p);
    EXPECT_EQ(p, expected[i]);
  }
  OpenedObject<AcDbCircle> c(vurk::CreateCircleByDiameter(props, {0, 0, 0}, {0, 6, 0}), AcDb::kForRead);
  EXPECT_EQ(c->center(), AcGePoint3d(0, 3, 0));
  EXPECT_DOUBLE_EQ(c->radius(), 3);
  EXPECT_TRUE(vurk::CreateCircleByDiameter(props, {2, 2, 0}, {2, 2, 0}).isNull());
}

}  // namespace
