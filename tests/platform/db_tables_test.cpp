// Symbol tables of a new drawing: contents, lookups, adding, renaming, erasing, iterating,
// the built-in linetype library and registered applications.
#include <gtest/gtest.h>

#include "arx/adscodes.h"
#include "arx/dbents.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class DbTables : public DrawingTest {};

std::u16string nameOf(AcDbObjectId id) {
  AcDbSymbolTableRecord* rec = nullptr;
  EXPECT_EQ(acdbOpenObject(rec, id, AcDb::kForRead, true), Acad::eOk);
  std::u16string name = rec ? rec->getName() : u"";
  if (rec) rec->close();
  return name;
}

TEST_F(DbTables, LookupIgnoresCaseAndAMissIsKeyNotFound) {
  AcDbBlockTable* bt = nullptr;
  ASSERT_EQ(db_.getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(bt->getAt(u"*MODEL_SPACE", id), Acad::eOk);
  EXPECT_EQ(id, db_.modelSpaceId());
  EXPECT_EQ(bt->getAt(ACDB_MODEL_SPACE, id), Acad::eOk);
  EXPECT_EQ(bt->getAt(u"NoSuchBlock", id), Acad::eKeyNotFound);
  EXPECT_EQ(static_cast<int>(Acad::eKeyNotFound), 22);
  EXPECT_TRUE(id.isNull());
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(bt->getAt(ACDB_MODEL_SPACE, ms, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(ms->isLayout());
  ms->close();
  bt->close();
}

TEST_F(DbTables, StarNamesAreAcceptedAndDuplicatesRefused) {
  AcDbObjectId map = addLayer(u"*MapLayer");
  EXPECT_EQ(nameOf(map), u"*MapLayer");
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db_.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
  EXPECT_TRUE(lt->has(u"*maplayer"));
  auto* dup = new AcDbLayerTableRecord;
  dup->setName(u"*MAPLAYER");
  EXPECT_EQ(lt->add(dup), Acad::eDuplicateRecordName);
  EXPECT_FALSE(dup->isDatabaseResident());
  delete dup;
  auto* unnamed = new AcDbLayerTableRecord;
  EXPECT_EQ(lt->add(unnamed), Acad::eInvalidInput);
  delete unnamed;
  auto* notALayer = new AcDbLinetypeTableRecord;
  notALayer->setName(u"X");
  EXPECT_EQ(lt->add(notALayer), Acad::eWrongObjectType);
  delete notALayer;
  lt->close();

  AcDbObjectId other = addLayer(u"Roads");
  AcDbLayerTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, other, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(rec->setName(u"*maplayer"), Acad::eDuplicateRecordName);
  EXPECT_EQ(rec->setName(u""), Acad::eInvalidInput);
  EXPECT_EQ(rec->setName(u"ROADS"), Acad::eOk) << "renaming to itself with other case is fine";
  EXPECT_EQ(rec->linetypeObjectId(), db_.continuousLinetype()) << "a new layer gets Continuous";
  rec->close();
}

TEST_F(DbTables, AddingNeedsTheTableOpenForWrite) {
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db_.getLayerTable(lt, AcDb::kForRead), Acad::eOk);
  auto* rec = new AcDbLayerTableRecord;
  rec->setName(u"A");
  EXPECT_EQ(lt->add(rec), Acad::eNotOpenForWrite);
  lt->close();
  delete rec;
}

TEST_F(DbTables, ErasedRecordsAreHiddenFromLookupsAndTheirNameIsFreeAgain) {
  AcDbObjectId first = addLayer(u"Temp");
  AcDbLayerTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, first, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(rec->erase(), Acad::eOk);
  rec->close();
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db_.getLayerTable(lt, AcDb::kForRead), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(lt->getAt(u"Temp", id), Acad::eKeyNotFound);
  EXPECT_EQ(lt->getAt(u"Temp", id, true), Acad::eOk);
  EXPECT_EQ(id, first);
  lt->close();
  AcDbObjectId second = addLayer(u"Temp");
  EXPECT_NE(second, first);
  EXPECT_GT(second.handle(), first.handle());
}

TEST_F(DbTables, BlockRecordsKeepEntitiesInAppendOrderAndSkipErasedOnes) {
  AcDbObjectId blockId = defineBlock(u"Marker", {}, AcGePoint3d(5, 6, 0));
  AcDbBlockTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, blockId, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(rec->origin(), AcGePoint3d(5, 6, 0));
  EXPECT_FALSE(rec->isLayout());
  EXPECT_FALSE(rec->isAnonymous());
  AcDbBlockTableRecordIterator* it = nullptr;
  ASSERT_EQ(rec->newIterator(it), Acad::eOk);
  EXPECT_TRUE(it->done()) << "a new block is empty";
  delete it;
  rec->close();

  AcDbBlockTable* bt = nullptr;
  ASSERT_EQ(db_.getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  AcDbBlockTableIterator* bit = nullptr;
  ASSERT_EQ(bt->newIterator(bit), Acad::eOk);
  std::vector<std::u16string> names;
  for (; !bit->done(); bit->step()) {
    AcDbBlockTableRecord* r = nullptr;
    ASSERT_EQ(bit->getRecord(r, AcDb::kForRead), Acad::eOk);
    names.push_back(r->getName());
    r->close();
  }
  delete bit;
  bt->close();
  EXPECT_EQ(names, (std::vector<std::u16string>{u"*Model_Space", u"*Paper_Space", u"Marker"}));
}

TEST_F(DbTables, BlockIteratorSkipsErasedEntitiesUnlessToldOtherwise) {
  AcDbObjectIdArray ids;
  for (int i = 0; i < 3; ++i) ids.append(append(new AcDbPoint(AcGePoint3d(i, 0, 0))));
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, ids[1], AcDb::kForWrite), Acad::eOk);
  e->erase();
  e->close();
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  auto walk = [&](bool atBeginning, bool skipDeleted) {
    AcDbObjectIdArray seen;
    AcDbBlockTableRecordIterator* it = nullptr;
    EXPECT_EQ(ms->newIterator(it, atBeginning, skipDeleted), Acad::eOk);
    for (; !it->done(); it->step(atBeginning, skipDeleted)) {
      AcDbObjectId id;
      it->getEntityId(id);
      seen.append(id);
    }
    delete it;
    return seen;
  };
  EXPECT_EQ(walk(true, true), (AcDbObjectIdArray{ids[0], ids[2]}));
  EXPECT_EQ(walk(true, false), (AcDbObjectIdArray{ids[0], ids[1], ids[2]}));
  EXPECT_EQ(walk(false, true), (AcDbObjectIdArray{ids[2], ids[0]})) << "from the end backwards";
  AcDbBlockTableRecordIterator* it = nullptr;
  ms->newIterator(it);
  AcDbEntity* first = nullptr;
  ASSERT_EQ(it->getEntity(first, AcDb::kForRead), Acad::eOk);
  first->close();
  it->step();
  it->step();
  EXPECT_TRUE(it->done());
  AcDbObjectId none;
  EXPECT_EQ(it->getEntityId(none), Acad::eIteratorDone);
  delete it;
  ms->close();
}

TEST_F(DbTables, LinetypesLoadFromTheBuiltInLibraryOnly) {
  for (const char16_t* name : {u"DOT", u"JIS_02_1.0", u"DASHDOT", u"DIVIDE", u"DASHED", u"DASHDOTX2", u"DIVIDEX2",
                               u"ACAD_ISO02W100", u"ACAD_ISO04W100", u"ACAD_ISO07W100", u"ACAD_ISO10W100",
                               u"CENTER", u"HIDDEN"}) {
    EXPECT_EQ(acdbLoadLineTypeFile(name, u"ACADISO.LIN", &db_), Acad::eOk) << win32::utf16ToUtf8(name);
  }
  EXPECT_EQ(acdbLoadLineTypeFile(u"dot", u"acadiso.lin", &db_), Acad::eDuplicateRecordName);
  EXPECT_EQ(acdbLoadLineTypeFile(u"NOT_A_LINETYPE", u"ACADISO.LIN", &db_), Acad::eKeyNotFound);
  EXPECT_EQ(acdbLoadLineTypeFile(u"", u"ACADISO.LIN", &db_), Acad::eInvalidInput);
  EXPECT_EQ(acdbLoadLineTypeFile(u"PHANTOM", u"custom.lin", &db_), Acad::eNotImplementedYet);

  AcDbLinetypeTable* ltt = nullptr;
  ASSERT_EQ(db_.getLinetypeTable(ltt, AcDb::kForRead), Acad::eOk);
  AcDbLinetypeTableRecord* dashed = nullptr;
  ASSERT_EQ(ltt->getAt(u"DASHED", dashed, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(dashed->numDashes(), 2);
  EXPECT_GT(dashed->dashLengthAt(0), 0.0) << "a dash";
  EXPECT_LT(dashed->dashLengthAt(1), 0.0) << "then a gap";
  dashed->close();
  EXPECT_FALSE(ltt->has(u"PHANTOM"));
  ltt->close();
}

TEST_F(DbTables, RegAppRegistersOnceInTheWorkingDatabase) {
  EXPECT_EQ(acdbRegApp(u"VurkArx"), RTNORM);
  EXPECT_EQ(acdbRegApp(u"vurkarx"), RTNORM) << "registering again is fine";
  EXPECT_EQ(acdbRegApp(u""), RTERROR);
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db_.getRegAppTable(apps, AcDb::kForRead), Acad::eOk);
  int count = 0;
  for (AcDbObjectId id : apps->recordIds())
    if (nameOf(id) == u"VurkArx") ++count;
  apps->close();
  EXPECT_EQ(count, 1);
}

TEST_F(DbTables, CurrentLayerMustBeALayerOfThisDatabase) {
  AcDbObjectId roads = addLayer(u"Roads");
  EXPECT_EQ(db_.setClayer(roads), Acad::eOk);
  EXPECT_EQ(db_.clayer(), roads);
  EXPECT_EQ(db_.setClayer(db_.continuousLinetype()), Acad::eWrongObjectType);
  AcDbDatabase other;
  EXPECT_EQ(db_.setClayer(other.clayer()), Acad::eWrongDatabase);
  EXPECT_EQ(db_.clayer(), roads);
}

}  // namespace
