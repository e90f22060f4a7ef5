// Hatches as AreaRecords: the fill style, then either one associated circle or ellipse sampled
// at 100 points, or the hatch's own loops as outer and inner rings.
#include <cmath>
#include <memory>

#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "exchange/encoder_parts.h"
#include "exchange/opened_object.h"

namespace vurk::encoding {

namespace {

constexpr int kBoundarySamples = 100;
constexpr double kBoundaryStep = 0.06283185482025147;
constexpr std::size_t kMaxPoints = 1'000'000;
constexpr double kArcStepDegrees = 3.0;
constexpr double kPi = 3.14159265358979323846;

using Ring = std::vector<AcGePoint2d>;

// Points along the bulge arc from start towards end, the end itself left out: n points at equal
// arc lengths, n = the span in degrees / 3 rounded up, at least 3.
void FlattenArc(const AcGePoint2d& start, const AcGePoint2d& end, double bulge, Ring& out) {
  const AcGeCircArc2d arc(start, end, bulge);
  const double spanDegrees = (arc.endAng() - arc.startAng()) * 180.0 / kPi;
  double whole = std::floor(spanDegrees / kArcStepDegrees);
  int n = static_cast<int>(spanDegrees / kArcStepDegrees == whole ? whole : whole + 1);
  if (n < 3) n = 3;
  AcGePoint2dArray samples;
  arc.getSamplePoints(n + 1, samples);  // n + 1 points from start to end at equal steps
  // The arc may run from end to start in its own parameter; keep the segment's direction.
  const bool reversed = !samples.isEmpty() && !samples[0].isEqualTo(start) && samples[samples.length() - 1].isEqualTo(start);
  for (int i = 0; i < n; ++i) out.push_back(samples[reversed ? samples.length() - 1 - i : i]);
}

Ring PolylineLoop(const AcGePoint2dArray& vertices, const AcGeDoubleArray& bulges) {
  Ring ring;
  const int n = vertices.length();
  if (n == 0) return ring;
  for (int i = 0; i < n; ++i) {
    const AcGePoint2d& a = vertices[i];
    const AcGePoint2d& b = vertices[(i + 1) % n];
    const double bulge = i < bulges.length() ? bulges[i] : 0.0;
    if (bulge != 0.0 && !a.isEqualTo(b)) {
      FlattenArc(a, b, bulge, ring);
    } else {
      ring.push_back(a);
    }
  }
  if (!ring.back().isEqualTo(vertices[0])) ring.push_back(vertices[0]);
  return ring;
}

int SweepSamples(double startAngle, double endAngle) {
  double end = endAngle * 180.0 / kPi;
  const double start = startAngle * 180.0 / kPi;
  if (end < start) end += 360.0;
  const double sweep = end - start;
  const int n = std::isfinite(sweep) && sweep < 1e6 ? static_cast<int>(sweep) / 3 : 3;
  return n < 3 ? 3 : n;
}

Ring EdgeLoop(const AcGeVoidPointerArray& edges, const AcGeIntArray& types) {
  Ring ring;
  const int n = edges.length();
  for (int i = 0; i < n; ++i) {
    const auto* curve = static_cast<const AcGeCurve2d*>(edges[i]);
    AcGePoint2dArray samples;
    switch (types[i]) {
      case AcDbHatch::kLine:
        ring.push_back(static_cast<const AcGeLineSeg2d*>(curve)->startPoint());
        continue;
      case AcDbHatch::kCirArc: {
        const auto* arc = static_cast<const AcGeCircArc2d*>(curve);
        arc->getSamplePoints(SweepSamples(arc->startAng(), arc->endAng()), samples);
        break;
      }
      case AcDbHatch::kEllArc: {
        const auto* arc = static_cast<const AcGeEllipArc2d*>(curve);
        arc->getSamplePoints(SweepSamples(arc->startAng(), arc->endAng()), samples);
        break;
      }
      case AcDbHatch::kSpline: {
        const auto* spline = static_cast<const AcGeNurbCurve2d*>(curve);
        spline->getSamplePoints(30 * spline->numControlPoints(), samples);
        if (i + 1 < n && !samples.isEmpty()) samples.removeAt(samples.length() - 1);
        break;
      }
      default:
        continue;
    }
    for (int k = 0; k < samples.length(); ++k) ring.push_back(samples[k]);
  }
  return ring;
}

void DeleteEdges(AcGeVoidPointerArray& edges) {
  for (int i = 0; i < edges.length(); ++i) delete static_cast<AcGeCurve2d*>(edges[i]);
  edges.setLogicalLength(0);
}

bool Inside(const AcGePoint2d& p, const Ring& polygon) {
  bool in = false;
  const std::size_t n = polygon.size();
  if (n < 3) return false;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const auto& a = polygon[i];
    const auto& b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

constexpr Adesk::Int32 kInnerPolylineFlags = AcDbHatch::kPolyline | AcDbHatch::kDerived | AcDbHatch::kOutermost;

struct Loop {
  Adesk::Int32 type = 0;
  bool polyline = false;
  Ring ring;
};

std::vector<Loop> ReadLoops(const AcDbHatch& hatch) {
  std::vector<Loop> loops;
  for (int i = 0; i < hatch.numLoops(); ++i) {
    Loop loop;
    loop.type = hatch.loopTypeAt(i);
    loop.polyline = (loop.type & AcDbHatch::kPolyline) != 0;
    Adesk::Int32 t = 0;
    if (loop.polyline) {
      AcGePoint2dArray vertices;
      AcGeDoubleArray bulges;
      if (hatch.getLoopAt(i, t, vertices, bulges) != Acad::eOk) continue;
      loop.ring = PolylineLoop(vertices, bulges);
    } else {
      AcGeVoidPointerArray edges;
      AcGeIntArray types;
      if (hatch.getLoopAt(i, t, edges, types) != Acad::eOk) continue;
      loop.ring = EdgeLoop(edges, types);
      DeleteEdges(edges);
    }
    if (!loop.ring.empty()) loops.push_back(std::move(loop));
  }
  return loops;
}

bool ExternalOrPlain(const Loop& l) { return (l.type & AcDbHatch::kExternal) || l.type == 0; }

// The loops of the hatch sorted into outer and inner rings. Outer: external loops, loops of
// type 0, and polyline loops not flagged outermost that do not lie inside the first outer
// loop. Inner: polyline loops flagged polyline, derived and outermost, edge loops flagged
// outermost, and polyline loops inside the first outer loop. Anything else is left out.
void SortLoops(const AcDbHatch& hatch, std::vector<Ring>& outer, std::vector<Ring>& inner) {
  std::vector<Loop> loops = ReadLoops(hatch);
  std::size_t first = loops.size();
  for (std::size_t i = 0; i < loops.size() && first == loops.size(); ++i) {
    if (ExternalOrPlain(loops[i])) first = i;
  }
  for (std::size_t i = 0; i < loops.size() && first == loops.size(); ++i) {
    if (loops[i].polyline && !(loops[i].type & AcDbHatch::kOutermost)) first = i;
  }
  const Ring firstOuter = first < loops.size() ? loops[first].ring : Ring{};
  for (std::size_t i = 0; i < loops.size(); ++i) {
    Loop& l = loops[i];
    const bool insideFirst = i != first && l.polyline && Inside(l.ring.front(), firstOuter);
    if (i == first || ExternalOrPlain(l) || (l.polyline && !(l.type & AcDbHatch::kOutermost) && !insideFirst)) {
      outer.push_back(std::move(l.ring));
    } else if ((l.polyline && (l.type & kInnerPolylineFlags) == kInnerPolylineFlags) ||
               (!l.polyline && (l.type & AcDbHatch::kOutermost)) || insideFirst) {
      inner.push_back(std::move(l.ring));
    }
  }
}

}  // namespace

bool EncodeHatch(AcDbHatch& e, EncodeSession& s, EntityLink& link) {
  HatchStyle style;
  readHatchStyle(e, style, s.patterns, s.currentColour);
  AreaRecord a = createAreaRecord(0);
  NameFromLink(a, link);
  applyHatchStyle(a, style, e, s.currentColour);

  AcDbObjectIdArray associated;
  e.getAssocObjIds(associated);
  if (associated.length() == 1) {
    OpenedObject<AcDbCurve> boundary(associated[0], AcDb::kForRead);
    if (boundary && (boundary->isKindOf(AcDbCircle::desc()) || boundary->isKindOf(AcDbEllipse::desc()))) {
      for (int i = 0; i < kBoundarySamples; ++i) {
        AcGePoint3d p;
        boundary->getPointAtParam(i * kBoundaryStep, p);
        a.vertices.push_back(VertexOf(p));
      }
      a.startAngle = 0;
      a.endAngle = 360;
      a.outerRingCount = 1;
      return Append(s, std::move(a), link);
    }
  }

  std::vector<Ring> outer, inner;
  SortLoops(e, outer, inner);
  if (outer.empty() && inner.empty()) {
    Skip(s, "hatch without loops");
    return false;
  }
  const AcGeMatrix3d toWorld = AcGeMatrix3d::planeToWorld(e.normal());
  bool firstRing = true;
  for (const auto* rings : {&outer, &inner}) {
    for (const Ring& ring : *rings) {
      for (std::size_t k = 0; k < ring.size() && a.vertices.size() < kMaxPoints; ++k) {
        MapVertex v = VertexOf(toWorld * AcGePoint3d(ring[k].x, ring[k].y, e.elevation()));
        if (k == 0 && !firstRing) v.altitude = vertex_layout::kRingStart;
        a.vertices.push_back(v);
      }
      firstRing = false;
    }
  }
  a.outerRingCount = static_cast<std::uint16_t>(outer.size() > 0xFFFF ? 0xFFFF : outer.size());
  return Append(s, std::move(a), link);
}

}  // namespace vurk::encoding
