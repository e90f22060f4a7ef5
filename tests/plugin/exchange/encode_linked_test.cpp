// Entities already linked to map objects: point sets and multi-piece lines sent under their
// map object, and the cross-section conversion of appendEntry.
#include <gtest/gtest.h>

#include <map>

#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "encoder_fixture.h"

namespace {

// Links kept by handle, with the group links and pieces registered per map object id.
class TestLinks : public vurk::LinkSource {
 public:
  vurk::EntityLink linkOf(const AcDbEntity& e) override {
    const auto it = byHandle.find(e.objectHandle().value());
    return it != byHandle.end() ? it->second : vurk::FreshLink(e.objectHandle().value());
  }
  const vurk::EntityLink* groupLink(std::int32_t id) override {
    const auto it = groups.find(id);
    return it != groups.end() ? &it->second : nullptr;
  }
  std::vector<AcDbHandle> linePieces(std::int32_t id) override { return pieces[id]; }
  std::uint32_t newTemporaryKey() override { return 0x1234; }

  std::map<std::uint64_t, vurk::EntityLink> byHandle;
  std::map<std::int32_t, vurk::EntityLink> groups;
  std::map<std::int32_t, std::vector<AcDbHandle>> pieces;
};

class EncodeLinked : public vurktest::EncoderTest {
 protected:
  // Appends, links and encodes at top level.
  bool encodeLinked(AcDbEntity* e, vurk::EntityLink link) {
    const AcDbObjectId id = append(e);
    link.entityKey = id.handle().value();
    lastHandle = id.handle();
    testLinks.byHandle[link.entityKey] = link;
    AcDbEntity* open = nullptr;
    EXPECT_EQ(acdbOpenObject(open, id, AcDb::kForWrite), Acad::eOk);
    const bool ok = vurk::encodeEntity(*open, linked, link);
    open->close();
    return ok;
  }

  TestLinks testLinks;
  vurk::EncodeSession linked{stream, testLinks, patterns, &db_};
  AcDbHandle lastHandle;
};

vurk::EntityLink member(std::int32_t id) {
  vurk::EntityLink link;
  link.mapObjectId = id;
  link.isMember = 1;
  return link;
}

TEST_F(EncodeLinked, LinkedPointsGoBackAsTheirSet) {
  vurk::EntityLink group = member(9);
  group.name = u"井";
  group.opacity = 70;
  testLinks.groups[9] = group;
  ASSERT_TRUE(encodeLinked(new AcDbPoint(AcGePoint3d(1, 2, 0)), member(9)));
  ASSERT_TRUE(encodeLinked(new AcDbPoint(AcGePoint3d(3, 4, 0)), member(9)));
  vurk::EntityLink layer;
  layer.parentFolderId = 4;
  EXPECT_EQ(vurk::encodePointSet(linked, layer), 1);
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  EXPECT_EQ(v.entries[0].mapObjectId, 9);
  EXPECT_EQ(v.entries[0].entityKey, 9u) << "a known set travels under its map object id";
  EXPECT_EQ(v.entries[0].parentFolderId, 4u);
  EXPECT_EQ(v.entries[0].info.name, "井");
  EXPECT_EQ(v.entries[0].body[152], 70) << "opacity of the set's link";
  EXPECT_EQ(vurktest::Le32({v.entries[0].body.begin(), v.entries[0].body.end()}, 144), 0u) << "colour 0";
}

TEST_F(EncodeLinked, PiecesOfAMultiPieceLineAreJoinedInRegistrationOrder) {
  auto* a = new AcDbPolyline;
  a->addVertexAt(0, AcGePoint2d(1, 1));
  a->addVertexAt(1, AcGePoint2d(2, 1));
  auto* b = new AcDbPolyline;
  b->addVertexAt(0, AcGePoint2d(5, 5));
  b->addVertexAt(1, AcGePoint2d(6, 5));
  b->addVertexAt(2, AcGePoint2d(6, 6));
  b->setClosed(true);
  ASSERT_TRUE(encodeLinked(b, member(12)));
  const AcDbHandle second = lastHandle;
  ASSERT_TRUE(encodeLinked(a, member(12)));
  const AcDbHandle first = lastHandle;
  EXPECT_TRUE(entries().empty()) << "pieces wait for the end of the layer";
  testLinks.pieces[12] = {first, second};  // registered a first, then b
  EXPECT_EQ(vurk::encodeJoinedPolylines(linked, vurk::EntityLink{}), 1);
  const auto v = view();
  ASSERT_EQ(v.entries.size(), 1u);
  EXPECT_EQ(v.entries[0].mapObjectId, 12);
  EXPECT_EQ(v.entries[0].info.pointCount, 2u + 4u) << "a's two vertices, b's three and its first again";
  EXPECT_EQ(v.entries[0].info.firstPoint->east, 1.0) << "a comes first";
}

TEST_F(EncodeLinked, CrossSectionConversionChangesMarksAndLinesNotFolders) {
  int converted = 0;
  linked.convert = [&converted](vurk::MapRecord& r) {
    ++converted;
    if (auto* l = std::get_if<vurk::LineRecord>(&r)) l->lineWidth *= 2;
  };
  ASSERT_TRUE(encodeLinked(new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0)), vurk::EntityLink{}));
  const auto body = onlyBody();
  EXPECT_EQ(converted, 1);
  EXPECT_EQ(vurktest::Le32(body, 148), 6u);
  vurk::EntityLink link;
  EXPECT_TRUE(vurk::appendEntry(stream, vurk::createFolderRecord(), link, linked.convert));
  EXPECT_EQ(converted, 1) << "folders pass unchanged";
}

}  // namespace
