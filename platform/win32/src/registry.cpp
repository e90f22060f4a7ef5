#include "win32/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "win32/case_fold.h"
#include "win32/desktop.h"
#include "win32/fileapi.h"
#include "win32/unicode.h"
#include "win32/winreg.h"

namespace fs = std::filesystem;

namespace win32 {

namespace {

constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;
constexpr std::size_t kMaxValueBytes = 16u * 1024u * 1024u;
constexpr std::uintmax_t kMaxStoreBytes = 64u * 1024u * 1024u;
constexpr std::size_t kMaxDepth = 512;
constexpr const char* kStoreHeader = "VurkArx registry 1";

std::uintptr_t handleValue(HKEY k) { return reinterpret_cast<std::uintptr_t>(k); }

struct RootName {
  HKEY key;
  const char16_t* longName;
  const char16_t* shortName;
};

const RootName* rootNames(std::size_t& count) {
  static const RootName kRoots[] = {
      {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT", u"HKCR"},
      {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"HKCU"},
      {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE", u"HKLM"},
      {HKEY_USERS, u"HKEY_USERS", u"HKU"},
  };
  count = sizeof kRoots / sizeof kRoots[0];
  return kRoots;
}

// Splits a sub-key path on backslashes; false for an empty component (other than a trailing
// one), a leading backslash, or a component longer than Windows allows.
bool splitKeyPath(std::u16string_view path, std::vector<std::u16string>& parts, LONG& status) {
  parts.clear();
  if (!path.empty() && path.front() == u'\\') {
    status = ERROR_BAD_PATHNAME;
    return false;
  }
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != u'\\') continue;
    const std::u16string_view part = path.substr(start, i - start);
    if (part.empty()) {
      if (i != path.size()) {
        status = ERROR_BAD_PATHNAME;
        return false;
      }
    } else {
      if (part.size() > kMaxKeyName) {
        status = ERROR_INVALID_PARAMETER;
        return false;
      }
      parts.emplace_back(part);
    }
    start = i + 1;
  }
  if (parts.size() > kMaxDepth) {
    status = ERROR_INVALID_PARAMETER;
    return false;
  }
  return true;
}

// ----- store text: '%' escapes
void appendEscaped(std::string& out, std::u16string_view text, bool inQuotes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      out += utf16ToUtf8(text.substr(i, 2));
      ++i;
    } else if (high || low) {
      out += "%u";
      for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
    } else if (c < 0x20 || c == 0x7F || c == u'%' || (inQuotes && c == u'"')) {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    } else {
      out += utf16ToUtf8(text.substr(i, 1));
    }
  }
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool unescape(std::string_view text, std::u16string& out) {
  out.clear();
  std::string plain;
  const auto flush = [&] {
    out += utf8ToUtf16(plain);
    plain.clear();
  };
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] != '%') {
      plain.push_back(text[i]);
      continue;
    }
    flush();
    const bool wide = i + 1 < n && text[i + 1] == 'u';
    const std::size_t first = wide ? i + 2 : i + 1;
    const std::size_t digits = wide ? 4 : 2;
    if (first + digits > n) return false;
    unsigned v = 0;
    for (std::size_t k = first; k < first + digits; ++k) {
      const int d = hexDigit(text[k]);
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned>(d);
    }
    out.push_back(static_cast<char16_t>(v));
    i = first + digits - 1;
  }
  flush();
  return true;
}

// A string value that is exactly one NUL-terminated UTF-16 text.
bool isPlainString(const RegistryValue& v, std::u16string& text) {
  if (v.data.size() < 2 || v.data.size() % 2 != 0) return false;
  const std::size_t n = v.data.size() / 2;
  text.resize(n - 1);
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = static_cast<char16_t>(v.data[2 * i] | (v.data[2 * i + 1] << 8));
    if ((c == 0) != (i + 1 == n)) return false;
    if (i + 1 < n) text[i] = c;
  }
  return true;
}

