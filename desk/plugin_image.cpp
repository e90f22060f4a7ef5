#include "plugin_image.h"

#include "resources/string_table.h"
#include "shell/plugin_module.h"

namespace desk {

namespace {
void attachPlugin(HINSTANCE instance, DWORD reason) { VurkArxDllMain(instance, reason, nullptr); }
}  // namespace

arx::ModuleImage pluginModuleImage(const win32::ResourceTable* resources) {
  arx::ModuleImage image;
  image.fileName = u"VurkArx.arx";
  image.entryPoint = &acrxEntryPoint;
  image.dllMain = &attachPlugin;
  image.resources = resources;
  return image;
}

}  // namespace desk
