// The host's map view and its zoom levels.
//
// The map is drawn in Web Mercator tiles of 256 pixels; at level L one pixel spans
// 2 * pi * 6378137 / (256 * 2^L) Mercator metres (level 1 .. 28). The view is kept as a centre
// in longitude/latitude, so it stays put when the user selects another coordinate system.
// The ground resolution of a level at a point, in the units of a coordinate system, is how far
// one pixel step along the map's X and Y moves in that system's plane: it is found by
// converting the point and its neighbours through PROJ (the Mercator sphere and the system's
// own projection) and measuring the plane distance.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/coordinate_systems.h"
#include "host/projection.h"

namespace host {

inline constexpr int kMinMapLevel = 1;
inline constexpr int kMaxMapLevel = 28;
inline constexpr double kTilePixels = 256.0;

// Mercator metres per pixel at a level.
double mercatorMetresPerPixel(int level);

enum class TileFormat : std::uint32_t { Png = 1, Jpeg = 3 };

struct MapViewState {
  GeoPoint centre{114.3, 30.6};
  int level = 12;
  std::uint32_t mapType = 0;  // 0..9; 9 = historical imagery
  TileFormat tileFormat = TileFormat::Png;
};

struct LevelResolution {
  int level = 0;
  double east = 0;   // plane units per pixel along the map's X
  double north = 0;  // plane units per pixel along the map's Y
};

// The resolutions of every level 1 .. 28 at a point given in the system's plane coordinates;
// nothing (with a reason) when the point cannot be converted or PROJ is not available.
class LevelResolutionCalculator {
 public:
  LevelResolutionCalculator();
  ~LevelResolutionCalculator();
  std::optional<std::vector<LevelResolution>> at(const CoordinateSystem& cs, PlanePoint point,
                                                 std::string* error = nullptr) const;

 private:
  std::unique_ptr<Projection> mercator_;
  std::string mercatorError_;
};

}  // namespace host
