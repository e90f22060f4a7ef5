#include "host/plane_fit.h"

#include <cmath>
#include <numbers>

namespace host {

double PlaneFit::scale() const { return std::hypot(a, b); }

double PlaneFit::rotationDegrees() const { return std::atan2(b, a) * 180.0 / std::numbers::pi; }

PlanePoint PlaneFit::toGrid(PlanePoint d) const { return {a * d.east - b * d.north + tx, b * d.east + a * d.north + ty}; }

std::optional<PlanePoint> PlaneFit::toDrawing(PlanePoint g) const {
  const double det = a * a + b * b;
  if (!(det > 0) || !std::isfinite(g.east) || !std::isfinite(g.north)) return std::nullopt;
  const double u = g.east - tx;
  const double v = g.north - ty;
  // Inverse of [[a, -b], [b, a]] is [[a, b], [-b, a]] / det.
  return PlanePoint{(a * u + b * v) / det, (-b * u + a * v) / det};
}

std::optional<PlaneFit> fitPlane(std::span<const PlanePoint> drawing, std::span<const PlanePoint> grid, bool shiftOnly,
                                 std::string* error) {
  auto fail = [error](const char* why) -> std::optional<PlaneFit> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (drawing.empty() || drawing.size() != grid.size()) return fail("no relation points");
  const double n = static_cast<double>(drawing.size());
  double dx = 0, dy = 0, gx = 0, gy = 0;
  for (std::size_t i = 0; i < drawing.size(); ++i) {
    const PlanePoint d = drawing[i];
    const PlanePoint g = grid[i];
    if (!std::isfinite(d.east) || !std::isfinite(d.north) || !std::isfinite(g.east) || !std::isfinite(g.north)) {
      return fail("a relation point is not finite");
    }
    dx += d.east;
    dy += d.north;
    gx += g.east;
    gy += g.north;
  }
  dx /= n;
  dy /= n;
  gx /= n;
  gy /= n;

  PlaneFit fit;
  fit.pointCount = drawing.size();
  double spread = 0, sa = 0, sb = 0;
  for (std::size_t i = 0; i < drawing.size(); ++i) {
    const double px = drawing[i].east - dx, py = drawing[i].north - dy;
    const double qx = grid[i].east - gx, qy = grid[i].north - gy;
    spread += px * px + py * py;
    sa += px * qx + py * qy;
    sb += px * qy - py * qx;
  }
  if (shiftOnly || !(spread > 0)) {
    fit.shiftOnly = true;
  } else {
    fit.a = sa / spread;
    fit.b = sb / spread;
    if (!(fit.scale() > 1e-12) || !std::isfinite(fit.a) || !std::isfinite(fit.b)) return fail("the fit degenerates");
  }
  fit.tx = gx - (fit.a * dx - fit.b * dy);
  fit.ty = gy - (fit.b * dx + fit.a * dy);

  double sum = 0;
  for (std::size_t i = 0; i < drawing.size(); ++i) {
    const PlanePoint p = fit.toGrid(drawing[i]);
    sum += (p.east - grid[i].east) * (p.east - grid[i].east) + (p.north - grid[i].north) * (p.north - grid[i].north);
  }
  fit.rmsResidual = std::sqrt(sum / n);
  return fit;
}

}  // namespace host
