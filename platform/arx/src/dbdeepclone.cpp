// Deep cloning of entities with their extension dictionaries (what COPY does).
#include <vector>

#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "db_internal.h"

using arxdetail::DbAccess;

namespace {

// Clones the dictionary src (and what it holds) as the extension dictionary of newOwner.
Acad::ErrorStatus cloneDictionary(AcDbDatabase& db, AcDbObjectId src, AcDbObject* newOwner,
                                  std::vector<AcDbObject*>& created, AcDbIdMapping& idMap);

Acad::ErrorStatus cloneEntries(AcDbDatabase& db, const AcDbDictionary& from, AcDbDictionary& to,
                               std::vector<AcDbObject*>& created, AcDbIdMapping& idMap) {
  AcDbDictionaryIterator* it = from.newIterator();
  Acad::ErrorStatus status = Acad::eOk;
  for (; !it->done() && status == Acad::eOk; it->next()) {
    AcDbObject* entry = DbAccess::peek(it->objectId());
    if (!entry) continue;
    AcDbObject* copy = entry->clone();
    AcDbObjectId copyId;
    status = DbAccess::addObject(db, copy, to.objectId(), AcDbHandle{}, true, copyId);
    if (copyId.isNull()) {
      delete copy;
      break;
    }
    DbAccess::dictInsert(to, it->name(), copyId);
    created.push_back(copy);
    idMap.assign(AcDbIdPair(it->objectId(), copyId, true, false));
    if (auto* fromSub = AcDbDictionary::cast(entry)) {
      status = cloneEntries(db, *fromSub, *AcDbDictionary::cast(copy), created, idMap);
    }
    if (status == Acad::eOk && !entry->extensionDictionary().isNull() && !entry->extensionDictionary().isErased())
      status = cloneDictionary(db, entry->extensionDictionary(), copy, created, idMap);
  }
  delete it;
  return status;
}

Acad::ErrorStatus cloneDictionary(AcDbDatabase& db, AcDbObjectId src, AcDbObject* newOwner,
                                  std::vector<AcDbObject*>& created, AcDbIdMapping& idMap) {
  auto* from = DbAccess::peekAs<AcDbDictionary>(src);
  if (!from) return Acad::eWrongObjectType;
  auto* dict = AcDbDictionary::cast(from->clone());
  AcDbObjectId dictId;
  Acad::ErrorStatus es = DbAccess::addObject(db, dict, newOwner->objectId(), AcDbHandle{}, true, dictId);
  if (dictId.isNull()) {
    delete dict;
    return es;
  }
  DbAccess::setExtDict(*newOwner, dictId);
  created.push_back(dict);
  idMap.assign(AcDbIdPair(src, dictId, true, false));
  return cloneEntries(db, *from, *dict, created, idMap);
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::deepCloneObjects(const AcDbObjectIdArray& ids, const AcDbObjectId& owner,
                                                 AcDbIdMapping& idMap, bool) {
  auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(owner);
  if (!btr) return owner.isNull() ? Acad::eNullObjectId : Acad::eWrongObjectType;
  if (owner.database() != this) return Acad::eWrongDatabase;
  for (AcDbObjectId id : ids) {
    if (id.isNull()) return Acad::eNullObjectId;
    if (id.database() != this) return Acad::eWrongDatabase;
    if (id.isErased()) return Acad::eWasErased;
    if (!DbAccess::peekAs<AcDbEntity>(id)) return Acad::eNotAnEntity;
  }
  for (AcDbObjectId id : ids) {
    auto* src = DbAccess::peekAs<AcDbEntity>(id);
    auto* copy = AcDbEntity::cast(src->clone());
    std::vector<AcDbObject*> created;
    AcDbObjectId copyId;
    DbAccess::entities(*btr).push_back(AcDbObjectId::kNull);
    std::size_t slot = DbAccess::entities(*btr).size() - 1;
    Acad::ErrorStatus es = DbAccess::addObject(*this, copy, owner, AcDbHandle{}, true, copyId);
    if (copyId.isNull()) {
      DbAccess::entities(*btr).pop_back();
      delete copy;
      return es;
    }
    DbAccess::entities(*btr)[slot] = copyId;
    created.push_back(copy);
    idMap.assign(AcDbIdPair(id, copyId, true, true));
    if (!src->extensionDictionary().isNull() && !src->extensionDictionary().isErased())
      es = cloneDictionary(*this, src->extensionDictionary(), copy, created, idMap);
    // Closed last-made first: the entity's notice comes when its extension data is closed.
    for (auto it = created.rbegin(); it != created.rend(); ++it) (*it)->close();
    if (es != Acad::eOk) return es;
  }
  return Acad::eOk;
}
