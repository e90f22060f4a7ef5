// The map view: GetMapView, SetLocation, following, GetMapCenter and the map pick. Plane
// coordinates of the Gauss-Krueger grids come from cs2cs (PROJ 9.1.1) with the EPSG
// definitions, e.g. `echo "30.5 114.5" | cs2cs -f %.4f EPSG:4490 EPSG:4526`.
#include <cmath>

#include "host_fixture.h"

namespace hosttest {
namespace {

// EPSG:4526, CGCS2000 / 3-degree Gauss-Kruger zone 38: lon 114.5, lat 30.5.
constexpr double kZone38East = 38547999.7613;
constexpr double kZone38North = 3375648.0326;

Payload getMapView(std::uint8_t mode = 2) {
  Payload p(104);
  p.u8(40, mode);
  return p;
}

Payload setLocation(double north, double east, std::uint32_t level, std::uint8_t mode = 2) {
  Payload p(80);
  p.f64(0, north).f64(8, east).u8(16, mode).u32(28, level);
  return p;
}

Payload follow(std::uint32_t interval) {
  Payload p(4);
  p.u32(0, interval);
  return p;
}

using ViewRequestsTest = LinkedHostTest;

TEST_F(ViewRequestsTest, GetMapViewAnswersTheViewRecordInsideTheRequest) {
  user().moveMapView({114.25, 30.75}, 15);
  EXPECT_EQ(request(link_, kGetMapView, getMapView()), 0);
  const auto views = received(20012);
  ASSERT_EQ(views.size(), 1u);
  const auto& b = views[0].bytes;
  ASSERT_GE(b.size(), 68u);
  EXPECT_EQ(f64At(b, 24), 114.25) << "a geographic system gives the longitude as east";
  EXPECT_EQ(f64At(b, 32), 30.75);
  EXPECT_EQ(i32At(b, 44), 15);
  EXPECT_EQ(u32At(b, 48), 0u) << "map type";
  EXPECT_EQ(u32At(b, 64), 1u) << "PNG tiles";
}

TEST_F(ViewRequestsTest, GetMapViewGivesTheCentreInTheSelectedGrid) {
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  user().moveMapView({114.5, 30.5}, 12);
  EXPECT_EQ(request(link_, kGetMapView, getMapView()), 0);
  const auto b = lastBytes(20012);
  EXPECT_NEAR(f64At(b, 24), kZone38East, 1e-3);
  EXPECT_NEAR(f64At(b, 32), kZone38North, 1e-3);
}

TEST_F(ViewRequestsTest, GetMapViewRefusesAShortPayloadOrAnotherMode) {
  Payload shortOne(103);
  shortOne.u8(40, 2);
  EXPECT_EQ(request(link_, kGetMapView, shortOne), -6);
  EXPECT_EQ(request(link_, kGetMapView, getMapView(1)), -6);
  EXPECT_TRUE(received(20012).empty());
}

TEST_F(ViewRequestsTest, SetLocationMovesTheViewToTheGridPoint) {
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  EXPECT_EQ(request(link_, kSetLocation, setLocation(kZone38North, kZone38East, 17)), 0);
  EXPECT_NEAR(host().view().centre.lon, 114.5, 1e-9);
  EXPECT_NEAR(host().view().centre.lat, 30.5, 1e-9);
  EXPECT_EQ(host().view().level, 17);
  // Level 0 keeps the level.
  EXPECT_EQ(request(link_, kSetLocation, setLocation(3400000, 38500000, 0)), 0);
  EXPECT_EQ(host().view().level, 17);
  // EPSG:4526 (3400000 N, 38500000 E) is lon 114, lat 30.720617456.
  EXPECT_NEAR(host().view().centre.lon, 114.0, 1e-9);
  EXPECT_NEAR(host().view().centre.lat, 30.720617456, 1e-9);
  const auto* r = host().record().lastRequest(kSetLocation);
  EXPECT_EQ(fieldValue<double>(r, "north"), 3400000.0);
  EXPECT_EQ(fieldValue<std::uint64_t>(r, "mode"), 2u);
}

TEST_F(ViewRequestsTest, SetLocationRefusesWhatItCannotPlace) {
  const auto before = host().view().centre;
  EXPECT_EQ(request(link_, kSetLocation, setLocation(NAN, 114, 10)), -6);
  EXPECT_EQ(request(link_, kSetLocation, setLocation(95, 114, 10)), -6) << "latitude 95 in a geographic system";
  EXPECT_EQ(request(link_, kSetLocation, setLocation(30, 114, 10, 1)), -6) << "unknown mode";
  Payload shortOne(79);
  EXPECT_EQ(request(link_, kSetLocation, shortOne), -6);
  EXPECT_EQ(host().view().centre.lon, before.lon);
  EXPECT_EQ(host().view().centre.lat, before.lat);
}

TEST_F(ViewRequestsTest, WhileFollowingEveryViewChangeOfTheUserIsReported) {
  EXPECT_TRUE(user().moveMapView({114.0, 30.0}, 10));
  EXPECT_TRUE(received(20012).empty()) << "nobody asked for reports";
  EXPECT_EQ(request(link_, kSetFollowWinMap, follow(1000)), 0);
  EXPECT_TRUE(host().following());
  EXPECT_TRUE(user().moveMapView({114.5, 30.5}, 11));
  auto reports = received(20012);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(f64At(reports[0].bytes, 24), 114.5);
  EXPECT_EQ(f64At(reports[0].bytes, 32), 30.5);
  EXPECT_EQ(i32At(reports[0].bytes, 44), 11);
  // The plug-in's own SetLocation is not echoed back.
  EXPECT_EQ(request(link_, kSetLocation, setLocation(30.1, 114.1, 0)), 0);
  EXPECT_EQ(received(20012).size(), 1u);
  EXPECT_EQ(request(link_, kSetFollowWinMap, follow(1)), 0);
  EXPECT_FALSE(host().following());
  EXPECT_TRUE(user().moveMapView({114.6, 30.6}));
  EXPECT_EQ(received(20012).size(), 1u);
}

TEST_F(ViewRequestsTest, GetMapCenterAnswersTheViewCentreInTheSelectedSystem) {
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  user().moveMapView({114.5, 30.5});
  EXPECT_EQ(request(link_, kGetMapCenter), 0);
  const auto centres = received(20211);
  ASSERT_EQ(centres.size(), 1u);
  EXPECT_NEAR(f64At(centres[0].bytes, 24), kZone38East, 1e-3);
  EXPECT_NEAR(f64At(centres[0].bytes, 32), kZone38North, 1e-3);
  // The same point in the 3-degree grid without the zone number (EPSG:4547, CM 114E).
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, false));
  EXPECT_EQ(request(link_, kGetMapCenter), 0);
  EXPECT_NEAR(f64At(lastBytes(20211), 24), 547999.7613, 1e-3);
}

