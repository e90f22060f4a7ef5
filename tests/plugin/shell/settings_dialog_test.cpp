// The settings dialog as the user fills it: what it shows, what OK stores and puts into effect,
// the questions of "点显示为图标", the reset, and the cache folder with the folder picker.
#include <gtest/gtest.h>

#include <filesystem>

#include "arx/acedads.h"
#include "host/host_app.h"
#include "mfc/dialog_script.h"
#include "plugin_session.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "shell/settings_dialog.h"
#include "win32/fileapi.h"
#include "win32/user_script.h"
#include "win32/winreg.h"

namespace {

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() {
    vurk::Features() = vurk::FeatureHandOffs{};
    s.steps("plugin load");
  }
  ~SettingsDialogTest() override { vurk::Features() = vurk::FeatureHandOffs{}; }

  vurk::SettingsRecord& settings() { return vurk::CurrentSettings()->record(); }
  const std::vector<win32::MessageBoxRecord>& boxes() { return s.desktop().user().boxes(); }
  const mfc::DialogRecord& lastDialog() { return s.acad().mfcState().dialogScript().dialogs().back(); }
  // Runs the dialog through its toolbar button with the given user lines ("check 8181", ...).
  bool settingsDialog(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += "dialog \"设置\" " + l + "\n";
    return s.steps(text + "toolbar press 32773");
  }
  std::u16string cache() { return vurk::CurrentSettings()->cacheBaseFolder(); }

  vurktest::PluginSession s{true};
};

TEST_F(SettingsDialogTest, TheMaximumLevelOutsideSixteenToTwentyEightKeepsTheDialogOpen) {
  s.desktop().user().queueAnswer(IDOK);
  s.desktop().user().queueAnswer(IDOK);
  ASSERT_TRUE(settingsDialog({"type 8330 15", "click 1", "type 8330 29", "click 1", "type 8330 28", "click 1"}));
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text, u"底图最大级别请设置在16-28之间！");
  EXPECT_EQ(settings().maxBaseMapLevel, 28u);
  ASSERT_TRUE(settingsDialog({"type 8330 16", "click 1"}));
  EXPECT_EQ(settings().maxBaseMapLevel, 16u);
  EXPECT_EQ(boxes().size(), 2u);
  ASSERT_TRUE(s.steps("expect setting maxBaseMapLevel 16"));
}

TEST_F(SettingsDialogTest, AnUnknownLabelHeightOpensAsSixtyMetresAndIsStoredSoOnOk) {
  settings().labelTextHeight = 0;
  ASSERT_TRUE(settingsDialog({"click 1"}));
  EXPECT_EQ(lastDialog().controlTexts.at(8127), u"60米(16级)");
  EXPECT_EQ(settings().labelTextHeight, 60u);
  settings().labelTextHeight = 8;
  ASSERT_TRUE(settingsDialog({"click 2"}));
  EXPECT_EQ(lastDialog().controlTexts.at(8127), u"8米(19级)");
}

TEST_F(SettingsDialogTest, TheIconThresholdIsRoundedToTheNearestHundredWhenTheDialogOpens) {
  settings().iconCountThreshold = 1049;
  ASSERT_TRUE(settingsDialog({"click 2"}));
  EXPECT_EQ(settings().iconCountThreshold, 1000u) << "kept after Cancel";
  settings().iconCountThreshold = 1050;
  ASSERT_TRUE(settingsDialog({"click 2"}));
  EXPECT_EQ(settings().iconCountThreshold, 1100u);
}

