// The coordinate systems the host's user can select, and the conversions between their plane
// coordinates and longitude/latitude:
//  - geographic (type 2): longitude/latitude in degrees on CGCS2000; "east" is the longitude,
//    "north" the latitude;
//  - Gauss-Krueger grids (type 4) on CGCS2000 in 3-degree zones (central meridian 3n) or
//    6-degree zones (central meridian 6n - 3), scale 1 on the central meridian, false easting
//    500 km, optionally with the zone number in front of the easting (n * 1,000,000 added),
//    as in the EPSG definitions "CGCS2000 / 3-degree Gauss-Kruger zone n" and "... CM n E";
//  - a local plane (type 3): the drawing's own coordinates, fitted from relation points to a
//    Gauss-Krueger grid (plane_fit.h).
// Every system has a 16-byte identity (two FNV-1a hashes of its exact definition), so the
// identity changes whenever the system or its fit changes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/plane_fit.h"
#include "host/projection.h"

namespace host {

enum class CoordinateType : std::uint32_t { Geographic = 2, LocalPlane = 3, GaussKrueger = 4 };

struct GaussKruegerGrid {
  int zoneWidth = 3;           // 3 or 6 degrees
  int zone = 38;
  bool zoneInEasting = true;   // the zone number stands in front of the easting

  double centralMeridian() const;
  double falseEasting() const;
  bool valid() const;
  std::string projString() const;
  std::string name() const;
  // The zone of that width whose strip holds the longitude.
  static GaussKruegerGrid forLongitude(int zoneWidth, double lon, bool zoneInEasting);
};

class CoordinateSystem {
 public:
  static CoordinateSystem geographic();
  static std::optional<CoordinateSystem> gaussKrueger(const GaussKruegerGrid& grid, std::string* error = nullptr);
  static std::optional<CoordinateSystem> localPlane(const GaussKruegerGrid& base, const PlaneFit& fit,
                                                    std::string* error = nullptr);

  CoordinateType type() const { return type_; }
  const std::string& name() const { return name_; }
  const std::string& definition() const { return definition_; }
  const std::array<std::uint8_t, 16>& identity() const { return identity_; }
  // The grid of a Gauss-Krueger system, or the base grid of a local plane.
  const std::optional<GaussKruegerGrid>& grid() const { return grid_; }
  const std::optional<PlaneFit>& fit() const { return fit_; }

  std::optional<GeoPoint> toGeographic(PlanePoint p) const;
  std::optional<PlanePoint> fromGeographic(GeoPoint g) const;

 private:
  CoordinateSystem() = default;
  void finish();

  CoordinateType type_ = CoordinateType::Geographic;
  std::string name_;
  std::string definition_;
  std::array<std::uint8_t, 16> identity_{};
  std::optional<GaussKruegerGrid> grid_;
  std::optional<PlaneFit> fit_;
  std::shared_ptr<const Projection> projection_;
};

// FNV-1a over bytes, from the given offset basis.
std::uint64_t fnv1a64(std::string_view bytes, std::uint64_t basis = 0xcbf29ce484222325ULL);

}  // namespace host
