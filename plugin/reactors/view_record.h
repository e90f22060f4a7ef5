// The view of AutoCAD's current viewport as a rectangle of the drawing and the size of the
// window in pixels; reading it, zooming to a rectangle, and the small plane-geometry helpers the
// coordinate and cross-section code share.
#pragma once

#include <cstdint>

#include "arx/gept.h"
#include "arx/gevec.h"

class AcDbViewTableRecord;

namespace vurk {

struct ViewRecord {
  double minX = 0.0;
  double minY = 0.0;
  double maxX = 0.0;
  double maxY = 0.0;
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;

  bool operator==(const ViewRecord&) const = default;
};

// The visible area scaled about its centre by factor (1.0: exactly what is visible). False,
// with the record zeroed, when there is no usable view: a centre exactly on Y = 0, a window
// without size, or a view of no width.
bool GetViewRecord(ViewRecord& record, double factor);
// Makes the current view show the rectangle of the two world corners, its sides multiplied by
// factor. Corners beyond 1e10, not finite, or spanning no width or height change nothing.
void ZoomToWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2, double factor);
// Fills a view record with the current view, from the view system variables.
void CurrentViewTableRecord(AcDbViewTableRecord& view);
// The centre of the extents of the working database's model space ((0,0,0) when it has none).
AcGePoint3d ModelSpaceCentre();
// Redraws the active drawing and updates the display.
void RefreshDisplay();

// The angle of (x, y) in [0, 2π); 0 for a vector shorter than 1e-6.
double VectorAngle(double x, double y);
// The distance from p1 to the line through p2 with direction angle a (counting p1's Z).
double DistanceAlongDirection(const AcGePoint3d& p1, const AcGePoint3d& p2, double a);
// v turned by a in the plane, keeping its plane length and its Z.
AcGeVector3d RotateVector(const AcGeVector3d& v, double a);

}  // namespace vurk
