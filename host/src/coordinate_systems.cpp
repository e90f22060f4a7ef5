#include "host/coordinate_systems.h"

#include <charconv>
#include <cmath>

namespace host {

namespace {

std::string number(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string degreesText(double cm) { return number(cm) + "°E"; }

}  // namespace

std::uint64_t fnv1a64(std::string_view bytes, std::uint64_t basis) {
  std::uint64_t h = basis;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ULL;
  }
  return h;
}

double GaussKruegerGrid::centralMeridian() const { return zoneWidth == 6 ? 6.0 * zone - 3.0 : 3.0 * zone; }

double GaussKruegerGrid::falseEasting() const { return (zoneInEasting ? zone * 1'000'000.0 : 0.0) + 500'000.0; }

bool GaussKruegerGrid::valid() const {
  if (zoneWidth == 3) return zone >= 1 && zone <= 120;
  if (zoneWidth == 6) return zone >= 1 && zone <= 60;
  return false;
}

std::string GaussKruegerGrid::projString() const {
  return "+proj=tmerc +lat_0=0 +lon_0=" + number(centralMeridian()) + " +k=1 +x_0=" + number(falseEasting()) +
         " +y_0=0 +ellps=GRS80 +units=m";
}

std::string GaussKruegerGrid::name() const {
  std::string n = "CGCS2000 高斯-克吕格 " + std::to_string(zoneWidth) + "度带 ";
  if (zoneInEasting) return n + "第" + std::to_string(zone) + "带";
  return n + "中央经线" + degreesText(centralMeridian());
}

GaussKruegerGrid GaussKruegerGrid::forLongitude(int zoneWidth, double lon, bool zoneInEasting) {
  double l = std::fmod(lon, 360.0);
  if (l < 0) l += 360.0;
  GaussKruegerGrid g;
  g.zoneWidth = zoneWidth == 6 ? 6 : 3;
  g.zoneInEasting = zoneInEasting;
  if (g.zoneWidth == 6) {
    g.zone = static_cast<int>(std::floor(l / 6.0)) + 1;
  } else {
    g.zone = static_cast<int>(std::floor((l + 1.5) / 3.0));
    if (g.zone < 1) g.zone = 120;  // the strip around 0 degrees
  }
  return g;
}

CoordinateSystem CoordinateSystem::geographic() {
  CoordinateSystem cs;
  cs.type_ = CoordinateType::Geographic;
  cs.name_ = "CGCS2000 经纬度";
  cs.definition_ = "geographic +ellps=GRS80";
  cs.finish();
  return cs;
}

std::optional<CoordinateSystem> CoordinateSystem::gaussKrueger(const GaussKruegerGrid& grid, std::string* error) {
  if (!grid.valid()) {
    if (error) *error = "no such Gauss-Krueger zone";
    return std::nullopt;
  }
  std::shared_ptr<const Projection> p = Projection::create(grid.projString(), error);
  if (!p) return std::nullopt;
  CoordinateSystem cs;
  cs.type_ = CoordinateType::GaussKrueger;
  cs.grid_ = grid;
  cs.name_ = grid.name();
  cs.definition_ = grid.projString();
  cs.projection_ = std::move(p);
  cs.finish();
  return cs;
}

std::optional<CoordinateSystem> CoordinateSystem::localPlane(const GaussKruegerGrid& base, const PlaneFit& fit,
                                                             std::string* error) {
  auto cs = gaussKrueger(base, error);
  if (!cs) return std::nullopt;
  cs->type_ = CoordinateType::LocalPlane;
  cs->fit_ = fit;
  cs->name_ = "关联点平面 (" + std::to_string(fit.pointCount) + "个关联点, 基于 " + base.name() + ")";
  cs->definition_ = "local plane a=" + number(fit.a) + " b=" + number(fit.b) + " tx=" + number(fit.tx) +
                    " ty=" + number(fit.ty) + " on " + base.projString();
  cs->finish();
  return cs;
}

void CoordinateSystem::finish() {
  const std::uint64_t first = fnv1a64(definition_);
  const std::uint64_t second = fnv1a64(definition_, first);
  for (int i = 0; i < 8; ++i) {
    identity_[i] = static_cast<std::uint8_t>(first >> (8 * i));
    identity_[8 + i] = static_cast<std::uint8_t>(second >> (8 * i));
  }
}

std::optional<GeoPoint> CoordinateSystem::toGeographic(PlanePoint p) const {
  if (!std::isfinite(p.east) || !std::isfinite(p.north)) return std::nullopt;
  switch (type_) {
    case CoordinateType::Geographic:
      if (std::fabs(p.north) > 90.0 || std::fabs(p.east) > 540.0) return std::nullopt;
      return GeoPoint{p.east, p.north};
    case CoordinateType::GaussKrueger:
      return projection_->inverse(p);
    case CoordinateType::LocalPlane:
      return projection_->inverse(fit_->toGrid(p));
  }
  return std::nullopt;
}

std::optional<PlanePoint> CoordinateSystem::fromGeographic(GeoPoint g) const {
  if (!std::isfinite(g.lon) || !std::isfinite(g.lat) || std::fabs(g.lat) > 90.0) return std::nullopt;
  switch (type_) {
    case CoordinateType::Geographic:
      return PlanePoint{g.lon, g.lat};
    case CoordinateType::GaussKrueger:
      return projection_->forward(g);
    case CoordinateType::LocalPlane: {
      const auto grid = projection_->forward(g);
      if (!grid) return std::nullopt;
      return fit_->toDrawing(*grid);
    }
  }
  return std::nullopt;
}

}  // namespace host
