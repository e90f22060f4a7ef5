// The link state of one drawing: tables that follow the cache, groups, copies that carry a
// record along, and what erasing asks the host to delete.
#include <gtest/gtest.h>

#include <list>

#include <vector>

#include "arx/dbents.h"
#include "arx/dbtext.h"
#include "exchange/document_links.h"
#include "exchange/link_record.h"
#include "platform/db_test_support.h"

namespace {

using vurk::DocumentLinks;
using vurk::EntityLink;

class DocumentLinksTest : public dbtest::DrawingTest {
 protected:
  std::uint64_t addPoint(double x) {
    return handleOf(append(new AcDbPoint(AcGePoint3d(x, 0, 0))));
  }
  std::uint64_t addLine(double y) {
    return handleOf(append(new AcDbLine(AcGePoint3d(0, y, 0), AcGePoint3d(10, y, 0))));
  }
  static std::uint64_t handleOf(AcDbObjectId id) { return id.handle().value(); }
  AcDbObjectId idOf(std::uint64_t h) {
    AcDbObjectId id;
    db_.getAcDbObjectId(id, false, AcDbHandle(h));
    return id;
  }
  void erase(std::uint64_t h) {
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, idOf(h), AcDb::kForWrite), Acad::eOk);
    e->erase();
    e->close();
  }
  // The record a copy carries: written into the entity as the original's.
  void storeLink(std::uint64_t h, std::int32_t id) {
    AcDbObject* o = nullptr;
    ASSERT_EQ(acdbOpenObject(o, idOf(h), AcDb::kForWrite), Acad::eOk);
    EntityLink link;
    link.mapObjectId = id;
    link.name = u"线";
    EXPECT_EQ(vurk::writeLink(*o, link), Acad::eOk);
    o->close();
  }
  EntityLink& read(std::uint64_t h) {
    AcDbObject* o = nullptr;
    EXPECT_EQ(acdbOpenObject(o, idOf(h), AcDb::kForRead), Acad::eOk);
    EntityLink& link = vurk::readLink(links, *o);
    o->close();
    return link;
  }

  DocumentLinks links;
};

TEST_F(DocumentLinksTest, TheIdTablesFollowTheCache) {
  const std::uint64_t a = addLine(0);
  const std::uint64_t b = addLine(1);
  links.setLinkId(a, 5, false);
  EntityLink label;
  label.mapObjectId = 5;
  label.companionHandle = 0x99;
  links.putLink(b, label, true);
  EXPECT_EQ(links.holders(5), std::vector<std::uint64_t>{a});
  EXPECT_EQ(links.iconHolders(5), std::vector<std::uint64_t>{b}) << "a label with an icon has its own table";

  const EntityLink* before = links.find(a);
  links.setLinkId(a, 6, false);
  EXPECT_EQ(links.find(a), before) << "a changed link stays where it was";
  EXPECT_TRUE(links.holders(5).empty());
  EXPECT_EQ(links.holders(6), std::vector<std::uint64_t>{a});
  EXPECT_EQ(links.find(a)->stored, 0);
  EXPECT_EQ(links.pendingHandles(), std::vector<std::uint64_t>{a});

  links.forget(a);
  EXPECT_EQ(links.find(a), nullptr);
  EXPECT_TRUE(links.holders(6).empty());
  links.setLinkId(a, 0, false);
  EXPECT_TRUE(links.holders(0).empty()) << "id 0 is no link";
}

