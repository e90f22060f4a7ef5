// When database notifications fire, in which order, and how reactors may change during one.
#include <gtest/gtest.h>

#include "arx/dbxrecord.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;
using dbtest::RecordingReactor;
using Events = std::vector<std::string>;

class DbReactors : public DrawingTest {
 protected:
  // A new Xrecord in the named-objects dictionary, left open for write; the dictionary closed.
  AcDbXrecord* newRecord(const char16_t* key, AcDbObjectId& id) {
    AcDbDictionary* nod = nullptr;
    EXPECT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* x = new AcDbXrecord;
    EXPECT_EQ(nod->setAt(key, x, id), Acad::eOk);
    nod->close();
    return x;
  }
  std::string nodHandle() { return dbtest::hex(db_.namedObjectsDictionaryId()); }
};

TEST_F(DbReactors, AppendFiresAppendedAndTheFirstCloseFiresModified) {
  RecordingReactor r;
  db_.addReactor(&r);
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(u"K", id);
  x->close();
  const std::string h = dbtest::hex(id);
  EXPECT_EQ(r.events, (Events{"appended AcDbXrecord " + h, "modified AcDbDictionary " + nodHandle(),
                              "modified AcDbXrecord " + h}));
  db_.removeReactor(&r);
}

TEST_F(DbReactors, EveryWriteOpenCloseFiresModifiedAndReadClosesDoNot) {
  AcDbObjectId id;
  newRecord(u"K", id)->close();
  RecordingReactor r;
  db_.addReactor(&r);
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
  obj->close();
  EXPECT_TRUE(r.events.empty());
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->close();  // unchanged, still a modification notice
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(obj->upgradeOpen(), Acad::eOk);
  obj->close();
  EXPECT_EQ(r.events, (Events{"modified AcDbXrecord " + dbtest::hex(id), "modified AcDbXrecord " + dbtest::hex(id)}));
  db_.removeReactor(&r);
}

TEST_F(DbReactors, DowngradeOpenNotifiesLikeAClose) {
  AcDbObjectId id;
  newRecord(u"K", id)->close();
  RecordingReactor r;
  db_.addReactor(&r);
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(obj->downgradeOpen(), Acad::eOk);
  EXPECT_EQ(r.events, (Events{"modified AcDbXrecord " + dbtest::hex(id)}));
  obj->close();
  EXPECT_EQ(r.events.size(), 1u) << "the read close adds nothing";
  db_.removeReactor(&r);
}

TEST_F(DbReactors, EraseAndUneraseNotifyAtTheCallBeforeTheClose) {
  AcDbObjectId id;
  newRecord(u"K", id)->close();
  RecordingReactor r;
  db_.addReactor(&r);
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->erase();
  EXPECT_EQ(r.events, (Events{"erased AcDbXrecord " + dbtest::hex(id)})) << "fired by erase() itself";
  obj->erase(false);
  obj->close();
  EXPECT_EQ(r.events, (Events{"erased AcDbXrecord " + dbtest::hex(id), "unerased AcDbXrecord " + dbtest::hex(id),
                              "modified AcDbXrecord " + dbtest::hex(id)}));
  db_.removeReactor(&r);
}

// Writes its tag into a shared log; can run an action during its callback.
class TaggedReactor : public AcDbDatabaseReactor {
 public:
  TaggedReactor(std::string tag, Events& log) : tag_(std::move(tag)), log_(log) {}
  void objectModified(const AcDbDatabase*, const AcDbObject*) override {
    log_.push_back(tag_);
    if (onModified) onModified();
  }
  std::function<void()> onModified;

 private:
  std::string tag_;
  Events& log_;
};

TEST_F(DbReactors, ReactorsRunInTheOrderAddedAndOnlyOnce) {
  Events log;
  TaggedReactor a("a", log), b("b", log), c("c", log);
  db_.addReactor(&b);
  db_.addReactor(&a);
  db_.addReactor(&c);
  db_.addReactor(&b);  // already there: not added twice
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(u"K", id);
  log.clear();  // the dictionary's close
  x->close();
  EXPECT_EQ(log, (Events{"b", "a", "c"}));
  db_.removeReactor(&a);
  db_.removeReactor(&b);
  db_.removeReactor(&c);
}

