// Styles: colours, opacity, line styles, the measurement factor, hatch fills and the custom
// pattern list.
#include <gtest/gtest.h>

#include "arx/acedads.h"
#include "arx/adscodes.h"
#include "arx/dbhatch.h"
#include "arx/dbents.h"
#include "arx/dbtext.h"
#include "encoder_fixture.h"
#include "platform/acad_fixture.h"

namespace {

using vurktest::Golden;
using vurktest::Le32;

class Styles : public vurktest::EncoderTest {
 protected:
  AcDbObjectId addLinetype(const char16_t* name) {
    AcDbLinetypeTable* table = nullptr;
    EXPECT_EQ(db_.getLinetypeTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbLinetypeTableRecord;
    rec->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, rec), Acad::eOk);
    rec->close();
    table->close();
    return id;
  }
  // A line on a new layer with the given linetype (entity ByLayer unless given).
  std::uint8_t styleOfLineOn(const char16_t* layerLinetype, const char16_t* own = nullptr) {
    const AcDbObjectId lt = addLinetype(layerLinetype);
    const AcDbObjectId layer = addLayer((std::u16string(u"L_") + layerLinetype).c_str());
    AcDbLayerTableRecord* rec = nullptr;
    EXPECT_EQ(acdbOpenObject(rec, layer, AcDb::kForWrite), Acad::eOk);
    rec->setLinetypeObjectId(lt);
    rec->close();
    AcDbLine line(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0));
    line.setDatabaseDefaults(&db_);
    line.setLayer(layer);
    if (own) line.setLinetype(addLinetype(own));
    return vurk::lineStyleOf(line);
  }
};

TEST_F(Styles, LinetypeNamesGiveTheHostLineStyles) {
  EXPECT_EQ(styleOfLineOn(u"ACAD_ISO02W100"), 2) << "ByLayer resolves to the layer's linetype";
  EXPECT_EQ(vurk::lineStyleOfName(u"DASHDOTX2"), 6);
  EXPECT_EQ(vurk::lineStyleOfName(u"DASHDOT"), 3);
  EXPECT_EQ(vurk::lineStyleOfName(u"dashdot"), 0) << "the DASH names are matched with case";
  EXPECT_EQ(vurk::lineStyleOfName(u"acad_iso07w100"), 1) << "the ISO names without case";
  EXPECT_EQ(vurk::lineStyleOfName(u"ACAD_ISO10W100"), 3);
  EXPECT_EQ(vurk::lineStyleOfName(u"ACAD_ISO05W100"), 4);
  EXPECT_EQ(vurk::lineStyleOfName(u"DIVIDEX2"), 7);
  EXPECT_EQ(vurk::lineStyleOfName(u"DIVIDE"), 4);
  EXPECT_EQ(vurk::lineStyleOfName(u"CENTER2"), 3);
  EXPECT_EQ(vurk::lineStyleOfName(u"HIDDEN_DASHED"), 5);
  EXPECT_EQ(vurk::lineStyleOfName(u"Continuous"), 0);
  EXPECT_EQ(vurk::lineStyleOfName(u"BORDER"), 0);
  EXPECT_EQ(styleOfLineOn(u"BORDER", u"DASHED"), 5) << "an entity's own linetype wins";
}

TEST_F(Styles, TextsAndPointsAreNotCurvesAndHaveNoLineStyle) {
  AcDbText text(AcGePoint3d(1, 1, 0), u"a", AcDbObjectId::kNull, 1.0);
  text.setDatabaseDefaults(&db_);
  text.setLinetype(addLinetype(u"DASHED"));
  EXPECT_EQ(vurk::lineStyleOf(text), 0);
  AcDbPoint point(AcGePoint3d(1, 1, 0));
  point.setDatabaseDefaults(&db_);
  EXPECT_EQ(vurk::lineStyleOf(point), 0);
}

