#include "arx/appinfo.h"

#include <vector>

#include "arx/acad_app.h"
#include "win32/winreg.h"

namespace {

// Closes a registry key on every path.
class KeyGuard {
 public:
  KeyGuard() = default;
  ~KeyGuard() {
    if (key_) RegCloseKey(key_);
  }
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;
  HKEY* put() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::u16string applicationsKey() { return std::u16string(arx::AcadApplication::kProductKey) + u"\\Applications"; }

bool setString(HKEY key, const ACHAR* name, const std::u16string& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(char16_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

// The longest text accepted from a registry value; longer values are treated as malformed.
constexpr DWORD kMaxValueBytes = 64 * 1024;

// Reads a REG_SZ value; empty when missing, of another type, or oversized. The text ends at
// the first NUL or at the end of the data, whichever comes first.
std::u16string readString(HKEY key, const ACHAR* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ || size == 0 || size > kMaxValueBytes) return {};
  std::vector<BYTE> data(size);
  DWORD got = size;
  if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &got) != ERROR_SUCCESS || type != REG_SZ) return {};
  if (got > size) got = size;
  std::u16string text;
  for (DWORD i = 0; i + 1 < got; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

bool readDword(HKEY key, const ACHAR* name, DWORD& out) {
  DWORD type = 0;
  BYTE data[4] = {};
  DWORD size = sizeof(data);
  if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
  if (type != REG_DWORD || size != 4) return false;
  out = static_cast<DWORD>(data[0]) | (static_cast<DWORD>(data[1]) << 8) | (static_cast<DWORD>(data[2]) << 16) |
        (static_cast<DWORD>(data[3]) << 24);
  return true;
}

}  // namespace

std::u16string AcadAppInfo::registryKey() const { return applicationsKey() + u"\\" + appName_; }

Acad::ErrorStatus AcadAppInfo::writeToRegistry() {
  if (appName_.empty()) return Acad::eInvalidInput;
  KeyGuard key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, registryKey().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return Acad::eFileAccessErr;
  }
  const DWORD reasons = static_cast<DWORD>(loadReason_);
  const BYTE bytes[4] = {static_cast<BYTE>(reasons), static_cast<BYTE>(reasons >> 8), static_cast<BYTE>(reasons >> 16),
                         static_cast<BYTE>(reasons >> 24)};
  const bool ok = setString(key.get(), u"DESCRIPTION", appDesc_) &&
                  RegSetValueExW(key.get(), u"LOADCTRLS", 0, REG_DWORD, bytes, 4) == ERROR_SUCCESS &&
                  setString(key.get(), u"LOADER", moduleName_);
  return ok ? Acad::eOk : Acad::eFileAccessErr;
}

Acad::ErrorStatus AcadAppInfo::writeGroupNameToRegistry(const ACHAR* group) {
  if (appName_.empty() || !group || !*group) return Acad::eInvalidInput;
  KeyGuard key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, (registryKey() + u"\\Groups").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return Acad::eFileAccessErr;
  }
  return setString(key.get(), group, group) ? Acad::eOk : Acad::eFileAccessErr;
}

Acad::ErrorStatus AcadAppInfo::writeCommandNameToRegistry(const ACHAR* globalName, const ACHAR* localName) {
  if (appName_.empty() || !globalName || !*globalName || !localName || !*localName) return Acad::eInvalidInput;
  KeyGuard key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, (registryKey() + u"\\Commands").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return Acad::eFileAccessErr;
  }
  return setString(key.get(), globalName, localName) ? Acad::eOk : Acad::eFileAccessErr;
}

Acad::ErrorStatus AcadAppInfo::readFromRegistry() {
  if (appName_.empty()) return Acad::eInvalidInput;
  KeyGuard key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, registryKey().c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return Acad::eKeyNotFound;
  }
  moduleName_ = readString(key.get(), u"LOADER");
  appDesc_ = readString(key.get(), u"DESCRIPTION");
  DWORD reasons = 0;
  if (!readDword(key.get(), u"LOADCTRLS", reasons)) reasons = 0;
  loadReason_ = static_cast<AcadApp::LoadReasons>(reasons);
  return Acad::eOk;
}

Acad::ErrorStatus AcadAppInfo::delFromRegistry() {
  if (appName_.empty()) return Acad::eInvalidInput;
  KeyGuard apps;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, applicationsKey().c_str(), 0, KEY_ALL_ACCESS, apps.put()) != ERROR_SUCCESS) {
    return Acad::eKeyNotFound;
  }
  const LONG rc = RegDeleteTreeW(apps.get(), appName_.c_str());
  if (rc == ERROR_FILE_NOT_FOUND) return Acad::eKeyNotFound;
  return rc == ERROR_SUCCESS ? Acad::eOk : Acad::eFileAccessErr;
}
