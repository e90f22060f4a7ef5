#include "exchange/map_scale.h"

#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "hostlink/request_catalogue.h"

namespace vurk {

double RequestMapScale() {
  if (CurrentHostLink() == nullptr) return 0;
  HostAnswers& answers = Answers();
  answers.referencePointKnown = false;
  if (GetMapCenter() < 0 || !answers.referencePointKnown) return 0;
  answers.levels = LevelResolutionTable{};
  if (GetLevelResolution(answers.referencePoint.east, answers.referencePoint.north) < 0) return 0;
  return MapScaleOf(answers.levels);
}

}  // namespace vurk
