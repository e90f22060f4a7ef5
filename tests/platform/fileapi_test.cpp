// The Win32 and C runtime file calls of the stand-in, with their documented results and errors.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sandbox_fixture.h"
#include "win32/fileapi.h"
#include "win32/sync.h"

namespace fs = std::filesystem;

namespace {

class FileApiTest : public vurktest::SandboxFixture {
 protected:
  fs::path hostC(const std::string& rel) { return sandbox() / "C" / rel; }

  // Names and attributes of a listing, in enumeration order.
  std::vector<std::pair<std::u16string, DWORD>> list(const std::u16string& pattern) {
    std::vector<std::pair<std::u16string, DWORD>> out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
      out.emplace_back(fd.cFileName, fd.dwFileAttributes);
    } while (FindNextFileW(h, &fd));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    return out;
  }
};

TEST_F(FileApiTest, CreateDirectoryFailsWhenItExistsOrItsParentIsMissing) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\maps", nullptr));
  EXPECT_FALSE(CreateDirectoryW(u"C:\\maps", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryW(u"C:\\nowhere\\maps", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(fs::exists(hostC("nowhere")));
  writeHostFile(hostC("file.txt"), "x");
  EXPECT_FALSE(CreateDirectoryW(u"C:\\file.txt", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS) << "a file of that name exists";
}

TEST_F(FileApiTest, RemoveDirectoryRemovesOnlyEmptyFolders) {
  writeHostFile(hostC("tiles/17/a.png"), "png");
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\tiles"));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\tiles\\17\\a.png"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY) << "a file is not a folder";
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\tiles\\18"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  ASSERT_TRUE(DeleteFileW(u"C:\\tiles\\17\\A.PNG"));
  ASSERT_TRUE(RemoveDirectoryW(u"C:\\tiles\\17"));
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\tiles"));
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\tiles")) << "the current directory is in use";
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
  EXPECT_TRUE(RemoveDirectoryW(u"C:\\tiles"));
  EXPECT_FALSE(fs::exists(hostC("tiles")));

  EXPECT_FALSE(DeleteFileW(u"C:\\tiles\\x"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND) << "the folder on the way is missing";
}

TEST_F(FileApiTest, MoveFileRefusesAnExistingTargetAndMovesBetweenVolumesOnlyByCopy) {
  writeHostFile(hostC("setting.ini"), "old settings");
  writeHostFile(hostC("VurkArx_setting.ini"), "new settings");
  EXPECT_FALSE(MoveFileW(u"C:\\setting.ini", u"C:\\VurkArx_setting.ini"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(readHostFile(hostC("setting.ini")), "old settings");
  EXPECT_EQ(readHostFile(hostC("VurkArx_setting.ini")), "new settings");

  ASSERT_TRUE(MoveFileExW(u"C:\\setting.ini", u"C:\\VurkArx_setting.ini", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(readHostFile(hostC("VurkArx_setting.ini")), "old settings");
  EXPECT_FALSE(fs::exists(hostC("setting.ini")));

  files().addDrive(u'D');
  EXPECT_FALSE(MoveFileExW(u"C:\\VurkArx_setting.ini", u"D:\\moved.ini", 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  ASSERT_TRUE(MoveFileW(u"C:\\VurkArx_setting.ini", u"D:\\moved.ini")) << "MoveFileW copies across volumes";
  EXPECT_EQ(readHostFile(sandbox() / "D" / "moved.ini"), "old settings");
  EXPECT_FALSE(fs::exists(hostC("VurkArx_setting.ini")));

  writeHostFile(hostC("case.txt"), "c");
  ASSERT_TRUE(MoveFileW(u"C:\\case.txt", u"C:\\CASE.TXT")) << "a change of case renames the entry";
  EXPECT_TRUE(fs::exists(hostC("CASE.TXT")));
  EXPECT_FALSE(fs::exists(hostC("case.txt")));
}

TEST_F(FileApiTest, AnInjectedRenameFailureFailsOnceAndChangesNothing) {
  writeHostFile(hostC("plugin/setting.ini"), "record");
  files().failNextRename(ERROR_NOT_SAME_DEVICE);
  EXPECT_FALSE(MoveFileW(u"C:\\plugin\\setting.ini", u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini"));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  EXPECT_EQ(readHostFile(hostC("plugin/setting.ini")), "record");
  EXPECT_FALSE(fs::exists(hostC("Users/me/AppData/Local/VurkArx_setting.ini")));

  ASSERT_TRUE(CopyFileW(u"C:\\plugin\\setting.ini", u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini", TRUE))
      << "copying is not a rename";
  EXPECT_FALSE(CopyFileW(u"C:\\plugin\\setting.ini", u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini", TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  ASSERT_TRUE(MoveFileExW(u"C:\\plugin\\setting.ini", u"C:\\plugin\\kept.ini", 0)) << "the failure was one-shot";
  EXPECT_EQ(_wrename(u"C:\\plugin\\missing.ini", u"C:\\plugin\\x.ini"), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(FileApiTest, EnumerationListsDotsFirstThenNamesInCaseInsensitiveOrder) {
  writeHostFile(hostC("cache/b.txt"), "bb");
  writeHostFile(hostC("cache/A.txt"), "a");
  writeHostFile(hostC("cache/c.TXT"), "ccc");
  writeHostFile(hostC("cache/_x"), "");
  fs::create_directories(hostC("cache/Sub"));

  const auto all = list(u"C:\\cache\\*");
  const std::vector<std::pair<std::u16string, DWORD>> expected = {
      {u".", FILE_ATTRIBUTE_DIRECTORY},      {u"..", FILE_ATTRIBUTE_DIRECTORY},  {u"A.txt", FILE_ATTRIBUTE_ARCHIVE},
      {u"b.txt", FILE_ATTRIBUTE_ARCHIVE},    {u"c.TXT", FILE_ATTRIBUTE_ARCHIVE}, {u"Sub", FILE_ATTRIBUTE_DIRECTORY},
      {u"_x", FILE_ATTRIBUTE_ARCHIVE}};  // '_' (0x5F) sorts after upper-case letters
  EXPECT_EQ(all, expected);

  const auto txt = list(u"c:/CACHE/*.txt");
  ASSERT_EQ(txt.size(), 3u) << "the pattern is matched case-insensitively and skips the dots";
  EXPECT_EQ(txt[2].first, u"c.TXT");
  EXPECT_EQ(list(u"C:\\cache\\*.*").size(), 7u) << "*.* matches names without an extension too";

  const auto root = list(u"C:\\*");
  ASSERT_FALSE(root.empty());
  EXPECT_NE(root[0].first, u".") << "a drive root has no dot entries";

  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(u"C:\\cache\\c.txt", &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fd.nFileSizeLow, 3u);
  EXPECT_EQ(fd.nFileSizeHigh, 0u);
  FindClose(h);
  EXPECT_EQ(FindFirstFileW(u"C:\\cache\\*.png", &fd), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW(u"C:\\nocache\\*", &fd), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(FindClose(h)) << "a closed handle is unknown";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileApiTest, TextModeWritesCrLfAndReadsItBackAsLf) {
  FILE* f = _wfopen(u"C:\\DebugLog.txt", u"a");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "[2022/03/01 07:05:09]  %s\n", "first");
  ASSERT_EQ(std::fclose(f), 0);
  f = _wfopen(u"C:\\debuglog.TXT", u"a");
  ASSERT_NE(f, nullptr);
  std::fputs("second\n", f);
  ASSERT_EQ(std::fclose(f), 0);
  EXPECT_EQ(readHostFile(hostC("DebugLog.txt")), "[2022/03/01 07:05:09]  first\r\nsecond\r\n");

  f = _wfopen(u"C:\\DebugLog.txt", u"r");
  ASSERT_NE(f, nullptr);
  char buf[128] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, n), "[2022/03/01 07:05:09]  first\nsecond\n");

  writeHostFile(hostC("raw.txt"), std::string("a\r\nb\rc\x1A" "after"));
  f = _wfopen(u"C:\\raw.txt", u"rt");
  ASSERT_NE(f, nullptr);
  std::string text;
  for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text.push_back(static_cast<char>(c));
  std::fclose(f);
  EXPECT_EQ(text, "a\nb\rc") << "a lone CR stays, Ctrl-Z ends text input";

  f = _wfopen(u"C:\\raw.txt", u"rb");
  ASSERT_NE(f, nullptr);
  const std::size_t m = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  EXPECT_EQ(m, 12u) << "binary mode reads every byte";
}

TEST_F(FileApiTest, AnsiPathsAreInTheDesktopCodePage) {
  FILE* f = nullptr;
  ASSERT_EQ(fopen_s(&f, "C:\\\xD6\xD0.txt", "wb"), 0);  // "中" in CP936
  ASSERT_NE(f, nullptr);
  std::fputs("x\n", f);
  std::fclose(f);
  EXPECT_EQ(readHostFile(hostC("\xE4\xB8\xAD.txt")), "x\n") << "binary mode writes LF unchanged";
  EXPECT_EQ(GetFileAttributesW(u"C:\\中.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(fopen_s(&f, "C:\\missing\\x.txt", "r"), ENOENT);
  EXPECT_EQ(f, nullptr);
}

TEST_F(FileApiTest, WritesFailPartWayWhenTheDiskFills) {
  files().failWritesAfter(10);
  FILE* f = _wfopen(u"C:\\tile.png", u"wb");
  ASSERT_NE(f, nullptr);
  const std::string data(20, 'p');
  std::fwrite(data.data(), 1, data.size(), f);
  EXPECT_NE(std::fflush(f), 0);
  EXPECT_TRUE(std::ferror(f));
  std::fclose(f);
  EXPECT_EQ(readHostFile(hostC("tile.png")), std::string(10, 'p')) << "the first 10 bytes reached the disk";

  files().setDiskFull(true);
  EXPECT_FALSE(CopyFileW(u"C:\\tile.png", u"C:\\copy.png", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_FALSE(fs::exists(hostC("copy.png"))) << "a failed copy leaves no partial file";

  files().clearWriteFaults();
  EXPECT_TRUE(CopyFileW(u"C:\\tile.png", u"C:\\copy.png", FALSE));
}

TEST_F(FileApiTest, AnOpenFileCannotBeDeletedOrRenamed) {
  FILE* f = _wfopen(u"C:\\open.txt", u"w");
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(DeleteFileW(u"C:\\OPEN.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileW(u"C:\\open.txt", u"C:\\other.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  std::fclose(f);
  EXPECT_EQ(_wremove(u"C:\\open.txt"), 0);
  EXPECT_EQ(GetFileAttributesW(u"C:\\open.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileApiTest, AttributesAndSizes) {
  writeHostFile(hostC("data/five.bin"), "12345");
  WIN32_FILE_ATTRIBUTE_DATA info{};
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\data\\five.bin", GetFileExInfoStandard, &info));
  EXPECT_EQ(info.nFileSizeLow, 5u);
  EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesW(u"C:\\data"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"C:\\"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"C:\\data\\six.bin"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(u"C:\\nodata\\six.bin"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileApiTest, TempPathHasItsTrailingBackslashAndTheSizeRule) {
  const std::u16string expected = u"C:\\Users\\me\\AppData\\Local\\Temp\\";
  char16_t buf[MAX_PATH];
  EXPECT_EQ(GetTempPathW(MAX_PATH, buf), expected.size());
  EXPECT_EQ(std::u16string(buf), expected);
  char16_t small[8] = u"unused";
  EXPECT_EQ(GetTempPathW(8, small), expected.size() + 1) << "too small: the size needed with the NUL";
  EXPECT_EQ(std::u16string(small), u"unused") << "and the buffer is untouched";

  files().setTempPath(u"D:\\tmp");
  EXPECT_EQ(GetTempPathW(MAX_PATH, buf), 7u);
  EXPECT_EQ(std::u16string(buf), u"D:\\tmp\\");
}

TEST_F(FileApiTest, SpecialFoldersResolveThroughAnItemIdList) {
  PIDLIST_ABSOLUTE pidl = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &pidl), S_OK);
  char16_t path[MAX_PATH] = {};
  ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
  CoTaskMemFree(pidl);
  EXPECT_EQ(std::u16string(path), u"C:\\Users\\me\\AppData\\Local");
  EXPECT_EQ(GetFileAttributesW(path), FILE_ATTRIBUTE_DIRECTORY) << "the folder exists in a fresh sandbox";

  files().setSpecialFolder(CSIDL_APPDATA, u"E:\\Roaming");
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl), S_OK);
  ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
  CoTaskMemFree(pidl);
  EXPECT_EQ(std::u16string(path), u"E:\\Roaming");

  files().setSpecialFoldersFail(true);
  pidl = reinterpret_cast<PIDLIST_ABSOLUTE>(&path);
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &pidl), E_FAIL);
  EXPECT_EQ(pidl, nullptr);
}

TEST_F(FileApiTest, ShortPathNamesAreTheLongPathsAndFailForMissingOnes) {
  const std::u16string longPath = u"C:\\Users\\me\\AppData\\Local";
  char16_t buf[MAX_PATH];
  EXPECT_EQ(GetShortPathNameW(longPath.c_str(), buf, MAX_PATH), longPath.size());
  EXPECT_EQ(std::u16string(buf), longPath);
  EXPECT_EQ(GetShortPathNameW(u"C:\\Users\\me\\Nothing", buf, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  char16_t full[MAX_PATH];
  LPWSTR filePart = nullptr;
  EXPECT_EQ(GetFullPathNameW(u"C:\\a\\b\\..\\name.ini", MAX_PATH, full, &filePart), 13u);
  ASSERT_NE(filePart, nullptr);
  EXPECT_EQ(std::u16string(filePart), u"name.ini");
}

}  // namespace

namespace {

// The identity of what a path names, as a caller compares two folders.
std::pair<DWORD, std::uint64_t> identityOf(const std::u16string& path) {
  const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {0, 0};
  BY_HANDLE_FILE_INFORMATION info{};
  EXPECT_TRUE(GetFileInformationByHandle(h, &info));
  EXPECT_TRUE(CloseHandle(h));
  return {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

TEST_F(FileApiTest, AFolderOpenedThroughAnySpellingOrALinkHasOneIdentity) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\x", nullptr));
  ASSERT_TRUE(CreateDirectoryW(u"C:\\other", nullptr));
  std::filesystem::create_directory_symlink(hostC("x"), hostC("link"));
  const auto x = identityOf(u"C:\\x");
  ASSERT_NE(x.second, 0u);
  EXPECT_EQ(identityOf(u"c:\\X\\"), x);
  EXPECT_EQ(identityOf(u"C:\\link"), x) << "a link is followed";
  EXPECT_NE(identityOf(u"C:\\other"), x);

  // A folder needs backup semantics; only opening existing things for queries is modelled.
  EXPECT_EQ(CreateFileW(u"C:\\x", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(u"C:\\missing", 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CreateFileW(u"C:\\x\\new.txt", 0x40000000u, 0, nullptr, 2, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  BY_HANDLE_FILE_INFORMATION info{};
  EXPECT_FALSE(GetFileInformationByHandle(reinterpret_cast<HANDLE>(0x1234), &info));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
