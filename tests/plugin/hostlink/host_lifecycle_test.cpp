// The host steps of the plug-in's start-up and unload, with the whole plug-in loaded by the
// desk session and a recording host on its desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostlink/host_link_record.h"
#include "plugin/shell/plugin_session.h"
#include "recording_host.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"

namespace {

using vurktest::Golden;
using vurktest::RecordingHost;

constexpr const char16_t* kHostKey = u"HKEY_CURRENT_USER\\Software\\Tessan Software\\vurk\\MainFrm";

std::string commandLine(vurktest::PluginSession& s) {
  return win32::utf16ToUtf8(s.desktop().transcript().commandLineText());
}

TEST(HostAtStartUp, ARunningReadyHostIsRegisteredUnderTheWindowClassAndGetsTheButton) {
  vurktest::PluginSession s;
  s.desktop().registry().setDword(kHostKey, u"LastVersion", 888);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  ASSERT_TRUE(s.steps("plugin load\nexpect plugin loaded"));
  ASSERT_EQ(host.codes(), (std::vector<std::uint16_t>{20000, 20006, 20501, 20401}));
  EXPECT_EQ(host.requests[0].payload,
            Golden(118, {{96, "56 00 75 00 72 00 6b 00 41 00 72 00 78 00 57 00 69 00 6e 00"}}))
      << "registered as \"VurkArxWin\"";
  EXPECT_EQ(host.last(20401).payload,
            Golden(320, {{0, "65 00"},
                         {20, "01 00 00 00"},
                         {24, "e5 8f 91 e9 80 81 e6 89 80 e9 80 89 e5 af b9 e8 b1 a1 e5 88 b0 43 41 44"}}));
  EXPECT_TRUE(s.desktop().user().boxes().empty());
}

TEST(HostAtStartUp, WithoutAnInstalledHostTheUserIsToldAndTheButtonRequestFailsOnTheCommandLine) {
  vurktest::PluginSession s;
  s.desktop().user().queueAnswer(IDOK);
  ASSERT_TRUE(s.steps("plugin load\nexpect plugin loaded\nexpect command VURK"));
  ASSERT_EQ(s.desktop().user().boxes().size(), 1u);
  EXPECT_EQ(s.desktop().user().boxes()[0].text, u"您尚未安装星衡地图，请到官网下载！");
  ASSERT_EQ(s.desktop().shell().launches().size(), 1u);
  EXPECT_EQ(s.desktop().shell().launches()[0].file, u"https://vurk.example.com/download");
  EXPECT_NE(commandLine(s).find("SetVurkButtonErr:\n没有找到星衡地图程序窗口"), std::string::npos) << commandLine(s);
}

TEST(HostAtStartUp, AnInstalledHostThatIsNotRunningGetsNoButtonRequest) {
  vurktest::PluginSession s;
  s.desktop().registry().setDword(kHostKey, u"LastVersion", 900);  // no program path: nothing to offer
  ASSERT_TRUE(s.steps("plugin load\nexpect plugin loaded"));
  EXPECT_TRUE(s.desktop().user().boxes().empty());
  EXPECT_EQ(commandLine(s).find("SetVurkButtonErr"), std::string::npos);
  RecordingHost host;  // the host starts later
  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_EQ(host.codes(), (std::vector<std::uint16_t>{20000, 20006, 20013, 20401}))
      << "at unload the plug-in registers for the first time";
}

TEST(HostAtUnload, FollowingStopsFirstAndTheButtonIsRemovedLast) {
  vurktest::PluginSession s;
  s.desktop().registry().setDword(kHostKey, u"LastVersion", 888);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  ASSERT_TRUE(s.steps("plugin load"));
  host.requests.clear();
  ASSERT_TRUE(s.steps("plugin unload\nexpect plugin unloaded"));
  ASSERT_EQ(host.codes(), (std::vector<std::uint16_t>{20013, 20401}));
  EXPECT_EQ(host.requests[0].payload, vurktest::Hex("01 00 00 00")) << "stop reporting";
  EXPECT_EQ(host.requests[1].payload, Golden(320, {{0, "65 00"}})) << "state 0, no label";
  EXPECT_EQ(vurk::CurrentHostLink(), nullptr) << "nothing of the link is left";
}

TEST(HostAtUnload, AHostThatIsGoneDoesNotStopTheUnload) {
  vurktest::PluginSession s;
  s.desktop().registry().setDword(kHostKey, u"LastVersion", 888);
  {
    RecordingHost host;
    host.defaults[20501] = 0x105;
    ASSERT_TRUE(s.steps("plugin load"));
  }
  ASSERT_TRUE(s.steps("plugin unload\nexpect plugin unloaded\nexpect no-command-group VURK"));
  EXPECT_TRUE(s.desktop().user().boxes().empty()) << "the unload requests report nothing";
}

}  // namespace
