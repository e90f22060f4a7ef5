// AcDbPolyline: the lightweight polyline (2D vertices with bulges and widths in an OCS plane).
//
// Models:
//   - vertices are OCS points at the polyline's elevation; bulge = tan(included angle / 4) of
//     the segment starting at that vertex, positive counter-clockwise about the normal;
//   - segType(i): kEmpty (4) when there are no vertices, for an index outside [0, n), and for
//     the last index of an open polyline; kPoint (3) for index 0 of a single-vertex polyline;
//     kCoincident (2) when the segment's two ends are equal within AcGeContext::gTol; else
//     kArc (1) when |bulge| >= 1e-10 and kLine (0) otherwise. The last index of a closed
//     polyline is the closing segment back to vertex 0;
//   - parameters: vertex i is at parameter i, the closing segment of a closed polyline ends
//     at n; along an arc the parameter is proportional to the swept angle;
//   - addVertexAt with width -1 uses the constant width when one was set (else 0);
//     getConstantWidth succeeds only when every start and end width is the same
//     (eNotApplicable otherwise);
//   - extents: the vertices plus the extreme points of bulge arcs (widths ignored);
//   - transformBy: a reflection gives the opposite normal (bulges keep their sign about it);
//     a non-uniform scaling of a polyline with arc segments is eCannotScaleNonUniformly.
// Limitations: no vertex identifiers beyond storing them; widths do not contribute extents.
#pragma once

#include <vector>

#include "arx/dbcurve.h"
#include "arx/gecurv2d.h"

class AcDbPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPolyline);
  ARX_DECLARE_CLONE(AcDbPolyline)

  enum SegType { kLine = 0, kArc = 1, kCoincident = 2, kPoint = 3, kEmpty = 4 };

  AcDbPolyline() = default;
  explicit AcDbPolyline(unsigned int numVerts) { vertices_.reserve(numVerts); }

  unsigned int numVerts() const { return static_cast<unsigned int>(vertices_.size()); }
  bool isOnlyLines() const;
  // index may be numVerts() (append); beyond is eInvalidIndex.
  Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge = 0.0,
                                double startWidth = -1.0, double endWidth = -1.0, Adesk::Int32 vertexIdentifier = 0);
  Acad::ErrorStatus removeVertexAt(unsigned int index);
  void reset(bool reuse, unsigned int numVerts);

  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& point) const;
  // The vertex in world coordinates.
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& point) const;
  Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& point);
  Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
  Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
  Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
  Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
  Acad::ErrorStatus getVertexIdentifierAt(unsigned int index, Adesk::Int32& id) const;
  Acad::ErrorStatus getConstantWidth(double& width) const;
  Acad::ErrorStatus setConstantWidth(double width);

  SegType segType(unsigned int index) const;
  Acad::ErrorStatus getLineSegAt(unsigned int index, AcGeLineSeg2d& line) const;
  Acad::ErrorStatus getArcSegAt(unsigned int index, AcGeCircArc2d& arc) const;

  Acad::ErrorStatus setClosed(bool closed);
  double elevation() const { return elevation_; }
  Acad::ErrorStatus setElevation(double elevation);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);
  bool hasPlinegen() const { return plinegen_; }
  Acad::ErrorStatus setPlinegen(bool on);
  double length() const;

  bool isClosed() const override { return closed_; }
  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  struct Vertex {
    AcGePoint2d point;
    double bulge = 0.0;
    double startWidth = 0.0;
    double endWidth = 0.0;
    Adesk::Int32 id = 0;
  };
  unsigned int numSegments() const;
  double segmentLength(unsigned int seg) const;
  AcGePoint2d pointOnSegment(unsigned int seg, double fraction) const;

  std::vector<Vertex> vertices_;
  bool closed_ = false;
  bool plinegen_ = false;
  double elevation_ = 0.0;
  double thickness_ = 0.0;
  double constantWidth_ = -1.0;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
};
