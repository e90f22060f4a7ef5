// Coordinate systems: what GetSysCoor reports, the Gauss-Krueger conversions, the level
// resolutions and the local plane fitted from relation points.
//
// Where the expected values come from:
//  - grid coordinates: cs2cs (PROJ 9.1.1) with the EPSG definitions of CGCS2000 (EPSG:4490)
//    and its Gauss-Krueger grids, e.g.
//      echo "30.5 114.5" | cs2cs -f %.4f EPSG:4490 EPSG:4526   (3-degree zone 38)
//      echo "23.1 113.2" | cs2cs -f %.4f EPSG:4490 EPSG:4497   (6-degree zone 19)
//      echo "30.4 113.9" | cs2cs -f %.4f EPSG:4490 EPSG:4547   (3-degree, CM 114E)
//  - level resolutions: the closed forms of the two projections on the central meridian
//    (hand computation, written out in the test): one pixel of level L spans
//    2 pi R / (256 * 2^L) Mercator metres, R = 6378137; on the central meridian a Mercator metre
//    is N cos(phi) / R grid metres along the parallel and rho cos(phi) / R along the meridian,
//    N and rho the radii of curvature of the GRS80 ellipsoid.
#include <cmath>
#include <numbers>

#include "host/coordinate_systems.h"
#include "host/projection.h"
#include "host_fixture.h"

namespace hosttest {
namespace {

struct Pair {
  double lon, lat, x, y;
};

Payload relatePoints(const std::vector<Pair>& points, std::uint32_t mode = 3, std::size_t extra = 0) {
  Payload p(56 + 80 * points.size() + extra);
  p.u16(0, 101).u32(16, mode).f64(48, 0.0);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::size_t b = 56 + 80 * i;
    p.f64(b + 0, points[i].lon).f64(b + 8, points[i].lat).u8(b + 16, 1).f64(b + 24, points[i].x).f64(b + 32, points[i].y);
  }
  return p;
}

Payload levelResolutionRequest(double east, double north) {
  Payload p(80);
  p.f64(24, east).f64(32, north);
  return p;
}

Payload setLocation(double north, double east) {
  Payload p(80);
  p.f64(0, north).f64(8, east).u8(16, 2);
  return p;
}

std::vector<std::uint8_t> identityOf(const std::vector<std::uint8_t>& sysCoor) {
  if (sysCoor.size() < 60) {
    ADD_FAILURE() << "a coordinate-system answer of " << sysCoor.size() << " bytes";
    return {};
  }
  return std::vector<std::uint8_t>(sysCoor.begin() + 44, sysCoor.begin() + 60);
}

class CoordinateTest : public LinkedHostTest {
 protected:
  std::vector<std::uint8_t> sysCoor() {
    EXPECT_EQ(request(link_, kGetSysCoor), 0);
    const auto all = received(20202);
    return all.empty() ? std::vector<std::uint8_t>() : all.back().bytes;
  }
};

TEST_F(CoordinateTest, GetSysCoorReportsTypeIdentityAndNameOfTheSelectedSystem) {
  const auto geographic = sysCoor();
  ASSERT_GE(geographic.size(), 72u);
  EXPECT_EQ(u32At(geographic, 40), 2u);
  EXPECT_EQ(cString(geographic, 72, 256), "CGCS2000 经纬度");

  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  const auto zone38 = sysCoor();
  EXPECT_EQ(u32At(zone38, 40), 4u);
  EXPECT_EQ(cString(zone38, 72, 256), "CGCS2000 高斯-克吕格 3度带 第38带");
  EXPECT_NE(identityOf(zone38), identityOf(geographic));

  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, false));
  const auto cm114 = sysCoor();
  EXPECT_EQ(cString(cm114, 72, 256), "CGCS2000 高斯-克吕格 3度带 中央经线114°E");
  EXPECT_NE(identityOf(cm114), identityOf(zone38)) << "the zone number in the easting makes another system";

  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  EXPECT_EQ(identityOf(sysCoor()), identityOf(zone38)) << "the same system keeps its identity";
}

TEST(Projection, IsLinkedIntoThisBuild) {
  EXPECT_TRUE(host::Projection::available())
      << "vurkarx_host must be built with PROJ::proj and VURKARX_WITH_PROJ=1; every projected system fails without";
  std::string why;
  EXPECT_EQ(host::Projection::create("+proj=nosuchprojection", &why), nullptr);
  EXPECT_FALSE(why.empty());
}