TEST_F(DocumentLinksTest, AGroupUnderATemporaryKeyTakesTheHostsId) {
  const std::uint64_t p1 = addPoint(0);
  const std::uint64_t p2 = addPoint(1);
  vurk::DocumentLinkSource source(links);
  const auto key = static_cast<std::int32_t>(source.newTemporaryKey());
  links.addMember(links.pointSets(), key, p1, vurk::FreshLink());
  links.addMember(links.pointSets(), key, p2, vurk::FreshLink());
  EXPECT_FALSE(links.rekeyGroup(12345, 900)) << "no group has that key";
  ASSERT_TRUE(links.rekeyGroup(key, 900));
  EXPECT_EQ(links.group(key), nullptr);
  ASSERT_NE(links.group(900), nullptr);
  EXPECT_EQ(links.group(900)->members, (std::list<std::uint64_t>{p1, p2}));
  EXPECT_EQ(links.group(900)->link.mapObjectId, 900);
  for (std::uint64_t p : {p1, p2}) {
    ASSERT_NE(links.find(p), nullptr);
    EXPECT_EQ(links.find(p)->mapObjectId, 900);
    EXPECT_EQ(links.find(p)->isMember, 1);
    EXPECT_EQ(links.find(p)->stored, 0);
  }
  EXPECT_EQ(links.holders(900), (std::vector<std::uint64_t>{p1, p2}));
}

TEST_F(DocumentLinksTest, TemporaryKeysAvoidEveryIdAndHandleKnown) {
  vurk::DocumentLinkSource source(links);
  const std::uint64_t h = addLine(0);
  links.setLinkId(h, 0x40000001, false);
  links.putLink(0x40000002, vurk::FreshLink(0x40000002), true);
  links.addMember(links.pointSets(), 0x40000003, h, vurk::FreshLink());
  const std::uint32_t key = source.newTemporaryKey();
  EXPECT_GT(key, 0x40000003u);
  EXPECT_LE(key, 0x7FFFFFFFu);
}

TEST_F(DocumentLinksTest, ErasingAPointSetMemberDeletesTheObjectOnlyWithTheLastMember) {
  std::vector<std::uint64_t> points{addPoint(0), addPoint(1), addPoint(2)};
  for (std::uint64_t p : points) {
    links.setLinkId(p, 600, true);
    links.addMember(links.pointSets(), 600, p, *links.find(p));
  }
  erase(points[0]);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, points[0]).deleteId, 0);
  EXPECT_EQ(links.group(600)->members.size(), 2u);
  erase(points[1]);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, points[1]).deleteId, 0);
  erase(points[2]);
  const vurk::ErasedLink last = vurk::unlinkErased(links, &db_, points[2]);
  EXPECT_TRUE(last.wasLinked);
  EXPECT_EQ(last.deleteId, 600);
  EXPECT_EQ(links.group(600), nullptr);
}

TEST_F(DocumentLinksTest, AMemberErasedWhileOthersWereErasedUnheardStillDeletes) {
  // Members erased while the reactors were not listening stay registered but are not alive.
  std::vector<std::uint64_t> points{addPoint(0), addPoint(1)};
  for (std::uint64_t p : points) links.setLinkId(p, 610, true);
  erase(points[0]);
  erase(points[1]);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, points[1]).deleteId, 610);
}

TEST_F(DocumentLinksTest, ACopyCarryingTheRecordIsANewObjectAndErasingItDeletesNothing) {
  const std::uint64_t original = addLine(0);
  const std::uint64_t mirror = addLine(5);
  storeLink(original, 700);
  storeLink(mirror, 700);  // MIRROR copied the extension dictionary along
  EXPECT_EQ(read(original).mapObjectId, 700);
  EXPECT_EQ(read(original).stored, 1);
  EntityLink& copy = read(mirror);
  EXPECT_EQ(copy.mapObjectId, 0) << "the copy is sent as a new object";
  EXPECT_EQ(copy.stored, 0) << "its record is corrected at the next save";
  EXPECT_EQ(links.holders(700), std::vector<std::uint64_t>{original});

  erase(mirror);
  const vurk::ErasedLink erased = vurk::unlinkErased(links, &db_, mirror);
  EXPECT_FALSE(erased.wasLinked);
  EXPECT_EQ(erased.deleteId, 0);
  EXPECT_EQ(read(original).mapObjectId, 700) << "the original stays linked";

  erase(original);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, original).deleteId, 700);
}

