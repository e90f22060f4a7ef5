// The virtual Windows file system: drive letters and network shares mapped into the desktop's
// sandbox folder.
//
// Models: "C:\Users\me\x.txt" lives at <sandbox>/C/Users/me/x.txt and "\\srv\share\a" at
// <sandbox>/UNC/srv/share/a. Backslash and slash both separate components. Every existing
// component is found case-insensitively (Windows is, Linux is not); a component that does not
// exist yet keeps the caller's spelling. A process-wide current directory and current drive
// (initially "C:\") with one remembered directory per drive resolve relative paths ("a\b"),
// rooted paths ("\a" = root of the current drive) and drive-relative paths ("D:a"). "." and
// ".." are folded lexically and ".." never climbs above a drive root or share. A segment
// ending in one period loses it and the last segment loses trailing periods and spaces, as
// Windows normalises paths. A drive exists when its sandbox folder exists (C always).
// Refused: full paths of MAX_PATH (260) characters or more unless prefixed with "\\?\"
// (ERROR_FILENAME_EXCED_RANGE), components longer than 255 characters (same error), the
// characters < > : " | ? * and code points below 32 inside a component, and the reserved
// device names CON, PRN, AUX, NUL, COM1-9, LPT1-9 (also with an extension) (ERROR_INVALID_NAME).
// Host symbolic links are reported as reparse points; a link whose target lies outside the
// sandbox is never traversed (ERROR_ACCESS_DENIED), so no path can reach outside it.
// Sandbox settings for sessions and tests: free space per drive, read-only folders, a write
// budget after which writes fail as on a full disk, and a one-shot rename failure.
// Limitations: no 8.3 names, no file sharing modes beyond "an open file cannot be deleted or
// renamed", no ACLs, no alternate data streams, no "\\.\" device paths. Free space is a setting
// and does not shrink as files are written. A component whose UTF-8 form is longer than 255
// bytes cannot be stored on the host and is refused with ERROR_FILENAME_EXCED_RANGE
// (non-standard: Windows allows 255 UTF-16 units). The MAX_PATH limit is the same for every
// call (non-standard: CreateDirectoryW on Windows stops at 248). A reserved device name is
// refused instead of opening the device (non-standard).
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "win32/types.h"

namespace win32 {

class Desktop;

// Where a Windows path lands in the sandbox.
struct FsLocation {
  std::filesystem::path host;         // the host file or folder (may not exist)
  std::u16string full;                // the full normalised Windows path, caller's spelling
  std::u16string volume;              // "C:" or "\\server\share" (caller's spelling)
  char16_t drive = 0;                 // 'C'..'Z', 'A', 'B', or 0 for a network share
  bool isVolumeRoot = false;          // "C:\" or "\\server\share\"
  bool parentExists = false;          // the folder that holds the last component exists
  std::filesystem::file_type type = std::filesystem::file_type::not_found;  // the entry itself, links not followed
  bool linkTargetInside = false;      // type is symlink and its target lies inside the sandbox
  bool linkTargetIsDirectory = false; // type is symlink and its target is a folder

  bool exists() const { return type != std::filesystem::file_type::not_found; }
  bool isDirectory() const { return type == std::filesystem::file_type::directory; }
  bool isLink() const { return type == std::filesystem::file_type::symlink; }
  // A folder, or a link to a folder inside the sandbox.
  bool isFolderLike() const { return isDirectory() || (isLink() && linkTargetInside && linkTargetIsDirectory); }
  // The "not found" error Windows gives for this path: 2 when only the last component is
  // missing, 3 when a folder on the way is missing.
  DWORD notFoundError() const { return parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND; }
};

// Write faults shared with the streams that the file calls hand out, so that a stream still
// obeys the switches (and does not dangle) when it outlives a call.
struct FileWriteState {
  bool limited = false;         // a budget is in force
  ULONGLONG remaining = 0;      // bytes that may still be written while limited
  std::multiset<std::string> openFiles;  // host paths of files open through the CRT stand-ins

  // How many of n bytes may be written now; consumes them.
  std::size_t take(std::size_t n);
};

class FileSystem {
 public:
  explicit FileSystem(Desktop& desktop);
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  // --- mapping
  // Maps a Windows path; returns ERROR_SUCCESS or the error a file call reports for it.
  DWORD locate(std::u16string_view windowsPath, FsLocation& out) const;
  // The host path of a Windows path, or an empty path when it cannot be mapped.
  std::filesystem::path toHostPath(const std::u16string& windowsPath) const;
  // The full Windows path without touching the disk, as GetFullPathNameW computes it.
  // Returns false for an empty path or a malformed prefix.
  bool fullPathName(std::u16string_view windowsPath, std::u16string& out) const;
  // The Windows name of a host entry found while enumerating (UTF-8 on the host).
  static std::u16string windowsName(const std::filesystem::path& hostName);
  // True when the host path (whose links are resolved) lies inside the sandbox.
  bool insideSandbox(const std::filesystem::path& host) const;