TEST(GaussKrueger, ZonesAndTheirCentralMeridians) {
  // 3-degree zone n: central meridian 3n; 6-degree zone n: 6n - 3.
  EXPECT_EQ(host::GaussKruegerGrid::forLongitude(3, 114.5, true).zone, 38);
  EXPECT_EQ(host::GaussKruegerGrid::forLongitude(3, 115.49, true).zone, 38);
  EXPECT_EQ(host::GaussKruegerGrid::forLongitude(3, 115.51, true).zone, 39);
  EXPECT_EQ(host::GaussKruegerGrid::forLongitude(6, 113.2, true).zone, 19);
  EXPECT_EQ(host::GaussKruegerGrid::forLongitude(6, 114.0, true).zone, 20);
  EXPECT_EQ((host::GaussKruegerGrid{6, 19, true}).centralMeridian(), 111.0);
  EXPECT_EQ((host::GaussKruegerGrid{3, 38, true}).falseEasting(), 38'500'000.0);
  EXPECT_EQ((host::GaussKruegerGrid{3, 38, false}).falseEasting(), 500'000.0);
  EXPECT_FALSE(host::CoordinateSystem::gaussKrueger({6, 61, true}).has_value());
  EXPECT_FALSE(host::CoordinateSystem::gaussKrueger({4, 10, true}).has_value());
}

TEST(GaussKrueger, ConvertsAsTheEpsgDefinitionsDo) {
  const auto zone38 = host::CoordinateSystem::gaussKrueger({3, 38, true});
  ASSERT_TRUE(zone38.has_value());
  const auto p = zone38->fromGeographic({114.5, 30.5});
  ASSERT_TRUE(p.has_value());
  EXPECT_NEAR(p->east, 38547999.7613, 1e-3);
  EXPECT_NEAR(p->north, 3375648.0326, 1e-3);
  const auto g = zone38->toGeographic({38500000, 3400000});
  ASSERT_TRUE(g.has_value());
  EXPECT_NEAR(g->lon, 114.0, 1e-9);
  EXPECT_NEAR(g->lat, 30.720617456, 1e-9);

  const auto zone19 = host::CoordinateSystem::gaussKrueger({6, 19, true});
  ASSERT_TRUE(zone19.has_value());
  const auto q = zone19->fromGeographic({113.2, 23.1});
  ASSERT_TRUE(q.has_value());
  EXPECT_NEAR(q->east, 19725421.6919, 1e-3);
  EXPECT_NEAR(q->north, 2557310.5693, 1e-3);
}

struct Ellipsoid {
  static constexpr double a = 6378137.0;
  static constexpr double f = 1.0 / 298.257222101;  // GRS80
  static double e2() { return f * (2 - f); }
  static double primeVertical(double phi) { return a / std::sqrt(1 - e2() * std::sin(phi) * std::sin(phi)); }
  static double meridional(double phi) {
    return a * (1 - e2()) / std::pow(1 - e2() * std::sin(phi) * std::sin(phi), 1.5);
  }
};

TEST_F(CoordinateTest, LevelResolutionsOnTheCentralMeridianFollowTheClosedForms) {
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, true));
  // EPSG:4526 of lon 114 (the central meridian), lat 30.
  EXPECT_EQ(request(link_, kGetLevelResolution, levelResolutionRequest(38500000.0, 3320113.397845)), 0);
  const auto answers = received(20212);
  ASSERT_EQ(answers.size(), 1u);
  const auto& b = answers[0].bytes;
  ASSERT_EQ(b.size(), 28u * 104u) << "levels 1 to 28";
  const double phi = 30.0 * std::numbers::pi / 180.0;
  for (int level = 1; level <= 28; ++level) {
    const std::size_t r = (level - 1) * 104u;
    const double pixel = 2 * std::numbers::pi / (256.0 * std::ldexp(1.0, level));  // over R
    const double east = pixel * Ellipsoid::primeVertical(phi) * std::cos(phi);
    const double north = pixel * Ellipsoid::meridional(phi) * std::cos(phi);
    EXPECT_NEAR(f64At(b, r + 0) / east, 1.0, 1e-7) << "level " << level;
    EXPECT_NEAR(f64At(b, r + 8) / north, 1.0, 1e-7) << "level " << level;
    EXPECT_EQ(u32At(b, r + 16), static_cast<std::uint32_t>(level));
  }
  // Level 19 is about 0.26 m per pixel at latitude 30 (0.2986 m at the equator).
  EXPECT_NEAR(f64At(b, 18 * 104 + 8), 0.258, 0.001);
}

