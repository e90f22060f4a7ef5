#include "host/geojson.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "host/byte_reader.h"
#include "host/json_writer.h"
#include "host/object_store.h"
#include "host/object_stream_json.h"

namespace host {

namespace L = layout;

namespace {

using Ring = std::vector<GeoPoint>;

constexpr int kArcSteps = 64;
constexpr std::int32_t kNewPart = 65536;

std::string colourText(std::uint32_t colorref) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
  return buf;
}

const char* kindName(RecordKind kind) {
  switch (kind) {
    case RecordKind::Mark: return "mark";
    case RecordKind::Line: return "line";
    case RecordKind::MultiPart: return "multiPartLine";
    case RecordKind::Area: return "area";
    case RecordKind::Folder: return "folder";
  }
  return "?";
}

void writePosition(JsonWriter& w, GeoPoint g) {
  w.beginArray();
  w.value(g.lon);
  w.value(g.lat);
  w.endArray();
}

void writeLine(JsonWriter& w, const Ring& line) {
  w.beginArray();
  for (const GeoPoint& g : line) writePosition(w, g);
  w.endArray();
}

double signedArea(const Ring& r) {
  double a = 0;
  for (std::size_t i = 0; i + 1 < r.size(); ++i) a += r[i].lon * r[i + 1].lat - r[i + 1].lon * r[i].lat;
  return a / 2;
}

// Closed, and wound counter-clockwise (outer) or clockwise (hole).
Ring asRing(Ring r, bool outer) {
  if (r.size() > 1 && (r.front().lon != r.back().lon || r.front().lat != r.back().lat)) r.push_back(r.front());
  if ((signedArea(r) < 0) == outer) std::reverse(r.begin(), r.end());
  return r;
}

// Vertices cut where the altitude marks the start of a new part.
std::vector<Ring> splitParts(const MapObject& o, const ByteReader& r) {
  std::vector<Ring> parts;
  const auto offsets = positionOffsets(o.kind, o.body);
  for (std::size_t i = 0; i < offsets.size() && i < o.placement.points.size(); ++i) {
    if (parts.empty() || *r.i32(offsets[i] + L::line_record::kVertexAltitude) == kNewPart) parts.emplace_back();
    parts.back().push_back(o.placement.points[i]);
  }
  return parts;
}

// Points of an ellipse (or its arc, from and to angles in degrees) in a lon/lat box, measured
// on the local plane of the box's centre.
Ring ellipseInBox(GeoPoint a, GeoPoint b, double fromDeg, double toDeg, bool sector) {
  const GeoPoint c{(a.lon + b.lon) / 2, (a.lat + b.lat) / 2};
  const double rx = std::fabs(b.lon - a.lon) / 2;
  const double ry = std::fabs(b.lat - a.lat) / 2;
  const bool full = fromDeg == 0 && toDeg == 360;
  double sweep = full ? 360.0 : std::fmod(toDeg - fromDeg + 360.0, 360.0);
  if (sweep == 0) sweep = 360.0;
  Ring ring;
  if (sector && !full) ring.push_back(c);
  for (int i = 0; i <= kArcSteps; ++i) {
    const double t = (fromDeg + sweep * i / kArcSteps) * std::numbers::pi / 180.0;
    ring.push_back({c.lon + rx * std::cos(t), c.lat + ry * std::sin(t)});
  }
  return ring;
}

// A circle or arc given by its centre and a point on it, with angles in degrees.
Ring circleAround(GeoPoint centre, GeoPoint onIt, double fromDeg, double toDeg) {
  const double k = std::cos(centre.lat * std::numbers::pi / 180.0);
  const double radius = std::hypot((onIt.lon - centre.lon) * k, onIt.lat - centre.lat);
  const double rx = k > 1e-12 ? radius / k : radius;
  return ellipseInBox({centre.lon - rx, centre.lat - radius}, {centre.lon + rx, centre.lat + radius}, fromDeg, toDeg,
                      false);
}

// The rings of an area: the rectangle, ellipse or sector of a two-point area, else its rings
// of three points or more.
std::vector<Ring> areaRings(const MapObject& o, const ByteReader& r) {
  const auto& pts = o.placement.points;
  const double from = *r.f64(L::area_record::kStartAngle);
  const double to = *r.f64(L::area_record::kEndAngle);
  std::vector<Ring> rings;
  if (pts.size() == 2 && from == 0 && to == 0) {
    rings.push_back({pts[0], {pts[1].lon, pts[0].lat}, pts[1], {pts[0].lon, pts[1].lat}});
  } else if (pts.size() == 2) {
    rings.push_back(ellipseInBox(pts[0], pts[1], from, to, true));
  } else {
    for (Ring& ring : splitParts(o, r)) {
      if (ring.size() >= 3) rings.push_back(std::move(ring));
    }
  }
  return rings;
}

void writeGeometry(JsonWriter& w, const MapObject& o) {
  const ByteReader r(o.body);
  const auto& pts = o.placement.points;
  // No geometry for an object off the map, or one too small for its type (RFC 7946 wants two
  // positions in a line and four in a closed ring).
  const std::size_t least = o.kind == RecordKind::Mark ? 1 : (o.kind == RecordKind::Area && pts.size() != 2 ? 3 : 2);
  if (pts.empty() || pts.size() != positionOffsets(o.kind, o.body).size() || pts.size() < least ||
      (o.kind == RecordKind::Area && areaRings(o, r).empty())) {
    w.null();
    return;
  }
  w.beginObject();
  switch (o.kind) {
    case RecordKind::Mark:
      w.key("type").value("Point");
      w.key("coordinates");
      writePosition(w, pts.front());
      break;
    case RecordKind::Line: {
      const auto parts = splitParts(o, r);
      const auto source = *r.u8(L::line_record::kSourceKind);
      const auto offsets = positionOffsets(o.kind, o.body);
      if (source == 7 && pts.size() == 2) {
        const double from = *r.f64(offsets[0] + L::line_record::kVertexBulge);
        const double to = *r.f64(offsets[1] + L::line_record::kVertexBulge);
        const bool whole = from == 0 && (to == 0 || to == 360);
        w.key("type").value("LineString");
        w.key("coordinates");
        writeLine(w, circleAround(pts[0], pts[1], whole ? 0 : from, whole ? 360 : to));
      } else if (parts.size() > 1) {
        w.key("type").value("MultiLineString");
        w.key("coordinates").beginArray();
        for (const Ring& p : parts) {
          if (p.size() >= 2) writeLine(w, p);
        }
        w.endArray();
      } else {
        w.key("type").value("LineString");
        w.key("coordinates");
        writeLine(w, pts);
      }
      break;
    }
    case RecordKind::Area: {
      const std::vector<Ring> rings = areaRings(o, r);
      const std::size_t outer = std::max<std::size_t>(1, *r.u16(L::area_record::kOuterRings));
      if (outer >= 2 && rings.size() >= 2) {
        // Several outer rings: one polygon each; the holes go with the first.
        w.key("type").value("MultiPolygon");
        w.key("coordinates").beginArray();
        for (std::size_t i = 0; i < std::min(outer, rings.size()); ++i) {
          w.beginArray();
          writeLine(w, asRing(rings[i], true));
          if (i == 0) {
            for (std::size_t h = outer; h < rings.size(); ++h) writeLine(w, asRing(rings[h], false));
          }
          w.endArray();
        }
        w.endArray();
      } else {
        w.key("type").value("Polygon");
        w.key("coordinates").beginArray();
        for (std::size_t i = 0; i < rings.size(); ++i) writeLine(w, asRing(rings[i], i == 0));
        w.endArray();
      }
      break;
    }
    case RecordKind::MultiPart: {
      const auto text = *r.u32(L::multi_part_record::kTextLength);
      const std::uint64_t partsAt = (L::multi_part_record::kText + std::uint64_t{text} + 7) / 8 * 8;
      const auto count = *r.i32(L::multi_part_record::kPartCount);
      w.key("type").value("MultiLineString");
      w.key("coordinates").beginArray();
      std::size_t next = 0;
      for (std::int32_t p = 0; p < count; ++p) {
        const auto n = static_cast<std::size_t>(*r.i32(static_cast<std::size_t>(
            partsAt + L::multi_part_record::kPartSize * static_cast<std::uint64_t>(p) + L::multi_part_record::kPartVertexCount)));
        writeLine(w, Ring(pts.begin() + static_cast<std::ptrdiff_t>(next), pts.begin() + static_cast<std::ptrdiff_t>(next + n)));
        next += n;
      }
      w.endArray();
      break;
    }
    case RecordKind::Folder:
      break;
  }
  w.endObject();
}

void writeStyle(JsonWriter& w, const MapObject& o) {
  const ByteReader r(o.body);
  switch (o.kind) {
    case RecordKind::Mark:
      w.key("colour").value(colourText(*r.u32(L::mark_record::kColour)));
      w.key("textColour").value(colourText(*r.u32(L::mark_record::kTextColour)));
      w.key("iconId").value(std::uint64_t{*r.u32(L::mark_record::kIconId)});
      w.key("sourceKind").value(std::uint64_t{*r.u8(L::mark_record::kSourceKind)});
      w.key("fontSize").value(std::int64_t{*r.i32(L::mark_record::kFontSize)});
      w.key("rotation").value(static_cast<double>(*r.f32(L::mark_record::kRotation)));
      break;
    case RecordKind::Line:
      w.key("colour").value(colourText(*r.u32(L::line_record::kColour)));
      w.key("lineWidth").value(std::uint64_t{*r.u32(L::line_record::kLineWidth)});
      w.key("opacity").value(std::uint64_t{*r.u8(L::line_record::kOpacity)});
      w.key("lineStyle").value(std::uint64_t{*r.u8(L::line_record::kLineStyle)});
      w.key("sourceKind").value(std::uint64_t{*r.u8(L::line_record::kSourceKind)});
      w.key("closed").value(*r.u8(L::line_record::kClosed) != 0);
      break;
    case RecordKind::Area:
      w.key("lineColour").value(colourText(*r.u32(L::area_record::kLineColour)));
      w.key("fillColour").value(colourText(*r.u32(L::area_record::kFillColour)));
      w.key("lineOpacity").value(std::uint64_t{*r.u8(L::area_record::kLineOpacity)});
      w.key("fillOpacity").value(std::uint64_t{*r.u8(L::area_record::kFillOpacity)});
      w.key("fillType").value(std::uint64_t{*r.u32(L::area_record::kFillType)});
      break;
    case RecordKind::MultiPart:
      w.key("colour").value(colourText(*r.u32(L::multi_part_record::kColour)));
      break;
    case RecordKind::Folder:
      break;
  }
}

}  // namespace

std::string mapGeoJson(const ObjectStore& store) {
  JsonWriter w;
  w.beginObject();
  w.key("type").value("FeatureCollection");
  w.key("features").beginArray();
  for (const MapObject* o : store.inTreeOrder()) {
    if (o->kind == RecordKind::Folder) continue;
    w.beginObject();
    w.key("type").value("Feature");
    w.key("id").value(std::int64_t{o->id});
    w.key("geometry");
    writeGeometry(w, *o);
    w.key("properties").beginObject();
    w.key("id").value(std::int64_t{o->id});
    w.key("kind").value(kindName(o->kind));
    w.key("name").value(o->name);
    w.key("description").value(recordText(o->kind, o->body));
    w.key("folder").value(store.folderPath(o->id));
    writeStyle(w, *o);
    w.endObject();
    w.endObject();
  }
  w.endArray();
  w.endObject();
  return w.text() + "\n";
}

}  // namespace host
