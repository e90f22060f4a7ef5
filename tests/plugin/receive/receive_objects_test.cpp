// Map objects received from the host become linked entities in the drawing: hand-built object
// blocks given to the walk, and the whole road from the host's button.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "arx/acdocman.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbmtext.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbtext.h"
#include "exchange/doc_id_manager.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_window.h"
#include "plugin/receive/receive_support.h"
#include "plugin/shell/plugin_session.h"
#include "receive/receive_objects.h"
#include "settings/settings_store.h"

namespace {

using namespace vurktest;
using vurk::ReceiveObjects;
using vurk::ReceiveReport;

class ReceiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(s.steps("plugin load"));
    vurk::CurrentSettings()->record().noZoneNumberCheck = 1;
    vurk::ClearFolderNames();
  }
  void TearDown() override { vurk::ClearFolderNames(); }

  vurk::DocumentLinks& links() { return vurk::CurrentDocState()->links; }
  std::uint64_t handleOf(AcDbObjectId id) { return id.handle().value(); }

  ReceiveReport receive(const std::vector<BlockEntry>& entries) {
    ReceiveReport report;
    EXPECT_TRUE(ReceiveObjects(BlockOf(entries), &report));
    return report;
  }

  PluginSession s{true};
};

vurk::MarkRecord Mark(const std::string& name, double east, double north) {
  vurk::MarkRecord m = vurk::createMarkRecord();
  m.name = name;
  m.east = east;
  m.north = north;
  m.sourceKind = 3;
  m.labelFixed = 1;
  m.fontSize = 14;
  m.labelLevel = 16;
  return m;
}

TEST_F(ReceiveTest, FoldersBecomeLayersAndObjectsAreLinked) {
  vurk::FolderRecord folder = vurk::createFolderRecord();
  folder.name = "道路/主干";
  folder.childCount = 1;
  const auto line = LineOf({{10, 20, 0}, {30, 40, 0}, {50, 20, 0}});
  const ReceiveReport r = receive({EntryOf(folder, 500), EntryOf(line, 501, 500)});
  EXPECT_EQ(r.entries, 2u);
  EXPECT_EQ(r.created, 1u);
  const auto lines = DrawnOf<AcDbPolyline>();
  ASSERT_EQ(lines.size(), 1u);
  vurk::OpenedObject<AcDbPolyline> pl(lines[0], AcDb::kForRead);
  EXPECT_EQ(pl->layer(), u"道路_主干");  // '/' is not allowed in a layer name
  EXPECT_EQ(pl->numVerts(), 3u);
  AcGePoint2d p;
  pl->getPointAt(1, p);
  EXPECT_EQ(p, AcGePoint2d(30, 40));
  const auto holders = links().holders(501);
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(holders[0], handleOf(lines[0]));
  EXPECT_EQ(links().find(holders[0])->stored, 0);  // written at the next save
}

TEST_F(ReceiveTest, TheSameObjectTwiceLeavesOnlyTheSecond) {
  auto first = LineOf({{0, 0, 0}, {10, 0, 0}});
  auto second = LineOf({{0, 5, 0}, {10, 5, 0}, {20, 5, 0}});
  second.name = "second";
  receive({EntryOf(first, 7), EntryOf(second, 7)});
  const auto lines = DrawnOf<AcDbPolyline>();
  ASSERT_EQ(lines.size(), 1u);
  {
    vurk::OpenedObject<AcDbPolyline> pl(lines[0], AcDb::kForRead);
    EXPECT_EQ(pl->numVerts(), 3u);
  }
  const auto holders = links().holders(7);
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(links().find(holders[0])->name, u"second");

  // A later transfer replaces it again: still one entity.
  receive({EntryOf(first, 7)});
  EXPECT_EQ(DrawnIds().length(), 1);
  EXPECT_EQ(links().holders(7).size(), 1u);
}