TEST_F(DbReactors, ReactorRemovedDuringANotificationIsNotCalledAfterwards) {
  Events log;
  TaggedReactor a("a", log), b("b", log), c("c", log);
  db_.addReactor(&a);
  db_.addReactor(&b);
  db_.addReactor(&c);
  a.onModified = [&] { db_.removeReactor(&b); };
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(u"K", id);
  log.clear();
  x->close();
  EXPECT_EQ(log, (Events{"a", "c"})) << "b was removed by a before its turn";
  log.clear();
  a.onModified = nullptr;
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->close();
  EXPECT_EQ(log, (Events{"a", "c"}));
  db_.removeReactor(&a);
  db_.removeReactor(&c);
}

TEST_F(DbReactors, ReactorAddedDuringANotificationJoinsFromTheNextOne) {
  Events log;
  TaggedReactor a("a", log), late("late", log);
  db_.addReactor(&a);
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(u"K", id);
  a.onModified = [&] { db_.addReactor(&late); };
  log.clear();
  x->close();
  EXPECT_EQ(log, (Events{"a"}));
  log.clear();
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->close();
  EXPECT_EQ(log, (Events{"a", "late"}));
  db_.removeReactor(&a);
  db_.removeReactor(&late);
}

TEST_F(DbReactors, NotifyingObjectCanBeReadButNotWrittenByAReactor) {
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(u"K", id);
  Events log;
  TaggedReactor probe("probe", log);
  Acad::ErrorStatus writeStatus = Acad::eOk, readStatus = Acad::eNotImplementedYet;
  probe.onModified = [&] {
    AcDbObject* obj = nullptr;
    writeStatus = acdbOpenObject(obj, id, AcDb::kForWrite);
    readStatus = acdbOpenObject(obj, id, AcDb::kForRead);
    if (obj) obj->close();
  };
  db_.addReactor(&probe);
  x->close();
  EXPECT_EQ(writeStatus, Acad::eWasNotifying);
  EXPECT_EQ(static_cast<int>(Acad::eWasNotifying), 85);
  EXPECT_EQ(readStatus, Acad::eOk);
  db_.removeReactor(&probe);
}

TEST_F(DbReactors, GoodbyeWhenTheDatabaseIsDestroyed) {
  RecordingReactor r;
  {
    AcDbDatabase other;
    other.addReactor(&r);
  }
  EXPECT_EQ(r.events, (Events{"goodbye"}));
}

// An object that records what its persistent-reactor callbacks saw.
class Watcher : public AcDbObject {
 public:
  void modified(const AcDbObject* obj) override { seen.push_back("modified " + dbtest::hex(obj->objectId())); }
  void erased(const AcDbObject* obj, bool erasing) override {
    seen.push_back((erasing ? "erased " : "unerased ") + dbtest::hex(obj->objectId()));
  }
  Events seen;
};

TEST_F(DbReactors, PersistentReactorsHearModificationsAndErasures) {
  AcDbObjectId watchedId, watcherId;
  AcDbXrecord* watched = newRecord(u"Watched", watchedId);
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
  auto* watcher = new Watcher;
  ASSERT_EQ(nod->setAt(u"Watcher", watcher, watcherId), Acad::eOk);
  watcher->close();
  nod->close();

  watched->addPersistentReactor(watcherId);
  watched->addPersistentReactor(watcherId);
  EXPECT_EQ(watched->persistentReactorIds().length(), 1);
  watched->close();
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, watchedId, AcDb::kForWrite), Acad::eOk);
  obj->erase();
  obj->close();
  const std::string h = dbtest::hex(watchedId);
  EXPECT_EQ(watcher->seen, (Events{"modified " + h, "erased " + h, "modified " + h}));

  ASSERT_EQ(acdbOpenObject(obj, watchedId, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_EQ(obj->removePersistentReactor(watcherId), Acad::eOk);
  EXPECT_EQ(obj->removePersistentReactor(watcherId), Acad::eKeyNotFound);
  obj->close();
  EXPECT_EQ(watcher->seen.size(), 3u) << "no notice after the reactor was removed";
}

}  // namespace
