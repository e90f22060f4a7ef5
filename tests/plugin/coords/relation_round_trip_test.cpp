// Relation points picked as a user picks them (a point in the drawing, then one on the host's
// map) and sent with "完成": the host then places drawing points where the user clicked.
#include <gtest/gtest.h>

#include "coords/coordinate_state.h"
#include "coords/relation_dialog.h"
#include "host/host_app.h"
#include "plugin/shell/plugin_session.h"
#include "win32/user_script.h"

namespace {

// A site plan in local metres, turned 15 degrees against grid north, with its corner at
// 114.30E 30.55N; the longitudes/latitudes were computed once with PROJ's invproj on the
// 3-degree grid of 114E (CGCS2000), independently of the code under test.
struct Known {
  const char* drawing;
  double lon;
  double lat;
};
constexpr Known kCorner{"0,0", 114.3000000, 30.5500000};
constexpr Known kEast{"120,0", 114.3012089, 30.5502774};
constexpr Known kNorthEast{"120,90", 114.3009685, 30.5510621};
constexpr Known kCentre{"60,45", 114.3004843, 30.5505310};
// The fields show longitude/latitude with six decimals (about 0.1 m), so the fit is as good as
// that: a drawing point lands within 1e-6 degrees of its place.
constexpr double kToleranceDegrees = 1e-6;

class RelationRoundTrip : public ::testing::Test {
 protected:
  RelationRoundTrip() { s.steps("drawing new as \"D:\\工程\\site.dwg\"\nplugin load\ntoolbar press 设置关联点"); }
  bool pick(const Known& k) {
    return s.steps(std::string("input ") + k.drawing + "\ndialog \"设置关联点\" click 8105\nhost click " +
                   std::to_string(k.lon) + " " + std::to_string(k.lat));
  }
  vurktest::PluginSession s{true};
};

TEST_F(RelationRoundTrip, ThreePickedPointsMakeTheHostPlaceADrawingPointWhereItBelongs) {
  ASSERT_TRUE(pick(kCorner));
  ASSERT_TRUE(pick(kEast));
  ASSERT_TRUE(pick(kNorthEast));
  ASSERT_EQ(vurk::RelationPoints().size(), 3u);
  ASSERT_TRUE(s.steps("dialog \"设置关联点\" click 8106\nexpect host 3 relation points fitted"));
  const host::CoordinateSystem& cs = s.hostApp()->coordinateSystem();
  EXPECT_EQ(cs.type(), host::CoordinateType::LocalPlane);
  const auto geo = cs.toGeographic({60, 45});
  ASSERT_TRUE(geo.has_value());
  EXPECT_NEAR(geo->lon, kCentre.lon, kToleranceDegrees);
  EXPECT_NEAR(geo->lat, kCentre.lat, kToleranceDegrees);
  const auto back = cs.fromGeographic({kCentre.lon, kCentre.lat});
  ASSERT_TRUE(back.has_value());
  EXPECT_NEAR(back->east, 60, 0.1);
  EXPECT_NEAR(back->north, 45, 0.1);
  EXPECT_NEAR(cs.fit()->rotationDegrees(), 15, 0.01);
}

TEST_F(RelationRoundTrip, ACancelledPickBringsTheDialogBackUnchanged) {
  ASSERT_TRUE(pick(kCorner));
  ASSERT_TRUE(s.steps("input esc\ndialog \"设置关联点\" click 8105\nexpect dialog \"设置关联点\" open"));
  EXPECT_EQ(vurk::RelationPoints().size(), 1u);
  EXPECT_FALSE(s.hostApp()->latLngPending()) << "the map is not asked";
  EXPECT_EQ(vurk::RelationPointDialog()->GetDlgItemTextString(8112), u"0.000000");
}

TEST_F(RelationRoundTrip, AFailedMapRequestIsShownAndTheDialogComesBack) {
  ASSERT_TRUE(s.steps("host fault answer 20001 -6\nanswer ok\ninput 5,5\ndialog \"设置关联点\" click 8105"));
  const auto& boxes = s.desktop().user().boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text.rfind(u"GetLatLngErr:", 0), 0u);
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" open"));
  EXPECT_EQ(vurk::RelationPointDialog()->GetDlgItemTextString(8112), u"") << "the picked point is not kept";
  EXPECT_TRUE(vurk::RelationPoints().empty());
}

}  // namespace
