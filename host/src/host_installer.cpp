#include "host/host_installer.h"

#include <cstdio>
#include <string>

#include "win32/desktop.h"
#include "win32/fileapi.h"
#include "win32/winreg.h"

namespace host {

namespace {

LONG setString(HKEY key, const char16_t* name, const std::u16string& text) {
  // REG_SZ with its terminating NUL, as installers write it.
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

// Creates every folder on the way to the file, then an empty program file.
bool createProgramFile(const std::u16string& path) {
  for (std::size_t i = 3; i < path.size(); ++i) {
    if (path[i] == u'\\') {
      const std::u16string folder = path.substr(0, i);
      if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
  }
  FILE* f = _wfopen(path.c_str(), u"wb");
  if (!f) return false;
  static constexpr char kStamp[] = "vurk host stand-in\n";
  const bool ok = std::fwrite(kStamp, 1, sizeof kStamp - 1, f) == sizeof kStamp - 1;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

LONG HostInstaller::uninstall() {
  HKEY parent = nullptr;
  LONG s = RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tessan Software\\vurk", 0, KEY_ALL_ACCESS, &parent);
  if (s == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (s != ERROR_SUCCESS) return s;
  s = RegDeleteTreeW(parent, u"MainFrm");
  RegCloseKey(parent);
  return s == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : s;
}

LONG HostInstaller::install(const InstallOptions& options) {
  LONG s = uninstall();
  if (s != ERROR_SUCCESS || !options.installed) return s;
  HKEY key = nullptr;
  s = RegCreateKeyExW(HKEY_CURRENT_USER, kInstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
  if (s != ERROR_SUCCESS) return s;
  if (options.versionAsString) {
    const std::string digits = std::to_string(options.version);
    s = setString(key, u"LastVersion", std::u16string(digits.begin(), digits.end()));
  } else {
    const DWORD v = options.version;
    s = RegSetValueExW(key, u"LastVersion", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  if (s == ERROR_SUCCESS && options.writeRunPath) s = setString(key, u"LastRunPath", options.runPath);
  RegCloseKey(key);
  if (s != ERROR_SUCCESS) return s;
  if (options.writeRunPath && options.createProgramFile && !createProgramFile(options.runPath)) {
    return static_cast<LONG>(GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT);
  }
  return ERROR_SUCCESS;
}

}  // namespace host
