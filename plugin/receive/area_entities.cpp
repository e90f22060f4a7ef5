// Areas: boundary entities (polylines, a rectangle, a circle, an ellipse or a sector) and one
// associative hatch over them; multi-part records as one joined polyline.
#include <cmath>
#include <memory>

#include "arx/dbapserv.h"
#include "arx/dbcurve.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbpl.h"
#include "exchange/opened_object.h"
#include "exchange/styles.h"
#include "receive/geometry_builders.h"
#include "receive/receive_objects.h"
#include "receive/receive_parts.h"

namespace vurk {

namespace {

// An open polyline through a ring, closed by repeating its first vertex when the last differs.
AcDbObjectId RingBoundary(std::span<const MapVertex> ring, const EntityProps& props) {
  std::vector<AcGePoint2d> points;
  points.reserve(ring.size() + 1);
  for (const MapVertex& v : ring) points.emplace_back(v.east, v.north);
  if (points.size() < 2) return AcDbObjectId::kNull;
  if (!(points.back() == points.front())) points.push_back(points.front());
  return CreatePolyline2d(props, points);
}

// The centre and end points of a sector's arc, joined by a three-vertex polyline.
AcDbObjectId SectorSides(AcDbObjectId arcId, const EntityProps& props) {
  OpenedObject<AcDbCurve> arc(arcId, AcDb::kForRead);
  if (!arc) return AcDbObjectId::kNull;
  AcGePoint3d start, end, centre;
  arc->getStartPoint(start);
  arc->getEndPoint(end);
  if (const auto* circular = AcDbArc::cast(arc.get())) {
    centre = circular->center();
  } else if (const auto* elliptic = AcDbEllipse::cast(arc.get())) {
    centre = elliptic->center();
  }
  return CreatePolyline2d(props, {{start.x, start.y}, {centre.x, centre.y}, {end.x, end.y}});
}

// The boundary of a two-point area: a rectangle, a circle or ellipse, or a sector.
AcDbObjectIdArray TwoPointBoundary(const AreaRecord& area, const EntityProps& props) {
  AcDbObjectIdArray ids;
  const MapVertex& v0 = area.vertices[0];
  const MapVertex& v1 = area.vertices[1];
  const AcGePoint3d p0(v0.east, v0.north, 0);
  const AcGePoint3d p1(v1.east, v1.north, 0);
  const bool square = p0.x - p1.x == p1.y - p0.y;
  const double midX = (p0.x + p1.x) / 2.0;
  AcDbObjectId id;
  if (area.startAngle == 0 && area.endAngle == 0) {
    id = CreateRectangle(props, p0, p1);
  } else if (area.startAngle == 0 && area.endAngle == 360) {
    id = square ? CreateCircleByDiameter(props, AcGePoint3d(midX, p0.y, 0), AcGePoint3d(midX, p1.y, 0))
                : CreateEllipseInBox(props, p0, p1);
  } else {
    id = square ? CreateArcByCorners(props, p0, p1, area.startAngle, area.endAngle)
                : CreateEllipticalArcInBox(props, p0, p1, DegreesToRadians(area.startAngle),
                                           DegreesToRadians(area.endAngle));
    if (!id.isNull()) {
      ids.append(id);
      id = SectorSides(id, props);
    }
  }
  if (!id.isNull()) ids.append(id);
  return ids;
}

// The hatch takes the display properties of the fill.
void ApplyHatchProps(AcDbObjectId hatchId, const EntityProps& props) {
  OpenedObject<AcDbEntity> hatch(hatchId, AcDb::kForWrite);
  if (!hatch) return;
  if (props.byLayerColor) {
    hatch->setColorIndex(256);
  } else {
    hatch->setColor(props.color);
  }
  if (!props.layer.empty()) {
    GetLayerId(props.layer, true);
    hatch->setLayer(props.layer.c_str());
  }
  AcCmTransparency transparency;
  transparency.setAlpha(OpacityToAlpha(props.opacityPercent));
  hatch->setTransparency(transparency);
}

bool HasRingStarts(const std::vector<MapVertex>& vertices) {
  for (const MapVertex& v : vertices) {
    if (v.altitude == 65536) return true;
  }
  return false;
}

}  // namespace

AcDbObjectId CreateAreaEntities(const AreaRecord& area, const std::u16string& layer) {
  for (const MapVertex& v : area.vertices) {
    if (!std::isfinite(v.east) || !std::isfinite(v.north)) return AcDbObjectId::kNull;
  }
  if (!std::isfinite(area.startAngle) || !std::isfinite(area.endAngle)) return AcDbObjectId::kNull;
  const EntityProps boundaryProps = ReceivedProps(area.lineColour, layer, 100 - static_cast<int>(area.lineOpacity));
  const EntityProps hatchProps = ReceivedProps(area.fillColour, layer, area.fillOpacity);
  HatchStyle style;
  styleFromArea(area, style, ReceivePatterns());

  AcDbObjectId hatch;
  if (HasRingStarts(area.vertices)) {
    std::vector<AcDbObjectIdArray> outer;
    std::vector<AcDbObjectIdArray> inner;
    std::size_t index = 0;
    for (const auto ring : SplitRings(area.vertices)) {
      const AcDbObjectId id = RingBoundary(ring, boundaryProps);
      const bool isOuter = index++ < area.outerRingCount;
      if (id.isNull()) continue;
      AcDbObjectIdArray loop;
      loop.append(id);
      (isOuter ? outer : inner).push_back(loop);
    }
    if (outer.empty() && inner.empty()) return AcDbObjectId::kNull;
    hatch = createHatch(outer, inner, style, true);
  } else {
    AcDbObjectIdArray boundary;
    if (area.vertices.size() == 2) {
      boundary = TwoPointBoundary(area, boundaryProps);
    } else if (area.vertices.size() > 2) {
      if (const AcDbObjectId id = RingBoundary(area.vertices, boundaryProps); !id.isNull()) boundary.append(id);
    }
    if (boundary.isEmpty()) return AcDbObjectId::kNull;
    hatch = createHatch(boundary, style, true);
  }
  if (!hatch.isNull()) ApplyHatchProps(hatch, hatchProps);
  return hatch;
}

AcDbObjectId CreateMultiPartPolyline(const MultiPartRecord& record, const std::u16string& layer) {
  // Opaque: the record carries no transparency.
  const EntityProps props = ReceivedProps(record.colour, layer, 100);
  auto line = std::make_unique<AcDbPolyline>();
  for (const MultiPart& part : record.parts) {
    for (const MultiPartVertex& v : part.vertices) {
      if (!std::isfinite(v.east) || !std::isfinite(v.north)) return AcDbObjectId::kNull;
      line->addVertexAt(line->numVerts(), AcGePoint2d(v.east, v.north), 0.0);
    }
  }
  if (line->numVerts() < 2) return AcDbObjectId::kNull;
  return AppendToModelSpace(line.release(), props, acdbHostApplicationServices()->workingDatabase());
}

}  // namespace vurk
