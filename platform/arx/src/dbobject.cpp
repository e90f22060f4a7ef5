// AcDbObject: open state, erase, extension dictionaries, persistent reactors, xdata.
#include <cassert>
#include <string>
#include <vector>

#include "arx/dbdict.h"
#include "arx/dbobject.h"
#include "db_internal.h"
#include "resbuf_kind.h"

using arxdetail::DbAccess;

namespace {

// The application groups of an xdata chain: each starts with a 1001 buffer.
struct XdataGroup {
  std::u16string app;
  std::vector<const resbuf*> items;  // the 1001 buffer first
};

bool splitXdata(const resbuf* chain, std::vector<XdataGroup>& out) {
  out.clear();
  for (const resbuf* p = chain; p; p = p->rbnext) {
    if (p->restype == 1001) {
      if (!p->resval.rstring || !*p->resval.rstring) return false;
      out.push_back({p->resval.rstring, {p}});
      continue;
    }
    if (out.empty()) return false;  // data before the first application name
    if (p->restype < 1000 || p->restype > 1071 || arxdetail::rbKindOf(p->restype) == arxdetail::RbKind::kInvalid)
      return false;
    out.back().items.push_back(p);
  }
  return true;
}

resbuf* copyItems(const std::vector<const resbuf*>& items) {
  resbuf* head = nullptr;
  resbuf** tail = &head;
  for (const resbuf* p : items) {
    resbuf tmp = *p;
    tmp.rbnext = nullptr;
    resbuf* c = arxdetail::rbCopyChain(&tmp);
    *tail = c;
    while (*tail) tail = &(*tail)->rbnext;
  }
  return head;
}

}  // namespace

AcDbObject::AcDbObject() = default;

AcDbObject::AcDbObject(const AcDbObject& other) : AcRxObject(), xdata_(arxdetail::rbCopyChain(other.xdata_)) {}

AcDbObject::~AcDbObject() {
  assert((!stub_ || dying_) && "a database-resident object is deleted by its database, not by delete");
  acutRelRb(xdata_);
}

AcDbObjectId AcDbObject::objectId() const { return AcDbObjectId::fromStub(stub_); }
AcDbHandle AcDbObject::objectHandle() const { return stub_ ? stub_->handle : AcDbHandle{}; }
AcDbDatabase* AcDbObject::database() const { return stub_ ? stub_->db : nullptr; }
bool AcDbObject::isErased() const { return stub_ && stub_->erased; }

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId owner) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  ownerId_ = owner;
  return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const { return !stub_ || readers_ > 0 || writer_ || notifying_; }
bool AcDbObject::isWriteEnabled() const { return !stub_ || (writer_ && !notifying_); }

bool AcDbObject::assertReadEnabled() const {
  bool ok = isReadEnabled();
  assert(ok && "object read while not open");
  return ok;
}

bool AcDbObject::assertWriteEnabled() const {
  bool ok = isWriteEnabled();
  assert(ok && "object changed while not open for write");
  return ok;
}

namespace {

void notifyPersistentModified(const AcDbObject* obj, const std::vector<AcDbObjectId>& reactors) {
  for (AcDbObjectId id : reactors) {
    AcDbObject* r = DbAccess::peek(id);
    if (r && !id.isErased() && r != obj) r->modified(obj);
  }
}

void notifyPersistentErased(const AcDbObject* obj, const std::vector<AcDbObjectId>& reactors, bool erasing) {
  for (AcDbObjectId id : reactors) {
    AcDbObject* r = DbAccess::peek(id);
    if (r && !id.isErased() && r != obj) r->erased(obj, erasing);
  }
}

}  // namespace

