// A map projection between longitude/latitude (degrees) and plane coordinates (metres),
// computed by the PROJ library. This file and projection.cpp are the only place that knows
// PROJ; each Projection owns its own PROJ context, so nothing is shared between hosts.
//
// Limitations: the host is built without PROJ unless VURKARX_WITH_PROJ is defined (with
// libproj linked); then create() fails with "PROJ is not linked into the host" and every
// conversion that needs a projection fails. No datum shifts: every system here is on one
// ellipsoid (CGCS2000, whose figure is GRS80) or the Web Mercator sphere.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace host {

struct GeoPoint {
  double lon = 0;  // degrees east
  double lat = 0;  // degrees north
};

struct PlanePoint {
  double east = 0;
  double north = 0;
};

class Projection {
 public:
  // Creates the projection of a PROJ string such as "+proj=tmerc +lon_0=114 ..."; on failure
  // returns null and puts the reason into *error when given.
  static std::unique_ptr<Projection> create(std::string_view projString, std::string* error = nullptr);
  ~Projection();
  Projection(const Projection&) = delete;
  Projection& operator=(const Projection&) = delete;

  const std::string& definition() const { return definition_; }
  // Nothing for a point the projection cannot convert (outside its domain, not finite).
  std::optional<PlanePoint> forward(GeoPoint g) const;
  std::optional<GeoPoint> inverse(PlanePoint p) const;

  // Whether this build of the host can project at all.
  static bool available();

 private:
  struct Impl;
  explicit Projection(std::unique_ptr<Impl> impl, std::string definition);
  std::unique_ptr<Impl> impl_;
  std::string definition_;
};

// The Web Mercator sphere that the host's map tiles are drawn in.
inline constexpr std::string_view kWebMercator = "+proj=merc +a=6378137 +b=6378137 +lat_ts=0 +lon_0=0 +x_0=0 +y_0=0 +k=1 +units=m";
inline constexpr double kWebMercatorRadius = 6378137.0;

}  // namespace host
