// The view of AutoCAD's current viewport: what part of the drawing the window shows.
//
// Models: a plan view of model space in one tiled viewport (TILEMODE 1, CVPORT 2). The view is
// its centre and its height in drawing units (VIEWCTR, VIEWSIZE) and the window's size in
// pixels (SCREENSIZE); the visible width follows from the window's aspect. Setting a view
// (acedSetCurrentView) fits the requested width and height into the window as AutoCAD does:
// the larger of the requested height and the height the requested width needs is shown, so the
// whole rectangle stays visible. Every change of the view is counted and announced to the
// listeners (the editor reactors' viewChanged).
// Limitations: the user coordinate system is the world system and the view is a plan view
// without twist, so world, user and display coordinates coincide (acedTrans is the identity
// for points and displacements); no perspective, clipping or paper space viewports; a
// perspective, twisted, clipped or paper-space view record is refused with eInvalidInput.
#pragma once

#include <functional>
#include <vector>

#include "arx/acadstrc.h"
#include "arx/adsdef.h"
#include "arx/gept.h"

class AcDbViewTableRecord;
class AcDbViewport;

namespace arx {

class ViewModel {
 public:
  ViewModel() = default;

  AcGePoint2d centre() const { return centre_; }
  double height() const { return height_; }
  double width() const { return height_ * screenWidth_ / screenHeight_; }
  int screenWidth() const { return screenWidth_; }
  int screenHeight() const { return screenHeight_; }

  // The drawing window's size in pixels (SCREENSIZE). A minimised window may report 0 height.
  void setScreenSize(int width, int height);
  // Shows the rectangle of the given centre, width and height, fitted into the window.
  void fit(const AcGePoint2d& centre, double width, double height);
  // Sets centre and height directly (a pan or a zoom by the user).
  void set(const AcGePoint2d& centre, double height);

  int changeCount() const { return changes_; }
  void addListener(std::function<void()> onChanged) { listeners_.push_back(std::move(onChanged)); }

 private:
  void changed();

  AcGePoint2d centre_{0.0, 0.0};
  double height_ = 10.0;
  int screenWidth_ = 1600;
  int screenHeight_ = 800;
  int changes_ = 0;
  std::vector<std::function<void()>> listeners_;
};

}  // namespace arx

// Makes the view record the current view of the viewport (null: the current viewport).
Acad::ErrorStatus acedSetCurrentView(AcDbViewTableRecord* view, AcDbViewport* viewport);
// Converts a point or displacement between coordinate systems (resbuf RTSHORT 0 WCS, 1 UCS,
// 2 DCS); RTNORM, or RTERROR for another kind of system.
int acedTrans(const ads_point point, const resbuf* from, const resbuf* to, int displacement, ads_point result);