std::vector<BYTE> stringBytes(std::u16string_view text) {
  std::vector<BYTE> data;
  data.reserve(text.size() * 2 + 2);
  for (char16_t c : text) {
    data.push_back(static_cast<BYTE>(c & 0xFF));
    data.push_back(static_cast<BYTE>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

}  // namespace

struct Registry::Key {
  std::u16string name;
  std::map<std::u16string, std::shared_ptr<Key>> subKeys;  // by upper-cased name
  std::vector<std::pair<std::u16string, RegistryValue>> values;
  Key* parent = nullptr;
  bool deleted = false;
  bool isVolatile = false;
  bool isRoot = false;

  std::shared_ptr<Key> child(std::u16string_view n) const {
    auto it = subKeys.find(upcaseName(n));
    return it == subKeys.end() ? nullptr : it->second;
  }
  std::vector<std::pair<std::u16string, RegistryValue>>::iterator findValue(std::u16string_view n) {
    return std::find_if(values.begin(), values.end(), [&](const auto& v) { return equalsNoCase(v.first, n); });
  }
};

Registry::Registry(Desktop& desktop) : desktop_(desktop), storePath_(desktop.sandboxRoot() / "registry.dat") {
  std::size_t count = 0;
  const RootName* names = rootNames(count);
  for (std::size_t i = 0; i < count; ++i) {
    auto root = std::make_shared<Key>();
    root->name = names[i].longName;
    root->isRoot = true;
    roots_[handleValue(names[i].key)] = root;
  }
  load();
}

Registry::~Registry() = default;

std::shared_ptr<Registry::Key> Registry::rootFor(HKEY predefined) const {
  auto it = roots_.find(handleValue(predefined));
  return it == roots_.end() ? nullptr : it->second;
}

const Registry::Handle* Registry::handleFor(HKEY key, Handle& scratch) const {
  if (auto root = rootFor(key)) {
    scratch.key = root;
    scratch.access = KEY_ALL_ACCESS;
    return &scratch;
  }
  auto it = handles_.find(handleValue(key));
  return it == handles_.end() ? nullptr : &it->second;
}

HKEY Registry::issue(std::shared_ptr<Key> key, DWORD access) {
  const std::uintptr_t h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = Handle{std::move(key), access};
  return reinterpret_cast<HKEY>(h);
}

// ------------------------------------------------------------------ Win32 call bodies

LONG Registry::createKey(HKEY parent, const char16_t* subKey, DWORD options, DWORD access, HKEY* result,
                         DWORD* disposition) {
  if (result == nullptr || subKey == nullptr) return ERROR_INVALID_PARAMETER;
  Handle scratch;
  const Handle* h = handleFor(parent, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  std::vector<std::u16string> parts;
  LONG status = ERROR_SUCCESS;
  if (!splitKeyPath(subKey, parts, status)) return status;
  std::shared_ptr<Key> cur = h->key;
  bool created = false;
  for (const auto& part : parts) {
    std::shared_ptr<Key> next = cur->child(part);
    if (!next) {
      if (!(h->access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      next = std::make_shared<Key>();
      next->name = part;
      next->parent = cur.get();
      next->isVolatile = (options & REG_OPTION_VOLATILE) != 0 || cur->isVolatile;
      cur->subKeys[upcaseName(part)] = next;
      created = true;
    }
    cur = next;
  }
  *result = issue(cur, access);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  if (created) save();
  return ERROR_SUCCESS;
}

LONG Registry::openKey(HKEY parent, const char16_t* subKey, DWORD access, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  Handle scratch;
  const Handle* h = handleFor(parent, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  std::vector<std::u16string> parts;
  LONG status = ERROR_SUCCESS;
  if (subKey && !splitKeyPath(subKey, parts, status)) return status;
  std::shared_ptr<Key> cur = h->key;
  for (const auto& part : parts) {
    cur = cur->child(part);
    if (!cur) return ERROR_FILE_NOT_FOUND;
  }
  *result = issue(cur, access);
  return ERROR_SUCCESS;
}

LONG Registry::closeKey(HKEY key) {
  if (rootFor(key)) return ERROR_SUCCESS;
  return handles_.erase(handleValue(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG Registry::setValue(HKEY key, const char16_t* name, DWORD type, const BYTE* data, DWORD size) {
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  if (!(h->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const std::u16string valueName = name ? std::u16string(name) : std::u16string();
  if (valueName.size() > kMaxValueName || (data == nullptr && size != 0) || size > kMaxValueBytes) {
    return ERROR_INVALID_PARAMETER;
  }
  RegistryValue v;
  v.type = type;
  if (size) v.data.assign(data, data + size);
  Key& k = *h->key;
  auto it = k.findValue(valueName);
  if (it != k.values.end()) {
    it->second = std::move(v);
  } else {
    k.values.emplace_back(valueName, std::move(v));
  }
  save();
  return ERROR_SUCCESS;
}

LONG Registry::queryValue(HKEY key, const char16_t* name, DWORD* type, BYTE* data, DWORD* size) {
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  if (!(h->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  auto it = h->key->findValue(name ? std::u16string_view(name) : std::u16string_view());
  if (it == h->key->values.end()) return ERROR_FILE_NOT_FOUND;
  const RegistryValue& v = it->second;
  const DWORD needed = static_cast<DWORD>(v.data.size());
  if (type) *type = v.type;
  if (data == nullptr) {
    if (size) *size = needed;
    return ERROR_SUCCESS;
  }
  if (needed > *size) {
    *size = needed;  // nothing is copied
    return ERROR_MORE_DATA;
  }
  if (needed) std::memcpy(data, v.data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LONG Registry::deleteValue(HKEY key, const char16_t* name) {
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  if (!(h->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  auto it = h->key->findValue(name ? std::u16string_view(name) : std::u16string_view());
  if (it == h->key->values.end()) return ERROR_FILE_NOT_FOUND;
  h->key->values.erase(it);
  save();
  return ERROR_SUCCESS;
}

namespace {
void markDeleted(Registry::Key& k) {
  k.deleted = true;
  for (auto& [n, child] : k.subKeys) markDeleted(*child);
}
}  // namespace

LONG Registry::deleteKey(HKEY key, const char16_t* subKey) {
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  std::vector<std::u16string> parts;
  LONG status = ERROR_SUCCESS;
  if (!splitKeyPath(subKey, parts, status)) return status;
  std::shared_ptr<Key> target = h->key;
  for (const auto& part : parts) {
    target = target->child(part);
    if (!target) return ERROR_FILE_NOT_FOUND;
  }
  if (target->isRoot || target->parent == nullptr) return ERROR_ACCESS_DENIED;
  if (!target->subKeys.empty()) return ERROR_ACCESS_DENIED;
  Key* parent = target->parent;
  target->deleted = true;
  parent->subKeys.erase(upcaseName(target->name));
  save();
  return ERROR_SUCCESS;
}

LONG Registry::deleteTree(HKEY key, const char16_t* subKey) {
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  const DWORD needed = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;
  if ((h->access & needed) != needed) return ERROR_ACCESS_DENIED;
  if (subKey == nullptr) {
    for (auto& [n, child] : h->key->subKeys) markDeleted(*child);
    h->key->subKeys.clear();
    h->key->values.clear();
    save();
    return ERROR_SUCCESS;
  }
  std::vector<std::u16string> parts;
  LONG status = ERROR_SUCCESS;
  if (!splitKeyPath(subKey, parts, status)) return status;
  std::shared_ptr<Key> target = h->key;
  for (const auto& part : parts) {
    target = target->child(part);
    if (!target) return ERROR_FILE_NOT_FOUND;
  }
  if (target->isRoot || target->parent == nullptr) return ERROR_ACCESS_DENIED;
  markDeleted(*target);
  target->parent->subKeys.erase(upcaseName(target->name));
  save();
  return ERROR_SUCCESS;
}

LONG Registry::enumKey(HKEY key, DWORD index, char16_t* name, DWORD* nameChars) {
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  if (!(h->access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
  if (index >= h->key->subKeys.size()) return ERROR_NO_MORE_ITEMS;
  auto it = h->key->subKeys.begin();
  std::advance(it, index);
  const std::u16string& n = it->second->name;
  if (n.size() + 1 > *nameChars) return ERROR_MORE_DATA;
  std::copy(n.begin(), n.end(), name);
  name[n.size()] = 0;
  *nameChars = static_cast<DWORD>(n.size());
  return ERROR_SUCCESS;
}

LONG Registry::enumValue(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD* type, BYTE* data,
                         DWORD* dataSize) {
  Handle scratch;
  const Handle* h = handleFor(key, scratch);
  if (h == nullptr) return ERROR_INVALID_HANDLE;
  if (h->key->deleted) return ERROR_KEY_DELETED;
  if (!(h->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameChars == nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
  if (index >= h->key->values.size()) return ERROR_NO_MORE_ITEMS;
  const auto& [n, v] = h->key->values[index];
  if (n.size() + 1 > *nameChars) return ERROR_MORE_DATA;
  const DWORD needed = static_cast<DWORD>(v.data.size());
  if (type) *type = v.type;
  std::copy(n.begin(), n.end(), name);
  name[n.size()] = 0;
  *nameChars = static_cast<DWORD>(n.size());
  if (data == nullptr) {
    if (dataSize) *dataSize = needed;
    return ERROR_SUCCESS;
  }
  if (needed > *dataSize) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  if (needed) std::memcpy(data, v.data.data(), needed);
  *dataSize = needed;
  return ERROR_SUCCESS;
}

// ------------------------------------------------------------------ direct access

namespace {
// Splits "HKEY_CURRENT_USER\a\b" into the root handle and the rest.
bool splitRoot(std::u16string_view path, HKEY& root, std::u16string_view& rest) {
  const std::size_t cut = path.find(u'\\');
  const std::u16string_view first = path.substr(0, cut);
  rest = cut == std::u16string_view::npos ? std::u16string_view() : path.substr(cut + 1);
  std::size_t count = 0;
  const RootName* names = rootNames(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (equalsNoCase(first, names[i].longName) || equalsNoCase(first, names[i].shortName)) {
      root = names[i].key;
      return true;
    }
  }
  return false;
}
}  // namespace

std::shared_ptr<Registry::Key> Registry::findPath(std::u16string_view keyPath) const {
  HKEY root = nullptr;
  std::u16string_view rest;
  if (!splitRoot(keyPath, root, rest)) return nullptr;
  std::vector<std::u16string> parts;
  LONG status = ERROR_SUCCESS;
  if (!splitKeyPath(rest, parts, status)) return nullptr;
  std::shared_ptr<Key> cur = rootFor(root);
  for (const auto& part : parts) {
    if (!cur) return nullptr;
    cur = cur->child(part);
  }
  return cur;
}

std::shared_ptr<Registry::Key> Registry::createPath(std::u16string_view keyPath) {
  HKEY root = nullptr;
  std::u16string_view rest;
  if (!splitRoot(keyPath, root, rest)) return nullptr;
  HKEY h = nullptr;
  const std::u16string sub(rest);
  if (createKey(root, sub.c_str(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &h, nullptr) != ERROR_SUCCESS) return nullptr;
  std::shared_ptr<Key> key = handles_[handleValue(h)].key;
  closeKey(h);
  return key;
}

bool Registry::setValue(std::u16string_view keyPath, std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  std::shared_ptr<Key> key = createPath(keyPath);
  if (!key || data.size() > kMaxValueBytes) return false;
  RegistryValue v{type, std::move(data)};
  auto it = key->findValue(name);
  if (it != key->values.end()) {
    it->second = std::move(v);
  } else {
    key->values.emplace_back(std::u16string(name), std::move(v));
  }
  save();
  return true;
}

bool Registry::setString(std::u16string_view keyPath, std::u16string_view name, std::u16string_view text) {
  return setValue(keyPath, name, REG_SZ, stringBytes(text));
}

bool Registry::setDword(std::u16string_view keyPath, std::u16string_view name, DWORD value) {
  std::vector<BYTE> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<BYTE>((value >> (8 * i)) & 0xFF);
  return setValue(keyPath, name, REG_DWORD, std::move(data));
}

std::optional<RegistryValue> Registry::value(std::u16string_view keyPath, std::u16string_view name) const {
  std::shared_ptr<Key> key = findPath(keyPath);
  if (!key) return std::nullopt;
  auto it = key->findValue(name);
  if (it == key->values.end()) return std::nullopt;
  return it->second;
}

bool Registry::keyExists(std::u16string_view keyPath) const { return findPath(keyPath) != nullptr; }

bool Registry::removeKey(std::u16string_view keyPath) {
  std::shared_ptr<Key> key = findPath(keyPath);
  if (!key || key->isRoot || key->parent == nullptr) return false;
  markDeleted(*key);
  key->parent->subKeys.erase(upcaseName(key->name));
  save();
  return true;
}

std::vector<std::u16string> Registry::subKeyNames(std::u16string_view keyPath) const {
  std::vector<std::u16string> names;
  if (std::shared_ptr<Key> key = findPath(keyPath)) {
    for (const auto& [n, child] : key->subKeys) names.push_back(child->name);
  }
  return names;
}

// ------------------------------------------------------------------ the store file

namespace {

void writeKey(std::string& out, const Registry::Key& key, const std::string& path) {
  if (key.isVolatile) return;
  if (!key.isRoot) {
    out += "[" + path + "]\n";
    for (const auto& [name, v] : key.values) {
      if (name.empty()) {
        out += "@=";
      } else {
        out += "\"";
        appendEscaped(out, name, true);
        out += "\"=";
      }
      std::u16string text;
      char buf[32];
      if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && isPlainString(v, text)) {
        out += v.type == REG_SZ ? "sz:\"" : "expand_sz:\"";
        appendEscaped(out, text, true);
        out += "\"";
      } else if (v.type == REG_DWORD && v.data.size() == 4) {
        const DWORD d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<DWORD>(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", d);
        out += buf;
      } else if (v.type == REG_QWORD && v.data.size() == 8) {
        ULONGLONG q = 0;
        for (int i = 7; i >= 0; --i) q = (q << 8) | v.data[i];
        std::snprintf(buf, sizeof buf, "qword:%016llx", static_cast<unsigned long long>(q));
        out += buf;
      } else {
        std::snprintf(buf, sizeof buf, "hex(%u):", v.type);
        out += buf;
        for (std::size_t i = 0; i < v.data.size(); ++i) {
          std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
          out += buf;
        }
      }
      out += "\n";
    }
  }
  for (const auto& [upper, child] : key.subKeys) {
    std::string childPath = path + "\\";
    appendEscaped(childPath, child->name, false);
    writeKey(out, *child, childPath);
  }
}

bool parseHexNumber(std::string_view s, std::size_t digits, ULONGLONG& out) {
  if (s.empty() || s.size() > digits) return false;
  out = 0;
  for (char c : s) {
    const int d = hexDigit(c);
    if (d < 0) return false;
    out = out * 16 + static_cast<ULONGLONG>(d);
  }
  return true;
}

// Parses the right-hand side of a value line; false when malformed.
bool parseValueData(std::string_view s, RegistryValue& v) {
  const auto quoted = [&](std::string_view prefix, DWORD type) -> bool {
    std::string_view body = s.substr(prefix.size());
    if (body.size() < 2 || body.front() != '"' || body.back() != '"') return false;
    std::u16string text;
    if (!unescape(body.substr(1, body.size() - 2), text)) return false;
    v.type = type;
    v.data = stringBytes(text);
    return true;
  };
  if (s.rfind("sz:", 0) == 0) return quoted("sz:", REG_SZ);
  if (s.rfind("expand_sz:", 0) == 0) return quoted("expand_sz:", REG_EXPAND_SZ);
  ULONGLONG n = 0;
  if (s.rfind("dword:", 0) == 0) {
    if (!parseHexNumber(s.substr(6), 8, n)) return false;
    v.type = REG_DWORD;
    v.data.resize(4);
    for (int i = 0; i < 4; ++i) v.data[i] = static_cast<BYTE>((n >> (8 * i)) & 0xFF);
    return true;
  }
  if (s.rfind("qword:", 0) == 0) {
    if (!parseHexNumber(s.substr(6), 16, n)) return false;
    v.type = REG_QWORD;
    v.data.resize(8);
    for (int i = 0; i < 8; ++i) v.data[i] = static_cast<BYTE>((n >> (8 * i)) & 0xFF);
    return true;
  }
  if (s.rfind("hex(", 0) == 0) {
    const std::size_t close = s.find("):");
    if (close == std::string_view::npos || close <= 4 || close > 14) return false;
    ULONGLONG type = 0;
    for (char c : s.substr(4, close - 4)) {
      if (c < '0' || c > '9') return false;
      type = type * 10 + static_cast<ULONGLONG>(c - '0');
    }
    if (type > 0xFFFFFFFFull) return false;
    std::string_view bytes = s.substr(close + 2);
    v.type = static_cast<DWORD>(type);
    v.data.clear();
    if (bytes.empty()) return true;
    if ((bytes.size() + 1) % 3 != 0 || (bytes.size() + 1) / 3 > kMaxValueBytes) return false;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
      const int hi = hexDigit(bytes[i]);
      const int lo = hexDigit(bytes[i + 1]);
      if (hi < 0 || lo < 0 || (i + 2 < bytes.size() && bytes[i + 2] != ',')) return false;
      v.data.push_back(static_cast<BYTE>(hi * 16 + lo));
    }
    return true;
  }
  return false;
}

}  // namespace

std::string Registry::storeText() const {
  std::string out = std::string(kStoreHeader) + "\n";
  std::size_t count = 0;
  const RootName* names = rootNames(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::shared_ptr<Key> root = rootFor(names[i].key);
    std::string path;
    appendEscaped(path, root->name, false);
    writeKey(out, *root, path);
  }
  return out;
}

void Registry::save() const {
  const std::string text = storeText();
  const fs::path temp = storePath_.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return;  // the store is the stand-in's own record; the calls still succeed
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) return;
  }
  std::error_code ec;
  fs::rename(temp, storePath_, ec);
}

void Registry::load() {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(storePath_, ec);
  if (ec || size > kMaxStoreBytes) return;
  std::ifstream in(storePath_, std::ios::binary);
  if (!in) return;
  std::string line;
  std::shared_ptr<Key> current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line == kStoreHeader) continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.back() != ']') continue;
      const std::string_view body = std::string_view(line).substr(1, line.size() - 2);
      // Components are separated by backslashes; a component never holds one.
      std::vector<std::u16string> parts;
      bool ok = true;
      std::size_t start = 0;
      for (std::size_t i = 0; i <= body.size() && ok; ++i) {
        if (i < body.size() && body[i] != '\\') continue;
        std::u16string part;
        ok = unescape(body.substr(start, i - start), part) && !part.empty() && part.size() <= kMaxKeyName &&
             part.find(u'\\') == std::u16string::npos;
        parts.push_back(std::move(part));
        start = i + 1;
      }
      if (!ok || parts.size() < 2 || parts.size() > kMaxDepth) continue;
      HKEY root = nullptr;
      std::u16string_view rest;
      if (!splitRoot(parts[0], root, rest)) continue;
      std::shared_ptr<Key> cur = rootFor(root);
      for (std::size_t i = 1; i < parts.size(); ++i) {
        std::shared_ptr<Key> next = cur->child(parts[i]);
        if (!next) {
          next = std::make_shared<Key>();
          next->name = parts[i];
          next->parent = cur.get();
          cur->subKeys[upcaseName(parts[i])] = next;
        }
        cur = next;
      }
      current = cur;
      continue;
    }
    if (!current) continue;
    std::u16string name;
    std::string_view rest;
    const std::string_view l(line);
    if (l.rfind("@=", 0) == 0) {
      rest = l.substr(2);
    } else if (l.front() == '"') {
      const std::size_t close = l.find('"', 1);
      if (close == std::string_view::npos || close + 1 >= l.size() || l[close + 1] != '=') continue;
      if (!unescape(l.substr(1, close - 1), name) || name.empty() || name.size() > kMaxValueName) continue;
      rest = l.substr(close + 2);
    } else {
      continue;
    }
    RegistryValue v;
    if (!parseValueData(rest, v)) continue;
    auto it = current->findValue(name);
    if (it != current->values.end()) {
      it->second = std::move(v);
    } else {
      current->values.emplace_back(std::move(name), std::move(v));
    }
  }
}

}  // namespace win32

// ------------------------------------------------------------------ the Win32 calls

namespace {
win32::Registry& registry() { return win32::Desktop::current().registry(); }
}  // namespace

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM access, void*, PHKEY result,
                     LPDWORD disposition) {
  return registry().createKey(key, subKey, options, access, result, disposition);
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
  return registry().openKey(key, subKey, access, result);
}

LONG RegCloseKey(HKEY key) { return registry().closeKey(key); }

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
  return registry().setValue(key, valueName, type, data, size);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  return registry().queryValue(key, valueName, type, data, size);
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) { return registry().deleteValue(key, valueName); }

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) { return registry().deleteKey(key, subKey); }

LONG RegDeleteTreeW(HKEY key, LPCWSTR subKey) { return registry().deleteTree(key, subKey); }

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR keyClass,
                   LPDWORD classChars, FILETIME* lastWrite) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  const LONG status = registry().enumKey(key, index, name, nameChars);
  if (status == ERROR_SUCCESS) {
    if (keyClass && classChars && *classChars > 0) keyClass[0] = 0;
    if (classChars) *classChars = 0;
    if (lastWrite) *lastWrite = FILETIME{0, 0};
  }
  return status;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  return registry().enumValue(key, index, name, nameChars, type, data, dataSize);
}
