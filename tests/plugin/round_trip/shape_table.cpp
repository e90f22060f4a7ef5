#include "plugin/round_trip/shape_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "arx/dbapserv.h"
#include "arx/dbblkref.h"
#include "arx/dbcolor.h"
#include "arx/dbcomplex.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbextents.h"
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
#include "win32/unicode.h"

namespace roundtrip {
namespace {

std::string narrow(const std::u16string& s) { return win32::utf16ToUtf8(s); }

template <class T>
const T* as(const AcDbEntity& e) {
  return e.isKindOf(T::desc()) ? static_cast<const T*>(&e) : nullptr;
}

// The altitude a map vertex carries: the integer part of Z; above 65536 it is sent as 0.
double altitudeOf(double z) {
  const double a = std::trunc(z);
  return (a > 65536.0 || !std::isfinite(a)) ? 0.0 : a;
}

bool atOrigin(const AcGePoint3d& p) { return std::fabs(p.x) < 1e-10 && std::fabs(p.y) < 1e-10 && std::fabs(p.z) < 1e-10; }

struct LayerInfo {
  int colorIndex = 7;
  std::string linetype = "Continuous";
};

LayerInfo layerInfo(AcDbObjectId layerId) {
  LayerInfo info;
  AcDbLayerTableRecord* layer = nullptr;
  if (acdbOpenObject(layer, layerId, AcDb::kForRead) != Acad::eOk) return info;
  info.colorIndex = layer->color().colorIndex();
  AcDbLinetypeTableRecord* lt = nullptr;
  if (acdbOpenObject(lt, layer->linetypeObjectId(), AcDb::kForRead) == Acad::eOk) {
    info.linetype = narrow(lt->getName());
    lt->close();
  }
  layer->close();
  return info;
}

long rgbOfIndex(int index) { return static_cast<long>(acedGetRGB(index) & 0xFFFFFF); }

// The colour the sender gives an entity: ByBlock white, ByLayer the layer's (or, for the part
// of a group, the group's own colour), true colours not compared.
constexpr long kTopLevel = -2;  // not a part of a group: ByLayer is the layer's colour

long sentColour(const AcDbEntity& e, long inherited) {
  const AcCmColor c = e.color();
  if (c.isByBlock()) return 0xFFFFFF;
  if (c.isByLayer()) return inherited != kTopLevel ? inherited : rgbOfIndex(layerInfo(e.layerId()).colorIndex);
  if (c.isByACI()) return rgbOfIndex(c.colorIndex());
  return -1;
}

// A gradient's area takes the gradient's first colour, which is not the entity's.
long expectedColour(const AcDbEntity& e, long inherited) {
  if (const auto* h = as<AcDbHatch>(e); h && h->isGradient()) return -1;
  return sentColour(e, inherited);
}

bool containsNoCase(std::string hay, std::string needle) {
  for (auto* s : {&hay, &needle})
    for (char& ch : *s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return hay.find(needle) != std::string::npos;
}

// The host's eight line styles: the linetype a drawing linetype comes back as.
std::string linetypeBack(const AcDbEntity& e) {
  std::string name = narrow(e.linetype());
  if (containsNoCase(name, "BYLAYER") && name.size() == 7) name = layerInfo(e.layerId()).linetype;
  if (containsNoCase(name, "BYBLOCK") && name.size() == 7) name = layerInfo(e.layerId()).linetype;
  if (containsNoCase(name, "CONTINUOUS") && name.size() == 10) return "Continuous";
  if (containsNoCase(name, "ACAD_ISO")) {
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (upper == "ACAD_ISO02W100") return "JIS_02_1.0";
    if (upper == "ACAD_ISO07W100") return "DOT";
    if (upper == "ACAD_ISO04W100" || upper == "ACAD_ISO10W100") return "DASHDOT";
    return "DIVIDE";
  }
  for (const char* key : {"DASHDOTX2", "DIVIDEX2", "DASHDOT", "CENTER", "DIVIDE", "DASHED"})
    if (name.find(key) != std::string::npos) return std::string(key) == "CENTER" ? "DASHDOT" : key;
  return "Continuous";
}

void push(std::vector<double>& v, const AcGePoint3d& p, bool withZ) {
  v.push_back(p.x);
  v.push_back(p.y);
  if (withZ) v.push_back(p.z);
}

// Two end points in a fixed order (the receiver may build the arc the other way round).
void pushPair(std::vector<double>& v, AcGePoint3d a, AcGePoint3d b) {
  if (std::tie(b.x, b.y) < std::tie(a.x, a.y)) std::swap(a, b);
  push(v, a, false);
  push(v, b, false);
}

// A vertex list sent as a line: the receiver builds a lightweight polyline (x, y, bulge) when
// no altitude is set or any bulge is, else a 3D polyline (x, y, altitude).
Shape lineShape(const std::vector<AcGePoint3d>& points, const std::vector<double>& bulges, bool closed) {
  bool elevation = false, hasBulge = false;
  for (const auto& p : points) elevation |= altitudeOf(p.z) != 0.0;
  for (double b : bulges) hasBulge |= b != 0.0;
  Shape s;
  s.cls = (!elevation || hasBulge) ? "AcDbPolyline" : "AcDb3dPolyline";
  for (std::size_t i = 0; i < points.size(); ++i) {
    s.values.push_back(points[i].x);
    s.values.push_back(points[i].y);
    if (s.cls == "AcDbPolyline")
      s.values.push_back(i < bulges.size() ? bulges[i] : 0.0);
    else
      s.values.push_back(altitudeOf(points[i].z));
  }
  s.values.push_back(closed ? 1.0 : 0.0);
  return s;
}

bool allAtOrigin(const std::vector<AcGePoint3d>& points) {
  return std::all_of(points.begin(), points.end(), [](const AcGePoint3d& p) { return atOrigin(p); });
}

struct Leaf {
  std::optional<Shape> shape;
  std::string leftOutBy;
  bool curve = false;  // sent as a line record: its linetype comes back through the line styles
};

AcGePoint3d anchorOf(const AcDbText& t) {
  AcGePoint3d a = t.alignmentPoint();
  if (a.x == 0.0 && a.y == 0.0 && !atOrigin(t.position())) a = t.position();
  return a;
}

Leaf leafOf(const AcDbEntity& e, const Context& ctx, bool insideGroup) {
  Leaf out;
  auto left = [&](const char* rule) {
    out.leftOutBy = rule;
    return out;
  };
  auto shape = [&](std::string cls, std::vector<double> values) {
    Shape s;
    s.cls = std::move(cls);
    s.values = std::move(values);
    out.shape = std::move(s);
    return out;
  };
  if (e.visibility() != AcDb::kVisible) return left("invisible entities are not sent");
  if (const auto* p = as<AcDbPoint>(e)) {
    if (insideGroup) return left("points among a group's parts are not sent");
    if (ctx.pointsOnLayer < 2) return left("a single new point of a layer is not sent");
    const AcGePoint3d q = p->position();
    return shape("AcDbPoint", {q.x, q.y, altitudeOf(q.z)});
  }
  if (const auto* a = as<AcDbAttributeDefinition>(e)) {
    if (a->tag().empty()) return left("an attribute definition without a tag has no label");
    AcDbExtents ext;
    const AcGePoint3d q = a->getGeomExtents(ext) == Acad::eOk ? ext.minPoint() : a->alignmentPoint();
    return shape("AcDbText", {q.x, q.y});
  }
  if (const auto* t = as<AcDbText>(e)) {  // TEXT and ATTRIB
    if (t->textString().empty()) return left("an empty text makes no label");
    AcGePoint3d q = anchorOf(*t);
    if (as<AcDbAttribute>(e)) {
      AcDbExtents ext;
      if (t->getGeomExtents(ext) == Acad::eOk) q = ext.minPoint();
    } else {
      AcDbExtents ext;
      const bool leftBaseline = (t->horizontalMode() == AcDb::kTextLeft || t->horizontalMode() == AcDb::kTextAlign ||
                                 t->horizontalMode() == AcDb::kTextFit) &&
                                t->verticalMode() == AcDb::kTextBase;
      if (t->getGeomExtents(ext) == Acad::eOk && ext.maxPoint().x - ext.minPoint().x < 0.01 && !leftBaseline)
        q = t->position();
    }
    return shape("AcDbText", {q.x, q.y});
  }
  if (const auto* m = as<AcDbMText>(e)) {
    if (m->text().empty()) return left("an empty multi-line text makes no label");
    return shape("AcDbMText", {m->location().x, m->location().y});
  }
  if (const auto* img = as<AcDbRasterImage>(e)) {
    // Sent as a point mark at the middle of its bottom edge when its size looks like an icon's
    // or a tile's; a nameless point mark comes back as a point.
    AcGePoint3d origin;
    AcGeVector3d u, v;
    img->getOrientation(origin, u, v);
    const auto w = static_cast<long>(u.length()), h = static_cast<long>(v.length());
    if (!((w % 15 == 0 && h % 15 == 0) || u.length() == 8.0 || u.length() == 4.0))
      return left("an image whose size is not a multiple of 15 (nor 8 or 4 wide) is not sent");
    return shape("AcDbPoint", {origin.x + u.x * 0.5, origin.y, origin.z});
  }
  out.curve = true;
  if (const auto* el = as<AcDbEllipse>(e)) {
    const AcGePoint3d c = el->center();
    std::vector<double> v{c.x, c.y, el->majorRadius(), el->minorRadius()};
    AcGePoint3d s, t;
    el->getStartPoint(s);
    el->getEndPoint(t);
    if (!el->isClosed()) pushPair(v, s, t);
    return shape("AcDbEllipse", v);
  }
  if (const auto* l = as<AcDbLine>(e)) {
    const std::vector<AcGePoint3d> pts{l->startPoint(), l->endPoint()};
    if (allAtOrigin(pts)) return left("a line whose points are all at the origin is not sent");
    out.shape = lineShape(pts, {}, false);
    return out;
  }
  if (const auto* c = as<AcDbCircle>(e)) {
    const AcGePoint3d q = c->center();
    return shape("AcDbCircle", {q.x, q.y, c->radius()});
  }
  if (const auto* a = as<AcDbArc>(e)) {
    std::vector<double> v{a->center().x, a->center().y, a->radius()};
    AcGePoint3d s, t;
    a->getStartPoint(s);
    a->getEndPoint(t);
    pushPair(v, s, t);
    return shape("AcDbArc", v);
  }
  if (const auto* sp = as<AcDbSpline>(e)) {
    std::vector<double> v;
    for (int i = 0; i < sp->numControlPoints(); ++i) {
      AcGePoint3d p;
      sp->getControlPointAt(i, p);
      v.insert(v.end(), {p.x, p.y, altitudeOf(p.z)});
    }
    return shape("AcDbSpline", v);
  }
  if (const auto* pl = as<AcDbPolyline>(e)) {
    if (pl->numVerts() < 2) return left("a polyline with fewer than 2 vertices is not sent");
    std::vector<AcGePoint3d> pts;
    std::vector<double> bulges;
    for (unsigned i = 0; i < pl->numVerts(); ++i) {
      AcGePoint2d p;
      double b = 0;
      pl->getPointAt(i, p);
      pl->getBulgeAt(i, b);
      pts.emplace_back(p.x, p.y, 0.0);
      bulges.push_back(b);
    }
    if (allAtOrigin(pts)) return left("a line whose points are all at the origin is not sent");
    out.shape = lineShape(pts, bulges, pl->isClosed());
    // A lightweight polyline comes back as one whatever its altitudes: its Z is 0.
    out.shape->cls = "AcDbPolyline";
    return out;
  }
  if (as<AcDb2dPolyline>(e) || as<AcDb3dPolyline>(e)) {
    const bool twoD = as<AcDb2dPolyline>(e) != nullptr;
    std::unique_ptr<AcDbObjectIterator> it(twoD ? as<AcDb2dPolyline>(e)->vertexIterator()
                                                : as<AcDb3dPolyline>(e)->vertexIterator());
    std::vector<AcGePoint3d> pts;
    std::vector<double> bulges;
    for (it->start(); !it->done(); it->step()) {
      if (twoD) {
        const auto* v = static_cast<const AcDb2dVertex*>(it->entity());
        if (v->vertexType() == 1) continue;
        pts.push_back(v->position());
        bulges.push_back(v->bulge());
      } else {
        const auto* v = static_cast<const AcDb3dPolylineVertex*>(it->entity());
        if (v->vertexType() == 1) continue;
        pts.push_back(v->position());
      }
    }
    if (pts.size() < 2) return left("a polyline with fewer than 2 vertices is not sent");
    if (allAtOrigin(pts)) return left("a line whose points are all at the origin is not sent");
    out.shape = lineShape(pts, bulges, static_cast<const AcDbCurve&>(e).isClosed());
    return out;
  }
  if (const auto* ml = as<AcDbMline>(e)) {
    out.curve = false;  // not a curve: sent with line style 0
    std::vector<AcGePoint3d> pts;
    for (int i = 0; i < ml->numVertices(); ++i) pts.push_back(ml->vertexAt(i));
    if (ml->closedMline() && !pts.empty()) pts.push_back(pts.front());
    if (pts.empty() || allAtOrigin(pts)) return left("a line whose points are all at the origin is not sent");
    out.shape = lineShape(pts, {}, false);
    out.shape->what = "linetype Continuous";
    return out;
  }
  out.curve = false;
  if (const auto* so = as<AcDbSolid>(e)) {
    std::vector<double> v{1.0};
    AcGePoint3d p[4];
    for (Adesk::UInt16 i = 0; i < 4; ++i) so->getPointAt(i, p[i]);
    for (int i : {0, 1, 3, 2, 0}) push(v, p[i], false);
    return shape("AcDbHatch", v);
  }
  if (const auto* h = as<AcDbHatch>(e)) {
    AcDbExtents ext;
    if (h->getGeomExtents(ext) != Acad::eOk) return left("a hatch without extents has no boundary to send");
    Shape s;
    s.cls = "AcDbHatch";
    // Its loops are sent in the hatch's own plane: compared only when that is the drawing's.
    const AcGeVector3d n = h->normal();
    if (std::fabs(n.x) < 1e-12 && std::fabs(n.y) < 1e-12 && n.z > 0) {
      s.values = {ext.minPoint().x, ext.minPoint().y, ext.maxPoint().x, ext.maxPoint().y};
      s.what = "bounds";  // curves come back as points on them, inside the hatch's extents
    } else {
      s.what = "tilted";
    }
    out.shape = s;
    return out;
  }
  return left("the sender does not know this class");
}

}  // namespace

std::string layerNameOf(const std::string& folderName) {
  std::string out = folderName;
  for (char& ch : out)
    if (std::string_view("<>/\\\":;?*|,=`").find(ch) != std::string_view::npos) ch = '_';
  return out;
}

Expectation expectedBack(const AcDbEntity& source, const Context& context) {
  Expectation x;
  const std::string cls = narrow(source.isA()->name());
  if (as<AcDbProxyEntity>(source) && cls != "AcDbZombieEntity" && cls != "AcDbProxyObject") {
    x.leftOutBy = "the sender explodes proxies of the classes AcDbZombieEntity and AcDbProxyObject only";
    return x;
  }
  const bool group = as<AcDbBlockReference>(source) || as<AcDbRegion>(source) || as<AcDbProxyEntity>(source) ||
                     as<AcDbZombieEntity>(source);
  if (!group) {
    Leaf leaf = leafOf(source, context, false);
    if (!leaf.shape) {
      x.leftOutBy = leaf.leftOutBy;
      return x;
    }
    Shape s = *leaf.shape;
    s.layer = narrow(source.layer());
    s.rgb = s.cls == "AcDbPoint" ? 0 : expectedColour(source, kTopLevel);
    if (leaf.curve) s.linetype = linetypeBack(source);
    if (s.what.empty()) s.what = narrow(source.isA()->name());
    x.shapes.push_back(s);
    return x;
  }
  if (source.visibility() != AcDb::kVisible) {
    x.leftOutBy = "invisible entities are not sent";
    return x;
  }
  x.group = true;
  std::string folder;
  if (const auto* ref = as<AcDbBlockReference>(source)) {
    AcDbBlockTableRecord* btr = nullptr;
    if (acdbOpenObject(btr, ref->blockTableRecord(), AcDb::kForRead) == Acad::eOk) {
      folder = narrow(btr->getName()).substr(0, 100);
      btr->close();
    }
  }
  const long inherited = sentColour(source, kTopLevel);  // -1 (not compared) for a true colour
  // Explode as the sender does: nested groups give their parts to the top-level folder.
  std::vector<std::unique_ptr<AcDbEntity>> work;
  auto explodeInto = [&](const AcDbEntity& e) {
    AcDbVoidPtrArray parts;
    Acad::ErrorStatus es = e.explode(parts);
    const auto* ref = as<AcDbBlockReference>(e);
    if (es == Acad::eCannotScaleNonUniformly && ref) {
      // Contents that cannot take a non-uniform scale: the parts at scale 1, then scaled as
      // the reference places them (circles become ellipses).
      std::unique_ptr<AcDbBlockReference> unit(static_cast<AcDbBlockReference*>(ref->clone()));
      unit->setScaleFactors(AcGeScale3d(1, 1, 1));
      const AcGeMatrix3d removed = ref->blockTransform() * unit->blockTransform().inverse();
      AcDbVoidPtrArray unitParts;
      if (unit->explode(unitParts) != Acad::eOk) return false;
      for (void* p : unitParts) {
        std::unique_ptr<AcDbEntity> part(static_cast<AcDbEntity*>(p));
        AcDbEntity* copy = nullptr;
        if (part->getTransformedCopy(removed, copy) == Acad::eOk && copy) parts.append(copy);
      }
      es = Acad::eOk;
    }
    if (es != Acad::eOk) return false;
    for (void* p : parts) work.emplace_back(static_cast<AcDbEntity*>(p));
    if (const auto* ref = as<AcDbBlockReference>(e)) {
      std::unique_ptr<AcDbObjectIterator> it(ref->attributeIterator());
      for (it->start(); !it->done(); it->step())
        if (auto* a = it->entity()) work.emplace_back(static_cast<AcDbEntity*>(a->clone()));
    }
    return true;
  };
  if (!explodeInto(source)) {
    x.leftOutBy = "a group that does not explode sends an empty folder";
    return x;
  }
  for (std::size_t i = 0; i < work.size(); ++i) {
    const AcDbEntity& part = *work[i];
    if (as<AcDbAttributeDefinition>(part)) continue;  // definitions of the block are not its parts
    if (as<AcDbBlockReference>(part) || as<AcDbRegion>(part) || as<AcDbProxyEntity>(part) || as<AcDbZombieEntity>(part)) {
      if (!explodeInto(part)) x.partsLeftOutBy.push_back(narrow(part.isA()->name()) + ": a nested group that does not explode");
      continue;
    }
    Leaf leaf = leafOf(part, context, true);
    if (!leaf.shape) {
      x.partsLeftOutBy.push_back(narrow(part.isA()->name()) + ": " + leaf.leftOutBy);
      continue;
    }
    Shape s = *leaf.shape;
    s.layer = folder.empty() ? "" : layerNameOf(folder);
    s.rgb = expectedColour(part, inherited);
    if (leaf.curve) s.linetype = linetypeBack(part);
    if (s.what.empty()) s.what = narrow(part.isA()->name()) + " in " + folder;
    x.shapes.push_back(s);
  }
  return x;
}

Shape shapeOf(const AcDbEntity& e) {
  Shape s;
  s.cls = narrow(e.isA()->name());
  s.layer = narrow(e.layer());
  const LayerInfo layer = layerInfo(e.layerId());
  const AcCmColor c = e.color();
  if (c.isByLayer())
    s.rgb = rgbOfIndex(layer.colorIndex);
  else if (c.isByACI())
    s.rgb = rgbOfIndex(c.colorIndex());
  else if (c.isByColor())
    s.rgb = static_cast<long>(c.red()) | static_cast<long>(c.green()) << 8 | static_cast<long>(c.blue()) << 16;
  const std::string lt = narrow(e.linetype());
  s.linetype = (lt == "ByLayer" || lt == "BYLAYER") ? layer.linetype : lt;
  if (const auto* p = as<AcDbPoint>(e)) {
    s.values = {p->position().x, p->position().y, p->position().z};
  } else if (const auto* t = as<AcDbText>(e)) {
    s.values = {t->position().x, t->position().y};
  } else if (const auto* m = as<AcDbMText>(e)) {
    s.values = {m->location().x, m->location().y};
  } else if (const auto* el = as<AcDbEllipse>(e)) {
    s.values = {el->center().x, el->center().y, el->majorRadius(), el->minorRadius()};
    AcGePoint3d a, b;
    el->getStartPoint(a);
    el->getEndPoint(b);
    // A full turn that does not start at 0 comes back as an arc whose ends meet (its angles
    // travel in single precision): a closed ellipse all the same.
    if (!el->isClosed() && a.distanceTo(b) > 1e-6 * el->majorRadius()) pushPair(s.values, a, b);
  } else if (const auto* ci = as<AcDbCircle>(e)) {
    s.values = {ci->center().x, ci->center().y, ci->radius()};
  } else if (const auto* a = as<AcDbArc>(e)) {
    s.values = {a->center().x, a->center().y, a->radius()};
    AcGePoint3d p, q;
    a->getStartPoint(p);
    a->getEndPoint(q);
    pushPair(s.values, p, q);
  } else if (const auto* sp = as<AcDbSpline>(e)) {
    for (int i = 0; i < sp->numControlPoints(); ++i) {
      AcGePoint3d p;
      sp->getControlPointAt(i, p);
      s.values.insert(s.values.end(), {p.x, p.y, p.z});
    }
  } else if (const auto* pl = as<AcDbPolyline>(e)) {
    for (unsigned i = 0; i < pl->numVerts(); ++i) {
      AcGePoint2d p;
      double b = 0;
      pl->getPointAt(i, p);
      pl->getBulgeAt(i, b);
      s.values.insert(s.values.end(), {p.x, p.y, b});
    }
    s.values.push_back(pl->isClosed() ? 1.0 : 0.0);
  } else if (const auto* p3 = as<AcDb3dPolyline>(e)) {
    std::unique_ptr<AcDbObjectIterator> it(p3->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
      const auto* v = static_cast<const AcDb3dPolylineVertex*>(it->entity());
      s.values.insert(s.values.end(), {v->position().x, v->position().y, v->position().z});
    }
    s.values.push_back(p3->isClosed() ? 1.0 : 0.0);
  } else if (const auto* h = as<AcDbHatch>(e)) {
    // The boundary entities the hatch is bound to, vertex by vertex.
    AcDbObjectIdArray ids;
    h->getAssocObjIds(ids);
    s.values.push_back(static_cast<double>(h->numLoops()));
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (AcDbObjectId id : ids) {
      AcDbPolyline* pl = nullptr;
      if (acdbOpenObject(pl, id, AcDb::kForRead) != Acad::eOk) continue;
      for (unsigned i = 0; i < pl->numVerts(); ++i) {
        AcGePoint2d p;
        pl->getPointAt(i, p);
        s.values.insert(s.values.end(), {p.x, p.y});
        minX = std::min(minX, p.x), minY = std::min(minY, p.y), maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
      }
      pl->close();
    }
    s.what = std::to_string(minX) + "," + std::to_string(minY) + "," + std::to_string(maxX) + "," + std::to_string(maxY);
    s.linetype.clear();
  }
  return s;
}

std::string compare(const Shape& expected, const Shape& received, double relTol, double scale) {
  if (expected.cls != received.cls) return expected.what + ": came back as " + received.cls + ", not " + expected.cls;
  if (!expected.layer.empty() && expected.layer != received.layer)
    return expected.what + ": layer " + received.layer + ", not " + expected.layer;
  char buf[160];
  if (expected.rgb >= 0 && expected.rgb != received.rgb) {
    std::snprintf(buf, sizeof buf, ": colour %06lX, not %06lX", received.rgb, expected.rgb);
    return expected.what + buf;
  }
  if (!expected.linetype.empty() && expected.linetype != received.linetype)
    return expected.what + ": linetype " + received.linetype + ", not " + expected.linetype;
  std::vector<double> want = expected.values, got = received.values;
  if (expected.cls == "AcDbHatch" && expected.what == "tilted") return "";
  if (expected.cls == "AcDbHatch" && expected.what == "bounds") {
    // A hatch's own loops come back as points on its curves (its arcs flattened, its splines
    // sampled): every point lies inside the hatch's extents.
    if (got.size() < 3) return "hatch: no boundary came back";
    const double margin = 1e-9 * scale;
    for (std::size_t i = 1; i + 1 < got.size(); i += 2)
      if (got[i] < want[0] - margin || got[i + 1] < want[1] - margin || got[i] > want[2] + margin ||
          got[i + 1] > want[3] + margin) {
        std::snprintf(buf, sizeof buf, "hatch: boundary point %.12g,%.12g lies outside its extents", got[i], got[i + 1]);
        return buf;
      }
    return "";
  }
  if (want.size() != got.size()) return expected.what + ": " + std::to_string(got.size()) + " values, not " + std::to_string(want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const double limit = relTol * std::max({std::fabs(want[i]), std::fabs(got[i]), scale});
    if (!(std::fabs(want[i] - got[i]) <= limit)) {
      std::snprintf(buf, sizeof buf, ": value %zu is %.12g, not %.12g", i, got[i], want[i]);
      return expected.what + buf;
    }
  }
  return "";
}

}  // namespace roundtrip
