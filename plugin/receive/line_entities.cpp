// Lines: lightweight or 3D polylines, arcs, circles, ellipses, splines, point sets and lines of
// several parts, by the record's source kind and vertices.
#include <cmath>
#include <memory>
#include <vector>

#include "arx/dbapserv.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "exchange/document_links.h"
#include "receive/geometry_builders.h"
#include "receive/receive_objects.h"
#include "receive/receive_parts.h"

namespace vurk {

namespace {

constexpr std::int32_t kPartStart = 65536;
constexpr double kFullCircleDegrees = 360.0;
constexpr double kQuarterTurnF = 1.5707963705062866;  // pi / 2 in single precision

struct LineShape {
  bool bulges = false;
  bool elevation = false;
  bool parts = false;
};

LineShape ShapeOf(const std::vector<MapVertex>& vertices) {
  LineShape s;
  for (const MapVertex& v : vertices) {
    if (v.bulge != 0) s.bulges = true;
    if (v.altitude == kPartStart) {
      s.parts = true;
    } else if (v.altitude != 0) {
      s.elevation = true;
    }
  }
  return s;
}

double ZOf(const MapVertex& v) { return v.altitude == kPartStart ? 0.0 : static_cast<double>(v.altitude); }
AcGePoint3d PointOf(const MapVertex& v) { return {v.east, v.north, ZOf(v)}; }

bool FiniteVertices(std::span<const MapVertex> vertices) {
  for (const MapVertex& v : vertices) {
    if (!std::isfinite(v.east) || !std::isfinite(v.north) || !std::isfinite(v.bulge)) return false;
  }
  return true;
}

AcDbObjectId AppendEntity(AcDbEntity* entity, const EntityProps& props) {
  return AppendToModelSpace(entity, props, acdbHostApplicationServices()->workingDatabase());
}

// A lightweight polyline through the vertices (with their bulges when asked), or nothing for
// fewer than two vertices; width < 0 leaves the width unset.
AcDbObjectId LightPolyline(std::span<const MapVertex> vertices, bool withBulges, bool closed, double width,
                           const EntityProps& props) {
  if (vertices.size() < 2 || !FiniteVertices(vertices)) return AcDbObjectId::kNull;
  auto line = std::make_unique<AcDbPolyline>(static_cast<unsigned>(vertices.size()));
  if (width >= 0) line->setConstantWidth(width);
  for (const MapVertex& v : vertices) {
    line->addVertexAt(line->numVerts(), AcGePoint2d(v.east, v.north), withBulges ? v.bulge : 0.0);
  }
  if (closed) line->setClosed(true);
  return AppendEntity(line.release(), props);
}

AcDbObjectId Polyline3d(std::span<const MapVertex> vertices, bool closed, const EntityProps& props) {
  if (vertices.size() < 2 || !FiniteVertices(vertices)) return AcDbObjectId::kNull;
  AcGePoint3dArray points;
  for (const MapVertex& v : vertices) points.append(PointOf(v));
  return AppendEntity(new AcDb3dPolyline(AcDb::k3dSimplePoly, points, closed), props);
}

// The parts of a line or the rings of an area: a new one begins at each vertex of altitude
// 65536 (that vertex is its first).
std::vector<std::span<const MapVertex>> SplitParts(const std::vector<MapVertex>& vertices) {
  std::vector<std::span<const MapVertex>> parts;
  std::size_t begin = 0;
  for (std::size_t i = 1; i <= vertices.size(); ++i) {
    if (i == vertices.size() || vertices[i].altitude == kPartStart) {
      if (i > begin) parts.emplace_back(vertices.data() + begin, i - begin);
      begin = i;
    }
  }
  return parts;
}

void LinkMember(std::unordered_map<std::int32_t, LinkGroup>& (DocumentLinks::*registry)(), AcDbObjectId id,
                std::int32_t mapObjectId, const LineRecord& line) {
  DocumentLinks* links = ReceiveLinks();
  if (!links || mapObjectId <= 0 || id.isNull()) return;
  const std::uint64_t handle = id.handle().value();
  EntityLink link = ReceivedLink(handle, mapObjectId, line.name, line.text);
  link.isMember = 1;
  links->putLink(handle, link, false);
  links->addMember((links->*registry)(), mapObjectId, handle, link);
}

AcDbObjectId PointSet(const LineRecord& line, std::int32_t mapObjectId, const EntityProps& props, bool& linked) {
  std::vector<AcDbObjectId> made;
  for (const MapVertex& v : line.vertices) {
    if (!std::isfinite(v.east) || !std::isfinite(v.north)) continue;
    const AcDbObjectId id = AppendEntity(new AcDbPoint(PointOf(v)), props);
    if (!id.isNull()) made.push_back(id);
  }
  if (made.empty()) return AcDbObjectId::kNull;
  if (DocumentLinks* links = ReceiveLinks(); links && mapObjectId > 0) links->pointSets().erase(mapObjectId);
  for (const AcDbObjectId id : made) LinkMember(&DocumentLinks::pointSets, id, mapObjectId, line);
  linked = true;
  return made.front();
}

AcDbObjectId SeveralParts(const LineRecord& line, const LineShape& shape, std::int32_t mapObjectId,
                          const EntityProps& props, bool& linked) {
  std::vector<AcDbObjectId> made;
  const double width = static_cast<double>(line.lineWidth / 100);
  for (const auto part : SplitParts(line.vertices)) {
    const AcDbObjectId id = (!shape.elevation || shape.bulges) ? LightPolyline(part, true, false, width, props)
                                                               : Polyline3d(part, false, props);
    if (!id.isNull()) made.push_back(id);
  }
  if (made.empty()) return AcDbObjectId::kNull;
  if (DocumentLinks* links = ReceiveLinks(); links && mapObjectId > 0) links->joinedLines().erase(mapObjectId);
  for (const AcDbObjectId id : made) LinkMember(&DocumentLinks::joinedLines, id, mapObjectId, line);
  linked = true;
  return made.front();
}

AcDbObjectId CircleOrArc(const LineRecord& line, const EntityProps& props) {
  const MapVertex& a = line.vertices[0];
  const MapVertex& b = line.vertices[1];
  if (!FiniteVertices(line.vertices)) return AcDbObjectId::kNull;
  const AcGePoint3d centre = PointOf(a);
  const double radius = centre.distanceTo(PointOf(b));
  if (a.bulge == 0 && (b.bulge == 0 || b.bulge == kFullCircleDegrees)) return CreateCircle(props, centre, radius);
  return CreateArc(props, centre, radius, DegreesToRadians(a.bulge), DegreesToRadians(b.bulge));
}

// The sign count of the turns at the vertices of the closed outline: negative runs clockwise.
int TurnSignCount(const std::vector<AcGePoint3d>& p) {
  int count = 0;
  const std::size_t n = p.size();
  for (std::size_t i = 0; i < n; ++i) {
    const AcGePoint3d& prev = p[(i + n - 1) % n];
    const AcGePoint3d& at = p[i];
    const AcGePoint3d& next = p[(i + 1) % n];
    const double cross = (at.x - prev.x) * (next.y - at.y) - (at.y - prev.y) * (next.x - at.x);
    count += cross > 0 ? 1 : (cross < 0 ? -1 : 0);
  }
  return count;
}

AcDbObjectId ArcThroughThree(const LineRecord& line, const EntityProps& props) {
  std::vector<AcGePoint3d> p{PointOf(line.vertices[0]), PointOf(line.vertices[1]), PointOf(line.vertices[2])};
  if (TurnSignCount(p) < 0) std::swap(p[0], p[2]);
  return CreateArc3Points(props, p[0], p[1], p[2]);
}

AcDbObjectId EllipseOfThree(const LineRecord& line, const EntityProps& props) {
  if (!FiniteVertices(line.vertices)) return AcDbObjectId::kNull;
  const AcGePoint3d c = PointOf(line.vertices[0]);
  const AcGePoint3d p1 = PointOf(line.vertices[1]);
  const AcGePoint3d p2 = PointOf(line.vertices[2]);
  const double dx = p1.x - c.x;
  const double dy = p1.y - c.y;
  const double major = c.distanceTo(p1);
  if (!(major > 0)) return AcDbObjectId::kNull;
  double ratio = c.distanceTo(p2) / major;
  AcGeVector3d axis(dx, dy, 0);
  double shift = 0;
  if (ratio > 1) {
    const bool sameSign = (dx > 0 && dy > 0) || (dx <= 0 && dy <= 0);
    axis = sameSign ? AcGeVector3d(ratio * dy, -ratio * dx, 0) : AcGeVector3d(-ratio * dy, ratio * dx, 0);
    ratio = 1 / ratio;
    shift = dx * dy > 0 ? kQuarterTurnF : -kQuarterTurnF;
  }
  const double startField = line.vertices[0].bulge;
  const double endField = line.vertices[1].bulge;
  if (startField == 0 && endField == kFullCircleDegrees) {
    return CreateEllipse(props, c, axis, ratio, 0, 2 * kPiF);
  }
  // The two fields are the sender's curve parameters; the ellipse is made from angles, so each
  // parameter becomes the angle of the point it names (they differ unless the ellipse is round).
  const auto angleOf = [ratio](double param) { return std::atan2(ratio * std::sin(param), std::cos(param)); };
  const double startParam = DegreesToRadians(startField) + shift;
  const double endParam = DegreesToRadians(endField) + shift;
  double startAngle = angleOf(startParam);
  double endAngle = angleOf(endParam);
  // Keep the sweep: the angle of the end follows the start by as many turns as the parameters.
  while (endAngle <= startAngle && endParam > startParam) endAngle += 2 * kPiF;
  return CreateEllipse(props, c, axis, ratio, startAngle, endAngle);
}

AcDbObjectId SplineOf(const LineRecord& line, const EntityProps& props) {
  if (!FiniteVertices(line.vertices)) return AcDbObjectId::kNull;
  std::vector<AcGePoint3d> points;
  points.reserve(line.vertices.size());
  for (const MapVertex& v : line.vertices) points.push_back(PointOf(v));
  return CreateSpline(props, points, line.closed != 0, 4);
}

}  // namespace

AcDbObjectId CreateLineEntities(const LineRecord& line, const std::u16string& layer, std::int32_t mapObjectId,
                                bool* linked) {
  bool linkedHere = false;
  EntityProps props = ReceivedProps(line.colour, layer, line.opacity);
  props.linetype = LinetypeOfStyle(line.lineStyle);
  const LineShape shape = ShapeOf(line.vertices);
  const std::size_t n = line.vertices.size();
  const auto kind = static_cast<SourceKind>(line.sourceKind);
  AcDbObjectId id;
  if (kind == SourceKind::PointSet) {
    id = PointSet(line, mapObjectId, props, linkedHere);
  } else if (shape.parts) {
    id = SeveralParts(line, shape, mapObjectId, props, linkedHere);
  } else if ((kind == SourceKind::CircleOrArc || kind == SourceKind::EllipticalArc) && n == 2) {
    id = CircleOrArc(line, props);
  } else if (kind == SourceKind::CircleOrArc && n == 3) {
    id = ArcThroughThree(line, props);
  } else if (kind == SourceKind::EllipticalArc && n == 3) {
    id = EllipseOfThree(line, props);
  } else if (kind == SourceKind::CircleOrArc) {
    id = AcDbObjectId::kNull;
  } else if (kind == SourceKind::Spline) {
    id = SplineOf(line, props);
  } else if (kind == SourceKind::Polyline) {
    id = (!shape.elevation || shape.bulges) ? LightPolyline(line.vertices, true, line.closed != 0, -1, props)
                                            : Polyline3d(line.vertices, line.closed != 0, props);
  } else {
    id = (!shape.elevation || shape.bulges)
             ? LightPolyline(line.vertices, false, line.closed != 0, static_cast<double>(line.lineWidth / 100), props)
             : Polyline3d(line.vertices, line.closed != 0, props);
  }
  if (linked) *linked = linkedHere;
  return linkedHere ? AcDbObjectId::kNull : id;
}

// Areas and multi-part records share the ring cutting of lines.
std::vector<std::span<const MapVertex>> SplitRings(const std::vector<MapVertex>& vertices) {
  return SplitParts(vertices);
}

}  // namespace vurk
