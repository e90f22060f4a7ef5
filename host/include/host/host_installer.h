// The host's installation as the plug-in finds it: under HKEY_CURRENT_USER the key
// "Software\Tessan Software\vurk\MainFrm" with "LastVersion" (REG_DWORD, e.g. 888) and
// "LastRunPath" (REG_SZ, the full path of the host program), and the program file itself at
// that path, so that opening it through the shell can start the host.
//
// Options for the cases the plug-in must handle: another version (700, 800), the version
// written as a string instead of a DWORD, no run path, or no installation at all.
#pragma once

#include <cstdint>
#include <string>

#include "win32/types.h"

namespace host {

inline constexpr char16_t kInstallKey[] = u"Software\\Tessan Software\\vurk\\MainFrm";
inline constexpr char16_t kDefaultRunPath[] = u"C:\\Program Files\\Tessan Software\\vurk\\vurk.exe";

struct InstallOptions {
  bool installed = true;
  std::uint32_t version = 888;
  bool versionAsString = false;   // "LastVersion" as REG_SZ "888" instead of a DWORD
  bool writeRunPath = true;
  std::u16string runPath = kDefaultRunPath;
  bool createProgramFile = true;  // put the program file at the run path
};

class HostInstaller {
 public:
  // Writes (or, with installed = false, removes) the install record on the current desktop
  // through the registry and file calls. Returns ERROR_SUCCESS or the failing call's status.
  static LONG install(const InstallOptions& options);
  static LONG uninstall();
};

}  // namespace host
