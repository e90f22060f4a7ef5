// Internals of the drawing database shared by the stand-in's source files.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "arx/dbentity.h"
#include "arx/dbobject.h"
#include "arx/dbreactor.h"
#include "arx/dbsymtb.h"

// One entry of a database: an object's id is a pointer to its stub.
class AcDbStub {
 public:
  AcDbDatabase* db = nullptr;
  AcDbHandle handle;
  AcDbObject* object = nullptr;  // owned by the database; null while a handle is only reserved
  bool erased = false;
};

struct AcDbDatabase::Impl {
  std::deque<AcDbStub> stubs;  // addresses stay put as entries are added
  std::unordered_map<Adesk::UInt64, AcDbStub*> byHandle;
  Adesk::UInt64 handseed = 1;
  std::vector<AcDbDatabaseReactor*> reactors;
  WriteOpenCheck writeCheck;
  AcDbObjectId roots[7];
  AcDbObjectId clayer;
  std::u16string filename;
  bool dying = false;
};

namespace arxdetail {

// Case-insensitive name comparison for symbol names and dictionary keys.
bool namesEqual(std::u16string_view a, std::u16string_view b);
int compareNames(std::u16string_view a, std::u16string_view b);

struct DbAccess {
  static AcDbDatabase::Impl& impl(AcDbDatabase& db) { return *db.impl_; }
  static const AcDbDatabase::Impl& impl(const AcDbDatabase& db) { return *db.impl_; }
  static AcDbStub* stub(const AcDbObject* o) { return o ? o->stub_ : nullptr; }
  // A new entry with the given handle (the hand seed moves past it).
  static AcDbStub* newStub(AcDbDatabase& db, Adesk::UInt64 handle);

  // The object of an id whatever its open state (null for null ids and reserved handles).
  static AcDbObject* peek(AcDbObjectId id) { return id.stub() ? id.stub()->object : nullptr; }
  template <class T>
  static T* peekAs(AcDbObjectId id) {
    AcDbObject* o = peek(id);
    return o ? T::cast(o) : nullptr;
  }

  // Adds obj to db with owner; forced handle when non-null; the object is left open for write
  // (leaveOpen) or closed. Fires objectAppended, then makes owned sub-objects resident.
  static Acad::ErrorStatus addObject(AcDbDatabase& db, AcDbObject* obj, AcDbObjectId owner, AcDbHandle forced,
                                     bool leaveOpen, AcDbObjectId& id);
  // Opens by id with the full protocol.
  static Acad::ErrorStatus open(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                const AcRxClass* cls);

  static void fireAppended(AcDbDatabase& db, const AcDbObject* obj);
  static void fireModified(AcDbDatabase& db, const AcDbObject* obj);
  static void fireErased(AcDbDatabase& db, const AcDbObject* obj, bool erased);

  // Bookkeeping of containers.
  static std::vector<AcDbObjectId>& entities(AcDbBlockTableRecord& r) { return r.entities_; }
  static std::vector<AcDbObjectId>& records(AcDbSymbolTable& t) { return t.records_; }
  static void setOwner(AcDbObject& o, AcDbObjectId owner) { o.ownerId_ = owner; }
  static void setExtDict(AcDbObject& o, AcDbObjectId d) { o.extDictId_ = d; }
  static void setEntityLayer(AcDbEntity& e, AcDbObjectId id) { e.layerId_ = id; }
  static void setEntityLinetype(AcDbEntity& e, AcDbObjectId id) { e.linetypeId_ = id; }
  static void setClosed(AcDbObject& o) {
    o.writer_ = false;
    o.readers_ = 0;
    o.newObject_ = false;
  }
  static bool isOpen(const AcDbObject& o) { return o.writer_ || o.readers_ > 0 || o.notifying_; }
  static void markDying(AcDbObject& o) { o.dying_ = true; }
  static void clearReactors(AcDbObject& o) { o.persistentReactors_.clear(); }

  // Lets an owner change one of its owned parts (vertices, attributes) whatever the part's
  // open state: the owner's own write-open covers it.
  class OwnerEdit {
   public:
    explicit OwnerEdit(AcDbObject& o) : o_(o), writer_(o.writer_), notifying_(o.notifying_) {
      o.writer_ = true;
      o.notifying_ = false;
    }
    ~OwnerEdit() {
      o_.writer_ = writer_;
      o_.notifying_ = notifying_;
    }
    OwnerEdit(const OwnerEdit&) = delete;
    OwnerEdit& operator=(const OwnerEdit&) = delete;

   private:
    AcDbObject& o_;
    bool writer_;
    bool notifying_;
  };

  // Dictionary entry bookkeeping (the dictionary's own sorted list).
  static void dictInsert(AcDbDictionary& d, const std::u16string& key, AcDbObjectId id);
};

// Appends a name-keyed record to a table with no notifications (used while building a new
// drawing); returns its id.
AcDbObjectId addRecordSilently(AcDbDatabase& db, AcDbObjectId tableId, AcDbSymbolTableRecord* rec);

// Looks a record up by name in the table with the given id (case-insensitive, not erased).
AcDbObjectId findRecord(AcDbObjectId tableId, std::u16string_view name);

}  // namespace arxdetail
