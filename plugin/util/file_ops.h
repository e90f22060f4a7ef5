// File and folder operations on paths held as UTF-8 byte strings.
//
// Paths are converted to UTF-16 (code page 65001, malformed UTF-8 refused) into buffers of
// 1024 characters (2048 for OpenFile's path, 100 for its mode). A path that does not convert -
// empty, malformed or too long - makes the operation do nothing and report failure. A path
// ends at its first NUL byte, as a C string would.
//
// Deletion is guarded because the trees it removes (the tile cache, downloads) are folders
// that other programs write into: only absolute, non-root paths without "." or ".." components
// are accepted, and symbolic links and junctions inside a tree are removed as entries, never
// followed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "win32/types.h"

namespace vurk {

// Conversion buffers, in UTF-16 units (including the terminating zero).
constexpr std::size_t kWidePathChars = 1024;
constexpr std::size_t kOpenFilePathChars = 2048;
constexpr std::size_t kOpenFileModeChars = 100;

// CreateDirectoryW on the path; FALSE when it does not convert or the folder is not created.
BOOL CreateFolder(std::string_view utf8Path);

// Creates every folder along the path: at each '\' or '/' after the first character whose
// preceding character is not ':' (so never "D:" itself), the folder named by the text before
// it; with includeLast, also the whole path. Paths longer than 1023 bytes stop the walk at
// that length (the whole path is then not created). Existing folders are left as they are.
void CreateFolderPath(std::string_view utf8Path, bool includeLast);

// Deletes a folder with everything in it and returns RemoveDirectoryW's result for the folder
// itself. Refuses (FALSE, nothing touched) an empty path, a path that is not absolute ("D:\..."
// or "\\server\share\..."), a drive or share root, and a path with "." or ".." components.
// Links and junctions in the tree (entries reported with FILE_ATTRIBUTE_REPARSE_POINT) are
// removed without descending into them; when the path itself is a link, only the link goes.
BOOL DeleteFolderTree(std::u16string_view path);
// The same for a non-empty UTF-8 path.
BOOL DeleteFolderTreeUtf8(std::string_view utf8Path);
// Deletes the tile cache: the folder cacheBase + "\MapTemp" with its content. Refuses an empty
// or relative cache base.
BOOL DeleteCacheFolder(std::u16string_view cacheBase);

// A folder listing: entries of 256 bytes in one zero-filled block that grows by 100 entries at
// a time. Each entry holds the name in UTF-8, zero-terminated, and in its last byte 1 for a
// folder. A name needs at most 254 bytes so that its terminator does not take the flag byte.
class FolderListing {
 public:
  static constexpr std::size_t kEntrySize = 256;
  static constexpr std::size_t kMaxNameBytes = kEntrySize - 2;
  static constexpr std::size_t kGrowEntries = 100;

  std::size_t count() const { return count_; }
  // Entries the block has room for (a multiple of kGrowEntries).
  std::size_t capacity() const { return block_.size() / kEntrySize; }
  std::string_view name(std::size_t index) const;
  bool isFolder(std::size_t index) const;
  // The raw block, capacity() * kEntrySize bytes.
  const std::vector<std::uint8_t>& block() const { return block_; }

  void clear();
  // Appends an entry; false (nothing added) for an empty name or one longer than kMaxNameBytes.
  bool add(std::string_view utf8Name, bool folder);

 private:
  std::vector<std::uint8_t> block_;
  std::size_t count_ = 0;
};

// Lists the entries of the folder (path + "\*") without "." and "..", in enumeration order, and
// returns their number. A name that does not convert to UTF-8 or does not fit an entry is
// skipped. A folder that cannot be opened gives 0 and an empty listing.
std::size_t ListFolder(std::string_view utf8Path, FolderListing& out);

// DeleteFileW on the path.
BOOL DeleteFile(std::string_view utf8Path);

// Size of the file in bytes (all 64 bits), or -1 when there is no file of that name (also for a
// folder, a path with wildcards or a path that does not convert).
std::int64_t FileSize(std::string_view utf8Path);
// True when the Windows path names an existing file (not a folder).
bool IsExistingFile(std::u16string_view path);

// Opens the file with the CRT mode ("rb", "wb", "a", ...); nullptr when it does not open.
// The caller closes the stream with fclose.
std::FILE* OpenFile(std::string_view utf8Path, std::string_view mode);

// Creates (or truncates) the file in binary mode and writes the bytes. 1 when the file was
// created and every byte written and the file closed cleanly, 0 otherwise.
int WriteWholeFile(std::string_view utf8Path, const void* bytes, std::size_t count);

}  // namespace vurk