TEST_F(ReceiveTest, ObjectsThatMustNotBeLinkedLandOnTheCurrentLayerUnlinked) {
  vurk::FolderRecord folder = vurk::createFolderRecord();
  folder.name = "F";
  receive({EntryOf(folder, 40), EntryOf(LineOf({{0, 0, 0}, {1, 1, 0}}), 0, 40),
           EntryOf(LineOf({{0, 0, 0}, {1, 1, 0}}), -5, 40)});
  const auto lines = DrawnOf<AcDbPolyline>();
  ASSERT_EQ(lines.size(), 2u);
  for (const auto id : lines) {
    vurk::OpenedObject<AcDbPolyline> pl(id, AcDb::kForRead);
    EXPECT_NE(pl->layer(), u"F");
    EXPECT_EQ(links().find(handleOf(id)), nullptr);
  }
}

TEST_F(ReceiveTest, ALinkedFolderIsSkippedWithItsChildrenAndListedOnce) {
  // A block the drawing sent earlier: an entity carries the folder's id.
  ASSERT_TRUE(s.steps("add line 0,0 5,5"));
  const auto block = DrawnIds()[0];
  links().setLinkId(handleOf(block), 900, false);

  vurk::FolderRecord folder = vurk::createFolderRecord();
  folder.name = "块A";
  folder.childCount = 2;
  vurk::FolderRecord again = folder;
  again.childCount = 0;
  const ReceiveReport r = receive({EntryOf(folder, 900), EntryOf(LineOf({{0, 0, 0}, {1, 0, 0}}), 901, 900),
                                   EntryOf(LineOf({{0, 0, 0}, {2, 0, 0}}), 902, 900), EntryOf(again, 900),
                                   EntryOf(LineOf({{0, 0, 0}, {3, 0, 0}}), 903, 0)});
  EXPECT_EQ(r.ignored, u"以下[块/面域]对象被系统忽略：\r\n\r\n块A");
  ASSERT_TRUE(s.steps("dialog \"提示\" click 8354\nwait 0"));  // shown once the walk is over
  EXPECT_NE(s.transcript().find("块A"), std::string::npos);
  EXPECT_EQ(r.created, 1u);  // only the object outside the block
  EXPECT_EQ(DrawnIds().length(), 2);
  EXPECT_TRUE(links().holders(901).empty());
  EXPECT_EQ(vurk::CurrentSettings()->record().noIgnoredObjectsNotice, 1);  // "不再提示"

  // Now the notice stays away.
  receive({EntryOf(folder, 900)});
  EXPECT_TRUE(s.steps("wait 0\nexpect dialog \"提示\" closed"));
}

TEST_F(ReceiveTest, ALineOfSeveralPartsBecomesOnePolylinePerPartAllLinked) {
  const auto line = LineOf({{0, 0, 0}, {10, 0, 0}, {20, 5, 65536}, {30, 5, 0}, {40, 0, 0}});
  receive({EntryOf(line, 33)});
  const auto lines = DrawnOf<AcDbPolyline>();
  ASSERT_EQ(lines.size(), 2u);
  std::vector<unsigned> counts;
  for (const auto id : lines) {
    vurk::OpenedObject<AcDbPolyline> pl(id, AcDb::kForRead);
    counts.push_back(pl->numVerts());
  }
  EXPECT_EQ(counts, (std::vector<unsigned>{2, 3}));
  const vurk::LinkGroup* group = links().group(33);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->members.size(), 2u);
  for (const auto h : group->members) EXPECT_EQ(links().find(h)->isMember, 1);

  // Sent again: both old pieces go, two new ones come.
  receive({EntryOf(line, 33)});
  EXPECT_EQ(DrawnIds().length(), 2);
  EXPECT_EQ(links().group(33)->members.size(), 2u);
}

TEST_F(ReceiveTest, APointSetIsOnePointPerVertexInOneGroup) {
  receive({EntryOf(LineOf({{1, 1, 0}, {2, 2, 0}, {3, 3, 4}}, 6), 61)});
  EXPECT_EQ(DrawnOf<AcDbPoint>().size(), 3u);
  ASSERT_NE(links().group(61), nullptr);
  EXPECT_EQ(links().group(61)->members.size(), 3u);
}

