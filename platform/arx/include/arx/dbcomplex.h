// What complex entities (2D and 3D polylines, block references with attributes) share: the
// iterator over their owned sub-entities and the sequence-end marker that closes the list.
//
// Models: AcDbObjectIterator walks the sub-entities in order and skips erased ones unless
// told otherwise; entity() gives the sub-entity itself (resident or not; do not close or
// delete it through the iterator), objectId() its id (null while the owner is not resident).
// A complex entity gets its AcDbSequenceEnd when it is added to a database.
// Limitations: sub-entities cannot be removed individually except by erasing them.
#pragma once

#include <vector>

#include "arx/dbentity.h"

class AcDbObjectIterator {
 public:
  explicit AcDbObjectIterator(std::vector<AcDbEntity*> entities);
  void start(bool atEnd = false);
  bool done() const;
  void step(bool backwards = false, bool skipErased = true);
  AcDbEntity* entity() const;
  AcDbObjectId objectId() const;
  Acad::ErrorStatus seek(AcDbObjectId id);

 private:
  void skip(bool backwards);
  std::vector<AcDbEntity*> entities_;
  long pos_ = 0;
};

class AcDbSequenceEnd : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSequenceEnd);
  ARX_DECLARE_CLONE(AcDbSequenceEnd)
  AcDbSequenceEnd() = default;
};
