#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "util/log.h"
#include "util_sandbox.h"
#include "win32/clock.h"

namespace {

namespace fs = std::filesystem;

std::string readHostFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every regular file under a host folder.
std::vector<fs::path> filesUnder(const fs::path& root) {
  std::vector<fs::path> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) out.push_back(e.path());
  }
  return out;
}

class LogTest : public vurktest::UtilSandbox {
 protected:
  void SetUp() override {
    UtilSandbox::SetUp();
    ASSERT_TRUE(desktop().clock().setLocalTime(2022, 3, 1, 7, 5, 9));
  }
  void TearDown() override {
    vurk::RemoveLog();
    UtilSandbox::TearDown();
  }
};

TEST_F(LogTest, LineHasTimestampTwoSpacesAnsiMessageAndCrLf) {
  fs::create_directories(drive('D') / "VurkArx");
  vurk::InitLog(u"D:\\VurkArx");
  vurk::Log(u"\u65E0\u6CD5\u6253\u5F00 AcDbLine");  // "无法打开 AcDbLine"
  // Message bytes from: printf '无法打开 AcDbLine' | iconv -f UTF-8 -t CP936 | xxd
  const std::string expected = "[2022/03/01 07:05:09]  \xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA AcDbLine\r\n";
  EXPECT_EQ(readHostFile(drive('D') / "VurkArx" / "DebugLog.txt"), expected);
}

TEST_F(LogTest, LinesAreAppendedWithTheirOwnTime) {
  fs::create_directories(drive('D') / "VurkArx");
  vurk::InitLog(u"D:\\VurkArx");
  vurk::Log(u"first");
  desktop().clock().advance(61 * 1000);
  vurk::Log(u"second 100%");  // a '%' in the message is text, not a directive
  EXPECT_EQ(readHostFile(drive('D') / "VurkArx" / "DebugLog.txt"),
            "[2022/03/01 07:05:09]  first\r\n[2022/03/01 07:06:10]  second 100%\r\n");
  vurk::InitLog(u"D:\\VurkArx");  // a second start-up appends to the same file
  vurk::Log(u"third");
  EXPECT_EQ(filesUnder(drive('D')).size(), 1u);
  EXPECT_NE(readHostFile(drive('D') / "VurkArx" / "DebugLog.txt").find("second 100%\r\n[2022/03/01 07:06:10]  third\r\n"),
            std::string::npos);
}

TEST_F(LogTest, LongCjkPluginFolderGetsItsLogAndNothingElsewhere) {
  // 150 CJK characters in three folders of 50 (each folder name stays within 255 UTF-8
  // bytes): 155 characters of folder, 305 bytes in CP936, so the log path is 318 bytes, more
  // than MAX_PATH bytes.
  std::u16string part;
  std::string partUtf8;
  for (int i = 0; i < 50; ++i) {
    part += u'\u5730';       // "地"
    partUtf8 += "\xE5\x9C\xB0";
  }
  const std::u16string folder = u"D:\\" + part + u"\\" + part + u"\\" + part;
  const fs::path hostFolder = drive('D') / partUtf8 / partUtf8 / partUtf8;
  fs::create_directories(hostFolder);

  vurk::InitLog(folder);
  ASSERT_NE(vurk::CurrentLog(), nullptr);
  EXPECT_TRUE(vurk::CurrentLog()->enabled());
  EXPECT_EQ(vurk::CurrentLog()->path().size(), 318u);
  vurk::Log(u"start");

  const std::vector<fs::path> files = filesUnder(drive('D'));
  ASSERT_EQ(files.size(), 1u) << "no file outside the plug-in folder";
  EXPECT_EQ(files[0], hostFolder / "DebugLog.txt");
  EXPECT_EQ(readHostFile(files[0]), "[2022/03/01 07:05:09]  start\r\n");
}

TEST_F(LogTest, FolderTheAnsiCodePageCannotHoldSwitchesLoggingOff) {
  // Hangul is not in CP936: the path would turn into "D:\VurkArx\??" and name another file.
  fs::create_directories(drive('D') / "VurkArx" / "\xED\x95\x9C\xEA\xB8\x80");
  vurk::InitLog(u"D:\\VurkArx\\\uD55C\uAE00");
  ASSERT_NE(vurk::CurrentLog(), nullptr);
  EXPECT_FALSE(vurk::CurrentLog()->enabled());
  vurk::Log(u"lost");
  EXPECT_TRUE(filesUnder(drive('D')).empty());
}

TEST_F(LogTest, MissingFolderLosesTheLineSilently) {
  drive('D');
  vurk::InitLog(u"D:\\NotThere");
  vurk::Log(u"lost");
  EXPECT_TRUE(filesUnder(drive('D')).empty());
  EXPECT_FALSE(vurk::AppendLogLine("D:\\NotThere\\DebugLog.txt", "%s", "x"));
}

TEST_F(LogTest, NothingIsWrittenBeforeStartUpOrAfterUnload) {
  fs::create_directories(drive('D') / "VurkArx");
  vurk::Log(u"before");
  vurk::InitLog(u"D:\\VurkArx");
  EXPECT_NE(vurk::RemoveLog(), nullptr);
  vurk::Log(u"after");
  EXPECT_TRUE(filesUnder(drive('D')).empty());
}

TEST_F(LogTest, AppendLogLineFormatsWithWindowsRules) {
  fs::create_directories(drive('C') / "logs");
  EXPECT_TRUE(vurk::AppendLogLine("C:\\logs\\x.txt", "%d tiles, key %I64d", 3, static_cast<long long>(6887986625948322180)));
  EXPECT_EQ(readHostFile(drive('C') / "logs" / "x.txt"), "[2022/03/01 07:05:09]  3 tiles, key 6887986625948322180\r\n");
}

}  // namespace