TEST_F(ReceiveTest, CirclesArcsEllipsesAndSplinesFromLineRecords) {
  auto circle = LineOf({{100, 100, 0}, {103, 104, 0}}, 7);
  auto arc = LineOf({{0, 0, 0}, {2, 0, 0}}, 7);
  arc.vertices[0].bulge = 90;
  arc.vertices[1].bulge = 180;
  auto threePoint = LineOf({{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}}, 7);  // counter-clockwise
  auto ellipse = LineOf({{0, 0, 0}, {4, 0, 0}, {0, 2, 0}}, 9);
  ellipse.vertices[1].bulge = 360;
  auto spline = LineOf({{0, 0, 0}, {1, 2, 0}, {2, 0, 0}, {3, 2, 0}, {4, 0, 0}, {5, 2, 0}}, 10);
  receive({EntryOf(circle, 1), EntryOf(arc, 2), EntryOf(threePoint, 3), EntryOf(ellipse, 4), EntryOf(spline, 5)});
  const auto classes = DrawnClasses();
  EXPECT_EQ(classes.at("AcDbCircle"), 1);
  EXPECT_EQ(classes.at("AcDbArc"), 2);
  EXPECT_EQ(classes.at("AcDbEllipse"), 1);
  EXPECT_EQ(classes.at("AcDbSpline"), 1);

  vurk::OpenedObject<AcDbCircle> c(DrawnOf<AcDbCircle>()[0], AcDb::kForRead);
  EXPECT_DOUBLE_EQ(c->radius(), 5.0);
  for (const auto id : DrawnOf<AcDbArc>()) {
    vurk::OpenedObject<AcDbArc> a(id, AcDb::kForRead);
    if (a->center().isEqualTo(AcGePoint3d(0, 0, 0)) && a->radius() == 2.0) {
      EXPECT_NEAR(a->startAngle(), M_PI / 2, 1e-6);
      EXPECT_NEAR(a->endAngle(), M_PI, 1e-6);
    } else {
      EXPECT_NEAR(a->radius(), 1.0, 1e-12);  // through (1,0), (0,1), (-1,0)
      EXPECT_NEAR(a->startAngle(), 0, 1e-12);
      EXPECT_NEAR(a->endAngle(), M_PI, 1e-12);
    }
  }
  vurk::OpenedObject<AcDbEllipse> e(DrawnOf<AcDbEllipse>()[0], AcDb::kForRead);
  EXPECT_DOUBLE_EQ(e->majorRadius(), 4.0);
  EXPECT_DOUBLE_EQ(e->radiusRatio(), 0.5);
}

TEST_F(ReceiveTest, ClockwiseThreePointArcsStillPassThroughTheMiddlePoint) {
  receive({EntryOf(LineOf({{-1, 0, 0}, {0, 1, 0}, {1, 0, 0}}, 7), 3)});
  vurk::OpenedObject<AcDbArc> a(DrawnOf<AcDbArc>()[0], AcDb::kForRead);
  AcGePoint3d mid;
  double start = 0, end = 0;
  a->getStartParam(start);
  a->getEndParam(end);
  a->getPointAtParam((start + end) / 2, mid);
  EXPECT_NEAR(mid.x, 0, 1e-9);
  EXPECT_NEAR(mid.y, 1, 1e-9);
}

