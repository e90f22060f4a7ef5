// AcDbEllipse: a full or partial ellipse in any plane.
//
// Models: centre, unit normal, major axis (a vector whose length is the major radius) and
// radius ratio (minor / major, in (0, 1]); minorAxis() = ratio x (normal x majorAxis). A
// point is centre + cos(t) majorAxis + sin(t) minorAxis, t the parameter. Angles and
// parameters are different things: the angle of a point is measured from the major axis, so
// angle = atan2(ratio sin t, cos t) and t = atan2(sin angle, ratio cos angle) (equal only when
// the ratio is 1). The constructor's and set()'s start/end arguments are ANGLES;
// setStartParam/setEndParam take parameters. getEndParam is always above getStartParam (2pi
// added when needed); a full ellipse runs from 0 to 2pi and endAngle() reports 2pi.
// transformBy takes any non-degenerate affine transform (ellipses can be stretched);
// parameters shift with the new major axis. Extents are exact.
// Limitations: none beyond the curve base.
#pragma once

#include "arx/dbcurve.h"

class AcDbEllipse : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbEllipse);
  ARX_DECLARE_CLONE(AcDbEllipse)
  AcDbEllipse() = default;
  AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
              double radiusRatio, double startAngle = 0.0, double endAngle = 6.283185307179586476925286766559);

  // eInvalidInput for a zero major axis or normal, a normal not perpendicular to the major
  // axis, or a ratio outside (0, 1]; nothing changes then.
  Acad::ErrorStatus set(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                        double radiusRatio, double startAngle = 0.0,
                        double endAngle = 6.283185307179586476925286766559);

  AcGePoint3d center() const { return center_; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  AcGeVector3d normal() const { return normal_; }
  AcGeVector3d majorAxis() const { return majorAxis_; }
  AcGeVector3d minorAxis() const;
  double radiusRatio() const { return ratio_; }
  Acad::ErrorStatus setRadiusRatio(double ratio);
  double majorRadius() const { return majorAxis_.length(); }
  double minorRadius() const { return majorAxis_.length() * ratio_; }

  // Angles: startAngle in [0, 2pi), endAngle in (0, 2pi].
  double startAngle() const;
  double endAngle() const;
  Acad::ErrorStatus setStartAngle(double angle);
  Acad::ErrorStatus setEndAngle(double angle);
  Acad::ErrorStatus setStartParam(double param);
  Acad::ErrorStatus setEndParam(double param);
  double paramAtAngle(double angle) const;
  double angleAtParam(double param) const;

  bool isClosed() const override;
  bool isPeriodic() const override { return isClosed(); }
  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  void setParams(double startParam, double endParam);

  AcGePoint3d center_;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  AcGeVector3d majorAxis_ = AcGeVector3d::kXAxis;
  double ratio_ = 1.0;
  double startParam_ = 0.0;
  double endParam_ = 6.283185307179586476925286766559;
};
