// The working database, databases built by readers and extended data.
#include <gtest/gtest.h>

#include "arx/adscodes.h"
#include "arx/dbents.h"
#include "arx/dbxrecord.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class DbServices : public DrawingTest {};

TEST(HostServices, ScopesInstallAndRestoreTheServices) {
  EXPECT_FALSE(acdbHasHostApplicationServices());
  AcDbHostApplicationServices outer, inner;
  {
    AcDbHostServicesScope a(outer);
    EXPECT_EQ(acdbHostApplicationServices(), &outer);
    {
      AcDbHostServicesScope b(inner);
      EXPECT_EQ(acdbHostApplicationServices(), &inner);
    }
    EXPECT_EQ(acdbHostApplicationServices(), &outer);
    AcDbDatabase* db = new AcDbDatabase;
    outer.setWorkingDatabase(db);
    delete db;
    EXPECT_EQ(outer.workingDatabase(), nullptr) << "a destroyed database stops being the working one";
  }
  EXPECT_FALSE(acdbHasHostApplicationServices());
}

TEST_F(DbServices, NonResidentEntitiesNameLayersOfTheWorkingDatabase) {
  AcDbDatabase other;
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(other.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbLayerTableRecord;
  rec->setName(u"OnlyInOther");
  ASSERT_EQ(lt->add(rec), Acad::eOk);
  rec->close();
  lt->close();
  AcDbLine line;
  EXPECT_EQ(line.setLayer(u"OnlyInOther"), Acad::eKeyNotFound);
  services_.setWorkingDatabase(&other);
  EXPECT_EQ(line.setLayer(u"OnlyInOther"), Acad::eOk);
  services_.setWorkingDatabase(nullptr);
  EXPECT_EQ(line.setLayer(u"0"), Acad::eNoDatabase);
  services_.setWorkingDatabase(&db_);
}

TEST(ReaderDatabase, AnEmptyDatabaseIsBuiltWithChosenHandles) {
  AcDbDatabase db(false);
  EXPECT_TRUE(db.blockTableId().isNull());
  auto* bt = new AcDbBlockTable;
  AcDbObjectId btId;
  ASSERT_EQ(db.addAcDbObjectWithHandle(btId, bt, AcDbHandle(0x1)), Acad::eOk);
  bt->close();
  ASSERT_EQ(db.setRootObjectId(AcDbDatabase::kBlockTableRoot, btId), Acad::eOk);
  EXPECT_EQ(db.setRootObjectId(AcDbDatabase::kLayerTableRoot, btId), Acad::eWrongObjectType);
  AcDbBlockTable* opened = nullptr;
  ASSERT_EQ(db.getBlockTable(opened, AcDb::kForWrite), Acad::eOk);
  auto* ms = new AcDbBlockTableRecord;
  ms->setName(ACDB_MODEL_SPACE);
  ASSERT_EQ(opened->add(ms), Acad::eOk);
  ms->close();
  opened->close();
  EXPECT_FALSE(db.modelSpaceId().isNull());
  auto* refused = new AcDbXrecord;
  AcDbObjectId refusedId;
  EXPECT_EQ(db.addAcDbObjectWithHandle(refusedId, refused, AcDbHandle{}), Acad::eNullHandle);
  EXPECT_FALSE(refused->isDatabaseResident()) << "a refused object stays the caller's";
  delete refused;
  auto* x = new AcDbXrecord;
  AcDbObjectId xid;
  ASSERT_EQ(db.addAcDbObjectWithHandle(xid, x, AcDbHandle(0x2A0)), Acad::eOk);
  x->close();
  EXPECT_EQ(db.handseed(), AcDbHandle(0x2A1)) << "the seed moves past the highest handle";
  EXPECT_EQ(db.setHandseed(AcDbHandle(0x100)), Acad::eInvalidInput);
  EXPECT_EQ(db.setHandseed(AcDbHandle(0x400)), Acad::eOk);
  EXPECT_EQ(db.objectIds().length(), 3);
  EXPECT_EQ(AcDbHandle(u"2a0"), AcDbHandle(0x2A0));
  EXPECT_EQ(AcDbHandle(0x2A0).ascii(), u"2A0");
  EXPECT_TRUE(AcDbHandle(u"xyz").isNull());
}

TEST_F(DbServices, ExtendedDataIsKeptPerApplication) {
  ASSERT_EQ(acdbRegApp(u"VurkArx"), RTNORM);
  AcDbObjectId id = append(new AcDbLine);
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForWrite), Acad::eOk);
  resbuf* unregistered = acutBuildList(1001, u"Nobody", 1000, u"x", RTNONE);
  EXPECT_EQ(e->setXData(unregistered), Acad::eKeyNotFound) << "the application must be registered";
  acutRelRb(unregistered);
  resbuf* xd = acutBuildList(1001, u"VurkArx", 1000, u"hello", 1070, 7, 1040, 2.5, RTNONE);
  ASSERT_EQ(e->setXData(xd), Acad::eOk);
  acutRelRb(xd);
  resbuf* bad = acutBuildList(1000, u"no app first", RTNONE);
  EXPECT_EQ(e->setXData(bad), Acad::eInvalidInput);
  acutRelRb(bad);
  e->close();
  ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
  resbuf* back = e->xData(u"vurkarx");
  e->close();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->restype, 1001);
  EXPECT_EQ(std::u16string(back->rbnext->resval.rstring), u"hello");
  EXPECT_EQ(back->rbnext->rbnext->resval.rint, 7);
  acutRelRb(back);
  ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForWrite), Acad::eOk);
  resbuf* remove = acutBuildList(1001, u"VurkArx", RTNONE);
  ASSERT_EQ(e->setXData(remove), Acad::eOk);
  acutRelRb(remove);
  EXPECT_EQ(e->xData(), nullptr) << "an application name alone removes its data";
  e->close();
}

}  // namespace
