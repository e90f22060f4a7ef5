#include "host/map_geometry.h"

#include <cmath>

#include "host/byte_reader.h"
#include "host/byte_writer.h"

namespace host {

namespace L = layout;

namespace {

std::uint64_t roundUp8(std::uint64_t v) { return (v + 7) / 8 * 8; }

// A value on the 2^-20 grid (exact sums and differences for plane values below 2^32).
double onGrid(double v) { return std::ldexp(std::round(std::ldexp(v, 20)), -20); }

bool isSquareSpan(PlanePoint a, PlanePoint b) { return a.east - b.east == b.north - a.north && a.east != b.east; }

}  // namespace

std::vector<std::size_t> positionOffsets(RecordKind kind, std::span<const std::uint8_t> body) {
  const ByteReader r(body);
  std::vector<std::size_t> out;
  switch (kind) {
    case RecordKind::Mark:
      out.push_back(L::mark_record::kNorth);
      break;
    case RecordKind::Line:
    case RecordKind::Area: {
      const auto text = r.u32(L::line_record::kTextLength);
      const auto points = r.i32(L::line_record::kPointCount);
      if (!text || !points || *points < 0) break;
      const std::uint64_t at = roundUp8(L::line_record::kText + std::uint64_t{*text});
      if (!r.fitsCount(at, static_cast<std::uint64_t>(*points), L::line_record::kVertexSize)) break;
      for (std::int32_t i = 0; i < *points; ++i) {
        out.push_back(static_cast<std::size_t>(at + L::line_record::kVertexSize * static_cast<std::uint64_t>(i)));
      }
      break;
    }
    case RecordKind::MultiPart: {
      const auto text = r.u32(L::multi_part_record::kTextLength);
      const auto parts = r.i32(L::multi_part_record::kPartCount);
      if (!text || !parts || *parts < 0) break;
      const std::uint64_t partsAt = roundUp8(L::multi_part_record::kText + std::uint64_t{*text});
      if (!r.fitsCount(partsAt, static_cast<std::uint64_t>(*parts), L::multi_part_record::kPartSize)) break;
      std::uint64_t total = 0;
      for (std::int32_t p = 0; p < *parts; ++p) {
        const auto n = r.i32(static_cast<std::size_t>(partsAt + L::multi_part_record::kPartSize * static_cast<std::uint64_t>(p) +
                                                      L::multi_part_record::kPartVertexCount));
        if (!n || *n < 0) return {};
        total += static_cast<std::uint64_t>(*n);
      }
      const std::uint64_t at = partsAt + L::multi_part_record::kPartSize * static_cast<std::uint64_t>(*parts);
      if (!r.fitsCount(at, total, L::multi_part_record::kVertexSize)) break;
      for (std::uint64_t i = 0; i < total; ++i) out.push_back(static_cast<std::size_t>(at + L::multi_part_record::kVertexSize * i));
      break;
    }
    case RecordKind::Folder:
      break;
  }
  return out;
}

std::vector<PlanePoint> recordPositions(RecordKind kind, std::span<const std::uint8_t> body) {
  const ByteReader r(body);
  std::vector<PlanePoint> out;
  for (const std::size_t at : positionOffsets(kind, body)) out.push_back({*r.f64(at + 8), *r.f64(at)});
  return out;
}

std::optional<std::string> nonFiniteGeometry(RecordKind kind, std::span<const std::uint8_t> body) {
  const ByteReader r(body);
  const auto offsets = positionOffsets(kind, body);
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    if (!std::isfinite(*r.f64(offsets[i])) || !std::isfinite(*r.f64(offsets[i] + 8))) {
      return "position " + std::to_string(i) + " is not a finite number";
    }
    if ((kind == RecordKind::Line || kind == RecordKind::Area) && !std::isfinite(*r.f64(offsets[i] + L::line_record::kVertexBulge))) {
      return "the bulge of vertex " + std::to_string(i) + " is not a finite number";
    }
  }
  if (kind == RecordKind::Area) {
    for (const std::size_t at : {L::area_record::kStartAngle, L::area_record::kEndAngle, L::area_record::kOriginX,
                                 L::area_record::kOriginY}) {
      if (!std::isfinite(*r.f64(at))) return "an angle or the hatch origin is not a finite number";
    }
  }
  return std::nullopt;
}

Placement placeRecord(RecordKind kind, std::span<const std::uint8_t> body, const CoordinateSystem& cs) {
  Placement placed;
  const auto plane = recordPositions(kind, body);
  for (const PlanePoint& p : plane) {
    const auto g = cs.toGeographic(p);
    if (!g) return Placement{};
    placed.points.push_back(*g);
  }
  placed.roundShape = kind == RecordKind::Area && plane.size() == 2 && isSquareSpan(plane[0], plane[1]);
  return placed;
}

std::vector<std::uint8_t> withPositions(RecordKind kind, std::span<const std::uint8_t> body,
                                        const std::vector<PlanePoint>& positions) {
  ByteWriter w(body.size());
  w.raw(0, body);
  const auto offsets = positionOffsets(kind, body);
  for (std::size_t i = 0; i < offsets.size() && i < positions.size(); ++i) {
    w.f64(offsets[i], positions[i].north);
    w.f64(offsets[i] + 8, positions[i].east);
  }
  return w.take();
}

std::vector<std::uint8_t> bodyInSystem(RecordKind kind, std::span<const std::uint8_t> body, const Placement& placement,
                                       const CoordinateSystem& cs) {
  const std::vector<std::uint8_t> unchanged(body.begin(), body.end());
  if (placement.points.empty() || placement.points.size() != positionOffsets(kind, body).size()) return unchanged;
  std::vector<PlanePoint> plane;
  for (const GeoPoint& g : placement.points) {
    const auto p = cs.fromGeographic(g);
    if (!p) return unchanged;
    plane.push_back(*p);
  }
  if (placement.roundShape && plane.size() == 2) {
    // The same square again: centre and half side on the grid, corners in the order given.
    const PlanePoint a = plane[0];
    const PlanePoint b = plane[1];
    const double cx = onGrid((a.east + b.east) / 2);
    const double cy = onGrid((a.north + b.north) / 2);
    double r = onGrid((std::fabs(b.east - a.east) + std::fabs(b.north - a.north)) / 4);
    if (r == 0) r = std::ldexp(1.0, -20);
    const double s = b.east >= a.east ? 1.0 : -1.0;
    plane[0] = {cx - s * r, cy + s * r};
    plane[1] = {cx + s * r, cy - s * r};
  }
  return withPositions(kind, body, plane);
}

}  // namespace host
