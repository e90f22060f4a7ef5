#include <gtest/gtest.h>

#include <filesystem>

#include "plugin_session.h"
#include "shell/plugin_folder_check.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/user_script.h"

namespace {

using vurk::CheckPluginFolder;

TEST(CheckPluginFolder, DriveRootIsRefusedButAShortFolderIsNot) {
  vurktest::PluginSession s;
  s.desktop().files().addDrive(u'D');
  s.desktop().user().queueAnswer(IDOK);
  EXPECT_FALSE(CheckPluginFolder(u"D:\\"));
  ASSERT_EQ(s.desktop().user().boxes().size(), 1u);
  EXPECT_EQ(s.desktop().user().boxes()[0].text, u"不能选择根目录！请将插件移到其他目录！");
  std::filesystem::create_directories(s.host(u"D:\\a"));
  EXPECT_TRUE(CheckPluginFolder(u"D:\\a"));
  EXPECT_EQ(s.desktop().user().boxes().size(), 1u) << "four characters pass without a question";
}

TEST(CheckPluginFolder, LengthLimitIs190Characters) {
  vurktest::PluginSession s;
  const std::u16string base = u"C:\\p\\";
  const std::u16string ok = base + std::u16string(190 - base.size(), u'x');
  const std::u16string tooLong = ok + u"y";
  ASSERT_EQ(ok.size(), 190u);
  std::filesystem::create_directories(s.host(ok));
  EXPECT_TRUE(CheckPluginFolder(ok));
  s.desktop().user().queueAnswer(IDOK);
  EXPECT_FALSE(CheckPluginFolder(tooLong));
  EXPECT_EQ(s.desktop().user().boxes().back().text, u"插件所在的路径太长，请移到其他目录再加载。");
}

TEST(CheckPluginFolder, TheProbeFileIsWrittenBesideThePluginAndRemoved) {
  vurktest::PluginSession s;
  std::filesystem::create_directories(s.host(u"C:\\tools"));
  EXPECT_TRUE(CheckPluginFolder(u"C:\\tools"));
  EXPECT_FALSE(std::filesystem::exists(s.host(u"C:\\tools\\t__Arx.txt")));
  EXPECT_TRUE(std::filesystem::is_empty(s.host(u"C:\\tools"))) << "nothing is left behind";
}

TEST(CheckPluginFolder, FreeSpaceCountsWholeGibibytes) {
  vurktest::PluginSession s;
  std::filesystem::create_directories(s.host(u"C:\\tools"));
  const unsigned long long gib = 1ull << 30;
  s.desktop().files().setFreeSpace(u'C', 2 * gib + gib * 9 / 10);  // 2.9 GiB
  EXPECT_TRUE(CheckPluginFolder(u"C:\\tools"));
  EXPECT_TRUE(s.desktop().user().boxes().empty());

  s.desktop().files().setFreeSpace(u'C', 2 * gib - 1);  // 1.99.. GiB counts as 1 GiB
  s.desktop().user().queueAnswer(IDNO);
  EXPECT_TRUE(CheckPluginFolder(u"C:\\tools")) << "No: load anyway";
  s.desktop().user().queueAnswer(IDYES);
  EXPECT_FALSE(CheckPluginFolder(u"C:\\tools")) << "Yes: move the plug-in first";
  EXPECT_EQ(s.desktop().user().boxes().back().text, u"插件所在的磁盘空间不足，是否切换到其他目录再加载？");
  EXPECT_EQ(s.desktop().user().boxes().back().type & 0xF, static_cast<UINT>(MB_YESNO));
}

TEST(CheckPluginFolder, UnwritableFolderIsRefused) {
  vurktest::PluginSession s;
  std::filesystem::create_directories(s.host(u"C:\\locked"));
  s.desktop().files().setReadOnly(u"C:\\locked");
  s.desktop().user().queueAnswer(IDOK);
  EXPECT_FALSE(CheckPluginFolder(u"C:\\locked"));
  EXPECT_EQ(s.desktop().user().boxes().back().text, u"该目录没有读写权限！请将插件移到其他目录！");
}

}  // namespace
