// Picking a point in the drawing for the relation-point dialog.
#pragma once

#include "arx/gept.h"

namespace vurk {

// Asks on the command line for a point in the current drawing; false when the user cancels
// or no point can be asked for.
bool PickPointInDrawing(const char16_t* prompt, AcGePoint3d& point);

}  // namespace vurk
