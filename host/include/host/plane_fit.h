// The local plane of a drawing, fitted from relation points: a similarity transform (scale,
// rotation, shift) from drawing coordinates to the plane of a Gauss-Krueger grid.
//
//   east  = a * x - b * y + tx
//   north = b * x + a * y + ty
//
// Least squares over every point (centroids, then a and b). One point, or points that all lie
// on one drawing position, and the simplified mode give a pure shift (a = 1, b = 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "host/projection.h"

namespace host {

struct RelationPair {
  GeoPoint geo;          // longitude/latitude the user picked in the map
  PlanePoint drawing;    // the drawing point (x east, y north)
};

struct PlaneFit {
  double a = 1;
  double b = 0;
  double tx = 0;
  double ty = 0;
  std::size_t pointCount = 0;
  double rmsResidual = 0;  // metres in the grid plane
  bool shiftOnly = false;

  double scale() const;
  double rotationDegrees() const;  // counter-clockwise, drawing axes to grid axes
  PlanePoint toGrid(PlanePoint drawing) const;
  std::optional<PlanePoint> toDrawing(PlanePoint grid) const;
};

// Fits drawing points to grid points (already projected). Nothing when there are no points,
// a value is not finite, or the fit degenerates (scale 0).
std::optional<PlaneFit> fitPlane(std::span<const PlanePoint> drawing, std::span<const PlanePoint> grid, bool shiftOnly,
                                 std::string* error = nullptr);

}  // namespace host