TEST_F(CoordinateTest, LevelResolutionsOfTheGeographicSystemAreInDegrees) {
  EXPECT_EQ(request(link_, kGetLevelResolution, levelResolutionRequest(114.0, 30.0)), 0);
  const auto b = lastBytes(20212);
  for (int level : {1, 10, 19, 28}) {
    const std::size_t r = (level - 1) * 104u;
    const double degrees = 360.0 / (256.0 * std::ldexp(1.0, level));
    EXPECT_NEAR(f64At(b, r + 0) / degrees, 1.0, 1e-7) << "level " << level;
    EXPECT_NEAR(f64At(b, r + 8) / (degrees * std::cos(30.0 * std::numbers::pi / 180.0)), 1.0, 1e-7);
  }
}

TEST_F(CoordinateTest, LevelResolutionRefusesAPointOutsideTheSystem) {
  EXPECT_EQ(request(link_, kGetLevelResolution, levelResolutionRequest(114.0, 91.0)), -6);
  EXPECT_EQ(request(link_, kGetLevelResolution, levelResolutionRequest(NAN, 30.0)), -6);
  Payload shortOne(79);
  EXPECT_EQ(request(link_, kGetLevelResolution, shortOne), -6);
  EXPECT_TRUE(received(20212).empty());
}

// A drawing laid out in its own frame: grid = R(30 deg) * drawing + (500000, 3370000) in the
// 3-degree grid with central meridian 114E (EPSG:4547). The drawing coordinates are computed
// here from the cs2cs grid coordinates.
Pair drawingPoint(double lon, double lat, double gridEast, double gridNorth) {
  const double t = 30.0 * std::numbers::pi / 180.0;
  const double u = gridEast - 500000.0, v = gridNorth - 3370000.0;
  return {lon, lat, std::cos(t) * u + std::sin(t) * v, -std::sin(t) * u + std::cos(t) * v};
}

TEST_F(CoordinateTest, RelationPointsFitALocalPlaneThatPlacesOtherDrawingPoints) {
  const Pair p1 = drawingPoint(113.9, 30.4, 490390.2992, 3364459.9704);
  const Pair p2 = drawingPoint(114.1, 30.6, 509590.0602, 3386632.1693);
  const Pair p3 = drawingPoint(114.08, 30.45, 507683.8406, 3370001.4271);
  const Pair check = drawingPoint(113.95, 30.52, 495201.0357, 3377760.0179);
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({p1, p2, p3})), 0);
  ASSERT_EQ(host().relationPoints().size(), 3u);
  EXPECT_EQ(host().relationPoints()[1].geo.lon, 114.1);
  EXPECT_EQ(host().relationPoints()[1].drawing.east, p2.x);
  EXPECT_EQ(u32At(sysCoor(), 40), 3u) << "the drawing's local plane";

  // The fourth drawing point lands where its longitude/latitude is.
  EXPECT_EQ(request(link_, kSetLocation, setLocation(check.y, check.x)), 0);
  EXPECT_NEAR(host().view().centre.lon, 113.95, 1e-8);
  EXPECT_NEAR(host().view().centre.lat, 30.52, 1e-8);
  // And the map centre comes back in drawing coordinates.
  EXPECT_EQ(request(link_, kGetMapCenter), 0);
  const auto centre = lastBytes(20211);
  EXPECT_NEAR(f64At(centre, 24), check.x, 1e-3);
  EXPECT_NEAR(f64At(centre, 32), check.y, 1e-3);
  ASSERT_TRUE(host().coordinateSystem().fit().has_value());
  EXPECT_NEAR(host().coordinateSystem().fit()->rotationDegrees(), 30.0, 1e-6);
  EXPECT_NEAR(host().coordinateSystem().fit()->scale(), 1.0, 1e-8);
}

