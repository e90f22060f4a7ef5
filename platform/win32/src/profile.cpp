#include "win32/profile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "win32/case_fold.h"
#include "win32/codepage.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/fileapi.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kMaxProfileBytes = 32u * 1024u * 1024u;

enum class LineKind { Other, Section, Key };

// One line of the file: its raw bytes (with the line end) and what it says.
struct Line {
  std::size_t begin = 0;     // raw byte offset
  std::size_t end = 0;       // raw byte offset past the line end
  std::size_t textEnd = 0;   // raw byte offset where the line end starts
  LineKind kind = LineKind::Other;
  std::u16string name;       // section or key name, trimmed
  std::u16string value;      // key value, trimmed, one pair of quotes removed
  bool blank = true;
};

struct Document {
  std::string bytes;
  bool utf16 = false;
  std::vector<Line> lines;
};

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::u16string unquote(std::u16string_view s) {
  s = trim(s);
  if (s.size() >= 2 && (s.front() == u'"' || s.front() == u'\'') && s.back() == s.front()) {
    s = s.substr(1, s.size() - 2);
  }
  return std::u16string(s);
}

void classify(Line& line, std::u16string_view text) {
  const std::u16string_view t = trim(text);
  line.blank = t.empty();
  if (t.empty()) return;
  if (t.front() == u'[') {
    const std::size_t close = t.find(u']');
    if (close == std::u16string_view::npos) return;  // no "]": neither a section nor a key
    line.kind = LineKind::Section;
    line.name = std::u16string(trim(t.substr(1, close - 1)));
    return;
  }
  if (t.front() == u';') return;  // a comment
  const std::size_t eq = t.find(u'=');
  if (eq == std::u16string_view::npos) return;
  line.kind = LineKind::Key;
  line.name = std::u16string(trim(t.substr(0, eq)));
  line.value = unquote(t.substr(eq + 1));
}

std::u16string decodeUtf16(std::string_view raw) {
  std::u16string out(raw.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) | (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
  }
  return out;
}

void splitLines(Document& doc) {
  const std::string& b = doc.bytes;
  const std::size_t unit = doc.utf16 ? 2 : 1;
  std::size_t pos = doc.utf16 ? 2 : 0;  // after the byte-order mark
  const auto isUnit = [&](std::size_t at, char c) {
    if (doc.utf16) return at + 1 < b.size() && b[at] == c && b[at + 1] == 0;
    return at < b.size() && b[at] == c;
  };
  while (pos < b.size()) {
    Line line;
    line.begin = pos;
    std::size_t p = pos;
    while (p + unit <= b.size() && !isUnit(p, '\n')) p += unit;
    std::size_t textEnd = std::min(p, b.size());
    line.end = p + unit <= b.size() ? p + unit : b.size();
    if (textEnd >= pos + unit && isUnit(textEnd - unit, '\r')) textEnd -= unit;
    line.textEnd = textEnd;
    const std::string_view raw(b.data() + pos, textEnd - pos);
    classify(line, doc.utf16 ? decodeUtf16(raw) : win32::fromAnsi(raw));
    doc.lines.push_back(std::move(line));
    pos = doc.lines.back().end;
  }
}

// Where a profile file name points: a bare name lives in the Windows folder.
std::u16string profilePath(const char16_t* fileName) {
  std::u16string name(fileName);
  if (name.find_first_of(u"\\/") == std::u16string::npos) return u"C:\\Windows\\" + name;
  return name;
}

// Reads the file; false when it cannot be read (missing, a folder, too large).
bool readDocument(const win32::FsLocation& loc, Document& doc) {
  doc = Document{};
  if (!loc.exists() || loc.isDirectory() || loc.isVolumeRoot || loc.isFolderLike()) return false;
  if (loc.isLink() && !loc.linkTargetInside) return false;
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(loc.host, ec);
  if (ec || size > kMaxProfileBytes) return false;
  std::ifstream in(loc.host, std::ios::binary);
  if (!in) return false;
  doc.bytes.resize(static_cast<std::size_t>(size));
  in.read(doc.bytes.data(), static_cast<std::streamsize>(size));
  doc.bytes.resize(static_cast<std::size_t>(in.gcount()));
  doc.utf16 = doc.bytes.size() >= 2 && static_cast<unsigned char>(doc.bytes[0]) == 0xFF &&
              static_cast<unsigned char>(doc.bytes[1]) == 0xFE;
  splitLines(doc);
  return true;
}

