// AcDbObject: the base of everything that lives in a drawing database.
//
// Models the open/close protocol (see platform/arx/OBJECT_LIFECYCLE.md for the full table):
//   - a new object (made with new, not yet in a database) is "open for write" and owned by its
//     creator, who deletes it; close() on it is eNotInDatabase (137) and changes nothing;
//   - adding it to a database (appendAcDbEntity, setAt, add, addAcDbObject) gives it an id and
//     a handle; it stays open for write until the first close(), which fires objectModified;
//   - acdbOpenObject opens a resident object for read (any number of readers) or for write
//     (one writer, no readers); close() ends one open; closing a write-open fires
//     objectModified on every database reactor and modified() on every persistent reactor;
//   - erase(true) marks the object erased (it stays, its handle still resolves, opening it
//     without openErased is eWasErased 80); erase(false) un-erases; both fire objectErased;
//   - while its close notification runs the object is "notifying": it can be opened for read,
//     but not for write (eWasNotifying 85), so no reactor can change it under the notifier.
// Setters of resident objects require write-open: a setter called on an object open only for
// read (or closed) asserts in debug builds and changes nothing in release builds; the setters
// that return a status report eNotOpenForWrite instead.
// Limitations: no undo filing, no DWG/DXF filing, no transient object reactors (only
// persistent reactors and database reactors), no kForNotify opens.
#pragma once

#include <vector>

#include "arx/acadstrc.h"
#include "arx/acdb.h"
#include "arx/adsdef.h"
#include "arx/dbid.h"
#include "arx/rxobject.h"

class AcDbDatabase;
class AcDbDictionary;

namespace arxdetail {
struct DbAccess;
}

class AcDbObject : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbObject);
  ~AcDbObject() override;
  AcDbObject& operator=(const AcDbObject&) = delete;

  // Identity.
  AcDbObjectId objectId() const;
  AcDbObjectId ownerId() const { return ownerId_; }
  Acad::ErrorStatus setOwnerId(AcDbObjectId owner);
  AcDbHandle objectHandle() const;
  void getAcDbHandle(AcDbHandle& handle) const { handle = objectHandle(); }
  AcDbDatabase* database() const;
  bool isDatabaseResident() const { return stub_ != nullptr; }

  // Open state.
  Acad::ErrorStatus close();
  Acad::ErrorStatus upgradeOpen();
  Acad::ErrorStatus downgradeOpen();
  bool isReadEnabled() const;
  bool isWriteEnabled() const;
  bool isNotifyEnabled() const { return notifying_; }
  bool isNotifying() const { return notifying_; }
  // True from creation until the first close after being added to a database.
  bool isNewObject() const { return newObject_; }
  bool isErased() const;
  // Asserts (debug builds) that the object may be read / changed; the checked result.
  bool assertReadEnabled() const;
  bool assertWriteEnabled() const;

  // Erasing.
  Acad::ErrorStatus erase(bool erasing = true);

  // Extension dictionary.
  AcDbObjectId extensionDictionary() const { return extDictId_; }
  Acad::ErrorStatus createExtensionDictionary();
  // Erases and detaches an empty extension dictionary (eContainerNotEmpty-like: eNotApplicable
  // when it still holds entries).
  Acad::ErrorStatus releaseExtensionDictionary();

  // Persistent reactors: ids of objects whose modified()/erased() this object calls.
  void addPersistentReactor(AcDbObjectId reactorId);
  Acad::ErrorStatus removePersistentReactor(AcDbObjectId reactorId);
  bool hasPersistentReactor(AcDbObjectId reactorId) const;
  AcDbObjectIdArray persistentReactorIds() const;  // non-standard: reads the reactor list

  // Persistent-reactor callbacks, called on this object when an object that lists it as a
  // persistent reactor is closed after a write-open or is erased/un-erased.
  virtual void modified(const AcDbObject* dbObj);
  virtual void erased(const AcDbObject* dbObj, bool isErasing = true);

  // Extended data: the chain of application groups (1001 name, then the application's groups).
  // xData returns a copy the caller releases with acutRelRb; appName null gives all of it.
  resbuf* xData(const ACHAR* appName = nullptr) const;
  Acad::ErrorStatus setXData(const resbuf* xdata);

  // A non-resident copy of the object's own data: no id, no owner, no extension dictionary,
  // no reactors. Owned sub-objects (vertices, attributes) are copied with it.
  virtual AcDbObject* clone() const;

 protected:
  AcDbObject();
  // Copies the object's data, never its database bookkeeping (see clone()).
  AcDbObject(const AcDbObject& other);

  // Called right after the object became resident: objects that own sub-objects (vertices,
  // attributes) add them to db here, in order, with db.addOwnedObject.
  virtual Acad::ErrorStatus subObjectsToDatabase(AcDbDatabase& db);

 private:
  friend struct arxdetail::DbAccess;

  AcDbStub* stub_ = nullptr;
  AcDbObjectId ownerId_;
  AcDbObjectId extDictId_;
  std::vector<AcDbObjectId> persistentReactors_;
  resbuf* xdata_ = nullptr;
  int readers_ = 0;
  bool writer_ = true;
  bool notifying_ = false;
  bool newObject_ = true;
  bool dying_ = false;
};

// In a concrete class body: clone() answering a copy of the most derived class.
#define ARX_DECLARE_CLONE(CLASS) \
  AcDbObject* clone() const override { return new CLASS(*this); }

// Opening objects by id. openErased opens erased objects too.
//   null id -> eNullObjectId; erased (openErased false) -> eWasErased; open for write
//   elsewhere -> eWasOpenForWrite; for write while readers hold it -> eWasOpenForRead; for
//   write while it is notifying -> eWasNotifying; refused by the database's write-open check
//   -> that status (eLockViolation); wrong class -> eNotThatKindOfClass. The pointer is null
//   on every failure.
Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false);
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false);

// Opens only when the object is of class cls (or derived): otherwise eNotThatKindOfClass and
// nothing is opened.
Acad::ErrorStatus acdbOpenObjectOfClass(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                        const AcRxClass* cls);

// Typed open: fails with eNotThatKindOfClass (nothing opened) when the object is not a T.
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
  obj = nullptr;
  AcDbObject* p = nullptr;
  Acad::ErrorStatus es = acdbOpenObjectOfClass(p, id, mode, openErased, T::desc());
  if (es == Acad::eOk) obj = T::cast(p);
  return es;
}
