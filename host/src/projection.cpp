#include "host/projection.h"

#include <cmath>

#if defined(VURKARX_WITH_PROJ)
#include <proj.h>
#endif

namespace host {

#if defined(VURKARX_WITH_PROJ)

struct Projection::Impl {
  PJ_CONTEXT* context = nullptr;
  PJ* pj = nullptr;
  ~Impl() {
    if (pj) proj_destroy(pj);
    if (context) proj_context_destroy(context);
  }
};

bool Projection::available() { return true; }

std::unique_ptr<Projection> Projection::create(std::string_view projString, std::string* error) {
  auto impl = std::make_unique<Impl>();
  impl->context = proj_context_create();
  if (!impl->context) {
    if (error) *error = "PROJ context could not be created";
    return nullptr;
  }
  proj_log_level(impl->context, PJ_LOG_NONE);
  // A plain operation (not a CRS): input in radians, output in metres; the degrees are
  // converted here.
  const std::string definition(projString);
  impl->pj = proj_create(impl->context, definition.c_str());
  if (!impl->pj) {
    if (error) {
      const int code = proj_context_errno(impl->context);
      *error = std::string("PROJ refused \"") + definition + "\": " + proj_context_errno_string(impl->context, code);
    }
    return nullptr;
  }
  return std::unique_ptr<Projection>(new Projection(std::move(impl), definition));
}

std::optional<PlanePoint> Projection::forward(GeoPoint g) const {
  if (!std::isfinite(g.lon) || !std::isfinite(g.lat) || std::fabs(g.lat) > 90.0) return std::nullopt;
  proj_errno_reset(impl_->pj);
  const PJ_COORD in = proj_coord(proj_torad(g.lon), proj_torad(g.lat), 0, 0);
  const PJ_COORD out = proj_trans(impl_->pj, PJ_FWD, in);
  if (proj_errno(impl_->pj) != 0 || !std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) return std::nullopt;
  return PlanePoint{out.xy.x, out.xy.y};
}

std::optional<GeoPoint> Projection::inverse(PlanePoint p) const {
  if (!std::isfinite(p.east) || !std::isfinite(p.north)) return std::nullopt;
  proj_errno_reset(impl_->pj);
  const PJ_COORD in = proj_coord(p.east, p.north, 0, 0);
  const PJ_COORD out = proj_trans(impl_->pj, PJ_INV, in);
  if (proj_errno(impl_->pj) != 0 || !std::isfinite(out.lp.lam) || !std::isfinite(out.lp.phi)) return std::nullopt;
  return GeoPoint{proj_todeg(out.lp.lam), proj_todeg(out.lp.phi)};
}

#else  // built without PROJ: every projection fails loudly

struct Projection::Impl {};

bool Projection::available() { return false; }

std::unique_ptr<Projection> Projection::create(std::string_view, std::string* error) {
  if (error) *error = "PROJ is not linked into the host (build with VURKARX_WITH_PROJ)";
  return nullptr;
}

std::optional<PlanePoint> Projection::forward(GeoPoint) const { return std::nullopt; }
std::optional<GeoPoint> Projection::inverse(PlanePoint) const { return std::nullopt; }

#endif

Projection::Projection(std::unique_ptr<Impl> impl, std::string definition)
    : impl_(std::move(impl)), definition_(std::move(definition)) {}

Projection::~Projection() = default;

}  // namespace host
