// Entities written as DXF: one writer per entity class, OCS entities turned back from the
// database's world coordinates into their object coordinate system.
#include <cmath>

#include "arx/dbblkref.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbimage.h"
#include "arx/dbmline.h"
#include "arx/dbmtext.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbproxy.h"
#include "arx/dbregion.h"
#include "arx/dbspline.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "db_internal.h"
#include "dxf_write.h"
#include "win32/unicode.h"

namespace arxdxf::detail {

using arxdetail::DbAccess;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = 180.0 / kPi;

AcGePoint3d worldToOcs(const AcGeVector3d& normal, const AcGePoint3d& p) {
  if (normal.isEqualTo(AcGeVector3d::kZAxis)) return p;
  return AcGeMatrix3d::worldToPlane(normal) * p;
}

void head(Writer& w, const char* type, AcDbObjectId id, const AcDbEntity& e, AcDbHandle owner, bool paper,
          const std::vector<AcDbHandle>& extraReactors = {}) {
  w.begin(type, id.handle(), &e, owner, extraReactors);
  w.entityProperties(e, paper);
}

void writePoint(Writer& w, const AcDbPoint& e) {
  w.raw(100, "AcDbPoint");
  w.point(10, e.position());
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  w.normal(e.normal());
  if (e.ecsRotation() != 0.0) w.real(50, e.ecsRotation() * kDegrees);
}

void writeLine(Writer& w, const AcDbLine& e) {
  w.raw(100, "AcDbLine");
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  w.point(10, e.startPoint());
  w.point(11, e.endPoint());
  w.normal(e.normal());
}

void writeCircle(Writer& w, const AcDbCircle& e) {
  w.raw(100, "AcDbCircle");
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  w.point(10, worldToOcs(e.normal(), e.center()));
  w.real(40, e.radius());
  w.normal(e.normal());
}

void writeArc(Writer& w, const AcDbArc& e) {
  w.raw(100, "AcDbCircle");
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  w.point(10, worldToOcs(e.normal(), e.center()));
  w.real(40, e.radius());
  w.normal(e.normal());
  w.raw(100, "AcDbArc");
  w.real(50, e.startAngle() * kDegrees);
  w.real(51, e.endAngle() * kDegrees);
}

void writeEllipse(Writer& w, const AcDbEllipse& e) {
  w.raw(100, "AcDbEllipse");
  w.point(10, e.center());
  w.vector(11, e.majorAxis());
  w.vector(210, e.normal());
  w.real(40, e.radiusRatio());
  double s = 0.0, t = 0.0;
  e.getStartParam(s);
  e.getEndParam(t);
  w.real(41, s);
  w.real(42, t);
}

void writeSpline(Writer& w, const AcDbSpline& e) {
  int degree = 3;
  bool rational = false, closed = false, periodic = false;
  AcGePoint3dArray ctrl, fit;
  AcGeDoubleArray knots, weights;
  double ctrlTol = 0.0, knotTol = 0.0, fitTol = 0.0;
  e.getNurbsData(degree, rational, closed, periodic, ctrl, knots, weights, ctrlTol, knotTol);
  int fitDegree = degree;
  bool tangents = false;
  AcGeVector3d t0, t1;
  e.getFitData(fit, fitDegree, fitTol, tangents, t0, t1);
  w.raw(100, "AcDbSpline");
  w.integer(70, (closed ? 1 : 0) | (periodic ? 2 : 0) | (rational ? 4 : 0) | (e.isPlanar() ? 8 : 0));
  w.integer(71, degree);
  w.integer(72, knots.length());
  w.integer(73, ctrl.length());
  w.integer(74, fit.length());
  w.real(42, knotTol > 0.0 ? knotTol : 1e-10);
  w.real(43, ctrlTol > 0.0 ? ctrlTol : 1e-10);
  w.real(44, fitTol > 0.0 ? fitTol : 1e-10);
  if (!fit.isEmpty() && tangents) {
    w.vector(12, t0);
    w.vector(13, t1);
  }
  for (double k : knots) w.real(40, k);
  if (rational)
    for (double wt : weights) w.real(41, wt);
  for (const AcGePoint3d& p : ctrl) w.point(10, p);
  for (const AcGePoint3d& p : fit) w.point(11, p);
}

void writeLwPolyline(Writer& w, const AcDbPolyline& e) {
  w.raw(100, "AcDbPolyline");
  w.integer(90, e.numVerts());
  w.integer(70, (e.isClosed() ? 1 : 0) | (e.hasPlinegen() ? 128 : 0));
  double constant = 0.0;
  const bool uniform = e.getConstantWidth(constant) == Acad::eOk;
  if (uniform) w.real(43, constant);
  if (e.elevation() != 0.0) w.real(38, e.elevation());
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  for (unsigned i = 0; i < e.numVerts(); ++i) {
    AcGePoint2d p;
    double bulge = 0.0, sw = 0.0, ew = 0.0;
    Adesk::Int32 vid = 0;
    e.getPointAt(i, p);
    e.getBulgeAt(i, bulge);
    e.getWidthsAt(i, sw, ew);
    e.getVertexIdentifierAt(i, vid);
    w.point2d(10, p.x, p.y);
    if (!uniform) {
      w.real(40, sw);
      w.real(41, ew);
    }
    if (bulge != 0.0) w.real(42, bulge);
    if (vid != 0) w.integer(91, vid);
  }
  w.normal(e.normal());
}

void seqEnd(Writer& w, AcDbObjectId owner, const AcDbEntity& ownerEntity, bool paper) {
  auto it = w.seqEnds.find(owner);
  AcDbHandle h = it != w.seqEnds.end() ? it->second.handle() : w.newHandle();
  w.raw(0, "SEQEND");
  w.handle(5, h);
  w.handle(330, owner);
  w.raw(100, "AcDbEntity");
  if (paper) w.integer(67, 1);
  std::u16string layer = w.nameOf(ownerEntity.layerId());
  w.str(8, layer.empty() ? u"0" : layer);
}

int vertexFlags(AcDb::Vertex2dType t) {
  switch (t) {
    case AcDb::k2dVertex: return 0;
    case AcDb::k2dSplineCtlVertex: return 16;
    case AcDb::k2dSplineFitVertex: return 8;
    case AcDb::k2dCurveFitVertex: return 1;
  }
  return 0;
}

void write2dPolyline(Writer& w, AcDbObjectId id, const AcDb2dPolyline& e, bool paper) {
  w.raw(100, "AcDb2dPolyline");
  w.integer(66, 1);
  w.point(10, AcGePoint3d(0, 0, e.elevation()));
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  int flags = e.isClosed() ? 1 : 0;
  int curve = 0;
  switch (e.polyType()) {
    case AcDb::k2dSimplePoly: break;
    case AcDb::k2dFitCurvePoly: flags |= 2; break;
    case AcDb::k2dQuadSplinePoly: flags |= 4; curve = 5; break;
    case AcDb::k2dCubicSplinePoly: flags |= 4; curve = 6; break;
  }
  if (e.isLinetypeGenerationOn()) flags |= 128;
  w.integer(70, flags);
  if (e.defaultStartWidth() != 0.0) w.real(40, e.defaultStartWidth());
  if (e.defaultEndWidth() != 0.0) w.real(41, e.defaultEndWidth());
  if (curve) w.integer(75, curve);
  w.normal(e.normal());
  w.xdata(e);
  AcDbObjectIterator* it = e.vertexIterator();
  for (it->start(); !it->done(); it->step()) {
    auto* v = AcDb2dVertex::cast(it->entity());
    if (!v) continue;
    AcDbObjectId vid = it->objectId();
    w.begin("VERTEX", vid.isNull() ? w.newHandle() : vid.handle(), v, id.handle());
    w.entityProperties(*v, paper);
    w.raw(100, "AcDbVertex");
    w.raw(100, "AcDb2dVertex");
    w.point(10, v->position());
    if (v->startWidth() != 0.0) w.real(40, v->startWidth());
    if (v->endWidth() != 0.0) w.real(41, v->endWidth());
    if (v->bulge() != 0.0) w.real(42, v->bulge());
    w.integer(70, vertexFlags(v->vertexType()) | (v->isTangentUsed() ? 2 : 0));
    if (v->isTangentUsed()) w.real(50, v->tangent() * kDegrees);
    if (v->vertexIdentifier() != 0) w.integer(91, v->vertexIdentifier());
    w.xdata(*v);
  }
  delete it;
  seqEnd(w, id, e, paper);
}

void write3dPolyline(Writer& w, AcDbObjectId id, const AcDb3dPolyline& e, bool paper) {
  w.raw(100, "AcDb3dPolyline");
  w.integer(66, 1);
  w.point(10, AcGePoint3d::kOrigin);
  int flags = 8 | (e.isClosed() ? 1 : 0);
  int curve = 0;
  if (e.polyType() == AcDb::k3dQuadSplinePoly) flags |= 4, curve = 5;
  if (e.polyType() == AcDb::k3dCubicSplinePoly) flags |= 4, curve = 6;
  w.integer(70, flags);
  if (curve) w.integer(75, curve);
  w.xdata(e);
  AcDbObjectIterator* it = e.vertexIterator();
  for (it->start(); !it->done(); it->step()) {
    auto* v = AcDb3dPolylineVertex::cast(it->entity());
    if (!v) continue;
    AcDbObjectId vid = it->objectId();
    w.begin("VERTEX", vid.isNull() ? w.newHandle() : vid.handle(), v, id.handle());
    w.entityProperties(*v, paper);
    w.raw(100, "AcDbVertex");
    w.raw(100, "AcDb3dPolylineVertex");
    w.point(10, v->position());
    int vf = 32;
    if (v->vertexType() == AcDb::k3dControlVertex) vf |= 16;
    if (v->vertexType() == AcDb::k3dFitVertex) vf |= 8;
    w.integer(70, vf);
    w.xdata(*v);
  }
  delete it;
  seqEnd(w, id, e, paper);
}

void writeMline(Writer& w, const AcDbMline& e) {
  w.raw(100, "AcDbMline");
  w.str(2, e.styleName());
  AcDbHandle style = e.style().isValid() ? e.style().handle() : w.standardMlineStyle;
  w.handle(340, style);
  w.real(40, e.scale());
  w.integer(70, e.justification());
  const int n = e.numVertices();
  w.integer(71, (n > 0 ? 1 : 0) | (e.closedMline() ? 2 : 0));
  w.integer(72, n);
  std::size_t elements = n > 0 ? e.vertexData(0).elementParams.size() : 0;
  w.integer(73, static_cast<long long>(elements));
  w.point(10, n > 0 ? e.vertexAt(0) : AcGePoint3d::kOrigin);
  w.vector(210, e.normal());
  for (int i = 0; i < n; ++i) {
    const AcDbMline::VertexData& v = e.vertexData(i);
    AcGeVector3d dir = v.direction, miter = v.miter;
    if (dir.isZeroLength()) {
      // Directions the drawing did not give: along the segment, the miter across it.
      AcGePoint3d a = e.vertexAt(i), b = e.vertexAt(i + 1 < n ? i + 1 : i);
      if (i + 1 >= n && i > 0) a = e.vertexAt(i - 1), b = e.vertexAt(i);
      dir = (b - a).isZeroLength() ? AcGeVector3d::kXAxis : (b - a).normal();
    }
    if (miter.isZeroLength()) miter = e.normal().crossProduct(dir);
    w.point(11, v.point);
    w.vector(12, dir);
    w.vector(13, miter);
    for (std::size_t el = 0; el < elements; ++el) {
      const std::vector<double> params = el < v.elementParams.size() ? v.elementParams[el] : std::vector<double>{};
      const std::vector<double> fill = el < v.fillParams.size() ? v.fillParams[el] : std::vector<double>{};
      w.integer(74, static_cast<long long>(params.size()));
      for (double p : params) w.real(41, p);
      w.integer(75, static_cast<long long>(fill.size()));
      for (double f : fill) w.real(42, f);
    }
  }
}

void writeSolid(Writer& w, const AcDbSolid& e) {
  w.raw(100, "AcDbTrace");
  for (Adesk::UInt16 i = 0; i < 4; ++i) {
    AcGePoint3d p;
    e.getPointAt(i, p);
    w.point(10 + i, worldToOcs(e.normal(), p));
  }
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  w.normal(e.normal());
}

// The groups TEXT, ATTDEF and ATTRIB share (subclass AcDbText).
void writeTextPart(Writer& w, const AcDbText& e) {
  w.raw(100, "AcDbText");
  if (e.thickness() != 0.0) w.real(39, e.thickness());
  w.point(10, worldToOcs(e.normal(), e.position()));
  w.real(40, e.height());
  w.str(1, e.textString());
  if (e.rotation() != 0.0) w.real(50, e.rotation() * kDegrees);
  if (e.widthFactor() != 1.0) w.real(41, e.widthFactor());
  if (e.oblique() != 0.0) w.real(51, e.oblique() * kDegrees);
  std::u16string style = w.nameOf(e.textStyle());
  w.str(7, style.empty() ? u"Standard" : style);
  int mirror = (e.isMirroredInX() ? 2 : 0) | (e.isMirroredInY() ? 4 : 0);
  if (mirror) w.integer(71, mirror);
  if (e.horizontalMode() != AcDb::kTextLeft) w.integer(72, e.horizontalMode());
  if (!e.isDefaultAlignment()) w.point(11, worldToOcs(e.normal(), e.alignmentPoint()));
  w.normal(e.normal());
}

int attributeFlags(bool invisible, bool constant, bool verifiable, bool preset) {
  return (invisible ? 1 : 0) | (constant ? 2 : 0) | (verifiable ? 4 : 0) | (preset ? 8 : 0);
}

void writeText(Writer& w, const AcDbText& e) {
  writeTextPart(w, e);
  w.raw(100, "AcDbText");
  if (e.verticalMode() != AcDb::kTextBase) w.integer(73, e.verticalMode());
}

void writeAttdef(Writer& w, const AcDbAttributeDefinition& e) {
  writeTextPart(w, e);
  w.raw(100, "AcDbAttributeDefinition");
  w.str(3, e.prompt());
  w.str(2, e.tag());
  w.integer(70, attributeFlags(e.isInvisible(), e.isConstant(), e.isVerifiable(), e.isPreset()));
  if (e.fieldLength() != 0) w.integer(73, e.fieldLength());
  if (e.verticalMode() != AcDb::kTextBase) w.integer(74, e.verticalMode());
}

void writeAttrib(Writer& w, const AcDbAttribute& e) {
  writeTextPart(w, e);
  w.raw(100, "AcDbAttribute");
  w.str(2, e.tag());
  w.integer(70, attributeFlags(e.isInvisible(), e.isConstant(), e.isVerifiable(), e.isPreset()));
  if (e.fieldLength() != 0) w.integer(73, e.fieldLength());
  if (e.verticalMode() != AcDb::kTextBase) w.integer(74, e.verticalMode());
}

void writeMText(Writer& w, const AcDbMText& e) {
  w.raw(100, "AcDbMText");
  w.point(10, e.location());
  w.real(40, e.textHeight());
  w.real(41, e.width());
  w.integer(71, e.attachment());
  w.integer(72, e.flowDirection());
  // Text in chunks of 250 characters (3), the last one in 1; a surrogate pair stays whole.
  const std::u16string text = e.contents();
  std::size_t pos = 0;
  while (text.size() - pos > 250) {
    std::size_t n = 250;
    if (text[pos + n - 1] >= 0xD800 && text[pos + n - 1] <= 0xDBFF) --n;
    w.str(3, std::u16string_view(text).substr(pos, n));
    pos += n;
  }
  w.str(1, std::u16string_view(text).substr(pos));
  std::u16string style = w.nameOf(e.textStyle());
  w.str(7, style.empty() ? u"Standard" : style);
  w.normal(e.normal());
  w.vector(11, e.direction());
  w.integer(73, e.lineSpacingStyle());
  w.real(44, e.lineSpacingFactor());
}

void writeInsert(Writer& w, AcDbObjectId id, const AcDbBlockReference& e, bool paper) {
  AcDbObjectIterator* it = e.attributeIterator();
  bool hasAttributes = false;
  for (it->start(); !it->done(); it->step()) hasAttributes = true;
  w.raw(100, "AcDbBlockReference");
  if (hasAttributes) w.integer(66, 1);
  std::u16string name = w.nameOf(e.blockTableRecord());
  if (name.empty()) w.warn("block reference " + win32::utf16ToUtf8(id.handle().ascii()) + " names no block");
  w.str(2, name);
  w.point(10, worldToOcs(e.normal(), e.position()));
  const AcGeScale3d s = e.scaleFactors();
  if (s.sx != 1.0) w.real(41, s.sx);
  if (s.sy != 1.0) w.real(42, s.sy);
  if (s.sz != 1.0) w.real(43, s.sz);
  if (e.rotation() != 0.0) w.real(50, e.rotation() * kDegrees);
  w.normal(e.normal());
  w.xdata(e);
  if (hasAttributes) {
    for (it->start(); !it->done(); it->step()) {
      auto* a = AcDbAttribute::cast(it->entity());
      if (!a) continue;
      AcDbObjectId aid = it->objectId();
      w.begin("ATTRIB", aid.isNull() ? w.newHandle() : aid.handle(), a, id.handle());
      w.entityProperties(*a, paper);
      writeAttrib(w, *a);
      w.xdata(*a);
    }
    seqEnd(w, id, e, paper);
  }
  delete it;
}

void writeRegion(Writer& w, const AcDbRegion& e) {
  if (e.modelerData().empty() || e.modelerData().front().code != 100) w.raw(100, "AcDbModelerGeometry");
  w.rawGroups(e.modelerData(), AcDbHandle());
}

void writeImage(Writer& w, AcDbObjectId id, const AcDbRasterImage& e) {
  w.raw(100, "AcDbRasterImage");
  w.integer(90, 0);
  AcGePoint3d origin;
  AcGeVector3d u, v;
  e.getOrientation(origin, u, v);
  AcGeVector2d size = e.imageSize();
  if (!(size.x > 0 && size.y > 0)) size = AcGeVector2d(1.0, 1.0);
  w.point(10, origin);
  w.vector(11, u / size.x);
  w.vector(12, v / size.y);
  w.point2d(13, size.x, size.y);
  w.handle(340, e.imageDefId());
  int display = (e.isSetDisplayOpt(AcDbRasterImage::kShow) ? 1 : 0) |
                (e.isSetDisplayOpt(AcDbRasterImage::kShowUnAligned) ? 2 : 0) |
                (e.isSetDisplayOpt(AcDbRasterImage::kClip) ? 4 : 0) |
                (e.isSetDisplayOpt(AcDbRasterImage::kTransparent) ? 8 : 0);
  w.integer(70, display);
  w.integer(280, e.isClipped() ? 1 : 0);
  w.integer(281, e.brightness());
  w.integer(282, e.contrast());
  w.integer(283, e.fade());
  auto r = w.imageReactorOfImage.find(id);
  w.handle(360, r != w.imageReactorOfImage.end() ? r->second : AcDbHandle());
  if (e.clipBoundaryType() != AcDbRasterImage::kInvalid && e.clipBoundary().length() >= 2) {
    w.integer(71, e.clipBoundaryType());
    w.integer(91, e.clipBoundary().length());
    for (const AcGePoint2d& p : e.clipBoundary()) w.point2d(14, p.x, p.y);
  } else {
    // The whole picture: its pixel corners.
    w.integer(71, 1);
    w.integer(91, 2);
    w.point2d(14, -0.5, -0.5);
    w.point2d(14, size.x - 0.5, size.y - 0.5);
  }
}

// ----------------------------------------------------------------------------------- hatch

double angleOf(const AcGeVector2d& v) { return std::atan2(v.y, v.x); }

void writeEdge(Writer& w, const AcGeCurve2d* c, int type) {
  w.integer(72, type);
  switch (type) {
    case AcDbHatch::kLine: {
      auto* l = static_cast<const AcGeLineSeg2d*>(c);
      w.point2d(10, l->startPoint().x, l->startPoint().y);
      w.point2d(11, l->endPoint().x, l->endPoint().y);
      break;
    }
    case AcDbHatch::kCirArc: {
      auto* a = static_cast<const AcGeCircArc2d*>(c);
      const double ref = angleOf(a->refVec());
      // Counter-clockwise arcs measure from X counter-clockwise, clockwise ones clockwise.
      const double s = a->isClockWise() ? a->startAng() - ref : a->startAng() + ref;
      const double e = a->isClockWise() ? a->endAng() - ref : a->endAng() + ref;
      w.point2d(10, a->center().x, a->center().y);
      w.real(40, a->radius());
      w.real(50, s * kDegrees);
      w.real(51, e * kDegrees);
      w.integer(73, a->isClockWise() ? 0 : 1);
      break;
    }
    case AcDbHatch::kEllArc: {
      auto* el = static_cast<const AcGeEllipArc2d*>(c);
      const AcGeVector2d major = el->majorAxis() * el->majorRadius();
      const double ratio = el->minorRadius() / el->majorRadius();
      auto angle = [ratio](double t) {
        double a = std::atan2(ratio * std::sin(t), std::cos(t));
        return a + 2 * kPi * std::round((t - a) / (2 * kPi));
      };
      w.point2d(10, el->center().x, el->center().y);
      w.point2d(11, major.x, major.y);
      w.real(40, ratio);
      w.real(50, angle(el->startAng()) * kDegrees);
      w.real(51, angle(el->endAng()) * kDegrees);
      w.integer(73, el->isClockWise() ? 0 : 1);
      break;
    }
    case AcDbHatch::kSpline: {
      auto* s = static_cast<const AcGeNurbCurve2d*>(c);
      w.integer(94, s->degree());
      w.integer(73, s->isRational() ? 1 : 0);
      w.integer(74, s->isPeriodic() ? 1 : 0);
      w.integer(95, s->numKnots());
      w.integer(96, s->numControlPoints());
      for (int i = 0; i < s->numKnots(); ++i) w.real(40, s->knotAt(i));
      for (int i = 0; i < s->numControlPoints(); ++i) {
        w.point2d(10, s->controlPointAt(i).x, s->controlPointAt(i).y);
        if (s->isRational()) w.real(42, s->weightAt(i));
      }
      if (w.r2013()) w.integer(97, 0);
      break;
    }
    default:
      break;
  }
}

void writeHatch(Writer& w, const AcDbHatch& e) {
  w.raw(100, "AcDbHatch");
  w.point(10, AcGePoint3d(0, 0, e.elevation()));
  w.vector(210, e.normal());
  w.str(2, e.patternName());
  const bool solid = e.isSolidFill();
  w.integer(70, solid ? 1 : 0);
  w.integer(71, e.associative() ? 1 : 0);
  w.integer(91, e.numLoops());
  for (int L = 0; L < e.numLoops(); ++L) {
    Adesk::Int32 type = e.loopTypeAt(L);
    w.integer(92, type);
    if (type & AcDbHatch::kPolyline) {
      AcGePoint2dArray verts;
      AcGeDoubleArray bulges;
      e.getLoopAt(L, type, verts, bulges);
      bool hasBulge = false;
      for (double b : bulges) hasBulge = hasBulge || b != 0.0;
      w.integer(72, hasBulge ? 1 : 0);
      w.integer(73, 1);
      w.integer(93, verts.length());
      for (int i = 0; i < verts.length(); ++i) {
        w.point2d(10, verts[i].x, verts[i].y);
        if (hasBulge) w.real(42, i < bulges.length() ? bulges[i] : 0.0);
      }
    } else {
      AcGeVoidPointerArray edges;
      AcGeIntArray types;
      e.getLoopAt(L, type, edges, types);
      w.integer(93, edges.length());
      for (int i = 0; i < edges.length(); ++i) {
        auto* c = static_cast<AcGeCurve2d*>(edges[i]);
        writeEdge(w, c, types[i]);
        delete c;
      }
    }
    AcDbObjectIdArray sources;
    if (e.associative()) e.getAssocObjIdsAt(L, sources);
    int live = 0;
    for (AcDbObjectId id : sources) live += id.isValid() && !id.isErased() ? 1 : 0;
    w.integer(97, live);
    for (AcDbObjectId id : sources)
      if (id.isValid() && !id.isErased()) w.handle(330, id);
  }
  w.integer(75, e.hatchStyle());
  w.integer(76, e.patternType());
  if (!solid) {
    w.real(52, e.patternAngle() * kDegrees);
    w.real(41, e.patternScale());
    w.integer(77, e.patternDouble() ? 1 : 0);
    w.integer(78, e.numPatternDefinitions());
    for (int i = 0; i < e.numPatternDefinitions(); ++i) {
      double angle = 0, bx = 0, by = 0, ox = 0, oy = 0;
      AcGeDoubleArray dashes;
      e.getPatternDefinitionAt(i, angle, bx, by, ox, oy, dashes);
      w.real(53, angle * kDegrees);
      w.real(43, bx);
      w.real(44, by);
      w.real(45, ox);
      w.real(46, oy);
      w.integer(79, dashes.length());
      for (double d : dashes) w.real(49, d);
    }
  }
  w.integer(98, e.numSeedPoints());
  for (int i = 0; i < e.numSeedPoints(); ++i) {
    AcGePoint2d p;
    e.getSeedPointAt(i, p);
    w.point2d(10, p.x, p.y);
  }
  if (e.isGradient()) {
    w.integer(450, 1);
    w.integer(451, 0);
    w.integer(452, e.getGradientOneColorMode() ? 1 : 0);
    unsigned count = 0;
    AcCmColor* colors = nullptr;
    float* values = nullptr;
    e.getGradientColors(count, colors, values);
    w.integer(453, count);
    w.real(460, e.gradientAngle());
    w.real(461, e.gradientShift());
    w.real(462, e.getShadeTintValue());
    for (unsigned i = 0; i < count; ++i) {
      w.real(463, values[i]);
      if (colors[i].isByColor()) {
        w.integer(63, AcCmEntityColor::lookUpACI(colors[i].red(), colors[i].green(), colors[i].blue()));
        w.integer(421, (colors[i].red() << 16) | (colors[i].green() << 8) | colors[i].blue());
      } else {
        w.integer(63, colors[i].colorIndex());
      }
    }
    delete[] colors;
    delete[] values;
    w.str(470, e.gradientName());
  }
}

}  // namespace

