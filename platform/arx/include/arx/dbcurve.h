// AcDbCurve: entities with a parameterised path (lines, circles, arcs, ellipses, splines and
// polylines).
//
// Models: a curve runs from getStartParam to getEndParam (end > start); getPointAtParam,
// getDistAtParam and their inverses answer along it. A parameter outside the range, or a point
// not on the curve (farther than 1e-6 relative to the curve's size), is eInvalidInput.
// Distances along curves without a closed form (ellipses, splines) are integrated numerically
// (error below 1e-9 of the length for smooth curves).
// Limitations: no offsets, projections, extensions, splitting or closest-point queries beyond
// getParamAtPoint.
#pragma once

#include "arx/dbentity.h"
#include "arx/gept.h"

class AcDbCurve : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCurve);

  virtual bool isClosed() const;
  virtual bool isPeriodic() const;
  virtual Acad::ErrorStatus getStartParam(double& param) const;
  virtual Acad::ErrorStatus getEndParam(double& param) const;
  virtual Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
  virtual Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
  virtual Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
  virtual Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const;
  virtual Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const;

 protected:
  AcDbCurve() = default;
  AcDbCurve(const AcDbCurve&) = default;
};
