// The pictures of map-mark icons: PNG resources written to files in the cache folder and
// registered as image definitions of the drawing.
#pragma once

#include "arx/dbid.h"

namespace vurk {

// The image definition of an icon (icons 500 to 900 are icon 4), extracting its picture on
// first use; the default icon's definition when the icon's own cannot be defined; the null id
// when the icon has no picture.
AcDbObjectId GetIconImageDef(int icon);
// Forgets the default icon's file (a new load of the plug-in finds it again).
void ResetDefaultIconPath();

}  // namespace vurk
