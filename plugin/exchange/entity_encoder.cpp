#include "exchange/entity_encoder.h"

#include <map>
#include <memory>

#include "arx/dbblkref.h"
#include "arx/dbdatabase.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbimage.h"
#include "arx/dbmline.h"
#include "arx/dbmtext.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbregion.h"
#include "arx/dbspline.h"
#include "arx/dbtext.h"
#include "exchange/encoder_parts.h"
#include "exchange/opened_object.h"
#include "win32/unicode.h"

namespace vurk {

using namespace encoding;

EntityLink FreshLink(std::uint64_t entityKey) {
  EntityLink link;
  link.entityKey = entityKey;
  return link;
}

EntityLink FreshLinks::linkOf(const AcDbEntity& entity) { return FreshLink(entity.objectHandle().value()); }

namespace {

bool IsProxyName(const AcDbEntity& e) {
  const std::u16string_view name = e.isA()->name();
  return name == u"AcDbZombieEntity" || name == u"AcDbProxyObject";
}

void Defer(EncodeSession& s, std::vector<AcDbHandle>& list, const AcDbEntity& e, const char* why) {
  list.push_back(e.objectHandle());
  s.lastOutcome = {EncodeOutcome::Deferred, why};
}

bool IsJoinedPiece(const EntityLink& link) { return link.isMember != 0 && link.mapObjectId != 0; }

}  // namespace

bool encodeEntity(AcDbEntity& e, EncodeSession& s, EntityLink& link, bool insideGroup) {
  s.lastOutcome = {};
  if (e.visibility() == AcDb::kInvisible) {
    Skip(s, "invisible");
    return false;
  }
  s.currentColour = entityColour(e, insideGroup, s.inheritedColour);
  if (!insideGroup) s.inheritedColour = s.currentColour;
  link.opacity = entityOpacity(e);
  link.lineStyle = lineStyleOf(e);

  if (auto* p = AcDbPoint::cast(&e)) {
    // Inside a group a point is a mark of its own, counted as a child of the group.
    if (insideGroup || s.settings.pointsAsIcons) return EncodePoint(*p, s, link);
    Defer(s, s.deferredPoints, e, "point (sent with the layer's point set)");
    return true;
  }
  if (auto* a = AcDbAttribute::cast(&e)) return EncodeAttribute(*a, s, link);
  if (auto* d = AcDbAttributeDefinition::cast(&e)) return EncodeAttributeDefinition(*d, s, link);
  if (auto* t = AcDbText::cast(&e)) return EncodeText(*t, s, link);
  if (auto* m = AcDbMText::cast(&e)) return EncodeMText(*m, s, link);
  if (auto* i = AcDbRasterImage::cast(&e)) return EncodeRasterImage(*i, s, link);
  if (auto* el = AcDbEllipse::cast(&e)) return EncodeEllipse(*el, s, link);
  if (auto* l = AcDbLine::cast(&e)) return EncodeLine(*l, s, link);
  if (auto* c = AcDbCircle::cast(&e)) return EncodeCircle(*c, s, link);
  if (auto* a = AcDbArc::cast(&e)) return EncodeArc(*a, s, link);
  if (auto* sp = AcDbSpline::cast(&e)) return EncodeSpline(*sp, s, link);
  if (auto* pl = AcDbPolyline::cast(&e)) {
    if (!insideGroup && IsJoinedPiece(link)) {
      Defer(s, s.deferredJoinedPolylines, e, "piece of a multi-piece line");
      return true;
    }
    return EncodePolyline(*pl, s, link);
  }
  if (auto* p3 = AcDb3dPolyline::cast(&e)) {
    if (!insideGroup && IsJoinedPiece(link)) {
      Defer(s, s.deferredJoinedPolylines, e, "piece of a multi-piece line");
      return true;
    }
    return Encode3dPolyline(*p3, s, link);
  }
  if (auto* p2 = AcDb2dPolyline::cast(&e)) return Encode2dPolyline(*p2, s, link);
  if (auto* ml = AcDbMline::cast(&e)) return EncodeMline(*ml, s, link);
  if (auto* h = AcDbHatch::cast(&e)) return EncodeHatch(*h, s, link);
  if (auto* so = AcDbSolid::cast(&e)) return EncodeSolid(*so, s, link);
  if (e.isKindOf(AcDbBlockReference::desc()) || e.isKindOf(AcDbRegion::desc()) || IsProxyName(e)) {
    return EncodeGroup(e, s, link, insideGroup);
  }
  Skip(s, "class " + win32::utf16ToUtf8(e.isA()->name()) + " is not sent");
  return false;
}

namespace {

struct OpenedPoint {
  AcGePoint3d position;
  EntityLink link;
};

std::optional<AcDbObjectId> IdOf(const EncodeSession& s, const AcDbHandle& h) {
  AcDbObjectId id;
  if (!s.database || s.database->getAcDbObjectId(id, false, h) != Acad::eOk) return std::nullopt;
  return id;
}

int AppendSet(EncodeSession& s, const std::vector<AcGePoint3d>& points, EntityLink link, SourceKind kind,
              const std::vector<double>& bulges = {}) {
  auto line = BuildPointLine(s, link, points, bulges, kind, 0);
  if (!line) return 0;
  line->colour = 0;
  return Append(s, std::move(*line), link) ? 1 : 0;
}

}  // namespace

int encodePointSet(EncodeSession& s, const EntityLink& linkTemplate) {
  std::vector<AcDbHandle> handles;
  handles.swap(s.deferredPoints);
  if (handles.size() < 2) return 0;
  std::vector<std::int32_t> order;
  std::map<std::int32_t, std::vector<AcGePoint3d>> linked;
  std::vector<AcGePoint3d> fresh;
  for (const AcDbHandle& h : handles) {
    const auto id = IdOf(s, h);
    if (!id) continue;
    OpenedObject<AcDbPoint> point(*id, AcDb::kForRead);
    if (!point) continue;
    const EntityLink link = s.links.linkOf(*point.get());
    if (link.mapObjectId == 0) {
      fresh.push_back(point->position());
      continue;
    }
    if (s.scheduledSetIds.count(link.mapObjectId)) continue;
    auto [it, added] = linked.try_emplace(link.mapObjectId);
    if (added) order.push_back(link.mapObjectId);
    it->second.push_back(point->position());
  }
  int records = 0;
  for (std::int32_t id : order) {
    const auto& points = linked[id];
    if (points.size() < 2) continue;
    const EntityLink* registered = s.links.groupLink(id);
    EntityLink link = registered ? *registered : FreshLink();
    link.mapObjectId = id;
    link.entityKey = static_cast<std::uint32_t>(id);
    link.parentFolderId = linkTemplate.parentFolderId;
    s.scheduledSetIds.insert(id);
    records += AppendSet(s, points, link, SourceKind::PointSet);
  }
  if (fresh.size() >= 2) {
    EntityLink link = FreshLink(s.links.newTemporaryKey());
    link.parentFolderId = linkTemplate.parentFolderId;
    records += AppendSet(s, fresh, link, SourceKind::PointSet);
  }
  return records;
}

int encodeJoinedPolylines(EncodeSession& s, const EntityLink& linkTemplate) {
  std::vector<AcDbHandle> handles;
  handles.swap(s.deferredJoinedPolylines);
  std::vector<std::int32_t> ids;
  std::map<std::int32_t, std::vector<AcDbHandle>> deferredById;
  for (const AcDbHandle& h : handles) {
    const auto id = IdOf(s, h);
    if (!id) continue;
    OpenedObject<AcDbEntity> piece(*id, AcDb::kForRead);
    if (!piece) continue;
    const std::int32_t mapId = s.links.linkOf(*piece.get()).mapObjectId;
    if (mapId == 0) continue;
    if (!deferredById.count(mapId)) ids.push_back(mapId);
    deferredById[mapId].push_back(h);
  }
  int records = 0;
  for (std::int32_t mapId : ids) {
    std::vector<AcDbHandle> pieces = s.links.linePieces(mapId);
    if (pieces.empty()) pieces = deferredById[mapId];
    std::vector<AcGePoint3d> points;
    std::vector<double> bulges;
    for (const AcDbHandle& h : pieces) {
      const auto id = IdOf(s, h);
      if (!id) continue;
      OpenedObject<AcDbEntity> piece(*id, AcDb::kForRead);
      if (!piece) continue;
      if (const auto* pl = AcDbPolyline::cast(piece.get())) {
        const std::size_t first = points.size();
        PolylineVertices(*pl, points, bulges);
        if (pl->isClosed() && points.size() > first) {
          points.push_back(points[first]);
          bulges.push_back(0.0);
        }
      } else if (const auto* p3 = AcDb3dPolyline::cast(piece.get())) {
        std::unique_ptr<AcDbObjectIterator> it(p3->vertexIterator());
        for (it->start(); !it->done(); it->step()) {
          const auto* v = AcDb3dPolylineVertex::cast(it->entity());
          if (!v || v->vertexType() == AcDb::k3dControlVertex) continue;
          points.push_back(v->position());
          bulges.push_back(0.0);
        }
      }
    }
    const EntityLink* registered = s.links.groupLink(mapId);
    EntityLink link = registered ? *registered : FreshLink();
    link.mapObjectId = mapId;
    link.entityKey = static_cast<std::uint32_t>(mapId);
    link.parentFolderId = linkTemplate.parentFolderId;
    records += AppendSet(s, points, link, SourceKind::Polyline, bulges);
  }
  return records;
}

}  // namespace vurk
