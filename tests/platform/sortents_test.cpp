// The draw-order table: finding or creating it in model space's extension dictionary,
// moving entities to the bottom or top, refusing foreign ids.
#include <gtest/gtest.h>

#include "arx/dbents.h"
#include "arx/dbsort.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class Sortents : public DrawingTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) ids_.append(append(new AcDbPoint(AcGePoint3d(i, 0, 0))));
  }
  AcDbObjectIdArray order(AcDbSortentsTable* t) {
    AcDbObjectIdArray out;
    EXPECT_EQ(t->getFullDrawOrder(out), Acad::eOk);
    return out;
  }
  AcDbObjectIdArray ids_;
};

TEST_F(Sortents, NoTableUntilOneIsCreatedByHandInModelSpace) {
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbSortentsTable* t = nullptr;
  EXPECT_EQ(ms->getSortentsTable(t, AcDb::kForWrite, false), Acad::eKeyNotFound);
  EXPECT_EQ(t, nullptr);
  // The manual route: extension dictionary, new table, block id, "ACAD_SORTENTS".
  ASSERT_EQ(ms->createExtensionDictionary(), Acad::eOk);
  AcDbDictionary* ext = nullptr;
  ASSERT_EQ(acdbOpenObject(ext, ms->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
  auto* table = new AcDbSortentsTable;
  ASSERT_EQ(table->setBlockId(db_.modelSpaceId()), Acad::eOk);
  AcDbObjectId tableId;
  ASSERT_EQ(ext->setAt(u"ACAD_SORTENTS", table, tableId), Acad::eOk);
  table->close();
  ext->close();
  ASSERT_EQ(ms->getSortentsTable(t, AcDb::kForWrite, false), Acad::eOk) << "found once it exists";
  EXPECT_EQ(t->objectId(), tableId);
  EXPECT_EQ(t->blockId(), db_.modelSpaceId());
  t->close();
  ms->close();
}

TEST_F(Sortents, CreateIfNecessaryNeedsTheBlockOpenForWrite) {
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  AcDbSortentsTable* t = nullptr;
  EXPECT_EQ(ms->getSortentsTable(t, AcDb::kForWrite, true), Acad::eNotOpenForWrite);
  ASSERT_EQ(ms->upgradeOpen(), Acad::eOk);
  ASSERT_EQ(ms->getSortentsTable(t, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_FALSE(ms->extensionDictionary().isNull());
  t->close();
  ms->close();
}

TEST_F(Sortents, IdsOutsideTheBlockAreRefused) {
  AcDbObjectId paper = append(new AcDbPoint(AcGePoint3d(9, 9, 0)), db_.paperSpaceId());
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbSortentsTable* t = nullptr;
  ASSERT_EQ(ms->getSortentsTable(t, AcDb::kForWrite, true), Acad::eOk);
  ms->close();
  AcDbObjectIdArray mixed{ids_[2], paper};
  EXPECT_EQ(t->moveToBottom(mixed), Acad::eInvalidInput);
  EXPECT_EQ(order(t), (AcDbObjectIdArray{ids_[0], ids_[1], ids_[2]})) << "nothing moved";
  AcDbObjectIdArray nullId{AcDbObjectId::kNull};
  EXPECT_EQ(t->moveToBottom(nullId), Acad::eInvalidInput);
  t->close();
}

TEST_F(Sortents, ErasedEntitiesLeaveTheDrawOrder) {
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, ids_[1], AcDb::kForWrite), Acad::eOk);
  e->erase();
  e->close();
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbSortentsTable* t = nullptr;
  ASSERT_EQ(ms->getSortentsTable(t, AcDb::kForRead, true), Acad::eOk);
  ms->close();
  EXPECT_EQ(order(t), (AcDbObjectIdArray{ids_[0], ids_[2]}));
  t->close();
}

}  // namespace
