// The demand-load entry that lets AutoCAD load the plug-in by itself at start-up.
#pragma once

#include <string>

namespace vurk {

// Writes the entry for this module (after removing entries of other builds of the plug-in).
void RegisterDemandLoad();
// Removes this module's entry, and unloads and removes other builds registered elsewhere.
void UnregisterDemandLoad();

// The parts of a module path: "C:\a\VurkArx.arx" -> folder "C:\a", base "VurkArx", ext ".arx".
struct ModulePathParts {
  std::u16string folder;
  std::u16string baseName;
  std::u16string extension;
};
ModulePathParts SplitModulePath(const std::u16string& path);

}  // namespace vurk
