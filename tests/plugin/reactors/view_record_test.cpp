#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "arx/axlock.h"
#include "arx/acad_app.h"
#include "arx/dbents.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"
#include "plugin/shell/plugin_session.h"
#include "reactors/view_record.h"

namespace {

constexpr double kPi = std::numbers::pi;

TEST(ViewRecord, ReadsTheVisibleAreaAndScalesItAboutTheCentre) {
  vurktest::PluginSession s;
  s.acad().view().setScreenSize(1600, 800);
  s.acad().view().set(AcGePoint2d(500, 300), 100);
  vurk::ViewRecord r;
  ASSERT_TRUE(vurk::GetViewRecord(r, 1.0));
  EXPECT_EQ(r, (vurk::ViewRecord{400, 250, 600, 350, 1600, 800}));
  ASSERT_TRUE(vurk::GetViewRecord(r, 2.0));
  EXPECT_EQ(r, (vurk::ViewRecord{300, 200, 700, 400, 1600, 800}));
}

TEST(ViewRecord, NoRecordForAViewCentredOnTheXAxisOrAWindowWithoutHeight) {
  vurktest::PluginSession s;
  s.acad().view().setScreenSize(1600, 800);
  s.acad().view().set(AcGePoint2d(500, 0.0), 100);
  vurk::ViewRecord r{1, 2, 3, 4, 5, 6};
  EXPECT_FALSE(vurk::GetViewRecord(r, 1.0));
  EXPECT_EQ(r, vurk::ViewRecord{}) << "the record is zeroed";
  s.acad().view().set(AcGePoint2d(500, 300), 100);
  s.acad().view().setScreenSize(800, 0);  // minimised
  EXPECT_FALSE(vurk::GetViewRecord(r, 1.0));
}

TEST(ZoomToWindow, ShowsTheRectangleTimesTheFactor) {
  vurktest::PluginSession s;
  s.acad().view().setScreenSize(1600, 800);
  vurk::ZoomToWindow(AcGePoint3d(100, 100, 0), AcGePoint3d(300, 200, 0), 1.0);
  EXPECT_EQ(s.acad().view().centre().x, 200.0);
  EXPECT_EQ(s.acad().view().centre().y, 150.0);
  EXPECT_EQ(s.acad().view().height(), 100.0);
  vurk::ZoomToWindow(AcGePoint3d(300, 200, 0), AcGePoint3d(100, 100, 0), 2.0);
  EXPECT_EQ(s.acad().view().height(), 200.0) << "corners in either order, sides doubled";
}

TEST(ZoomToWindow, AbsurdCornersLeaveTheViewAlone) {
  vurktest::PluginSession s;
  s.acad().view().set(AcGePoint2d(7, 8), 9);
  const int changes = s.acad().view().changeCount();
  vurk::ZoomToWindow(AcGePoint3d(2e10, 0, 0), AcGePoint3d(0, 10, 0), 1.0);
  vurk::ZoomToWindow(AcGePoint3d(std::nan(""), 0, 0), AcGePoint3d(5, 10, 0), 1.0);
  vurk::ZoomToWindow(AcGePoint3d(1, 1, 0), AcGePoint3d(1, 1, 0), 1.0);
  vurk::ZoomToWindow(AcGePoint3d(0, 5, 0), AcGePoint3d(10, 5, 0), 1.0);
  EXPECT_EQ(s.acad().view().changeCount(), changes);
  EXPECT_EQ(s.acad().view().height(), 9.0);
}

TEST(ModelSpaceCentre, IsTheMiddleOfTheTrueExtents) {
  vurktest::PluginSession s;
  AcAxDocLock lock;  // the callers of the drawing utilities hold the drawing's write lock
  EXPECT_EQ(vurk::ModelSpaceCentre(), AcGePoint3d(0, 0, 0)) << "an empty drawing";
  vurk::AppendToModelSpace(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 4, 0)), vurk::DefaultEntityProps(),
                           &s.drawing());
  // A circle of radius 5 at (20, 10): its true extents reach x = 25 and y = 15, beyond its
  // centre point.
  vurk::AppendToModelSpace(new AcDbCircle(AcGePoint3d(20, 10, 0), AcGeVector3d::kZAxis, 5.0),
                           vurk::DefaultEntityProps(), &s.drawing());
  const AcGePoint3d c = vurk::ModelSpaceCentre();
  EXPECT_DOUBLE_EQ(c.x, 12.5);
  EXPECT_DOUBLE_EQ(c.y, 7.5);
}

TEST(PlaneGeometry, VectorAngleCoversTheFullCircle) {
  EXPECT_DOUBLE_EQ(vurk::VectorAngle(0, -1), 3 * kPi / 2);
  EXPECT_EQ(vurk::VectorAngle(0, 0), 0.0);
  EXPECT_DOUBLE_EQ(vurk::VectorAngle(-1, 0), kPi);
  EXPECT_DOUBLE_EQ(vurk::VectorAngle(1, 1), kPi / 4);
}

TEST(PlaneGeometry, DistanceAlongDirection) {
  const AcGePoint3d p1(3, 7, 0);
  const AcGePoint3d p2(10, 1, 0);
  EXPECT_EQ(vurk::DistanceAlongDirection(p1, p2, kPi / 2), 7.0) << "the X difference";
  EXPECT_EQ(vurk::DistanceAlongDirection(p1, p2, 0.0), 6.0) << "the Y difference";
  // The line through the origin at 45 degrees; (0, 2) lies sqrt(2) from it, and Z 1 adds.
  EXPECT_NEAR(vurk::DistanceAlongDirection(AcGePoint3d(0, 2, 1), AcGePoint3d(0, 0, 0), kPi / 4), std::sqrt(3.0),
              1e-12);
}

TEST(PlaneGeometry, RotateVectorKeepsLengthAndZ) {
  const AcGeVector3d r = vurk::RotateVector(AcGeVector3d(2, 0, 5), kPi / 2);
  EXPECT_NEAR(r.x, 0.0, 1e-12);
  EXPECT_NEAR(r.y, 2.0, 1e-12);
  EXPECT_EQ(r.z, 5.0);
}

}  // namespace
