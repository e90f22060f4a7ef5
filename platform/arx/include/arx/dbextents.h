// AcDbExtents: an axis-aligned box in world coordinates.
//
// Models: a new box is empty (min (1e20,1e20,1e20), max (-1e20,-1e20,-1e20)); addPoint and
// addExt grow it; addBlockExt adds the geometric extents of every entity of a block table
// record that is not erased (entities whose extents fail are skipped).
// Limitations: none beyond the entities' own extents models.
#pragma once

#include "arx/acadstrc.h"
#include "arx/gemat.h"
#include "arx/gept.h"

class AcDbBlockTableRecord;

class AcDbExtents {
 public:
  AcDbExtents();
  AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max);

  AcGePoint3d minPoint() const { return min_; }
  AcGePoint3d maxPoint() const { return max_; }
  // eInvalidExtents (nothing changed) when min is above max in any coordinate.
  Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
  void addPoint(const AcGePoint3d& p);
  void addExt(const AcDbExtents& other);
  Acad::ErrorStatus addBlockExt(AcDbBlockTableRecord* record);
  void expandBy(const AcGeVector3d& v);
  // Transforms the eight corners and takes their box.
  void transformBy(const AcGeMatrix3d& m);
  bool isEmpty() const;  // non-standard

 private:
  AcGePoint3d min_;
  AcGePoint3d max_;
};
