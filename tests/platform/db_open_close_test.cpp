// The open/close/erase protocol of database objects and the statuses it reports.
#include <gtest/gtest.h>

#include "arx/dbxrecord.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class DbOpenClose : public DrawingTest {
 protected:
  // An Xrecord stored in the named-objects dictionary under key, closed.
  AcDbObjectId addRecord(const char16_t* key) {
    AcDbDictionary* nod = nullptr;
    EXPECT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* x = new AcDbXrecord;
    AcDbObjectId id;
    EXPECT_EQ(nod->setAt(key, x, id), Acad::eOk);
    EXPECT_TRUE(x->isWriteEnabled()) << "setAt leaves the new object open for write";
    EXPECT_EQ(x->close(), Acad::eOk);
    nod->close();
    return id;
  }
};

TEST_F(DbOpenClose, NewObjectIsWriteEnabledAndCannotBeClosedBeforeItIsInADatabase) {
  auto* x = new AcDbXrecord;
  EXPECT_TRUE(x->isWriteEnabled());
  EXPECT_FALSE(x->isDatabaseResident());
  EXPECT_TRUE(x->objectId().isNull());
  EXPECT_EQ(x->close(), Acad::eNotInDatabase) << "137: a non-resident object is deleted, not closed";
  EXPECT_EQ(static_cast<int>(Acad::eNotInDatabase), 137);
  delete x;
}

TEST_F(DbOpenClose, HandlesComeFromTheHandSeedInAppendOrder) {
  AcDbHandle seed = db_.handseed();
  AcDbObjectId a = addRecord(u"A"), b = addRecord(u"B"), c = addRecord(u"C");
  EXPECT_EQ(a.handle(), seed);
  EXPECT_EQ(b.handle(), seed + 1);
  EXPECT_EQ(c.handle(), seed + 2);
  EXPECT_EQ(db_.handseed(), seed + 3);
  EXPECT_EQ(a.database(), &db_);
}

TEST_F(DbOpenClose, ErasedHandlesStillResolveAndAreNeverReused) {
  AcDbObjectId a = addRecord(u"A");
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, a, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(obj->erase(), Acad::eOk);
  obj->close();
  AcDbObjectId b = addRecord(u"B");
  EXPECT_GT(b.handle(), a.handle());

  AcDbObjectId found;
  ASSERT_EQ(db_.getAcDbObjectId(found, false, a.handle()), Acad::eOk);
  EXPECT_EQ(found, a);
  EXPECT_TRUE(found.isErased());
  EXPECT_TRUE(found.isValid()) << "an erased object's id still names it";
}

TEST_F(DbOpenClose, UnknownHandleFailsUnlessReservedForALaterObject) {
  AcDbHandle future = db_.handseed() + 100;
  AcDbObjectId id;
  EXPECT_EQ(db_.getAcDbObjectId(id, false, future), Acad::eUnknownHandle);
  EXPECT_TRUE(id.isNull());
  EXPECT_EQ(db_.getAcDbObjectId(id, false, AcDbHandle{}), Acad::eNullHandle);

  ASSERT_EQ(db_.getAcDbObjectId(id, true, future), Acad::eOk) << "a reader's forward reference";
  EXPECT_FALSE(id.isValid());
  AcDbObject* obj = nullptr;
  EXPECT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eUnknownHandle);
  EXPECT_GT(db_.handseed(), future) << "the seed moves past a reserved handle";

  auto* x = new AcDbXrecord;
  AcDbObjectId filled;
  ASSERT_EQ(db_.addAcDbObjectWithHandle(filled, x, future), Acad::eOk);
  EXPECT_EQ(filled, id) << "the reserved id receives the object";
  x->close();
  auto* y = new AcDbXrecord;
  EXPECT_EQ(db_.addAcDbObjectWithHandle(filled, y, future), Acad::eHandleExists);
  delete y;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->erase();
  obj->close();
}