TEST_F(ReceiveTest, DegenerateGeometryCreatesNoBrokenEntity) {
  auto collinear = LineOf({{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}, 7);
  auto zeroEllipse = LineOf({{5, 5, 0}, {5, 5, 0}, {6, 6, 0}}, 9);
  auto zeroCircle = LineOf({{5, 5, 0}, {5, 5, 0}}, 7);
  auto box = AreaOf({{3, 3, 0}, {3, 3, 0}});
  box.endAngle = 360;
  auto single = LineOf({{1, 1, 0}});
  const ReceiveReport r = receive({EntryOf(collinear, 1), EntryOf(zeroEllipse, 2), EntryOf(zeroCircle, 3),
                                   EntryOf(box, 4), EntryOf(single, 5)});
  const auto classes = DrawnClasses();
  EXPECT_EQ(classes.size(), 1u);
  EXPECT_EQ(classes.at("AcDbPolyline"), 1);  // the collinear "arc" as a polyline through its points
  EXPECT_EQ(r.created, 1u);
  EXPECT_EQ(r.skipped, 4u);
}

TEST_F(ReceiveTest, TwoPointAreasAreRectanglesCirclesEllipsesAndSectorsWithAHatch) {
  auto rectangle = AreaOf({{0, 10, 0}, {20, 0, 0}});
  auto circle = AreaOf({{100, 10, 0}, {110, 0, 0}});  // top-left, then bottom-right of a square
  circle.endAngle = 360;
  auto ellipse = AreaOf({{200, 0, 0}, {210, 10, 0}});  // bottom-left, then top-right
  ellipse.endAngle = 360;
  auto sector = AreaOf({{300, 10, 0}, {310, 0, 0}});
  sector.startAngle = 0;
  sector.endAngle = 90;
  receive({EntryOf(rectangle, 1), EntryOf(circle, 2), EntryOf(ellipse, 3), EntryOf(sector, 4)});
  const auto classes = DrawnClasses();
  EXPECT_EQ(classes.at("AcDbHatch"), 4);
  EXPECT_EQ(classes.at("AcDbCircle"), 1);
  EXPECT_EQ(classes.at("AcDbEllipse"), 1);
  EXPECT_EQ(classes.at("AcDbArc"), 1);
  EXPECT_EQ(classes.at("AcDbPolyline"), 2);  // the rectangle and the sector's two sides

  {
    vurk::OpenedObject<AcDbCircle> c(DrawnOf<AcDbCircle>()[0], AcDb::kForRead);
    EXPECT_EQ(c->center(), AcGePoint3d(105, 5, 0));
    EXPECT_DOUBLE_EQ(c->radius(), 5);
    vurk::OpenedObject<AcDbEllipse> e(DrawnOf<AcDbEllipse>()[0], AcDb::kForRead);
    EXPECT_DOUBLE_EQ(e->radiusRatio(), 1.0);
    EXPECT_EQ(e->center(), AcGePoint3d(205, 5, 0));
  }
  for (const auto id : DrawnOf<AcDbPolyline>()) {
    vurk::OpenedObject<AcDbPolyline> pl(id, AcDb::kForRead);
    if (pl->numVerts() == 4) {
      EXPECT_TRUE(pl->isClosed());
      AcGePoint2d p;
      pl->getPointAt(1, p);
      EXPECT_EQ(p, AcGePoint2d(20, 10));
    } else {
      AcGePoint2d centre;
      pl->getPointAt(1, centre);
      EXPECT_EQ(centre, AcGePoint2d(305, 5));
    }
  }
  // The hatches are what is linked.
  for (const auto id : DrawnOf<AcDbHatch>()) {
    ASSERT_NE(links().find(handleOf(id)), nullptr);
    EXPECT_GT(links().find(handleOf(id))->mapObjectId, 0);
  }
  // Received again, each area replaces its hatch and its boundaries: nothing is left twice.
  const auto before = DrawnClasses();
  receive({EntryOf(rectangle, 1), EntryOf(circle, 2), EntryOf(ellipse, 3), EntryOf(sector, 4)});
  EXPECT_EQ(DrawnClasses(), before);
}

TEST_F(ReceiveTest, AnAreaWithAHoleIsOneHatchWithAnOuterAndAnInnerLoop) {
  auto lake = AreaOf({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}, {20, 20, 65536}, {40, 20, 0}, {30, 40, 0}});
  receive({EntryOf(lake, 12)});
  const auto hatches = DrawnOf<AcDbHatch>();
  ASSERT_EQ(hatches.size(), 1u);
  vurk::OpenedObject<AcDbHatch> h(hatches[0], AcDb::kForRead);
  EXPECT_EQ(h->numLoops(), 2);
  EXPECT_EQ(DrawnOf<AcDbPolyline>().size(), 2u);
  for (const auto id : DrawnOf<AcDbPolyline>()) {
    vurk::OpenedObject<AcDbPolyline> pl(id, AcDb::kForRead);
    AcGePoint2d first, last;
    pl->getPointAt(0, first);
    pl->getPointAt(pl->numVerts() - 1, last);
    EXPECT_EQ(first, last);  // each ring closed by repeating its first vertex
  }
}

