// Two-dimensional curves of the geometry library: line segments, circular arcs, elliptical
// arcs and NURBS curves, with parameter intervals and sampling.
//
// Models:
//   - every curve has a parameter interval and evalPoint(param);
//   - getSamplePoints(n, pts) gives n points uniform in parameter, the first at the start
//     point and the last at the end point (n = 1 gives the start point, n <= 0 nothing);
//   - AcGeLineSeg2d runs from parameter 0 at its start to 1 at its end;
//   - AcGeCircArc2d's parameter is the angle from refVec, measured counter-clockwise, or
//     clockwise when isClockWise(); startAng <= endAng always (a smaller end gets 2pi added);
//   - AcGeEllipArc2d's start/end "angles" are parameters: point = center + cos(t) majorRadius
//     majorAxis + sin(t) minorRadius minorAxis; clockwise when the minor axis points to the
//     right of the major axis;
//   - AcGeNurbCurve2d evaluates a (rational) B-spline by de Boor's algorithm; a periodic curve
//     may be given with n + 1 knots for n control points (the period is last - first knot).
// Transformations: line segments, NURBS curves and elliptical arcs take any affine matrix;
// circular arcs only rotations, reflections (which flip isClockWise) and uniform scalings.
// Limitations: no intersections, projections, offsets or closest-point queries; a circular arc
// through three collinear points gets radius 0.
#pragma once

#include "arx/gearrays.h"
#include "arx/gemat.h"
#include "arx/geknot.h"
#include "arx/gept.h"
#include "arx/gevec.h"

namespace AcGe {
enum EntityId {
  kEntity2d = 0,
  kCurve2d,
  kLinearEnt2d,
  kLineSeg2d,
  kCircArc2d,
  kEllipArc2d,
  kSplineEnt2d,
  kNurbCurve2d,
};
}  // namespace AcGe

class AcGeInterval {
 public:
  AcGeInterval() = default;
  AcGeInterval(double lower, double upper) : lower_(lower), upper_(upper) {}
  double lowerBound() const { return lower_; }
  double upperBound() const { return upper_; }
  double length() const { return upper_ - lower_; }
  void getBounds(double& lower, double& upper) const { lower = lower_; upper = upper_; }
  void set(double lower, double upper) { lower_ = lower; upper_ = upper; }
  bool contains(double v, double tol = 1e-12) const { return v >= lower_ - tol && v <= upper_ + tol; }

 private:
  double lower_ = 0.0;
  double upper_ = 0.0;
};

// The axis-aligned box of a 2D curve.
class AcGeBoundBlock2d {
 public:
  AcGeBoundBlock2d() = default;
  AcGeBoundBlock2d(const AcGePoint2d& a, const AcGePoint2d& b);
  void getMinMaxPoints(AcGePoint2d& min, AcGePoint2d& max) const { min = min_; max = max_; }
  AcGeBoundBlock2d& extend(const AcGePoint2d& p);
  bool isEmpty() const { return empty_; }

 private:
  AcGePoint2d min_;
  AcGePoint2d max_;
  bool empty_ = true;
};

class AcGeEntity2d {
 public:
  virtual ~AcGeEntity2d() = default;
  virtual AcGe::EntityId type() const = 0;
  bool isKindOf(AcGe::EntityId id) const;
  // A new copy that the caller deletes.
  virtual AcGeEntity2d* copy() const = 0;
  virtual AcGeEntity2d& transformBy(const AcGeMatrix2d& m) = 0;

 protected:
  virtual bool isKindOfImpl(AcGe::EntityId id) const = 0;
};

class AcGeCurve2d : public AcGeEntity2d {
 public:
  virtual void getInterval(AcGeInterval& interval) const = 0;
  virtual AcGePoint2d evalPoint(double param) const = 0;
  bool hasStartPoint(AcGePoint2d& p) const;
  bool hasEndPoint(AcGePoint2d& p) const;
  // numSample points uniform in parameter, from the start point to the end point.
  void getSamplePoints(int numSample, AcGePoint2dArray& points) const;
  void getSamplePoints(int numSample, AcGePoint2dArray& points, AcGeDoubleArray& params) const;
  bool isClosed(const AcGeTol& tol = AcGeContext::gTol) const;
  // The exact axis-aligned box of the curve.
  virtual AcGeBoundBlock2d orthoBoundBlock() const = 0;

 protected:
  bool isKindOfImpl(AcGe::EntityId id) const override { return id == AcGe::kEntity2d || id == AcGe::kCurve2d; }
};

