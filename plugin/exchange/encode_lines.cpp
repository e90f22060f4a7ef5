// The encoders that give LineRecords (lines, circles, arcs, ellipses, splines, polylines,
// multilines) and AreaRecords of solids, with the generic point-list builder.
#include <cmath>
#include <memory>
#include <optional>
#include <type_traits>

#include "arx/dbcomplex.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbmline.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbspline.h"
#include "exchange/encoder_parts.h"

namespace vurk::encoding {

namespace {

constexpr std::int32_t kMaxAltitude = 65536;
constexpr std::size_t kMaxPoints = 1'000'000;

// An angle of the ellipse record: degrees by the single-precision pi, in full precision, so
// that an arc's ends come back where they were.
double EllipseDegrees(double radians) { return radians * 180.0 / kPiF; }

}  // namespace

MapVertex VertexOf(const AcGePoint3d& p, double bulge) {
  MapVertex v;
  v.north = p.y;
  v.east = p.x;
  const std::int32_t z = Trunc32(p.z);
  v.altitude = z > kMaxAltitude ? 0 : z;
  v.bulge = bulge;
  return v;
}

void Skip(EncodeSession& s, std::string reason) { s.lastOutcome = {EncodeOutcome::Skipped, std::move(reason)}; }

bool Append(EncodeSession& s, MapRecord record, EntityLink& link) {
  if (!appendEntry(s.stream, std::move(record), link, s.convert)) {
    Skip(s, "the stream refused the record");
    return false;
  }
  s.lastOutcome = {EncodeOutcome::Encoded, {}};
  return true;
}

std::optional<LineRecord> BuildPointLine(EncodeSession& s, const EntityLink& link, const std::vector<AcGePoint3d>& points,
                                         const std::vector<double>& bulges, SourceKind kind, std::uint8_t closed) {
  bool any = false;
  for (const auto& p : points) {
    if (!p.isEqualTo(AcGePoint3d::kOrigin)) {
      any = true;
      break;
    }
  }
  if (!any) {
    Skip(s, points.empty() ? "no points" : "every point lies at the origin");
    return std::nullopt;
  }
  const std::size_t n = std::min(points.size(), kMaxPoints);
  LineRecord l = createLineRecord(0);
  NameFromLink(l, link);
  l.vertices.reserve(n);
  for (std::size_t i = 0; i < n; ++i) l.vertices.push_back(VertexOf(points[i], i < bulges.size() ? bulges[i] : 0.0));
  l.colour = s.currentColour;
  l.opacity = static_cast<std::uint8_t>(link.opacity > 255 ? 255 : link.opacity);
  l.lineStyle = static_cast<std::uint8_t>(link.lineStyle);
  l.sourceKind = static_cast<std::uint8_t>(kind);
  l.closed = kind == SourceKind::Spline ? link.closed : closed;
  return l;
}

bool AppendPointLine(EncodeSession& s, EntityLink& link, const std::vector<AcGePoint3d>& points,
                     const std::vector<double>& bulges, SourceKind kind, std::uint8_t closed) {
  auto l = BuildPointLine(s, link, points, bulges, kind, closed);
  return l && Append(s, std::move(*l), link);
}

bool EncodeEllipse(AcDbEllipse& e, EncodeSession& s, EntityLink& link) {
  double start = 0, end = 0;
  e.getStartParam(start);
  e.getEndParam(end);
  if (e.normal().isEqualTo(AcGeVector3d(0, 0, -1))) {
    // Seen from above, parameter t of a downward-facing ellipse is parameter 2pi - t.
    constexpr double kTwoPi = 6.283185307179586476925286766559;
    const double mirroredStart = kTwoPi - end;
    const double mirroredEnd = kTwoPi - start;
    start = mirroredStart;
    end = mirroredEnd;
  }
  std::vector<double> angles(2, 0.0);
  if (!(start == 0 && end == 0)) {
    angles[0] = EllipseDegrees(start);
    angles[1] = EllipseDegrees(end);
    if (angles[0] > angles[1]) angles[1] += 360.0;
    // A full turn is exactly 360 degrees (2pi in double precision is not, by the float pi).
    if (e.isClosed()) angles[1] = angles[0] + 360.0;
  }
  const AcGePoint3d c = e.center();
  return AppendPointLine(s, link, {c, c + e.majorAxis(), c + e.minorAxis()}, angles, SourceKind::EllipticalArc, 0);
}

bool EncodeLine(AcDbLine& e, EncodeSession& s, EntityLink& link) {
  return AppendPointLine(s, link, {e.startPoint(), e.endPoint()}, {}, SourceKind::Polyline, 0);
}

bool EncodeCircle(AcDbCircle& e, EncodeSession& s, EntityLink& link) {
  AcGePoint3d start;
  e.getStartPoint(start);
  return AppendPointLine(s, link, {e.center(), start}, {}, SourceKind::CircleOrArc, 0);
}

bool EncodeArc(AcDbArc& e, EncodeSession& s, EntityLink& link) {
  AcGePoint3d start, middle, end;
  double endParam = 0, length = 0;
  e.getStartPoint(start);
  e.getEndPoint(end);
  e.getEndParam(endParam);
  e.getDistAtParam(endParam, length);
  e.getPointAtDist(length / 2.0, middle);
  return AppendPointLine(s, link, {start, middle, end}, {}, SourceKind::CircleOrArc, 0);
}

bool EncodeSpline(AcDbSpline& e, EncodeSession& s, EntityLink& link) {
  std::vector<AcGePoint3d> points;
  for (int i = 0; i < e.numControlPoints(); ++i) {
    AcGePoint3d p;
    if (e.getControlPointAt(i, p) == Acad::eOk) points.push_back(p);
  }
  link.closed = e.isClosed() ? 1 : 0;
  return AppendPointLine(s, link, points, {}, SourceKind::Spline, link.closed);
}

void PolylineVertices(const AcDbPolyline& p, std::vector<AcGePoint3d>& points, std::vector<double>& bulges) {
  const unsigned n = p.numVerts();
  if (n < 2) return;
  // Vertices are OCS points. A polyline in a plane other than the drawing's (a mirrored one has
  // normal -Z) is sent by its world X and Y, its bulges turned to run about +Z, so the receiver
  // rebuilds it where it lies.
  const bool plain = p.normal().isEqualTo(AcGeVector3d::kZAxis);
  const AcGeMatrix3d toWorld = AcGeMatrix3d::planeToWorld(p.normal());
  const double bulgeSign = p.normal().z < 0 ? -1.0 : 1.0;
  auto add = [&](const AcGePoint2d& v, double bulge) {
    const AcGePoint3d w = plain ? AcGePoint3d(v.x, v.y, 0.0) : toWorld * AcGePoint3d(v.x, v.y, p.elevation());
    points.emplace_back(w.x, w.y, 0.0);
    bulges.push_back(bulge * bulgeSign);
  };
  for (unsigned i = 0; i + 1 < n; ++i) {
    AcGePoint2d vertex;
    p.getPointAt(i, vertex);
    switch (p.segType(i)) {
      case AcDbPolyline::kLine:
      case AcDbPolyline::kCoincident:
      case AcDbPolyline::kPoint:
        add(vertex, 0.0);
        break;
      case AcDbPolyline::kArc: {
        double bulge = 0;
        p.getBulgeAt(i, bulge);
        add(vertex, bulge);
        break;
      }
      case AcDbPolyline::kEmpty:
        if (!points.empty()) {
          points.push_back(points.back());
          bulges.push_back(bulges.back());
        }
        break;
    }
  }
  // The end point of the last segment between vertices; a closed polyline's closing arc keeps
  // its bulge there, so the closing segment survives as the closed flag and that bulge.
  AcGePoint2d last;
  p.getPointAt(n - 1, last);
  double closingBulge = 0;
  if (p.isClosed() && p.segType(n - 1) == AcDbPolyline::kArc) p.getBulgeAt(n - 1, closingBulge);
  add(last, closingBulge);
}

bool EncodePolyline(AcDbPolyline& e, EncodeSession& s, EntityLink& link) {
  if (e.numVerts() < 2) {
    Skip(s, "polyline with fewer than 2 vertices");
    return false;
  }
  std::vector<AcGePoint3d> points;
  std::vector<double> bulges;
  PolylineVertices(e, points, bulges);
  double width = 0, startWidth = 0, endWidth = 0;
  std::uint32_t lineWidth = kDefaultLineWidth;
  if (e.getConstantWidth(width) == Acad::eOk && width > 0) {
    lineWidth = static_cast<std::uint32_t>(Trunc32(width * 100.0));
  } else if (e.getWidthsAt(0, startWidth, endWidth) == Acad::eOk && startWidth > 0) {
    lineWidth = static_cast<std::uint32_t>(Trunc32(startWidth * 100.0));
  }
  auto l = BuildPointLine(s, link, points, bulges, SourceKind::Polyline, e.isClosed() ? 1 : 0);
  if (!l) return false;
  l->lineWidth = lineWidth;
  return Append(s, std::move(*l), link);
}

namespace {

template <class Polyline, class Vertex>
bool EncodeHeavyPolyline(Polyline& e, EncodeSession& s, EntityLink& link, bool withBulges) {
  std::vector<AcGePoint3d> points;
  std::vector<double> bulges;
  std::unique_ptr<AcDbObjectIterator> it(e.vertexIterator());
  for (it->start(); !it->done(); it->step()) {
    const Vertex* v = Vertex::cast(it->entity());
    if (!v || static_cast<int>(v->vertexType()) == 1) continue;
    points.push_back(v->position());
    if constexpr (std::is_same_v<Vertex, AcDb2dVertex>) bulges.push_back(withBulges ? v->bulge() : 0.0);
  }
  if (points.size() < 2) {
    Skip(s, "polyline with fewer than 2 vertices");
    return false;
  }
  if constexpr (std::is_same_v<Vertex, AcDb2dVertex>) {
    // 2D vertices are OCS points; outside the drawing's plane they are sent by their world X, Y.
    if (!e.normal().isEqualTo(AcGeVector3d::kZAxis)) {
      const AcGeMatrix3d toWorld = AcGeMatrix3d::planeToWorld(e.normal());
      for (std::size_t i = 0; i < points.size(); ++i) {
        const AcGePoint3d w = toWorld * AcGePoint3d(points[i].x, points[i].y, e.elevation());
        points[i] = AcGePoint3d(w.x, w.y, points[i].z);
        if (e.normal().z < 0) bulges[i] = -bulges[i];
      }
    }
  }
  return AppendPointLine(s, link, points, bulges, SourceKind::Polyline, e.isClosed() ? 1 : 0);
}

}  // namespace

bool Encode2dPolyline(AcDb2dPolyline& e, EncodeSession& s, EntityLink& link) {
  return EncodeHeavyPolyline<AcDb2dPolyline, AcDb2dVertex>(e, s, link, true);
}

bool Encode3dPolyline(AcDb3dPolyline& e, EncodeSession& s, EntityLink& link) {
  return EncodeHeavyPolyline<AcDb3dPolyline, AcDb3dPolylineVertex>(e, s, link, false);
}

bool EncodeMline(AcDbMline& e, EncodeSession& s, EntityLink& link) {
  std::vector<AcGePoint3d> points;
  for (int i = 0; i < e.numVertices(); ++i) points.push_back(e.vertexAt(i));
  if (e.closedMline() && !points.empty()) points.push_back(points.front());
  return AppendPointLine(s, link, points, {}, SourceKind::Polyline, 0);
}

bool EncodeSolid(AcDbSolid& e, EncodeSession& s, EntityLink& link) {
  AreaRecord a = createAreaRecord(0);
  NameFromLink(a, link);
  for (Adesk::UInt16 i : {0, 1, 3, 2}) {
    AcGePoint3d p;
    e.getPointAt(i, p);
    a.vertices.push_back(VertexOf(p));
  }
  a.outerRingCount = 1;
  a.lineColour = s.currentColour;
  a.fillColour = s.currentColour;
  const auto opacity = static_cast<std::uint8_t>(link.opacity > 100 ? 100 : link.opacity);
  a.lineOpacity = opacity;
  a.fillOpacity = opacity;
  return Append(s, std::move(a), link);
}

}  // namespace vurk::encoding
