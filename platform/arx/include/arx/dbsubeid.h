// Sub-entity ids and full sub-entity paths: which part of which nested entity is meant.
//
// Models: AcDbSubentId (a sub-entity type and index; the null id is type kNullSubentType,
// index 0) and AcDbFullSubentPath (the object ids from the outermost entity inward, plus the
// sub-entity id). Paths compare equal when their ids and sub-entity ids are equal.
// Limitations: no graphics markers or sub-entity geometry behind them.
#pragma once

#include "arx/dbid.h"

namespace AcDb {
enum SubentType {
  kNullSubentType = 0,
  kFaceSubentType = 1,
  kEdgeSubentType = 2,
  kVertexSubentType = 3,
};
}  // namespace AcDb

class AcDbSubentId {
 public:
  AcDbSubentId() = default;
  AcDbSubentId(AcDb::SubentType type, Adesk::GsMarker index) : type_(type), index_(index) {}
  AcDb::SubentType type() const { return type_; }
  Adesk::GsMarker index() const { return index_; }
  bool operator==(const AcDbSubentId& o) const { return type_ == o.type_ && index_ == o.index_; }

 private:
  AcDb::SubentType type_ = AcDb::kNullSubentType;
  Adesk::GsMarker index_ = 0;
};

class AcDbFullSubentPath {
 public:
  AcDbFullSubentPath() = default;
  AcDbFullSubentPath(const AcDbObjectIdArray& ids, AcDbSubentId subent) : ids_(ids), subent_(subent) {}
  AcDbFullSubentPath(AcDbObjectId id, AcDbSubentId subent) : subent_(subent) { ids_.append(id); }

  AcDbObjectIdArray& objectIds() { return ids_; }
  const AcDbObjectIdArray& objectIds() const { return ids_; }
  void objectIds(AcDbObjectIdArray& out) const { out = ids_; }
  AcDbSubentId& subentId() { return subent_; }
  const AcDbSubentId& subentId() const { return subent_; }
  bool operator==(const AcDbFullSubentPath& o) const {
    if (!(subent_ == o.subent_) || ids_.length() != o.ids_.length()) return false;
    for (int i = 0; i < ids_.length(); ++i)
      if (ids_[i] != o.ids_[i]) return false;
    return true;
  }

 private:
  AcDbObjectIdArray ids_;
  AcDbSubentId subent_;
};