TEST_F(ReceiveTest, MultiPartRecordsAreOneJoinedPolyline) {
  vurk::MultiPartRecord river;
  river.name = "河";
  river.colour = 0x0000FF;
  river.parts = {{{{0, 0}, {0, 10}}}, {{{5, 20}, {6, 30}, {7, 40}}}};
  receive({EntryOf(river, 104)});
  const auto lines = DrawnOf<AcDbPolyline>();
  ASSERT_EQ(lines.size(), 1u);
  vurk::OpenedObject<AcDbPolyline> pl(lines[0], AcDb::kForRead);
  EXPECT_EQ(pl->numVerts(), 5u);
  AcGePoint2d p;
  pl->getPointAt(3, p);
  EXPECT_EQ(p, AcGePoint2d(30, 6));  // (east, north)
  EXPECT_EQ(pl->colorIndex(), 1);    // pure red
}

TEST_F(ReceiveTest, LabelsAreMTextWithBottomLeftAttachmentAndMarksAreText) {
  auto label = Mark("ignored", 10, 20);
  label.isLabel = 1;
  label.attachment = 0;
  label.text = "第一行\r\n第二行";
  auto withAttachment = label;
  withAttachment.attachment = 5;
  auto mark = Mark("桥头", 30, 40);
  mark.rotation = 90;
  receive({EntryOf(label, 1), EntryOf(withAttachment, 2), EntryOf(mark, 3)});
  const auto mtexts = DrawnOf<AcDbMText>();
  ASSERT_EQ(mtexts.size(), 2u);
  vurk::OpenedObject<AcDbMText> m(mtexts[0], AcDb::kForRead);
  EXPECT_EQ(m->attachment(), AcDbMText::kBottomLeft);
  EXPECT_EQ(m->contents(), u"第一行\\P第二行");
  vurk::OpenedObject<AcDbMText> m2(mtexts[1], AcDb::kForRead);
  EXPECT_EQ(m2->attachment(), AcDbMText::kMiddleCenter);
  const auto texts = DrawnOf<AcDbText>();
  ASSERT_EQ(texts.size(), 1u);
  vurk::OpenedObject<AcDbText> t(texts[0], AcDb::kForRead);
  EXPECT_EQ(t->textString(), u"桥头");
  EXPECT_EQ(t->position(), AcGePoint3d(30, 40, 0));
  EXPECT_NEAR(t->rotation(), M_PI / 2, 1e-6);
  EXPECT_GT(t->height(), m->textHeight());  // text heights get half a unit more than MText
}

TEST_F(ReceiveTest, ANamelessPointMarkIsKeptAsAPoint) {
  auto point = Mark("", 4, 5);
  point.sourceKind = 1;
  auto nameless = Mark("", 6, 7);  // a text mark with no text draws nothing
  const ReceiveReport r = receive({EntryOf(point, 1), EntryOf(nameless, 2)});
  EXPECT_EQ(r.created, 1u);
  const auto points = DrawnOf<AcDbPoint>();
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(links().holders(1), std::vector<std::uint64_t>{handleOf(points[0])});
  EXPECT_EQ(DrawnIds().length(), 1);
}

