// Shared fixture of the drawing-database tests: a fresh database installed as the working
// database, with an audit that nothing is left open.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "arx/dbentity.h"
#include "arx/dbreactor.h"
#include "arx/dbsymtb.h"
#include "win32/unicode.h"

namespace dbtest {

class DrawingTest : public ::testing::Test {
 protected:
  DrawingTest() { services_.setWorkingDatabase(&db_); }
  void TearDown() override { EXPECT_EQ(db_.numOpenObjects(), 0) << "objects left open at the end of the test"; }

  // Appends to model space and closes everything; the entity's id.
  AcDbObjectId append(AcDbEntity* e, AcDbObjectId space = AcDbObjectId::kNull) {
    AcDbBlockTableRecord* btr = nullptr;
    EXPECT_EQ(acdbOpenObject(btr, space.isNull() ? db_.modelSpaceId() : space, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(btr->appendAcDbEntity(id, e), Acad::eOk);
    e->close();
    btr->close();
    return id;
  }

  // A named block definition holding the given entities (appended in order) with base point.
  AcDbObjectId defineBlock(const char16_t* name, std::vector<AcDbEntity*> entities,
                           AcGePoint3d origin = AcGePoint3d::kOrigin) {
    AcDbBlockTable* bt = nullptr;
    EXPECT_EQ(db_.getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(name);
    rec->setOrigin(origin);
    AcDbObjectId id;
    EXPECT_EQ(bt->add(id, rec), Acad::eOk);
    bt->close();
    for (AcDbEntity* e : entities) {
      EXPECT_EQ(rec->appendAcDbEntity(e), Acad::eOk);
      e->close();
    }
    rec->close();
    return id;
  }

  AcDbObjectId addLayer(const char16_t* name) {
    AcDbLayerTable* lt = nullptr;
    EXPECT_EQ(db_.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbLayerTableRecord;
    rec->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(lt->add(id, rec), Acad::eOk);
    rec->close();
    lt->close();
    return id;
  }

  AcDbHostApplicationServices services_;
  AcDbHostServicesScope scope_{services_};
  AcDbDatabase db_;
};

// Records database notifications as "event class handle" lines.
class RecordingReactor : public AcDbDatabaseReactor {
 public:
  void objectAppended(const AcDbDatabase*, const AcDbObject* obj) override { add("appended", obj); }
  void objectModified(const AcDbDatabase*, const AcDbObject* obj) override { add("modified", obj); }
  void objectErased(const AcDbDatabase*, const AcDbObject* obj, bool erased) override {
    add(erased ? "erased" : "unerased", obj);
  }
  void goodbye(const AcDbDatabase*) override { events.push_back("goodbye"); }

  std::vector<std::string> events;

 private:
  void add(const char* what, const AcDbObject* obj) {
    events.push_back(std::string(what) + " " + win32::utf16ToUtf8(obj->isA()->name()) + " " +
                     win32::utf16ToUtf8(obj->objectHandle().ascii()));
  }
};

inline std::string hex(AcDbObjectId id) { return win32::utf16ToUtf8(id.handle().ascii()); }

}  // namespace dbtest
