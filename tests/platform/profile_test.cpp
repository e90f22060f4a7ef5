// Private-profile (INI) files: the struct encoding, lookups, in-place edits and safe writes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sandbox_fixture.h"
#include "win32/profile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char16_t* kIni = u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini";

class ProfileTest : public vurktest::SandboxFixture {
 protected:
  fs::path iniHost() { return sandbox() / "C" / "Users" / "me" / "AppData" / "Local" / "VurkArx_setting.ini"; }
  std::u16string read(const char16_t* section, const char16_t* key, DWORD size = 400, const char16_t* def = u"<none>") {
    std::vector<char16_t> buf(size + 1, u'#');
    const DWORD n = GetPrivateProfileStringW(section, key, def, buf.data(), size, kIni);
    EXPECT_EQ(buf[n], 0) << "the copy is NUL-terminated";
    return std::u16string(buf.data(), n);
  }
  // Every file in the INI's folder, to show that no temporary file is left behind.
  std::vector<std::string> folderListing() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(iniHost().parent_path())) names.push_back(e.path().filename().string());
    return names;
  }
};

TEST_F(ProfileTest, StructReadFailuresLeaveTheCallersBufferUntouched) {
  writeHostFile(iniHost(),
                "[S]\r\nshort=0102\r\nsum=010204\r\nnothex=01G203\r\nlong=01020300\r\ngood=010203\r\n");
  const std::array<unsigned char, 2> sentinel = {0xAA, 0xAA};
  for (const char16_t* key : {u"short", u"sum", u"nothex", u"long", u"missing"}) {
    std::array<unsigned char, 2> buf = sentinel;
    EXPECT_FALSE(GetPrivateProfileStructW(u"S", key, buf.data(), 2, kIni));
    EXPECT_EQ(buf, sentinel) << "no byte changes on failure";
  }
  std::array<unsigned char, 2> buf = sentinel;
  EXPECT_FALSE(GetPrivateProfileStructW(u"S", u"good", buf.data(), 2, u"C:\\none.ini"));
  EXPECT_EQ(buf, sentinel) << "missing file";
  ASSERT_TRUE(GetPrivateProfileStructW(u"S", u"good", buf.data(), 2, kIni));
  EXPECT_EQ(buf, (std::array<unsigned char, 2>{0x01, 0x02}));
}

TEST_F(ProfileTest, SectionsAndKeysAreCaseInsensitiveAndValuesAreTrimmedAndUnquoted) {
  writeHostFile(iniHost(),
                "[TempPath]\r\n"
                "MapTemp = C:\\Users\\me\\Temp  \r\n"
                "  [ FILE_MD5 ]  \r\n"
                "dq=\"quoted value\"\r\n"
                "sq=  'single'  \r\n"
                "half=\"open\r\n"
                "inner=a \"b\" c\r\n");
  EXPECT_EQ(read(u"temppath", u"MAPTEMP"), u"C:\\Users\\me\\Temp");
  EXPECT_EQ(read(u"file_md5", u"DQ"), u"quoted value");
  EXPECT_EQ(read(u"FILE_MD5", u"sq"), u"single");
  EXPECT_EQ(read(u"FILE_MD5", u"half"), u"\"open") << "only a matching pair of quotes is removed";
  EXPECT_EQ(read(u"FILE_MD5", u"inner"), u"a \"b\" c");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST_F(ProfileTest, ReadsCopyAtMostSizeMinusOneCharactersOrTheDefault) {
  writeHostFile(iniHost(), "[FILE_MD5]\r\n123=abcdefgh\r\n");
  EXPECT_EQ(read(u"FILE_MD5", u"123", 5), u"abcd");
  EXPECT_EQ(read(u"FILE_MD5", u"123", 9), u"abcdefgh");
  EXPECT_EQ(read(u"FILE_MD5", u"456", 20, u"0  "), u"0") << "the default loses its trailing blanks";
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(read(u"NoSection", u"123", 20, nullptr), u"");
  EXPECT_EQ(read(u"FILE_MD5", u"456", 3, u"default"), u"de");
}

TEST_F(ProfileTest, WritesEditInPlaceAppendToTheSectionAndAddSectionsAtTheEnd) {
  writeHostFile(iniHost(), "; settings\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"a", u"z", u"3", kIni));
  EXPECT_EQ(readHostFile(iniHost()), "; settings\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"X", u"9", kIni));
  EXPECT_EQ(readHostFile(iniHost()), "; settings\r\n[A]\r\nx=9\r\nz=3\r\n\r\n[B]\r\ny=2\r\n")
      << "the key keeps its line and spelling";
  ASSERT_TRUE(WritePrivateProfileStringW(u"C", u"w", u"4", kIni));
  EXPECT_EQ(readHostFile(iniHost()), "; settings\r\n[A]\r\nx=9\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"z", nullptr, kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"b", nullptr, nullptr, kIni));
  EXPECT_EQ(readHostFile(iniHost()), "; settings\r\n[A]\r\nx=9\r\n\r\n[C]\r\nw=4\r\n");

  writeHostFile(iniHost(), "[A]\r\nx=1");  // no line end after the last line
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"y", u"2", kIni));
  EXPECT_EQ(readHostFile(iniHost()), "[A]\r\nx=1\r\ny=2\r\n");
}

TEST_F(ProfileTest, WritingCreatesTheFileButNotItsFolder) {
  EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"k", u"v", u"C:\\NoFolder\\x.ini"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(fs::exists(sandbox() / "C" / "NoFolder"));
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"k", u"v", u"bare.ini"));
  EXPECT_EQ(readHostFile(sandbox() / "C" / "Windows" / "bare.ini"), "[A]\r\nk=v\r\n") << "a bare name lives in C:\\Windows";
  EXPECT_EQ(GetPrivateProfileIntW(u"A", u"k", 7, u"bare.ini"), 0u) << "present but not a number";
  ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"n", u"  -12x", u"bare.ini"));
  EXPECT_EQ(GetPrivateProfileIntW(u"A", u"n", 7, u"bare.ini"), static_cast<UINT>(-12));
  EXPECT_EQ(GetPrivateProfileIntW(u"A", u"none", 7, u"bare.ini"), 7u);
}

