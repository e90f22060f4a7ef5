// AcDbMline: a multiline (parallel lines along a path of vertices).
//
// Models: the vertices in world coordinates, closed flag, scale, justification (top 0,
// zero 1, bottom 2), normal and style; per vertex the drawing file's direction, miter and
// element/fill parameters are kept for writing them back. Extents are the vertices' box;
// transformBy moves the vertices (the scale follows a uniform scaling). Not a curve.
// Limitations: the element offsets of the style are not applied (extents do not include the
// multiline's width); no mline style objects (the style is an id and a name).
#pragma once

#include <string>
#include <vector>

#include "arx/dbentity.h"

class AcDbMline : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbMline);
  ARX_DECLARE_CLONE(AcDbMline)

  enum MlineJustification { kTop = 0, kZero = 1, kBottom = 2 };

  // What a drawing file stores per vertex (non-standard).
  struct VertexData {
    AcGePoint3d point;
    AcGeVector3d direction;
    AcGeVector3d miter;
    std::vector<std::vector<double>> elementParams;
    std::vector<std::vector<double>> fillParams;
  };

  AcDbMline() = default;

  int numVertices() const { return static_cast<int>(vertices_.size()); }
  AcGePoint3d vertexAt(int index) const;
  Acad::ErrorStatus appendSeg(const AcGePoint3d& point);
  Acad::ErrorStatus removeLastSeg(AcGePoint3d& lastVertex);
  Acad::ErrorStatus moveVertexAt(int index, const AcGePoint3d& point);
  bool closedMline() const { return closed_; }
  Acad::ErrorStatus setClosedMline(bool closed);
  double scale() const { return scale_; }
  Acad::ErrorStatus setScale(double scale);
  MlineJustification justification() const { return justification_; }
  Acad::ErrorStatus setJustification(MlineJustification j);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  AcDbObjectId style() const { return style_; }
  Acad::ErrorStatus setStyle(AcDbObjectId id);
  const std::u16string& styleName() const { return styleName_; }  // non-standard
  Acad::ErrorStatus setStyleName(const ACHAR* name);              // non-standard
  const VertexData& vertexData(int index) const { return vertices_.at(static_cast<std::size_t>(index)); }
  Acad::ErrorStatus setVertexData(int index, const VertexData& data);  // non-standard

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  std::vector<VertexData> vertices_;
  bool closed_ = false;
  double scale_ = 1.0;
  MlineJustification justification_ = kTop;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  AcDbObjectId style_;
  std::u16string styleName_ = u"STANDARD";
};
