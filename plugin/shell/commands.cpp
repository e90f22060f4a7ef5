#include "shell/commands.h"

#include "arx/rxmfcapi.h"
#include "shell/plugin_module.h"
#include "shell/toolbar_window.h"

namespace vurk {

namespace {
// VURK floats the toolbar this far from the screen's right edge.
constexpr int kVurkFloatFromRight = 235;
}  // namespace

void VurkCommand() {
  // The plug-in's resources are current for the duration of the command.
  CAcModuleResourceOverride resources(PluginInstance());
  FloatAndShowToolbar(kVurkFloatFromRight);
}

}  // namespace vurk