class AcGeLineSeg2d : public AcGeCurve2d {
 public:
  AcGeLineSeg2d() = default;
  AcGeLineSeg2d(const AcGePoint2d& start, const AcGePoint2d& end) : start_(start), end_(end) {}

  AcGe::EntityId type() const override { return AcGe::kLineSeg2d; }
  AcGeEntity2d* copy() const override { return new AcGeLineSeg2d(*this); }
  AcGeEntity2d& transformBy(const AcGeMatrix2d& m) override;
  void getInterval(AcGeInterval& interval) const override { interval.set(0.0, 1.0); }
  AcGePoint2d evalPoint(double param) const override { return start_ + (end_ - start_) * param; }
  AcGeBoundBlock2d orthoBoundBlock() const override { return {start_, end_}; }

  AcGePoint2d startPoint() const { return start_; }
  AcGePoint2d endPoint() const { return end_; }
  double length() const { return start_.distanceTo(end_); }
  AcGeVector2d direction() const { return (end_ - start_).normal(); }
  AcGeLineSeg2d& set(const AcGePoint2d& start, const AcGePoint2d& end) { start_ = start; end_ = end; return *this; }

 protected:
  bool isKindOfImpl(AcGe::EntityId id) const override {
    return id == AcGe::kLineSeg2d || id == AcGe::kLinearEnt2d || AcGeCurve2d::isKindOfImpl(id);
  }

 private:
  AcGePoint2d start_;
  AcGePoint2d end_;
};

class AcGeCircArc2d : public AcGeCurve2d {
 public:
  AcGeCircArc2d() = default;
  AcGeCircArc2d(const AcGePoint2d& center, double radius);
  AcGeCircArc2d(const AcGePoint2d& center, double radius, double startAngle, double endAngle,
                const AcGeVector2d& refVec = AcGeVector2d::kXAxis, bool isClockWise = false);
  // The arc from startPoint through point to endPoint.
  AcGeCircArc2d(const AcGePoint2d& startPoint, const AcGePoint2d& point, const AcGePoint2d& endPoint);
  // The arc from startPoint to endPoint with the polyline bulge (tan of a quarter of the
  // included angle; negative = clockwise). bulgeFlag false reads bulge as the included angle.
  AcGeCircArc2d(const AcGePoint2d& startPoint, const AcGePoint2d& endPoint, double bulge, bool bulgeFlag = true);

  AcGe::EntityId type() const override { return AcGe::kCircArc2d; }
  AcGeEntity2d* copy() const override { return new AcGeCircArc2d(*this); }
  AcGeEntity2d& transformBy(const AcGeMatrix2d& m) override;
  void getInterval(AcGeInterval& interval) const override { interval.set(startAng_, endAng_); }
  AcGePoint2d evalPoint(double param) const override;
  AcGeBoundBlock2d orthoBoundBlock() const override;

  AcGePoint2d center() const { return center_; }
  double radius() const { return radius_; }
  double startAng() const { return startAng_; }
  double endAng() const { return endAng_; }
  bool isClockWise() const { return clockwise_; }
  AcGeVector2d refVec() const { return refVec_; }
  AcGePoint2d startPoint() const { return evalPoint(startAng_); }
  AcGePoint2d endPoint() const { return evalPoint(endAng_); }
  AcGeCircArc2d& setCenter(const AcGePoint2d& c) { center_ = c; return *this; }
  AcGeCircArc2d& setRadius(double r) { radius_ = r; return *this; }
  AcGeCircArc2d& setAngles(double startAngle, double endAngle);
  AcGeCircArc2d& setRefVec(const AcGeVector2d& v) { refVec_ = v.normal(); return *this; }
  AcGeCircArc2d& setToComplement();
  AcGeCircArc2d& set(const AcGePoint2d& center, double radius, double startAngle, double endAngle,
                     const AcGeVector2d& refVec = AcGeVector2d::kXAxis, bool isClockWise = false);

 protected:
  bool isKindOfImpl(AcGe::EntityId id) const override { return id == AcGe::kCircArc2d || AcGeCurve2d::isKindOfImpl(id); }

 private:
  AcGePoint2d center_;
  double radius_ = 0.0;
  double startAng_ = 0.0;
  double endAng_ = 6.283185307179586476925286766559;
  AcGeVector2d refVec_ = AcGeVector2d::kXAxis;
  bool clockwise_ = false;
};

