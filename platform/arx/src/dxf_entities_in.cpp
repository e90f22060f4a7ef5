// Entities of a DXF file: one reader per entity type the database has, a proxy for the rest.
// Points of OCS entities (circles, arcs, texts, block references, solids) are turned into
// world points here, because the database keeps them in world coordinates.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

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
#include "dxf_read.h"
#include "win32/unicode.h"

namespace arxdxf::detail {

using arxdetail::DbAccess;

namespace {

constexpr double kPi = 3.14159265358979323846;
double radians(double degrees) { return degrees * kPi / 180.0; }

// A record the reader understands but cannot represent (kept as a proxy, with the reason).
struct Unreadable {
  std::string reason;
};

// Sequential reading of a record's own groups (subclass markers and comments skipped).
class Cursor {
 public:
  explicit Cursor(const GroupSpan& s) : p_(s.first), end_(s.last) {}
  const Group* peek() {
    while (p_ != end_ && (p_->code == 100 || p_->code == 999)) ++p_;
    return p_ == end_ ? nullptr : p_;
  }
  bool at(int code) {
    const Group* g = peek();
    return g && g->code == code;
  }
  const Group& take(int code, const char* what) {
    const Group* g = peek();
    if (!g || g->code != code)
      throw Unreadable{std::string("group ") + std::to_string(code) + " (" + what + ") expected" +
                       (g ? " at line " + std::to_string(g->line) : " before the end of the record")};
    ++p_;
    return *g;
  }
  double real(int code, const char* what) { return toReal(take(code, what)); }
  long long integer(int code, const char* what) { return toInt(take(code, what)); }
  double realOr(int code, double fallback) { return at(code) ? toReal(take(code, "")) : fallback; }
  long long intOr(int code, long long fallback) { return at(code) ? toInt(take(code, "")) : fallback; }
  AcGePoint2d point2d(int code, const char* what) {
    double x = real(code, what);
    double y = real(code + 10, what);
    return {x, y};
  }
  void skip() {
    if (peek()) ++p_;
  }