TEST_F(ViewRequestsTest, GetLatLngIsAnsweredWhenTheUserClicksTheMap) {
  EXPECT_FALSE(user().clickMapPoint({114.1, 30.2})) << "nobody asked";
  EXPECT_EQ(request(link_, kGetLatLng), 0);
  EXPECT_TRUE(received(20001).empty()) << "the answer comes with the click, not with the request";
  EXPECT_TRUE(host().latLngPending());
  EXPECT_TRUE(user().clickMapPoint({114.1, 30.2}));
  const auto picks = received(20001);
  ASSERT_EQ(picks.size(), 1u);
  ASSERT_EQ(picks[0].bytes.size(), 16u);
  EXPECT_EQ(f64At(picks[0].bytes, 0), 30.2) << "latitude first";
  EXPECT_EQ(f64At(picks[0].bytes, 8), 114.1);
  EXPECT_FALSE(user().clickMapPoint({114.2, 30.3})) << "one click answers one request";
}

TEST_F(ViewRequestsTest, AClickAtGridCoordinatesIsReportedAsLongitudeAndLatitude) {
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  request(link_, kGetLatLng);
  EXPECT_TRUE(user().clickMapPointAt({kZone38East, kZone38North}));
  const auto b = lastBytes(20001);
  EXPECT_NEAR(f64At(b, 0), 30.5, 1e-9);
  EXPECT_NEAR(f64At(b, 8), 114.5, 1e-9);
}

}  // namespace
}  // namespace hosttest
