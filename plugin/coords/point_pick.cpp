#include "coords/point_pick.h"

#include "arx/aced.h"

namespace vurk {

bool PickPointInDrawing(const char16_t* prompt, AcGePoint3d& point) {
  ads_point picked{0, 0, 0};
  if (acedGetPoint(nullptr, prompt, picked) != RTNORM) return false;
  point.set(picked[0], picked[1], picked[2]);
  return true;
}

}  // namespace vurk
