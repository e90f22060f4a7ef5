#include "host/map_view.h"

#include <cmath>
#include <numbers>

namespace host {

double mercatorMetresPerPixel(int level) {
  return 2.0 * std::numbers::pi * kWebMercatorRadius / (kTilePixels * std::ldexp(1.0, level));
}

LevelResolutionCalculator::LevelResolutionCalculator() : mercator_(Projection::create(kWebMercator, &mercatorError_)) {}

LevelResolutionCalculator::~LevelResolutionCalculator() = default;

std::optional<std::vector<LevelResolution>> LevelResolutionCalculator::at(const CoordinateSystem& cs, PlanePoint point,
                                                                           std::string* error) const {
  auto fail = [error](std::string why) -> std::optional<std::vector<LevelResolution>> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (!mercator_) return fail(mercatorError_);
  const auto geo = cs.toGeographic(point);
  if (!geo) return fail("the point is outside the coordinate system");
  const auto m = mercator_->forward(*geo);
  if (!m) return fail("the point cannot be drawn on the map");

  // Plane position of the Mercator position m + (dx, dy).
  auto planeAt = [&](double dx, double dy) -> std::optional<PlanePoint> {
    const auto g = mercator_->inverse({m->east + dx, m->north + dy});
    if (!g) return std::nullopt;
    return cs.fromGeographic(*g);
  };
  // Central differences over one Mercator metre on either side.
  constexpr double h = 1.0;
  const auto xp = planeAt(h, 0), xm = planeAt(-h, 0), yp = planeAt(0, h), ym = planeAt(0, -h);
  if (!xp || !xm || !yp || !ym) return fail("the neighbourhood of the point cannot be converted");
  const double perMetreX = std::hypot(xp->east - xm->east, xp->north - xm->north) / (2 * h);
  const double perMetreY = std::hypot(yp->east - ym->east, yp->north - ym->north) / (2 * h);
  if (!std::isfinite(perMetreX) || !std::isfinite(perMetreY)) return fail("the resolution is not finite");

  std::vector<LevelResolution> table;
  for (int level = kMinMapLevel; level <= kMaxMapLevel; ++level) {
    const double pixel = mercatorMetresPerPixel(level);
    table.push_back({level, perMetreX * pixel, perMetreY * pixel});
  }
  return table;
}

}  // namespace host
