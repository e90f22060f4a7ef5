#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "arx/acad_app.h"
#include "arx/acedads.h"
#include "arx/acgs.h"
#include "plugin_session.h"
#include "settings/settings_store.h"
#include "shell/plugin_module.h"
#include "shell/vurkarx_app.h"
#include "win32/desktop.h"
#include "win32/user_script.h"
#include "win32/winuser.h"

namespace {

short shortVar(const char16_t* name) {
  resbuf rb{};
  EXPECT_EQ(acedGetVar(name, &rb), RTNORM) << "reading a system variable";
  return rb.resval.rint;
}

TEST(EntryPoint, CodesAboveFifteenAreAnsweredAtOnce) {
  vurktest::PluginSession s(true);
  for (int code : {16, 17, 18, 100}) {
    EXPECT_EQ(acrxEntryPoint(static_cast<AcRx::AppMsgCode>(code), nullptr), AcRx::kRetOK) << code;
  }
  EXPECT_EQ(acrxEntryPoint(AcRx::kNullMsg, nullptr), AcRx::kRetOK);
  EXPECT_EQ(acrxEntryPoint(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK) << "no LISP functions to define";
  EXPECT_TRUE(s.desktop().user().boxes().empty());
  EXPECT_FALSE(s.acad().commandStack().hasGroup(u"VURK")) << "no message but kInitAppMsg starts anything";
}

TEST(StartUp, RegistersBothCommandsInTheirGroupAndUnloadRemovesThem) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("plugin load\nexpect plugin loaded"));
  const auto cmds = s.acad().commandStack().commands(u"VURK");
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(std::u16string(cmds[0]->globalName()), u"VURK");
  EXPECT_EQ(std::u16string(cmds[1]->globalName()), u"testConnect");
  EXPECT_EQ(cmds[1]->commandFlags(), ACRX_CMD_MODAL);
  EXPECT_EQ(cmds[1]->functionNumber(), -1);
  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_FALSE(s.acad().commandStack().hasGroup(u"VURK"));
  WNDCLASSW wc{};
  EXPECT_FALSE(GetClassInfoW(nullptr, vurk::kNotificationWindowClass, &wc)) << "the window class is gone too";
  EXPECT_EQ(vurk::CurrentSettings(), nullptr);
}

TEST(StartUp, RegistersTheNotificationWindowClassAsAGlobalDialogClass) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("plugin load"));
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(nullptr, vurk::kNotificationWindowClass, &wc));
  EXPECT_EQ(wc.style, CS_GLOBALCLASS);
  WNDCLASSW dialog{};
  ASSERT_TRUE(GetClassInfoW(nullptr, u"#32770", &dialog));
  EXPECT_EQ(wc.lpfnWndProc, dialog.lpfnWndProc) << "it is the dialog class under another name";
}

TEST(StartUp, OnlineBaseMapThatWasOnSwitchesTheViewModeAndUnloadRestoresIt) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("set sysvar ZOOMFACTOR 60\nplugin load"));
  vurk::CurrentSettings()->record().onlineBaseMapOn = 1;
  vurk::SaveSettings();
  ASSERT_TRUE(s.steps("plugin unload"));
  const int appliedBefore = s.acad().gsConfig().applyCount();
  ASSERT_TRUE(s.steps("plugin load"));
  EXPECT_EQ(shortVar(u"RTDISPLAY"), 0);
  EXPECT_FALSE(s.acad().gsConfig().adaptiveDegradation());
  EXPECT_EQ(s.acad().gsConfig().applyCount(), appliedBefore + 1);
  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_EQ(shortVar(u"RTDISPLAY"), 1);
  EXPECT_TRUE(s.acad().gsConfig().adaptiveDegradation());
  EXPECT_EQ(shortVar(u"ZOOMFACTOR"), 60);
}

TEST(Unload, DoubleClickEditingComesBackWhenThePluginHadTakenIt) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("plugin load"));
  vurk::CurrentSettings()->record().dblClickShowsProperties = 1;
  ASSERT_TRUE(s.steps("set sysvar DBLCLKEDIT 0\nplugin unload"));
  EXPECT_EQ(shortVar(u"DBLCLKEDIT"), 1);
}

TEST(Unload, ClearingTheCacheDeletesMapTempButNothingALinkPointsTo) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps(
      "mkdir D:\\outside\n"
      "write file D:\\outside\\keep.png x\n"
      "write file C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp\\123\\1\\18\\tile.png x\n"
      "link C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp\\l D:\\outside\n"
      "link C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp\\loop C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp\n"
      "plugin load"));
  vurk::CurrentSettings()->record().clearCacheOnExit = 1;
  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_FALSE(std::filesystem::exists(s.host(u"C:\\Users\\me\\AppData\\Local\\Temp\\MapTemp")));
  EXPECT_TRUE(std::filesystem::exists(s.host(u"D:\\outside\\keep.png")));
  EXPECT_TRUE(std::filesystem::exists(s.host(u"C:\\Users\\me\\AppData\\Local\\Temp"))) << "only MapTemp goes";
}

TEST(Unload, AnEmptyCacheFolderSettingNeverDeletesMapTempAtTheDriveRoot) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps(
      "write file C:\\MapTemp\\sentinel.txt mine\n"
      "write file C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini \"[TempPath]\\r\\nMapTemp=\\r\\n\"\n"
      "plugin load"));
  vurk::CurrentSettings()->record().clearCacheOnExit = 1;
  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_TRUE(std::filesystem::exists(s.host(u"C:\\MapTemp\\sentinel.txt")));
}

TEST(StartUp, AFailedFolderCheckCreatesNothing) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("set plugin-folder D:\\\nanswer ok\nplugin load\nexpect plugin unloaded"));
  EXPECT_FALSE(s.acad().commandStack().hasGroup(u"VURK"));
  EXPECT_FALSE(std::filesystem::exists(s.host(u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini")));
  EXPECT_FALSE(std::filesystem::exists(s.host(u"D:\\DebugLog.txt")));
  EXPECT_EQ(shortVar(u"ZOOMFACTOR"), 60) << "view variables untouched";
}

TEST(StartUp, TheLogRecordsTheStartWithATimestamp) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("plugin load"));
  std::ifstream f(s.host(u"C:\\Program Files\\VurkArx\\DebugLog.txt"), std::ios::binary);
  std::string line;
  std::getline(f, line);
  ASSERT_GE(line.size(), 23u);
  EXPECT_EQ(line[0], '[');
  EXPECT_EQ(line.substr(20, 3), "]  ");
  EXPECT_NE(line.find("VurkArx V1.7.4 started"), std::string::npos);
  EXPECT_EQ(line.back(), '\r') << "the log is a Windows text file";
}

}  // namespace
