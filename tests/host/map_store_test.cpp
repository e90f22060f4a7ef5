// The host's object store as the map program keeps it: objects placed in longitude/latitude
// with the selected coordinate system, updated in place, made anew when their id is gone,
// answered with one header per object while SetObjTree runs, sent back in the plane of the
// system selected at that time, and refused whole when a stream is malformed.
//
// Expected grid values come from cs2cs (PROJ 9.1.1) with the EPSG definitions, as in
// coordinate_test.cpp: (114.5E, 30.5N) is (38547999.7613, 3375648.0326) in the 3-degree
// zone 38 with the zone number, and (38500000, 3400000) is (114E, 30.720617456N).
#include <cmath>
#include <set>

#include "host_fixture.h"
#include "object_payloads.h"

namespace hosttest {
namespace {

struct EN {
  double east, north;
};

// An entry of a received object stream, read with the documented offsets.
struct Got {
  std::uint32_t kind;
  std::int32_t id;
  std::uint32_t parent;
  std::uint64_t key;
  std::vector<std::uint8_t> body;
};

std::vector<Got> entriesOf(const std::vector<std::uint8_t>& s) {
  std::vector<Got> out;
  if (s.size() < 80 || u32At(s, 16) != s.size() - 80) {
    ADD_FAILURE() << "the batch header does not count the entry bytes";
    return out;
  }
  for (std::size_t at = 80; at + 64 <= s.size();) {
    const std::uint32_t n = u32At(s, at);
    Got g{u32At(s, at + 4), i32At(s, at + 8), u32At(s, at + 12), u64At(s, at + 16), {}};
    if (at + 64 + n > s.size()) {
      ADD_FAILURE() << "an entry runs past the stream";
      return out;
    }
    g.body.assign(s.begin() + static_cast<std::ptrdiff_t>(at + 64), s.begin() + static_cast<std::ptrdiff_t>(at + 64 + n));
    out.push_back(std::move(g));
    at += 64 + n;
  }
  return out;
}

// Vertices of a line or area body (east, north).
std::vector<EN> verticesOf(const std::vector<std::uint8_t>& body) {
  const std::size_t at = (204 + u32At(body, 200) + 7) / 8 * 8;
  std::vector<EN> out;
  for (std::int32_t i = 0; i < i32At(body, 120); ++i) out.push_back({f64At(body, at + 48 * i + 8), f64At(body, at + 48 * i)});
  return out;
}

void expectClose(EN got, EN want, const char* what) {
  const double scale = std::max({std::fabs(want.east), std::fabs(want.north), 1.0});
  EXPECT_LE(std::fabs(got.east - want.east), 1e-9 * scale) << what << " east " << got.east << " vs " << want.east;
  EXPECT_LE(std::fabs(got.north - want.north), 1e-9 * scale) << what << " north " << got.north << " vs " << want.north;
}

// MultiPartRecord: 480-byte block (partCount at 120, colour at 428), text length at 480, text
// at 484, zeros to a multiple of 8, 1432-byte parts (vertex count at 1416), then 16-byte vertices
// (north, east).
std::vector<std::uint8_t> multiPartBody(const std::string& name, const std::vector<std::vector<EN>>& parts) {
  std::size_t total = 0;
  for (const auto& p : parts) total += p.size();
  const std::size_t partsAt = 488;  // 484 with no text, rounded up to 8
  Payload p(partsAt + 1432 * parts.size() + 16 * total);
  p.text(0, name).i32(120, static_cast<std::int32_t>(parts.size()));
  std::size_t v = partsAt + 1432 * parts.size();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    p.i32(partsAt + 1432 * i + 1416, static_cast<std::int32_t>(parts[i].size()));
    for (const EN& e : parts[i]) {
      p.f64(v, e.north).f64(v + 8, e.east);
      v += 16;
    }
  }
  return p.bytes();
}

std::vector<std::uint8_t> areaBody(const std::string& name, const std::vector<std::pair<double, double>>& en,
                                   double startAngle, double endAngle) {
  Payload p(0);
  p.append(lineBody(name, "", en));
  p.f64(128, startAngle).f64(136, endAngle).u8(144, 1);
  return p.bytes();
}

class MapStoreTest : public LinkedHostTest {
 protected:
  MapStoreTest() {
    EXPECT_TRUE(user().chooseGaussKrueger(3, 38, true));
    layer_ = static_cast<std::int32_t>(request(link_, kAddObj, addObj(30, 1, folderBody("图层0"))));
  }
  std::vector<std::uint8_t> treeOf(std::vector<std::int32_t> ids) {
    user().selectObjects(std::move(ids));
    EXPECT_EQ(request(link_, kGetObjTree, head(3, 0)), 0);
    return lastBytes(20110);
  }
  std::int32_t layer_ = 0;
};

TEST_F(MapStoreTest, ObjectsAreKeptInLongitudeLatitudeAndSentBackInTheSelectedSystem) {
  const auto line = lineBody("路", "", {{38547999.7613, 3375648.0326}, {38500000, 3400000}});
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, 0, static_cast<std::uint32_t>(layer_), 0x21, line}})), 1);
  const std::int32_t id = i32At(lastBytes(20112), 8);
  const auto* o = host().objects().find(id);
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->placement.points.size(), 2u);
  EXPECT_NEAR(o->placement.points[0].lon, 114.5, 1e-8);
  EXPECT_NEAR(o->placement.points[0].lat, 30.5, 1e-8);
  EXPECT_NEAR(o->placement.points[1].lon, 114.0, 1e-9);
  EXPECT_NEAR(o->placement.points[1].lat, 30.720617456, 1e-9);

  // The same system: the drawing's coordinates come back within 1e-9 relative.
  auto got = entriesOf(treeOf({id}));
  ASSERT_EQ(got.size(), 1u);
  auto v = verticesOf(got[0].body);
  ASSERT_EQ(v.size(), 2u);
  expectClose(v[0], {38547999.7613, 3375648.0326}, "vertex 0");
  expectClose(v[1], {38500000, 3400000}, "vertex 1");

  // The user writes the grid without its zone number: the eastings lose 38,000,000.
  ASSERT_TRUE(user().chooseGaussKrueger(3, 38, false));
  got = entriesOf(treeOf({id}));
  v = verticesOf(got.at(0).body);
  EXPECT_NEAR(v.at(0).east, 547999.7613, 1e-6);
  EXPECT_NEAR(v.at(1).north, 3400000, 1e-6);
  // In a geographic system the same object comes back in degrees, by GetObjTree and by GetObj.
  user().chooseGeographic();
  v = verticesOf(entriesOf(treeOf({id})).at(0).body);
  EXPECT_NEAR(v.at(0).east, 114.5, 1e-8);
  EXPECT_NEAR(v.at(0).north, 30.5, 1e-8);
  ASSERT_EQ(request(link_, 20101, head(0, static_cast<std::uint32_t>(id))), 0);
  const auto found = lastBytes(20101);
  ASSERT_GT(found.size(), 16u);
  v = verticesOf(std::vector<std::uint8_t>(found.begin() + 16, found.end()));
  EXPECT_NEAR(v.at(1).east, 114.0, 1e-9);
  EXPECT_NEAR(v.at(1).north, 30.720617456, 1e-9);
}

