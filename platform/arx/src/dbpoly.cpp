// 2D and 3D polylines with vertex entities.
#include "arx/dbpoly.h"

#include <cmath>

#include "arx/dbdatabase.h"
#include "arx/dbpl.h"
#include "entity_geom.h"

namespace {

template <class V>
Acad::ErrorStatus appendTo(AcDbEntity* owner, std::vector<V*>& list, AcDbObjectId& id, V* vertex) {
  id = AcDbObjectId::kNull;
  if (!vertex) return Acad::eNullEntityPointer;
  if (!owner->assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (vertex->isDatabaseResident()) return Acad::eAlreadyInDb;
  for (V* v : list)
    if (v == vertex) return Acad::eAlreadyInDb;
  if (owner->isDatabaseResident()) {
    if (vertex->layerId().isNull()) vertex->setLayer(owner->layerId());
    Acad::ErrorStatus es = owner->database()->addOwnedObject(id, vertex, owner->objectId(), true);
    if (id.isNull()) return es;
  }
  list.push_back(vertex);
  return Acad::eOk;
}

template <class V>
Acad::ErrorStatus residentSubObjects(AcDbEntity* owner, AcDbDatabase& db, std::vector<V*>& list,
                                     AcDbSequenceEnd*& seqEnd) {
  for (V* v : list) {
    if (v->isDatabaseResident()) continue;
    if (v->layerId().isNull() || v->layerId().database() != &db) v->setLayer(owner->layerId());
    AcDbObjectId id;
    Acad::ErrorStatus es = db.addOwnedObject(id, v, owner->objectId());
    if (es != Acad::eOk) return es;
  }
  if (!seqEnd) seqEnd = new AcDbSequenceEnd;
  if (!seqEnd->isDatabaseResident()) {
    seqEnd->setLayer(owner->layerId());
    AcDbObjectId id;
    return db.addOwnedObject(id, seqEnd, owner->objectId());
  }
  return Acad::eOk;
}

template <class V>
std::vector<AcDbEntity*> asEntities(const std::vector<V*>& list) {
  return std::vector<AcDbEntity*>(list.begin(), list.end());
}

Acad::ErrorStatus openSeqEnd(const AcDbEntity* owner, AcDbSequenceEnd* seqEnd, AcDbSequenceEnd*& out,
                             AcDb::OpenMode mode) {
  out = nullptr;
  if (!owner->isDatabaseResident() || !seqEnd) return Acad::eNotInDatabase;
  return acdbOpenObject(out, seqEnd->objectId(), mode, true);
}

#define ARX_SETTER(CLASS, NAME, TYPE, MEMBER)                 \
  Acad::ErrorStatus CLASS::NAME(TYPE v) {                     \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v;                                               \
    return Acad::eOk;                                         \
  }

}  // namespace

// --------------------------------------------------------------------------------- 2D vertex

AcDb2dVertex::AcDb2dVertex(const AcGePoint3d& position, double bulge, double startWidth, double endWidth,
                           double tangent, Adesk::Int32 vertexIdentifier)
    : position_(position), bulge_(bulge), startWidth_(startWidth), endWidth_(endWidth), tangent_(tangent),
      id_(vertexIdentifier) {}

ARX_SETTER(AcDb2dVertex, setVertexType, AcDb::Vertex2dType, type_)
ARX_SETTER(AcDb2dVertex, setPosition, const AcGePoint3d&, position_)
ARX_SETTER(AcDb2dVertex, setBulge, double, bulge_)
ARX_SETTER(AcDb2dVertex, setStartWidth, double, startWidth_)
ARX_SETTER(AcDb2dVertex, setEndWidth, double, endWidth_)
ARX_SETTER(AcDb2dVertex, setVertexIdentifier, Adesk::Int32, id_)

Acad::ErrorStatus AcDb2dVertex::setTangent(double t) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  tangent_ = t;
  tangentUsed_ = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::useTangent() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  tangentUsed_ = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::ignoreTangent() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  tangentUsed_ = false;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents(position_, position_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dVertex::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  position_.transformBy(xform);
  return Acad::eOk;
}

// --------------------------------------------------------------------------------- 3D vertex

ARX_SETTER(AcDb3dPolylineVertex, setVertexType, AcDb::Vertex3dType, type_)
ARX_SETTER(AcDb3dPolylineVertex, setPosition, const AcGePoint3d&, position_)

Acad::ErrorStatus AcDb3dPolylineVertex::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents(position_, position_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolylineVertex::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  position_.transformBy(xform);
  return Acad::eOk;
}

// ------------------------------------------------------------------------------- 2D polyline

AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation,
                               bool closed, double defaultStartWidth, double defaultEndWidth,
                               const AcArray<double>* bulges)
    : type_(type), closed_(closed), elevation_(elevation), defaultStartWidth_(defaultStartWidth),
      defaultEndWidth_(defaultEndWidth) {
  for (int i = 0; i < vertices.length(); ++i) {
    double b = bulges && bulges->isValid(i) ? (*bulges)[i] : 0.0;
    vertices_.push_back(new AcDb2dVertex(vertices[i], b, defaultStartWidth, defaultEndWidth));
  }
}

