#include "util/file_ops.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "win32/codepage.h"
#include "win32/desktop.h"
#include "win32/fileapi.h"

namespace vurk {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The text before the first NUL, as a C string ends.
std::string_view cString(std::string_view text) { return text.substr(0, text.find('\0')); }

// Converts a UTF-8 path into UTF-16 for a buffer of `capacity` units (terminator included).
// False for an empty path, malformed UTF-8 or a path that does not fit.
bool widen(std::string_view utf8, std::size_t capacity, std::u16string& out) {
  utf8 = cString(utf8);
  if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX) || capacity < 2) return false;
  out.assign(capacity, u'\0');
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                    out.data(), static_cast<int>(capacity - 1));
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  return true;
}

// The name in a find record, read up to its terminator or the end of the field.
std::u16string_view findName(const WIN32_FIND_DATAW& fd) {
  const std::size_t max = sizeof fd.cFileName / sizeof fd.cFileName[0];
  std::size_t n = 0;
  while (n < max && fd.cFileName[n] != u'\0') ++n;
  return std::u16string_view(fd.cFileName, n);
}

bool isDotEntry(std::u16string_view name) { return name == u"." || name == u".."; }

std::u16string_view trimTrailingSeparators(std::u16string_view path) {
  while (!path.empty() && isSeparator(path.back())) path.remove_suffix(1);
  return path;
}

// Splits an absolute path into its volume ("D:" or "\\server\share") and the rest. False for
// a relative, rooted ("\x") or drive-relative ("D:x") path and for device paths ("\\?\", "\\.\").
bool splitVolume(std::u16string_view path, std::u16string_view& rest) {
  if (path.size() >= 3 && ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
      path[1] == u':' && isSeparator(path[2])) {
    rest = path.substr(3);
    return true;
  }
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    std::u16string_view p = path.substr(2);
    const std::size_t serverEnd = std::min(p.find(u'\\'), p.find(u'/'));
    if (serverEnd == 0 || serverEnd == std::u16string_view::npos) return false;
    const std::u16string_view server = p.substr(0, serverEnd);
    if (server == u"?" || server == u".") return false;
    p = p.substr(serverEnd + 1);
    const std::size_t shareEnd = std::min(p.find(u'\\'), p.find(u'/'));
    if (shareEnd == 0) return false;
    rest = shareEnd == std::u16string_view::npos ? std::u16string_view() : p.substr(shareEnd + 1);
    return true;
  }
  return false;
}

// A component Windows would fold into "." or ".." or nothing: only periods and spaces.
bool isDotLike(std::u16string_view component) {
  return std::all_of(component.begin(), component.end(), [](char16_t c) { return c == u'.' || c == u' '; });
}

// The path a tree deletion may start from: absolute, below a volume root, with no component
// that refers to the folder itself or a parent. `folder` receives it without trailing
// separators.
bool deletableFolder(std::u16string_view path, std::u16string& folder) {
  path = trimTrailingSeparators(path);
  std::u16string_view rest;
  if (path.empty() || !splitVolume(path, rest)) return false;
  bool hasComponent = false;
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    const std::u16string_view component = rest.substr(0, end);
    if (!component.empty()) {
      if (isDotLike(component)) return false;
      hasComponent = true;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  if (!hasComponent) return false;  // a drive or share root
  folder.assign(path);
  return true;
}

// Removes a link or junction itself: a link to a folder goes with RemoveDirectoryW (as on
// Windows), any other with DeleteFileW.
BOOL removeLink(const std::u16string& path, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && RemoveDirectoryW(path.c_str())) return TRUE;
  return DeleteFileW(path.c_str());
}

BOOL removeTree(const std::u16string& folder) {
  const std::u16string pattern = folder + u"\\*";
  WIN32_FIND_DATAW fd{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::u16string_view name = findName(fd);
      if (name.empty() || isDotEntry(name)) continue;
      std::u16string child = folder;
      child += u'\\';
      child += name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        removeLink(child, fd.dwFileAttributes);
      } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  return RemoveDirectoryW(folder.c_str());
}

}  // namespace

BOOL CreateFolder(std::string_view utf8Path) {
  std::u16string wide;
  if (!widen(utf8Path, kWidePathChars, wide)) return FALSE;
  return CreateDirectoryW(wide.c_str(), nullptr);
}