TEST_F(MapStoreTest, TheLocalPlaneRoundTripsDrawingCoordinates) {
  // Two relation points fit the drawing exactly: drawing (100, 200) is 113.9E 30.4N and
  // drawing (20100, 5200) is 114.1E 30.6N.
  Payload rel(56 + 160);
  rel.u16(0, 101).u32(16, 3);
  rel.f64(56, 113.9).f64(64, 30.4).u8(72, 1).f64(80, 100).f64(88, 200);
  rel.f64(136, 114.1).f64(144, 30.6).u8(152, 1).f64(160, 20100).f64(168, 5200);
  ASSERT_EQ(request(link_, kSetRelatePoint, rel), 0);
  ASSERT_EQ(host().coordinateSystem().type(), host::CoordinateType::LocalPlane);

  const std::vector<std::pair<double, double>> pts{{100, 200}, {20100, 5200}, {12345.678, -987.25}, {0.125, 0}};
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, 0, 0, 0x22, lineBody("l", "", pts)}})), 1);
  const std::int32_t id = i32At(lastBytes(20112), 8);
  const auto& placed = host().objects().find(id)->placement.points;
  ASSERT_EQ(placed.size(), 4u);
  EXPECT_NEAR(placed[0].lon, 113.9, 1e-9);
  EXPECT_NEAR(placed[0].lat, 30.4, 1e-9);
  EXPECT_NEAR(placed[1].lon, 114.1, 1e-9);
  EXPECT_NEAR(placed[1].lat, 30.6, 1e-9);
  const auto v = verticesOf(entriesOf(treeOf({id})).at(0).body);
  ASSERT_EQ(v.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const double scale = 20100;  // the extent of the drawing
    EXPECT_LE(std::fabs(v[i].east - pts[i].first), 1e-9 * scale) << i;
    EXPECT_LE(std::fabs(v[i].north - pts[i].second), 1e-9 * scale) << i;
  }
}

