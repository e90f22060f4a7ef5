// Objects that the host's user draws on the map: marks, text labels, lines, areas (with
// holes), circles and multi-part lines, given in longitude/latitude. Each becomes a record body
// written with the host's own layouts (positions in the plane of the selected system, written
// anew whenever the object is sent) and its placement.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/map_geometry.h"

namespace host {

enum class UserShape { Mark, Label, Line, Area, Circle, MultiLine };

struct UserObject {
  UserShape shape = UserShape::Mark;
  std::string name;
  std::string text;                         // description
  // Mark, label: one point. Line: one part. Area: the outer ring, then each hole. Circle: the
  // centre. Multi-part line: each part.
  std::vector<std::vector<GeoPoint>> parts;
  double radius = 0;                        // circle, metres
  std::uint32_t colour = 0x0000FF;          // COLORREF 0x00BBGGRR: lines, marks, labels, outlines
  std::uint32_t fillColour = 0x00FF00;      // areas and circles
};

struct BuiltObject {
  RecordKind kind = RecordKind::Mark;
  std::vector<std::uint8_t> body;
  Placement placement;
};

// Nothing, with the reason, when the shape lacks points, a point is not a longitude/latitude,
// or a circle's radius is not positive.
std::optional<BuiltObject> buildUserObject(const UserObject& object, const CoordinateSystem& cs, std::string* error);

}  // namespace host
