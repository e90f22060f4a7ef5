// Compiled-in resources of a module and the Win32 calls that read them.
//
// Models: the resource section of a DLL as the stand-in's modules carry it: a string table
// (UINT id -> text), binary resources addressed by type and name (("PNG", 10004), (RT_RCDATA,
// 8315), icons as RT_GROUP_ICON), and dialog templates (window class, caption, style and the
// list of controls). A module registered with the desktop (Desktop::registerModule) names its
// ResourceTable; FindResourceW / LoadResource / LockResource / SizeofResource / LoadStringW
// answer from it with Windows' rules:
//   - a type or name is either MAKEINTRESOURCEW(id) or a string; a string "#123" means id 123,
//     other strings compare case-insensitively;
//   - FindResourceW of a missing resource returns null with ERROR_RESOURCE_TYPE_NOT_FOUND
//     (1813) when the module has no resource of that type, else ERROR_RESOURCE_NAME_NOT_FOUND
//     (1814); an unknown module gives ERROR_RESOURCE_DATA_NOT_FOUND (1812);
//   - LoadStringW copies at most size - 1 characters and terminates (truncating silently),
//     returns the number copied, 0 when the string does not exist (buffer untouched) or when
//     size is 1 (buffer gets an empty string); with size 0 it stores a read-only pointer to the
//     text in *(LPCWSTR*)buffer and returns the full length;
//   - LoadIconW answers a shared handle of an RT_GROUP_ICON resource.
// Limitations (non-standard): strings are reached only through LoadStringW, not as RT_STRING
// blocks; the data of a dialog resource is the DialogTemplate object below, not a packed
// DLGTEMPLATE (LockResource gives a const DialogTemplate*, SizeofResource its sizeof); no
// language variants; a null module handle finds nothing (the stand-in has no process image).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "win32/types.h"

// Standard resource types (MAKEINTRESOURCE values).
inline LPCWSTR const RT_ICON = MAKEINTRESOURCEW(3);
inline LPCWSTR const RT_DIALOG = MAKEINTRESOURCEW(5);
inline LPCWSTR const RT_STRING = MAKEINTRESOURCEW(6);
inline LPCWSTR const RT_RCDATA = MAKEINTRESOURCEW(10);
inline LPCWSTR const RT_GROUP_ICON = MAKEINTRESOURCEW(14);

constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

namespace win32 {

// One control of a dialog template.
struct DialogControl {
  UINT id = 0;
  std::u16string kind;  // window class of the control: u"Button", u"Edit", u"Static", u"ComboBox", ...
  std::u16string text;
  DWORD style = 0;
};

struct DialogTemplate {
  std::u16string className;  // empty: the standard dialog class "#32770"
  std::u16string caption;
  DWORD style = 0;
  std::vector<DialogControl> controls;

  // The control with this id, or null.
  const DialogControl* control(UINT id) const;
};

// One resource: its type and name in canonical form (see ResourceTable::canonicalName) and
// its data.
struct ResourceEntry {
  std::u16string type;
  std::u16string name;
  std::vector<BYTE> bytes;  // binary resources
  DialogTemplate dialog;    // RT_DIALOG resources
};

class ResourceTable {
 public:
  // Builders; a second resource with the same type and name replaces the first.
  ResourceTable& addString(UINT id, std::u16string text);
  ResourceTable& addBinary(LPCWSTR type, LPCWSTR name, std::vector<BYTE> bytes);
  ResourceTable& addBinary(std::u16string_view type, UINT id, std::vector<BYTE> bytes);
  ResourceTable& addIcon(UINT id, std::vector<BYTE> bytes);  // an RT_GROUP_ICON resource
  ResourceTable& addDialog(UINT id, DialogTemplate dialog);

  // The string with this id, or null (Windows stores no empty strings: an empty text is absent).
  const std::u16string* string(UINT id) const;
  const DialogTemplate* dialog(UINT id) const;
  // The resource of this type and name, or null. Type and name as FindResourceW takes them.
  const ResourceEntry* find(LPCWSTR type, LPCWSTR name) const;
  bool hasType(LPCWSTR type) const;
  // True when entry is one of this table's resources (not a stale or foreign handle).
  bool owns(const ResourceEntry* entry) const;

  const std::map<UINT, std::u16string>& strings() const { return strings_; }

  // u"#123" for MAKEINTRESOURCEW(123) and for the string "#123"; other strings upper-cased.
  static std::u16string canonicalName(LPCWSTR typeOrName);

 private:
  ResourceTable& put(std::u16string type, std::u16string name, ResourceEntry entry);

  std::map<UINT, std::u16string> strings_;
  std::map<std::pair<std::u16string, std::u16string>, ResourceEntry> entries_;
};

// The resource table of a module registered with the current desktop, or null.
const ResourceTable* moduleResources(HMODULE module);

}  // namespace win32

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
// The shared icon of an RT_GROUP_ICON resource (not destroyed by the caller), or null with
// ERROR_RESOURCE_NAME_NOT_FOUND (ERROR_RESOURCE_DATA_NOT_FOUND for an unknown module).
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