TEST_F(MapStoreTest, AnObjectSentAgainIsUpdatedInPlaceAndTheCountStays) {
  const auto first = lineBody("路", "", {{38500000, 3400000}, {38500100, 3400000}});
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, 0, 0, 0x30, first}})), 1);
  const std::int32_t id = i32At(lastBytes(20112), 8);
  const std::size_t count = host().objects().size();
  const double lonBefore = host().objects().find(id)->placement.points[1].lon;
  const auto moved = lineBody("路", "改", {{38500000, 3400000}, {38500500, 3400000}});
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, id, 0, 0x30, moved}})), 1);
  EXPECT_EQ(i32At(lastBytes(20112), 8), id);
  EXPECT_EQ(host().objects().size(), count);
  EXPECT_GT(host().objects().find(id)->placement.points[1].lon, lonBefore) << "placed anew, 400 m further east";
}

TEST_F(MapStoreTest, AStreamHoldingTheSameObjectTwiceUpdatesItTwiceAndAnswersBoth) {
  const auto a = lineBody("a", "", {{38500000, 3400000}, {38500010, 3400000}});
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, 0, 0, 0x40, a}})), 1);
  const std::int32_t id = i32At(lastBytes(20112), 8);
  const std::size_t count = host().objects().size();
  const auto b = lineBody("b", "", {{38500000, 3400000}, {38500020, 3400000}});
  const auto c = lineBody("c", "", {{38500000, 3400000}, {38500030, 3400000}});
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, id, 0, 0x40, b}, {8, id, 0, 0x41, c}})), 2);
  const auto h = lastBytes(20112);
  ASSERT_EQ(h.size(), 128u);
  EXPECT_EQ(i32At(h, 8), id);
  EXPECT_EQ(i32At(h, 64 + 8), id);
  EXPECT_EQ(u64At(h, 64 + 16), 0x41u);
  EXPECT_EQ(host().objects().size(), count);
  EXPECT_EQ(host().objects().find(id)->name, "c") << "the later entry wins";
  EXPECT_EQ(host().objects().find(id)->updates, 2u);
}

TEST_F(MapStoreTest, AFolderDeletedInTheMapIsMadeAnewWhenItsIdComesAgain) {
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{30, 0, 0, 0x50, folderBody("道路")}})), 1);
  const std::int32_t folder = i32At(lastBytes(20112), 8);
  const std::size_t count = host().objects().size();
  Payload del = head(0, 0, 3);
  del.u32(8, 0);
  del.append({static_cast<std::uint8_t>(folder), 0, 0, 0});
  ASSERT_EQ(request(link_, kDelObj, del), 1);
  ASSERT_EQ(host().objects().find(folder), nullptr);
  // The drawing still knows the old id and sends the layer's folder and an object into it.
  const auto m = mark();
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{30, folder, 0, 0x50, folderBody("道路")}})), 1);
  const auto answers = received(20112, m);
  ASSERT_EQ(answers.size(), 1u);
  const std::int32_t again = i32At(answers[0].bytes, 8);
  EXPECT_NE(again, folder) << "a deleted id is not handed out again";
  EXPECT_EQ(u64At(answers[0].bytes, 16), 0x50u);
  EXPECT_EQ(host().objects().size(), count);
  EXPECT_EQ(host().objects().findByName(layer_, "道路", host::RecordKind::Folder).size(), 1u);
  EXPECT_TRUE(host().objects().isFolder(again));
}