std::string encode(const Document& doc, std::u16string_view text) {
  if (!doc.utf16) return win32::toAnsi(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

// The section's header line and the index past its last line; nullopt when absent.
std::optional<std::pair<std::size_t, std::size_t>> findSection(const Document& doc, std::u16string_view name) {
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    if (doc.lines[i].kind != LineKind::Section || !win32::equalsNoCase(doc.lines[i].name, name)) continue;
    std::size_t end = i + 1;
    while (end < doc.lines.size() && doc.lines[end].kind != LineKind::Section) ++end;
    return std::make_pair(i, end);
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const Document& doc, std::pair<std::size_t, std::size_t> section,
                                   std::u16string_view key) {
  for (std::size_t i = section.first + 1; i < section.second; ++i) {
    if (doc.lines[i].kind == LineKind::Key && win32::equalsNoCase(doc.lines[i].name, key)) return i;
  }
  return std::nullopt;
}

// Looks a value up; nullopt when the file, section or key is missing.
std::optional<std::u16string> lookUp(const char16_t* section, const char16_t* key, const char16_t* fileName) {
  win32::FsLocation loc;
  if (win32::Desktop::current().files().locate(profilePath(fileName), loc) != ERROR_SUCCESS) return std::nullopt;
  Document doc;
  if (!readDocument(loc, doc)) return std::nullopt;
  const auto sec = findSection(doc, section);
  if (!sec) return std::nullopt;
  const auto k = findKey(doc, *sec, key);
  if (!k) return std::nullopt;
  return doc.lines[*k].value;
}

BOOL fail(DWORD e) {
  win32::Desktop::current().setLastError(e);
  return FALSE;
}

// The common writer: value == nullptr deletes the key, key == nullptr deletes the section.
BOOL writeProfile(const char16_t* section, const char16_t* key, const std::u16string* value, const char16_t* fileName) {
  auto& desktop = win32::Desktop::current();
  win32::FileSystem& files = desktop.files();
  win32::FsLocation loc;
  const DWORD e = files.locate(profilePath(fileName), loc);
  if (e != ERROR_SUCCESS) return fail(e);
  if (!loc.parentExists) return fail(ERROR_PATH_NOT_FOUND);
  if (loc.isVolumeRoot || loc.isDirectory() || loc.isFolderLike()) return fail(ERROR_ACCESS_DENIED);
  Document doc;
  const bool existed = loc.exists();
  if (existed && !readDocument(loc, doc)) return fail(ERROR_ACCESS_DENIED);

  std::string out = doc.bytes;
  const std::string newline = encode(doc, u"\r\n");
  const auto sec = findSection(doc, section);
  if (key == nullptr) {
    if (sec) {
      const std::size_t from = doc.lines[sec->first].begin;
      const std::size_t to = sec->second < doc.lines.size() ? doc.lines[sec->second].begin : doc.bytes.size();
      out.erase(from, to - from);
    }
  } else if (value == nullptr) {
    if (sec) {
      if (const auto k = findKey(doc, *sec, key)) {
        const Line& line = doc.lines[*k];
        out.erase(line.begin, line.end - line.begin);
      }
    }
  } else if (sec) {
    if (const auto k = findKey(doc, *sec, key)) {
      const Line& line = doc.lines[*k];
      out.replace(line.begin, line.textEnd - line.begin, encode(doc, line.name + u"=" + *value));
    } else {
      // After the last non-blank line of the section (the header when it is empty).
      std::size_t after = sec->first;
      for (std::size_t i = sec->first + 1; i < sec->second; ++i) {
        if (!doc.lines[i].blank) after = i;
      }
      const Line& line = doc.lines[after];
      std::string insert = encode(doc, std::u16string(key) + u"=" + *value) + newline;
      if (line.end == line.textEnd) insert = newline + insert;  // that line has no line end yet
      out.insert(line.end, insert);
    }
  } else {
    if (!doc.lines.empty() && doc.lines.back().end == doc.lines.back().textEnd) out += newline;
    out += encode(doc, u"[" + std::u16string(section) + u"]") + newline;
    out += encode(doc, std::u16string(key) + u"=" + *value) + newline;
  }

  if (existed && out == doc.bytes) {
    desktop.setLastError(ERROR_SUCCESS);
    return TRUE;
  }
  if (!existed && (key == nullptr || value == nullptr)) {
    desktop.setLastError(ERROR_SUCCESS);  // nothing to delete, no file to create
    return TRUE;
  }
  const DWORD w = files.replaceFileAtomically(loc, out);
  if (w != ERROR_SUCCESS) return fail(w);
  desktop.setLastError(ERROR_SUCCESS);
  return TRUE;
}

// Copies a list of names, each NUL-terminated, with a final NUL; cut to size-2 when too long.
DWORD copyList(const std::vector<std::u16string>& names, LPWSTR buffer, DWORD size) {
  std::u16string all;
  for (const auto& n : names) {
    all += n;
    all.push_back(0);
  }
  if (all.size() + 1 <= size) {
    std::copy(all.begin(), all.end(), buffer);
    buffer[all.size()] = 0;
    return static_cast<DWORD>(all.size());
  }
  if (size < 2) {
    buffer[0] = 0;
    return 0;
  }
  std::copy_n(all.begin(), size - 2, buffer);
  buffer[size - 2] = 0;
  buffer[size - 1] = 0;
  return size - 2;
}

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName) {
  auto& desktop = win32::Desktop::current();
  if (buffer == nullptr || fileName == nullptr) {
    desktop.setLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size == 0) {
    desktop.setLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  win32::FsLocation loc;
  Document doc;
  const bool readable = desktop.files().locate(profilePath(fileName), loc) == ERROR_SUCCESS && readDocument(loc, doc);

  if (section == nullptr || key == nullptr) {
    std::vector<std::u16string> names;
    if (section == nullptr) {
      for (const Line& l : doc.lines) {
        if (l.kind == LineKind::Section) names.push_back(l.name);
      }
    } else if (const auto sec = findSection(doc, section)) {
      for (std::size_t i = sec->first + 1; i < sec->second; ++i) {
        if (doc.lines[i].kind == LineKind::Key) names.push_back(doc.lines[i].name);
      }
    }
    desktop.setLastError(readable ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return copyList(names, buffer, size);
  }

  std::u16string text;
  bool found = false;
  if (const auto sec = findSection(doc, section)) {
    if (const auto k = findKey(doc, *sec, key)) {
      text = doc.lines[*k].value;
      found = true;
    }
  }
  if (!found) {
    text = defaultValue ? std::u16string(defaultValue) : std::u16string();
    while (!text.empty() && text.back() == u' ') text.pop_back();
  }
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
  desktop.setLastError(found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  return static_cast<DWORD>(n);
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
  auto& desktop = win32::Desktop::current();
  if (section == nullptr && key == nullptr && value == nullptr) {
    desktop.setLastError(ERROR_SUCCESS);  // a cache flush: there is no cache
    return TRUE;
  }
  if (section == nullptr || fileName == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (value == nullptr) return writeProfile(section, key, nullptr, fileName);
  const std::u16string v(value);
  return writeProfile(section, key, &v, fileName);
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  auto& desktop = win32::Desktop::current();
  if (section == nullptr || key == nullptr || fileName == nullptr) {
    desktop.setLastError(ERROR_INVALID_PARAMETER);
    return static_cast<UINT>(defaultValue);
  }
  const auto value = lookUp(section, key, fileName);
  if (!value) {
    desktop.setLastError(ERROR_FILE_NOT_FOUND);
    return static_cast<UINT>(defaultValue);
  }
  desktop.setLastError(ERROR_SUCCESS);
  std::u16string_view s = *value;
  bool negative = false;
  if (!s.empty() && (s[0] == u'-' || s[0] == u'+')) {
    negative = s[0] == u'-';
    s.remove_prefix(1);
  }
  UINT result = 0;
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
    for (std::size_t i = 2; i < s.size() && hexValue(s[i]) >= 0; ++i) result = result * 16 + static_cast<UINT>(hexValue(s[i]));
  } else {
    for (std::size_t i = 0; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) result = result * 10 + (s[i] - u'0');
  }
  return negative ? 0u - result : result;
}

BOOL WritePrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR fileName) {
  if (section == nullptr || key == nullptr || fileName == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (data == nullptr) return writeProfile(section, key, nullptr, fileName);
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::u16string text;
  text.reserve(static_cast<std::size_t>(size) * 2 + 2);
  unsigned sum = 0;
  for (UINT i = 0; i < size; ++i) {
    text.push_back(kHex[bytes[i] >> 4]);
    text.push_back(kHex[bytes[i] & 0xF]);
    sum += bytes[i];
  }
  text.push_back(kHex[(sum >> 4) & 0xF]);
  text.push_back(kHex[sum & 0xF]);
  return writeProfile(section, key, &text, fileName);
}

BOOL GetPrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR fileName) {
  auto& desktop = win32::Desktop::current();
  if (section == nullptr || key == nullptr || data == nullptr || fileName == nullptr) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  const auto value = lookUp(section, key, fileName);
  if (!value) return fail(ERROR_FILE_NOT_FOUND);
  if (value->size() != static_cast<std::size_t>(size) * 2 + 2) return fail(ERROR_INVALID_DATA);
  // Decode into a temporary: the caller's buffer is written only when everything checks out.
  std::vector<unsigned char> decoded(size);
  unsigned sum = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    const int hi = hexValue((*value)[2 * i]);
    const int lo = hexValue((*value)[2 * i + 1]);
    if (hi < 0 || lo < 0) return fail(ERROR_INVALID_DATA);
    const unsigned byte = static_cast<unsigned>(hi * 16 + lo);
    if (i < size) {
      decoded[i] = static_cast<unsigned char>(byte);
      sum += byte;
    } else if ((sum & 0xFF) != byte) {
      return fail(ERROR_INVALID_DATA);
    }
  }
  if (size != 0) std::memcpy(data, decoded.data(), size);
  desktop.setLastError(ERROR_SUCCESS);
  return TRUE;
}
