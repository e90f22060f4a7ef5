// The draw-order table and a block's way to find or create it.
#include <algorithm>

#include "arx/dbdict.h"
#include "arx/dbsort.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"

using arxdetail::DbAccess;

namespace {

constexpr const char16_t* kSortentsKey = u"ACAD_SORTENTS";

}  // namespace

Acad::ErrorStatus AcDbSortentsTable::setBlockId(AcDbObjectId id) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!DbAccess::peekAs<AcDbBlockTableRecord>(id)) return id.isNull() ? Acad::eNullObjectId : Acad::eWrongObjectType;
  block_ = id;
  return Acad::eOk;
}

std::vector<AcDbObjectId> AcDbSortentsTable::drawOrder() const {
  std::vector<AcDbObjectId> ids;
  if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_))
    for (AcDbObjectId id : DbAccess::entities(*btr))
      if (!id.isNull() && !id.isErased()) ids.push_back(id);
  auto key = [this](AcDbObjectId id) {
    auto it = sort_.find(id.handle().value());
    return it == sort_.end() ? id.handle().value() : it->second;
  };
  std::stable_sort(ids.begin(), ids.end(), [&](AcDbObjectId a, AcDbObjectId b) {
    Adesk::UInt64 ka = key(a), kb = key(b);
    return ka != kb ? ka < kb : a.handle() < b.handle();
  });
  return ids;
}

Acad::ErrorStatus AcDbSortentsTable::reorder(const AcDbObjectIdArray& ids, bool toBottom) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_);
  if (!btr) return Acad::eInvalidInput;
  const auto& owned = DbAccess::entities(*btr);
  for (AcDbObjectId id : ids)
    if (id.isNull() || std::find(owned.begin(), owned.end(), id) == owned.end()) return Acad::eInvalidInput;
  std::vector<AcDbObjectId> order = drawOrder();
  std::vector<AcDbObjectId> moved, rest;
  for (AcDbObjectId id : order) (ids.contains(id) ? moved : rest).push_back(id);
  std::vector<AcDbObjectId> result = toBottom ? moved : rest;
  const auto& tail = toBottom ? rest : moved;
  result.insert(result.end(), tail.begin(), tail.end());
  // The sort handles are the entities' own handles, handed out in the new order.
  std::vector<Adesk::UInt64> handles;
  for (AcDbObjectId id : result) handles.push_back(id.handle().value());
  std::sort(handles.begin(), handles.end());
  for (std::size_t i = 0; i < result.size(); ++i) {
    Adesk::UInt64 own = result[i].handle().value();
    if (handles[i] == own)
      sort_.erase(own);
    else
      sort_[own] = handles[i];
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSortentsTable::moveToBottom(const AcDbObjectIdArray& ids) { return reorder(ids, true); }
Acad::ErrorStatus AcDbSortentsTable::moveToTop(const AcDbObjectIdArray& ids) { return reorder(ids, false); }

Acad::ErrorStatus AcDbSortentsTable::getFullDrawOrder(AcDbObjectIdArray& ids, Adesk::UInt8) const {
  ids.removeAll();
  for (AcDbObjectId id : drawOrder()) ids.append(id);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSortentsTable::getSortHandle(AcDbObjectId id, AcDbHandle& sortHandle) const {
  if (id.isNull()) return Acad::eNullObjectId;
  auto it = sort_.find(id.handle().value());
  sortHandle = it == sort_.end() ? id.handle() : AcDbHandle(it->second);
  return Acad::eOk;
}

std::vector<std::pair<AcDbHandle, AcDbHandle>> AcDbSortentsTable::sortHandles() const {
  std::vector<std::pair<AcDbHandle, AcDbHandle>> out;
  for (const auto& [e, s] : sort_) out.emplace_back(AcDbHandle(e), AcDbHandle(s));
  return out;
}

Acad::ErrorStatus AcDbSortentsTable::setSortHandle(const AcDbHandle& entity, const AcDbHandle& sortHandle) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (entity.isNull() || sortHandle.isNull()) return Acad::eNullHandle;
  if (entity == sortHandle)
    sort_.erase(entity.value());
  else
    sort_[entity.value()] = sortHandle.value();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::getSortentsTable(AcDbSortentsTable*& table, AcDb::OpenMode mode,
                                                         bool createIfNecessary) {
  table = nullptr;
  if (!isDatabaseResident()) return Acad::eNotInDatabase;
  AcDbObjectId ext = extensionDictionary();
  if (!ext.isNull() && !ext.isErased()) {
    auto* dict = DbAccess::peekAs<AcDbDictionary>(ext);
    AcDbObjectId id;
    if (dict && dict->getAt(kSortentsKey, id) == Acad::eOk) return acdbOpenObject(table, id, mode);
  }
  if (!createIfNecessary) return Acad::eKeyNotFound;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (ext.isNull() || ext.isErased()) {
    Acad::ErrorStatus es = createExtensionDictionary();
    if (es != Acad::eOk) return es;
  }
  AcDbDictionary* dict = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(dict, extensionDictionary(), AcDb::kForWrite);
  if (es != Acad::eOk) return es;
  auto* created = new AcDbSortentsTable;
  created->setBlockId(objectId());
  AcDbObjectId id;
  es = dict->setAt(kSortentsKey, created, id);
  dict->close();
  if (es != Acad::eOk) {
    delete created;
    return es;
  }
  if (mode == AcDb::kForRead) created->downgradeOpen();
  table = created;
  return Acad::eOk;
}