TEST_F(Styles, AlphaGivesOpacityPercent) {
  AcDbLine line;
  line.setTransparency(AcCmTransparency(Adesk::UInt8{127}));
  EXPECT_EQ(vurk::entityOpacity(line), 50u);
  line.setTransparency(AcCmTransparency(Adesk::UInt8{255}));
  EXPECT_EQ(vurk::entityOpacity(line), 100u);
  line.setTransparency(AcCmTransparency(Adesk::UInt8{0}));
  EXPECT_EQ(vurk::entityOpacity(line), 50u) << "fully transparent is sent as 50";
  line.setTransparency(AcCmTransparency());
  EXPECT_EQ(vurk::entityOpacity(line), 100u) << "ByLayer is opaque";
}

TEST_F(Styles, ColoursByIndexLayerAndBlock) {
  EXPECT_EQ(vurk::indexColour(1), 0x0000FFu) << "red as COLORREF 0x00BBGGRR";
  EXPECT_EQ(vurk::indexColour(5), 0xFF0000u) << "blue";
  EXPECT_EQ(vurk::indexColour(256, 0x123456), 0x123456u) << "the colour being encoded";
  EXPECT_EQ(vurk::indexColour(300), 0u);
  const AcDbObjectId layer = addLayer(u"GREEN");
  AcDbLayerTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, layer, AcDb::kForWrite), Acad::eOk);
  AcCmColor green;
  green.setColorIndex(3);
  rec->setColor(green);
  rec->close();
  AcDbLine line;
  line.setDatabaseDefaults(&db_);
  line.setLayer(layer);
  EXPECT_EQ(vurk::entityColour(line, false, 0), 0x00FF00u) << "ByLayer outside a group: the layer's colour";
  EXPECT_EQ(vurk::entityColour(line, true, 0xABCDEF), 0xABCDEFu) << "ByLayer inside a group: the reference's";
  line.setColorIndex(0);
  EXPECT_EQ(vurk::entityColour(line, false, 0), 0xFFFFFFu) << "ByBlock outside a block is white";
}

TEST_F(Styles, SolidHatchTakesItsColourForFillAndLine) {
  auto* hatch = new AcDbHatch;
  hatch->setPattern(AcDbHatch::kPreDefined, u"SOLID");
  hatch->setColorIndex(1);
  AcGePoint2dArray square;
  for (auto [x, y] : {std::pair{1.0, 1.0}, {3.0, 1.0}, {3.0, 3.0}, {1.0, 3.0}}) square.append(AcGePoint2d(x, y));
  ASSERT_EQ(hatch->appendLoop(AcDbHatch::kExternal, square, AcGeDoubleArray()), Acad::eOk);
  ASSERT_TRUE(encode(hatch));
  const auto body = onlyBody();
  EXPECT_EQ(Le32(body, 152), 0x0000FFu) << "line colour";
  EXPECT_EQ(Le32(body, 156), 0x0000FFu) << "fill colour";
  EXPECT_EQ(Le32(body, 160), 0u) << "solid";
  EXPECT_EQ(Le32(body, 164), 1u) << "pattern flag";
  EXPECT_EQ(body[145], 100);
  EXPECT_EQ(body[146], 100);
  EXPECT_EQ(body.size(), 208u + 5 * 48u) << "four corners and the first again";
}

TEST_F(Styles, ByLayerHatchTakesTheColourResolvedForIt) {
  auto* hatch = new AcDbHatch;
  hatch->setPattern(AcDbHatch::kPreDefined, u"SOLID");
  AcGePoint2dArray triangle;
  for (auto [x, y] : {std::pair{1.0, 1.0}, {3.0, 1.0}, {3.0, 3.0}}) triangle.append(AcGePoint2d(x, y));
  hatch->appendLoop(AcDbHatch::kExternal, triangle, AcGeDoubleArray());
  ASSERT_TRUE(encode(hatch));
  const auto body = onlyBody();
  EXPECT_EQ(Le32(body, 156), 0xFFFFFFu) << "ByLayer on layer 0 (white), not black";
  EXPECT_EQ(Le32(body, 152), 0xFFFFFFu);
}

