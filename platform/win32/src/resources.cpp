#include "win32/resources.h"

#include <algorithm>

#include "win32/case_fold.h"
#include "win32/desktop.h"

namespace win32 {

namespace {

constexpr UINT kRtDialog = 5;
constexpr UINT kRtGroupIcon = 14;

std::u16string idName(UINT id) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + id % 10));
    id /= 10;
  } while (id != 0);
  return u"#" + digits;
}

// "#123" -> 123 when the rest is 1..5 decimal digits of a value below 65536.
bool parseIdName(std::u16string_view s, UINT& id) {
  if (s.size() < 2 || s.size() > 6 || s[0] != u'#') return false;
  UINT v = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    v = v * 10 + static_cast<UINT>(s[i] - u'0');
  }
  if (v > 0xFFFF) return false;
  id = v;
  return true;
}

}  // namespace

const DialogControl* DialogTemplate::control(UINT id) const {
  for (const auto& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::u16string ResourceTable::canonicalName(LPCWSTR typeOrName) {
  if (!typeOrName) return {};
  if (IS_INTRESOURCE(typeOrName)) return idName(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(typeOrName)));
  std::u16string_view s(typeOrName);
  UINT id = 0;
  if (parseIdName(s, id)) return idName(id);
  return upcaseName(s);
}

ResourceTable& ResourceTable::put(std::u16string type, std::u16string name, ResourceEntry entry) {
  entry.type = type;
  entry.name = name;
  entries_[{std::move(type), std::move(name)}] = std::move(entry);
  return *this;
}

ResourceTable& ResourceTable::addString(UINT id, std::u16string text) {
  strings_[id & 0xFFFF] = std::move(text);
  return *this;
}

ResourceTable& ResourceTable::addBinary(LPCWSTR type, LPCWSTR name, std::vector<BYTE> bytes) {
  ResourceEntry e;
  e.bytes = std::move(bytes);
  return put(canonicalName(type), canonicalName(name), std::move(e));
}

ResourceTable& ResourceTable::addBinary(std::u16string_view type, UINT id, std::vector<BYTE> bytes) {
  const std::u16string t(type);
  return addBinary(t.c_str(), MAKEINTRESOURCEW(id), std::move(bytes));
}

ResourceTable& ResourceTable::addIcon(UINT id, std::vector<BYTE> bytes) {
  return addBinary(MAKEINTRESOURCEW(kRtGroupIcon), MAKEINTRESOURCEW(id), std::move(bytes));
}

ResourceTable& ResourceTable::addDialog(UINT id, DialogTemplate dialog) {
  ResourceEntry e;
  e.dialog = std::move(dialog);
  return put(idName(kRtDialog), idName(id & 0xFFFF), std::move(e));
}

const std::u16string* ResourceTable::string(UINT id) const {
  auto it = strings_.find(id);
  if (it == strings_.end() || it->second.empty()) return nullptr;
  return &it->second;
}

const DialogTemplate* ResourceTable::dialog(UINT id) const {
  const ResourceEntry* e = find(MAKEINTRESOURCEW(kRtDialog), MAKEINTRESOURCEW(id));
  return e ? &e->dialog : nullptr;
}

const ResourceEntry* ResourceTable::find(LPCWSTR type, LPCWSTR name) const {
  if (!type || !name) return nullptr;
  auto it = entries_.find({canonicalName(type), canonicalName(name)});
  return it == entries_.end() ? nullptr : &it->second;
}

bool ResourceTable::hasType(LPCWSTR type) const {
  if (!type) return false;
  const std::u16string t = canonicalName(type);
  auto it = entries_.lower_bound({t, std::u16string()});
  return it != entries_.end() && it->first.first == t;
}

bool ResourceTable::owns(const ResourceEntry* entry) const {
  if (!entry) return false;
  return std::any_of(entries_.begin(), entries_.end(), [entry](const auto& kv) { return &kv.second == entry; });
}

const ResourceTable* moduleResources(HMODULE module) {
  Desktop* d = Desktop::currentOrNull();
  if (!d || !module) return nullptr;
  const ModuleInfo* info = d->module(module);
  return info ? info->resources : nullptr;
}

}  // namespace win32

namespace {

bool isDialogType(const win32::ResourceEntry& e) { return e.type == u"#5"; }

}  // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  auto& d = win32::Desktop::current();
  const win32::ModuleInfo* info = module ? d.module(module) : nullptr;
  if (!info || !info->resources) {
    d.setLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (!name || !type) {
    d.setLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const win32::ResourceEntry* e = info->resources->find(type, name);
  if (!e) {
    d.setLastError(info->resources->hasType(type) ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  d.setLastError(ERROR_SUCCESS);
  return reinterpret_cast<HRSRC>(const_cast<win32::ResourceEntry*>(e));
}

namespace {

// The entry behind a handle that FindResourceW gave out for this module, or null.
const win32::ResourceEntry* entryOf(HMODULE module, HRSRC resource) {
  const win32::ResourceTable* table = win32::moduleResources(module);
  const auto* e = reinterpret_cast<const win32::ResourceEntry*>(resource);
  if (!table || !table->owns(e)) return nullptr;
  return e;
}

}  // namespace

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  const win32::ResourceEntry* e = entryOf(module, resource);
  if (!e) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (isDialogType(*e)) return const_cast<win32::DialogTemplate*>(&e->dialog);
  // A zero-length resource still loads; its address is never read through.
  if (e->bytes.empty()) return const_cast<win32::ResourceEntry*>(e);
  return const_cast<BYTE*>(e->bytes.data());
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  const win32::ResourceEntry* e = entryOf(module, resource);
  if (!e) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (isDialogType(*e)) return static_cast<DWORD>(sizeof(win32::DialogTemplate));
  return static_cast<DWORD>(e->bytes.size());
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (!buffer || bufferMax < 0) return 0;
  const win32::ResourceTable* table = win32::moduleResources(instance);
  const std::u16string* text = table ? table->string(id & 0xFFFF) : nullptr;
  if (!text) {
    SetLastError(table ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  const int length = static_cast<int>(text->size());
  if (bufferMax == 0) {
    // The caller receives a pointer to the read-only resource text.
    *reinterpret_cast<LPCWSTR*>(buffer) = text->c_str();
    return length;
  }
  const int copied = std::min(length, bufferMax - 1);
  std::copy(text->begin(), text->begin() + copied, buffer);
  buffer[copied] = 0;
  return copied;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  const win32::ResourceTable* table = win32::moduleResources(instance);
  const win32::ResourceEntry* entry = table ? table->find(RT_GROUP_ICON, name) : nullptr;
  if (!entry) {
    SetLastError(table ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  // A shared icon: the handle names the resource and lives as long as the module.
  return reinterpret_cast<HICON>(const_cast<win32::ResourceEntry*>(entry));
}