// The height rule measured against the host's own level table: font size × vertical
// resolution of the level / 1.414.
double HostHeight(int fontSize, int level) {
  const auto& table = vurk::CurrentHostLink()->answers().levels;
  return fontSize * table.levels[level - 1].north / 1.414;
}

TEST_F(ReceiveTest, LabelSizesFollowTheHostsLevelResolution) {
  auto a = Mark("a", 0, 0);
  a.fontSize = 20;
  a.labelLevel = 17;
  auto negative = Mark("b", 0, 10);
  negative.fontSize = -5;
  negative.labelLevel = 17;
  receive({EntryOf(a, 1), EntryOf(negative, 2)});
  ASSERT_GT(vurk::CurrentHostLink()->answers().levels.filled, 17u);
  std::map<std::u16string, double> heights;
  for (const auto id : DrawnOf<AcDbText>()) {
    vurk::OpenedObject<AcDbText> t(id, AcDb::kForRead);
    heights[t->textString()] = t->height();
  }
  EXPECT_NEAR(heights[u"a"], HostHeight(20, 17) + 0.5, 1e-9);
  EXPECT_NEAR(heights[u"b"], HostHeight(14, 17) + 0.5, 1e-9);  // a negative size counts as 14
}

TEST_F(ReceiveTest, WithoutALevelTableLabelsTakeTheSettingsHeight) {
  vurk::CurrentHostLink()->answers().levels = {};
  EXPECT_DOUBLE_EQ(vurk::LabelTextHeight(14, 16), 60.0);
  EXPECT_DOUBLE_EQ(vurk::LabelTextHeight(14, 0), 60.0);
}

TEST_F(ReceiveTest, ContourLinesGetElevationLabelsSizedByTheirAltitude) {
  vurk::SetContourMode(acDocManager->curDocument(), true);
  std::vector<BlockEntry> entries;
  std::int32_t id = 1;
  for (const int altitude : {1250, 1300, 1237, -150}) {
    entries.push_back(EntryOf(LineOf({{0, 0, double(altitude)}, {10, 0, double(altitude)}, {20, 5, double(altitude)}}), id++));
  }
  entries.push_back(EntryOf(LineOf({}), id++));  // no vertices: neither line nor label
  const ReceiveReport r = receive(entries);
  vurk::SetContourMode(acDocManager->curDocument(), false);
  EXPECT_EQ(r.created, 4u);
  EXPECT_EQ(DrawnOf<AcDb3dPolyline>().size(), 4u);
  const int level = vurk::LevelOfLabelHeight(vurk::CurrentSettings()->record().labelTextHeight);
  std::map<std::u16string, double> heights;
  for (const auto id2 : DrawnOf<AcDbText>()) {
    vurk::OpenedObject<AcDbText> t(id2, AcDb::kForRead);
    EXPECT_EQ(t->layer(), u"Vurk_contour");
    heights[t->textString()] = t->height();
  }
  ASSERT_EQ(heights.size(), 4u);
  EXPECT_NEAR(heights[u"1250"], HostHeight(16, level) + 0.5, 1e-9);
  EXPECT_NEAR(heights[u"1300"], HostHeight(18, level) + 0.5, 1e-9);
  EXPECT_NEAR(heights[u"1237"], HostHeight(14, level) + 0.5, 1e-9);
  EXPECT_NEAR(heights[u"-150"], HostHeight(16, level) + 0.5, 1e-9);
}

TEST_F(ReceiveTest, ByLayerColoursWhenTheSettingsAskForThem) {
  vurk::CurrentSettings()->record().byLayerColourFromHost = 1;
  auto rectangle = AreaOf({{0, 10, 0}, {20, 0, 0}});
  receive({EntryOf(LineOf({{0, 0, 0}, {1, 1, 0}}), 1), EntryOf(Mark("m", 0, 0), 2), EntryOf(rectangle, 3)});
  ASSERT_EQ(DrawnIds().length(), 4);
  for (const auto id : DrawnIds()) {
    vurk::OpenedObject<AcDbEntity> e(id, AcDb::kForRead);
    EXPECT_EQ(e->colorIndex(), 256);
  }
}