TEST_F(DocumentLinksTest, ErasingOneOfTwoEntitiesThatShareAnIdLeavesTheObject) {
  // Both came back linked to one id (e.g. a copy saved before this run): the object stays while
  // one of them lives.
  const std::uint64_t a = addLine(0);
  const std::uint64_t b = addLine(1);
  links.setLinkId(a, 800, false);
  links.setLinkId(b, 800, false);
  erase(a);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, a).deleteId, 0);
  erase(b);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, b).deleteId, 800);
  EXPECT_EQ(vurk::unlinkErased(links, &db_, b).deleteId, 0) << "a second notice deletes nothing";
}

TEST_F(DocumentLinksTest, AnEmptyLabelNameTakesTheWholePlainText) {
  const std::u16string sixty(60, u'测');
  auto* t = new AcDbText(AcGePoint3d(0, 0, 0), sixty.c_str());
  const AcDbObjectId id = append(t);
  AcDbObject* o = nullptr;
  ASSERT_EQ(acdbOpenObject(o, id, AcDb::kForRead), Acad::eOk);
  EntityLink link;
  EXPECT_TRUE(vurk::FillLabelName(*o, link));
  EXPECT_EQ(link.name, sixty);
  link.name = u"已有";
  EXPECT_FALSE(vurk::FillLabelName(*o, link));
  EXPECT_EQ(link.name, u"已有");
  o->close();
}

}  // namespace

namespace {

TEST(DocumentLinkTables, ALinkChangedInPlaceLeavesItsOldEntryWhenItIsPutOrRelinked) {
  vurk::DocumentLinks links;
  links.setLinkId(0x30, 7, false);
  // The property dialog changes the cached link's id in place, then the cache hears of it.
  links.find(0x30)->mapObjectId = 9;
  links.relink(0x30);
  EXPECT_TRUE(links.holders(7).empty());
  EXPECT_EQ(links.holders(9), std::vector<std::uint64_t>{0x30});
  // Changed in place again and put back with the same values: one entry, under the new id.
  links.find(0x30)->mapObjectId = 11;
  links.putLink(0x30, *links.find(0x30), true);
  EXPECT_TRUE(links.holders(9).empty());
  EXPECT_EQ(links.holders(11), std::vector<std::uint64_t>{0x30});
  links.find(0x30)->companionHandle = 0x99;  // a label with an icon now
  links.relink(0x30);
  EXPECT_TRUE(links.holders(11).empty());
  EXPECT_EQ(links.iconHolders(11), std::vector<std::uint64_t>{0x30});
  links.forget(0x30);
  EXPECT_TRUE(links.iconHolders(11).empty());
}

TEST(DocumentLinkTables, AGroupTakesEachMemberOnceAndAReKeyMergesWithoutDoubles) {
  vurk::DocumentLinks links;
  const vurk::EntityLink group = vurk::FreshLink();
  for (std::uint64_t h = 1; h <= 5; ++h) links.addMember(links.pointSets(), 0x40000001, h, group);
  links.addMember(links.pointSets(), 0x40000001, 3, group);
  links.addMember(links.pointSets(), 500, 5, group);
  links.addMember(links.pointSets(), 500, 6, group);
  ASSERT_TRUE(links.rekeyGroup(0x40000001, 500));
  EXPECT_EQ(links.group(500)->members, (std::list<std::uint64_t>{5, 6, 1, 2, 3, 4}));
  EXPECT_EQ(links.holders(500).size(), 5u) << "the re-keyed members carry the id";
  links.forget(5);
  EXPECT_EQ(links.group(500)->members, (std::list<std::uint64_t>{6, 1, 2, 3, 4}));
  links.addMember(links.pointSets(), 500, 5, group);
  EXPECT_EQ(links.group(500)->members.back(), 5u) << "a member that left can come back";
}

}  // namespace
