// Heavy polylines: AcDb2dPolyline with AcDb2dVertex, AcDb3dPolyline with AcDb3dPolylineVertex.
//
// Models:
//   - vertices are entities owned by the polyline; a non-resident polyline owns (and deletes)
//     them; when the polyline is added to a database its vertices follow in order (closed,
//     each firing objectAppended), then its sequence end; appendVertex on a resident polyline
//     (open for write) adds the vertex to the database and leaves it open for write;
//   - vertexIterator() walks the vertices (the caller deletes the iterator);
//   - 2D vertices hold OCS positions (x, y, and a z the drawing gave them), bulge, widths,
//     tangent and a type (AcDb::Vertex2dType: 0 plain, 1 spline control, 2 spline fit,
//     3 curve fit); 3D vertices hold world positions and an AcDb::Vertex3dType (1 control);
//   - the geometry (parameters, extents, transformBy) runs through the vertices that are not
//     erased and not control vertices, like a lightweight polyline (2D: bulges in the OCS of
//     the normal at the polyline's elevation; 3D: straight segments); transformBy of a 2D
//     polyline with bulges refuses non-uniform scaling (eCannotScaleNonUniformly).
// Limitations: no curve or spline fitting (the polyline type is stored, the fit vertices a
// drawing provides are used as they are).
#pragma once

#include <vector>

#include "arx/dbcomplex.h"
#include "arx/dbcurve.h"

class AcDbPolyline;

class AcDbVertex : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbVertex);

 protected:
  AcDbVertex() = default;
  AcDbVertex(const AcDbVertex&) = default;
};

class AcDb2dVertex : public AcDbVertex {
 public:
  ACRX_DECLARE_MEMBERS(AcDb2dVertex);
  ARX_DECLARE_CLONE(AcDb2dVertex)
  AcDb2dVertex() = default;
  explicit AcDb2dVertex(const AcGePoint3d& position, double bulge = 0.0, double startWidth = 0.0,
                        double endWidth = 0.0, double tangent = 0.0, Adesk::Int32 vertexIdentifier = 0);

  AcDb::Vertex2dType vertexType() const { return type_; }
  Acad::ErrorStatus setVertexType(AcDb::Vertex2dType type);  // non-standard: drawing readers
  AcGePoint3d position() const { return position_; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  double bulge() const { return bulge_; }
  Acad::ErrorStatus setBulge(double b);
  double startWidth() const { return startWidth_; }
  Acad::ErrorStatus setStartWidth(double w);
  double endWidth() const { return endWidth_; }
  Acad::ErrorStatus setEndWidth(double w);
  double tangent() const { return tangent_; }
  Acad::ErrorStatus setTangent(double t);
  bool isTangentUsed() const { return tangentUsed_; }
  Acad::ErrorStatus useTangent();
  Acad::ErrorStatus ignoreTangent();
  Adesk::Int32 vertexIdentifier() const { return id_; }
  Acad::ErrorStatus setVertexIdentifier(Adesk::Int32 id);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  friend class AcDb2dPolyline;
  AcDb::Vertex2dType type_ = AcDb::k2dVertex;
  AcGePoint3d position_;
  double bulge_ = 0.0;
  double startWidth_ = 0.0;
  double endWidth_ = 0.0;
  double tangent_ = 0.0;
  bool tangentUsed_ = false;
  Adesk::Int32 id_ = 0;
};

class AcDb3dPolylineVertex : public AcDbVertex {
 public:
  ACRX_DECLARE_MEMBERS(AcDb3dPolylineVertex);
  ARX_DECLARE_CLONE(AcDb3dPolylineVertex)
  AcDb3dPolylineVertex() = default;
  explicit AcDb3dPolylineVertex(const AcGePoint3d& position) : position_(position) {}

