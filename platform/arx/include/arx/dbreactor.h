// AcDbDatabaseReactor: notifications of a drawing database.
//
// Models the notifications and when they fire:
//   - objectAppended(db, obj): the object was just added to db (it is open for write by the
//     caller that added it); sub-objects follow their owner in order;
//   - objectModified(db, obj): an object that was open for write is being closed (every such
//     close, including the first close of a newly added object, and downgradeOpen);
//   - objectErased(db, obj, erased): erase(true) (erased true) or erase(false) (false), at the
//     time of the call;
//   - goodbye(db): the database is being destroyed.
// Reactors are called in the order they were added; a reactor removed during a notification is
// not called afterwards in that notification; one added during a notification is called from
// the next notification on.
// Limitations: no objectUnAppended/ReAppended (no undo), no header-variable or save
// notifications.
#pragma once

#include "arx/rxobject.h"

class AcDbDatabase;
class AcDbObject;

class AcDbDatabaseReactor : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDatabaseReactor);
  virtual void objectAppended(const AcDbDatabase* db, const AcDbObject* obj);
  virtual void objectModified(const AcDbDatabase* db, const AcDbObject* obj);
  virtual void objectErased(const AcDbDatabase* db, const AcDbObject* obj, bool erased = true);
  virtual void goodbye(const AcDbDatabase* db);
};
