// Where a map object lies. Records carry the sender's plane coordinates (a mark's point, every
// vertex of a line or area, every vertex of a multi-part line); the host keeps each object's
// positions in longitude/latitude, placed with the coordinate system selected when the object
// arrived, and writes them back in the plane of the system selected when it sends the object.
//
// A two-point area whose corners span a square (a circle or circular sector, by the rule
// receivers use: first east minus second east equals second north minus first north) is kept
// as such: when it is written back its corners are put on a 2^-20 grid so that the square is
// exact again, whatever rounding the conversions brought.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/coordinate_systems.h"
#include "host/projection.h"
#include "host/record_layouts.h"

namespace host {

struct Placement {
  std::vector<GeoPoint> points;  // in record order; empty: the object is not on the map
  bool roundShape = false;       // a two-point area that is a circle or circular sector
};

// Byte offsets of the north coordinate of every position of a body (the east one follows at
// +8), in record order. The body must have passed readRecordBody.
std::vector<std::size_t> positionOffsets(RecordKind kind, std::span<const std::uint8_t> body);

// The positions of a body in its plane coordinates.
std::vector<PlanePoint> recordPositions(RecordKind kind, std::span<const std::uint8_t> body);

// The reason when a coordinate, bulge, angle or hatch origin of the body is not finite.
std::optional<std::string> nonFiniteGeometry(RecordKind kind, std::span<const std::uint8_t> body);

// The body's positions in longitude/latitude; no points when any of them lies outside the
// system (the object is kept, but not on the map).
Placement placeRecord(RecordKind kind, std::span<const std::uint8_t> body, const CoordinateSystem& cs);

// A copy of the body with its positions in the plane of the system; the body unchanged when
// the object is not placed or a position cannot be written in that system.
std::vector<std::uint8_t> bodyInSystem(RecordKind kind, std::span<const std::uint8_t> body, const Placement& placement,
                                       const CoordinateSystem& cs);

// Puts plane positions into a copy of the body (as many as it has).
std::vector<std::uint8_t> withPositions(RecordKind kind, std::span<const std::uint8_t> body,
                                        const std::vector<PlanePoint>& positions);

}  // namespace host
