// Every map object of the host's tree as GeoJSON (RFC 7946) in longitude/latitude, for a GIS
// user to open: marks as Point, lines as LineString (MultiLineString when they have several
// parts), areas as Polygon with their holes (MultiPolygon for several outer rings), two-point
// areas as the rectangle, ellipse or sector they stand for, multi-part lines as
// MultiLineString. Each feature carries its id, kind, name, description, the path of its folder
// ("folder", names joined by '/') and its colours ("#RRGGBB") and style fields. Folders are not
// features. An object the host could not place has a null geometry.
#pragma once

#include <string>

namespace host {

class ObjectStore;

std::string mapGeoJson(const ObjectStore& store);

}  // namespace host
