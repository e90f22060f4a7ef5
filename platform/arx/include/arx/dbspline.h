// AcDbSpline: a NURBS curve in space.
//
// Models: degree, rational/closed/periodic flags, control points, knots, weights and
// tolerances as given. isNull() is true unless the definition can be evaluated:
//   - degree >= 1 and at least degree + 1 control points;
//   - not periodic: exactly n + degree + 1 knots for n control points, non-decreasing;
//   - periodic: exactly n + 1 knots, non-decreasing, the last above the first (the curve
//     wraps around, its period the knot span);
//   - rational: one weight per control point, all positive.
// A null spline answers eNotApplicable to every geometric query. Parameters run over the knot
// domain. Extents are the box of the control points (which contains the curve). transformBy
// takes any affine transform (control and fit points are transformed).
// Limitations: fit data (fit points, tangents, tolerance) is stored for drawing files but no
// control points are computed from it: a spline with fit data only is null.
#pragma once

#include "arx/dbcurve.h"
#include "arx/gearrays.h"

class AcDbSpline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSpline);
  ARX_DECLARE_CLONE(AcDbSpline)
  AcDbSpline() = default;
  AcDbSpline(int degree, bool rational, bool closed, bool periodic, const AcGePoint3dArray& controlPoints,
             const AcGeDoubleArray& knots, const AcGeDoubleArray& weights, double controlPtTol = 0.0,
             double knotTol = 0.0);

  bool isNull() const;
  int degree() const { return degree_; }
  bool isRational() const { return rational_; }
  bool isPlanar() const;
  Acad::ErrorStatus getNurbsData(int& degree, bool& rational, bool& closed, bool& periodic,
                                 AcGePoint3dArray& controlPoints, AcGeDoubleArray& knots, AcGeDoubleArray& weights,
                                 double& controlPtTol, double& knotTol) const;
  Acad::ErrorStatus setNurbsData(int degree, bool rational, bool closed, bool periodic,
                                 const AcGePoint3dArray& controlPoints, const AcGeDoubleArray& knots,
                                 const AcGeDoubleArray& weights, double controlPtTol = 0.0, double knotTol = 0.0);
  int numControlPoints() const { return controlPoints_.length(); }
  Acad::ErrorStatus getControlPointAt(int index, AcGePoint3d& point) const;
  Acad::ErrorStatus setControlPointAt(int index, const AcGePoint3d& point);
  int numKnots() const { return knots_.length(); }
  int numWeights() const { return weights_.length(); }
  double weightAt(int index) const;

  // Fit data (stored only).
  int numFitPoints() const { return fitPoints_.length(); }
  Acad::ErrorStatus getFitPointAt(int index, AcGePoint3d& point) const;
  Acad::ErrorStatus getFitData(AcGePoint3dArray& fitPoints, int& degree, double& fitTolerance, bool& tangentsExist,
                               AcGeVector3d& startTangent, AcGeVector3d& endTangent) const;
  Acad::ErrorStatus setFitData(const AcGePoint3dArray& fitPoints, int degree, double fitTolerance,
                               const AcGeVector3d& startTangent, const AcGeVector3d& endTangent);

  bool isClosed() const override;
  bool isPeriodic() const override { return periodic_; }
  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  int degree_ = 3;
  bool rational_ = false;
  bool closed_ = false;
  bool periodic_ = false;
  AcGePoint3dArray controlPoints_;
  AcGeDoubleArray knots_;
  AcGeDoubleArray weights_;
  double controlPtTol_ = 0.0;
  double knotTol_ = 0.0;
  AcGePoint3dArray fitPoints_;
  double fitTolerance_ = 0.0;
  AcGeVector3d startTangent_;
  AcGeVector3d endTangent_;
};
