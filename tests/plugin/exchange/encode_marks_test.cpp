// Points, texts, labels and raster images as MarkRecords, point sets, and label sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "arx/dbents.h"
#include "arx/dbimage.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "encoder_fixture.h"

namespace {

using vurktest::ExpectBytesExcept;
using vurktest::F64At;
using vurktest::Golden;
using vurktest::Le32;

class EncodeMarks : public vurktest::EncoderTest {};

TEST_F(EncodeMarks, PointAsIconGivesAMarkWithIconFour) {
  session.settings.pointsAsIcons = true;
  ASSERT_TRUE(encode(new AcDbPoint(AcGePoint3d(10, 20, 3.7))));
  ExpectBytesExcept(onlyBody(), Golden(420, {{112 + 6, "34 40"},   // north 20
                                             {120 + 6, "24 40"},   // east 10
                                             {128, "02"},
                                             {132, "03 00 00 00"},  // altitude 3
                                             {144, "04 00 00 00"},  // icon 4
                                             {148, "ff ff ff 00"},  // white
                                             {153, "01"}}));
}

TEST_F(EncodeMarks, TopLevelPointsAreDeferredIntoOneSet) {
  ASSERT_TRUE(encode(new AcDbPoint(AcGePoint3d(1, 2, 0))));
  ASSERT_TRUE(encode(new AcDbPoint(AcGePoint3d(3, 4, 0))));
  EXPECT_TRUE(entries().empty()) << "nothing is sent before the layer ends";
  EXPECT_EQ(session.lastOutcome.kind, vurk::EncodeOutcome::Deferred);
  vurk::EntityLink layer;
  layer.parentFolderId = 7;
  EXPECT_EQ(vurk::encodePointSet(session, layer), 1);
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  const std::vector<std::uint8_t> body(v.entries[0].body.begin(), v.entries[0].body.end());
  ExpectBytesExcept(body, Golden(208 + 96, {{120, "02 00 00 00"},
                                            {124, "02"},
                                            {148, "03 00 00 00"},
                                            {153, "06"},  // colour 0, opacity 0, style 0
                                            {208 + 6, "00 40"}, {216 + 6, "f0 3f"},
                                            {256 + 6, "10 40"}, {264 + 6, "08 40"}}));
  EXPECT_EQ(v.entries[0].parentFolderId, 7u);
  EXPECT_GT(v.entries[0].entityKey, 0u) << "a new set travels under a temporary key";
  EXPECT_LT(v.entries[0].entityKey, 0x80000000u);
}

TEST_F(EncodeMarks, ASingleNewPointInALayerIsDropped) {
  ASSERT_TRUE(encode(new AcDbPoint(AcGePoint3d(1, 2, 0))));
  EXPECT_EQ(vurk::encodePointSet(session, vurk::EntityLink{}), 0);
  EXPECT_TRUE(entries().empty());
}

TEST_F(EncodeMarks, TextGivesALabelMarkWithItsSize) {
  session.mapScale = 1.0;
  auto* t = new AcDbText(AcGePoint3d(10, 20, 0), u"ab", AcDbObjectId::kNull, 100.0, 1.5707963267948966);
  ASSERT_TRUE(encode(t));
  ExpectBytesExcept(onlyBody(), Golden(420, {{0, "61 62"},
                                             {112 + 6, "34 40"},
                                             {120 + 6, "24 40"},
                                             {128, "02"},
                                             {148, "ff ff ff 00"},
                                             {153, "03"},
                                             {260, "01"},           // labelFixed
                                             {265, "11"},           // level 17
                                             {268, "23 00 00 00"},  // font size 35
                                             {272, "ff ff ff 00"},
                                             {280, "00 00 b4 42"}}));  // 90 degrees
}

TEST_F(EncodeMarks, LabelSizesFollowTheMapScale) {
  EXPECT_EQ(vurk::labelSizeOf(100, 1).fontSize, 35);
  EXPECT_EQ(vurk::labelSizeOf(100, 1).level, 17);
  EXPECT_EQ(vurk::labelSizeOf(5, 1).fontSize, 14);
  EXPECT_EQ(vurk::labelSizeOf(5, 1).level, 20);
  EXPECT_EQ(vurk::labelSizeOf(5, 0).fontSize, 16) << "unknown map scale";
  EXPECT_EQ(vurk::labelSizeOf(5, 0).level, 19);
  EXPECT_EQ(vurk::labelSizeOf(5, -1).fontSize, 16) << "a negative scale from the host";
  EXPECT_EQ(vurk::labelSizeOf(5, std::numeric_limits<double>::infinity()).level, 19);
  EXPECT_EQ(vurk::labelSizeOf(0, 1).fontSize, 16) << "a text of height 0";
  EXPECT_EQ(vurk::labelSizeOf(1e300, 1).level, 1) << "the level stops at 1";
  EXPECT_EQ(vurk::labelSizeOf(1e300, 1).fontSize, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(vurk::labelSizeOf(1e-300, 1).level, 28) << "the level stops at 28";
}

TEST_F(EncodeMarks, CentredTextIsAnchoredAtItsAlignmentPoint) {
  auto* t = new AcDbText(AcGePoint3d(0, 0, 0), u"abc", AcDbObjectId::kNull, 2.0);
  t->setHorizontalMode(AcDb::kTextCenter);
  t->setAlignmentPoint(AcGePoint3d(50, 60, 0));
  ASSERT_TRUE(encode(t));
  const auto body = onlyBody();
  EXPECT_EQ(F64At(body, 112), 60.0);
  EXPECT_EQ(F64At(body, 120), 50.0);
}

TEST_F(EncodeMarks, LeftTextIsAnchoredAtItsPosition) {
  ASSERT_TRUE(encode(new AcDbText(AcGePoint3d(5, 6, 0), u"abc", AcDbObjectId::kNull, 2.0)));
  const auto body = onlyBody();
  EXPECT_EQ(F64At(body, 112), 6.0) << "a left/baseline text reports alignment (0, 0): its position is taken";
  EXPECT_EQ(F64At(body, 120), 5.0);
}

TEST_F(EncodeMarks, TextWithAnIconWhoseSizeIsNotFixedIsFourteenPixels) {
  vurk::EntityLink link;
  link.iconId = 3;
  link.labelFixed = 0;
  link.savedPosition = AcGePoint3d(5, 6, 0);
  ASSERT_TRUE(encode(new AcDbText(AcGePoint3d(5, 6, 0), u"abc", AcDbObjectId::kNull, 2.0), link));
  const auto body = onlyBody();
  EXPECT_EQ(Le32(body, 268), 14u);
  EXPECT_EQ(body[260], 0) << "not fixed";
}

TEST_F(EncodeMarks, LabelBesideItsIconIsSentWhereTheHostPlacedIt) {
  // The icon: an 8-unit image at (10, 10), so its position is (14, 10).
  auto* icon = new AcDbRasterImage;
  ASSERT_TRUE(icon->setOrientation(AcGePoint3d(10, 10, 0), AcGeVector3d(8, 0, 0), AcGeVector3d(0, 8, 0)));
  const AcDbObjectId iconId = append(icon);
  session.settings.labelTextHeight = 5;
  vurk::EntityLink link;
  link.iconId = 2;
  link.companionHandle = iconId.handle().value();
  link.savedPosition = AcGePoint3d(100, 200, 3);
  // 5 / (14 - 9) = 1 and 5 / (10 - 5) = 1: the label still sits beside its icon.
  ASSERT_TRUE(encode(new AcDbText(AcGePoint3d(9, 5, 0), u"abc", AcDbObjectId::kNull, 2.0), link));
  // Moved away from the icon: its own anchor.
  ASSERT_TRUE(encode(new AcDbText(AcGePoint3d(50, 5, 0), u"abc", AcDbObjectId::kNull, 2.0), link));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 2u);
  EXPECT_EQ(v.entries[0].info.firstPoint->east, 100.0);
  EXPECT_EQ(v.entries[0].info.firstPoint->north, 200.0);
  EXPECT_EQ(vurktest::Le32({v.entries[0].body.begin(), v.entries[0].body.end()}, 132), 3u) << "with its Z";
  EXPECT_EQ(v.entries[1].info.firstPoint->east, 50.0);
}

TEST_F(EncodeMarks, LinkedTextSendsTheLinkNameAndComment) {
  vurk::EntityLink link;
  link.mapObjectId = 12;
  link.name = u"名称";
  link.comment = u"备注";
  ASSERT_TRUE(encode(new AcDbText(AcGePoint3d(5, 6, 0), u"abc", AcDbObjectId::kNull, 2.0), link));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  EXPECT_EQ(v.entries[0].mapObjectId, 12);
  EXPECT_EQ(v.entries[0].info.name, "名称");
  EXPECT_EQ(v.entries[0].info.textLength, 6u);
}

TEST_F(EncodeMarks, MTextIsALabelWithItsPlainTextWrapped) {
  auto* m = new AcDbMText;
  m->setLocation(AcGePoint3d(1, 2, 0));
  m->setTextHeight(1.0);
  m->setWidth(4.2);  // k = trunc(4.2 / 1 / 1.4 + 0.1) = 3
  m->setContents(u"{\\fArial;abcdefg}\\Pxy");
  m->setAttachment(AcDbMText::kMiddleCenter);
  ASSERT_TRUE(encode(m));
  const auto body = onlyBody();
  ASSERT_GE(body.size(), 420u);
  const std::string text(body.begin() + 420, body.end());
  EXPECT_EQ(text, "abc\r\ndef\r\ng\r\nxy");
  EXPECT_EQ(body[376], 1) << "isLabel";
  EXPECT_EQ(body[377], 5) << "attachment";
  EXPECT_EQ(body[153], 3);
}

TEST_F(EncodeMarks, MTextWrappingNeedsAPositiveHeight) {
  EXPECT_EQ(vurk::wrapMText(u"abcdef", 10, 0), u"abcdef");
  EXPECT_EQ(vurk::wrapMText(u"abcdef", 0, 1), u"abcdef");
  EXPECT_EQ(vurk::wrapMText(u"abcdef", 1, 1), u"a\r\nb\r\nc\r\nd\r\ne\r\nf") << "at least one per line";
  EXPECT_EQ(vurk::wrapMText(u"ab\r\ncd", 2.8, 1), u"ab\r\ncd");
}

TEST_F(EncodeMarks, RasterImagesOfFifteenUnitMultiplesAreSentAsPoints) {
  auto* sent = new AcDbRasterImage;
  ASSERT_TRUE(sent->setOrientation(AcGePoint3d(100, 200, 0), AcGeVector3d(30, 0, 0), AcGeVector3d(0, 45, 0)));
  ASSERT_TRUE(encode(sent));
  auto* notSent = new AcDbRasterImage;
  ASSERT_TRUE(notSent->setOrientation(AcGePoint3d(100, 200, 0), AcGeVector3d(30, 0, 0), AcGeVector3d(0, 40, 0)));
  EXPECT_FALSE(encode(notSent));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  const std::vector<std::uint8_t> body(v.entries[0].body.begin(), v.entries[0].body.end());
  EXPECT_EQ(F64At(body, 112), 200.0) << "the bottom edge";
  EXPECT_EQ(F64At(body, 120), 115.0) << "the middle of the bottom edge";
  EXPECT_EQ(body[153], 1);
}

TEST_F(EncodeMarks, IconImageOfALinkedLabelIsNotSentButCountsAsDone) {
  auto* icon = new AcDbRasterImage;
  icon->setOrientation(AcGePoint3d(1, 1, 0), AcGeVector3d(8, 0, 0), AcGeVector3d(0, 8, 0));
  vurk::EntityLink link;
  link.companionHandle = 1;
  EXPECT_TRUE(encode(icon, link));
  EXPECT_TRUE(entries().empty());
}

TEST_F(EncodeMarks, AttributeDefinitionIsALabelNamedByItsTag) {
  auto* d = new AcDbAttributeDefinition(AcGePoint3d(2, 3, 0), u"value", u"TAG", u"prompt");
  d->setHeight(1.0);
  ASSERT_TRUE(encode(d));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  EXPECT_EQ(v.entries[0].info.name, "TAG");
  const std::vector<std::uint8_t> body(v.entries[0].body.begin(), v.entries[0].body.end());
  EXPECT_EQ(F64At(body, 120), 2.0) << "lower-left corner of its extents";
  EXPECT_EQ(body[260], 1);
  EXPECT_EQ(Le32(body, 144), 0u) << "no icon";
}

TEST_F(EncodeMarks, InvisibleEntitiesSendNothing) {
  auto* p = new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0));
  p->setVisibility(AcDb::kInvisible);
  EXPECT_FALSE(encode(p));
  EXPECT_EQ(session.lastOutcome.reason, "invisible");
}

}  // namespace
