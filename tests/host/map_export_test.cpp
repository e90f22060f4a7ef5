// Objects the host's user draws (label, multi-part line, area with a hole, circle) travel to the
// plug-in as records of the documented layouts, and every map object can be written as GeoJSON
// in longitude/latitude; the files are checked by parsing them.
#include <cmath>

#include "host/projection.h"
#include "host_fixture.h"
#include "json_reader.h"
#include "object_payloads.h"

namespace hosttest {
namespace {

host::UserObject shape(host::UserShape s, std::string name, std::vector<std::vector<host::GeoPoint>> parts,
                       double radius = 0) {
  host::UserObject o;
  o.shape = s;
  o.name = std::move(name);
  o.parts = std::move(parts);
  o.radius = radius;
  return o;
}

struct Entry {
  std::uint32_t kind;
  std::int32_t id;
  std::uint32_t parent;
  std::vector<std::uint8_t> body;
};

std::vector<Entry> entriesOf(const std::vector<std::uint8_t>& s) {
  std::vector<Entry> out;
  for (std::size_t at = 80; at + 64 <= s.size();) {
    const std::uint32_t n = u32At(s, at);
    if (at + 64 + n > s.size()) break;
    out.push_back({u32At(s, at + 4), i32At(s, at + 8), u32At(s, at + 12),
                   std::vector<std::uint8_t>(s.begin() + static_cast<std::ptrdiff_t>(at + 64),
                                             s.begin() + static_cast<std::ptrdiff_t>(at + 64 + n))});
    at += 64 + n;
  }
  return out;
}

class MapExportTest : public LinkedHostTest {
 protected:
  MapExportTest() {
    EXPECT_TRUE(user().chooseGaussKrueger(3, 38, true));
  }
  std::int32_t draw(const host::UserObject& o, const std::string& folder) {
    std::string why;
    const auto id = user().drawObject(o, folder, &why);
    EXPECT_TRUE(id.has_value()) << o.name << ": " << why;
    return id.value_or(0);
  }
};

TEST_F(MapExportTest, DrawnObjectsReachThePluginAsRecordsOfTheirKinds) {
  const std::int32_t label = draw(shape(host::UserShape::Label, "桥头", {{{114.5, 30.5}}}), "星衡/道路");
  const std::int32_t multi =
      draw(shape(host::UserShape::MultiLine, "河", {{{114.5, 30.5}, {114.51, 30.5}}, {{114.52, 30.5}, {114.53, 30.51}, {114.54, 30.5}}}),
           "星衡/道路");
  const std::int32_t area = draw(shape(host::UserShape::Area, "湖",
                                       {{{114.5, 30.5}, {114.6, 30.5}, {114.6, 30.6}, {114.5, 30.6}},
                                        {{114.52, 30.52}, {114.54, 30.52}, {114.53, 30.54}}}),
                                 "星衡/道路");
  const std::int32_t circle = draw(shape(host::UserShape::Circle, "圆", {{{114.5, 30.5}}}, 250), "星衡/道路");
  ASSERT_TRUE(user().selectFolder("星衡"));
  EXPECT_EQ(request(link_, kGetObjTree, head(3, 0)), 0);
  const auto got = entriesOf(lastBytes(20110));
  ASSERT_EQ(got.size(), 6u) << "two folders and four objects";
  EXPECT_EQ(got[0].kind, 30u);
  EXPECT_EQ(cString(got[0].body, 0, 100), "星衡");
  EXPECT_EQ(u32At(got[0].body, 100), 1u);
  EXPECT_EQ(cString(got[1].body, 0, 100), "道路");
  EXPECT_EQ(u32At(got[1].body, 100), 4u);
  EXPECT_EQ(got[2].parent, static_cast<std::uint32_t>(got[1].id));

  // The label: a text mark whose name is the label, at the cs2cs grid position of 114.5E 30.5N.
  const auto& l = got[2].body;
  EXPECT_EQ(got[2].id, label);
  EXPECT_EQ(got[2].kind, 7u);
  EXPECT_EQ(l[153], 3) << "sourceKind text";
  EXPECT_EQ(cString(l, 0, 100), "桥头");
  EXPECT_GT(i32At(l, 268), 0) << "a font size";
  EXPECT_NEAR(f64At(l, 120), 38547999.7613, 1e-3);
  EXPECT_NEAR(f64At(l, 112), 3375648.0326, 1e-3);

  // The multi-part line: kind 11, two parts of 2 and 3 vertices.
  const auto& m = got[3].body;
  EXPECT_EQ(got[3].id, multi);
  ASSERT_EQ(got[3].kind, 11u);
  ASSERT_EQ(i32At(m, 120), 2);
  const std::size_t partsAt = (484 + u32At(m, 480) + 7) / 8 * 8;
  EXPECT_EQ(i32At(m, partsAt + 1416), 2);
  EXPECT_EQ(i32At(m, partsAt + 1432 + 1416), 3);
  EXPECT_EQ(m.size(), partsAt + 2 * 1432 + 5 * 16);
  EXPECT_NEAR(f64At(m, partsAt + 2 * 1432 + 8), 38547999.7613, 1e-3) << "first vertex east";

  // The area: 7 vertices, the hole starting at vertex 4 with altitude 65536, one outer ring.
  const auto& a = got[4].body;
  EXPECT_EQ(got[4].id, area);
  ASSERT_EQ(got[4].kind, 13u);
  ASSERT_EQ(i32At(a, 120), 7);
  EXPECT_EQ(at<std::uint16_t>(a, 150), 1u);
  const std::size_t v = (204 + u32At(a, 200) + 7) / 8 * 8;
  EXPECT_EQ(i32At(a, v + 4 * 48 + 20), 65536);
  for (int i : {0, 1, 2, 3, 5, 6}) EXPECT_EQ(i32At(a, v + 48 * i + 20), 0) << i;

  // The circle: two corners that span an exact square 500 m wide, angles 0 and 360.
  const auto& c = got[5].body;
  EXPECT_EQ(got[5].id, circle);
  ASSERT_EQ(i32At(c, 120), 2);
  EXPECT_EQ(f64At(c, 128), 0.0);
  EXPECT_EQ(f64At(c, 136), 360.0);
  const std::size_t cv = (204 + u32At(c, 200) + 7) / 8 * 8;
  const double e0 = f64At(c, cv + 8), n0 = f64At(c, cv), e1 = f64At(c, cv + 48 + 8), n1 = f64At(c, cv + 48);
  EXPECT_EQ(e0 - e1, n1 - n0);
  EXPECT_NEAR(e1 - e0, 500.0, 0.5) << "zone 38's scale differs from the centre's zone only slightly";
  EXPECT_NEAR((e0 + e1) / 2, 38547999.7613, 0.01);
}

TEST_F(MapExportTest, UnusableDrawingsAreRefused) {
  std::string why;
  EXPECT_FALSE(user().drawObject(shape(host::UserShape::Line, "l", {{{114.5, 30.5}}}), "", &why));
  EXPECT_FALSE(user().drawObject(shape(host::UserShape::Area, "a", {{{114.5, 30.5}, {114.6, 30.5}}}), "", &why));
  EXPECT_FALSE(user().drawObject(shape(host::UserShape::Circle, "c", {{{114.5, 30.5}}}, 0), "", &why));
  EXPECT_FALSE(user().drawObject(shape(host::UserShape::Mark, "m", {{{200, 30.5}}}), "", &why));
  EXPECT_FALSE(user().drawObject(shape(host::UserShape::MultiLine, "ml", {{{114.5, 30.5}, {114.6, 30.5}}}), "", &why));
  EXPECT_EQ(host().objects().size(), 1u) << "only the root";
}

// Positions of a GeoJSON coordinate array.
std::vector<host::GeoPoint> positions(const Json& line) {
  std::vector<host::GeoPoint> out;
  for (const Json& p : line.array) {
    EXPECT_EQ(p.size(), 2u);
    out.push_back({p[0].number, p[1].number});
  }
  return out;
}

double ringArea(const std::vector<host::GeoPoint>& r) {
  double a = 0;
  for (std::size_t i = 0; i + 1 < r.size(); ++i) a += r[i].lon * r[i + 1].lat - r[i + 1].lon * r[i].lat;
  return a / 2;
}

void expectClosedRing(const std::vector<host::GeoPoint>& r, bool counterClockwise, const std::string& what) {
  ASSERT_GE(r.size(), 4u) << what;
  EXPECT_EQ(r.front().lon, r.back().lon) << what;
  EXPECT_EQ(r.front().lat, r.back().lat) << what;
  EXPECT_EQ(ringArea(r) > 0, counterClockwise) << what;
}

TEST_F(MapExportTest, GeoJsonHoldsEveryMapObjectInLongitudeLatitude) {
  draw(shape(host::UserShape::Mark, "井", {{{114.5, 30.5}}}), "星衡");
  draw(shape(host::UserShape::Area, "湖",
             {{{114.5, 30.5}, {114.5, 30.6}, {114.6, 30.6}, {114.6, 30.5}},  // drawn clockwise
              {{114.52, 30.52}, {114.54, 30.52}, {114.53, 30.54}}}),
       "星衡/水系");
  draw(shape(host::UserShape::MultiLine, "河", {{{114.5, 30.5}, {114.51, 30.5}}, {{114.52, 30.5}, {114.53, 30.51}}}), "星衡/水系");
  draw(shape(host::UserShape::Circle, "圆", {{{114.5, 30.5}}}, 250), "");
  // A line from the drawing with a second part (altitude 65536 at its third vertex).
  const std::int32_t layer = *host().folderAt("CAD工作空间/a.dwg/0", true);
  auto body = lineBody("路", "说明\n第二行", {{38500000, 3400000}, {38500100, 3400000}, {38500200, 3400000}, {38500300, 3400100}});
  const std::size_t v = (204 + std::string("说明\n第二行").size() + 7) / 8 * 8;
  Payload p(0);
  p.append(body);
  p.i32(v + 2 * 48 + 20, 65536).u32(144, 0x00336699).u8(153, 5);
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer, {{8, 0, 0, 0x99, p.bytes()}})), 1);

  const auto doc = JsonReader::parse(host().geoJson());
  ASSERT_TRUE(doc.has_value()) << "not JSON";
  EXPECT_EQ((*doc)["type"].string, "FeatureCollection");
  const Json& features = (*doc)["features"];
  ASSERT_EQ(features.size(), 5u) << "folders are not features";
  std::map<std::string, const Json*> byName;
  for (const Json& f : features.array) {
    EXPECT_EQ(f["type"].string, "Feature");
    EXPECT_TRUE(f.has("geometry") && f.has("properties"));
    byName[f["properties"]["name"].string] = &f;
  }
  ASSERT_EQ(byName.size(), 5u);

  const Json& well = *byName["井"];
  EXPECT_EQ(well["geometry"]["type"].string, "Point");
  EXPECT_NEAR(well["geometry"]["coordinates"][0].number, 114.5, 1e-9);
  EXPECT_NEAR(well["geometry"]["coordinates"][1].number, 30.5, 1e-9);
  EXPECT_EQ(well["properties"]["folder"].string, "星衡");

  const Json& lake = *byName["湖"];
  EXPECT_EQ(lake["geometry"]["type"].string, "Polygon");
  ASSERT_EQ(lake["geometry"]["coordinates"].size(), 2u) << "the outer ring and the hole";
  const auto outer = positions(lake["geometry"]["coordinates"][0]);
  const auto hole = positions(lake["geometry"]["coordinates"][1]);
  expectClosedRing(outer, true, "outer ring");
  expectClosedRing(hole, false, "hole");
  EXPECT_EQ(outer.size(), 5u);
  EXPECT_EQ(hole.size(), 4u);
  for (const auto& g : outer) EXPECT_TRUE((std::fabs(g.lon - 114.5) < 1e-9 || std::fabs(g.lon - 114.6) < 1e-9)) << g.lon;
  EXPECT_EQ(lake["properties"]["folder"].string, "星衡/水系");
  EXPECT_EQ(lake["properties"]["fillColour"].string, "#00FF00");

  const Json& river = *byName["河"];
  EXPECT_EQ(river["geometry"]["type"].string, "MultiLineString");
  ASSERT_EQ(river["geometry"]["coordinates"].size(), 2u);
  EXPECT_NEAR(positions(river["geometry"]["coordinates"][1])[1].lat, 30.51, 1e-9);

  const Json& road = *byName["路"];
  EXPECT_EQ(road["geometry"]["type"].string, "MultiLineString");
  ASSERT_EQ(road["geometry"]["coordinates"].size(), 2u);
  EXPECT_EQ(road["geometry"]["coordinates"][0].size(), 2u);
  EXPECT_EQ(road["geometry"]["coordinates"][1].size(), 2u);
  EXPECT_NEAR(positions(road["geometry"]["coordinates"][0])[0].lon, 114.0, 1e-9);
  EXPECT_NEAR(positions(road["geometry"]["coordinates"][0])[0].lat, 30.720617456, 1e-9);
  EXPECT_EQ(road["properties"]["folder"].string, "CAD工作空间/a.dwg/0");
  EXPECT_EQ(road["properties"]["description"].string, "说明\n第二行");
  EXPECT_EQ(road["properties"]["colour"].string, "#996633");
  EXPECT_EQ(road["properties"]["kind"].string, "line");

  const Json& circle = *byName["圆"];
  EXPECT_EQ(circle["geometry"]["type"].string, "Polygon");
  const auto ring = positions(circle["geometry"]["coordinates"][0]);
  expectClosedRing(ring, true, "circle");
  for (const auto& g : ring) {
    // 250 m around the centre; metres per degree at 30.5N on GRS80 from its radii of curvature
    // (meridian 6,351,870 m, prime vertical 6,383,645 m).
    const double north = (g.lat - 30.5) * 110861.0;
    const double east = (g.lon - 114.5) * 111415.0 * std::cos(30.5 * 3.141592653589793 / 180.0);
    EXPECT_NEAR(std::hypot(east, north), 250.0, 0.1);
  }
  EXPECT_EQ(circle["properties"]["folder"].string, "");
}