TEST_F(SettingsDialogTest, OkStoresTheBoxesAndPutsTheFollowModeAndDoubleClickIntoEffect) {
  settings().dblClickShowsProperties = 1;
  ASSERT_TRUE(s.steps("set sysvar DBLCLKEDIT 0"));
  ASSERT_TRUE(settingsDialog({"choose 8135 CAD随星衡", "uncheck 8358", "check 8181", "check 8359", "check 8332",
                              "uncheck 8355", "click 1"}));
  EXPECT_EQ(settings().viewFollowMode, 2u);
  EXPECT_TRUE(s.hostApp()->following());
  EXPECT_EQ(s.hostApp()->followInterval(), 1000u);
  EXPECT_EQ(settings().noZoneNumberCheck, 1) << "the box is the inverse of the field";
  EXPECT_EQ(settings().autoSyncObjects, 1);
  EXPECT_EQ(settings().clearCacheOnExit, 1);
  EXPECT_EQ(settings().byLayerColourFromHost, 1u);
  EXPECT_EQ(settings().dblClickShowsProperties, 0);
  ASSERT_TRUE(s.steps("expect sysvar DBLCLKEDIT 1\nexpect setting viewFollowMode 2\nexpect setting noZoneNumberCheck 1"));

  ASSERT_TRUE(settingsDialog({"choose 8135 星衡随CAD", "click 1"}));
  EXPECT_EQ(settings().viewFollowMode, 1u);
  EXPECT_FALSE(s.hostApp()->following()) << "the value 1 stops the host's reports";
}

TEST_F(SettingsDialogTest, AutoLoadingWritesAndRemovesTheDemandLoadEntry) {
  const std::u16string key = u"Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\VurkArx";
  auto exists = [&] {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  };
  ASSERT_TRUE(settingsDialog({"check 8357", "click 1"}));
  EXPECT_TRUE(exists());
  ASSERT_TRUE(settingsDialog({"uncheck 8357", "click 1"}));
  EXPECT_FALSE(exists());
}

TEST_F(SettingsDialogTest, PointsAsIconsNeedsTwoYesAnswers) {
  ASSERT_TRUE(s.steps("answer yes\nanswer yes"));
  ASSERT_TRUE(settingsDialog({"check 8191", "click 1"}));
  EXPECT_EQ(settings().pointsAsIcons, 1);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text, u"图标数量超过1000个以上时，可能会出现卡顿！\n是否进行加载？");
  EXPECT_EQ(boxes()[1].text, u"当未加载插件时，对标签进行移动操作可能导致失败！\n是否进行加载？");
  EXPECT_EQ(boxes()[1].type, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));

  ASSERT_TRUE(s.steps("answer no"));
  ASSERT_TRUE(settingsDialog({"uncheck 8191", "check 8191", "click 1"}));
  EXPECT_EQ(settings().pointsAsIcons, 0) << "the first No unticks it";
  EXPECT_EQ(boxes().size(), 3u) << "the second question is not asked";
  ASSERT_TRUE(s.steps("answer yes\nanswer no"));
  ASSERT_TRUE(settingsDialog({"check 8191", "click 1"}));
  EXPECT_EQ(settings().pointsAsIcons, 0);
}

TEST_F(SettingsDialogTest, ResetWithCancelChangesNothingWithOkRestoresTheDefaultsWithoutOkProcessing) {
  settings().autoSyncObjects = 1;
  settings().labelTextHeight = 240;
  settings().viewFollowMode = 3;
  settings().noOpenHostPrompt = 1;
  const vurk::SettingsBytes before = settings().encode();
  ASSERT_TRUE(s.steps("answer cancel"));
  ASSERT_TRUE(settingsDialog({"click 8198", "click 2"}));
  EXPECT_EQ(boxes().back().text, u"确定重置配置吗？");
  EXPECT_EQ(settings().encode(), before);

  const std::size_t hostEntries = s.hostApp()->record().requests().size();
  ASSERT_TRUE(s.steps("answer ok"));
  ASSERT_TRUE(settingsDialog({"check 8181", "click 8198"}));
  EXPECT_EQ(lastDialog().result, IDOK);
  EXPECT_EQ(settings().autoSyncObjects, 0);
  EXPECT_EQ(settings().labelTextHeight, 60u);
  EXPECT_EQ(settings().viewFollowMode, 0u);
  EXPECT_EQ(settings().noOpenHostPrompt, 0);
  EXPECT_EQ(settings().maxBaseMapLevel, 20u);
  EXPECT_EQ(settings().promptPluginUpdate, 1);
  EXPECT_EQ(s.hostApp()->record().requests().size(), hostEntries) << "no follow request";
  ASSERT_TRUE(s.steps("expect setting labelTextHeight 60"));
}