TEST_F(ReceiveTest, MalformedBlocksEndTheWalkWithoutReadingPastTheirEnd) {
  const auto good = EntryOf(LineOf({{0, 0, 0}, {1, 1, 0}}), 1);
  // The total claims more than the block holds: the whole entries still count.
  {
    ReceiveReport r;
    ASSERT_TRUE(ReceiveObjects(BlockOf({good}, 1 << 30), &r));
    EXPECT_EQ(r.created, 1u);
    EXPECT_TRUE(r.truncated);
  }
  // A body length that would wrap the position around.
  {
    auto block = BlockOf({good, good});
    PutU32(block, 80 + 64 + good.body.size(), 0xFFFFFFC0u);
    ReceiveReport r;
    ASSERT_TRUE(ReceiveObjects(block, &r));
    EXPECT_EQ(r.entries, 1u);
    EXPECT_TRUE(r.truncated);
  }
  // A linked folder claiming a billion children.
  {
    ASSERT_TRUE(s.steps("add line 0,0 5,5"));
    links().setLinkId(handleOf(DrawnOf<AcDbLine>()[0]), 77, false);
    vurk::FolderRecord folder = vurk::createFolderRecord();
    folder.name = "B";
    folder.childCount = 1000000000;
    vurk::CurrentSettings()->record().noIgnoredObjectsNotice = 1;
    ReceiveReport r;
    ASSERT_TRUE(ReceiveObjects(BlockOf({EntryOf(folder, 77), good, good}), &r));
    EXPECT_EQ(r.skipped, 3u);
  }
  // A block shorter than its head.
  {
    ReceiveReport r;
    ASSERT_TRUE(ReceiveObjects(std::vector<std::uint8_t>(40, 0xFF), &r));
    EXPECT_EQ(r.entries, 0u);
  }
}

TEST_F(ReceiveTest, ALinkedEntityStaysWhenItsReplacementCannotBeMade) {
  receive({EntryOf(LineOf({{0, 0, 0}, {1, 1, 0}}), 5)});
  ASSERT_EQ(links().holders(5).size(), 1u);
  const auto old = links().holders(5)[0];
  // A body cut short is rejected by the reader.
  auto bad = EntryOf(LineOf({{0, 0, 0}, {2, 2, 0}}), 5);
  bad.body.resize(bad.body.size() - 20);
  receive({bad});
  ASSERT_EQ(links().holders(5).size(), 1u);
  EXPECT_EQ(links().holders(5)[0], old);
  EXPECT_EQ(DrawnIds().length(), 1);
}