TEST_F(MapStoreTest, SetObjTreeAnswersOneHeaderPerObjectInStreamOrderWhileItRuns) {
  bool returned = false;
  std::vector<std::uint64_t> keysDuring;
  std::vector<std::int32_t> idsDuring;
  plugin().onCopy = [&](const Received& r) {
    if (r.code == 20112 && !returned) {
      for (std::size_t at = 0; at + 64 <= r.bytes.size(); at += 64) {
        keysDuring.push_back(u64At(r.bytes, at + 16));
        idsDuring.push_back(i32At(r.bytes, at + 8));
      }
    }
    return LRESULT{1};
  };
  const auto s = stream(layer_, {{7, 0, 0, 0x61, markBody("m", 38500000, 3400000, "说明")},
                                 {8, 0, 0, 0x62, lineBody("l", "", {{38500000, 3400000}, {38500001, 3400001}})},
                                 {13, 0, 0, 0x63, areaBody("a", {{38500000, 3400000}, {38500010, 3400000}, {38500010, 3400010}}, 0, 0)},
                                 {11, 0, 0, 0x64, multiPartBody("mp", {{{38500000, 3400000}, {38500005, 3400000}}, {{38500007, 3400000}, {38500009, 3400002}}})}});
  const LRESULT result = request(link_, kSetObjTree, s);
  returned = true;
  EXPECT_EQ(result, 4);
  EXPECT_EQ(keysDuring, (std::vector<std::uint64_t>{0x61, 0x62, 0x63, 0x64}));
  ASSERT_EQ(idsDuring.size(), 4u);
  EXPECT_EQ(std::set<std::int32_t>(idsDuring.begin(), idsDuring.end()).size(), 4u);
  for (const std::int32_t id : idsDuring) EXPECT_NE(host().objects().find(id), nullptr);
  EXPECT_EQ(host().objects().find(idsDuring[3])->placement.points.size(), 4u) << "every vertex of both parts placed";
}

TEST_F(MapStoreTest, AFolderSelectionSendsItsChildrenOnce) {
  ASSERT_EQ(request(link_, kSetObjTree,
                    stream(layer_, {{8, 0, 0, 0x71, lineBody("a", "", {{38500000, 3400000}, {38500001, 3400000}})},
                                    {7, 0, 0, 0x72, markBody("b", 38500000, 3400000, "")}})),
            2);
  const auto h = lastBytes(20112);
  const std::int32_t a = i32At(h, 8);
  // The folder, one of its objects and the folder again.
  const auto got = entriesOf(treeOf({layer_, a, layer_}));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].kind, 30u);
  EXPECT_EQ(got[0].id, layer_);
  EXPECT_EQ(u32At(got[0].body, 100), 2u) << "childCount";
  std::set<std::int32_t> ids;
  for (const Got& g : got) ids.insert(g.id);
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(got[1].parent, static_cast<std::uint32_t>(layer_));
  // An object selected twice on its own is sent once too.
  EXPECT_EQ(entriesOf(treeOf({a, a})).size(), 1u);
}

TEST_F(MapStoreTest, ATwoPointCircleComesBackAsAnExactSquare) {
  // Corners on binary fractions: first east - second east == second north - first north.
  const auto circle = areaBody("圆", {{38500000.25, 3400000.5}, {38500100.25, 3399900.5}}, 0, 360);
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{13, 0, 0, 0x80, circle}})), 1);
  const std::int32_t id = i32At(lastBytes(20112), 8);
  for (int round = 0; round < 2; ++round) {
    const auto v = verticesOf(entriesOf(treeOf({id})).at(0).body);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].east - v[1].east, v[1].north - v[0].north) << "a circle, not an ellipse, in system " << round;
    if (round == 0) {
      expectClose(v[0], {38500000.25, 3400000.5}, "corner 0");
      expectClose(v[1], {38500100.25, 3399900.5}, "corner 1");
    }
    ASSERT_TRUE(user().chooseGaussKrueger(3, 38, false));
  }
}

