// The virtual Windows file system: how Windows paths land in the sandbox.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sandbox_fixture.h"
#include "win32/fileapi.h"
#include "win32/file_system.h"

namespace fs = std::filesystem;

namespace {

class FileSystemTest : public vurktest::SandboxFixture {
 protected:
  std::u16string fullPath(const std::u16string& p) {
    char16_t buf[600] = {};
    const DWORD n = GetFullPathNameW(p.c_str(), 600, buf, nullptr);
    EXPECT_GT(n, 0u) << "GetFullPathNameW failed";
    return std::u16string(buf, n);
  }
};

TEST_F(FileSystemTest, DriveLettersAndSharesMapIntoTheSandbox) {
  EXPECT_EQ(files().toHostPath(u"C:\\Users\\me\\x.txt"), sandbox() / "C" / "Users" / "me" / "x.txt");
  EXPECT_EQ(files().toHostPath(u"c:/Users/me/x.txt"), sandbox() / "C" / "Users" / "me" / "x.txt")
      << "slash separates like backslash and the drive letter folder is upper case";
  fs::create_directories(sandbox() / "UNC" / "server" / "share");
  EXPECT_EQ(files().toHostPath(u"\\\\server\\share\\maps\\a.png"), sandbox() / "UNC" / "server" / "share" / "maps" / "a.png");
  EXPECT_TRUE(files().toHostPath(u"\\\\nobody\\share\\a").empty()) << "a share that does not exist maps nowhere";
  EXPECT_TRUE(files().toHostPath(u"Q:\\a").empty()) << "drive Q has no sandbox folder";
}

TEST_F(FileSystemTest, ExistingComponentsResolveCaseInsensitivelyNewOnesKeepTheCallersSpelling) {
  writeHostFile(sandbox() / "C" / "Data" / "MixedCase" / "Report.TXT", "12345");
  EXPECT_EQ(GetFileAttributesW(u"c:\\DATA\\mixedcase\\report.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(files().toHostPath(u"C:\\data\\MIXEDCASE\\REPORT.txt"), sandbox() / "C" / "Data" / "MixedCase" / "Report.TXT");

  ASSERT_TRUE(CreateDirectoryW(u"C:\\DATA\\NewFolder", nullptr));
  EXPECT_TRUE(fs::is_directory(sandbox() / "C" / "Data" / "NewFolder"));
  EXPECT_FALSE(fs::exists(sandbox() / "C" / "DATA")) << "the existing folder is reused, not created again";
  EXPECT_FALSE(CreateDirectoryW(u"c:\\data\\newfolder", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS) << "the same folder under another spelling";
}

TEST_F(FileSystemTest, RelativeRootedAndDriveRelativePathsFollowTheCurrentDirectories) {
  EXPECT_EQ(files().currentDirectory(), u"C:\\");
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Users\\me"));
  EXPECT_EQ(fullPath(u"x.txt"), u"C:\\Users\\me\\x.txt");
  EXPECT_EQ(fullPath(u"..\\you\\.\\y.txt"), u"C:\\Users\\you\\y.txt");
  EXPECT_EQ(fullPath(u"\\VurkArx_setting.ini"), u"C:\\VurkArx_setting.ini") << "rooted: root of the current drive";
  EXPECT_EQ(fullPath(u"C:\\..\\..\\x"), u"C:\\x") << "'..' never climbs above the drive root";

  files().addDrive(u'D');
  fs::create_directories(sandbox() / "D" / "work");
  ASSERT_TRUE(SetCurrentDirectoryW(u"D:\\work"));
  EXPECT_EQ(files().currentDrive(), u'D');
  EXPECT_EQ(fullPath(u"\\a"), u"D:\\a");
  EXPECT_EQ(fullPath(u"C:rel"), u"C:\\Users\\me\\rel") << "C: remembers its own current directory";
  EXPECT_EQ(fullPath(u"d:sub"), u"D:\\work\\sub");
  EXPECT_EQ(fullPath(u"E:sub"), u"E:\\sub") << "a drive never visited starts at its root";

  char16_t buf[64];
  EXPECT_EQ(GetCurrentDirectoryW(64, buf), 7u);
  EXPECT_EQ(std::u16string(buf), u"D:\\work");
  EXPECT_EQ(GetCurrentDirectoryW(7, buf), 8u) << "too small: the size needed including the NUL";

  EXPECT_FALSE(SetCurrentDirectoryW(u"Q:\\"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  writeHostFile(sandbox() / "D" / "file.txt", "x");
  EXPECT_FALSE(SetCurrentDirectoryW(u"D:\\file.txt"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  EXPECT_EQ(files().currentDirectory(), u"D:\\work") << "failed calls leave the current directory";
}

TEST_F(FileSystemTest, WindowsTrimsTrailingPeriodsAndSpaces) {
  EXPECT_EQ(fullPath(u"C:\\a.\\b. . "), u"C:\\a\\b");
  EXPECT_EQ(fullPath(u"C:\\dir\\"), u"C:\\dir\\") << "a trailing separator is kept by GetFullPathNameW";
  ASSERT_TRUE(CreateDirectoryW(u"C:\\trail.", nullptr));
  EXPECT_TRUE(fs::is_directory(sandbox() / "C" / "trail"));
}

TEST_F(FileSystemTest, ForbiddenCharactersAndDeviceNamesAreInvalidNames) {
  for (const std::u16string bad : {u"a<b", u"a>b", u"a\"b", u"a|b", u"a?b", u"a*b", u"a:b", u"a\x01" u"b", u"tab\t"}) {
    EXPECT_FALSE(CreateDirectoryW((u"C:\\" + bad).c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME) << "character in a component";
  }
  for (const std::u16string device : {u"CON", u"nul", u"Aux.txt", u"COM1", u"lpt9.log", u"PRN  .x"}) {
    EXPECT_FALSE(CreateDirectoryW((u"C:\\" + device).c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME) << "reserved device name";
  }
  for (const std::u16string fine : {u"CONSOLE", u"COM10", u"nul-report", u"LPT0"}) {
    EXPECT_TRUE(CreateDirectoryW((u"C:\\" + fine).c_str(), nullptr)) << "not a device name";
  }
}

TEST_F(FileSystemTest, FullPathsOf260CharactersAreRefusedUnlessPrefixed) {
  const std::u16string parent = u"C:\\" + std::u16string(200, u'a');  // 203 characters
  ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
  const std::u16string ok = parent + u"\\" + std::u16string(55, u'b');
  const std::u16string tooLong = parent + u"\\" + std::u16string(56, u'c');
  ASSERT_EQ(ok.size(), 259u);
  ASSERT_EQ(tooLong.size(), 260u);
  EXPECT_TRUE(CreateDirectoryW(ok.c_str(), nullptr)) << "259 characters fit in MAX_PATH with the NUL";
  EXPECT_FALSE(CreateDirectoryW(tooLong.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE) << "the limit is pinned to ERROR_FILENAME_EXCED_RANGE";
  EXPECT_EQ(GetFileAttributesW(tooLong.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);

  EXPECT_TRUE(CreateDirectoryW((u"\\\\?\\" + tooLong).c_str(), nullptr)) << "the long-path prefix lifts the limit";
  EXPECT_TRUE(fs::is_directory(sandbox() / "C" / std::string(200, 'a') / std::string(56, 'c')));

  EXPECT_FALSE(CreateDirectoryW((u"C:\\" + std::u16string(256, u'n')).c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE) << "a component holds at most 255 characters";
}

TEST_F(FileSystemTest, LinksAreReparsePointsAndNothingOutsideTheSandboxIsReached) {
  vurktest::TempFolder outside;
  writeHostFile(outside.path() / "f", "precious");
  fs::create_directories(sandbox() / "C" / "Cache");
  fs::create_directory_symlink(outside.path(), sandbox() / "C" / "Cache" / "l");
  fs::create_directory_symlink(sandbox() / "C" / "Cache", sandbox() / "C" / "Cache" / "loop");

  EXPECT_EQ(GetFileAttributesW(u"C:\\Cache\\l"), FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(u"C:\\Cache\\*", &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::u16string> names;
  std::vector<DWORD> attrs;
  do {
    names.emplace_back(fd.cFileName);
    attrs.push_back(fd.dwFileAttributes);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  ASSERT_EQ(names, (std::vector<std::u16string>{u".", u"..", u"l", u"loop"}));
  EXPECT_EQ(attrs[2], FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_EQ(FindFirstFileW(u"C:\\Cache\\l\\*", &fd), INVALID_HANDLE_VALUE) << "never enumerated through";
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(u"C:\\Cache\\l\\f"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(_wfopen(u"C:\\Cache\\l\\f", u"rb"), nullptr);
  EXPECT_FALSE(DeleteFileW(u"C:\\Cache\\l")) << "a folder link is removed with RemoveDirectoryW";

  ASSERT_TRUE(RemoveDirectoryW(u"C:\\Cache\\l"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(sandbox() / "C" / "Cache" / "l")));
  EXPECT_EQ(readHostFile(outside.path() / "f"), "precious") << "removing the link leaves its target";

  ASSERT_TRUE(RemoveDirectoryW(u"C:\\Cache\\loop"));
  EXPECT_TRUE(fs::is_directory(sandbox() / "C" / "Cache")) << "the loop's target folder stays";
}

TEST_F(FileSystemTest, FreeSpaceIsASettingPerDrive) {
  ULARGE_INTEGER freeBytes{};
  ULARGE_INTEGER total{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &freeBytes, &total, nullptr));
  EXPECT_EQ(freeBytes.QuadPart, 100ull << 30) << "default: 100 GiB";
  EXPECT_GE(total.QuadPart, freeBytes.QuadPart);

  files().addDrive(u'D');
  fs::create_directories(sandbox() / "D" / "maps");
  const ULONGLONG almostTwo = 2136746229ull;  // 1.99 GiB
  files().setFreeSpace(u'd', almostTwo);
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"D:\\", &freeBytes, nullptr, nullptr));
  EXPECT_EQ(freeBytes.QuadPart, almostTwo);
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"d:\\MAPS", &freeBytes, nullptr, nullptr)) << "any folder of the drive";
  EXPECT_EQ(freeBytes.QuadPart, almostTwo);
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &freeBytes, nullptr, nullptr));
  EXPECT_EQ(freeBytes.QuadPart, 100ull << 30) << "other drives keep theirs";

  EXPECT_FALSE(GetDiskFreeSpaceExW(u"E:\\", &freeBytes, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(SetCurrentDirectoryW(u"D:\\maps"));
  ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, &freeBytes, nullptr, nullptr)) << "null: the current drive";
  EXPECT_EQ(freeBytes.QuadPart, almostTwo);
}

TEST_F(FileSystemTest, ReadOnlyFoldersRefuseChangesAtAnyDepth) {
  writeHostFile(sandbox() / "C" / "Locked" / "old.txt", "old");
  fs::create_directories(sandbox() / "C" / "Locked" / "deep");
  files().setReadOnly(u"c:\\locked");

  EXPECT_FALSE(CreateDirectoryW(u"C:\\Locked\\new", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(u"C:\\Locked\\old.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(_wfopen(u"C:\\Locked\\deep\\t__Arx.txt", u"w"), nullptr);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(fs::exists(sandbox() / "C" / "Locked" / "deep" / "t__Arx.txt"));

  FILE* f = _wfopen(u"C:\\Locked\\old.txt", u"rb");
  ASSERT_NE(f, nullptr) << "reading is allowed";
  std::fclose(f);

  files().setReadOnly(u"C:\\Locked", false);
  EXPECT_TRUE(DeleteFileW(u"C:\\Locked\\old.txt"));
}

}  // namespace
