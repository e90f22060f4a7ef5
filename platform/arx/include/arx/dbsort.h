// AcDbSortentsTable: the draw order of a block's entities.
//
// Models: the table maps entity handles to sort handles; the draw order is the block's
// entities (not erased) sorted by their sort handle, which is their own handle unless the
// table holds another. moveToBottom / moveToTop move the given entities (keeping their order
// among themselves) under or over all others by permuting the sort handles among the block's
// entities; an id that is not an entity of the table's block is eInvalidInput and nothing
// changes. getFullDrawOrder lists the block's entities bottom first. A block's table lives in
// its extension dictionary under "ACAD_SORTENTS" (see AcDbBlockTableRecord::getSortentsTable).
// Limitations: no moveAbove/moveBelow/swapOrder; the sortents mask is ignored.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "arx/dbobject.h"

class AcDbSortentsTable : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSortentsTable);
  ARX_DECLARE_CLONE(AcDbSortentsTable)
  AcDbSortentsTable() = default;

  AcDbObjectId blockId() const { return block_; }
  Acad::ErrorStatus setBlockId(AcDbObjectId id);
  Acad::ErrorStatus moveToBottom(const AcDbObjectIdArray& ids);
  Acad::ErrorStatus moveToTop(const AcDbObjectIdArray& ids);
  Acad::ErrorStatus getFullDrawOrder(AcDbObjectIdArray& ids, Adesk::UInt8 honorSortentsMask = 0) const;
  Acad::ErrorStatus getSortHandle(AcDbObjectId id, AcDbHandle& sortHandle) const;

  // Non-standard: the stored (entity handle, sort handle) pairs, and a reader's way to fill
  // them.
  std::vector<std::pair<AcDbHandle, AcDbHandle>> sortHandles() const;
  Acad::ErrorStatus setSortHandle(const AcDbHandle& entity, const AcDbHandle& sortHandle);

 private:
  std::vector<AcDbObjectId> drawOrder() const;
  Acad::ErrorStatus reorder(const AcDbObjectIdArray& ids, bool toBottom);

  AcDbObjectId block_;
  std::map<Adesk::UInt64, Adesk::UInt64> sort_;  // entity handle -> sort handle
};
