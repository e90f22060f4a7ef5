#include "coords/point_pick.h"

#include "arx/acutads.h"
#include "util/log.h"

namespace vurk {

bool PickPointInDrawing(const char16_t* prompt, AcGePoint3d&) {
  // The editor's point prompt is not in this build yet: the prompt is shown and the pick ends
  // as cancelled.
  acutPrintf(u"%ls", prompt);
  Log(u"picking a point: the editor's point prompt is not available in this build");
  return false;
}

}  // namespace vurk