TEST_F(MapExportTest, AnObjectOffTheMapHasNoGeometry) {
  user().chooseGeographic();
  ASSERT_EQ(request(link_, kSetObjTree, stream(1, {{8, 0, 0, 1, lineBody("far", "", {{500000, 3370000}, {500100, 3370050}})}})), 1);
  const auto doc = JsonReader::parse(host().geoJson());
  ASSERT_TRUE(doc.has_value());
  ASSERT_EQ((*doc)["features"].size(), 1u);
  EXPECT_EQ((*doc)["features"][0]["geometry"].type, Json::Type::Null);
}

TEST_F(MapExportTest, GeometriesTooSmallForTheirTypeAreNullAndARectangleIsClosed) {
  Payload rect(0);
  rect.append(lineBody("框", "", {{38500000, 3400000}, {38500100, 3399900}}));
  rect.u8(144, 1);  // an area: angles 0 and 0 make the rectangle of its two corners
  // An area of two rings of two points each (altitude 65536 at its third vertex).
  Payload two(0);
  two.append(lineBody("二", "", {{38500000, 3400000}, {38500001, 3400000}, {38500002, 3400000}, {38500003, 3400000}}));
  two.i32(208 + 2 * 48 + 20, 65536);
  ASSERT_EQ(request(link_, kSetObjTree,
                    stream(1, {{8, 0, 0, 1, lineBody("点", "", {{38500000, 3400000}})}, {13, 0, 0, 2, two.bytes()},
                               {13, 0, 0, 3, rect.bytes()}})),
            3);
  const auto doc = JsonReader::parse(host().geoJson());
  ASSERT_TRUE(doc.has_value());
  ASSERT_EQ((*doc)["features"].size(), 3u);
  EXPECT_EQ((*doc)["features"][0]["geometry"].type, Json::Type::Null) << "a line of one point";
  EXPECT_EQ((*doc)["features"][1]["geometry"].type, Json::Type::Null) << "rings of two points";
  const Json& box = (*doc)["features"][2]["geometry"];
  EXPECT_EQ(box["type"].string, "Polygon");
  const auto ring = positions(box["coordinates"][0]);
  expectClosedRing(ring, true, "rectangle");
  EXPECT_EQ(ring.size(), 5u);
}

TEST_F(MapExportTest, TheDumpShowsTheTreeWithEachObjectsFields) {
  draw(shape(host::UserShape::Mark, "井", {{{114.5, 30.5}}}), "星衡");
  const auto doc = JsonReader::parse(host().dumpJson());
  ASSERT_TRUE(doc.has_value());
  const Json& root = (*doc)["objectTree"];
  ASSERT_EQ(root["children"].size(), 1u);
  const Json& folder = root["children"][0];
  EXPECT_EQ(folder["name"].string, "星衡");
  ASSERT_EQ(folder["children"].size(), 1u);
  const Json& well = folder["children"][0];
  EXPECT_EQ(well["kind"].number, 7.0);
  EXPECT_NEAR(well["record"]["east"].number, 38547999.7613, 1e-3);
  EXPECT_NEAR(well["lonLat"][0][0].number, 114.5, 1e-12);
  EXPECT_NEAR(well["lonLat"][0][1].number, 30.5, 1e-12);
}

}  // namespace
}  // namespace hosttest
