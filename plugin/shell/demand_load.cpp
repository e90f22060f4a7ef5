#include "shell/demand_load.h"

#include <array>
#include <span>

#include "arx/acedads.h"
#include "arx/appinfo.h"
#include "arx/rxdlinkr.h"
#include "shell/plugin_module.h"
#include "win32/desktop.h"

namespace vurk {

namespace {

// Application names of other builds of the plug-in whose entries are removed before this
// build registers, and which are unloaded when this build unregisters. No other builds exist.
constexpr std::span<const char16_t* const> kOtherBuildsToReplace{};
constexpr std::span<const char16_t* const> kOtherBuildsToUnload{};

std::u16string ownModulePath() {
  std::array<char16_t, 512> buf{};
  const DWORD n = GetModuleFileNameW(PluginInstance(), buf.data(), static_cast<DWORD>(buf.size()));
  return (n == 0 || n >= buf.size()) ? std::u16string() : std::u16string(buf.data(), n);
}

}  // namespace

ModulePathParts SplitModulePath(const std::u16string& path) {
  ModulePathParts parts;
  const auto slash = path.find_last_of(u"\\/");
  const std::u16string file = slash == std::u16string::npos ? path : path.substr(slash + 1);
  if (slash != std::u16string::npos) parts.folder = path.substr(0, slash);
  const auto dot = file.find_last_of(u'.');
  parts.baseName = dot == std::u16string::npos ? file : file.substr(0, dot);
  if (dot != std::u16string::npos) parts.extension = file.substr(dot);
  return parts;
}

void RegisterDemandLoad() {
  const std::u16string modulePath = ownModulePath();
  if (modulePath.empty()) return;
  const ModulePathParts parts = SplitModulePath(modulePath);

  for (const char16_t* other : kOtherBuildsToReplace) {
    AcadAppInfo info;
    info.setAppName(other);
    if (info.readFromRegistry() == Acad::eOk) info.delFromRegistry();
  }

  AcadAppInfo info;
  info.setAppName(parts.baseName.c_str());
  info.setModuleName(modulePath.c_str());
  info.setAppDesc(parts.baseName.c_str());
  info.setLoadReason(static_cast<AcadApp::LoadReasons>(AcadApp::kOnProxyDetection | AcadApp::kOnAutoCADStartup |
                                                       AcadApp::kOnCommandInvocation | AcadApp::kOnLoadRequest));
  info.writeToRegistry();
  info.writeGroupNameToRegistry(parts.baseName.c_str());
  info.writeCommandNameToRegistry(parts.baseName.c_str(), parts.baseName.c_str());
}

void UnregisterDemandLoad() {
  const std::u16string modulePath = ownModulePath();
  if (modulePath.empty()) return;
  const ModulePathParts parts = SplitModulePath(modulePath);

  AcadAppInfo own;
  own.setAppName(parts.baseName.c_str());
  std::u16string ownModule = modulePath;
  if (own.readFromRegistry() == Acad::eOk) {
    ownModule = own.moduleName();
    own.delFromRegistry();
  }

  for (const char16_t* other : kOtherBuildsToUnload) {
    AcadAppInfo info;
    info.setAppName(other);
    if (info.readFromRegistry() != Acad::eOk || std::u16string(info.moduleName()) == ownModule) continue;
    const std::u16string appFile = std::u16string(other) + parts.extension;
    acedArxUnload(appFile.c_str());
    acrxUnregisterApp(other);
    info.delFromRegistry();
  }
}

}  // namespace vurk
