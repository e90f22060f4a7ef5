#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "util/file_ops.h"
#include "util_sandbox.h"
#include "win32/file_system.h"
#include "win32/fileapi.h"

namespace {

namespace fs = std::filesystem;

void writeHostFile(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string readHostFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------- folders

using CreateFolderPathTest = vurktest::UtilSandbox;

TEST_F(CreateFolderPathTest, CreatesEveryFolderAlongTheWayWithTheLastOne) {
  const fs::path d = drive('D');
  vurk::CreateFolderPath("D:\\a\\b\\c", true);
  EXPECT_TRUE(fs::is_directory(d / "a"));
  EXPECT_TRUE(fs::is_directory(d / "a" / "b"));
  EXPECT_TRUE(fs::is_directory(d / "a" / "b" / "c"));
}

TEST_F(CreateFolderPathTest, WithoutIncludeLastTheFinalNameIsLeftForTheFile) {
  const fs::path d = drive('D');
  vurk::CreateFolderPath("D:/tiles/9\\15/123.png", false);
  EXPECT_TRUE(fs::is_directory(d / "tiles" / "9" / "15"));
  EXPECT_FALSE(fs::exists(d / "tiles" / "9" / "15" / "123.png"));
}

TEST_F(CreateFolderPathTest, ExistingFoldersAndCjkNamesAreFine) {
  const fs::path d = drive('D');
  fs::create_directories(d / "a");
  writeHostFile(d / "a" / "keep.txt", "x");
  vurk::CreateFolderPath("D:\\a\\\xE5\x9C\xB0\xE5\x9B\xBE\\", true);  // "D:\a\地图\"
  EXPECT_TRUE(fs::is_directory(d / "a" / "\xE5\x9C\xB0\xE5\x9B\xBE"));
  EXPECT_EQ(readHostFile(d / "a" / "keep.txt"), "x");
}

TEST_F(CreateFolderPathTest, MalformedUtf8PathCreatesNothing) {
  const fs::path d = drive('D');
  EXPECT_FALSE(vurk::CreateFolder("D:\\bad\xFF"));
  vurk::CreateFolderPath("D:\\x\xC3\\y", true);
  EXPECT_TRUE(fs::is_empty(d)) << "a path that does not convert must not name another folder";
  EXPECT_TRUE(vurk::CreateFolder("D:\\good"));
  EXPECT_FALSE(vurk::CreateFolder("D:\\good")) << "CreateDirectoryW fails for an existing folder";
}

// ---------------------------------------------------------------- listing

using ListFolderTest = vurktest::UtilSandbox;

TEST_F(ListFolderTest, HundredFiftyFilesFillABlockOfTwoHundredEntries) {
  const fs::path folder = drive('D') / "list";
  std::set<std::string> expected;
  for (int i = 0; i < 150; ++i) {
    const std::string name = "tile" + std::to_string(i) + ".png";
    writeHostFile(folder / name, "p");
    expected.insert(name);
  }
  vurk::FolderListing listing;
  ASSERT_EQ(vurk::ListFolder("D:\\list", listing), 150u);
  EXPECT_EQ(listing.capacity(), 200u) << "grows by 100 entries at a time";
  EXPECT_EQ(listing.block().size(), 200u * 256u);
  std::set<std::string> seen;
  for (std::size_t i = 0; i < listing.count(); ++i) {
    seen.insert(std::string(listing.name(i)));
    EXPECT_FALSE(listing.isFolder(i));
  }
  EXPECT_EQ(seen, expected) << "every file once, no \".\" or \"..\"";
  // The unused entries of the block are zero.
  EXPECT_TRUE(std::all_of(listing.block().begin() + 150 * 256, listing.block().end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(ListFolderTest, EntryLayoutHoldsUtf8NameAndFolderFlagInLastByte) {
  const fs::path folder = drive('D') / "mixed";
  fs::create_directories(folder / "\xE5\x9B\xBE");  // "图", a folder
  writeHostFile(folder / "a.jpg", "j");
  vurk::FolderListing listing;
  ASSERT_EQ(vurk::ListFolder("D:\\mixed\\", listing), 2u) << "a trailing separator is accepted";
  ASSERT_EQ(listing.capacity(), 100u);
  for (std::size_t i = 0; i < 2; ++i) {
    const std::uint8_t* entry = listing.block().data() + i * 256;
    const std::string name(reinterpret_cast<const char*>(entry));
    if (name == "a.jpg") {
      EXPECT_EQ(entry[255], 0);
    } else {
      EXPECT_EQ(name, "\xE5\x9B\xBE");
      EXPECT_EQ(entry[255], 1) << "folder flag in the last byte";
      EXPECT_TRUE(listing.isFolder(i));
    }
  }
}

TEST_F(ListFolderTest, NameThatDoesNotFitIsSkippedNotCutAndListingGoesOn) {
  const fs::path folder = drive('D') / "long";
  // 85 CJK characters: 85 UTF-16 units (a legal Windows name) but 255 UTF-8 bytes, one more
  // than an entry can hold with its terminator.
  std::string longName;
  for (int i = 0; i < 85; ++i) longName += "\xE5\x9B\xBE";
  writeHostFile(folder / longName, "x");
  std::string fits;  // 84 characters = 252 bytes: fits
  for (int i = 0; i < 84; ++i) fits += "\xE5\x9B\xBE";
  writeHostFile(folder / fits, "y");
  writeHostFile(folder / "zz.png", "z");

  vurk::FolderListing listing;
  ASSERT_EQ(vurk::ListFolder("D:\\long", listing), 2u);
  std::set<std::string> names{std::string(listing.name(0)), std::string(listing.name(1))};
  EXPECT_EQ(names, (std::set<std::string>{fits, "zz.png"}));
}

TEST_F(ListFolderTest, MissingFolderOrUnconvertiblePathGivesNothing) {
  drive('D');
  vurk::FolderListing listing;
  EXPECT_EQ(vurk::ListFolder("D:\\nowhere", listing), 0u);
  EXPECT_EQ(listing.capacity(), 0u);
  EXPECT_EQ(vurk::ListFolder("", listing), 0u);
  EXPECT_EQ(vurk::ListFolder("D:\\\xFF", listing), 0u);
}

// ---------------------------------------------------------------- deletion

using DeleteFolderTreeTest = vurktest::UtilSandbox;

TEST_F(DeleteFolderTreeTest, RemovesNestedFoldersAndFiles) {
  const fs::path d = drive('D');
  writeHostFile(d / "MapTemp" / "123" / "9" / "15" / "a.png", "png");
  writeHostFile(d / "MapTemp" / "123" / "b.jpg", "jpg");
  fs::create_directories(d / "MapTemp" / "empty");
  writeHostFile(d / "keep.txt", "k");
  EXPECT_TRUE(vurk::DeleteFolderTree(u"D:\\MapTemp"));
  EXPECT_FALSE(fs::exists(d / "MapTemp"));
  EXPECT_TRUE(fs::exists(d / "keep.txt"));
  EXPECT_FALSE(vurk::DeleteFolderTree(u"D:\\MapTemp")) << "nothing left to remove";
}

TEST_F(DeleteFolderTreeTest, LinkToAFolderOutsideIsRemovedButNotFollowed) {
  const fs::path d = drive('D');
  writeHostFile(outside() / "f", "user data");
  writeHostFile(d / "MapTemp" / "t.png", "p");
  fs::create_directory_symlink(outside(), d / "MapTemp" / "l");
  EXPECT_TRUE(vurk::DeleteFolderTree(u"D:\\MapTemp"));
  EXPECT_TRUE(fs::exists(outside() / "f"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(d / "MapTemp")));
}

TEST_F(DeleteFolderTreeTest, LinkToAFolderInsideTheSandboxIsRemovedButNotFollowed) {
  // The file system would let us walk through this link, so only the deletion's own care
  // keeps D:\docs\f alive.
  const fs::path d = drive('D');
  writeHostFile(d / "docs" / "f", "user data");
  writeHostFile(d / "MapTemp" / "t.png", "p");
  fs::create_directory_symlink(d / "docs", d / "MapTemp" / "l");
  EXPECT_TRUE(vurk::DeleteFolderTree(u"D:\\MapTemp"));
  EXPECT_EQ(readHostFile(d / "docs" / "f"), "user data");
  EXPECT_FALSE(fs::exists(fs::symlink_status(d / "MapTemp")));
}

TEST_F(DeleteFolderTreeTest, LinkLoopBackToTheParentTerminates) {
  const fs::path d = drive('D');
  writeHostFile(d / "MapTemp" / "t.png", "p");
  fs::create_directory_symlink(d / "MapTemp", d / "MapTemp" / "loop");
  EXPECT_TRUE(vurk::DeleteFolderTree(u"D:\\MapTemp"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(d / "MapTemp")));
}

TEST_F(DeleteFolderTreeTest, FolderThatIsItselfALinkLosesOnlyTheLink) {
  const fs::path d = drive('D');
  writeHostFile(d / "docs" / "f", "user data");
  fs::create_directory_symlink(d / "docs", d / "MapTemp");
  vurk::DeleteFolderTree(u"D:\\MapTemp");
  EXPECT_EQ(readHostFile(d / "docs" / "f"), "user data");
  EXPECT_FALSE(fs::exists(fs::symlink_status(d / "MapTemp")));
}

TEST_F(DeleteFolderTreeTest, RefusesEmptyRelativeRootAndDottedPaths) {
  const fs::path d = drive('D');
  writeHostFile(d / "MapTemp" / "t.png", "p");
  writeHostFile(d / "sub" / "x.txt", "x");
  ASSERT_TRUE(SetCurrentDirectoryW(u"D:\\"));
  const char16_t* refused[] = {u"",        u"MapTemp",        u"\\MapTemp",       u"D:MapTemp",  u"D:\\",
                               u"D:",      u"D:\\\\",         u"D:\\sub\\..",     u"D:\\sub\\.", u"D:\\sub\\...",
                               u"\\\\srv", u"\\\\srv\\share", u"\\\\?\\D:\\MapTemp"};
  for (std::size_t i = 0; i < std::size(refused); ++i) {
    EXPECT_FALSE(vurk::DeleteFolderTree(refused[i])) << "refused path number " << i;
  }
  EXPECT_TRUE(fs::exists(d / "MapTemp" / "t.png"));
  EXPECT_TRUE(fs::exists(d / "sub" / "x.txt"));
  EXPECT_FALSE(vurk::DeleteFolderTreeUtf8(""));
  EXPECT_FALSE(vurk::DeleteFolderTreeUtf8("MapTemp"));
  EXPECT_TRUE(fs::exists(d / "MapTemp" / "t.png"));
  EXPECT_TRUE(vurk::DeleteFolderTreeUtf8("D:\\sub\\"));
  EXPECT_FALSE(fs::exists(d / "sub"));
}

using DeleteCacheFolderTest = vurktest::UtilSandbox;

TEST_F(DeleteCacheFolderTest, DeletesOnlyMapTempUnderTheBase) {
  const fs::path c = drive('C');
  writeHostFile(c / "cache" / "MapTemp" / "42" / "1" / "9" / "a.png", "p");
  writeHostFile(c / "cache" / "VurkArxIcon" / "Icon0004.png", "i");
  EXPECT_TRUE(vurk::DeleteCacheFolder(u"C:\\cache\\"));
  EXPECT_FALSE(fs::exists(c / "cache" / "MapTemp"));
  EXPECT_TRUE(fs::exists(c / "cache" / "VurkArxIcon" / "Icon0004.png"));
}

TEST_F(DeleteCacheFolderTest, EmptyOrRelativeBaseLeavesRootMapTempInPlace) {
  const fs::path c = drive('C');
  writeHostFile(c / "MapTemp" / "sentinel", "user folder at the drive root");
  writeHostFile(c / "maps" / "MapTemp" / "sentinel", "relative to the current folder");
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
  EXPECT_FALSE(vurk::DeleteCacheFolder(u""));
  EXPECT_FALSE(vurk::DeleteCacheFolder(u"maps"));
  EXPECT_FALSE(vurk::DeleteCacheFolder(u"\\"));
  EXPECT_TRUE(fs::exists(c / "MapTemp" / "sentinel"));
  EXPECT_TRUE(fs::exists(c / "maps" / "MapTemp" / "sentinel"));
}

TEST_F(DeleteCacheFolderTest, LinkInsideMapTempToOutsideKeepsItsFile) {
  const fs::path c = drive('C');
  writeHostFile(outside() / "f", "documents");
  fs::create_directories(c / "cache" / "MapTemp");
  fs::create_directory_symlink(outside(), c / "cache" / "MapTemp" / "l");
  EXPECT_TRUE(vurk::DeleteCacheFolder(u"C:\\cache"));
  EXPECT_EQ(readHostFile(outside() / "f"), "documents");
  EXPECT_FALSE(fs::exists(fs::symlink_status(c / "cache" / "MapTemp")));
}

// ---------------------------------------------------------------- files

using FileTest = vurktest::UtilSandbox;

TEST_F(FileTest, FileSizeIsMinusOneOnlyForAMissingFile) {
  const fs::path d = drive('D');
  writeHostFile(d / "empty.bin", "");
  writeHostFile(d / "five.bin", "12345");
  fs::create_directories(d / "folder");
  EXPECT_EQ(vurk::FileSize("D:\\empty.bin"), 0);
  EXPECT_EQ(vurk::FileSize("D:\\five.bin"), 5);
  EXPECT_EQ(vurk::FileSize("D:\\missing.bin"), -1);
  EXPECT_EQ(vurk::FileSize("D:\\folder"), -1);
  EXPECT_EQ(vurk::FileSize(""), -1);
}

TEST_F(FileTest, FileSizeKeepsAllSixtyFourBits) {
  const fs::path d = drive('D');
  // A sparse file of 4 GiB + 7 bytes: its low 32 bits alone would read as 7, and a file of
  // 0xFFFFFFFF bytes would read as -1.
  writeHostFile(d / "big.bin", "");
  fs::resize_file(d / "big.bin", 0x100000007ull);
  writeHostFile(d / "ffff.bin", "");
  fs::resize_file(d / "ffff.bin", 0xFFFFFFFFull);
  EXPECT_EQ(vurk::FileSize("D:\\big.bin"), 0x100000007ll);
  EXPECT_EQ(vurk::FileSize("D:\\ffff.bin"), 0xFFFFFFFFll);
}

TEST_F(FileTest, WriteWholeFileCreatesOrTruncatesInBinaryMode) {
  const fs::path d = drive('D');
  writeHostFile(d / "out.bin", "a much longer old content");
  const std::string bytes("line1\nline2\r\n\0\x1A" "end", 18);
  EXPECT_EQ(vurk::WriteWholeFile("D:\\out.bin", bytes.data(), bytes.size()), 1);
  EXPECT_EQ(readHostFile(d / "out.bin"), bytes) << "no CR inserted, no old bytes left";
  EXPECT_EQ(vurk::WriteWholeFile("D:\\none\\out.bin", "x", 1), 0) << "folder missing";
  EXPECT_EQ(vurk::WriteWholeFile("D:\\empty.bin", nullptr, 0), 1);
  EXPECT_EQ(vurk::FileSize("D:\\empty.bin"), 0);
}

TEST_F(FileTest, WriteWholeFileReportsAFullDisk) {
  const fs::path d = drive('D');
  desktop().files().failWritesAfter(4);
  EXPECT_EQ(vurk::WriteWholeFile("D:\\out.bin", "12345678", 8), 0);
}

TEST_F(FileTest, OpenFileReadsBackAndDeleteFileRemoves) {
  const fs::path d = drive('D');
  writeHostFile(d / "\xE5\x9B\xBE.txt", "abc");  // "图.txt"
  std::FILE* f = vurk::OpenFile("D:\\\xE5\x9B\xBE.txt", "rb");
  ASSERT_NE(f, nullptr);
  char buf[8] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 3u);
  std::fclose(f);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(vurk::OpenFile("D:\\missing.txt", "rb"), nullptr);
  EXPECT_EQ(vurk::OpenFile("D:\\\xE5\x9B\xBE.txt", ""), nullptr) << "an empty mode does not convert";

  EXPECT_TRUE(vurk::DeleteFile("D:\\\xE5\x9B\xBE.txt"));
  EXPECT_FALSE(fs::exists(d / "\xE5\x9B\xBE.txt"));
  EXPECT_FALSE(vurk::DeleteFile("D:\\\xE5\x9B\xBE.txt"));
}

}  // namespace