TEST_F(CoordinateTest, TheSimplifiedModeTakesTheDrawingAsTheGridNamedByItsZoneNumber) {
  // The drawing is in the 3-degree grid with zone 38 in front of the easting; the point the
  // user clicked is some metres off, which does not move the drawing.
  const Pair p1{113.9, 30.4, 38'490'390.2992 + 12.0, 3364459.9704 - 7.0};
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({p1}, 4)), 0);
  EXPECT_EQ(u32At(sysCoor(), 40), 4u) << "a Gauss-Krueger grid, not a fitted plane";
  ASSERT_TRUE(host().coordinateSystem().grid().has_value());
  EXPECT_EQ(host().coordinateSystem().grid()->zone, 38);
  EXPECT_EQ(host().coordinateSystem().grid()->zoneWidth, 3);
  EXPECT_EQ(request(link_, kSetLocation, setLocation(3377760.0179, 38'495'201.0357)), 0);
  EXPECT_NEAR(host().view().centre.lon, 113.95, 1e-8);
  EXPECT_NEAR(host().view().centre.lat, 30.52, 1e-8);
  // Without a zone number the grid of the point's 3-degree zone is used (central meridian 114E).
  const Pair p2{113.9, 30.4, 490390.2992, 3364459.9704};
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({p2}, 4)), 0);
  EXPECT_EQ(host().coordinateSystem().grid()->centralMeridian(), 114.0);
  EXPECT_FALSE(host().coordinateSystem().grid()->zoneInEasting);
  // Zone 20 is a 6-degree zone here: its central meridian (117E) is nearer than 60E.
  const Pair p3{116.5, 39.9, 20'457'000.0, 4417000.0};
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({p3}, 4)), 0);
  EXPECT_EQ(host().coordinateSystem().grid()->zoneWidth, 6);
}

TEST_F(CoordinateTest, TwoRelationPointsGiveTheExactSimilarity) {
  const Pair p1 = drawingPoint(113.9, 30.4, 490390.2992, 3364459.9704);
  const Pair p2 = drawingPoint(114.1, 30.6, 509590.0602, 3386632.1693);
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({p1, p2})), 0);
  ASSERT_TRUE(host().coordinateSystem().fit().has_value());
  EXPECT_NEAR(host().coordinateSystem().fit()->rmsResidual, 0.0, 1e-6) << "two points fit exactly";
  EXPECT_NEAR(host().coordinateSystem().fit()->rotationDegrees(), 30.0, 1e-6);
}

TEST_F(CoordinateTest, TheFitIdentityChangesWithThePoints) {
  const Pair p1 = drawingPoint(113.9, 30.4, 490390.2992, 3364459.9704);
  const Pair p2 = drawingPoint(114.1, 30.6, 509590.0602, 3386632.1693);
  request(link_, kSetRelatePoint, relatePoints({p1, p2}));
  const auto first = identityOf(sysCoor());
  Pair moved = p2;
  moved.x += 10.0;
  request(link_, kSetRelatePoint, relatePoints({p1, moved}));
  EXPECT_NE(identityOf(sysCoor()), first);
}

TEST_F(CoordinateTest, InvalidRelationPointsAreSkippedAndNoneLeftIsRefused) {
  const Pair good{113.9, 30.4, 10390.2992, 4459.9704};
  const Pair badLat{113.9, 95.0, 1, 1};
  const Pair badX{113.9, 30.0, NAN, 1};
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({badLat, badX})), -6);
  EXPECT_EQ(u32At(sysCoor(), 40), 2u) << "the system is unchanged";
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({badLat, good}, 3, 10)), 0);
  ASSERT_EQ(host().relationPoints().size(), 1u);
  EXPECT_EQ(host().relationPoints()[0].geo.lat, 30.4);
  // Too short for one point, an unknown mode, a head without its mark.
  Payload headOnly(56 + 79);
  headOnly.u16(0, 101).u32(16, 3);
  EXPECT_EQ(request(link_, kSetRelatePoint, headOnly), -6);
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({good}, 5)), -6);
  Payload noMark = relatePoints({good});
  noMark.u16(0, 0);
  EXPECT_EQ(request(link_, kSetRelatePoint, noMark), -6);
}

TEST_F(CoordinateTest, TheHostCanAskForThePointsAgainWhileTheyAreBeingSet) {
  host().setAskForPointsDuringSetRelatePoint(true);
  std::size_t answersDuringRequest = 0;
  plugin().onCopy = [&](const Received& r) {
    if (r.code == 20201) answersDuringRequest = host().record().requests().back().finished ? 0 : 1;
    return LRESULT{1};
  };
  EXPECT_EQ(request(link_, kSetRelatePoint, relatePoints({{113.9, 30.4, 1, 2}})), 0);
  const auto asks = received(20201);
  ASSERT_EQ(asks.size(), 1u);
  EXPECT_EQ(i32At(asks[0].bytes, 0), -1);
  EXPECT_EQ(answersDuringRequest, 1u);
}

}  // namespace
}  // namespace hosttest
