#include "win32/fileapi.h"
#include "win32/shlobj.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "win32/case_fold.h"
#include "win32/codepage.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/sync.h"
#include "win32/unicode.h"

namespace fs = std::filesystem;
using win32::FileSystem;
using win32::FsLocation;

namespace {

FileSystem& files() { return win32::Desktop::current().files(); }

BOOL fail(DWORD error) {
  win32::Desktop::current().setLastError(error);
  return FALSE;
}

BOOL succeed() {
  win32::Desktop::current().setLastError(ERROR_SUCCESS);
  return TRUE;
}

// Copies text and a NUL into a caller's buffer by the usual size rule: the length without the
// NUL when it fits, otherwise the size needed including the NUL (buffer untouched).
DWORD copyOut(const std::u16string& text, LPWSTR buffer, DWORD size) {
  win32::Desktop::current().setLastError(ERROR_SUCCESS);
  if (buffer == nullptr || size < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}

std::string openKey(const fs::path& host) { return host.lexically_normal().string(); }

// A link whose target is outside the sandbox is never followed; others are followed.
bool followable(const FsLocation& loc) { return !loc.isLink() || loc.linkTargetInside; }

bool sameVolume(const FsLocation& a, const FsLocation& b) { return win32::equalsNoCase(a.volume, b.volume); }

// Copies one host file to another with the sandbox's write budget applied.
DWORD copyHostFile(const fs::path& from, const fs::path& to, win32::FileWriteState& state) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return ERROR_ACCESS_DENIED;
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return FileSystem::errorFromHost(std::error_code(errno, std::generic_category()));
  std::vector<char> chunk(64 * 1024);
  DWORD result = ERROR_SUCCESS;
  while (result == ERROR_SUCCESS) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    const std::size_t allowed = state.take(got);
    std::size_t done = 0;
    while (done < allowed) {
      const ssize_t n = ::write(fd, chunk.data() + done, allowed - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (done < got) result = allowed < got ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
  }
  if (::close(fd) != 0 && result == ERROR_SUCCESS) result = ERROR_WRITE_FAULT;
  if (result != ERROR_SUCCESS) {
    std::error_code ec;
    fs::remove(to, ec);  // Windows removes a partly copied target
  }
  return result;
}

// Windows wildcard match, case-insensitive: '*' any run, '?' one character.
bool wildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::u16string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || win32::upcaseUnit(pattern[p]) == win32::upcaseUnit(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool patternMatches(std::u16string_view pattern, std::u16string_view name) {
  if (wildcardMatch(pattern, name)) return true;
  // "name.*" also matches a name without an extension, as on Windows ("*.*" matches all).
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*" && name.find(u'.') == std::u16string_view::npos) {
    return wildcardMatch(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

void fillFindData(const FileSystem::FindEntry& e, WIN32_FIND_DATAW* data) {
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = e.attributes;
  data->ftLastWriteTime = e.lastWrite;
  data->ftCreationTime = e.lastWrite;
  data->ftLastAccessTime = e.lastWrite;
  data->nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(e.size & 0xFFFFFFFFu);
  const std::size_t n = std::min<std::size_t>(e.name.size(), MAX_PATH - 1);
  std::copy_n(e.name.begin(), n, data->cFileName);
  data->cFileName[n] = 0;
}

FileSystem::FindEntry entryFor(const fs::path& host, std::u16string name) {
  FileSystem::FindEntry e;
  e.name = std::move(name);
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(host, ec);
  if (st.type() == fs::file_type::directory) {
    e.attributes = FILE_ATTRIBUTE_DIRECTORY;
  } else if (st.type() == fs::file_type::symlink) {
    e.attributes = FILE_ATTRIBUTE_REPARSE_POINT |
                   (fs::is_directory(fs::status(host, ec)) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
  } else {
    e.attributes = FILE_ATTRIBUTE_ARCHIVE;
    const auto size = fs::file_size(host, ec);
    if (!ec) e.size = size;
  }
  if (st.type() != fs::file_type::symlink) {
    const auto t = fs::last_write_time(host, ec);
    if (!ec) e.lastWrite = FileSystem::toFileTime(t);
  }
  return e;
}

bool representable(std::u16string_view name) {
  if (name.empty() || name.size() > 255) return false;
  for (char16_t c : name) {
    if (c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*' || c == u'\\') {
      return false;
    }
  }
  return true;
}

}  // namespace

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  if (path == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(path, loc);
  if (e != ERROR_SUCCESS) return fail(e);
  if (loc.isVolumeRoot) return fail(ERROR_ACCESS_DENIED);
  if (loc.exists()) return fail(ERROR_ALREADY_EXISTS);
  if (!loc.parentExists) return fail(ERROR_PATH_NOT_FOUND);
  if (f.checkWritable(loc) != ERROR_SUCCESS) return fail(ERROR_ACCESS_DENIED);
  std::error_code ec;
  fs::create_directory(loc.host, ec);
  if (ec) return fail(FileSystem::errorFromHost(ec));
  return succeed();
}

BOOL RemoveDirectoryW(LPCWSTR path) {
  if (path == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(path, loc);
  if (e != ERROR_SUCCESS) return fail(e);
  if (loc.isVolumeRoot) return fail(ERROR_ACCESS_DENIED);
  if (!loc.exists()) return fail(loc.notFoundError());
  if (loc.isLink() ? !loc.linkTargetIsDirectory : !loc.isDirectory()) return fail(ERROR_DIRECTORY);
  if (f.checkWritable(loc) != ERROR_SUCCESS) return fail(ERROR_ACCESS_DENIED);
  std::error_code ec;
  if (loc.isDirectory()) {
    if (!fs::is_empty(loc.host, ec)) return fail(ERROR_DIR_NOT_EMPTY);
    if (win32::equalsNoCase(loc.full, f.currentDirectory())) return fail(ERROR_SHARING_VIOLATION);
  }
  fs::remove(loc.host, ec);  // a link is removed, never its target
  if (ec) return fail(FileSystem::errorFromHost(ec));
  return succeed();
}

BOOL DeleteFileW(LPCWSTR path) {
  if (path == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(path, loc);
  if (e != ERROR_SUCCESS) return fail(e);
  if (!loc.exists()) return fail(loc.notFoundError());
  if (loc.isVolumeRoot || loc.isDirectory() || (loc.isLink() && loc.linkTargetIsDirectory)) {
    return fail(ERROR_ACCESS_DENIED);
  }
  if (f.checkWritable(loc) != ERROR_SUCCESS) return fail(ERROR_ACCESS_DENIED);
  if (f.isOpen(loc.host)) return fail(ERROR_SHARING_VIOLATION);
  std::error_code ec;
  fs::remove(loc.host, ec);
  if (ec) return fail(FileSystem::errorFromHost(ec));
  return succeed();
}

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags) {
  if (existing == nullptr || target == nullptr) return fail(ERROR_INVALID_PARAMETER);
  FileSystem& f = files();
  FsLocation src;
  FsLocation dst;
  DWORD e = f.locate(existing, src);
  if (e != ERROR_SUCCESS) return fail(e);
  e = f.locate(target, dst);
  if (e != ERROR_SUCCESS) return fail(e);
  const DWORD injected = f.takeRenameFailure();
  if (injected != ERROR_SUCCESS) return fail(injected);
  if (!src.exists()) return fail(src.notFoundError());
  if (src.isVolumeRoot || dst.isVolumeRoot) return fail(ERROR_ACCESS_DENIED);
  if (f.checkWritable(src) != ERROR_SUCCESS || f.checkWritable(dst) != ERROR_SUCCESS) return fail(ERROR_ACCESS_DENIED);
  if (f.isOpen(src.host)) return fail(ERROR_SHARING_VIOLATION);
  std::error_code ec;

  if (src.host.lexically_normal() == dst.host.lexically_normal()) {
    // The same entry under another spelling: Windows changes the case of the name.
    const std::size_t cut = dst.full.find_last_of(u'\\');
    const fs::path renamed = src.host.parent_path() / win32::utf16ToUtf8(dst.full.substr(cut + 1));
    if (renamed != src.host) fs::rename(src.host, renamed, ec);
    if (ec) return fail(FileSystem::errorFromHost(ec));
    return succeed();
  }
  if (dst.exists()) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return fail(ERROR_ALREADY_EXISTS);
    if (dst.isDirectory() || dst.isFolderLike() || src.isDirectory()) return fail(ERROR_ACCESS_DENIED);
    if (f.isOpen(dst.host)) return fail(ERROR_SHARING_VIOLATION);
  }
  if (!dst.parentExists) return fail(ERROR_PATH_NOT_FOUND);

  if (!sameVolume(src, dst)) {
    if (!(flags & MOVEFILE_COPY_ALLOWED) || src.isDirectory() || src.isLink()) return fail(ERROR_NOT_SAME_DEVICE);
    e = copyHostFile(src.host, dst.host, *f.writeState());
    if (e != ERROR_SUCCESS) return fail(e);
    fs::remove(src.host, ec);
    if (ec) return fail(FileSystem::errorFromHost(ec));
    return succeed();
  }
  fs::rename(src.host, dst.host, ec);
  if (ec) return fail(FileSystem::errorFromHost(ec));
  return succeed();
}

BOOL MoveFileW(LPCWSTR existing, LPCWSTR target) { return MoveFileExW(existing, target, MOVEFILE_COPY_ALLOWED); }

BOOL CopyFileW(LPCWSTR existing, LPCWSTR target, BOOL failIfExists) {
  if (existing == nullptr || target == nullptr) return fail(ERROR_INVALID_PARAMETER);
  FileSystem& f = files();
  FsLocation src;
  FsLocation dst;
  DWORD e = f.locate(existing, src);
  if (e != ERROR_SUCCESS) return fail(e);
  e = f.locate(target, dst);
  if (e != ERROR_SUCCESS) return fail(e);
  if (!src.exists()) return fail(src.notFoundError());
  if (src.isVolumeRoot || src.isDirectory() || !followable(src) || src.isFolderLike()) return fail(ERROR_ACCESS_DENIED);
  if (dst.exists()) {
    if (failIfExists) return fail(ERROR_FILE_EXISTS);
    if (dst.isVolumeRoot || dst.isDirectory() || !followable(dst) || dst.isFolderLike()) return fail(ERROR_ACCESS_DENIED);
    if (f.isOpen(dst.host)) return fail(ERROR_SHARING_VIOLATION);
  }
  if (!dst.parentExists) return fail(ERROR_PATH_NOT_FOUND);
  if (f.checkWritable(dst) != ERROR_SUCCESS) return fail(ERROR_ACCESS_DENIED);
  std::error_code ec;
  if (dst.exists() && fs::equivalent(src.host, dst.host, ec)) return fail(ERROR_SHARING_VIOLATION);
  e = copyHostFile(src.host, dst.host, *f.writeState());
  if (e != ERROR_SUCCESS) return fail(e);
  return succeed();
}

DWORD GetFileAttributesW(LPCWSTR path) {
  if (path == nullptr) {
    fail(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(path, loc);
  if (e != ERROR_SUCCESS || !loc.exists()) {
    fail(e != ERROR_SUCCESS ? e : loc.notFoundError());
    return INVALID_FILE_ATTRIBUTES;
  }
  succeed();
  return f.attributesOf(loc);
}

BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
  if (path == nullptr || info == nullptr || level != GetFileExInfoStandard) return fail(ERROR_INVALID_PARAMETER);
  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(path, loc);
  if (e != ERROR_SUCCESS) return fail(e);
  if (!loc.exists()) return fail(loc.notFoundError());
  const FileSystem::FindEntry entry = entryFor(loc.host, {});
  WIN32_FILE_ATTRIBUTE_DATA data{};
  data.dwFileAttributes = f.attributesOf(loc);
  data.ftCreationTime = entry.lastWrite;
  data.ftLastAccessTime = entry.lastWrite;
  data.ftLastWriteTime = entry.lastWrite;
  data.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFFu);
  std::memcpy(info, &data, sizeof data);
  return succeed();
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  if (pattern == nullptr || data == nullptr) {
    fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::u16string text(pattern);
  std::u16string folder;
  std::u16string name;
  const std::size_t cut = text.find_last_of(u"\\/");
  if (cut != std::u16string::npos) {
    folder = text.substr(0, cut + 1);
    name = text.substr(cut + 1);
  } else if (text.size() >= 2 && text[1] == u':') {
    folder = text.substr(0, 2);
    name = text.substr(2);
  } else {
    folder = u".";
    name = text;
  }
  const auto failFind = [](DWORD e) {
    fail(e);
    return INVALID_HANDLE_VALUE;
  };
  if (name.empty()) return failFind(ERROR_FILE_NOT_FOUND);
  for (char16_t c : name) {
    if (c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|') return failFind(ERROR_INVALID_NAME);
  }
  if (name.size() > 255) return failFind(ERROR_FILENAME_EXCED_RANGE);

  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(folder, loc);
  if (e != ERROR_SUCCESS) return failFind(e);
  if (loc.full.size() + 1 + name.size() >= MAX_PATH && text.compare(0, 4, u"\\\\?\\") != 0) {
    return failFind(ERROR_FILENAME_EXCED_RANGE);
  }
  if (!loc.exists()) return failFind(ERROR_PATH_NOT_FOUND);
  if (loc.isLink() && !loc.linkTargetInside) return failFind(ERROR_ACCESS_DENIED);
  if (!loc.isVolumeRoot && !loc.isFolderLike()) return failFind(ERROR_PATH_NOT_FOUND);

  std::vector<FileSystem::FindEntry> entries;
  std::error_code ec;
  for (const fs::directory_entry& de : fs::directory_iterator(loc.host, ec)) {
    std::u16string wname = FileSystem::windowsName(de.path().filename());
    if (!representable(wname)) continue;  // a host name Windows could not hold
    entries.push_back(entryFor(de.path(), std::move(wname)));
  }
  if (ec) return failFind(FileSystem::errorFromHost(ec));
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    const int c = win32::compareNoCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  if (!loc.isVolumeRoot) {
    FileSystem::FindEntry dot = entryFor(loc.host, u".");
    dot.attributes = FILE_ATTRIBUTE_DIRECTORY;
    FileSystem::FindEntry dotdot = entryFor(loc.host.parent_path(), u"..");
    dotdot.attributes = FILE_ATTRIBUTE_DIRECTORY;
    entries.insert(entries.begin(), {dot, dotdot});
  }
  std::vector<FileSystem::FindEntry> matching;
  for (auto& en : entries) {
    if (patternMatches(name, en.name)) matching.push_back(std::move(en));
  }
  if (matching.empty()) return failFind(ERROR_FILE_NOT_FOUND);
  HANDLE h = f.openFind(std::move(matching));
  fillFindData(*f.nextFind(h, nullptr), data);
  succeed();
  return h;
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
  if (data == nullptr) return fail(ERROR_INVALID_PARAMETER);
  bool known = false;
  const FileSystem::FindEntry* e = files().nextFind(find, &known);
  if (!known) return fail(ERROR_INVALID_HANDLE);
  if (e == nullptr) return fail(ERROR_NO_MORE_FILES);
  fillFindData(*e, data);
  return succeed();
}

BOOL FindClose(HANDLE find) {
  if (!files().closeFind(find)) return fail(ERROR_INVALID_HANDLE);
  return succeed();
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directory, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree) {
  FileSystem& f = files();
  const std::u16string dir = directory ? std::u16string(directory) : f.currentDirectory();
  FsLocation loc;
  const DWORD e = f.locate(dir, loc);
  if (e != ERROR_SUCCESS) return fail(e);
  if (!loc.exists()) return fail(loc.notFoundError());
  if (!loc.isVolumeRoot && !loc.isFolderLike()) return fail(ERROR_DIRECTORY);
  const ULONGLONG freeBytes = f.freeSpace(loc.drive);
  if (freeToCaller) freeToCaller->QuadPart = freeBytes;
  if (total) total->QuadPart = f.totalSpace(loc.drive);
  if (totalFree) totalFree->QuadPart = freeBytes;
  return succeed();
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer) { return copyOut(files().tempPath(), buffer, size); }

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer) { return copyOut(files().currentDirectory(), buffer, size); }

BOOL SetCurrentDirectoryW(LPCWSTR path) {
  if (path == nullptr) return fail(ERROR_INVALID_PARAMETER);
  const DWORD e = files().setCurrentDirectory(path);
  if (e != ERROR_SUCCESS) return fail(e);
  return succeed();
}

DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
  std::u16string full;
  if (path == nullptr || *path == 0 || !files().fullPathName(path, full)) {
    fail(ERROR_INVALID_NAME);
    return 0;
  }
  const DWORD n = copyOut(full, buffer, size);
  if (filePart) {
    *filePart = nullptr;
    if (n == full.size()) {
      const std::size_t cut = full.find_last_of(u'\\');
      if (cut != std::u16string::npos && cut + 1 < full.size()) *filePart = buffer + cut + 1;
    }
  }
  return n;
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size) {
  if (longPath == nullptr) {
    fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string path(longPath);  // copied first: the buffers may be the same
  FsLocation loc;
  const DWORD e = files().locate(path, loc);
  if (e != ERROR_SUCCESS || !loc.exists()) {
    fail(e != ERROR_SUCCESS ? e : loc.notFoundError());
    return 0;
  }
  return copyOut(path, shortPath, size);
}

// ------------------------------------------------------------------ shell folders

namespace {
// A folder id list made here: a tag, the path length, then the path's UTF-16 units.
constexpr std::uint32_t kPidlTag = 0x4C444950;  // "PIDL"
constexpr std::size_t kPidlHeader = 8;
}  // namespace

LPVOID CoTaskMemAlloc(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }
void CoTaskMemFree(LPVOID block) { std::free(block); }

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, PIDLIST_ABSOLUTE* pidl) {
  if (pidl == nullptr) return E_INVALIDARG;
  *pidl = nullptr;
  FileSystem& f = files();
  if (f.specialFoldersFail()) return E_FAIL;
  const std::u16string path = f.specialFolder(csidl);
  if (path.empty()) return E_INVALIDARG;
  *pidl = ILCreateFromPathW(path.c_str());
  if (*pidl == nullptr) return E_FAIL;
  return S_OK;
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path) {
  if (pidl == nullptr || path == nullptr) return FALSE;
  const auto* block = static_cast<const unsigned char*>(static_cast<const void*>(pidl));
  std::uint32_t tag = 0;
  std::uint32_t count = 0;
  std::memcpy(&tag, block, 4);
  std::memcpy(&count, block + 4, 4);
  if (tag != kPidlTag || count >= MAX_PATH) return FALSE;
  std::memcpy(path, block + kPidlHeader, count * sizeof(char16_t));
  path[count] = 0;
  return TRUE;
}

// ------------------------------------------------------------------ C runtime files

namespace {

int errnoFor(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EINVAL;
  }
}

// The state behind a FILE* handed out by _wfopen: the host file and the translation mode.
struct CrtFile {
  int fd = -1;
  bool text = false;
  bool endOfText = false;  // a Ctrl-Z was read in text mode
  std::shared_ptr<win32::FileWriteState> state;
  std::string key;
  std::vector<char> raw = std::vector<char>(4096);  // text mode: bytes read ahead
  std::size_t rawPos = 0;
  std::size_t rawLen = 0;
};

bool refill(CrtFile* c) {
  c->rawPos = 0;
  c->rawLen = 0;
  for (;;) {
    const ssize_t n = ::read(c->fd, c->raw.data(), c->raw.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    c->rawLen = static_cast<std::size_t>(n);
    return true;
  }
}

ssize_t crtRead(void* cookie, char* buf, size_t size) {
  auto* c = static_cast<CrtFile*>(cookie);
  if (!c->text) {
    for (;;) {
      const ssize_t n = ::read(c->fd, buf, size);
      if (n < 0 && errno == EINTR) continue;
      return n;
    }
  }
  std::size_t out = 0;
  while (out < size && !c->endOfText) {
    if (c->rawPos == c->rawLen && !refill(c)) break;
    const char b = c->raw[c->rawPos];
    if (b == 0x1A) {
      c->endOfText = true;
      break;
    }
    if (b == '\r') {
      if (c->rawPos + 1 == c->rawLen) {
        // The CR is the last byte read ahead: look at the next byte.
        char next = 0;
        ssize_t n;
        do {
          n = ::read(c->fd, &next, 1);
        } while (n < 0 && errno == EINTR);
        c->rawPos = 0;
        c->rawLen = 0;
        if (n == 1) {
          c->raw[0] = '\r';
          c->raw[1] = next;
          c->rawLen = 2;
        } else {
          buf[out++] = '\r';
          continue;
        }
      }
      if (c->raw[c->rawPos + 1] == '\n') {
        buf[out++] = '\n';
        c->rawPos += 2;
      } else {
        buf[out++] = '\r';
        c->rawPos += 1;
      }
      continue;
    }
    buf[out++] = b;
    ++c->rawPos;
  }
  return static_cast<ssize_t>(out);
}

bool writeAll(int fd, const char* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd, data + done, n - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<std::size_t>(w);
  }
  return true;
}

void reportDiskFull() {
  errno = ENOSPC;
  SetLastError(ERROR_DISK_FULL);
}

ssize_t crtWrite(void* cookie, const char* buf, size_t size) {
  auto* c = static_cast<CrtFile*>(cookie);
  if (c->rawLen > c->rawPos) {
    // Reading ahead moved the host position: put it back where the reader stands.
    ::lseek(c->fd, -static_cast<off_t>(c->rawLen - c->rawPos), SEEK_CUR);
    c->rawPos = c->rawLen = 0;
  }
  if (!c->text) {
    const std::size_t allowed = c->state->take(size);
    if (!writeAll(c->fd, buf, allowed)) return 0;
    if (allowed < size) reportDiskFull();
    return static_cast<ssize_t>(allowed);
  }
  std::string raw;
  raw.reserve(size + size / 8);
  for (std::size_t i = 0; i < size; ++i) {
    if (buf[i] == '\n') raw.push_back('\r');
    raw.push_back(buf[i]);
  }
  const std::size_t allowed = c->state->take(raw.size());
  if (!writeAll(c->fd, raw.data(), allowed)) return 0;
  if (allowed == raw.size()) return static_cast<ssize_t>(size);
  // Count the logical bytes whose raw form was written completely.
  std::size_t logical = 0;
  std::size_t used = 0;
  while (logical < size) {
    const std::size_t need = buf[logical] == '\n' ? 2 : 1;
    if (used + need > allowed) break;
    used += need;
    ++logical;
  }
  reportDiskFull();
  return static_cast<ssize_t>(logical);
}

int crtSeek(void* cookie, off64_t* offset, int whence) {
  auto* c = static_cast<CrtFile*>(cookie);
  const off64_t ahead = static_cast<off64_t>(c->rawLen - c->rawPos);
  off64_t target = *offset;
  if (whence == SEEK_CUR) {
    const off64_t here = ::lseek64(c->fd, 0, SEEK_CUR);
    if (here < 0) return -1;
    target = here - ahead + *offset;
    whence = SEEK_SET;
  }
  c->rawPos = c->rawLen = 0;
  c->endOfText = false;
  const off64_t r = ::lseek64(c->fd, target, whence);
  if (r < 0) return -1;
  *offset = r;
  return 0;
}

int crtClose(void* cookie) {
  auto* c = static_cast<CrtFile*>(cookie);
  const int r = ::close(c->fd);
  auto it = c->state->openFiles.find(c->key);
  if (it != c->state->openFiles.end()) c->state->openFiles.erase(it);
  delete c;
  return r == 0 ? 0 : -1;
}

FILE* failOpen(DWORD e) {
  SetLastError(e);
  errno = errnoFor(e);
  return nullptr;
}

}  // namespace

FILE* _wfopen(const char16_t* path, const char16_t* mode) {
  if (path == nullptr || mode == nullptr || *mode == 0) {
    errno = EINVAL;
    return nullptr;
  }
  const char16_t kind = mode[0];
  if (kind != u'r' && kind != u'w' && kind != u'a') {
    errno = EINVAL;
    return nullptr;
  }
  bool plus = false;
  bool binary = false;
  for (const char16_t* m = mode + 1; *m; ++m) {
    switch (*m) {
      case u'+': plus = true; break;
      case u'b': binary = true; break;
      case u't': binary = false; break;
      default: errno = EINVAL; return nullptr;  // ", ccs=" and other flags are not modelled
    }
  }
  FileSystem& f = files();
  FsLocation loc;
  const DWORD e = f.locate(path, loc);
  if (e != ERROR_SUCCESS) return failOpen(e);
  if (loc.isVolumeRoot || loc.isDirectory() || !followable(loc) || loc.isFolderLike()) return failOpen(ERROR_ACCESS_DENIED);
  const bool writes = kind != u'r' || plus;
  if (kind == u'r' && !loc.exists()) return failOpen(loc.notFoundError());
  if (!loc.parentExists) return failOpen(ERROR_PATH_NOT_FOUND);
  if (writes && f.checkWritable(loc) != ERROR_SUCCESS) return failOpen(ERROR_ACCESS_DENIED);

  int flags = O_CLOEXEC;
  if (kind == u'r') flags |= plus ? O_RDWR : O_RDONLY;
  if (kind == u'w') flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
  if (kind == u'a') flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
  const int fd = ::open(loc.host.c_str(), flags, 0644);
  if (fd < 0) return failOpen(FileSystem::errorFromHost(std::error_code(errno, std::generic_category())));

  auto* c = new CrtFile;
  c->fd = fd;
  c->text = !binary;
  c->state = f.writeState();
  c->key = openKey(loc.host);
  cookie_io_functions_t io{crtRead, crtWrite, crtSeek, crtClose};
  const char* cookieMode = kind == u'r' ? (plus ? "r+" : "r") : (plus ? "w+" : "w");
  FILE* file = ::fopencookie(c, cookieMode, io);
  if (file == nullptr) {
    ::close(fd);
    delete c;
    return failOpen(ERROR_NOT_ENOUGH_MEMORY);
  }
  c->state->openFiles.insert(c->key);
  // Text streams are unbuffered so that ftell sees the host position of every byte.
  if (c->text) ::setvbuf(file, nullptr, _IONBF, 0);
  SetLastError(ERROR_SUCCESS);
  return file;
}

errno_t fopen_s(FILE** file, const char* ansiPath, const char* mode) {
  if (file == nullptr) return EINVAL;
  *file = nullptr;
  if (ansiPath == nullptr || mode == nullptr) return EINVAL;
  const std::u16string path = win32::fromAnsi(ansiPath);
  std::u16string wideMode;
  for (const char* m = mode; *m; ++m) wideMode.push_back(static_cast<unsigned char>(*m));
  *file = _wfopen(path.c_str(), wideMode.c_str());
  return *file ? 0 : errno;
}

int _wremove(const char16_t* path) {
  if (DeleteFileW(path)) return 0;
  errno = errnoFor(GetLastError());
  return -1;
}

int _wrename(const char16_t* oldPath, const char16_t* newPath) {
  if (MoveFileExW(oldPath, newPath, MOVEFILE_COPY_ALLOWED)) return 0;
  errno = errnoFor(GetLastError());
  return -1;
}

PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path) {
  if (path == nullptr) return nullptr;
  const std::u16string p(path);
  if (p.empty() || p.size() >= MAX_PATH) return nullptr;
  const std::uint32_t count = static_cast<std::uint32_t>(p.size());
  auto* block = static_cast<unsigned char*>(CoTaskMemAlloc(kPidlHeader + p.size() * sizeof(char16_t)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &kPidlTag, 4);
  std::memcpy(block + 4, &count, 4);
  std::memcpy(block + kPidlHeader, p.data(), p.size() * sizeof(char16_t));
  return static_cast<ITEMIDLIST*>(static_cast<void*>(block));
}

// ------------------------------------------------------------------ file identity

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                   HANDLE templateFile) {
  win32::Desktop& d = win32::Desktop::current();
  if (security || templateFile || disposition != OPEN_EXISTING || (access & ~GENERIC_READ) != 0) {
    d.setLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  if (!path || !*path) {
    d.setLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const std::filesystem::path host = files().toHostPath(path);
  struct stat st {};
  if (host.empty() || ::stat(host.c_str(), &st) != 0) {
    d.setLastError(host.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const bool folder = S_ISDIR(st.st_mode);
  if (folder && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
    d.setLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  win32::KernelObjects::OpenFile file;
  file.volume = static_cast<std::uint64_t>(st.st_dev);
  file.index = static_cast<std::uint64_t>(st.st_ino);
  file.attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  d.setLastError(ERROR_SUCCESS);
  return win32::kernelObjects(d).openFile(file);
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  win32::Desktop& d = win32::Desktop::current();
  const win32::KernelObjects::OpenFile* f = win32::kernelObjects(d).file(file);
  if (!f || !info) {
    d.setLastError(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *info = {};
  info->dwFileAttributes = f->attributes;
  info->dwVolumeSerialNumber = static_cast<DWORD>(f->volume ^ (f->volume >> 32));
  info->nNumberOfLinks = 1;
  info->nFileIndexHigh = static_cast<DWORD>(f->index >> 32);
  info->nFileIndexLow = static_cast<DWORD>(f->index);
  return TRUE;
}