void CreateFolderPath(std::string_view utf8Path, bool includeLast) {
  utf8Path = cString(utf8Path);
  constexpr std::size_t kMaxBytes = kWidePathChars - 1;
  const std::size_t walk = std::min(utf8Path.size(), kMaxBytes);
  for (std::size_t i = 1; i < walk; ++i) {
    const char c = utf8Path[i];
    const char before = utf8Path[i - 1];
    if ((c == '\\' || c == '/') && before != ':' && before != '\\' && before != '/') {
      CreateFolder(utf8Path.substr(0, i));
    }
  }
  if (includeLast && !utf8Path.empty() && utf8Path.size() <= kMaxBytes) CreateFolder(utf8Path);
}

BOOL DeleteFolderTree(std::u16string_view path) {
  std::u16string folder;
  if (!deletableFolder(path, folder)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return removeLink(folder, attributes);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  return removeTree(folder);
}

BOOL DeleteFolderTreeUtf8(std::string_view utf8Path) {
  std::u16string wide;
  if (!widen(utf8Path, kWidePathChars, wide)) return FALSE;
  return DeleteFolderTree(wide);
}

BOOL DeleteCacheFolder(std::u16string_view cacheBase) {
  const std::u16string_view base = trimTrailingSeparators(cacheBase);
  std::u16string_view rest;
  if (base.empty() || !splitVolume(cacheBase, rest)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string folder(base);
  folder += u"\\MapTemp";
  return DeleteFolderTree(folder);
}

std::string_view FolderListing::name(std::size_t index) const {
  if (index >= count_) return {};
  const std::uint8_t* entry = block_.data() + index * kEntrySize;
  const void* zero = std::memchr(entry, 0, kMaxNameBytes + 1);
  const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - entry) : 0;
  return std::string_view(static_cast<const char*>(static_cast<const void*>(entry)), length);
}

bool FolderListing::isFolder(std::size_t index) const {
  return index < count_ && block_[index * kEntrySize + kEntrySize - 1] == 1;
}

void FolderListing::clear() {
  block_.clear();
  block_.shrink_to_fit();
  count_ = 0;
}

bool FolderListing::add(std::string_view utf8Name, bool folder) {
  if (utf8Name.empty() || utf8Name.size() > kMaxNameBytes) return false;
  if (count_ == capacity()) block_.resize(block_.size() + kGrowEntries * kEntrySize, 0);
  std::uint8_t* entry = block_.data() + count_ * kEntrySize;
  std::memcpy(entry, utf8Name.data(), utf8Name.size());
  entry[utf8Name.size()] = 0;
  entry[kEntrySize - 1] = folder ? 1 : 0;
  ++count_;
  return true;
}

std::size_t ListFolder(std::string_view utf8Path, FolderListing& out) {
  out.clear();
  std::u16string pattern;
  if (!widen(utf8Path, kWidePathChars, pattern)) return 0;
  pattern.resize(trimTrailingSeparators(pattern).size());
  pattern += u"\\*";

  WIN32_FIND_DATAW fd{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::u16string_view name = findName(fd);
    if (name.empty() || isDotEntry(name)) continue;
    // A name that does not convert exactly, or is too long for an entry, is left out rather
    // than listed under a changed or cut name.
    char utf8[FolderListing::kMaxNameBytes];
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), utf8,
                                      static_cast<int>(sizeof utf8), nullptr, nullptr);
    if (n <= 0) continue;
    out.add(std::string_view(utf8, static_cast<std::size_t>(n)), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  return out.count();
}

BOOL DeleteFile(std::string_view utf8Path) {
  std::u16string wide;
  if (!widen(utf8Path, kWidePathChars, wide)) return FALSE;
  return DeleteFileW(wide.c_str());
}

std::int64_t FileSize(std::string_view utf8Path) {
  std::u16string wide;
  if (!widen(utf8Path, kWidePathChars, wide)) return -1;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<std::int64_t>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::FILE* OpenFile(std::string_view utf8Path, std::string_view mode) {
  std::u16string widePath;
  std::u16string wideMode;
  if (!widen(utf8Path, kOpenFilePathChars, widePath) || !widen(mode, kOpenFileModeChars, wideMode)) return nullptr;
  return _wfopen(widePath.c_str(), wideMode.c_str());
}

int WriteWholeFile(std::string_view utf8Path, const void* bytes, std::size_t count) {
  std::FILE* f = OpenFile(utf8Path, "wb");
  if (f == nullptr) return 0;
  const std::size_t written = (count > 0 && bytes != nullptr) ? std::fwrite(bytes, 1, count, f) : 0;
  const bool closed = std::fclose(f) == 0;
  return (written == count && closed) ? 1 : 0;
}

bool IsExistingFile(std::u16string_view path) {
  const std::u16string p(path);
  const DWORD a = GetFileAttributesW(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace vurk
