#include "shell/commands.h"

#include "arx/rxmfcapi.h"
#include "shell/plugin_module.h"

namespace vurk {

void VurkCommand() {
  // The plug-in's resources are current for the duration of the command.
  CAcModuleResourceOverride resources(PluginInstance());
  // The toolbar window is created at start-up once the toolbar exists; until then there is
  // nothing to float and show.
}

}  // namespace vurk