TEST_F(DbOpenClose, ManyReadersOrOneWriter) {
  AcDbObjectId id = addRecord(u"A");
  AcDbObject *r1 = nullptr, *r2 = nullptr, *w = nullptr;
  ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(r1, r2);
  EXPECT_FALSE(r1->isWriteEnabled());
  EXPECT_TRUE(r1->isReadEnabled());
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
  EXPECT_EQ(w, nullptr);
  r1->close();
  r2->close();

  ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_TRUE(w->isWriteEnabled());
  AcDbObject* other = nullptr;
  EXPECT_EQ(acdbOpenObject(other, id, AcDb::kForRead), Acad::eWasOpenForWrite);
  EXPECT_EQ(acdbOpenObject(other, id, AcDb::kForWrite), Acad::eWasOpenForWrite);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(static_cast<int>(Acad::eWasOpenForWrite), 83);
  EXPECT_EQ(static_cast<int>(Acad::eWasOpenForRead), 82);
  w->close();
  EXPECT_EQ(w->close(), Acad::eNotOpenForRead) << "closing a closed object is reported";
}

TEST_F(DbOpenClose, ErasedObjectOpensOnlyWhenAskedFor) {
  AcDbObjectId id = addRecord(u"A");
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(obj->erase(true), Acad::eOk);
  EXPECT_TRUE(obj->isErased());
  obj->close();

  AcDbXrecord* x = reinterpret_cast<AcDbXrecord*>(0x1);
  EXPECT_EQ(acdbOpenObject(x, id, AcDb::kForRead), Acad::eWasErased);
  EXPECT_EQ(static_cast<int>(Acad::eWasErased), 80);
  EXPECT_EQ(x, nullptr) << "the pointer is null on failure";
  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_EQ(x->erase(false), Acad::eOk);
  x->close();
  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForRead), Acad::eOk) << "un-erased objects open normally";
  x->close();
}

TEST_F(DbOpenClose, EraseNeedsWriteAndReportsRepeats) {
  AcDbObjectId id = addRecord(u"A");
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(obj->erase(), Acad::eNotOpenForWrite);
  obj->close();
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(obj->erase(false), Acad::eWasNotErased);
  EXPECT_EQ(obj->erase(), Acad::eOk);
  EXPECT_EQ(obj->erase(), Acad::eWasErased);
  obj->close();
  auto* loose = new AcDbXrecord;
  EXPECT_EQ(loose->erase(), Acad::eNotInDatabase);
  delete loose;
}

TEST_F(DbOpenClose, UpgradeOpenOnlyForASingleReader) {
  AcDbObjectId id = addRecord(u"A");
  AcDbObject *a = nullptr, *b = nullptr;
  ASSERT_EQ(acdbOpenObject(a, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(b, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(a->upgradeOpen(), Acad::eWasOpenForRead);
  b->close();
  ASSERT_EQ(a->upgradeOpen(), Acad::eOk);
  EXPECT_TRUE(a->isWriteEnabled());
  EXPECT_EQ(a->upgradeOpen(), Acad::eWasOpenForWrite);
  ASSERT_EQ(a->downgradeOpen(), Acad::eOk);
  EXPECT_FALSE(a->isWriteEnabled());
  EXPECT_TRUE(a->isReadEnabled());
  a->close();
}

TEST_F(DbOpenClose, WriteOpenCheckCanRefuseWithLockViolation) {
  AcDbObjectId id = addRecord(u"A");
  int asked = 0;
  db_.setWriteOpenCheck([&](AcDbObjectId which) {
    ++asked;
    EXPECT_EQ(which, id);
    return Acad::eLockViolation;
  });
  AcDbObject* obj = nullptr;
  EXPECT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eLockViolation);
  EXPECT_EQ(obj, nullptr);
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk) << "reading needs no lock";
  EXPECT_EQ(obj->upgradeOpen(), Acad::eLockViolation);
  EXPECT_FALSE(obj->isWriteEnabled());
  obj->close();
  EXPECT_EQ(asked, 2);
  db_.setWriteOpenCheck({});
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk) << "default: every write-open allowed";
  obj->close();
}

