// The developer command testConnect: draws polylines from the points in "C:\vurk\line.txt".
#pragma once

#include <string_view>
#include <vector>

namespace vurk {

struct PlanePoint {
  double x;
  double y;
};

// The polylines the text describes: it is split at tabs and line feeds; each piece shorter
// than 256 bytes that reads as "x,y" adds a point; after every third piece the points so far
// become one polyline (when there are at least two) and a new list starts. Points after the
// last complete group of three pieces are dropped.
std::vector<std::vector<PlanePoint>> TestConnectPolylines(std::string_view text);

// The command: reads at most 102,400 bytes of the file and draws the polylines.
void TestConnectCommand();

}  // namespace vurk
