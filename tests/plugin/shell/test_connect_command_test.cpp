#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbpl.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"
#include "plugin_session.h"

namespace {

struct DrawnPolyline {
  std::vector<AcGePoint2d> points;
  std::uint16_t colorIndex;
};

std::vector<DrawnPolyline> polylinesIn(AcDbDatabase& db) {
  std::vector<DrawnPolyline> out;
  AcDbBlockTableRecord* ms = nullptr;
  if (vurk::GetModelSpace(&db, ms, AcDb::kForRead) != Acad::eOk) return out;
  for (const AcDbObjectId& id : ms->entityIds()) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) continue;
    if (auto* pl = AcDbPolyline::cast(ent)) {
      DrawnPolyline d;
      for (unsigned int i = 0; i < pl->numVerts(); ++i) {
        AcGePoint2d p;
        pl->getPointAt(i, p);
        d.points.push_back(p);
      }
      d.colorIndex = pl->color().colorIndex();
      out.push_back(d);
    }
    ent->close();
  }
  ms->close();
  return out;
}

TEST(TestConnectCommand, DrawsAPolylineForEveryThreePiecesOfTheFile) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("write file C:\\vurk\\line.txt \"0,0\\n10,0\\n10,10\\n20,0\\n30,0\\n30,5\\n99,99\\n\"\n"
                      "plugin load\n"
                      "command testConnect"));
  const auto lines = polylinesIn(s.drawing());
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_EQ(lines[0].points.size(), 3u);
  EXPECT_EQ(lines[0].points[1].x, 10.0);
  EXPECT_EQ(lines[1].points[2].y, 5.0);
  EXPECT_EQ(lines[0].colorIndex, 7) << "the shared default colour set at start-up";
}

TEST(TestConnectCommand, AFullBufferWithoutSeparatorsDrawsNothingAndReadsNoFurther) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("write file C:\\vurk\\line.txt " + std::string(102400, '1') + "\nplugin load\ncommand testConnect"));
  EXPECT_TRUE(polylinesIn(s.drawing()).empty());
}

TEST(TestConnectCommand, AMissingFileDoesNothing) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("plugin load\ncommand testConnect"));
  EXPECT_TRUE(polylinesIn(s.drawing()).empty());
}

}  // namespace
