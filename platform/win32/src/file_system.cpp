#include "win32/file_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "win32/case_fold.h"
#include "win32/desktop.h"
#include "win32/fileapi.h"
#include "win32/unicode.h"

namespace fs = std::filesystem;

namespace win32 {

namespace {

constexpr ULONGLONG kGiB = 1024ull * 1024ull * 1024ull;
constexpr ULONGLONG kDefaultFree = 100 * kGiB;
constexpr ULONGLONG kDefaultTotal = 256 * kGiB;
constexpr std::size_t kMaxComponent = 255;
constexpr std::size_t kMaxLongPath = 32767;

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t upperLetter(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

// Splits on separators, dropping empty segments (runs of separators collapse).
std::vector<std::u16string> splitSegments(std::u16string_view s) {
  std::vector<std::u16string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || isSeparator(s[i])) {
      if (i > start) out.emplace_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

bool isReservedDeviceName(std::u16string_view component) {
  std::u16string_view base = component.substr(0, std::min(component.find(u'.'), component.size()));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  const std::u16string up = upcaseName(base);
  if (up == u"CON" || up == u"PRN" || up == u"AUX" || up == u"NUL") return true;
  if (up.size() == 4 && (up.compare(0, 3, u"COM") == 0 || up.compare(0, 3, u"LPT") == 0) && up[3] >= u'1' &&
      up[3] <= u'9') {
    return true;
  }
  return false;
}

DWORD validateComponent(std::u16string_view c) {
  if (c.size() > kMaxComponent) return ERROR_FILENAME_EXCED_RANGE;
  for (char16_t ch : c) {
    if (ch < 32 || ch == u'<' || ch == u'>' || ch == u':' || ch == u'"' || ch == u'|' || ch == u'?' || ch == u'*') {
      return ERROR_INVALID_NAME;
    }
  }
  if (isReservedDeviceName(c)) return ERROR_INVALID_NAME;
  if (utf16ToUtf8(c).size() > kMaxComponent) return ERROR_FILENAME_EXCED_RANGE;  // host limit
  return ERROR_SUCCESS;
}

std::string hostName(std::u16string_view windowsName) { return utf16ToUtf8(windowsName); }

}  // namespace

std::size_t FileWriteState::take(std::size_t n) {
  if (!limited) return n;
  const std::size_t allowed = remaining < n ? static_cast<std::size_t>(remaining) : n;
  remaining -= allowed;
  return allowed;
}

// A path taken apart: its volume, its components, and the full normalised form.
struct FileSystem::Parsed {
  bool unc = false;
  char16_t drive = 0;
  std::u16string server;
  std::u16string share;
  std::vector<std::u16string> parts;
  bool noLimit = false;            // "\\?\" prefix: no MAX_PATH limit, no trimming
  bool trailingSeparator = false;  // the path ended with a separator
  std::u16string volume;           // "C:" or "\\server\share"
  std::u16string full;             // without a trailing separator except for "C:\"
};

FileSystem::FileSystem(Desktop& desktop)
    : desktop_(desktop), root_(desktop.sandboxRoot()), writeState_(std::make_shared<FileWriteState>()) {
  std::error_code ec;
  // A fresh profile as Windows sets one up for the user "me".
  for (const char* folder : {"C/Windows", "C/Users/me/AppData/Local/Temp", "C/Users/me/AppData/Roaming",
                             "C/Users/me/Documents"}) {
    fs::create_directories(root_ / folder, ec);
  }
  canonicalRoot_ = fs::weakly_canonical(root_, ec);
  if (ec) canonicalRoot_ = root_;
  specialFolders_[CSIDL_PERSONAL] = u"C:\\Users\\me\\Documents";
  specialFolders_[CSIDL_APPDATA] = u"C:\\Users\\me\\AppData\\Roaming";
  specialFolders_[CSIDL_LOCAL_APPDATA] = u"C:\\Users\\me\\AppData\\Local";
  driveDirectories_[u'C'] = currentDirectory_;
}

FileSystem::~FileSystem() = default;

// ------------------------------------------------------------------ parsing

DWORD FileSystem::parse(std::u16string_view path, bool validate, Parsed& out) const {
  out = Parsed{};
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  if (path.size() > kMaxLongPath) return ERROR_FILENAME_EXCED_RANGE;
  std::u16string s(path);
  for (char16_t& c : s) {
    if (c == u'/') c = u'\\';
  }
  out.trailingSeparator = s.back() == u'\\';

  std::u16string_view rest;
  std::u16string combined;
  if (s.size() >= 4 && s.compare(0, 4, u"\\\\?\\") == 0) {
    out.noLimit = true;
    std::u16string_view after = std::u16string_view(s).substr(4);
    if (after.size() >= 4 && equalsNoCase(after.substr(0, 4), u"UNC\\")) {
      s = u"\\\\" + std::u16string(after.substr(4));
    } else if (after.size() >= 2 && isLetter(after[0]) && after[1] == u':') {
      s = std::u16string(after);
    } else {
      return ERROR_INVALID_NAME;
    }
  } else if (s.size() >= 4 && s.compare(0, 4, u"\\\\.\\") == 0) {
    return ERROR_INVALID_NAME;  // device paths are not modelled
  }

  if (s.size() >= 2 && s[0] == u'\\' && s[1] == u'\\') {
    std::vector<std::u16string> segs = splitSegments(std::u16string_view(s).substr(2));
    if (segs.size() < 2) return ERROR_BAD_PATHNAME;
    out.unc = true;
    out.server = segs[0];
    out.share = segs[1];
    out.volume = u"\\\\" + out.server + u"\\" + out.share;
    combined.clear();
    for (std::size_t i = 2; i < segs.size(); ++i) combined += u"\\" + segs[i];
    rest = combined;
  } else if (s.size() >= 2 && isLetter(s[0]) && s[1] == u':') {
    out.drive = upperLetter(s[0]);
    out.volume = std::u16string(1, out.drive) + u":";
    if (s.size() >= 3 && s[2] == u'\\') {
      combined = s.substr(2);
    } else {
      // Drive-relative: against that drive's remembered directory.
      std::u16string base;
      if (out.drive == currentDrive()) {
        base = currentDirectory_;
      } else {
        auto it = driveDirectories_.find(out.drive);
        base = it != driveDirectories_.end() ? it->second : out.volume + u"\\";
      }
      combined = base.substr(2) + u"\\" + s.substr(2);
    }
    rest = combined;
  } else {
    // Rooted or relative: against the current directory's volume or the current directory.
    Parsed cur;
    const DWORD e = parse(currentDirectory_, false, cur);
    if (e != ERROR_SUCCESS) return e;
    out.unc = cur.unc;
    out.drive = cur.drive;
    out.server = cur.server;
    out.share = cur.share;
    out.volume = cur.volume;
    if (s[0] == u'\\') {
      combined = s;
    } else {
      for (const auto& p : cur.parts) combined += u"\\" + p;
      combined += u"\\" + s;
    }
    rest = combined;
  }

  std::vector<std::u16string> segs = splitSegments(rest);
  for (std::size_t i = 0; i < segs.size(); ++i) {
    std::u16string seg = segs[i];
    if (seg == u".") continue;
    if (seg == u"..") {
      if (!out.parts.empty()) out.parts.pop_back();
      continue;
    }
    if (!out.noLimit) {
      const bool last = i + 1 == segs.size();
      if (last && !out.trailingSeparator) {
        while (!seg.empty() && (seg.back() == u'.' || seg.back() == u' ')) seg.pop_back();
      } else if (seg.size() >= 2 && seg.back() == u'.' && seg[seg.size() - 2] != u'.') {
        seg.pop_back();
      }
      if (seg.empty()) continue;
    }
    out.parts.push_back(std::move(seg));
  }

  if (validate) {
    if (out.unc) {
      for (const auto* c : {&out.server, &out.share}) {
        const DWORD e = validateComponent(*c);
        if (e != ERROR_SUCCESS) return e;
      }
    }
    for (const auto& p : out.parts) {
      const DWORD e = validateComponent(p);
      if (e != ERROR_SUCCESS) return e;
    }
  }

  out.full = out.volume;
  if (out.parts.empty()) {
    if (!out.unc) out.full += u"\\";
  } else {
    for (const auto& p : out.parts) out.full += u"\\" + p;
  }
  if (validate && !out.noLimit && out.full.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  return ERROR_SUCCESS;
}

bool FileSystem::fullPathName(std::u16string_view windowsPath, std::u16string& out) const {
  Parsed p;
  if (parse(windowsPath, false, p) != ERROR_SUCCESS) return false;
  out = p.full;
  if (p.trailingSeparator && !p.parts.empty()) out += u"\\";
  if (p.trailingSeparator && p.parts.empty() && p.unc) out += u"\\";
  return true;
}

fs::path FileSystem::volumeFolder(const Parsed& p) const {
  if (!p.unc) return root_ / std::string(1, static_cast<char>(p.drive));
  return root_ / "UNC";
}

std::u16string FileSystem::windowsName(const fs::path& name) { return utf8ToUtf16(name.native()); }

bool FileSystem::insideSandbox(const fs::path& host) const {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(host, ec);
  if (ec) return false;
  auto r = resolved.begin();
  for (auto it = canonicalRoot_.begin(); it != canonicalRoot_.end(); ++it, ++r) {
    if (it->empty()) continue;  // a trailing separator of the root
    if (r == resolved.end() || *r != *it) return false;
  }
  return true;
}

namespace {

// Finds the entry of folder `dir` that Windows would open for `name`: the exact spelling if
// present, otherwise the first case-insensitive match in byte order of the host names.
bool findEntry(const fs::path& dir, std::u16string_view name, fs::path& found) {
  std::error_code ec;
  const fs::path exact = dir / hostName(name);
  if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) {
    found = exact;
    return true;
  }
  bool any = false;
  fs::directory_iterator it(dir, ec);
  if (ec) return false;
  for (const fs::directory_entry& e : it) {
    const fs::path fn = e.path().filename();
    if (!equalsNoCase(FileSystem::windowsName(fn), name)) continue;
    if (!any || fn.native() < found.filename().native()) found = e.path();
    any = true;
  }
  return any;
}

}  // namespace

DWORD FileSystem::locate(std::u16string_view windowsPath, FsLocation& out) const {
  out = FsLocation{};
  Parsed p;
  const DWORD e = parse(windowsPath, true, p);
  if (e != ERROR_SUCCESS) return e;
  out.full = p.full;
  out.volume = p.volume;
  out.drive = p.drive;

  std::error_code ec;
  fs::path cur = volumeFolder(p);
  if (p.unc) {
    fs::path server;
    fs::path share;
    if (!findEntry(cur, p.server, server) || !fs::is_directory(fs::symlink_status(server, ec)) ||
        !findEntry(server, p.share, share) || !fs::is_directory(fs::symlink_status(share, ec))) {
      return ERROR_PATH_NOT_FOUND;  // no such share
    }
    cur = share;
  } else if (!fs::is_directory(fs::symlink_status(cur, ec))) {
    return ERROR_PATH_NOT_FOUND;  // no such drive
  }

  if (p.parts.empty()) {
    out.host = cur;
    out.isVolumeRoot = true;
    out.parentExists = true;
    out.type = fs::file_type::directory;
    return ERROR_SUCCESS;
  }

  bool curExists = true;
  for (std::size_t i = 0; i < p.parts.size(); ++i) {
    const bool last = i + 1 == p.parts.size();
    fs::path next;
    if (!curExists || !findEntry(cur, p.parts[i], next)) {
      cur /= hostName(p.parts[i]);
      if (last) {
        out.parentExists = curExists;
      }
      curExists = false;
      continue;
    }
    const fs::file_status st = fs::symlink_status(next, ec);
    cur = next;
    if (last) {
      out.parentExists = true;
      out.type = st.type();
      if (st.type() == fs::file_type::symlink) {
        out.linkTargetInside = insideSandbox(next);
        out.linkTargetIsDirectory = fs::is_directory(fs::status(next, ec));
      }
      break;
    }
    if (st.type() == fs::file_type::symlink) {
      // A link on the way is followed only when it stays inside the sandbox.
      if (!insideSandbox(next)) return ERROR_ACCESS_DENIED;
      if (!fs::is_directory(fs::status(next, ec))) curExists = false;
    } else if (st.type() != fs::file_type::directory) {
      curExists = false;
    }
  }
  out.host = cur;
  return ERROR_SUCCESS;
}

fs::path FileSystem::toHostPath(const std::u16string& windowsPath) const {
  FsLocation loc;
  if (locate(windowsPath, loc) != ERROR_SUCCESS) return {};
  return loc.host;
}

DWORD FileSystem::attributesOf(const FsLocation& where) const {
  switch (where.type) {
    case fs::file_type::not_found: return INVALID_FILE_ATTRIBUTES;
    case fs::file_type::directory: return FILE_ATTRIBUTE_DIRECTORY;
    case fs::file_type::symlink:
      return FILE_ATTRIBUTE_REPARSE_POINT | (where.linkTargetIsDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
    default: return FILE_ATTRIBUTE_ARCHIVE;
  }
}

FILETIME FileSystem::toFileTime(fs::file_time_type t) {
  // FILETIME counts 100 ns intervals since 1601-01-01; the Unix epoch is 11644473600 s later.
  const auto sys = std::chrono::file_clock::to_sys(t);
  const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count() / 100;
  const long long value = ticks + 116444736000000000LL;
  const ULONGLONG v = value < 0 ? 0 : static_cast<ULONGLONG>(value);
  return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

DWORD FileSystem::errorFromHost(const std::error_code& ec) {
  switch (ec.value()) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC: return ERROR_DISK_FULL;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY: return ERROR_SHARING_VIOLATION;
    case EISDIR: return ERROR_ACCESS_DENIED;
    default: return ERROR_ACCESS_DENIED;
  }
}

// ------------------------------------------------------------------ drives

void FileSystem::addDrive(char16_t letter) {
  if (!isLetter(letter)) return;
  std::error_code ec;
  fs::create_directories(root_ / std::string(1, static_cast<char>(upperLetter(letter))), ec);
}

bool FileSystem::hasDrive(char16_t letter) const {
  if (!isLetter(letter)) return false;
  std::error_code ec;
  return fs::is_directory(root_ / std::string(1, static_cast<char>(upperLetter(letter))), ec);
}

void FileSystem::setFreeSpace(char16_t drive, ULONGLONG bytes) { freeSpace_[upperLetter(drive)] = bytes; }

ULONGLONG FileSystem::freeSpace(char16_t drive) const {
  auto it = freeSpace_.find(upperLetter(drive));
  return it == freeSpace_.end() ? kDefaultFree : it->second;
}

ULONGLONG FileSystem::totalSpace(char16_t drive) const {
  auto it = totalSpace_.find(upperLetter(drive));
  const ULONGLONG total = it == totalSpace_.end() ? kDefaultTotal : it->second;
  return std::max(total, freeSpace(drive));
}

char16_t FileSystem::currentDrive() const {
  return currentDirectory_.size() >= 2 && currentDirectory_[1] == u':' ? currentDirectory_[0] : 0;
}

DWORD FileSystem::setCurrentDirectory(std::u16string_view windowsPath) {
  FsLocation loc;
  const DWORD e = locate(windowsPath, loc);
  if (e != ERROR_SUCCESS) return e;
  if (!loc.exists()) return loc.notFoundError();
  if (loc.isLink() && !loc.linkTargetInside) return ERROR_ACCESS_DENIED;
  if (!loc.isVolumeRoot && !loc.isFolderLike()) return ERROR_DIRECTORY;
  currentDirectory_ = loc.full;
  if (loc.drive != 0) driveDirectories_[loc.drive] = loc.full;
  return ERROR_SUCCESS;
}

// ------------------------------------------------------------------ folders

void FileSystem::setTempPath(std::u16string path) {
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  tempPath_ = std::move(path);
}

std::u16string FileSystem::specialFolder(int csidl) const {
  auto it = specialFolders_.find(csidl & 0xFF);
  return it == specialFolders_.end() ? std::u16string() : it->second;
}

void FileSystem::setSpecialFolder(int csidl, std::u16string path) { specialFolders_[csidl & 0xFF] = std::move(path); }

void FileSystem::setReadOnly(std::u16string_view windowsFolder, bool readOnly) {
  std::u16string full;
  if (!fullPathName(windowsFolder, full)) return;
  while (!full.empty() && full.back() == u'\\') full.pop_back();
  const std::u16string key = upcaseName(full);
  auto it = std::find(readOnlyFolders_.begin(), readOnlyFolders_.end(), key);
  if (readOnly && it == readOnlyFolders_.end()) readOnlyFolders_.push_back(key);
  if (!readOnly && it != readOnlyFolders_.end()) readOnlyFolders_.erase(it);
}

DWORD FileSystem::checkWritable(const FsLocation& where) const {
  const std::size_t cut = where.full.find_last_of(u'\\');
  if (cut == std::u16string::npos) return ERROR_SUCCESS;
  std::u16string parent = upcaseName(std::u16string_view(where.full).substr(0, cut));
  for (const auto& ro : readOnlyFolders_) {
    if (parent == ro || (parent.size() > ro.size() && parent.compare(0, ro.size(), ro) == 0 && parent[ro.size()] == u'\\')) {
      return ERROR_ACCESS_DENIED;
    }
  }
  return ERROR_SUCCESS;
}

// ------------------------------------------------------------------ faults

DWORD FileSystem::takeRenameFailure() {
  const DWORD e = nextRenameError_;
  nextRenameError_ = 0;
  return e;
}

void FileSystem::failWritesAfter(ULONGLONG bytes) {
  writeState_->limited = true;
  writeState_->remaining = bytes;
}

void FileSystem::setDiskFull(bool full) {
  writeState_->limited = full;
  writeState_->remaining = 0;
}

void FileSystem::clearWriteFaults() {
  writeState_->limited = false;
  writeState_->remaining = 0;
}

bool FileSystem::isOpen(const fs::path& host) const {
  return writeState_->openFiles.count(host.lexically_normal().string()) != 0;
}

DWORD FileSystem::replaceFileAtomically(const FsLocation& target, std::string_view bytes) {
  if (target.isVolumeRoot || target.isDirectory()) return ERROR_ACCESS_DENIED;
  if (!target.parentExists) return ERROR_PATH_NOT_FOUND;
  DWORD e = checkWritable(target);
  if (e != ERROR_SUCCESS) return e;
  fs::path dest = target.host;
  std::error_code ec;
  if (target.isLink()) {
    if (!target.linkTargetInside || target.linkTargetIsDirectory) return ERROR_ACCESS_DENIED;
    dest = fs::weakly_canonical(target.host, ec);
    if (ec) return ERROR_ACCESS_DENIED;
  }
  // A fresh temporary name; one left behind by an earlier run is skipped, not reused.
  fs::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = dest.parent_path() / ("~" + dest.filename().string() + "." + std::to_string(nextTemporary_++) + ".tmp");
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return errorFromHost(std::error_code(errno, std::generic_category()));
  const std::size_t allowed = writeState_->take(bytes.size());
  std::size_t done = 0;
  while (done < allowed) {
    const ssize_t n = ::write(fd, bytes.data() + done, allowed - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (done < bytes.size()) {
    e = allowed < bytes.size() ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
  } else if (::fsync(fd) != 0) {
    e = ERROR_WRITE_FAULT;
  }
  if (::close(fd) != 0 && e == ERROR_SUCCESS) e = ERROR_WRITE_FAULT;
  if (e == ERROR_SUCCESS) {
    fs::rename(temp, dest, ec);
    if (ec) e = errorFromHost(ec);
  }
  if (e != ERROR_SUCCESS) fs::remove(temp, ec);
  return e;
}

// ------------------------------------------------------------------ find handles

HANDLE FileSystem::openFind(std::vector<FindEntry> entries) {
  const std::uintptr_t id = nextFind_;
  nextFind_ += 4;
  finds_[id] = {std::move(entries), 0};
  return reinterpret_cast<HANDLE>(id);
}

const FileSystem::FindEntry* FileSystem::nextFind(HANDLE h, bool* known) {
  auto it = finds_.find(reinterpret_cast<std::uintptr_t>(h));
  if (known) *known = it != finds_.end();
  if (it == finds_.end()) return nullptr;
  auto& [entries, pos] = it->second;
  if (pos >= entries.size()) return nullptr;
  return &entries[pos++];
}

bool FileSystem::closeFind(HANDLE h) { return finds_.erase(reinterpret_cast<std::uintptr_t>(h)) != 0; }

}  // namespace win32