AcDb2dPolyline::AcDb2dPolyline(const AcDb2dPolyline& o)
    : AcDbCurve(o), type_(o.type_), closed_(o.closed_), linetypeGeneration_(o.linetypeGeneration_),
      elevation_(o.elevation_), thickness_(o.thickness_), defaultStartWidth_(o.defaultStartWidth_),
      defaultEndWidth_(o.defaultEndWidth_), normal_(o.normal_) {
  for (AcDb2dVertex* v : o.vertices_)
    if (!v->isErased()) vertices_.push_back(static_cast<AcDb2dVertex*>(v->clone()));
}

AcDb2dPolyline::~AcDb2dPolyline() {
  if (isDatabaseResident()) return;  // the database deletes resident vertices
  for (AcDb2dVertex* v : vertices_) delete v;
  delete seqEnd_;
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDb2dVertex* vertex) {
  AcDbObjectId id;
  return appendVertex(id, vertex);
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex) {
  return appendTo(this, vertices_, id, vertex);
}

AcDbObjectIterator* AcDb2dPolyline::vertexIterator() const { return new AcDbObjectIterator(asEntities(vertices_)); }

Acad::ErrorStatus AcDb2dPolyline::openSequenceEnd(AcDbSequenceEnd*& seqEnd, AcDb::OpenMode mode) {
  return openSeqEnd(this, seqEnd_, seqEnd, mode);
}

Acad::ErrorStatus AcDb2dPolyline::subObjectsToDatabase(AcDbDatabase& db) {
  return residentSubObjects(this, db, vertices_, seqEnd_);
}

ARX_SETTER(AcDb2dPolyline, setPolyType, AcDb::Poly2dType, type_)
ARX_SETTER(AcDb2dPolyline, setElevation, double, elevation_)
ARX_SETTER(AcDb2dPolyline, setThickness, double, thickness_)
ARX_SETTER(AcDb2dPolyline, setDefaultStartWidth, double, defaultStartWidth_)
ARX_SETTER(AcDb2dPolyline, setDefaultEndWidth, double, defaultEndWidth_)

Acad::ErrorStatus AcDb2dPolyline::makeClosed() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  closed_ = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::makeOpen() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  closed_ = false;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  normal_ = n.normal();
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setLinetypeGenerationOn() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  linetypeGeneration_ = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::setLinetypeGenerationOff() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  linetypeGeneration_ = false;
  return Acad::eOk;
}

AcDbPolyline* AcDb2dPolyline::path() const {
  auto* pl = new AcDbPolyline;
  unsigned int i = 0;
  for (AcDb2dVertex* v : vertices_) {
    if (v->isErased() || v->type_ == AcDb::k2dSplineCtlVertex) continue;
    pl->addVertexAt(i++, AcGePoint2d(v->position_.x, v->position_.y), v->bulge_, v->startWidth_, v->endWidth_);
  }
  pl->setClosed(closed_);
  pl->setNormal(normal_);
  pl->setElevation(elevation_);
  return pl;
}

#define ARX_VIA_PATH(CALL)              \
  AcDbPolyline* pl = path();            \
  Acad::ErrorStatus es = pl->CALL;      \
  delete pl;                            \
  return es;

Acad::ErrorStatus AcDb2dPolyline::getStartParam(double& param) const { ARX_VIA_PATH(getStartParam(param)) }
Acad::ErrorStatus AcDb2dPolyline::getEndParam(double& param) const { ARX_VIA_PATH(getEndParam(param)) }
Acad::ErrorStatus AcDb2dPolyline::getPointAtParam(double param, AcGePoint3d& point) const {
  ARX_VIA_PATH(getPointAtParam(param, point))
}
Acad::ErrorStatus AcDb2dPolyline::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  ARX_VIA_PATH(getParamAtPoint(point, param))
}
Acad::ErrorStatus AcDb2dPolyline::getDistAtParam(double param, double& dist) const {
  ARX_VIA_PATH(getDistAtParam(param, dist))
}
Acad::ErrorStatus AcDb2dPolyline::getParamAtDist(double dist, double& param) const {
  ARX_VIA_PATH(getParamAtDist(dist, param))
}
Acad::ErrorStatus AcDb2dPolyline::getGeomExtents(AcDbExtents& extents) const { ARX_VIA_PATH(getGeomExtents(extents)) }

Acad::ErrorStatus AcDb2dPolyline::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform) {
    for (AcDb2dVertex* v : vertices_)
      if (!v->isErased() && std::fabs(v->bulge_) >= 1e-10) return Acad::eCannotScaleNonUniformly;
  }
  const AcGeVector3d oldNormal = normal_;
  AcGePoint3d origin = xform * arxdetail::ocsToWorld(oldNormal, AcGePoint3d(0, 0, elevation_));
  double newElevation = arxdetail::worldToOcs(img.normal, origin).z;
  for (AcDb2dVertex* v : vertices_) {
    AcGePoint3d w = xform * arxdetail::ocsToWorld(oldNormal, AcGePoint3d(v->position_.x, v->position_.y, elevation_));
    AcGePoint3d o = arxdetail::worldToOcs(img.normal, w);
    // The vertex keeps its own height above the polyline's plane.
    v->position_.set(o.x, o.y, v->position_.z - elevation_ + newElevation);
    v->startWidth_ *= img.scale;
    v->endWidth_ *= img.scale;
  }
  defaultStartWidth_ *= img.scale;
  defaultEndWidth_ *= img.scale;
  normal_ = img.normal;
  elevation_ = newElevation;
  return Acad::eOk;
}