  AcDb::Vertex3dType vertexType() const { return type_; }
  Acad::ErrorStatus setVertexType(AcDb::Vertex3dType type);  // non-standard: drawing readers
  AcGePoint3d position() const { return position_; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  friend class AcDb3dPolyline;
  AcDb::Vertex3dType type_ = AcDb::k3dSimpleVertex;
  AcGePoint3d position_;
};

class AcDb2dPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDb2dPolyline);
  ARX_DECLARE_CLONE(AcDb2dPolyline)
  AcDb2dPolyline() = default;
  AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation = 0.0,
                 bool closed = false, double defaultStartWidth = 0.0, double defaultEndWidth = 0.0,
                 const AcArray<double>* bulges = nullptr);
  AcDb2dPolyline(const AcDb2dPolyline& other);
  ~AcDb2dPolyline() override;

  Acad::ErrorStatus appendVertex(AcDb2dVertex* vertex);
  Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex);
  AcDbObjectIterator* vertexIterator() const;
  Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& seqEnd, AcDb::OpenMode mode);

  AcDb::Poly2dType polyType() const { return type_; }
  Acad::ErrorStatus setPolyType(AcDb::Poly2dType type);
  Acad::ErrorStatus makeClosed();
  Acad::ErrorStatus makeOpen();
  Acad::ErrorStatus setClosed(bool closed) { return closed ? makeClosed() : makeOpen(); }
  double elevation() const { return elevation_; }
  Acad::ErrorStatus setElevation(double e);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);
  double defaultStartWidth() const { return defaultStartWidth_; }
  Acad::ErrorStatus setDefaultStartWidth(double w);
  double defaultEndWidth() const { return defaultEndWidth_; }
  Acad::ErrorStatus setDefaultEndWidth(double w);
  bool isLinetypeGenerationOn() const { return linetypeGeneration_; }
  Acad::ErrorStatus setLinetypeGenerationOn();
  Acad::ErrorStatus setLinetypeGenerationOff();

  bool isClosed() const override { return closed_; }
  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  Acad::ErrorStatus subObjectsToDatabase(AcDbDatabase& db) override;

 private:
  AcDbPolyline* path() const;  // the geometry as a lightweight polyline (caller deletes)

  std::vector<AcDb2dVertex*> vertices_;
  AcDbSequenceEnd* seqEnd_ = nullptr;
  AcDb::Poly2dType type_ = AcDb::k2dSimplePoly;
  bool closed_ = false;
  bool linetypeGeneration_ = false;
  double elevation_ = 0.0;
  double thickness_ = 0.0;
  double defaultStartWidth_ = 0.0;
  double defaultEndWidth_ = 0.0;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
};

class AcDb3dPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDb3dPolyline);
  ARX_DECLARE_CLONE(AcDb3dPolyline)
  AcDb3dPolyline() = default;
  AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& vertices, bool closed = false);
  AcDb3dPolyline(const AcDb3dPolyline& other);
  ~AcDb3dPolyline() override;

  Acad::ErrorStatus appendVertex(AcDb3dPolylineVertex* vertex);
  Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex);
  AcDbObjectIterator* vertexIterator() const;
  Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& seqEnd, AcDb::OpenMode mode);

  AcDb::Poly3dType polyType() const { return type_; }
  Acad::ErrorStatus setPolyType(AcDb::Poly3dType type);
  Acad::ErrorStatus makeClosed();
  Acad::ErrorStatus makeOpen();
  Acad::ErrorStatus setClosed(bool closed) { return closed ? makeClosed() : makeOpen(); }

  bool isClosed() const override { return closed_; }
  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  Acad::ErrorStatus subObjectsToDatabase(AcDbDatabase& db) override;

 private:
  std::vector<AcGePoint3d> pathPoints() const;

  std::vector<AcDb3dPolylineVertex*> vertices_;
  AcDbSequenceEnd* seqEnd_ = nullptr;
  AcDb::Poly3dType type_ = AcDb::k3dSimplePoly;
  bool closed_ = false;
};