TEST_F(DbOpenClose, AuditListsObjectsStillOpen) {
  AcDbObjectId a = addRecord(u"A"), b = addRecord(u"B");
  EXPECT_EQ(db_.numOpenObjects(), 0);
  AcDbObject *pa = nullptr, *pb = nullptr;
  ASSERT_EQ(acdbOpenObject(pa, a, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(pb, b, AcDb::kForWrite), Acad::eOk);
  AcDbObjectIdArray open = db_.openObjectIds();
  ASSERT_EQ(open.length(), 2);
  EXPECT_TRUE(open.contains(a));
  EXPECT_TRUE(open.contains(b));
  pa->close();
  pb->close();
  EXPECT_EQ(db_.numOpenObjects(), 0);
}

TEST_F(DbOpenClose, TypedOpenRefusesAnotherClassWithoutOpeningIt) {
  AcDbObjectId id = addRecord(u"A");
  AcDbDictionary* dict = nullptr;
  EXPECT_EQ(acdbOpenObject(dict, id, AcDb::kForWrite), Acad::eNotThatKindOfClass);
  EXPECT_EQ(dict, nullptr);
  EXPECT_EQ(db_.numOpenObjects(), 0) << "nothing stays open after a refused typed open";
  AcDbEntity* ent = nullptr;
  EXPECT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), Acad::eNotAnEntity);
  AcDbObject* obj = nullptr;
  EXPECT_EQ(acdbOpenObject(obj, AcDbObjectId::kNull, AcDb::kForRead), Acad::eNullObjectId);
}
}  // namespace

namespace {

using dbtest::DrawingTest;

class DbStateTable : public DrawingTest {
 protected:
  AcDbObjectId addRecord() {
    AcDbDictionary* nod = nullptr;
    EXPECT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* x = new AcDbXrecord;
    AcDbObjectId id;
    EXPECT_EQ(nod->setAt(u"R", x, id), Acad::eOk);
    x->close();
    nod->close();
    return id;
  }
};

TEST_F(DbStateTable, CallsOnANewObject) {
  AcDbXrecord x;
  EXPECT_EQ(x.upgradeOpen(), Acad::eWasOpenForWrite);
  EXPECT_EQ(x.downgradeOpen(), Acad::eNotInDatabase);
  EXPECT_EQ(x.erase(), Acad::eNotInDatabase);
}

TEST_F(DbStateTable, CallsOnAClosedObject) {
  AcDbObjectId id = addRecord();
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(obj->downgradeOpen(), Acad::eNotOpenForWrite) << "open for read";
  obj->close();
  EXPECT_EQ(obj->upgradeOpen(), Acad::eNotOpenForRead) << "closed";
  EXPECT_EQ(obj->downgradeOpen(), Acad::eNotOpenForWrite) << "closed";
  EXPECT_EQ(obj->erase(), Acad::eNotOpenForWrite) << "closed";
  EXPECT_FALSE(obj->isWriteEnabled());
}

// Tries the calls the table lists on the object being notified.
class NotifyingProbe : public AcDbDatabaseReactor {
 public:
  void objectModified(const AcDbDatabase*, const AcDbObject* obj) override {
    auto* o = const_cast<AcDbObject*>(obj);
    writeEnabled = o->isWriteEnabled();
    closeStatus = o->close();
    eraseStatus = o->erase();
    upgradeStatus = o->upgradeOpen();
    downgradeStatus = o->downgradeOpen();
  }
  bool writeEnabled = true;
  Acad::ErrorStatus closeStatus = Acad::eOk, eraseStatus = Acad::eOk, upgradeStatus = Acad::eOk,
                    downgradeStatus = Acad::eOk;
};

TEST_F(DbStateTable, CallsOnANotifyingObject) {
  AcDbObjectId id = addRecord();
  NotifyingProbe probe;
  db_.addReactor(&probe);
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(obj->close(), Acad::eOk);
  db_.removeReactor(&probe);
  EXPECT_FALSE(probe.writeEnabled);
  EXPECT_EQ(probe.closeStatus, Acad::eWasNotifying);
  EXPECT_EQ(probe.eraseStatus, Acad::eNotOpenForWrite);
  EXPECT_EQ(probe.upgradeStatus, Acad::eWasNotifying);
  EXPECT_EQ(probe.downgradeStatus, Acad::eNotOpenForWrite);
  EXPECT_FALSE(id.isErased());
}

TEST_F(DbStateTable, DeletingAResidentObjectIsACallerBug) {
  AcDbObjectId id = addRecord();
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
#ifndef NDEBUG
  EXPECT_DEATH(delete obj, "deleted by its database");
#endif
  obj->close();
}

}  // namespace