TEST_F(ReceiveTest, CrossSectionModeKeepsTheOldHatchOfAReceivedArea) {
  auto area = AreaOf({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
  receive({EntryOf(area, 8)});
  ASSERT_EQ(links().holders(8).size(), 1u);
  const auto old = links().holders(8)[0];
  int conversions = 0;
  vurk::CrossSection().active = [] { return true; };
  vurk::CrossSection().convert = [&conversions](vurk::MapRecord&) { return ++conversions > 0; };
  const ReceiveReport r = receive({EntryOf(area, 8), EntryOf(LineOf({{0, 0, 0}, {1, 0, 0}}), 9)});
  vurk::CrossSection() = {};
  EXPECT_EQ(conversions, 2);
  EXPECT_EQ(r.created, 1u);  // the line; the area is converted and not drawn
  ASSERT_EQ(links().holders(8).size(), 1u);
  EXPECT_EQ(links().holders(8)[0], old);
  EXPECT_EQ(DrawnOf<AcDbHatch>().size(), 1u);
}

// The whole road: the host's user selects a folder and presses the button; the objects come
// into the drawing on their folders' layers, linked, and a second press replaces them.
TEST(ReceiveFromHost, TheButtonInTheHostBringsTheSelectionIntoTheDrawing) {
  PluginSession s{true};
  ASSERT_TRUE(s.steps(
      "host system gk 3 38 zone-in-easting\n"
      "plugin load\n"
      "host add label 桥头 114.5,30.5 in 星衡/道路\n"
      "host add line 路 114.5,30.5 114.51,30.5 114.52,30.51 in 星衡/道路\n"
      "host add area 湖 114.5,30.5 114.6,30.5 114.6,30.6 114.5,30.6 hole 114.52,30.52 114.54,30.52 "
      "114.53,30.54 in 星衡/水系\n"
      "host add circle 圆 114.5,30.5 250 in 星衡\n"
      "host select folder 星衡\n"
      "host press-button\n"
      "wait 200"));
  const auto classes = DrawnClasses();
  EXPECT_EQ(classes.at("AcDbText"), 1);
  EXPECT_EQ(classes.at("AcDbHatch"), 2);
  std::set<std::u16string> layers;
  for (const auto id : DrawnIds()) {
    vurk::OpenedObject<AcDbEntity> e(id, AcDb::kForRead);
    layers.insert(e->layer());
  }
  EXPECT_TRUE(layers.contains(u"道路"));
  EXPECT_TRUE(layers.contains(u"水系"));
  EXPECT_TRUE(layers.contains(u"星衡"));
  vurk::DocumentLinks& links = vurk::CurrentDocState()->links;
  const std::size_t linked = links.size();
  EXPECT_EQ(linked, 4u);  // label, line, and the two hatches
  EXPECT_FALSE(vurk::CurrentHostLink()->flags().sendingFlag);  // cleared 100 ms after the walk

  ASSERT_TRUE(s.steps("host press-button\nwait 200"));
  EXPECT_EQ(DrawnClasses(), classes);
  EXPECT_EQ(links.size(), linked);
}

}  // namespace

namespace {

using namespace vurktest;

// The host and the drawing disagree about the zone number and the user cancels: nothing is
// drawn, the progress meter goes and the transfer flag clears a moment later.
TEST(ReceiveFromHost, CancellingAtTheZoneQuestionLeavesNoMeterAndNoFlag) {
  PluginSession s{true};
  ASSERT_TRUE(s.steps(
      "host system gk 3 38 zone-in-easting\n"
      "plugin load\n"
      "add line 500000,3000000 500010,3000010\n"
      "host add line 路 114.5,30.5 114.51,30.5\n"
      "host select 路\n"
      "answer yes\n"
      "host press-button\n"
      "wait 0"));
  EXPECT_NE(s.transcript().find("progress ended"), std::string::npos);
  EXPECT_NE(s.transcript().find("带号"), std::string::npos);  // the question was asked
  EXPECT_EQ(DrawnIds().length(), 1);
  ASSERT_TRUE(s.steps("wait 100"));
  EXPECT_FALSE(vurk::CurrentHostLink()->flags().sendingFlag);
}

// A point the plug-in places at drawing coordinates becomes a drawn mark that the window then
// hands on to be sent.
TEST(ReceiveFromHost, APlacedPointBecomesAnEntity) {
  PluginSession s{true};
  ASSERT_TRUE(s.steps("plugin load"));
  ASSERT_TRUE(vurk::PostPointBecameIcon(12.5, 7.25));
  ASSERT_TRUE(s.steps("wait 0"));
  const auto points = DrawnOf<AcDbPoint>();
  ASSERT_EQ(points.size(), 1u);
  vurk::OpenedObject<AcDbPoint> p(points[0], AcDb::kForRead);
  EXPECT_EQ(p->position(), AcGePoint3d(12.5, 7.25, 0));
  EXPECT_EQ(s.acad().docManager().curDocument()->explicitLockCount(), 0);
}

}  // namespace