  // --- drives and volumes
  void addDrive(char16_t letter);
  bool hasDrive(char16_t letter) const;
  void setFreeSpace(char16_t drive, ULONGLONG bytes);
  ULONGLONG freeSpace(char16_t drive) const;     // network shares use the default
  ULONGLONG totalSpace(char16_t drive) const;

  // --- current directory
  const std::u16string& currentDirectory() const { return currentDirectory_; }
  char16_t currentDrive() const;  // 0 when the current directory is on a network share
  // Makes an existing folder current; returns ERROR_SUCCESS or the error.
  DWORD setCurrentDirectory(std::u16string_view windowsPath);

  // --- well-known folders
  const std::u16string& tempPath() const { return tempPath_; }  // with trailing backslash
  void setTempPath(std::u16string path);
  // CSIDL folder paths (CSIDL_LOCAL_APPDATA ...); an empty path means "not available".
  std::u16string specialFolder(int csidl) const;
  void setSpecialFolder(int csidl, std::u16string path);
  bool specialFoldersFail() const { return specialFoldersFail_; }
  void setSpecialFoldersFail(bool fail) { specialFoldersFail_ = fail; }

  // --- read-only folders: creating, writing, renaming or deleting entries inside them (at any
  // depth) fails with ERROR_ACCESS_DENIED.
  void setReadOnly(std::u16string_view windowsFolder, bool readOnly = true);
  // ERROR_ACCESS_DENIED when the folder holding this location is read-only, else ERROR_SUCCESS.
  DWORD checkWritable(const FsLocation& where) const;

  // --- fault injection
  // The next MoveFileW / MoveFileExW / _wrename fails with this error and changes nothing.
  void failNextRename(DWORD error) { nextRenameError_ = error; }
  // Takes the pending rename failure (0 when none).
  DWORD takeRenameFailure();
  // After this many more bytes, every write fails as on a full disk (ERROR_DISK_FULL).
  void failWritesAfter(ULONGLONG bytes);
  // The disk-full switch: on = no byte can be written; off = no budget.
  void setDiskFull(bool full);
  void clearWriteFaults();
  const std::shared_ptr<FileWriteState>& writeState() const { return writeState_; }
  bool isOpen(const std::filesystem::path& host) const;

  // --- writing whole files with the faults applied
  // Writes bytes to a new temporary file in the folder of `target`, flushes it and renames it
  // over `target`. On any failure the target is untouched and the temporary file removed.
  DWORD replaceFileAtomically(const FsLocation& target, std::string_view bytes);

  // --- find handles, owned here so that a test's desktop releases them
  struct FindEntry {
    std::u16string name;
    DWORD attributes = 0;
    ULONGLONG size = 0;
    FILETIME lastWrite{};
  };
  HANDLE openFind(std::vector<FindEntry> entries);
  // The handle's next entry, or nullptr at the end / for an unknown handle (*known = false).
  const FindEntry* nextFind(HANDLE h, bool* known);
  bool closeFind(HANDLE h);

  // Attributes of a located entry as Windows reports them; INVALID_FILE_ATTRIBUTES when missing.
  DWORD attributesOf(const FsLocation& where) const;
  static FILETIME toFileTime(std::filesystem::file_time_type t);
  // The Windows error for a failed host file operation.
  static DWORD errorFromHost(const std::error_code& ec);

 private:
  struct Parsed;
  DWORD parse(std::u16string_view path, bool validate, Parsed& out) const;
  std::filesystem::path volumeFolder(const Parsed& p) const;

  Desktop& desktop_;
  std::filesystem::path root_;           // the sandbox root
  std::filesystem::path canonicalRoot_;  // with links resolved, for containment checks
  std::u16string currentDirectory_ = u"C:\\";
  std::map<char16_t, std::u16string> driveDirectories_;  // remembered current dir per drive
  std::map<char16_t, ULONGLONG> freeSpace_;
  std::map<char16_t, ULONGLONG> totalSpace_;
  std::u16string tempPath_ = u"C:\\Users\\me\\AppData\\Local\\Temp\\";
  std::map<int, std::u16string> specialFolders_;
  bool specialFoldersFail_ = false;
  std::vector<std::u16string> readOnlyFolders_;  // upper-cased full paths
  DWORD nextRenameError_ = 0;
  std::shared_ptr<FileWriteState> writeState_;
  std::map<std::uintptr_t, std::pair<std::vector<FindEntry>, std::size_t>> finds_;
  std::uintptr_t nextFind_ = 0x7000;
  unsigned nextTemporary_ = 1;
};

}  // namespace win32
