// Dictionaries.
#include "arx/dbdict.h"

#include "db_internal.h"

using arxdetail::DbAccess;

bool AcDbDictionaryIterator::next() {
  if (done()) return false;
  ++pos_;
  return !done();
}

const ACHAR* AcDbDictionaryIterator::name() const { return done() ? nullptr : entries_[pos_].key.c_str(); }
AcDbObjectId AcDbDictionaryIterator::objectId() const { return done() ? AcDbObjectId::kNull : entries_[pos_].id; }

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& obj, AcDb::OpenMode mode) const {
  obj = nullptr;
  if (done()) return Acad::eIteratorDone;
  return acdbOpenObject(obj, entries_[pos_].id, mode);
}

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* key, AcDbObjectId& id) const {
  id = AcDbObjectId::kNull;
  if (!key) return Acad::eInvalidKey;
  for (const auto& e : entries_) {
    if (!e.id.isErased() && arxdetail::namesEqual(e.key, key)) {
      id = e.id;
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* key, AcDbObject*& obj, AcDb::OpenMode mode) const {
  obj = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = getAt(key, id);
  if (es != Acad::eOk) return es;
  return acdbOpenObject(obj, id, mode);
}

bool AcDbDictionary::has(const ACHAR* key) const {
  AcDbObjectId id;
  return getAt(key, id) == Acad::eOk;
}

bool AcDbDictionary::has(AcDbObjectId id) const {
  for (const auto& e : entries_)
    if (e.id == id && !id.isErased()) return true;
  return false;
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId id, std::u16string& key) const {
  for (const auto& e : entries_) {
    if (e.id == id) {
      key = e.key;
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDictionary::setAt(const ACHAR* key, AcDbObject* obj, AcDbObjectId& id) {
  id = AcDbObjectId::kNull;
  if (!key || !*key) return Acad::eInvalidKey;
  if (!obj) return Acad::eNullObjectPointer;
  AcDbDatabase* db = database();
  if (!db) return Acad::eNoDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (obj->isDatabaseResident() && obj->database() != db) return Acad::eWrongDatabase;
  // An existing entry under the key is replaced; its object is erased.
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (!arxdetail::namesEqual(it->key, key)) continue;
    if (it->id == obj->objectId()) {
      id = it->id;
      return Acad::eOk;
    }
    AcDbObject* old = nullptr;
    if (!it->id.isErased() && acdbOpenObject(old, it->id, AcDb::kForWrite) == Acad::eOk) {
      old->erase();
      old->close();
    }
    entries_.erase(it);
    break;
  }
  if (obj->isDatabaseResident()) {
    id = obj->objectId();
    DbAccess::setOwner(*obj, objectId());
  } else {
    Acad::ErrorStatus es = DbAccess::addObject(*db, obj, objectId(), AcDbHandle{}, true, id);
    if (id.isNull()) return es;
  }
  DbAccess::dictInsert(*this, key, id);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* key) {
  AcDbObjectId id;
  return remove(key, id);
}

Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* key, AcDbObjectId& removedId) {
  removedId = AcDbObjectId::kNull;
  if (!key) return Acad::eInvalidKey;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (arxdetail::namesEqual(it->key, key)) {
      removedId = it->id;
      if (AcDbObject* o = DbAccess::peek(it->id)) DbAccess::setOwner(*o, AcDbObjectId::kNull);
      entries_.erase(it);
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDictionary::remove(AcDbObjectId id) {
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->id == id) {
      if (AcDbObject* o = DbAccess::peek(id)) DbAccess::setOwner(*o, AcDbObjectId::kNull);
      entries_.erase(it);
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

AcDbDictionaryIterator* AcDbDictionary::newIterator() const {
  std::vector<AcDbDictionaryIterator::Entry> list;
  for (const auto& e : entries_)
    if (!e.id.isErased()) list.push_back({e.key, e.id});
  return new AcDbDictionaryIterator(std::move(list));
}
