// The simple entities: line, circle, arc, point, solid and trace.
//
// Models:
//   - AcDbLine: two world points; parameter = distance from the start (0 .. length);
//   - AcDbCircle: centre (world), radius and normal; its plane's axes follow the arbitrary-axis
//     algorithm (arx/gemat.h), the parameter is the angle from the OCS X axis (0 .. 2pi), so
//     the point at parameter 0 of a circle with normal (0,0,-1) is centre - (r, 0, 0);
//   - AcDbArc: as the circle, with start and end angles in the OCS (kept in [0, 2pi));
//     getStartParam is the start angle and getEndParam the end angle, plus 2pi when the end
//     angle is not above the start angle, so the parameters always increase along the arc;
//   - extents are exact: a circle's box is centre +- r sqrt(1 - n_i^2) per axis; an arc's box
//     holds its end points and the extreme points of the axes it sweeps past;
//   - transformBy of circles and arcs takes rotations, reflections, uniform scalings and
//     translations; anything that would make them elliptical is eCannotScaleNonUniformly
//     (136), while getTransformedCopy answers such a transform with an AcDbEllipse copy
//     (ratio 1 before the transform, the same properties). A reflection gives them the opposite normal (the arc keeps running
//     counter-clockwise about its new normal);
//   - AcDbPoint: a world position; its extents are the point itself;
//   - AcDbSolid / AcDbTrace: four world corners in the drawing order 0, 1, 2, 3 (the filled
//     outline runs 0, 1, 3, 2).
// Limitations: thickness is stored and transformed but not part of extents.
#pragma once

#include "arx/dbcurve.h"
#include "arx/gept.h"
#include "arx/gevec.h"

class AcDbLine : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLine);
  ARX_DECLARE_CLONE(AcDbLine)
  AcDbLine() = default;
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : start_(start), end_(end) {}

  AcGePoint3d startPoint() const { return start_; }
  Acad::ErrorStatus setStartPoint(const AcGePoint3d& p);
  AcGePoint3d endPoint() const { return end_; }
  Acad::ErrorStatus setEndPoint(const AcGePoint3d& p);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);

  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  AcGePoint3d start_;
  AcGePoint3d end_;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double thickness_ = 0.0;
};

class AcDbCircle : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCircle);
  ARX_DECLARE_CLONE(AcDbCircle)
  AcDbCircle() = default;
  AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius);

  AcGePoint3d center() const { return center_; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  double radius() const { return radius_; }
  Acad::ErrorStatus setRadius(double r);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);
  double circumference() const;

  bool isClosed() const override { return true; }
  bool isPeriodic() const override { return true; }
  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
  // A transform that would make the circle elliptical gives an AcDbEllipse copy.
  Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& entity) const override;

 private:
  AcGePoint3d center_;
  double radius_ = 0.0;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double thickness_ = 0.0;
};

class AcDbArc : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbArc);
  ARX_DECLARE_CLONE(AcDbArc)
  AcDbArc() = default;
  AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
  AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle, double endAngle);

  AcGePoint3d center() const { return center_; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  double radius() const { return radius_; }
  Acad::ErrorStatus setRadius(double r);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);
  // Angles in the OCS, in [0, 2pi).
  double startAngle() const { return startAngle_; }
  Acad::ErrorStatus setStartAngle(double a);
  double endAngle() const { return endAngle_; }
  Acad::ErrorStatus setEndAngle(double a);
  // The swept angle in (0, 2pi].
  double totalAngle() const;
  double length() const { return radius_ * totalAngle(); }

  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
  // A transform that would make the arc elliptical gives an AcDbEllipse (elliptical arc) copy.
  Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& entity) const override;

 private:
  AcGePoint3d center_;
  double radius_ = 0.0;
  double startAngle_ = 0.0;
  double endAngle_ = 0.0;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double thickness_ = 0.0;
};

class AcDbPoint : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPoint);
  ARX_DECLARE_CLONE(AcDbPoint)
  AcDbPoint() = default;
  explicit AcDbPoint(const AcGePoint3d& position) : position_(position) {}

  AcGePoint3d position() const { return position_; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);
  double ecsRotation() const { return ecsRotation_; }
  Acad::ErrorStatus setEcsRotation(double a);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  AcGePoint3d position_;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double thickness_ = 0.0;
  double ecsRotation_ = 0.0;
};

// Four corners in world coordinates (shared by AcDbSolid and AcDbTrace).
class AcDbSolid : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSolid);
  ARX_DECLARE_CLONE(AcDbSolid)
  AcDbSolid() = default;
  AcDbSolid(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3);
  // Three corners: the fourth repeats the third.
  AcDbSolid(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2);

  // index 0..3; eInvalidIndex otherwise.
  Acad::ErrorStatus getPointAt(Adesk::UInt16 index, AcGePoint3d& point) const;
  Acad::ErrorStatus setPointAt(Adesk::UInt16 index, const AcGePoint3d& point);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  AcGePoint3d points_[4];
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double thickness_ = 0.0;
};

class AcDbTrace : public AcDbSolid {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTrace);
  ARX_DECLARE_CLONE(AcDbTrace)
  AcDbTrace() = default;
  AcDbTrace(const AcGePoint3d& p0, const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3)
      : AcDbSolid(p0, p1, p2, p3) {}
};
