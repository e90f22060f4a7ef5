#include "shell/feature_handoffs.h"

#include "arx/dbapserv.h"
#include "util/log.h"

namespace vurk {

FeatureHandOffs& Features() {
  static FeatureHandOffs handOffs;
  return handOffs;
}

bool RunFeature(const std::function<void()>& handOff, const char16_t* what) {
  if (!handOff) {
    Log(std::u16string(what) + u": not available in this build");
    return false;
  }
  handOff();
  return true;
}

bool DocumentStateExists() {
  const FeatureHandOffs& f = Features();
  if (f.documentStateExists) return f.documentStateExists();
  return acdbHostApplicationServices() && acdbHostApplicationServices()->workingDatabase() != nullptr;
}

}  // namespace vurk