TEST_F(SettingsDialogTest, ANewCacheFolderIsChosenWithThePickerAndTheOldTileCacheGoes) {
  ASSERT_TRUE(s.steps("mkdir D:\\caches\\new\nmkdir " + std::string("C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp\\x")));
  int restarts = 0;
  vurk::Features().startOnlineMap = [&] { ++restarts; };
  // A folder that does not exist keeps the picker open; the next one is taken.
  ASSERT_TRUE(s.steps("browse type D:\\nowhere\nbrowse ok\nbrowse type D:\\caches\\new\nbrowse ok"));
  ASSERT_TRUE(settingsDialog({"click 8141", "click 1"}));
  EXPECT_EQ(cache(), u"D:\\caches\\new");
  EXPECT_EQ(restarts, 1);
  EXPECT_FALSE(std::filesystem::exists(s.host(u"C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp")));
  ASSERT_TRUE(s.steps("expect file C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini contains D:\\caches\\new"));
  ASSERT_TRUE(s.steps("expect dialog-line [浏览文件夹] 选择要打开的地图临时路径 -> C:"));
}

TEST_F(SettingsDialogTest, ATypedRelativeFolderIsTakenFromTheWorkingDirectory) {
  ASSERT_TRUE(s.steps("mkdir D:\\a\\maps"));
  ASSERT_TRUE(SetCurrentDirectoryW(u"D:\\a"));
  ASSERT_TRUE(s.steps("browse type maps\nbrowse ok"));
  ASSERT_TRUE(settingsDialog({"click 8141", "click 1"}));
  EXPECT_EQ(cache(), u"D:\\a\\maps");
}

TEST_F(SettingsDialogTest, CancellingThePickerOrARefusedFolderLeavesTheFolder) {
  const std::u16string before = cache();
  ASSERT_TRUE(s.steps("browse cancel"));
  ASSERT_TRUE(settingsDialog({"click 8141", "click 1"}));
  EXPECT_EQ(cache(), before);
  // A drive root is refused by the folder check.
  ASSERT_TRUE(s.steps("mkdir D:\\x\nbrowse type D:\\\nbrowse ok\nanswer ok"));
  ASSERT_TRUE(settingsDialog({"click 8141", "click 1"}));
  EXPECT_EQ(boxes().back().text, u"不能选择根目录！请将插件移到其他目录！");
  EXPECT_EQ(cache(), before);
}

// The live cache is never deleted because a folder was spelled differently or lies inside it.
TEST_F(SettingsDialogTest, TheSameFolderSpelledDifferentlyOrAFolderInsideTheCacheDeletesNothing) {
  ASSERT_TRUE(s.steps("mkdir D:\\x\\MapTemp\\y\\tiles"));
  vurk::CurrentSettings()->setCacheBaseFolder(u"D:\\x");
  vurk::SwitchCacheFolder(u"D:\\x\\");
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y\\tiles")));
  EXPECT_EQ(cache(), u"D:\\x\\") << "the new spelling is stored";
  vurk::SwitchCacheFolder(u"d:\\X");
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y\\tiles")));
  // A link to the folder is the folder.
  ASSERT_TRUE(s.steps("link D:\\links\\cache D:\\x"));
  vurk::SwitchCacheFolder(u"D:\\links\\cache");
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y\\tiles")));
  EXPECT_EQ(cache(), u"D:\\links\\cache");
  vurk::SwitchCacheFolder(u"D:\\links\\cache\\MapTemp\\y");
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y\\tiles"))) << "inside the cache, through the link";
  vurk::SwitchCacheFolder(u"D:\\x");
  vurk::SwitchCacheFolder(u"D:\\x\\MapTemp\\y");
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y\\tiles"))) << "the new folder lies in the old cache";
  EXPECT_EQ(cache(), u"D:\\x\\MapTemp\\y");
  // A folder elsewhere: the old cache goes.
  ASSERT_TRUE(s.steps("mkdir D:\\x\\MapTemp\\y\\MapTemp\\old\nmkdir D:\\z"));
  vurk::SwitchCacheFolder(u"D:\\z");
  EXPECT_FALSE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y\\MapTemp")));
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\x\\MapTemp\\y")));
}

}  // namespace