TEST_F(Styles, UnknownPatternIsRegisteredAsCustomWithScaleOne) {
  auto* hatch = new AcDbHatch;
  ASSERT_EQ(hatch->setPattern(AcDbHatch::kPreDefined, u"ANSI31"), Acad::eOk);
  hatch->setPatternScale(4);
  AcGePoint2dArray square;
  for (auto [x, y] : {std::pair{1.0, 1.0}, {3.0, 1.0}, {3.0, 3.0}}) square.append(AcGePoint2d(x, y));
  hatch->appendLoop(AcDbHatch::kExternal, square, AcGeDoubleArray());
  ASSERT_TRUE(encode(hatch));
  const auto body = onlyBody();
  EXPECT_EQ(Le32(body, 160), 3u) << "pattern";
  ASSERT_EQ(patterns.newPatterns().entries.size(), 1u);
  const auto& custom = patterns.newPatterns().entries[0];
  EXPECT_EQ(custom.name(), "ANSI31");
  EXPECT_EQ(custom.defaultScale(), 2.0);
  EXPECT_EQ(Le32(body, 168), custom.patternId());
  EXPECT_EQ(custom.patternId(), vurk::PatternLinesId(custom.lines));
  EXPECT_LT(custom.patternId(), 0x80000000u);
  EXPECT_EQ(vurktest::LeF64(std::vector<std::uint8_t>(body.begin() + 176, body.begin() + 184), 0) != 0, true);
}

TEST_F(Styles, KnownPatternTakesTheHostIdAndItsScale) {
  vurk::PatternList hostList;
  vurk::HostPattern ansi;
  ansi.setName("ANSI31");
  ansi.setPatternId(31);
  hostList.entries.push_back(ansi);
  vurk::PatternLists known([hostList] { return std::optional<vurk::PatternList>(hostList); });
  AcDbHatch hatch;
  hatch.setPattern(AcDbHatch::kPreDefined, u"ANSI31");
  hatch.setPatternScale(2.0);
  vurk::HatchStyle style;
  vurk::readHatchStyle(hatch, style, known);
  EXPECT_EQ(style.patternId, 31u);
  EXPECT_EQ(style.scale, 2.0) << "a metric drawing sends the scale as it is";
  EXPECT_TRUE(known.newPatterns().entries.empty());
  // Received back: the id gives the name again.
  vurk::AreaRecord area = vurk::createAreaRecord(0);
  area.fillType = 3;
  area.shapeOrPatternFlag = 1;
  area.patternId = 31;
  area.scaledSize = 2.0f;
  vurk::HatchStyle back;
  vurk::styleFromArea(area, back, known);
  EXPECT_EQ(back.patternName, "ANSI31");
  EXPECT_EQ(back.scale, 2.0);
  area.patternId = 99;
  area.scaledSize = -3.0f;
  vurk::styleFromArea(area, back, known);
  EXPECT_EQ(back.patternName, "SOLID") << "an unknown id";
  EXPECT_EQ(back.scale, 1.0) << "a scale that is not positive";
}

