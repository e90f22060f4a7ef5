#include "arx/acedview.h"

#include <algorithm>
#include <cmath>

#include "arx/acad_app.h"
#include "arx/dbsymtb.h"

namespace arx {

void ViewModel::setScreenSize(int width, int height) {
  screenWidth_ = width;
  screenHeight_ = height;
  changed();
}

void ViewModel::fit(const AcGePoint2d& centre, double width, double height) {
  const double aspect = screenHeight_ > 0 ? static_cast<double>(screenWidth_) / screenHeight_ : 1.0;
  centre_ = centre;
  height_ = std::max(std::fabs(height), std::fabs(width) / aspect);
  changed();
}

void ViewModel::set(const AcGePoint2d& centre, double height) {
  centre_ = centre;
  height_ = height;
  changed();
}

void ViewModel::changed() {
  ++changes_;
  for (auto& l : listeners_) l();
}

}  // namespace arx

Acad::ErrorStatus acedSetCurrentView(AcDbViewTableRecord* view, AcDbViewport* viewport) {
  if (!view || viewport) return Acad::eInvalidInput;
  if (view->perspectiveEnabled() || view->viewTwist() != 0.0 || view->isPaperspaceView() ||
      view->frontClipEnabled() || view->backClipEnabled()) {
    return Acad::eInvalidInput;
  }
  const double w = view->width();
  const double h = view->height();
  const AcGePoint2d c = view->centerPoint();
  if (!std::isfinite(w) || !std::isfinite(h) || !std::isfinite(c.x) || !std::isfinite(c.y) || h <= 0.0 ||
      w <= 0.0) {
    return Acad::eInvalidInput;
  }
  arx::AcadApplication::current().view().fit(c, w, h);
  return Acad::eOk;
}

int acedTrans(const ads_point point, const resbuf* from, const resbuf* to, int, ads_point result) {
  const auto known = [](const resbuf* rb) {
    return rb && rb->restype == RTSHORT && rb->resval.rint >= 0 && rb->resval.rint <= 2;
  };
  if (!known(from) || !known(to)) return RTERROR;
  // World, user and display systems coincide in a plan view of the world system.
  result[0] = point[0];
  result[1] = point[1];
  result[2] = point[2];
  return RTNORM;
}
