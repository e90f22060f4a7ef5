#include "host/user_objects.h"

#include <cmath>
#include <cstdio>

#include "host/byte_writer.h"

namespace host {

namespace L = layout;

namespace {

constexpr std::int32_t kNewRing = 65536;  // altitude that starts the next ring of an area
constexpr std::uint8_t kSourcePoint = 1;
constexpr std::uint8_t kSourceText = 3;
constexpr std::uint32_t kMarkIcon = 4;
constexpr std::int32_t kLabelFontSize = 14;
constexpr std::uint8_t kLabelLevel = 16;

std::size_t padded(std::size_t v) { return (v + 7) / 8 * 8; }

bool isLonLat(GeoPoint g) {
  return std::isfinite(g.lon) && std::isfinite(g.lat) && std::fabs(g.lon) <= 180.0 && std::fabs(g.lat) <= 90.0;
}

std::vector<std::uint8_t> markBody(const UserObject& o) {
  ByteWriter w(L::mark_record::kText + o.text.size());
  const bool label = o.shape == UserShape::Label;
  w.text(L::record_name::kName, o.name, L::record_name::kNameField);
  w.u8(L::mark_record::kConstant2, 2);
  w.u32(L::mark_record::kIconId, label ? 0 : kMarkIcon);
  w.u32(L::mark_record::kColour, o.colour);
  w.u8(L::mark_record::kSourceKind, label ? kSourceText : kSourcePoint);
  w.u8(L::mark_record::kLabelFixed, 1);
  w.u8(L::mark_record::kLabelLevel, kLabelLevel);
  w.i32(L::mark_record::kFontSize, kLabelFontSize);
  w.u32(L::mark_record::kTextColour, o.colour);
  w.u32(L::mark_record::kTextLength, static_cast<std::uint32_t>(o.text.size()));
  w.raw(L::mark_record::kText, {reinterpret_cast<const std::uint8_t*>(o.text.data()), o.text.size()});
  return w.take();
}

// A line or area block with its text and room for the vertices; ring starts get altitude 65536.
std::vector<std::uint8_t> lineBody(const UserObject& o, RecordKind kind, const std::vector<std::size_t>& ringStarts,
                                   std::size_t points) {
  const std::size_t vertices = padded(L::line_record::kText + o.text.size());
  ByteWriter w(vertices + L::line_record::kVertexSize * points);
  w.text(L::record_name::kName, o.name, L::record_name::kNameField);
  w.i32(L::line_record::kPointCount, static_cast<std::int32_t>(points));
  w.u8(L::line_record::kConstant2, 2);
  if (kind == RecordKind::Line) {
    w.u32(L::line_record::kColour, o.colour);
    w.u32(L::line_record::kLineWidth, 3);
    w.u8(L::line_record::kOpacity, 100);
  } else {
    w.u8(L::area_record::kConstant1, 1);
    w.u8(L::area_record::kLineOpacity, 50);
    w.u8(L::area_record::kFillOpacity, 50);
    w.u16(L::area_record::kOuterRings, 1);
    w.u32(L::area_record::kLineColour, o.colour);
    w.u32(L::area_record::kFillColour, o.fillColour);
  }
  w.u32(L::line_record::kTextLength, static_cast<std::uint32_t>(o.text.size()));
  w.raw(L::line_record::kText, {reinterpret_cast<const std::uint8_t*>(o.text.data()), o.text.size()});
  for (const std::size_t i : ringStarts) {
    if (i > 0) w.i32(vertices + L::line_record::kVertexSize * i + L::line_record::kVertexAltitude, kNewRing);
  }
  return w.take();
}

std::vector<std::uint8_t> multiPartBody(const UserObject& o) {
  const std::size_t partsAt = padded(L::multi_part_record::kText + o.text.size());
  std::size_t total = 0;
  for (const auto& p : o.parts) total += p.size();
  ByteWriter w(partsAt + L::multi_part_record::kPartSize * o.parts.size() + L::multi_part_record::kVertexSize * total);
  w.text(L::record_name::kName, o.name, L::record_name::kNameField);
  w.i32(L::multi_part_record::kPartCount, static_cast<std::int32_t>(o.parts.size()));
  w.u32(L::multi_part_record::kColour, o.colour);
  w.u32(L::multi_part_record::kTextLength, static_cast<std::uint32_t>(o.text.size()));
  w.raw(L::multi_part_record::kText, {reinterpret_cast<const std::uint8_t*>(o.text.data()), o.text.size()});
  for (std::size_t p = 0; p < o.parts.size(); ++p) {
    w.i32(partsAt + L::multi_part_record::kPartSize * p + L::multi_part_record::kPartVertexCount,
          static_cast<std::int32_t>(o.parts[p].size()));
  }
  return w.take();
}

// The corners (north-west, then south-east) of the square around a circle, measured in metres
// on a transverse Mercator plane whose central meridian passes through the centre (so that its
// grid north is true north there).
std::optional<std::vector<GeoPoint>> circleCorners(GeoPoint centre, double radius, std::string* error) {
  char proj[160];
  std::snprintf(proj, sizeof proj, "+proj=tmerc +lat_0=0 +lon_0=%.17g +k=1 +x_0=500000 +y_0=0 +ellps=GRS80 +units=m",
                centre.lon);
  const auto local = Projection::create(proj, error);
  if (!local) return std::nullopt;
  const auto c = local->forward(centre);
  const auto nw = c ? local->inverse({c->east - radius, c->north + radius}) : std::nullopt;
  const auto se = c ? local->inverse({c->east + radius, c->north - radius}) : std::nullopt;
  if (!nw || !se) {
    if (error) *error = "the circle cannot be measured at its centre";
    return std::nullopt;
  }
  return std::vector<GeoPoint>{*nw, *se};
}

}  // namespace

std::optional<BuiltObject> buildUserObject(const UserObject& o, const CoordinateSystem& cs, std::string* error) {
  auto fail = [error](std::string why) -> std::optional<BuiltObject> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  std::size_t points = 0;
  for (const auto& part : o.parts) {
    if (part.empty()) return fail("an empty part or ring");
    for (const GeoPoint& g : part) {
      if (!isLonLat(g)) return fail("a point is not a longitude/latitude");
    }
    points += part.size();
  }
  BuiltObject b;
  switch (o.shape) {
    case UserShape::Mark:
    case UserShape::Label:
      if (points != 1) return fail("a mark or label has exactly one point");
      if (o.shape == UserShape::Label && o.name.empty()) return fail("a label needs its text as its name");
      b.kind = RecordKind::Mark;
      b.body = markBody(o);
      b.placement.points = o.parts.front();
      break;
    case UserShape::Line:
      if (o.parts.size() != 1 || points < 2) return fail("a line has one part of two points or more");
      b.kind = RecordKind::Line;
      b.body = lineBody(o, b.kind, {0}, points);
      b.placement.points = o.parts.front();
      break;
    case UserShape::Area: {
      std::vector<std::size_t> starts;
      for (const auto& ring : o.parts) {
        if (ring.size() < 3) return fail("a ring of an area has three points or more");
        starts.push_back(b.placement.points.size());
        b.placement.points.insert(b.placement.points.end(), ring.begin(), ring.end());
      }
      if (starts.empty()) return fail("an area has an outer ring");
      b.kind = RecordKind::Area;
      b.body = lineBody(o, b.kind, starts, points);
      break;
    }
    case UserShape::Circle: {
      if (points != 1) return fail("a circle has one centre");
      if (!(o.radius > 0) || !std::isfinite(o.radius)) return fail("a circle's radius is positive");
      auto corners = circleCorners(o.parts.front().front(), o.radius, error);
      if (!corners) return std::nullopt;
      b.kind = RecordKind::Area;
      b.body = lineBody(o, b.kind, {0}, 2);
      ByteWriter angles(b.body.size());
      angles.raw(0, b.body);
      angles.f64(L::area_record::kEndAngle, 360.0);
      b.body = angles.take();
      b.placement.points = std::move(*corners);
      b.placement.roundShape = true;
      break;
    }
    case UserShape::MultiLine:
      if (o.parts.size() < 2) return fail("a multi-part line has two parts or more");
      for (const auto& part : o.parts) {
        if (part.size() < 2) return fail("each part of a multi-part line has two points or more");
        b.placement.points.insert(b.placement.points.end(), part.begin(), part.end());
      }
      b.kind = RecordKind::MultiPart;
      b.body = multiPartBody(o);
      break;
  }
  b.body = bodyInSystem(b.kind, b.body, b.placement, cs);
  return b;
}

}  // namespace host