 private:
  const Group* p_;
  const Group* end_;
};

// A count read from the file, checked against the groups that can still follow.
int checkedCount(long long n, std::size_t perItem, const GroupSpan& span, const char* what) {
  const auto remaining = static_cast<long long>(span.end() - span.begin());
  if (n < 0 || (perItem > 0 && n > remaining / static_cast<long long>(perItem) + 1))
    throw Unreadable{std::string("count of ") + what + " (" + std::to_string(n) + ") does not fit the record"};
  return static_cast<int>(n);
}

AcGeVector3d normalFrom(const PointReader& n) {
  AcGeVector3d v(n.p.x, n.p.y, n.p.z);
  if (!n.seen || v.isZeroLength()) return AcGeVector3d::kZAxis;
  return v.normal();
}

AcGePoint3d ocsToWorld(const AcGeVector3d& normal, const AcGePoint3d& p) {
  if (normal.isEqualTo(AcGeVector3d::kZAxis)) return p;
  return AcGeMatrix3d::planeToWorld(normal) * p;
}

void check(Acad::ErrorStatus es, const char* what) {
  if (es != Acad::eOk)
    throw Unreadable{std::string(what) + " refused (" + win32::utf16ToUtf8(acadErrorStatusText(es)) + ")"};
}

// ---------------------------------------------------------------------------- simple ones

std::unique_ptr<AcDbEntity> readPoint(Reader&, const SplitRecord& s) {
  PointReader pos, n;
  double thickness = 0.0, angle = 0.0;
  for (const Group& g : s.body) {
    if (pos.take(g, 10) || n.take(g, 210)) continue;
    if (g.code == 39) thickness = toReal(g);
    if (g.code == 50) angle = toReal(g);
  }
  auto e = std::make_unique<AcDbPoint>(pos.p);
  e->setNormal(normalFrom(n));
  e->setThickness(thickness);
  e->setEcsRotation(radians(angle));
  return e;
}

std::unique_ptr<AcDbEntity> readLine(Reader&, const SplitRecord& s) {
  PointReader a, b, n;
  double thickness = 0.0;
  for (const Group& g : s.body) {
    if (a.take(g, 10) || b.take(g, 11) || n.take(g, 210)) continue;
    if (g.code == 39) thickness = toReal(g);
  }
  auto e = std::make_unique<AcDbLine>(a.p, b.p);
  e->setNormal(normalFrom(n));
  e->setThickness(thickness);
  return e;
}

std::unique_ptr<AcDbEntity> readCircleOrArc(Reader&, const SplitRecord& s, bool arc) {
  PointReader c, n;
  double radius = 0.0, thickness = 0.0, start = 0.0, end = 0.0;
  for (const Group& g : s.body) {
    if (c.take(g, 10) || n.take(g, 210)) continue;
    switch (g.code) {
      case 40: radius = toReal(g); break;
      case 39: thickness = toReal(g); break;
      case 50: start = toReal(g); break;
      case 51: end = toReal(g); break;
      default: break;
    }
  }
  const AcGeVector3d normal = normalFrom(n);
  const AcGePoint3d center = ocsToWorld(normal, c.p);
  if (!(radius > 0.0)) throw Unreadable{"radius " + std::to_string(radius) + " is not positive"};
  if (arc) {
    auto e = std::make_unique<AcDbArc>(center, normal, radius, radians(start), radians(end));
    e->setThickness(thickness);
    return e;
  }
  auto e = std::make_unique<AcDbCircle>(center, normal, radius);
  e->setThickness(thickness);
  return e;
}

std::unique_ptr<AcDbEntity> readEllipse(Reader&, const SplitRecord& s) {
  PointReader c, major, n;
  double ratio = 1.0, start = 0.0, end = 2 * kPi;
  for (const Group& g : s.body) {
    if (c.take(g, 10) || major.take(g, 11) || n.take(g, 210)) continue;
    if (g.code == 40) ratio = toReal(g);
    if (g.code == 41) start = toReal(g);
    if (g.code == 42) end = toReal(g);
  }
  const AcGeVector3d normal = normalFrom(n);
  AcGeVector3d axis(major.p.x, major.p.y, major.p.z);
  // Files written with a few digits leave the axis slightly off the plane: project it.
  axis -= normal * axis.dotProduct(normal);
  auto e = std::make_unique<AcDbEllipse>();
  check(e->set(c.p, normal, axis, ratio), "ellipse");
  // A full ellipse keeps the default parameters.
  if (!(std::fabs(start) < 1e-12 && std::fabs(end - 2 * kPi) < 1e-12)) {
    check(e->setStartParam(start), "ellipse start parameter");
    check(e->setEndParam(end), "ellipse end parameter");
  }
  return e;
}

std::unique_ptr<AcDbEntity> readSolid(Reader&, const SplitRecord& s, bool trace) {
  PointReader p[4], n;
  double thickness = 0.0;
  for (const Group& g : s.body) {
    if (p[0].take(g, 10) || p[1].take(g, 11) || p[2].take(g, 12) || p[3].take(g, 13) || n.take(g, 210)) continue;
    if (g.code == 39) thickness = toReal(g);
  }
  const AcGeVector3d normal = normalFrom(n);
  if (!p[3].seen) p[3] = p[2];
  AcGePoint3d w[4];
  for (int i = 0; i < 4; ++i) w[i] = ocsToWorld(normal, p[i].p);
  std::unique_ptr<AcDbSolid> e;
  if (trace)
    e = std::make_unique<AcDbTrace>(w[0], w[1], w[2], w[3]);
  else
    e = std::make_unique<AcDbSolid>(w[0], w[1], w[2], w[3]);
  e->setNormal(normal);
  e->setThickness(thickness);
  return e;
}

std::unique_ptr<AcDbEntity> readSpline(Reader&, const SplitRecord& s) {
  PointReader n, startTan, endTan;
  int flags = 0, degree = 3;
  double knotTol = 1e-10, ctrlTol = 1e-10, fitTol = 1e-10;
  AcGeDoubleArray knots, weights;
  AcGePoint3dArray ctrl, fit;
  PointReader cp, fp;
  auto flushCp = [&] {
    if (cp.seen) ctrl.append(cp.p);
    cp = PointReader{};
  };
  auto flushFp = [&] {
    if (fp.seen) fit.append(fp.p);
    fp = PointReader{};
  };
  for (const Group& g : s.body) {
    if (g.code == 10) flushCp();
    if (g.code == 11) flushFp();
    if (cp.take(g, 10) || fp.take(g, 11) || n.take(g, 210) || startTan.take(g, 12) || endTan.take(g, 13)) continue;
    switch (g.code) {
      case 70: flags = toInt32(g); break;
      case 71: degree = toInt32(g); break;
      case 40: knots.append(toReal(g)); break;
      case 41: weights.append(toReal(g)); break;
      case 42: knotTol = toReal(g); break;
      case 43: ctrlTol = toReal(g); break;
      case 44: fitTol = toReal(g); break;
      default: break;
    }
  }
  flushCp();
  flushFp();
  auto e = std::make_unique<AcDbSpline>();
  const bool rational = (flags & 4) != 0;
  if (!rational) weights.removeAll();
  e->setNurbsData(degree, rational, (flags & 1) != 0, (flags & 2) != 0, ctrl, knots, weights, ctrlTol, knotTol);
  if (!fit.isEmpty()) {
    AcGeVector3d t0(startTan.p.x, startTan.p.y, startTan.p.z), t1(endTan.p.x, endTan.p.y, endTan.p.z);
    e->setFitData(fit, degree, fitTol, t0, t1);
  }
  return e;
}

std::unique_ptr<AcDbEntity> readLwPolyline(Reader& r, const SplitRecord& s) {
  PointReader n;
  int flags = 0;
  long long declared = -1;
  double constWidth = 0.0, elevation = 0.0, thickness = 0.0;
  bool anyWidth = false;
  struct V {
    AcGePoint2d p;
    double sw = 0.0, ew = 0.0, bulge = 0.0;
    int id = 0;
  };
  std::vector<V> verts;
  for (const Group& g : s.body) {
    if (n.take(g, 210)) continue;
    switch (g.code) {
      case 90: declared = toInt(g); break;
      case 70: flags = toInt32(g); break;
      case 43: constWidth = toReal(g); break;
      case 38: elevation = toReal(g); break;
      case 39: thickness = toReal(g); break;
      case 10: verts.push_back(V{{toReal(g), 0.0}}); break;
      case 20:
        if (!verts.empty()) verts.back().p.y = toReal(g);
        break;
      case 40:
      case 41:
        if (!verts.empty()) {
          (g.code == 40 ? verts.back().sw : verts.back().ew) = toReal(g);
          anyWidth = true;
        }
        break;
      case 42:
        if (!verts.empty()) verts.back().bulge = toReal(g);
        break;
      case 91:
        if (!verts.empty()) verts.back().id = toInt32(g);
        break;
      default: break;
    }
  }
  if (declared >= 0 && declared != static_cast<long long>(verts.size()))
    r.warn(s.record->line, "LWPOLYLINE declares " + std::to_string(declared) + " vertices and has " +
                               std::to_string(verts.size()));
  auto e = std::make_unique<AcDbPolyline>(static_cast<unsigned>(verts.size()));
  e->setNormal(normalFrom(n));
  e->setElevation(elevation);
  e->setThickness(thickness);
  for (const V& v : verts)
    check(e->addVertexAt(e->numVerts(), v.p, v.bulge, v.sw, v.ew, v.id), "LWPOLYLINE vertex");
  if (!anyWidth && constWidth != 0.0) e->setConstantWidth(constWidth);
  e->setClosed((flags & 1) != 0);
  e->setPlinegen((flags & 128) != 0);
  return e;
}

// ------------------------------------------------------------------------------- polylines

AcDb::Vertex2dType vertex2dType(int flags) {
  if (flags & 16) return AcDb::k2dSplineCtlVertex;
  if (flags & 8) return AcDb::k2dSplineFitVertex;
  if (flags & 1) return AcDb::k2dCurveFitVertex;
  return AcDb::k2dVertex;
}

std::unique_ptr<AcDbEntity> readPolyline(Reader& r, const SplitRecord& s, const std::vector<const Record*>& vertices) {
  PointReader elev, n;
  int flags = 0, curveType = 0;
  double sw = 0.0, ew = 0.0, thickness = 0.0;
  for (const Group& g : s.body) {
    if (elev.take(g, 10) || n.take(g, 210)) continue;
    switch (g.code) {
      case 70: flags = toInt32(g); break;
      case 75: curveType = toInt32(g); break;
      case 40: sw = toReal(g); break;
      case 41: ew = toReal(g); break;
      case 39: thickness = toReal(g); break;
      default: break;
    }
  }
  if (flags & (16 | 64)) return nullptr;  // meshes: proxies
  if (flags & 8) {
    auto pl = std::make_unique<AcDb3dPolyline>();
    if (flags & 4) pl->setPolyType(curveType == 5 ? AcDb::k3dQuadSplinePoly : AcDb::k3dCubicSplinePoly);
    for (const Record* v : vertices) {
      SplitRecord vs = r.split(*v, true);
      PointReader pos;
      int vflags = 0;
      for (const Group& g : vs.body) {
        if (pos.take(g, 10)) continue;
        if (g.code == 70) vflags = toInt32(g);
      }
      auto vx = std::make_unique<AcDb3dPolylineVertex>(pos.p);
      vx->setVertexType((vflags & 16) ? AcDb::k3dControlVertex : (vflags & 8) ? AcDb::k3dFitVertex : AcDb::k3dSimpleVertex);
      r.applyEntityProperties(*vx, vs);
      check(pl->appendVertex(vx.get()), "3D polyline vertex");
      r.noteSubEntity(vx.release(), vs);
    }
    pl->setClosed((flags & 1) != 0);
    return pl;
  }
  auto pl = std::make_unique<AcDb2dPolyline>();
  if (flags & 2)
    pl->setPolyType(AcDb::k2dFitCurvePoly);
  else if (flags & 4)
    pl->setPolyType(curveType == 5 ? AcDb::k2dQuadSplinePoly : AcDb::k2dCubicSplinePoly);
  pl->setNormal(normalFrom(n));
  pl->setElevation(elev.p.z);
  pl->setThickness(thickness);
  pl->setDefaultStartWidth(sw);
  pl->setDefaultEndWidth(ew);
  if (flags & 128) pl->setLinetypeGenerationOn();
  for (const Record* v : vertices) {
    SplitRecord vs = r.split(*v, true);
    PointReader pos;
    int vflags = 0, id = 0;
    double vsw = sw, vew = ew, bulge = 0.0, tangent = 0.0;
    for (const Group& g : vs.body) {
      if (pos.take(g, 10)) continue;
      switch (g.code) {
        case 70: vflags = toInt32(g); break;
        case 40: vsw = toReal(g); break;
        case 41: vew = toReal(g); break;
        case 42: bulge = toReal(g); break;
        case 50: tangent = radians(toReal(g)); break;
        case 91: id = toInt32(g); break;
        default: break;
      }
    }
    auto vx = std::make_unique<AcDb2dVertex>(pos.p, bulge, vsw, vew, tangent, id);
    vx->setVertexType(vertex2dType(vflags));
    if (vflags & 2) vx->useTangent();
    r.applyEntityProperties(*vx, vs);
    check(pl->appendVertex(vx.get()), "2D polyline vertex");
    r.noteSubEntity(vx.release(), vs);
  }
  pl->setClosed((flags & 1) != 0);
  return pl;
}

// ---------------------------------------------------------------------------------- texts

struct TextData {
  PointReader pos, align, n;
  double height = 0.0, rotation = 0.0, widthFactor = 1.0, oblique = 0.0, thickness = 0.0;
  std::u16string text, style, tag, prompt;
  int mirror = 0, horizontal = 0, vertical = 0, flags = 0, fieldLength = 0;
};

// TEXT, ATTDEF and ATTRIB share their text groups; attributes keep the vertical mode in 74
// (73 is the field length there). A multiline attribute's embedded text (101) is not read.
TextData readTextGroups(Reader& r, const SplitRecord& s, bool attribute) {
  TextData t;
  for (const Group& g : s.body) {
    if (g.code == 101) break;
    if (t.pos.take(g, 10) || t.align.take(g, 11) || t.n.take(g, 210)) continue;
    switch (g.code) {
      case 1: t.text = r.text(g); break;
      case 2: t.tag = r.text(g); break;
      case 3: t.prompt = r.text(g); break;
      case 7: t.style = r.text(g); break;
      case 39: t.thickness = toReal(g); break;
      case 40: t.height = toReal(g); break;
      case 41: t.widthFactor = toReal(g); break;
      case 50: t.rotation = toReal(g); break;
      case 51: t.oblique = toReal(g); break;
      case 70: t.flags = toInt32(g); break;
      case 71: t.mirror = toInt32(g); break;
      case 72: t.horizontal = toInt32(g); break;
      case 73:
        if (attribute)
          t.fieldLength = toInt32(g);
        else
          t.vertical = toInt32(g);
        break;
      case 74:
        if (attribute) t.vertical = toInt32(g);
        break;
      default: break;
    }
  }
  return t;
}

void applyText(Reader& r, AcDbText& e, const TextData& t) {
  const AcGeVector3d normal = normalFrom(t.n);
  e.setNormal(normal);
  e.setPosition(ocsToWorld(normal, t.pos.p));
  e.setTextString(t.text.c_str());
  e.setTextStyle(r.textStyleNamed(t.style));
  if (t.height > 0.0) e.setHeight(t.height);
  if (t.widthFactor > 0.0) e.setWidthFactor(t.widthFactor);
  e.setRotation(radians(t.rotation));
  e.setOblique(radians(t.oblique));
  e.setThickness(t.thickness);
  e.mirrorInX((t.mirror & 2) != 0);
  e.mirrorInY((t.mirror & 4) != 0);
  if (t.horizontal >= 0 && t.horizontal <= 5) e.setHorizontalMode(static_cast<AcDb::TextHorzMode>(t.horizontal));
  if (t.vertical >= 0 && t.vertical <= 3) e.setVerticalMode(static_cast<AcDb::TextVertMode>(t.vertical));
  if (t.align.seen) e.setAlignmentPoint(ocsToWorld(normal, t.align.p));
}

std::unique_ptr<AcDbEntity> readText(Reader& r, const SplitRecord& s) {
  auto e = std::make_unique<AcDbText>();
  applyText(r, *e, readTextGroups(r, s, false));
  return e;
}

// Tag, flags (70: invisible 1, constant 2, verify 4, preset 8) and field length, shared by
// ATTDEF and ATTRIB.
template <typename Attribute>
void applyAttributeGroups(Attribute& e, const TextData& t) {
  e.setTag(t.tag.c_str());
  e.setInvisible((t.flags & 1) != 0);
  e.setConstant((t.flags & 2) != 0);
  e.setVerifiable((t.flags & 4) != 0);
  e.setPreset((t.flags & 8) != 0);
  e.setFieldLength(static_cast<Adesk::UInt16>(t.fieldLength));
}

std::unique_ptr<AcDbEntity> readAttdef(Reader& r, const SplitRecord& s) {
  TextData t = readTextGroups(r, s, true);
  auto e = std::make_unique<AcDbAttributeDefinition>();
  applyText(r, *e, t);
  applyAttributeGroups(*e, t);
  e->setPrompt(t.prompt.c_str());
  return e;
}

std::unique_ptr<AcDbAttribute> readAttrib(Reader& r, const SplitRecord& s) {
  TextData t = readTextGroups(r, s, true);
  auto e = std::make_unique<AcDbAttribute>();
  applyText(r, *e, t);
  applyAttributeGroups(*e, t);
  return e;
}

std::unique_ptr<AcDbEntity> readMText(Reader& r, const SplitRecord& s) {
  PointReader pos, dir, n;
  double height = 0.0, width = 0.0, rotation = 0.0, spacing = 1.0;
  bool haveRotation = false;
  int attachment = 1, flow = 1, spacingStyle = 1;
  std::string raw;
  std::u16string style;
  for (const Group& g : s.body) {
    if (g.code == 101) break;  // embedded column data of newer files
    if (pos.take(g, 10) || dir.take(g, 11) || n.take(g, 210)) continue;
    switch (g.code) {
      case 1:
      case 3: raw.append(g.value); break;
      case 7: style = r.text(g); break;
      case 40: height = toReal(g); break;
      case 41: width = toReal(g); break;
      case 44: spacing = toReal(g); break;
      case 50:
        rotation = toReal(g);
        haveRotation = true;
        break;
      case 71: attachment = toInt32(g); break;
      case 72: flow = toInt32(g); break;
      case 73: spacingStyle = toInt32(g); break;
      default: break;
    }
  }
  auto e = std::make_unique<AcDbMText>();
  e->setNormal(normalFrom(n));
  e->setLocation(pos.p);
  if (dir.seen && !AcGeVector3d(dir.p.x, dir.p.y, dir.p.z).isZeroLength())
    e->setDirection(AcGeVector3d(dir.p.x, dir.p.y, dir.p.z));
  else if (haveRotation)
    e->setRotation(rotation);
  if (height > 0.0) e->setTextHeight(height);
  if (width >= 0.0) e->setWidth(width);
  if (attachment >= 1 && attachment <= 9) e->setAttachment(static_cast<AcDbMText::AttachmentPoint>(attachment));
  if (flow >= 1 && flow <= 5) e->setFlowDirection(static_cast<AcDbMText::FlowDirection>(flow));
  if (spacing > 0.0) e->setLineSpacingFactor(spacing);
  if (spacingStyle == 1 || spacingStyle == 2)
    e->setLineSpacingStyle(static_cast<AcDbMText::LineSpacingStyle>(spacingStyle));
  e->setTextStyle(r.textStyleNamed(style));
  e->setContents(r.text(raw).c_str());
  return e;
}

// -------------------------------------------------------------------------- block references

std::unique_ptr<AcDbEntity> readInsert(Reader& r, const SplitRecord& s, const std::vector<const Record*>& attribs) {
  PointReader pos, n;
  double sx = 1.0, sy = 1.0, sz = 1.0, rotation = 0.0;
  int columns = 1, rows = 1;
  std::u16string name;
  for (const Group& g : s.body) {
    if (pos.take(g, 10) || n.take(g, 210)) continue;
    switch (g.code) {
      case 2: name = r.text(trimmed(g.value)); break;
      case 41: sx = toReal(g); break;
      case 42: sy = toReal(g); break;
      case 43: sz = toReal(g); break;
      case 50: rotation = toReal(g); break;
      case 70: columns = toInt32(g); break;
      case 71: rows = toInt32(g); break;
      default: break;
    }
  }
  const AcGeVector3d normal = normalFrom(n);
  auto e = std::make_unique<AcDbBlockReference>();
  e->setNormal(normal);
  e->setPosition(ocsToWorld(normal, pos.p));
  check(e->setScaleFactors(AcGeScale3d(sx, sy, sz)), "block reference scale");
  e->setRotation(radians(rotation));
  if (columns > 1 || rows > 1)
    r.warn(s.record->line, "MINSERT of \"" + win32::utf16ToUtf8(name) + "\": its " + std::to_string(columns) + " x " +
                               std::to_string(rows) + " array is not kept; one reference remains");
  for (const Record* a : attribs) {
    SplitRecord as = r.split(*a, true);
    std::unique_ptr<AcDbAttribute> attr = readAttrib(r, as);
    r.applyEntityProperties(*attr, as);
    check(e->appendAttribute(attr.get()), "attribute");
    r.noteSubEntity(attr.release(), as);
  }
  // The block may be defined further on: resolved at the end.
  AcDbBlockReference* ref = e.get();
  const std::uint32_t line = s.record->line;
  r.later([&r, ref, name, line] {
    AcDbObjectId block = r.blockNamed(name);
    if (block.isNull()) {
      r.warn(line, "block \"" + win32::utf16ToUtf8(name) + "\" is not defined; an empty definition is added");
      auto* rec = new AcDbBlockTableRecord;
      if (rec->setName(name.empty() ? u"*U" : name.c_str()) != Acad::eOk) {
        delete rec;
        return;
      }
      block = arxdetail::addRecordSilently(r.db(), r.db().blockTableId(), rec);
    }
    DbAccess::OwnerEdit edit(*ref);
    ref->setBlockTableRecord(block);
  });
  return e;
}

// ----------------------------------------------------------------------------------- hatch

AcGeCurve2d* readHatchEdge(Reader& r, Cursor& c, int type, bool lastEdge, const GroupSpan& span, int& edgeType) {
  edgeType = type;
  switch (type) {
    case 1: {
      AcGePoint2d a = c.point2d(10, "line start");
      AcGePoint2d b = c.point2d(11, "line end");
      return new AcGeLineSeg2d(a, b);
    }
    case 2: {
      AcGePoint2d center = c.point2d(10, "arc centre");
      double radius = c.real(40, "arc radius");
      double start = radians(c.real(50, "arc start angle"));
      double end = radians(c.real(51, "arc end angle"));
      bool ccw = c.intOr(73, 1) != 0;
      // Clockwise arcs store their angles measured clockwise.
      return new AcGeCircArc2d(center, radius, start, end, AcGeVector2d::kXAxis, !ccw);
    }
    case 3: {
      AcGePoint2d center = c.point2d(10, "ellipse centre");
      AcGePoint2d majorEnd = c.point2d(11, "ellipse major axis");
      double ratio = c.real(40, "ellipse ratio");
      double startAngle = radians(c.real(50, "ellipse start angle"));
      double endAngle = radians(c.real(51, "ellipse end angle"));
      bool ccw = c.intOr(73, 1) != 0;
      AcGeVector2d major(majorEnd.x, majorEnd.y);
      double majorRadius = major.length();
      if (!(majorRadius > 0.0) || !(ratio > 0.0)) throw Unreadable{"degenerate elliptical edge"};
      AcGeVector2d u = major / majorRadius;
      AcGeVector2d v = ccw ? AcGeVector2d(-u.y, u.x) : AcGeVector2d(u.y, -u.x);
      // The file gives angles; the curve wants parameters (same turn).
      auto param = [ratio](double a) {
        double t = std::atan2(std::sin(a), ratio * std::cos(a));
        return t + 2 * kPi * std::round((a - t) / (2 * kPi));
      };
      return new AcGeEllipArc2d(center, u, v, majorRadius, majorRadius * ratio, param(startAngle), param(endAngle));
    }
    case 4: {
      int degree = static_cast<int>(c.integer(94, "spline degree"));
      bool rational = c.integer(73, "spline rational flag") != 0;
      bool periodic = c.integer(74, "spline periodic flag") != 0;
      int nKnots = checkedCount(c.integer(95, "knot count"), 1, span, "knots");
      int nCtrl = checkedCount(c.integer(96, "control point count"), 2, span, "control points");
      AcGeDoubleArray knots, weights;
      AcGePoint2dArray ctrl;
      for (int i = 0; i < nKnots; ++i) knots.append(c.real(40, "knot"));
      for (int i = 0; i < nCtrl; ++i) {
        ctrl.append(c.point2d(10, "control point"));
        if (rational && c.at(42)) weights.append(c.real(42, "weight"));
      }
      while (c.at(42)) weights.append(c.real(42, "weight"));
      // Fit data follows in files from 2010 on (and always when another edge follows).
      if (c.at(97) && (r.version() >= 1024 || !lastEdge)) {
        int nFit = checkedCount(c.integer(97, "fit point count"), 2, span, "fit points");
        for (int i = 0; i < nFit; ++i) c.point2d(11, "fit point");
        if (c.at(12)) c.point2d(12, "start tangent");
        if (c.at(13)) c.point2d(13, "end tangent");
      }
      if (rational && weights.length() != nCtrl) weights.removeAll();
      AcGeKnotVector kv(knots);
      std::unique_ptr<AcGeNurbCurve2d> curve(rational && !weights.isEmpty()
                                                 ? new AcGeNurbCurve2d(degree, kv, ctrl, weights, periodic)
                                                 : new AcGeNurbCurve2d(degree, kv, ctrl, periodic));
      // A definition that cannot be evaluated would break every later use of the loop.
      if (!curve->isValid()) throw Unreadable{"spline edge with an invalid definition"};
      return curve.release();
    }
    default:
      throw Unreadable{"unknown boundary edge type " + std::to_string(type)};
  }
}

std::unique_ptr<AcDbEntity> readHatch(Reader& r, const SplitRecord& s) {
  Cursor c(s.body);
  auto e = std::make_unique<AcDbHatch>();
  PointReader elev, n;
  std::u16string patternName;
  bool solid = false;
  int associative = 0;
  // Groups before the loops: elevation point, normal, pattern name, flags.
  while (const Group* g = c.peek()) {
    if (g->code == 91) break;
    if (elev.take(*g, 10) || n.take(*g, 210)) {
      c.skip();
      continue;
    }
    if (g->code == 2) patternName = r.text(trimmed(g->value));
    if (g->code == 70) solid = toInt(*g) != 0;
    if (g->code == 71) associative = toInt32(*g);
    c.skip();
  }
  e->setNormal(normalFrom(n));
  e->setElevation(elev.p.z);
  int nLoops = checkedCount(c.integer(91, "loop count"), 3, s.body, "boundary loops");
  std::vector<std::vector<AcDbHandle>> sources;
  for (int L = 0; L < nLoops; ++L) {
    int type = static_cast<int>(c.integer(92, "loop type"));
    std::vector<AcDbHandle> loopSources;
    if (type & AcDbHatch::kPolyline) {
      bool hasBulge = c.intOr(72, 0) != 0;
      bool closed = c.intOr(73, 1) != 0;
      (void)closed;
      int nVerts = checkedCount(c.integer(93, "vertex count"), 2, s.body, "loop vertices");
      AcGePoint2dArray verts;
      AcGeDoubleArray bulges;
      for (int i = 0; i < nVerts; ++i) {
        verts.append(c.point2d(10, "loop vertex"));
        bulges.append(hasBulge && c.at(42) ? c.real(42, "bulge") : 0.0);
      }
      check(e->appendLoop(type, verts, bulges), "polyline loop");
    } else {
      int nEdges = checkedCount(c.integer(93, "edge count"), 3, s.body, "loop edges");
      AcGeVoidPointerArray edges;
      AcGeIntArray types;
      std::vector<std::unique_ptr<AcGeCurve2d>> owned;
      for (int i = 0; i < nEdges; ++i) {
        int edgeType = 0;
        owned.emplace_back(readHatchEdge(r, c, static_cast<int>(c.integer(72, "edge type")), i + 1 == nEdges, s.body,
                                         edgeType));
        edges.append(owned.back().get());
        types.append(edgeType);
      }
      if (nEdges > 0) check(e->appendLoop(type, edges, types), "edge loop");
    }
    int nSources = checkedCount(c.intOr(97, 0), 1, s.body, "boundary objects");
    for (int i = 0; i < nSources; ++i) loopSources.push_back(toHandle(c.take(330, "boundary object")));
    sources.push_back(std::move(loopSources));
  }
  // Style, pattern and its lines, seed points.
  int style = static_cast<int>(c.intOr(75, 0));
  int patternType = static_cast<int>(c.intOr(76, 1));
  double angle = 0.0, scale = 1.0;
  bool isDouble = false;
  std::vector<AcDbHatch::PatternLine> lines;
  AcGePoint2dArray seeds;
  bool gradient = false, oneColor = false;
  double gradAngle = 0.0, gradShift = 0.0, tint = 0.0;
  std::u16string gradName;
  std::vector<AcCmColor> gradColors;
  std::vector<float> gradValues;
  while (const Group* g = c.peek()) {
    switch (g->code) {
      case 52: angle = radians(toReal(*g)); break;
      case 41: scale = toReal(*g); break;
      case 77: isDouble = toInt(*g) != 0; break;
      case 78: {
        int nLines = checkedCount(toInt(*g), 5, s.body, "pattern lines");
        c.skip();
        for (int i = 0; i < nLines; ++i) {
          AcDbHatch::PatternLine l;
          l.angle = radians(c.real(53, "pattern line angle"));
          l.baseX = c.real(43, "pattern base x");
          l.baseY = c.real(44, "pattern base y");
          l.offsetX = c.real(45, "pattern offset x");
          l.offsetY = c.real(46, "pattern offset y");
          int nDashes = checkedCount(c.intOr(79, 0), 1, s.body, "dashes");
          for (int d = 0; d < nDashes; ++d) l.dashes.push_back(c.real(49, "dash"));
          lines.push_back(std::move(l));
        }
        continue;
      }
      case 98: {
        int nSeeds = checkedCount(toInt(*g), 2, s.body, "seed points");
        c.skip();
        for (int i = 0; i < nSeeds; ++i) seeds.append(c.point2d(10, "seed point"));
        continue;
      }
      case 450: gradient = toInt(*g) != 0; break;
      case 452: oneColor = toInt(*g) != 0; break;
      case 460: gradAngle = toReal(*g); break;
      case 461: gradShift = toReal(*g); break;
      case 462: tint = toReal(*g); break;
      case 463: gradValues.push_back(static_cast<float>(toReal(*g))); break;
      case 63: {
        AcCmColor col;
        col.setColorIndex(static_cast<Adesk::UInt16>(std::abs(toInt32(*g)) % 258));
        gradColors.push_back(col);
        break;
      }
      case 421: {
        int rgb = toInt32(*g);
        if (gradColors.size() < gradValues.size() || gradColors.empty()) gradColors.emplace_back();
        gradColors.back().setRGB(static_cast<Adesk::UInt8>((rgb >> 16) & 0xFF),
                                 static_cast<Adesk::UInt8>((rgb >> 8) & 0xFF), static_cast<Adesk::UInt8>(rgb & 0xFF));
        break;
      }
      case 470: gradName = r.text(trimmed(g->value)); break;
      default: break;
    }
    c.skip();
  }
  if (style >= 0 && style <= 2) e->setHatchStyle(static_cast<AcDbHatch::HatchStyle>(style));
  if (patternType < 0 || patternType > 2) patternType = 1;
  if (patternName.empty()) patternName = solid ? u"SOLID" : u"_USER";
  check(e->setPatternAsStored(static_cast<AcDbHatch::HatchPatternType>(patternType), patternName.c_str()),
        "hatch pattern");
  if (!solid) {
    e->setPatternAngle(angle);
    if (scale > 0.0) e->setPatternScale(scale);
    e->setPatternDouble(isDouble);
    e->setPatternDefinitions(lines);
  }
  for (const AcGePoint2d& p : seeds) e->appendSeedPoint(p);
  if (gradient) {
    e->setHatchObjectType(AcDbHatch::kGradientObject);
    if (e->setGradient(AcDbHatch::kPreDefinedGradient, gradName.c_str()) != Acad::eOk)
      e->setGradient(AcDbHatch::kUserDefinedGradient, gradName.c_str());
    e->setGradientAngle(gradAngle);
    e->setGradientShift(static_cast<float>(gradShift));
    e->setGradientOneColorMode(oneColor);
    e->setShadeTintValue(static_cast<float>(tint));
    if (!gradColors.empty()) {
      gradValues.resize(gradColors.size(), 0.0f);
      e->setGradientColors(static_cast<unsigned>(gradColors.size()), gradColors.data(), gradValues.data());
    }
  }
  e->setAssociative(associative != 0);
  AcDbHatch* h = e.get();
  bool anySources = false;
  for (const auto& l : sources) anySources = anySources || !l.empty();
  if (anySources) {
    r.later([&r, h, sources] {
      DbAccess::OwnerEdit edit(*h);
      for (std::size_t L = 0; L < sources.size() && static_cast<int>(L) < h->numLoops(); ++L) {
        AcDbObjectIdArray ids;
        for (AcDbHandle hd : sources[L]) {
          AcDbObjectId id = r.idOf(hd);
          if (id.isValid()) ids.append(id);
        }
        h->setAssocObjIdsAt(static_cast<int>(L), ids);
      }
    });
  }
  return e;
}

// ------------------------------------------------------------------- multiline, region, image

std::unique_ptr<AcDbEntity> readMline(Reader& r, const SplitRecord& s) {
  Cursor c(s.body);
  auto e = std::make_unique<AcDbMline>();
  PointReader start, n;
  int flags = 0, nVerts = 0, nElements = 0;
  AcDbHandle styleHandle;
  while (const Group* g = c.peek()) {
    if (g->code == 11) break;
    if (start.take(*g, 10) || n.take(*g, 210)) {
      c.skip();
      continue;
    }
    switch (g->code) {
      case 2: e->setStyleName(r.text(trimmed(g->value)).c_str()); break;
      case 340: styleHandle = toHandle(*g); break;
      case 40: e->setScale(toReal(*g)); break;
      case 70: {
        int j = toInt32(*g);
        if (j >= 0 && j <= 2) e->setJustification(static_cast<AcDbMline::MlineJustification>(j));
        break;
      }
      case 71: flags = toInt32(*g); break;
      case 72: nVerts = checkedCount(toInt(*g), 9, s.body, "multiline vertices"); break;
      case 73: nElements = checkedCount(toInt(*g), 2, s.body, "multiline elements"); break;
      default: break;
    }
    c.skip();
  }
  e->setNormal(normalFrom(n));
  for (int i = 0; i < nVerts; ++i) {
    AcDbMline::VertexData v;
    PointReader p, d, m;
    for (int k = 0; k < 3; ++k) {
      const Group& gx = c.take(11 + k, "multiline vertex");
      (k == 0 ? p : k == 1 ? d : m).take(gx, 11 + k);
      (k == 0 ? p : k == 1 ? d : m).take(c.take(21 + k, "multiline vertex"), 11 + k);
      if (c.at(31 + k)) (k == 0 ? p : k == 1 ? d : m).take(c.take(31 + k, ""), 11 + k);
    }
    v.point = p.p;
    v.direction = AcGeVector3d(d.p.x, d.p.y, d.p.z);
    v.miter = AcGeVector3d(m.p.x, m.p.y, m.p.z);
    for (int el = 0; el < nElements; ++el) {
      std::vector<double> params, fill;
      int np = checkedCount(c.intOr(74, 0), 1, s.body, "element parameters");
      for (int k = 0; k < np; ++k) params.push_back(c.real(41, "element parameter"));
      int nf = checkedCount(c.intOr(75, 0), 1, s.body, "fill parameters");
      for (int k = 0; k < nf; ++k) fill.push_back(c.real(42, "fill parameter"));
      v.elementParams.push_back(std::move(params));
      v.fillParams.push_back(std::move(fill));
    }
    check(e->appendSeg(v.point), "multiline vertex");
    check(e->setVertexData(i, v), "multiline vertex data");
  }
  e->setClosedMline((flags & 2) != 0);
  if (flags & (4 | 8)) r.warn(s.record->line, "MLINE: the suppressed start/end caps flags are not kept");
  if (!styleHandle.isNull()) {
    AcDbMline* ml = e.get();
    r.later([&r, ml, styleHandle] {
      AcDbObjectId id = r.idOf(styleHandle);
      if (id.isNull()) return;
      DbAccess::OwnerEdit edit(*ml);
      ml->setStyle(id);
    });
  }
  return e;
}

std::unique_ptr<AcDbEntity> readRegion(Reader& r, const SplitRecord& s) {
  auto e = std::make_unique<AcDbRegion>();
  e->setModelerData(r.rawGroups(s.body));
  r.warn(s.record->line, "REGION: its ACIS body is kept for writing back but not decoded (no boundary curves)");
  return e;
}

std::unique_ptr<AcDbEntity> readImage(Reader& r, const SplitRecord& s) {
  PointReader origin, u, v, size;
  AcDbHandle defHandle;
  int display = AcDbRasterImage::kShow | AcDbRasterImage::kShowUnAligned, clipType = 0;
  bool clipping = false;
  int brightness = 50, contrast = 50, fade = 0;
  AcGePoint2dArray clip;
  for (const Group& g : s.body) {
    if (origin.take(g, 10) || u.take(g, 11) || v.take(g, 12) || size.take(g, 13)) continue;
    switch (g.code) {
      case 340: defHandle = toHandle(g); break;
      case 70: display = toInt32(g); break;
      case 280: clipping = toInt(g) != 0; break;
      case 281: brightness = toInt32(g); break;
      case 282: contrast = toInt32(g); break;
      case 283: fade = toInt32(g); break;
      case 71: clipType = toInt32(g); break;
      case 14: clip.append(AcGePoint2d(toReal(g), 0.0)); break;
      case 24:
        if (!clip.isEmpty()) clip.last().y = toReal(g);
        break;
      default: break;
    }
  }
  auto e = std::make_unique<AcDbRasterImage>();
  // The file gives one pixel's vectors and the size in pixels; the entity keeps the edges.
  const double w = size.p.x > 0 ? size.p.x : 1.0, h = size.p.y > 0 ? size.p.y : 1.0;
  AcGeVector3d uEdge = AcGeVector3d(u.p.x, u.p.y, u.p.z) * w;
  AcGeVector3d vEdge = AcGeVector3d(v.p.x, v.p.y, v.p.z) * h;
  if (!e->setOrientation(origin.p, uEdge, vEdge)) throw Unreadable{"image orientation refused"};
  e->setDisplayOpt(AcDbRasterImage::kShow, (display & 1) != 0);
  e->setDisplayOpt(AcDbRasterImage::kShowUnAligned, (display & 2) != 0);
  e->setDisplayOpt(AcDbRasterImage::kClip, (display & 4) != 0 || clipping);
  e->setDisplayOpt(AcDbRasterImage::kTransparent, (display & 8) != 0);
  e->setBrightness(static_cast<Adesk::Int8>(std::clamp(brightness, 0, 100)));
  e->setContrast(static_cast<Adesk::Int8>(std::clamp(contrast, 0, 100)));
  e->setFade(static_cast<Adesk::Int8>(std::clamp(fade, 0, 100)));
  if ((clipType == 1 || clipType == 2) && clip.length() >= 2)
    e->setClipBoundary(static_cast<AcDbRasterImage::ClipBoundaryType>(clipType), clip);
  if (!defHandle.isNull()) {
    AcDbRasterImage* img = e.get();
    const std::uint32_t line = s.record->line;
    r.later([&r, img, defHandle, line] {
      AcDbObjectId def = r.idOf(defHandle);
      if (def.isNull()) {
        r.warn(line, "IMAGE: image definition " + win32::utf16ToUtf8(defHandle.ascii()) + " not found");
        return;
      }
      DbAccess::OwnerEdit edit(*img);
      img->setImageDefId(def);
    });
  }
  return e;
}

// --------------------------------------------------------------------------------- proxies

bool isCommonOrHeaderCode(int code) {
  switch (code) {
    case 5: case 330: case 8: case 6: case 62: case 420: case 430: case 440: case 370: case 48: case 60: case 67:
    case 410:
      return true;
    default:
      return false;
  }
}

std::unique_ptr<AcDbEntity> makeProxy(Reader& r, const SplitRecord& s, const std::vector<const Record*>& subs) {
  auto p = std::make_unique<AcDbProxyEntity>();
  const std::u16string className = r.proxyClassName(s, "AcDbEntity");
  p->setOriginalNames(className.c_str(), r.text(s.record->type).c_str());
  if (auto f = r.classFlags.find(s.record->type); f != r.classFlags.end()) p->setProxyFlags(f->second);
  // Without subclass markers (R12) the body mixes in the common groups, kept elsewhere.
  const bool markers = std::any_of(s.record->groups.begin(), s.record->groups.end(),
                                   [](const Group& g) { return g.code == 100; });
  std::vector<AcDbRawGroup> raw;
  for (const Group& g : s.body)
    if (markers || !isCommonOrHeaderCode(g.code)) raw.push_back({g.code, r.text(g)});
  // Sub-records (vertices and the sequence end) follow as "0 TYPE" and their groups, without
  // their own handle and owner, which the writer gives them again.
  for (const Record* sub : subs) {
    raw.push_back({0, r.text(sub->type)});
    bool handle = false, owner = false;
    for (std::size_t i = 0; i < sub->groups.size(); ++i) {
      const Group& g = sub->groups[i];
      if ((g.code == 5 && !handle) || (g.code == 330 && !owner)) {
        (g.code == 5 ? handle : owner) = true;
        continue;
      }
      if (g.code == 102 && !trimmed(g.value).empty() && trimmed(g.value).front() == '{') {
        while (i < sub->groups.size() && !(sub->groups[i].code == 102 && trimmed(sub->groups[i].value) == "}")) ++i;
        continue;
      }
      raw.push_back({g.code, r.text(g)});
    }
  }
  p->setRawGroups(raw);
  return p;
}

}  // namespace

std::size_t readEntityAt(Reader& r, const std::vector<Record>& records, std::size_t i, AcDbObjectId block,
                         AcDbObjectId fallbackBlock) {
  const Record& rec = records[i];
  SplitRecord s = r.split(rec, true);
  const std::string_view type = rec.type;
  std::size_t next = i + 1;

  // Complex entities: vertices or attributes up to the sequence end.
  std::vector<const Record*> subs;
  bool complex = type == "POLYLINE";
  if (type == "INSERT") {
    for (const Group& g : s.body)
      if (g.code == 66 && toInt(g) != 0) complex = true;
  }
  if (complex) {
    const char* subType = type == "POLYLINE" ? "VERTEX" : "ATTRIB";
    while (next < records.size() && records[next].type == subType) subs.push_back(&records[next++]);
    if (next < records.size() && records[next].type == "SEQEND")
      ++next;
    else
      r.warn(rec.line, std::string(type) + " without SEQEND");
  }
  if (type == "VERTEX" || type == "SEQEND" || type == "ATTRIB") {
    r.warn(rec.line, std::string(type) + " outside a POLYLINE or INSERT; left out");
    return next;
  }

  // Where the entity lives: its owner when that is a block, else model or paper space.
  AcDbObjectId owner = block;
  if (owner.isNull()) {
    AcDbObjectId o = r.idOf(s.owner);
    if (o.isValid() && DbAccess::peekAs<AcDbBlockTableRecord>(o))
      owner = o;
    else
      owner = s.paperSpace ? r.db().paperSpaceId() : fallbackBlock;
  }

  std::unique_ptr<AcDbEntity> e;
  std::string problem;
  bool known = true;
  r.forgetSubEntities();
  try {
    if (type == "POINT") e = readPoint(r, s);
    else if (type == "LINE") e = readLine(r, s);
    else if (type == "CIRCLE") e = readCircleOrArc(r, s, false);
    else if (type == "ARC") e = readCircleOrArc(r, s, true);
    else if (type == "ELLIPSE") e = readEllipse(r, s);
    else if (type == "SPLINE") e = readSpline(r, s);
    else if (type == "LWPOLYLINE") e = readLwPolyline(r, s);
    else if (type == "POLYLINE") e = readPolyline(r, s, subs);
    else if (type == "SOLID") e = readSolid(r, s, false);
    else if (type == "TRACE") e = readSolid(r, s, true);
    else if (type == "TEXT") e = readText(r, s);
    else if (type == "ATTDEF") e = readAttdef(r, s);
    else if (type == "MTEXT") e = readMText(r, s);
    else if (type == "INSERT") e = readInsert(r, s, subs);
    else if (type == "HATCH") e = readHatch(r, s);
    else if (type == "MLINE") e = readMline(r, s);
    else if (type == "REGION") e = readRegion(r, s);
    else if (type == "IMAGE") e = readImage(r, s);
    else known = false;
  } catch (const Unreadable& u) {
    e.reset();
    problem = u.reason;
  }
  if (!e) {
    r.forgetSubEntities();
    if (known && !problem.empty())
      r.warn(rec.line, std::string(type) + ": " + problem + "; kept as a proxy entity");
    std::vector<const Record*> proxySubs = subs;
    if (complex && next > i + 1 && records[next - 1].type == "SEQEND") proxySubs.push_back(&records[next - 1]);
    e = makeProxy(r, s, proxySubs);
    r.keptAsProxy(type, true);
  }
  r.addEntity(std::move(e), s, owner);
  return next;
}

void readEntities(Reader& r, const Section& s) {
  const AcDbObjectId model = r.db().modelSpaceId();
  for (std::size_t i = 0; i < s.records.size();) i = readEntityAt(r, s.records, i, AcDbObjectId::kNull, model);
}

void readBlocks(Reader& r, const Section& s) {
  const std::vector<Record>& recs = s.records;
  for (std::size_t i = 0; i < recs.size();) {
    const Record& rec = recs[i];
    if (rec.type != "BLOCK") {
      r.warn(rec.line, std::string(rec.type) + " outside a block definition; left out");
      ++i;
      continue;
    }
    SplitRecord bs = r.split(rec, true);
    std::u16string name, description;
    PointReader base;
    for (const Group& g : bs.body) {
      if (base.take(g, 10)) continue;
      if (g.code == 2) name = r.text(trimmed(g.value));
      if (g.code == 4) description = r.text(g);
    }
    if (name.empty())
      for (const Group& g : rec.groups)
        if (g.code == 2 || g.code == 3) name = r.text(trimmed(g.value));
    // R12 names of the two layouts.
    if (arxdetail::namesEqual(name, u"$MODEL_SPACE")) name = ACDB_MODEL_SPACE;
    if (arxdetail::namesEqual(name, u"$PAPER_SPACE")) name = ACDB_PAPER_SPACE;
    AcDbObjectId block = r.blockNamed(name);
    if (block.isNull()) {
      auto* btr = new AcDbBlockTableRecord;
      if (btr->setName(name.c_str()) != Acad::eOk) {
        delete btr;
        fail(rec.line, "block without a name");
      }
      block = arxdetail::addRecordSilently(r.db(), r.db().blockTableId(), btr);
    }
    auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block);
    if (!DbAccess::entities(*btr).empty())
      r.warn(rec.line, "block \"" + win32::utf16ToUtf8(name) + "\" is defined twice; the entities join");
    {
      DbAccess::OwnerEdit edit(*btr);
      btr->setOrigin(base.p);
      if (!description.empty()) btr->setComments(description.c_str());
    }
    std::size_t j = i + 1;
    while (j < recs.size() && recs[j].type != "ENDBLK" && recs[j].type != "BLOCK") j = readEntityAt(r, recs, j, block, block);
    if (j >= recs.size() || recs[j].type != "ENDBLK") fail(rec.line, "block \"" + win32::utf16ToUtf8(name) + "\" is not closed by ENDBLK");
    i = j + 1;
  }
}

}  // namespace arxdxf::detail
