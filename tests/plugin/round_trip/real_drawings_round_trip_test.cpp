// Every real drawing goes to the map and back: the user selects everything, sends it to the
// host, chooses the drawing's folder in the host and sends it to a new empty drawing. Every
// entity comes back as the class its map record is rebuilt as, with the same defining points,
// layer, colour and linetype; every entity that does not come back is left out by a rule of
// the exchange, counted and listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "arx/acdocman.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "arx/dbents.h"
#include "arx/dbsymtb.h"
#include "arx/dbxrecord.h"
#include "exchange/doc_id_manager.h"
#include "host/host_app.h"
#include "plugin/round_trip/shape_table.h"
#include "plugin/shell/plugin_session.h"
#include "win32/unicode.h"
#include "count_command.h"

namespace {

using roundtrip::Shape;

// Which class each sent class comes back as (besides the classes left out by a rule). A pair
// not listed here fails the test: the exchange rebuilt something it should not have.
const std::set<std::pair<std::string, std::string>> kClassesBack = {
    {"AcDbPoint", "AcDbPoint"},             // a layer's points: one point set, one point each
    {"AcDbRasterImage", "AcDbPoint"},       // a nameless point mark
    {"AcDbText", "AcDbText"},               // a mark with a name
    {"AcDbAttribute", "AcDbText"},          // a block's attribute: a mark with a name
    {"AcDbAttributeDefinition", "AcDbText"},
    {"AcDbMText", "AcDbMText"},             // a mark with a label text
    {"AcDbEllipse", "AcDbEllipse"},         // a line of three points and two angles
    {"AcDbLine", "AcDbPolyline"},           // a line of two points
    {"AcDbLine", "AcDb3dPolyline"},         //   ... with altitudes
    {"AcDbCircle", "AcDbCircle"},           // centre and start point
    {"AcDbArc", "AcDbArc"},                 // three points on the arc
    {"AcDbSpline", "AcDbSpline"},           // control points
    {"AcDbPolyline", "AcDbPolyline"},       // vertices with bulges
    {"AcDb2dPolyline", "AcDbPolyline"},
    {"AcDb2dPolyline", "AcDb3dPolyline"},
    {"AcDb3dPolyline", "AcDbPolyline"},
    {"AcDb3dPolyline", "AcDb3dPolyline"},
    {"AcDbMline", "AcDbPolyline"},
    {"AcDbMline", "AcDb3dPolyline"},
    {"AcDbSolid", "AcDbHatch"},             // an area of four corners: boundary and hatch
    {"AcDbHatch", "AcDbHatch"},             // an area of rings: boundaries and hatch
};

std::vector<std::string> drawingNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VURKARX_DATA_DIR) / "dxf"))
    if (entry.path().extension() == ".dxf") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The map object id stored in the entity's "VurkArx" record, 0 without one.
std::int64_t storedId(const AcDbEntity& e) {
  const AcDbObjectId dictId = e.extensionDictionary();
  if (dictId.isNull()) return 0;
  AcDbDictionary* dict = nullptr;
  if (acdbOpenObject(dict, dictId, AcDb::kForRead) != Acad::eOk) return 0;
  AcDbObject* entry = nullptr;
  const bool found = dict->getAt(u"VurkArx", entry, AcDb::kForRead) == Acad::eOk;
  dict->close();
  if (!found) return 0;
  std::int64_t id = 0;
  if (auto* record = AcDbXrecord::cast(entry)) {
    resbuf* chain = nullptr;
    record->rbChain(&chain);
    if (chain && chain->restype == 1) id = static_cast<std::int32_t>(std::stoul(win32::utf16ToUtf8(chain->resval.rstring)));
    acutRelRb(chain);
  }
  entry->close();
  return id;
}

bool shapeLess(const Shape& a, const Shape& b) {
  return std::tie(a.cls, a.values, a.rgb, a.linetype) < std::tie(b.cls, b.values, b.rgb, b.linetype);
}

class RealDrawingRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(RealDrawingRoundTrip, EveryEntityComesBackOrIsLeftOutByARule) {
  const std::string name = GetParam();
  const std::string file = (std::filesystem::path(VURKARX_DATA_DIR) / "dxf" / (name + ".dxf")).string();
  vurktest::PluginSession s{true};
  ASSERT_TRUE(s.steps("host system gk 3 38\n"
                      "drawing open \"" + file + "\" as D:\\rt\\" + name + ".dwg\n"
                      "plugin load\n"
                      "select all\n"
                      "toolbar press 发送所选对象到星衡\n"
                      "wait 200\n"));
  AcApDocument* sourceDoc = s.acad().docManager().curDocument();
  AcDbDatabase* source = sourceDoc->database();
  host::HostApp& hostApp = *s.hostApp();
  const std::size_t objectsAfterSend = hostApp.objects().size();
  ASSERT_TRUE(s.steps("host select folder CAD工作空间/" + name + ".dwg\n"
                      "document new\n"
                      "host press-button\n"
                      "wait 300\n"))
      << s.transcript();
  AcDbDatabase* received = s.acad().docManager().curDocument()->database();
  ASSERT_NE(received, source);
  vurk::saveLinks();  // both drawings' links into their entities' records