TEST_F(Styles, HatchRingsAreMarkedAndSortedOuterFirst) {
  auto* hatch = new AcDbHatch;
  hatch->setPattern(AcDbHatch::kPreDefined, u"SOLID");
  AcGePoint2dArray hole, outer;
  for (auto [x, y] : {std::pair{4.0, 4.0}, {6.0, 4.0}, {6.0, 6.0}}) hole.append(AcGePoint2d(x, y));
  for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}}) outer.append(AcGePoint2d(x, y));
  ASSERT_EQ(hatch->appendLoop(AcDbHatch::kOutermost, hole, AcGeDoubleArray()), Acad::eOk);
  ASSERT_EQ(hatch->appendLoop(AcDbHatch::kExternal, outer, AcGeDoubleArray()), Acad::eOk);
  ASSERT_TRUE(encode(hatch));
  const auto body = onlyBody();
  EXPECT_EQ(body[150], 1) << "one outer ring";
  ASSERT_EQ(body.size(), 208u + 9 * 48u) << "outer 4 + 1, inner 3 + 1";
  EXPECT_EQ(vurktest::F64At(body, 208 + 8 + 48), 10.0) << "the outer ring comes first";
  EXPECT_EQ(Le32(body, 208 + 5 * 48 + 20), 65536u) << "the inner ring's first vertex marks a new ring";
  EXPECT_EQ(Le32(body, 208 + 20), 0u);
}

TEST_F(Styles, BulgedLoopIsFlattenedEveryThreeDegrees) {
  auto* hatch = new AcDbHatch;
  hatch->setPattern(AcDbHatch::kPreDefined, u"SOLID");
  AcGePoint2dArray half;
  half.append(AcGePoint2d(0, 0));
  half.append(AcGePoint2d(2, 0));
  AcGeDoubleArray bulges;
  bulges.append(1.0);  // a half circle from (0,0) to (2,0)
  bulges.append(0.0);
  ASSERT_EQ(hatch->appendLoop(AcDbHatch::kExternal, half, bulges), Acad::eOk);
  ASSERT_TRUE(encode(hatch));
  const auto body = onlyBody();
  // 180 degrees: 60 points on the arc, the straight way back from (2,0), then the first point.
  EXPECT_EQ(body.size(), 208u + 62 * 48u);
}

TEST_F(Styles, HatchOfOneAssociatedCircleIsSampledAtAHundredPoints) {
  const AcDbObjectId circle = append(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2));
  auto* hatch = new AcDbHatch;
  hatch->setPattern(AcDbHatch::kPreDefined, u"SOLID");
  hatch->setAssociative(true);
  AcDbObjectIdArray ids;
  ids.append(circle);
  ASSERT_EQ(hatch->appendLoop(AcDbHatch::kExternal, ids), Acad::eOk);
  ASSERT_TRUE(encode(hatch));
  const auto body = onlyBody();
  EXPECT_EQ(body.size(), 208u + 100 * 48u);
  EXPECT_EQ(vurktest::F64At(body, 136), 360.0) << "a full boundary: angles 0 and 360";
  EXPECT_EQ(vurktest::F64At(body, 216), 7.0) << "the first point at parameter 0";
}

class Measurement : public vurktest::AcadFixture {
 protected:
  void setMeasurement(short value) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = value;
    ASSERT_EQ(acedSetVar(u"MEASUREMENT", &rb), RTNORM);
  }
};

TEST_F(Measurement, EachDrawingGetsItsOwnFactor) {
  setMeasurement(0);
  EXPECT_EQ(vurk::measurementFactor(), 25);
  AcDbHatch hatch;
  hatch.setPattern(AcDbHatch::kPreDefined, u"ANSI31");
  hatch.setPatternScale(25);
  vurk::PatternList list;
  vurk::HostPattern ansi;
  ansi.setName("ANSI31");
  ansi.setPatternId(3);
  list.entries.push_back(ansi);
  vurk::PatternLists known([list] { return std::optional<vurk::PatternList>(list); });
  vurk::HatchStyle imperial;
  vurk::readHatchStyle(hatch, imperial, known);
  EXPECT_EQ(imperial.scale, 1.0) << "an imperial drawing sends scale 25 as 1";
  setMeasurement(1);
  hatch.setPatternScale(2);
  vurk::HatchStyle metric;
  vurk::readHatchStyle(hatch, metric, known);
  EXPECT_EQ(metric.scale, 2.0) << "the next, metric drawing is not divided by 25";
}

}  // namespace