TEST_F(ProfileTest, AFailedWriteLeavesTheFileByteIdentical) {
  const std::string before = "[VurkArx]\r\nini=010203\r\n[TempPath]\r\nMapTemp=C:\\Temp\r\n";
  writeHostFile(iniHost(), before);
  const auto listingBefore = folderListing();
  std::array<unsigned char, 160> record{};
  record[0] = 1;

  files().failWritesAfter(40);  // the new file is longer than that
  EXPECT_FALSE(WritePrivateProfileStructW(u"VurkArx", u"ini", record.data(), 160, kIni));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(readHostFile(iniHost()), before);
  EXPECT_EQ(folderListing(), listingBefore) << "the temporary file is removed";

  files().clearWriteFaults();
  files().setReadOnly(u"C:\\Users\\me\\AppData\\Local");
  EXPECT_FALSE(WritePrivateProfileStringW(u"TempPath", u"MapTemp", u"D:\\x", kIni));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readHostFile(iniHost()), before);
}

TEST_F(ProfileTest, FilesAreAnsiInTheDesktopCodePage) {
  ASSERT_TRUE(WritePrivateProfileStringW(u"TempPath", u"MapTemp", u"D:\\中", kIni));
  EXPECT_EQ(readHostFile(iniHost()), "[TempPath]\r\nMapTemp=D:\\\xD6\xD0\r\n") << "CP936 bytes D6 D0";
  EXPECT_EQ(read(u"TempPath", u"MapTemp"), u"D:\\中");
  ASSERT_TRUE(WritePrivateProfileStringW(u"TempPath", u"MapTemp", u"D:\\\u0E01", kIni));
  EXPECT_EQ(read(u"TempPath", u"MapTemp"), u"D:\\?") << "a character outside CP936 becomes '?'";
}

TEST_F(ProfileTest, AUtf16FileIsReadAndKeptAsUtf16) {
  const std::u16string text = u"[S]\r\nk=中文\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  writeHostFile(iniHost(), bytes);
  EXPECT_EQ(read(u"S", u"k"), u"中文");
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"n", u"1", kIni));
  EXPECT_EQ(readHostFile(iniHost()), bytes + std::string("n\0=\0" "1\0\r\0\n\0", 10));
}

TEST_F(ProfileTest, MalformedFilesAreReadWithoutHarm) {
  std::string junk = "[Good]\r\nbefore=1\r\n[unterminated\r\nafter=2\r\n";
  junk += std::string(1 << 20, 'x');  // a 1 MiB line
  junk += "\r\n";
  junk += std::string("\0\xFF\xFE\x81\x1A]=[\r\n", 10);
  junk += "[Tail]\r\nk=v\r\n\x81";  // ends inside a double-byte character
  writeHostFile(iniHost(), junk);
  EXPECT_EQ(read(u"Good", u"before"), u"1");
  EXPECT_EQ(read(u"Good", u"after"), u"2") << "a '[' without ']' starts no section";
  EXPECT_EQ(read(u"Tail", u"k"), u"v");
  EXPECT_EQ(read(u"unterminated", u"after"), u"<none>");

  ASSERT_TRUE(WritePrivateProfileStringW(u"Tail", u"k", u"w", kIni));
  const std::string after = readHostFile(iniHost());
  ASSERT_EQ(after.size(), junk.size());
  EXPECT_EQ(after.substr(0, junk.size() - 4), junk.substr(0, junk.size() - 4)) << "the junk is kept byte for byte";
}

}  // namespace