void writeEntity(Writer& w, AcDbObjectId id, AcDbHandle owner, bool paper) {
  auto* e = DbAccess::peekAs<AcDbEntity>(id);
  if (!e) return;
  // Most derived classes first.
  if (auto* p = AcDbProxyEntity::cast(e)) {
    w.begin(win32::utf16ToUtf8(p->originalDxfName()), id.handle(), p, owner);
    w.entityProperties(*p, paper);
    w.rawGroups(p->rawGroups(), id.handle());
    w.xdata(*p);
    return;
  }
  if (auto* a = AcDbAttributeDefinition::cast(e)) {
    head(w, "ATTDEF", id, *e, owner, paper);
    writeAttdef(w, *a);
  } else if (auto* t = AcDbText::cast(e); t && !AcDbAttribute::cast(e)) {
    head(w, "TEXT", id, *e, owner, paper);
    writeText(w, *t);
  } else if (auto* l = AcDbLine::cast(e)) {
    head(w, "LINE", id, *e, owner, paper);
    writeLine(w, *l);
  } else if (auto* a2 = AcDbArc::cast(e)) {
    head(w, "ARC", id, *e, owner, paper);
    writeArc(w, *a2);
  } else if (auto* c = AcDbCircle::cast(e)) {
    head(w, "CIRCLE", id, *e, owner, paper);
    writeCircle(w, *c);
  } else if (auto* pt = AcDbPoint::cast(e)) {
    head(w, "POINT", id, *e, owner, paper);
    writePoint(w, *pt);
  } else if (auto* el = AcDbEllipse::cast(e)) {
    head(w, "ELLIPSE", id, *e, owner, paper);
    writeEllipse(w, *el);
  } else if (auto* sp = AcDbSpline::cast(e)) {
    head(w, "SPLINE", id, *e, owner, paper);
    writeSpline(w, *sp);
  } else if (auto* lw = AcDbPolyline::cast(e)) {
    head(w, "LWPOLYLINE", id, *e, owner, paper);
    writeLwPolyline(w, *lw);
  } else if (auto* p2 = AcDb2dPolyline::cast(e)) {
    head(w, "POLYLINE", id, *e, owner, paper);
    write2dPolyline(w, id, *p2, paper);
    return;  // extended data written before the vertices
  } else if (auto* p3 = AcDb3dPolyline::cast(e)) {
    head(w, "POLYLINE", id, *e, owner, paper);
    write3dPolyline(w, id, *p3, paper);
    return;
  } else if (auto* ml = AcDbMline::cast(e)) {
    head(w, "MLINE", id, *e, owner, paper);
    writeMline(w, *ml);
  } else if (auto* tr = AcDbTrace::cast(e)) {
    head(w, "TRACE", id, *e, owner, paper);
    writeSolid(w, *tr);
  } else if (auto* so = AcDbSolid::cast(e)) {
    head(w, "SOLID", id, *e, owner, paper);
    writeSolid(w, *so);
  } else if (auto* mt = AcDbMText::cast(e)) {
    head(w, "MTEXT", id, *e, owner, paper);
    writeMText(w, *mt);
  } else if (auto* br = AcDbBlockReference::cast(e)) {
    head(w, "INSERT", id, *e, owner, paper);
    writeInsert(w, id, *br, paper);
    return;
  } else if (auto* h = AcDbHatch::cast(e)) {
    head(w, "HATCH", id, *e, owner, paper);
    writeHatch(w, *h);
  } else if (auto* rg = AcDbRegion::cast(e)) {
    if (rg->modelerData().empty()) {
      w.warn("region " + win32::utf16ToUtf8(id.handle().ascii()) +
             " has no modeler data (made from curves here) and is not written");
      return;
    }
    head(w, "REGION", id, *e, owner, paper);
    writeRegion(w, *rg);
  } else if (auto* im = AcDbRasterImage::cast(e)) {
    head(w, "IMAGE", id, *e, owner, paper);
    writeImage(w, id, *im);
  } else {
    // Vertices, attributes and sequence ends are written with their owners.
    if (!AcDbVertex::cast(e) && !AcDbSequenceEnd::cast(e) && !AcDbAttribute::cast(e))
      w.warn("entity " + win32::utf16ToUtf8(id.handle().ascii()) + " of class " +
             win32::utf16ToUtf8(e->isA()->name()) + " cannot be written as DXF; left out");
    return;
  }
  w.xdata(*e);
}

}  // namespace arxdxf::detail
