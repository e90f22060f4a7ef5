// Block references, regions and proxies as a folder entry followed by their parts.
#include <gtest/gtest.h>

#include "arx/acad_app.h"
#include "arx/dbblkref.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbproxy.h"
#include "arx/dbregion.h"
#include "arx/dbtext.h"
#include "encoder_fixture.h"

namespace {

using vurktest::Golden;

class EncodeGroups : public vurktest::EncoderTest {};

TEST_F(EncodeGroups, BlockReferenceIsAFolderFollowedByItsParts) {
  const AcDbObjectId block = defineBlock(u"门", {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)),
                                                 new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1)});
  auto* ref = new AcDbBlockReference(AcGePoint3d(10, 10, 0), block);
  vurk::EntityLink link;
  link.mapObjectId = 55;
  link.parentFolderId = 7;
  link.entityKey = 0xABC;
  ASSERT_TRUE(encode(ref, link));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 3u);
  const std::vector<std::uint8_t> folder(v.entries[0].body.begin(), v.entries[0].body.end());
  EXPECT_EQ(folder, Golden(176, {{0, "e9 97 a8"}, {100, "02 00 00 00"}, {111, "01"}, {115, "01"}}));
  EXPECT_EQ(v.entries[0].mapObjectId, 55) << "the folder header carries the group's link";
  EXPECT_EQ(v.entries[0].parentFolderId, 7u);
  EXPECT_EQ(v.entries[0].entityKey, 0xABCu);
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(v.entries[i].group, 0u);
    EXPECT_EQ(v.entries[i].mapObjectId, 0) << "exploded parts are new objects";
    EXPECT_EQ(v.entries[i].parentFolderId, 0u);
    EXPECT_EQ(v.entries[i].entityKey, 0u);
  }
  EXPECT_EQ(v.entries[1].info.firstPoint->east, 10.0) << "parts are placed by the block transform";
  EXPECT_EQ(session.groupIdsToDelete, std::vector<std::uint32_t>{55}) << "a linked group is sent anew";
  EXPECT_EQ(lastLink.name, u"门");
}

TEST_F(EncodeGroups, NestedBlockIsCountedIntoOneFolder) {
  const AcDbObjectId inner = defineBlock(u"INNER", {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)),
                                                    new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 0, 0))});
  const AcDbObjectId outer = defineBlock(u"OUTER", {new AcDbBlockReference(AcGePoint3d(5, 5, 0), inner),
                                                    new AcDbLine(AcGePoint3d(3, 3, 0), AcGePoint3d(4, 4, 0))});
  ASSERT_TRUE(encode(new AcDbBlockReference(AcGePoint3d(1, 1, 0), outer)));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 4u) << "one folder, three lines";
  EXPECT_EQ(v.entries[0].info.childCount, 3u);
  EXPECT_EQ(v.entries[0].info.name, "OUTER");
  EXPECT_EQ(v.entries[3].group, 0u);
}

TEST_F(EncodeGroups, AttributeDefinitionsAreLeftOutAndAttributesSent) {
  auto* def = new AcDbAttributeDefinition(AcGePoint3d(0, 0, 0), u"x", u"TAG", u"p");
  def->setHeight(1);
  const AcDbObjectId block = defineBlock(u"B", {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), def});
  auto* ref = new AcDbBlockReference(AcGePoint3d(10, 10, 0), block);
  auto* attribute = new AcDbAttribute(AcGePoint3d(10, 10, 0), u"甲", u"TAG");
  attribute->setHeight(1);
  ref->appendAttribute(attribute);
  ASSERT_TRUE(encode(ref));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 3u);
  EXPECT_EQ(v.entries[0].info.childCount, 2u);
  EXPECT_EQ(v.entries[2].kind, host::RecordKind::Mark);
  EXPECT_EQ(v.entries[2].info.name, "甲");
}

TEST_F(EncodeGroups, NonUniformScaleIsExplodedAtUnitScaleAndKeptOnTheReference) {
  const AcDbObjectId block = defineBlock(u"C", {new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1)});
  auto* ref = new AcDbBlockReference(AcGePoint3d(10, 10, 0), block);
  ref->setScaleFactors(AcGeScale3d(2, 1, 1));
  const AcDbObjectId id = append(ref);
  AcDbBlockReference* open = nullptr;
  ASSERT_EQ(acdbOpenObject(open, id, AcDb::kForWrite), Acad::eOk);
  vurk::EntityLink link = links.linkOf(*open);
  ASSERT_TRUE(vurk::encodeEntity(*open, session, link));
  EXPECT_EQ(open->scaleFactors().sx, 2.0) << "the user's block keeps its scale";
  open->close();
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 2u);
  EXPECT_EQ(v.entries[0].info.childCount, 1u);
  const std::vector<std::uint8_t> body(v.entries[1].body.begin(), v.entries[1].body.end());
  EXPECT_EQ(body[153], 9) << "the circle is sent as an ellipse";
  // centre (10, 10), major end, minor end: a 4 x 2 ellipse.
  const double majorEast = vurktest::F64At(body, 208 + 48 + 8);
  const double minorNorth = vurktest::F64At(body, 208 + 96);
  EXPECT_NEAR(std::abs(majorEast - 10.0), 2.0, 1e-9);
  EXPECT_NEAR(std::abs(minorNorth - 10.0), 1.0, 1e-9);
}

TEST_F(EncodeGroups, RegionIsAFolderOfItsBoundary) {
  AcDbVoidPtrArray curves, regions;
  curves.append(new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(3, 1, 0)));
  curves.append(new AcDbLine(AcGePoint3d(3, 1, 0), AcGePoint3d(3, 3, 0)));
  curves.append(new AcDbLine(AcGePoint3d(3, 3, 0), AcGePoint3d(1, 1, 0)));
  ASSERT_EQ(AcDbRegion::createFromCurves(curves, regions), Acad::eOk);
  for (int i = 0; i < curves.length(); ++i) delete static_cast<AcDbEntity*>(curves[i]);
  ASSERT_EQ(regions.length(), 1);
  ASSERT_TRUE(encode(static_cast<AcDbEntity*>(regions[0])));
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 4u);
  EXPECT_EQ(v.entries[0].info.childCount, 3u);
  EXPECT_EQ(v.entries[0].info.name, "") << "only blocks name their folders";
}

TEST_F(EncodeGroups, FailedExplodeStillWritesTheFolderWithNoChildren) {
  auto* proxy = new AcDbProxyEntity;
  proxy->setReportedClassName(u"AcDbZombieEntity");
  ASSERT_TRUE(encode(proxy)) << "a proxy without graphics does not explode";
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  EXPECT_EQ(v.entries[0].info.childCount, 0u);
  EXPECT_EQ(commandLine(), "炸开块失败\n");
}

TEST_F(EncodeGroups, LongBlockNamesAreCutAtACharacterBoundary) {
  const std::u16string name(40, u'块');
  const AcDbObjectId block = defineBlock(name.c_str(), {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0))});
  ASSERT_TRUE(encode(new AcDbBlockReference(AcGePoint3d(1, 1, 0), block)));
  const auto v = view();
  ASSERT_FALSE(v.entries.empty());
  EXPECT_EQ(v.entries[0].info.name.size(), 99u) << "33 whole characters";
  EXPECT_EQ(v.entries[0].body[99], 0) << "the name field keeps its terminator";
}

}  // namespace
