// Multilines.
#include "arx/dbmline.h"

#include "entity_geom.h"

AcGePoint3d AcDbMline::vertexAt(int index) const {
  if (index < 0 || index >= numVertices()) return AcGePoint3d::kOrigin;
  return vertices_[static_cast<std::size_t>(index)].point;
}

Acad::ErrorStatus AcDbMline::appendSeg(const AcGePoint3d& point) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  VertexData v;
  v.point = point;
  vertices_.push_back(v);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::removeLastSeg(AcGePoint3d& lastVertex) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (vertices_.empty()) return Acad::eInvalidIndex;
  lastVertex = vertices_.back().point;
  vertices_.pop_back();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::moveVertexAt(int index, const AcGePoint3d& point) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index < 0 || index >= numVertices()) return Acad::eInvalidIndex;
  vertices_[static_cast<std::size_t>(index)].point = point;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setClosedMline(bool closed) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  closed_ = closed;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setScale(double scale) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  scale_ = scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setJustification(MlineJustification j) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  justification_ = j;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  normal_ = n.normal();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setStyle(AcDbObjectId id) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  style_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setStyleName(const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  styleName_ = name ? name : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::setVertexData(int index, const VertexData& data) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index < 0 || index > numVertices()) return Acad::eInvalidIndex;
  if (index == numVertices())
    vertices_.push_back(data);
  else
    vertices_[static_cast<std::size_t>(index)] = data;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::getGeomExtents(AcDbExtents& extents) const {
  if (vertices_.empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  for (const auto& v : vertices_) extents.addPoint(v.point);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMline::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  for (auto& v : vertices_) {
    v.point.transformBy(xform);
    v.direction = (xform * v.direction).normal();
    v.miter = (xform * v.miter).normal();
  }
  if (img.uniform) scale_ *= img.scale;
  normal_ = img.normal;
  return Acad::eOk;
}
