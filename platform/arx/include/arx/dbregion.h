// AcDbRegion: areas bounded by closed loops of curves.
//
// Models: createFromCurves chains the given curves (lines, arcs, polylines, ellipses,
// splines; circles and closed curves alone) end to end, within 1e-6 of the loop size, into
// closed loops and makes one region per loop from copies of its curves (the caller deletes the
// curves it passed and the regions it got). Curves that close no loop are left out;
// eInvalidInput when no loop closes. explode gives copies of the boundary curves of a
// single-loop region, or one region per loop for a composite one. Extents are those of the
// boundary; transformBy transforms every boundary curve or none (the first refusal's status).
// Limitations: no Boolean operations or area/centroid queries; composite regions are built
// with appendLoopsFrom (non-standard), which takes another region's loops as they are.
#pragma once

#include <vector>

#include "arx/dbcurve.h"
#include "arx/dbproxy.h"

class AcDbRegion : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRegion);
  ARX_DECLARE_CLONE(AcDbRegion)
  AcDbRegion() = default;
  AcDbRegion(const AcDbRegion& other);
  ~AcDbRegion() override;

  static Acad::ErrorStatus createFromCurves(const AcDbVoidPtrArray& curveSegments, AcDbVoidPtrArray& regions);

  int numLoops() const { return static_cast<int>(loops_.size()); }  // non-standard
  bool isNull() const { return loops_.empty(); }
  // Moves other's loops into this region (other ends up empty). Non-standard.
  Acad::ErrorStatus appendLoopsFrom(AcDbRegion* other);
  // Non-standard: the modeler (ACIS) data groups of a region read from a drawing file, kept
  // for writing it back; the stand-in does not decode them (such a region has no loops).
  const std::vector<AcDbRawGroup>& modelerData() const { return modelerData_; }
  Acad::ErrorStatus setModelerData(const std::vector<AcDbRawGroup>& groups);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;

 private:
  std::vector<std::vector<AcDbCurve*>> loops_;
  std::vector<AcDbRawGroup> modelerData_;
};