class AcGeEllipArc2d : public AcGeCurve2d {
 public:
  AcGeEllipArc2d() = default;
  AcGeEllipArc2d(const AcGePoint2d& center, const AcGeVector2d& majorAxis, const AcGeVector2d& minorAxis,
                 double majorRadius, double minorRadius, double startAngle = 0.0,
                 double endAngle = 6.283185307179586476925286766559);
  explicit AcGeEllipArc2d(const AcGeCircArc2d& arc);

  AcGe::EntityId type() const override { return AcGe::kEllipArc2d; }
  AcGeEntity2d* copy() const override { return new AcGeEllipArc2d(*this); }
  AcGeEntity2d& transformBy(const AcGeMatrix2d& m) override;
  void getInterval(AcGeInterval& interval) const override { interval.set(startAng_, endAng_); }
  AcGePoint2d evalPoint(double param) const override;
  AcGeBoundBlock2d orthoBoundBlock() const override;

  AcGePoint2d center() const { return center_; }
  AcGeVector2d majorAxis() const { return majorAxis_; }
  AcGeVector2d minorAxis() const { return minorAxis_; }
  double majorRadius() const { return majorRadius_; }
  double minorRadius() const { return minorRadius_; }
  double startAng() const { return startAng_; }
  double endAng() const { return endAng_; }
  bool isClockWise() const;
  bool isCircular(const AcGeTol& tol = AcGeContext::gTol) const;
  AcGePoint2d startPoint() const { return evalPoint(startAng_); }
  AcGePoint2d endPoint() const { return evalPoint(endAng_); }
  AcGeEllipArc2d& setAngles(double startAngle, double endAngle);
  AcGeEllipArc2d& set(const AcGePoint2d& center, const AcGeVector2d& majorAxis, const AcGeVector2d& minorAxis,
                      double majorRadius, double minorRadius, double startAngle, double endAngle);

 protected:
  bool isKindOfImpl(AcGe::EntityId id) const override { return id == AcGe::kEllipArc2d || AcGeCurve2d::isKindOfImpl(id); }

 private:
  AcGePoint2d center_;
  AcGeVector2d majorAxis_ = AcGeVector2d::kXAxis;
  AcGeVector2d minorAxis_ = AcGeVector2d::kYAxis;
  double majorRadius_ = 1.0;
  double minorRadius_ = 1.0;
  double startAng_ = 0.0;
  double endAng_ = 6.283185307179586476925286766559;
};

class AcGeNurbCurve2d : public AcGeCurve2d {
 public:
  AcGeNurbCurve2d() = default;
  AcGeNurbCurve2d(int degree, const AcGeKnotVector& knots, const AcGePoint2dArray& controlPoints,
                  bool isPeriodic = false);
  AcGeNurbCurve2d(int degree, const AcGeKnotVector& knots, const AcGePoint2dArray& controlPoints,
                  const AcGeDoubleArray& weights, bool isPeriodic = false);

  AcGe::EntityId type() const override { return AcGe::kNurbCurve2d; }
  AcGeEntity2d* copy() const override { return new AcGeNurbCurve2d(*this); }
  AcGeEntity2d& transformBy(const AcGeMatrix2d& m) override;
  void getInterval(AcGeInterval& interval) const override;
  AcGePoint2d evalPoint(double param) const override;
  // The box of the control polygon (which contains the curve).
  AcGeBoundBlock2d orthoBoundBlock() const override;

  int degree() const { return degree_; }
  int order() const { return degree_ + 1; }
  bool isRational() const { return !weights_.isEmpty(); }
  bool isPeriodic() const { return periodic_; }
  int numControlPoints() const { return controlPoints_.length(); }
  AcGePoint2d controlPointAt(int i) const { return controlPoints_[i]; }
  int numKnots() const { return knots_.length(); }
  double knotAt(int i) const { return knots_[i]; }
  const AcGeKnotVector& knots() const { return knots_; }
  int numWeights() const { return weights_.length(); }
  double weightAt(int i) const { return weights_.isEmpty() ? 1.0 : weights_[i]; }
  // True when the definition can be evaluated: degree >= 1, enough control points, a
  // non-decreasing knot vector of the right length, and one positive weight per point.
  bool isValid() const;

 protected:
  bool isKindOfImpl(AcGe::EntityId id) const override {
    return id == AcGe::kNurbCurve2d || id == AcGe::kSplineEnt2d || AcGeCurve2d::isKindOfImpl(id);
  }

 private:
  int degree_ = 0;
  AcGeKnotVector knots_;
  AcGePoint2dArray controlPoints_;
  AcGeDoubleArray weights_;
  bool periodic_ = false;
};