  // What should come back, by map object id (a point set's points share one id; the parts of
  // a group come back under the group's folder).
  std::map<std::int64_t, std::vector<Shape>> expected;
  std::map<std::string, int> leftOut;
  std::map<std::string, std::size_t> pointsOnLayer;
  std::set<std::int64_t> groups;
  std::vector<std::string> faults;
  const AcDbObjectIdArray sourceIds = desk::modelSpaceIds(*source);
  for (AcDbObjectId id : sourceIds) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
    if (e->isKindOf(AcDbPoint::desc()) && e->visibility() == AcDb::kVisible) ++pointsOnLayer[win32::utf16ToUtf8(e->layer())];
    e->close();
  }
  double scale = 1.0;
  for (AcDbObjectId id : sourceIds) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
    roundtrip::Context ctx{source, pointsOnLayer[win32::utf16ToUtf8(e->layer())]};
    const roundtrip::Expectation x = roundtrip::expectedBack(*e, ctx);
    const std::int64_t mapId = storedId(*e);
    const std::string cls = win32::utf16ToUtf8(e->isA()->name());
    e->close();
    for (const std::string& rule : x.partsLeftOutBy) ++leftOut["part of a group, " + rule];
    if (x.shapes.empty() && !x.group) {
      ++leftOut[cls + ": " + x.leftOutBy];
      continue;
    }
    if (mapId <= 0) {
      faults.push_back(cls + " was not sent (no map object id)");
      continue;
    }
    if (x.group) groups.insert(mapId);
    for (const Shape& sh : x.shapes) {
      if (!x.group && !kClassesBack.count({cls, sh.cls})) faults.push_back(cls + " -> " + sh.cls + " is not in the table");
      for (double v : sh.values) scale = std::max(scale, std::fabs(v));
      expected[mapId].push_back(sh);
    }
  }

  // What came back, by map object id; the parts of a group by their folder in the host.
  std::map<std::int64_t, std::vector<Shape>> back;
  std::size_t receivedEntities = 0;
  for (AcDbObjectId id : desk::modelSpaceIds(*received)) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
    ++receivedEntities;
    std::int64_t mapId = storedId(*e);
    if (mapId > 0) {
      const host::MapObject* o = hostApp.objects().find(static_cast<std::int32_t>(mapId));
      if (o && groups.count(o->parent)) mapId = o->parent;
      back[mapId].push_back(roundtrip::shapeOf(*e));
    }
    e->close();
  }

  std::size_t compared = 0;
  for (auto& [mapId, want] : expected) {
    std::vector<Shape>& got = back[mapId];
    std::sort(want.begin(), want.end(), shapeLess);
    std::sort(got.begin(), got.end(), shapeLess);
    if (want.size() != got.size()) {
      faults.push_back("map object " + std::to_string(mapId) + " (" + want.front().what + "): " +
                       std::to_string(got.size()) + " entities came back, not " + std::to_string(want.size()));
      continue;
    }
    // Pair each expected shape with a received one: first the one at the same place in sort
    // order, else any that is still free (near-equal values may sort differently).
    std::vector<bool> taken(got.size(), false);
    for (std::size_t i = 0; i < want.size(); ++i) {
      std::string diff = roundtrip::compare(want[i], got[i], 1e-9, scale);
      std::size_t match = i;
      if (!diff.empty() || taken[i]) {
        match = got.size();
        for (std::size_t j = 0; j < got.size() && match == got.size(); ++j)
          if (!taken[j] && roundtrip::compare(want[i], got[j], 1e-9, scale).empty()) match = j;
      }
      if (match == got.size()) {
        faults.push_back(diff.empty() ? want[i].what + ": no entity left to match" : diff);
        continue;
      }
      taken[match] = true;
      ++compared;
    }
  }
  for (const auto& [mapId, got] : back)
    if (!expected.count(mapId)) {
      const host::MapObject* o = hostApp.objects().find(static_cast<std::int32_t>(mapId));
      faults.push_back("map object " + std::to_string(mapId) + " came back but was not sent: " + got.front().cls +
                       (o ? " (host parent " + std::to_string(o->parent) + ", key " + std::to_string(o->entityKey) + ")" : ""));
    }

  std::string summary = name + ": " + std::to_string(sourceIds.length()) + " entities, " + std::to_string(compared) +
                        " came back as expected, " + std::to_string(objectsAfterSend) + " host objects, " +
                        std::to_string(receivedEntities) + " entities received; left out by rule:";
  for (const auto& [rule, n] : leftOut) summary += "\n  " + std::to_string(n) + " × " + rule;
  std::printf("%s\n", summary.c_str());
  for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults; " << summary;
}

INSTANTIATE_TEST_SUITE_P(Data, RealDrawingRoundTrip, ::testing::ValuesIn(drawingNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

}  // namespace
