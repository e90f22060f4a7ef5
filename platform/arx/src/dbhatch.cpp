// Hatches: loops (polyline, edge, derived from entities), patterns, gradients, extents,
// transformation.
#include "arx/dbhatch.h"

#include <cmath>
#include <cstdlib>

#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbspline.h"
#include "db_internal.h"
#include "entity_geom.h"
#include "hatch_patterns.h"

using arxdetail::kPi;
using arxdetail::kTwoPi;

namespace {

struct Edge {
  std::unique_ptr<AcGeCurve2d> curve;
  int type = 0;
};

AcGePoint2d to2d(const AcGeVector3d& n, const AcGePoint3d& w) {
  AcGePoint3d o = arxdetail::worldToOcs(n, w);
  return {o.x, o.y};
}

AcGeVector2d vec2d(const AcGeVector3d& n, const AcGeVector3d& v) {
  AcGeVector3d o = AcGeMatrix3d::worldToPlane(n) * v;
  return {o.x, o.y};
}

// +1 when a planar entity's normal agrees with the hatch's, -1 when opposite, 0 otherwise.
int orientation(const AcGeVector3d& hatchNormal, const AcGeVector3d& n) {
  double d = hatchNormal.normal().dotProduct(n.normal());
  if (d > 1 - 1e-9) return 1;
  if (d < -1 + 1e-9) return -1;
  return 0;
}

double paramOf(const AcGeCircArc2d& arc, const AcGePoint2d& p, bool clockwise) {
  AcGeVector2d v = p - arc.center();
  AcGeVector2d ref = arc.refVec();
  double a = std::atan2(ref.x * v.y - ref.y * v.x, ref.dotProduct(v));
  return arxdetail::normalizeAngle(clockwise ? -a : a);
}

// The circular arc centre c, radius r from world points s to e running counter-clockwise about
// its own normal, expressed in the hatch OCS.
std::unique_ptr<AcGeCurve2d> arcEdge(const AcGeVector3d& hn, int orient, const AcGePoint3d& c, double r,
                                     const AcGePoint3d& s, double sweep) {
  auto arc = std::make_unique<AcGeCircArc2d>(to2d(hn, c), r);
  bool clockwise = orient < 0;
  double start = 0.0;
  AcGeCircArc2d probe(to2d(hn, c), r, 0.0, kTwoPi, AcGeVector2d::kXAxis, clockwise);
  start = paramOf(probe, to2d(hn, s), clockwise);
  arc->set(to2d(hn, c), r, start, start + sweep, AcGeVector2d::kXAxis, clockwise);
  return arc;
}

void addLine(std::vector<Edge>& out, const AcGePoint2d& a, const AcGePoint2d& b) {
  out.push_back({std::make_unique<AcGeLineSeg2d>(a, b), AcDbHatch::kLine});
}

// Edges of a lightweight-polyline-like path given by world vertices and bulges in a plane.
Acad::ErrorStatus pathEdges(const AcGeVector3d& hn, const AcGeVector3d& pn, const std::vector<AcGePoint3d>& pts,
                            const std::vector<double>& bulges, bool closed, std::vector<Edge>& out) {
  int orient = orientation(hn, pn);
  if (orient == 0) return Acad::eInvalidInput;
  std::size_t n = pts.size();
  std::size_t segs = n < 2 ? 0 : (closed ? n : n - 1);
  for (std::size_t i = 0; i < segs; ++i) {
    AcGePoint2d a = to2d(hn, pts[i]), b = to2d(hn, pts[(i + 1) % n]);
    if (a.isEqualTo(b)) continue;
    double bulge = bulges[i] * orient;
    if (std::fabs(bulge) >= 1e-10)
      out.push_back({std::make_unique<AcGeCircArc2d>(a, b, bulge), AcDbHatch::kCirArc});
    else
      addLine(out, a, b);
  }
  return Acad::eOk;
}

// Reads a boundary entity as edges in the hatch OCS.
Acad::ErrorStatus edgesOf(const AcDbEntity* e, const AcGeVector3d& hn, std::vector<Edge>& out) {
  if (auto* line = AcDbLine::cast(e)) {
    addLine(out, to2d(hn, line->startPoint()), to2d(hn, line->endPoint()));
    return Acad::eOk;
  }
  if (auto* arc = AcDbArc::cast(e)) {
    int orient = orientation(hn, arc->normal());
    if (orient == 0) return Acad::eInvalidInput;
    AcGePoint3d s;
    arc->getStartPoint(s);
    out.push_back({arcEdge(hn, orient, arc->center(), arc->radius(), s, arc->totalAngle()), AcDbHatch::kCirArc});
    return Acad::eOk;
  }
  if (auto* circle = AcDbCircle::cast(e)) {
    int orient = orientation(hn, circle->normal());
    if (orient == 0) return Acad::eInvalidInput;
    AcGePoint3d s;
    circle->getPointAtParam(0.0, s);
    out.push_back({arcEdge(hn, orient, circle->center(), circle->radius(), s, kTwoPi), AcDbHatch::kCirArc});
    return Acad::eOk;
  }
  if (auto* ellipse = AcDbEllipse::cast(e)) {
    if (orientation(hn, ellipse->normal()) == 0) return Acad::eInvalidInput;
    AcGeVector2d major = vec2d(hn, ellipse->majorAxis()), minor = vec2d(hn, ellipse->minorAxis());
    double s = 0, t = 0;
    ellipse->getStartParam(s);
    ellipse->getEndParam(t);
    out.push_back({std::make_unique<AcGeEllipArc2d>(to2d(hn, ellipse->center()), major.normal(), minor.normal(),
                                                    major.length(), minor.length(), s, t),
                   AcDbHatch::kEllArc});
    return Acad::eOk;
  }
  if (auto* spline = AcDbSpline::cast(e)) {
    if (spline->isNull()) return Acad::eInvalidInput;
    int degree = 0;
    bool rational = false, closed = false, periodic = false;
    AcGePoint3dArray cps;
    AcGeDoubleArray knots, weights;
    double ct = 0, kt = 0;
    spline->getNurbsData(degree, rational, closed, periodic, cps, knots, weights, ct, kt);
    AcGePoint2dArray cps2;
    for (const auto& p : cps) cps2.append(to2d(hn, p));
    out.push_back({std::make_unique<AcGeNurbCurve2d>(degree, AcGeKnotVector(knots), cps2,
                                                     rational ? weights : AcGeDoubleArray(), periodic),
                   AcDbHatch::kSpline});
    return Acad::eOk;
  }
  if (auto* pl = AcDbPolyline::cast(e)) {
    std::vector<AcGePoint3d> pts;
    std::vector<double> bulges;
    for (unsigned i = 0; i < pl->numVerts(); ++i) {
      AcGePoint3d p;
      double b = 0;
      pl->getPointAt(i, p);
      pl->getBulgeAt(i, b);
      pts.push_back(p);
      bulges.push_back(b);
    }
    return pathEdges(hn, pl->normal(), pts, bulges, pl->isClosed(), out);
  }
  if (auto* pl2 = AcDb2dPolyline::cast(e)) {
    std::vector<AcGePoint3d> pts;
    std::vector<double> bulges;
    AcDbObjectIterator* it = pl2->vertexIterator();
    for (; !it->done(); it->step()) {
      auto* v = AcDb2dVertex::cast(it->entity());
      if (!v || v->vertexType() == AcDb::k2dSplineCtlVertex) continue;
      pts.push_back(arxdetail::ocsToWorld(pl2->normal(), AcGePoint3d(v->position().x, v->position().y, pl2->elevation())));
      bulges.push_back(v->bulge());
    }
    delete it;
    return pathEdges(hn, pl2->normal(), pts, bulges, pl2->isClosed(), out);
  }
  if (auto* pl3 = AcDb3dPolyline::cast(e)) {
    std::vector<AcGePoint3d> pts;
    AcDbObjectIterator* it = pl3->vertexIterator();
    for (; !it->done(); it->step()) {
      auto* v = AcDb3dPolylineVertex::cast(it->entity());
      if (v && v->vertexType() != AcDb::k3dControlVertex) pts.push_back(v->position());
    }
    delete it;
    return pathEdges(hn, hn, pts, std::vector<double>(pts.size(), 0.0), pl3->isClosed(), out);
  }
  return Acad::eInvalidInput;
}

std::unique_ptr<AcGeCurve2d> reversed(const AcGeCurve2d& c) {
  if (c.isKindOf(AcGe::kLineSeg2d)) {
    const auto& l = static_cast<const AcGeLineSeg2d&>(c);
    return std::make_unique<AcGeLineSeg2d>(l.endPoint(), l.startPoint());
  }
  if (c.isKindOf(AcGe::kCircArc2d)) {
    const auto& a = static_cast<const AcGeCircArc2d&>(c);
    bool cw = !a.isClockWise();
    auto r = std::make_unique<AcGeCircArc2d>(a.center(), a.radius(), 0.0, kTwoPi, a.refVec(), cw);
    double start = paramOf(*r, a.endPoint(), cw);
    r->setAngles(start, start + (a.endAng() - a.startAng()));
    return r;
  }
  if (c.isKindOf(AcGe::kEllipArc2d)) {
    const auto& e = static_cast<const AcGeEllipArc2d&>(c);
    return std::make_unique<AcGeEllipArc2d>(e.center(), e.majorAxis(), -e.minorAxis(), e.majorRadius(),
                                            e.minorRadius(), -e.endAng(), -e.startAng());
  }
  const auto& n = static_cast<const AcGeNurbCurve2d&>(c);
  AcGePoint2dArray cps;
  AcGeDoubleArray weights, knots;
  for (int i = n.numControlPoints() - 1; i >= 0; --i) {
    cps.append(n.controlPointAt(i));
    if (n.isRational()) weights.append(n.weightAt(i));
  }
  double sum = n.knotAt(0) + n.knotAt(n.numKnots() - 1);
  for (int i = n.numKnots() - 1; i >= 0; --i) knots.append(sum - n.knotAt(i));
  return std::make_unique<AcGeNurbCurve2d>(n.degree(), AcGeKnotVector(knots), cps, weights, n.isPeriodic());
}

AcGePoint2d startOf(const AcGeCurve2d& c) {
  AcGePoint2d p;
  c.hasStartPoint(p);
  return p;
}

AcGePoint2d endOf(const AcGeCurve2d& c) {
  AcGePoint2d p;
  c.hasEndPoint(p);
  return p;
}

// Orders and turns edges into one closed chain; false when they do not close.
bool chain(std::vector<Edge>& edges) {
  if (edges.empty()) return false;
  AcGeBoundBlock2d box;
  for (const auto& e : edges) {
    AcGePoint2d lo, hi;
    e.curve->orthoBoundBlock().getMinMaxPoints(lo, hi);
    box.extend(lo);
    box.extend(hi);
  }
  AcGePoint2d lo, hi;
  box.getMinMaxPoints(lo, hi);
  const AcGeTol tol(1e-6 * (1.0 + lo.distanceTo(hi)), 1e-6);
  std::vector<Edge> ordered;
  ordered.push_back(std::move(edges.front()));
  std::vector<bool> used(edges.size(), false);
  used[0] = true;
  for (std::size_t k = 1; k < edges.size(); ++k) {
    AcGePoint2d tail = endOf(*ordered.back().curve);
    bool found = false;
    for (std::size_t j = 1; j < edges.size() && !found; ++j) {
      if (used[j]) continue;
      if (startOf(*edges[j].curve).isEqualTo(tail, tol)) {
        found = true;
      } else if (endOf(*edges[j].curve).isEqualTo(tail, tol)) {
        edges[j].curve = reversed(*edges[j].curve);
        found = true;
      }
      if (found) {
        used[j] = true;
        ordered.push_back(std::move(edges[j]));
      }
    }
    if (!found) return false;
  }
  if (!endOf(*ordered.back().curve).isEqualTo(startOf(*ordered.front().curve), tol)) return false;
  edges = std::move(ordered);
  return true;
}

bool pointInPolygon(const AcGePoint2d& p, const std::vector<AcGePoint2d>& poly) {
  bool inside = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const auto& a = poly[i];
    const auto& b = poly[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

#define ARX_SETTER(NAME, TYPE, MEMBER)                        \
  Acad::ErrorStatus AcDbHatch::NAME(TYPE v) {                 \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v;                                               \
    return Acad::eOk;                                         \
  }

}  // namespace

AcDbHatch::AcDbHatch() = default;

AcDbHatch::Loop AcDbHatch::copyLoop(const Loop& l) {
  Loop c;
  c.type = l.type;
  c.polyline = l.polyline;
  c.vertices = l.vertices;
  c.bulges = l.bulges;
  for (const auto& e : l.edges) c.edges.emplace_back(static_cast<AcGeCurve2d*>(e->copy()));
  c.edgeTypes = l.edgeTypes;
  c.sources = l.sources;
  return c;
}

AcDbHatch::AcDbHatch(const AcDbHatch& o)
    : AcDbEntity(o), normal_(o.normal_), elevation_(o.elevation_), associative_(o.associative_),
      patternType_(o.patternType_), patternName_(o.patternName_), patternAngle_(o.patternAngle_),
      patternScale_(o.patternScale_), patternSpace_(o.patternSpace_), patternDouble_(o.patternDouble_),
      customLines_(o.customLines_), lines_(o.lines_), style_(o.style_), origin_(o.origin_),
      objectType_(o.objectType_), gradientType_(o.gradientType_), gradientName_(o.gradientName_),
      gradientAngle_(o.gradientAngle_), gradientShift_(o.gradientShift_), oneColorMode_(o.oneColorMode_),
      shadeTint_(o.shadeTint_), gradientColors_(o.gradientColors_), gradientValues_(o.gradientValues_),
      seeds_(o.seeds_) {
  for (const auto& l : o.loops_) loops_.push_back(copyLoop(l));
}

AcDbHatch::~AcDbHatch() = default;

Acad::ErrorStatus AcDbHatch::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  normal_ = n.normal();
  return Acad::eOk;
}

ARX_SETTER(setElevation, double, elevation_)
ARX_SETTER(setAssociative, bool, associative_)
ARX_SETTER(setPatternAngle, double, patternAngle_)
ARX_SETTER(setPatternDouble, bool, patternDouble_)
ARX_SETTER(setHatchStyle, HatchStyle, style_)
ARX_SETTER(setOrigin, const AcGePoint2d&, origin_)
ARX_SETTER(setHatchObjectType, HatchObjectType, objectType_)
ARX_SETTER(setGradientAngle, double, gradientAngle_)
ARX_SETTER(setGradientShift, float, gradientShift_)
ARX_SETTER(setGradientOneColorMode, bool, oneColorMode_)
ARX_SETTER(setShadeTintValue, float, shadeTint_)

Adesk::Int32 AcDbHatch::loopTypeAt(int loopIndex) const {
  if (loopIndex < 0 || loopIndex >= numLoops()) return kDefault;
  return loops_[static_cast<std::size_t>(loopIndex)].type;
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const AcGePoint2dArray& vertices,
                                        const AcGeDoubleArray& bulges) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (vertices.length() < 2) return Acad::eInvalidInput;
  if (!bulges.isEmpty() && bulges.length() != vertices.length()) return Acad::eInvalidInput;
  Loop l;
  l.type = loopType | kPolyline;
  l.polyline = true;
  l.vertices = vertices;
  l.bulges = bulges.isEmpty() ? AcGeDoubleArray() : bulges;
  if (l.bulges.isEmpty())
    for (int i = 0; i < vertices.length(); ++i) l.bulges.append(0.0);
  loops_.push_back(std::move(l));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const AcGeVoidPointerArray& edgePtrs,
                                        const AcGeIntArray& edgeTypes) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (edgePtrs.isEmpty() || edgePtrs.length() != edgeTypes.length()) return Acad::eInvalidInput;
  Loop l;
  l.type = loopType & ~kPolyline;
  for (int i = 0; i < edgePtrs.length(); ++i) {
    auto* c = static_cast<AcGeCurve2d*>(edgePtrs[i]);
    if (!c) return Acad::eInvalidInput;
    const AcGe::EntityId expected[] = {AcGe::kLineSeg2d, AcGe::kCircArc2d, AcGe::kEllipArc2d, AcGe::kNurbCurve2d};
    int t = edgeTypes[i];
    if (t < kLine || t > kSpline || !c->isKindOf(expected[t - 1])) return Acad::eInvalidInput;
    l.edges.emplace_back(static_cast<AcGeCurve2d*>(c->copy()));
    l.edgeTypes.append(t);
  }
  loops_.push_back(std::move(l));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const AcDbObjectIdArray& dbObjIds) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (dbObjIds.isEmpty()) return Acad::eInvalidInput;
  std::vector<AcDbEntity*> opened;
  auto closeAll = [&] {
    for (AcDbEntity* e : opened) e->close();
  };
  for (AcDbObjectId id : dbObjIds) {
    AcDbEntity* e = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbEntity(e, id, AcDb::kForRead);
    if (es != Acad::eOk) {
      closeAll();
      return es;
    }
    opened.push_back(e);
  }
  Loop l;
  l.sources = dbObjIds;
  // A single closed polyline becomes a polyline loop.
  if (opened.size() == 1) {
    auto* pl = AcDbPolyline::cast(opened[0]);
    if (pl && pl->numVerts() >= 2) {
      int orient = orientation(normal_, pl->normal());
      AcGePoint3d first, last;
      pl->getPointAt(0, first);
      pl->getPointAt(pl->numVerts() - 1, last);
      bool geometricallyClosed = first.isEqualTo(last);
      if (orient != 0 && (pl->isClosed() || geometricallyClosed)) {
        unsigned n = pl->numVerts() - ((!pl->isClosed() && geometricallyClosed) ? 1u : 0u);
        for (unsigned i = 0; i < n; ++i) {
          AcGePoint3d p;
          double b = 0;
          pl->getPointAt(i, p);
          pl->getBulgeAt(i, b);
          l.vertices.append(to2d(normal_, p));
          l.bulges.append(b * orient);
        }
        l.type = loopType | kDerived | kPolyline;
        l.polyline = true;
        closeAll();
        loops_.push_back(std::move(l));
        return Acad::eOk;
      }
    }
  }
  std::vector<Edge> edges;
  for (AcDbEntity* e : opened) {
    Acad::ErrorStatus es = edgesOf(e, normal_, edges);
    if (es != Acad::eOk) {
      closeAll();
      return es;
    }
  }
  closeAll();
  if (!chain(edges)) return Acad::eInvalidInput;
  l.type = (loopType | kDerived) & ~kPolyline;
  for (auto& e : edges) {
    l.edgeTypes.append(e.type);
    l.edges.push_back(std::move(e.curve));
  }
  loops_.push_back(std::move(l));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::removeLoopAt(int loopIndex) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
  loops_.erase(loops_.begin() + loopIndex);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getLoopAt(int loopIndex, Adesk::Int32& loopType, AcGePoint2dArray& vertices,
                                       AcGeDoubleArray& bulges) const {
  if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
  const Loop& l = loops_[static_cast<std::size_t>(loopIndex)];
  if (!l.polyline) return Acad::eInvalidInput;
  loopType = l.type;
  vertices = l.vertices;
  bulges = l.bulges;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getLoopAt(int loopIndex, Adesk::Int32& loopType, AcGeVoidPointerArray& edgePtrs,
                                       AcGeIntArray& edgeTypes) const {
  if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
  const Loop& l = loops_[static_cast<std::size_t>(loopIndex)];
  if (l.polyline) return Acad::eInvalidInput;
  loopType = l.type;
  edgePtrs.removeAll();
  edgeTypes = l.edgeTypes;
  for (const auto& e : l.edges) edgePtrs.append(e->copy());
  return Acad::eOk;
}

std::vector<AcGePoint2d> AcDbHatch::loopPolygon(const Loop& l) const {
  std::vector<AcGePoint2d> poly;
  if (l.polyline) {
    int n = l.vertices.length();
    for (int i = 0; i < n; ++i) {
      AcGePoint2d a = l.vertices[i], b = l.vertices[(i + 1) % n];
      double bulge = l.bulges.isValid(i) ? l.bulges[i] : 0.0;
      if (std::fabs(bulge) >= 1e-10 && !a.isEqualTo(b)) {
        AcGePoint2dArray pts;
        AcGeCircArc2d(a, b, bulge).getSamplePoints(17, pts);
        for (int k = 0; k + 1 < pts.length(); ++k) poly.push_back(pts[k]);
      } else {
        poly.push_back(a);
      }
    }
    return poly;
  }
  for (const auto& e : l.edges) {
    AcGePoint2dArray pts;
    e->getSamplePoints(33, pts);
    for (int k = 0; k + 1 < pts.length(); ++k) poly.push_back(pts[k]);
  }
  return poly;
}

Acad::ErrorStatus AcDbHatch::evaluateHatch(bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (loops_.empty()) return Acad::eInvalidInput;
  std::vector<std::vector<AcGePoint2d>> polys;
  for (const auto& l : loops_) polys.push_back(loopPolygon(l));
  for (std::size_t i = 0; i < loops_.size(); ++i) {
    bool inside = false;
    for (std::size_t j = 0; j < loops_.size() && !inside; ++j)
      if (i != j && polys[j].size() >= 3 && !polys[i].empty() && pointInPolygon(polys[i].front(), polys[j]))
        inside = true;
    if (inside)
      loops_[i].type &= ~kOutermost;
    else
      loops_[i].type |= kOutermost;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getAssocObjIds(AcDbObjectIdArray& ids) const {
  ids.removeAll();
  if (!associative_) return Acad::eOk;
  for (const auto& l : loops_) ids.append(l.sources);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getAssocObjIdsAt(int loopIndex, AcDbObjectIdArray& ids) const {
  ids.removeAll();
  if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
  if (associative_) ids = loops_[static_cast<std::size_t>(loopIndex)].sources;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setAssocObjIdsAt(int loopIndex, const AcDbObjectIdArray& ids) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
  loops_[static_cast<std::size_t>(loopIndex)].sources = ids;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternAsStored(HatchPatternType type, const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!name || !*name) return Acad::eInvalidInput;
  patternType_ = type;
  patternName_ = name;
  customLines_ = false;
  lines_.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPattern(HatchPatternType type, const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  std::u16string n = name ? name : u"";
  switch (type) {
    case kPreDefined: {
      const auto* entry = arxdetail::findLibraryPattern(n);
      if (!entry) return Acad::eInvalidInput;
      patternName_ = entry->name;
      customLines_ = false;
      break;
    }
    case kUserDefined:
      patternName_ = n.empty() ? u"_USER" : n;
      customLines_ = false;
      break;
    case kCustomDefined:
      if (n.empty()) return Acad::eInvalidInput;
      patternName_ = n;
      customLines_ = true;
      lines_.clear();
      break;
  }
  patternType_ = type;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternScale(double scale) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(scale > 0.0)) return Acad::eInvalidInput;
  patternScale_ = scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternSpace(double space) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(space > 0.0)) return Acad::eInvalidInput;
  patternSpace_ = space;
  return Acad::eOk;
}

int AcDbHatch::numPatternDefinitions() const {
  if (customLines_) return static_cast<int>(lines_.size());
  if (patternType_ == kUserDefined) return patternDouble_ ? 2 : 1;
  const auto* entry = arxdetail::findLibraryPattern(patternName_);
  return entry ? entry->numLines : 0;
}

Acad::ErrorStatus AcDbHatch::getPatternDefinitionAt(int index, double& angle, double& baseX, double& baseY,
                                                    double& offsetX, double& offsetY, AcGeDoubleArray& dashes) const {
  if (index < 0 || index >= numPatternDefinitions()) return Acad::eInvalidIndex;
  dashes.removeAll();
  if (customLines_) {
    const PatternLine& l = lines_[static_cast<std::size_t>(index)];
    angle = l.angle;
    baseX = l.baseX;
    baseY = l.baseY;
    offsetX = l.offsetX;
    offsetY = l.offsetY;
    for (double d : l.dashes) dashes.append(d);
    return Acad::eOk;
  }
  if (patternType_ == kUserDefined) {
    angle = patternAngle_ + (index == 1 ? kPi / 2 : 0.0);
    baseX = baseY = 0.0;
    offsetX = -std::sin(angle) * patternSpace_;
    offsetY = std::cos(angle) * patternSpace_;
    return Acad::eOk;
  }
  const auto& line = arxdetail::findLibraryPattern(patternName_)->lines[index];
  double lineAngle = line.angleDeg * kPi / 180.0;
  angle = lineAngle + patternAngle_;
  double c = std::cos(patternAngle_), s = std::sin(patternAngle_);
  baseX = (line.baseX * c - line.baseY * s) * patternScale_;
  baseY = (line.baseX * s + line.baseY * c) * patternScale_;
  double cl = std::cos(angle), sl = std::sin(angle);
  offsetX = (line.deltaX * cl - line.deltaY * sl) * patternScale_;
  offsetY = (line.deltaX * sl + line.deltaY * cl) * patternScale_;
  for (int k = 0; k < line.numDashes; ++k) dashes.append(line.dashes[k] * patternScale_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternDefinitions(const std::vector<PatternLine>& lines) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  lines_ = lines;
  customLines_ = true;
  return Acad::eOk;
}

bool AcDbHatch::isSolidFill() const { return arxdetail::namesEqual(patternName_, u"SOLID"); }

Acad::ErrorStatus AcDbHatch::setGradient(GradientPatternType type, const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  std::u16string n = name ? name : u"";
  if (type == kPreDefinedGradient && !arxdetail::isGradientName(n)) return Acad::eInvalidInput;
  gradientType_ = type;
  gradientName_ = n;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setGradientColors(unsigned int count, const AcCmColor* colors, const float* values) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (count == 0 || !colors || !values) return Acad::eInvalidInput;
  gradientColors_.assign(colors, colors + count);
  gradientValues_.assign(values, values + count);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getGradientColors(unsigned int& count, AcCmColor*& colors, float*& values) const {
  count = static_cast<unsigned int>(gradientColors_.size());
  colors = nullptr;
  values = nullptr;
  if (count == 0) return Acad::eOk;
  colors = new AcCmColor[count];
  values = new float[count];
  for (unsigned int i = 0; i < count; ++i) {
    colors[i] = gradientColors_[i];
    values[i] = gradientValues_[i];
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getSeedPointAt(int index, AcGePoint2d& point) const {
  if (!seeds_.isValid(index)) return Acad::eInvalidIndex;
  point = seeds_[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendSeedPoint(const AcGePoint2d& point) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  seeds_.append(point);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getGeomExtents(AcDbExtents& extents) const {
  AcGeBoundBlock2d box;
  for (const auto& l : loops_) {
    if (l.polyline) {
      int n = l.vertices.length();
      for (int i = 0; i < n; ++i) {
        box.extend(l.vertices[i]);
        AcGePoint2d a = l.vertices[i], b = l.vertices[(i + 1) % n];
        double bulge = l.bulges.isValid(i) ? l.bulges[i] : 0.0;
        if (std::fabs(bulge) >= 1e-10 && !a.isEqualTo(b)) {
          AcGePoint2d lo, hi;
          AcGeCircArc2d(a, b, bulge).orthoBoundBlock().getMinMaxPoints(lo, hi);
          box.extend(lo);
          box.extend(hi);
        }
      }
    } else {
      for (const auto& e : l.edges) {
        AcGePoint2d lo, hi;
        e->orthoBoundBlock().getMinMaxPoints(lo, hi);
        box.extend(lo);
        box.extend(hi);
      }
    }
  }
  if (box.isEmpty()) return Acad::eInvalidExtents;
  AcGePoint2d lo, hi;
  box.getMinMaxPoints(lo, hi);
  extents = AcDbExtents();
  for (double x : {lo.x, hi.x})
    for (double y : {lo.y, hi.y}) extents.addPoint(arxdetail::ocsToWorld(normal_, AcGePoint3d(x, y, elevation_)));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform) {
    for (const auto& l : loops_) {
      for (double b : l.bulges)
        if (std::fabs(b) >= 1e-10) return Acad::eCannotScaleNonUniformly;
      for (int t : l.edgeTypes)
        if (t == kCirArc) return Acad::eCannotScaleNonUniformly;
    }
  }
  auto map = [&](double x, double y) {
    AcGePoint3d w = xform * arxdetail::ocsToWorld(normal_, AcGePoint3d(x, y, elevation_));
    return arxdetail::worldToOcs(img.normal, w);
  };
  AcGePoint3d o = map(0, 0), ex = map(1, 0), ey = map(0, 1);
  AcGeMatrix2d a;
  a.entry[0][0] = ex.x - o.x;
  a.entry[1][0] = ex.y - o.y;
  a.entry[0][1] = ey.x - o.x;
  a.entry[1][1] = ey.y - o.y;
  a.entry[0][2] = o.x;
  a.entry[1][2] = o.y;
  for (auto& l : loops_) {
    for (auto& v : l.vertices) v.transformBy(a);
    for (auto& e : l.edges) e->transformBy(a);
  }
  for (auto& s : seeds_) s.transformBy(a);
  origin_.transformBy(a);
  for (auto& line : lines_) {
    AcGeVector2d base = a * AcGeVector2d(line.baseX, line.baseY);
    AcGeVector2d off = a * AcGeVector2d(line.offsetX, line.offsetY);
    line.baseX = base.x;
    line.baseY = base.y;
    line.offsetX = off.x;
    line.offsetY = off.y;
    line.angle += img.rotation;
    for (double& d : line.dashes) d *= img.scale;
  }
  patternAngle_ = arxdetail::normalizeAngle(patternAngle_ + img.rotation);
  gradientAngle_ = arxdetail::normalizeAngle(gradientAngle_ + img.rotation);
  if (img.uniform) patternScale_ *= img.scale;
  normal_ = img.normal;
  elevation_ = o.z;
  return Acad::eOk;
}
