#include "shell/plugin_module.h"

#include <array>

#include "win32/desktop.h"

namespace vurk {

namespace {
HINSTANCE g_instance = nullptr;  // the module's own identity, as a DLL keeps it
}

HINSTANCE PluginInstance() { return g_instance; }

std::u16string ModuleFolder(HMODULE module) {
  std::array<char16_t, 512> buf{};
  const DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  std::u16string path(buf.data(), n);
  const auto cut = path.find_last_of(u'\\');
  if (cut == std::u16string::npos) return {};
  // A module at the root of a drive lives in the folder "D:\", not in "D:" (which would name the
  // drive's current directory and slip past the root check).
  if (cut == 2 && path[1] == u':') return path.substr(0, 3);
  return path.substr(0, cut);
}

std::u16string PluginFolder() { return ModuleFolder(g_instance); }

}  // namespace vurk

BOOL VurkArxDllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  constexpr DWORD kProcessAttach = 1;
  if (reason == kProcessAttach) {
    vurk::g_instance = instance;
  } else {
    vurk::g_instance = nullptr;
  }
  return TRUE;
}

extern "C" int acrxGetApiVersion() { return 24; }