TEST_F(MapStoreTest, AMalformedOrNonFiniteStreamChangesNothing) {
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, 0, 0, 0x90, lineBody("keep", "", {{38500000, 3400000}, {38500001, 3400000}})}})), 1);
  const std::int32_t kept = i32At(lastBytes(20112), 8);
  const auto keptBody = host().objects().find(kept)->body;
  const std::size_t count = host().objects().size();
  const auto m = mark();
  const auto good = lineBody("x", "", {{38500000, 3400000}, {38500002, 3400000}});

  std::vector<std::pair<std::string, Payload>> bad;
  {
    auto cut = good;
    cut.resize(cut.size() - 8);  // the last vertex cut short, the lengths agreeing with it
    bad.emplace_back("truncated body", stream(layer_, {{8, kept, 0, 1, cut}}));
  }
  {
    Payload s = stream(layer_, {{8, kept, 0, 1, good}});
    std::vector<std::uint8_t> b = s.bytes();
    b.resize(b.size() - 1);
    Payload t(0);
    t.append(b);
    bad.emplace_back("stream cut by a byte", t);
  }
  {
    auto many = good;
    Payload p(0);
    p.append(many);
    p.i32(120, 1'000'000);
    bad.emplace_back("point count beyond the bytes", stream(layer_, {{8, kept, 0, 1, p.bytes()}}));
  }
  {
    Payload p(0);
    p.append(multiPartBody("mp", {{{1, 1}, {2, 2}}}));
    p.i32(120, 0x7FFFFFFF);
    bad.emplace_back("part count beyond the bytes", stream(layer_, {{11, 0, 0, 1, p.bytes()}}));
  }
  bad.emplace_back("child count beyond the entries",
                   stream(layer_, {{30, 0, 0, 1, folderBody("g", 1'000'000'000, true)}, {8, 0, 0, 0, good}}));
  {
    Payload p(0);
    p.append(good);
    p.f64(208 + 48 + 8, std::nan(""));
    bad.emplace_back("NaN east", stream(layer_, {{8, kept, 0, 1, good}, {8, 0, 0, 2, p.bytes()}}));
  }
  {
    Payload p(0);
    p.append(good);
    p.f64(208 + 24, INFINITY);
    bad.emplace_back("infinite bulge", stream(layer_, {{8, 0, 0, 2, p.bytes()}}));
  }
  {
    Payload p(0);
    p.append(markBody("m", 38500000, 3400000, ""));
    p.f64(112, -INFINITY);
    bad.emplace_back("infinite north of a mark", stream(layer_, {{7, 0, 0, 3, p.bytes()}}));
  }
  {
    Payload p(0);
    p.append(multiPartBody("mp", {{{38500000, 3400000}, {38500001, 3400000}}}));
    p.f64(488 + 1432 + 16, std::nan(""));
    bad.emplace_back("NaN vertex of a part", stream(layer_, {{11, 0, 0, 4, p.bytes()}}));
  }
  bad.emplace_back("NaN angle of an area", stream(layer_, {{13, 0, 0, 5, areaBody("a", {{1, 1}, {2, 2}}, 0, std::nan(""))}}));
  for (const auto& [what, payload] : bad) {
    EXPECT_EQ(request(link_, kSetObjTree, payload), -6) << what;
    EXPECT_EQ(host().objects().size(), count) << what;
    EXPECT_EQ(host().objects().find(kept)->body, keptBody) << what;
  }
  EXPECT_TRUE(received(20112, m).empty()) << "no headers for a refused stream";
  // AddObj refuses a non-finite area as well.
  Payload area(0);
  area.append(areaBody("a", {{38500000, 3400000}, {38500001, 3400000}, {38500001, 3400001}}, 0, 0));
  area.f64(208 + 48, std::nan(""));
  EXPECT_EQ(request(link_, kAddObj, addObj(13, 1, area.bytes())), -6);
  EXPECT_EQ(host().objects().size(), count);
}

TEST_F(MapStoreTest, AnObjectOutsideTheSystemIsKeptOffTheMapAndComesBackAsReceived) {
  user().chooseGeographic();
  const auto line = lineBody("far", "", {{500000, 3370000}, {500100, 3370050}});
  ASSERT_EQ(request(link_, kSetObjTree, stream(layer_, {{8, 0, 0, 0xA0, line}})), 1);
  const std::int32_t id = i32At(lastBytes(20112), 8);
  EXPECT_TRUE(host().objects().find(id)->placement.points.empty());
  EXPECT_EQ(entriesOf(treeOf({id})).at(0).body, line);
}

}  // namespace
}  // namespace hosttest