// ------------------------------------------------------------------------------- 3D polyline

AcDb3dPolyline::AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& vertices, bool closed)
    : type_(type), closed_(closed) {
  for (const auto& p : vertices) vertices_.push_back(new AcDb3dPolylineVertex(p));
}

AcDb3dPolyline::AcDb3dPolyline(const AcDb3dPolyline& o) : AcDbCurve(o), type_(o.type_), closed_(o.closed_) {
  for (AcDb3dPolylineVertex* v : o.vertices_)
    if (!v->isErased()) vertices_.push_back(static_cast<AcDb3dPolylineVertex*>(v->clone()));
}

AcDb3dPolyline::~AcDb3dPolyline() {
  if (isDatabaseResident()) return;
  for (AcDb3dPolylineVertex* v : vertices_) delete v;
  delete seqEnd_;
}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDb3dPolylineVertex* vertex) {
  AcDbObjectId id;
  return appendVertex(id, vertex);
}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex) {
  return appendTo(this, vertices_, id, vertex);
}

AcDbObjectIterator* AcDb3dPolyline::vertexIterator() const { return new AcDbObjectIterator(asEntities(vertices_)); }

Acad::ErrorStatus AcDb3dPolyline::openSequenceEnd(AcDbSequenceEnd*& seqEnd, AcDb::OpenMode mode) {
  return openSeqEnd(this, seqEnd_, seqEnd, mode);
}

Acad::ErrorStatus AcDb3dPolyline::subObjectsToDatabase(AcDbDatabase& db) {
  return residentSubObjects(this, db, vertices_, seqEnd_);
}

ARX_SETTER(AcDb3dPolyline, setPolyType, AcDb::Poly3dType, type_)

Acad::ErrorStatus AcDb3dPolyline::makeClosed() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  closed_ = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::makeOpen() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  closed_ = false;
  return Acad::eOk;
}

std::vector<AcGePoint3d> AcDb3dPolyline::pathPoints() const {
  std::vector<AcGePoint3d> pts;
  for (AcDb3dPolylineVertex* v : vertices_)
    if (!v->isErased() && v->type_ != AcDb::k3dControlVertex) pts.push_back(v->position_);
  if (closed_ && pts.size() > 1) pts.push_back(pts.front());
  return pts;
}

Acad::ErrorStatus AcDb3dPolyline::getStartParam(double& param) const {
  if (pathPoints().empty()) return Acad::eNotApplicable;
  param = 0;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getEndParam(double& param) const {
  auto pts = pathPoints();
  if (pts.empty()) return Acad::eNotApplicable;
  param = static_cast<double>(pts.size() - 1);
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getPointAtParam(double param, AcGePoint3d& point) const {
  auto pts = pathPoints();
  if (pts.empty()) return Acad::eNotApplicable;
  double end = static_cast<double>(pts.size() - 1);
  if (param < -1e-12 || param > end + 1e-12) return Acad::eInvalidInput;
  param = std::fmin(std::fmax(param, 0.0), end);
  auto k = static_cast<std::size_t>(std::floor(param));
  if (k >= pts.size() - 1) {
    point = pts.back();
    return Acad::eOk;
  }
  point = pts[k] + (pts[k + 1] - pts[k]) * (param - static_cast<double>(k));
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getDistAtParam(double param, double& dist) const {
  auto pts = pathPoints();
  if (pts.empty()) return Acad::eNotApplicable;
  double end = static_cast<double>(pts.size() - 1);
  if (param < -1e-12 || param > end + 1e-12) return Acad::eInvalidInput;
  dist = 0;
  for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
    double f = std::fmin(std::fmax(param - static_cast<double>(k), 0.0), 1.0);
    dist += pts[k].distanceTo(pts[k + 1]) * f;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getParamAtDist(double dist, double& param) const {
  auto pts = pathPoints();
  if (pts.empty()) return Acad::eNotApplicable;
  double left = dist;
  for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
    double len = pts[k].distanceTo(pts[k + 1]);
    if (left <= len + 1e-12) {
      param = static_cast<double>(k) + (len > 0 ? std::fmax(left, 0.0) / len : 0.0);
      return dist < -1e-9 ? Acad::eInvalidInput : Acad::eOk;
    }
    left -= len;
  }
  return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDb3dPolyline::getGeomExtents(AcDbExtents& extents) const {
  auto pts = pathPoints();
  if (pts.empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  for (const auto& p : pts) extents.addPoint(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  for (AcDb3dPolylineVertex* v : vertices_) v->position_.transformBy(xform);
  return Acad::eOk;
}