Acad::ErrorStatus AcDbObject::close() {
  if (!stub_) return Acad::eNotInDatabase;
  if (notifying_) {
    // Only the reads opened by reactors during the notification can be closed now.
    if (readers_ > 0) {
      --readers_;
      return Acad::eOk;
    }
    return Acad::eWasNotifying;
  }
  if (writer_) {
    notifying_ = true;
    DbAccess::fireModified(*stub_->db, this);
    const std::vector<AcDbObjectId> reactors = persistentReactors_;
    notifyPersistentModified(this, reactors);
    notifying_ = false;
    writer_ = false;
    newObject_ = false;
    return Acad::eOk;
  }
  if (readers_ > 0) {
    --readers_;
    return Acad::eOk;
  }
  return Acad::eNotOpenForRead;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
  if (!stub_ || writer_) return notifying_ ? Acad::eWasNotifying : Acad::eWasOpenForWrite;
  if (notifying_) return Acad::eWasNotifying;
  if (readers_ == 0) return Acad::eNotOpenForRead;
  if (readers_ > 1) return Acad::eWasOpenForRead;
  const auto& check = DbAccess::impl(*stub_->db).writeCheck;
  if (check) {
    Acad::ErrorStatus es = check(objectId());
    if (es != Acad::eOk) return es;
  }
  readers_ = 0;
  writer_ = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
  if (!stub_) return Acad::eNotInDatabase;
  if (!writer_ || notifying_) return Acad::eNotOpenForWrite;
  notifying_ = true;
  DbAccess::fireModified(*stub_->db, this);
  const std::vector<AcDbObjectId> reactors = persistentReactors_;
  notifyPersistentModified(this, reactors);
  notifying_ = false;
  writer_ = false;
  newObject_ = false;
  readers_ = 1;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
  if (!stub_) return Acad::eNotInDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (erasing && stub_->erased) return Acad::eWasErased;
  if (!erasing && !stub_->erased) return Acad::eWasNotErased;
  stub_->erased = erasing;
  DbAccess::fireErased(*stub_->db, this, erasing);
  const std::vector<AcDbObjectId> reactors = persistentReactors_;
  notifyPersistentErased(this, reactors, erasing);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::createExtensionDictionary() {
  if (!stub_) return Acad::eNotInDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!extDictId_.isNull() && !extDictId_.isErased()) return Acad::eAlreadyInDb;
  auto* dict = new AcDbDictionary;
  AcDbObjectId id;
  Acad::ErrorStatus es = DbAccess::addObject(*stub_->db, dict, objectId(), AcDbHandle{}, true, id);
  if (es != Acad::eOk) {
    delete dict;
    return es;
  }
  extDictId_ = id;
  dict->close();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::releaseExtensionDictionary() {
  if (!stub_) return Acad::eNotInDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (extDictId_.isNull()) return Acad::eOk;
  AcDbDictionary* dict = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(dict, extDictId_, AcDb::kForWrite, true);
  if (es != Acad::eOk) return es;
  if (dict->numEntries() > 0) {
    dict->close();
    return Acad::eNotApplicable;
  }
  if (!dict->isErased()) dict->erase();
  dict->close();
  extDictId_ = AcDbObjectId::kNull;
  return Acad::eOk;
}

void AcDbObject::addPersistentReactor(AcDbObjectId reactorId) {
  if (!assertWriteEnabled() || reactorId.isNull()) return;
  for (AcDbObjectId id : persistentReactors_)
    if (id == reactorId) return;
  persistentReactors_.push_back(reactorId);
}

Acad::ErrorStatus AcDbObject::removePersistentReactor(AcDbObjectId reactorId) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto it = persistentReactors_.begin(); it != persistentReactors_.end(); ++it) {
    if (*it == reactorId) {
      persistentReactors_.erase(it);
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

bool AcDbObject::hasPersistentReactor(AcDbObjectId reactorId) const {
  for (AcDbObjectId id : persistentReactors_)
    if (id == reactorId) return true;
  return false;
}

AcDbObjectIdArray AcDbObject::persistentReactorIds() const {
  AcDbObjectIdArray out;
  for (AcDbObjectId id : persistentReactors_) out.append(id);
  return out;
}

void AcDbObject::modified(const AcDbObject*) {}
void AcDbObject::erased(const AcDbObject*, bool) {}

resbuf* AcDbObject::xData(const ACHAR* appName) const {
  std::vector<XdataGroup> groups;
  if (!splitXdata(xdata_, groups)) return nullptr;
  std::vector<const resbuf*> items;
  for (const auto& g : groups)
    if (!appName || arxdetail::namesEqual(g.app, appName)) items.insert(items.end(), g.items.begin(), g.items.end());
  return copyItems(items);
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  std::vector<XdataGroup> incoming, current;
  if (!splitXdata(xdata, incoming)) return Acad::eInvalidInput;
  splitXdata(xdata_, current);
  if (stub_) {
    AcDbObjectId regApps = stub_->db->regAppTableId();
    for (const auto& g : incoming)
      if (arxdetail::findRecord(regApps, g.app).isNull()) return Acad::eKeyNotFound;
  }
  // Each application in the new chain replaces that application's data; a group holding only
  // its name removes it.
  for (const auto& g : incoming) {
    bool found = false;
    for (auto it = current.begin(); it != current.end(); ++it) {
      if (arxdetail::namesEqual(it->app, g.app)) {
        found = true;
        if (g.items.size() == 1)
          current.erase(it);
        else
          *it = g;
        break;
      }
    }
    if (!found && g.items.size() > 1) current.push_back(g);
  }
  std::vector<const resbuf*> items;
  for (const auto& g : current) items.insert(items.end(), g.items.begin(), g.items.end());
  resbuf* merged = copyItems(items);
  acutRelRb(xdata_);
  xdata_ = merged;
  return Acad::eOk;
}

AcDbObject* AcDbObject::clone() const { return new AcDbObject(*this); }

Acad::ErrorStatus AcDbObject::subObjectsToDatabase(AcDbDatabase&) { return Acad::eOk; }
