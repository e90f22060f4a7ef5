// The registry of the desktop, kept in a file of the sandbox so that a desk run can be inspected.
//
// Models: a tree of keys under the predefined roots, each key holding named values of a type
// and a byte string; the Win32 calls of win32/winreg.h act on it through handles that this
// object hands out. Every change is saved at once to <sandbox>/registry.dat, a UTF-8 text file:
//
//   VurkArx registry 1
//   [HKEY_CURRENT_USER\Software\Tessan Software\vurk\MainFrm]
//   "LastVersion"=dword:000000ae
//   "LastRunPath"=sz:"C:\Program Files\vurk\vurk.exe"
//   @=hex(3):01,02
//
// One "[path]" line per key (parents first, names in case-insensitive order), then its values
// in the order they were set: `sz:` and `expand_sz:` for strings stored with one terminating
// NUL, `dword:` and `qword:` in hexadecimal, `hex(type):` bytes for anything else; "@" is the
// default value. In names and strings '%' escapes: "%22" for '"', "%25" for '%', "%XX" for
// control characters, "%uXXXX" for unpaired surrogates. A store that cannot be read, or a line
// that does not parse, is skipped: loading never fails and never crashes.
// Limitations: volatile keys are kept in memory only; no per-key times or security.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/types.h"

namespace win32 {

class Desktop;

struct RegistryValue {
  DWORD type = 0;
  std::vector<BYTE> data;
};

class Registry {
 public:
  explicit Registry(Desktop& desktop);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // --- the bodies of the Win32 calls (statuses as documented in win32/winreg.h)
  LONG createKey(HKEY parent, const char16_t* subKey, DWORD options, DWORD access, HKEY* result, DWORD* disposition);
  LONG openKey(HKEY parent, const char16_t* subKey, DWORD access, HKEY* result);
  LONG closeKey(HKEY key);
  LONG setValue(HKEY key, const char16_t* name, DWORD type, const BYTE* data, DWORD size);
  LONG queryValue(HKEY key, const char16_t* name, DWORD* type, BYTE* data, DWORD* size);
  LONG deleteValue(HKEY key, const char16_t* name);
  LONG deleteKey(HKEY key, const char16_t* subKey);
  LONG deleteTree(HKEY key, const char16_t* subKey);
  LONG enumKey(HKEY key, DWORD index, char16_t* name, DWORD* nameChars);
  LONG enumValue(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD* type, BYTE* data, DWORD* dataSize);

  // --- direct access for tests, installers and the desk. Key paths start with a root name:
  // "HKEY_CURRENT_USER\Software\..." (or HKCU, HKLM, HKCR, HKU). Setting creates the key.
  bool setValue(std::u16string_view keyPath, std::u16string_view name, DWORD type, std::vector<BYTE> data);
  bool setString(std::u16string_view keyPath, std::u16string_view name, std::u16string_view text);  // REG_SZ + NUL
  bool setDword(std::u16string_view keyPath, std::u16string_view name, DWORD value);
  std::optional<RegistryValue> value(std::u16string_view keyPath, std::u16string_view name) const;
  bool keyExists(std::u16string_view keyPath) const;
  bool removeKey(std::u16string_view keyPath);  // with everything below it
  std::vector<std::u16string> subKeyNames(std::u16string_view keyPath) const;
  std::size_t openHandleCount() const { return handles_.size(); }

  // The store file, and its text as it would be saved now.
  const std::filesystem::path& storePath() const { return storePath_; }
  std::string storeText() const;

  struct Key;  // a node of the tree; defined in registry.cpp

 private:
  struct Handle {
    std::shared_ptr<Key> key;
    DWORD access = 0;
  };
  std::shared_ptr<Key> rootFor(HKEY predefined) const;
  // The key and access behind a handle; nullptr for an unknown handle.
  const Handle* handleFor(HKEY key, Handle& scratch) const;
  std::shared_ptr<Key> findPath(std::u16string_view keyPath) const;
  std::shared_ptr<Key> createPath(std::u16string_view keyPath);
  HKEY issue(std::shared_ptr<Key> key, DWORD access);
  void save() const;
  void load();

  Desktop& desktop_;
  std::filesystem::path storePath_;
  std::map<std::uintptr_t, std::shared_ptr<Key>> roots_;
  std::map<std::uintptr_t, Handle> handles_;
  std::uintptr_t nextHandle_ = 0x2A0;
};

}  // namespace win32
