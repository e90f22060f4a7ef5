// Deep clone (COPY): the copies get their extension dictionaries and Xrecords, new handles,
// and notifications in an order that lets a reactor read the copied extension data.
#include <gtest/gtest.h>

#include "arx/dbents.h"
#include "arx/dbxrecord.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class DeepClone : public DrawingTest {
 protected:
  // A circle with a "VurkArx" Xrecord in its extension dictionary.
  AcDbObjectId linkedCircle() {
    AcDbObjectId id = append(new AcDbCircle(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 3.0));
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(e->createExtensionDictionary(), Acad::eOk);
    AcDbDictionary* ext = nullptr;
    EXPECT_EQ(acdbOpenObject(ext, e->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
    e->close();
    auto* x = new AcDbXrecord;
    resbuf* rb = acutBuildList(1, u"link", 90, 42, 40, 2.5, RTNONE);
    x->setFromRbChain(*rb);
    acutRelRb(rb);
    AcDbObjectId xid;
    EXPECT_EQ(ext->setAt(u"VurkArx", x, xid), Acad::eOk);
    x->close();
    ext->close();
    return id;
  }

  // The copy's "VurkArx" record id (null when missing).
  static AcDbObjectId linkOf(AcDbObjectId entity) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, entity, AcDb::kForRead) != Acad::eOk) return {};
    AcDbObjectId ext = e->extensionDictionary();
    e->close();
    AcDbDictionary* d = nullptr;
    if (acdbOpenObject(d, ext, AcDb::kForRead) != Acad::eOk) return {};
    AcDbObjectId x;
    d->getAt(u"VurkArx", x);
    d->close();
    return x;
  }
};

// Reads the copy's link while the copy's modification notice runs.
class LinkProbe : public AcDbDatabaseReactor {
 public:
  void objectAppended(const AcDbDatabase*, const AcDbObject* obj) override {
    events.push_back(std::string("appended ") + (AcDbCircle::cast(obj) ? "circle" : AcDbXrecord::cast(obj) ? "xrecord" : "dictionary"));
  }
  void objectModified(const AcDbDatabase*, const AcDbObject* obj) override {
    events.push_back(std::string("modified ") + (AcDbCircle::cast(obj) ? "circle" : AcDbXrecord::cast(obj) ? "xrecord" : "dictionary"));
    if (AcDbCircle::cast(obj)) {
      AcDbDictionary* d = nullptr;
      readStatus = acdbOpenObject(d, obj->extensionDictionary(), AcDb::kForRead);
      if (d) {
        AcDbObjectId x;
        d->getAt(u"VurkArx", x);
        d->close();
        AcDbObject* xo = nullptr;
        readStatus = acdbOpenObject(xo, x, AcDb::kForRead);
        if (xo) xo->close();
      }
    }
  }
  std::vector<std::string> events;
  Acad::ErrorStatus readStatus = Acad::eNotImplementedYet;
};

TEST_F(DeepClone, NotificationsLetTheEntityNoticeReadItsCopiedLink) {
  AcDbObjectId src = linkedCircle();
  LinkProbe probe;
  db_.addReactor(&probe);
  AcDbIdMapping map;
  AcDbObjectIdArray ids{src};
  ASSERT_EQ(db_.deepCloneObjects(ids, db_.modelSpaceId(), map), Acad::eOk);
  db_.removeReactor(&probe);
  EXPECT_EQ(probe.events, (std::vector<std::string>{"appended circle", "appended dictionary", "appended xrecord",
                                                    "modified xrecord", "modified dictionary", "modified circle"}));
  EXPECT_EQ(probe.readStatus, Acad::eOk);
}

TEST_F(DeepClone, SourcesAndOwnerAreChecked) {
  AcDbObjectId src = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  AcDbIdMapping map;
  AcDbObjectIdArray ids{src};
  EXPECT_EQ(db_.deepCloneObjects(ids, db_.clayer(), map), Acad::eWrongObjectType);
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, src, AcDb::kForWrite), Acad::eOk);
  e->erase();
  e->close();
  EXPECT_EQ(db_.deepCloneObjects(ids, db_.modelSpaceId(), map), Acad::eWasErased);
  EXPECT_EQ(map.numPairs(), 0);
}

TEST_F(DeepClone, PlainCloneHasNoExtensionDictionary) {
  AcDbObjectId src = linkedCircle();
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, src, AcDb::kForRead), Acad::eOk);
  AcDbObject* copy = e->clone();
  e->close();
  EXPECT_TRUE(copy->extensionDictionary().isNull());
  EXPECT_FALSE(copy->isDatabaseResident());
  delete copy;
}

}  // namespace
