// The plug-in as a module file AutoCAD can load: its entry point, attach/detach function and
// compiled-in resources.
#pragma once

#include "arx/acad_app.h"

namespace desk {

// The resources are the caller's and must outlive every desktop the image is loaded into.
arx::ModuleImage pluginModuleImage(const win32::ResourceTable* resources);

}  // namespace desk
