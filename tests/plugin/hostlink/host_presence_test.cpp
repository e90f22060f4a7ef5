// Whether the host is installed, recent enough, running and ready; the offer to start it; the
// once-per-run warnings and the hint dialog's answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host_link_fixture.h"
#include "hostlink/hint_dialog.h"
#include "hostlink/host_presence.h"
#include "hostlink/request_head.h"
#include "recording_host.h"
#include "win32/window_manager.h"
#include "win32/winreg.h"

namespace {

using mfc::DialogAction;
using vurktest::RecordingHost;

constexpr UINT kCheck = 8351;
const std::string kDownload = "https://vurk.example.com/download";

class HostPresence : public vurktest::HostLinkFixture {
 protected:
  // The settings as a fresh load finds them in the file: what was saved.
  vurk::SettingsRecord saved() {
    vurk::SettingsStore fresh;
    fresh.load(u"C:\\Program Files\\VurkArx");
    return fresh.record();
  }
  const mfc::DialogRecord& lastDialog() { return dialogs().dialogs().back(); }
};

TEST_F(HostPresence, NotInstalledAndNotRunningSendsTheUserToTheDownloadPage) {
  user().queueAnswer(IDOK);
  EXPECT_EQ(vurk::EnsureHostRunning(), -1);
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"您尚未安装星衡地图，请到官网下载！"}));
  EXPECT_EQ(opened(), (std::vector<std::string>{kDownload}));
  EXPECT_TRUE(dialogs().dialogs().empty());
  EXPECT_EQ(desktop().registry().openHandleCount(), 0u);
}

TEST_F(HostPresence, InstalledButTooOldIsRefusedAtStartUp) {
  installHost(887);
  user().queueAnswer(IDOK);
  EXPECT_EQ(vurk::EnsureHostRunning(), -1);
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"您安装星衡地图版本太低，请到官网下载！"}));
  EXPECT_EQ(opened(), (std::vector<std::string>{kDownload}));
  EXPECT_EQ(desktop().registry().openHandleCount(), 0u) << "the key is closed on every path";
}

TEST_F(HostPresence, AVersionStoredAsAStringCountsAsTooOld) {
  desktop().registry().setString(kHostKeyPath, u"LastVersion", u"888");
  desktop().registry().setString(kHostKeyPath, u"LastRunPath", u"C:\\vurk\\vurk.exe");
  user().queueAnswer(IDOK);
  EXPECT_EQ(vurk::EnsureHostRunning(), -1);
  EXPECT_EQ(vurk::CurrentHostLink()->presence().cachedHostVersion, 0);
  // A REG_SZ "8" is exactly 4 bytes ("8" and its NUL): still not a version.
  desktop().registry().setString(kHostKeyPath, u"LastVersion", u"8");
  user().queueAnswer(IDOK);
  EXPECT_EQ(vurk::EnsureHostRunning(), -1);
  EXPECT_EQ(vurk::CurrentHostLink()->presence().cachedHostVersion, 0);
}

TEST_F(HostPresence, InstalledNotRunningOffersToStartTheHostAndYesLaunchesIt) {
  installHost(888, u"C:\\Program Files\\vurk\\vurk.exe");
  answerHint({DialogAction::click(IDOK)});
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  ASSERT_EQ(dialogs().dialogs().size(), 1u);
  EXPECT_EQ(lastDialog().caption, u"提示");
  EXPECT_EQ(lastDialog().texts, (std::vector<std::u16string>{u"是否打开星衡程序？"}));
  EXPECT_EQ(lastDialog().controlTexts.at(kCheck), u"不再提示");
  EXPECT_EQ(lastDialog().controlTexts.at(IDOK), u"是");
  EXPECT_EQ(lastDialog().controlTexts.at(IDCANCEL), u"否");
  EXPECT_TRUE(lastDialog().answered);
  ASSERT_EQ(desktop().shell().launches().size(), 1u);
  const auto& launch = desktop().shell().launches()[0];
  EXPECT_EQ(launch.file, u"C:\\Program Files\\vurk\\vurk.exe");
  EXPECT_EQ(launch.verb, u"open");
  EXPECT_EQ(launch.show, SW_SHOW);
  EXPECT_TRUE(boxTexts().empty());
}

TEST_F(HostPresence, NoWithTheBoxTickedStopsTheOfferForGood) {
  installHost(900);
  answerHint({DialogAction::check(kCheck, true), DialogAction::click(IDCANCEL)});
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_TRUE(desktop().shell().launches().empty());
  EXPECT_EQ(settings().noOpenHostPrompt, 1);
  EXPECT_EQ(saved().noOpenHostPrompt, 1) << "saved at once";
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_EQ(dialogs().dialogs().size(), 1u) << "not offered again";
}

TEST_F(HostPresence, YesIgnoresTheCheckBox) {
  installHost(900);
  answerHint({DialogAction::check(kCheck, true), DialogAction::click(IDOK)});
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_EQ(settings().noOpenHostPrompt, 0);
  EXPECT_EQ(desktop().shell().launches().size(), 1u);
}

TEST_F(HostPresence, NoWithoutTheTickAsksAgainNextTime) {
  installHost(900);
  answerHint({DialogAction::click(IDCANCEL)});
  answerHint({DialogAction::click(IDCANCEL)});
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_EQ(dialogs().dialogs().size(), 2u);
  EXPECT_EQ(settings().noOpenHostPrompt, 0);
}

TEST_F(HostPresence, WithoutAProgramPathNothingIsOffered) {
  installHost(888, u"");
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_TRUE(dialogs().dialogs().empty()) << "the offer to open the host is not shown";
  desktop().registry().setString(kHostKeyPath, u"LastRunPath", u"");
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_TRUE(dialogs().dialogs().empty()) << "nor for an empty path";
  EXPECT_EQ(dialogs().unansweredDialogs(), 0);
}

TEST_F(HostPresence, APathOfTwoHundredFiftyNineCharactersWithoutTerminatorIsReadWhole) {
  installHost(888, u"");
  const std::u16string path = u"C:\\" + std::u16string(252, u'p') + u".exe";  // 259 characters
  std::vector<BYTE> bytes;
  for (char16_t c : path) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  ASSERT_EQ(bytes.size(), 518u);
  desktop().registry().setValue(kHostKeyPath, u"LastRunPath", REG_SZ, bytes);
  answerHint({DialogAction::click(IDOK)});
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  ASSERT_EQ(desktop().shell().launches().size(), 1u);
  EXPECT_EQ(desktop().shell().launches()[0].file, path);
}

TEST_F(HostPresence, APathTooLongForTheBufferIsNotOffered) {
  installHost(888, u"");
  // 260 characters without a terminator: no room for one.
  std::vector<BYTE> bytes(520, 'q');
  for (std::size_t i = 1; i < bytes.size(); i += 2) bytes[i] = 0;
  desktop().registry().setValue(kHostKeyPath, u"LastRunPath", REG_SZ, bytes);
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  // 300 characters: more than the buffer holds.
  desktop().registry().setString(kHostKeyPath, u"LastRunPath", std::u16string(300, u'r'));
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
  EXPECT_TRUE(dialogs().dialogs().empty());
}

TEST_F(HostPresence, RunningAndReadyIsOne) {
  installHost(888);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  EXPECT_EQ(vurk::EnsureHostRunning(), 1);
  EXPECT_TRUE(boxTexts().empty());
  EXPECT_EQ(host.count(20501), 1u);
}

TEST_F(HostPresence, ABusyHostIsReportedAndNotReady) {
  installHost(888);
  RecordingHost host;
  host.defaults[20501] = 0x005;
  user().queueAnswer(IDOK);
  EXPECT_FALSE(vurk::CheckHostReady());
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"星衡正在处理事务，本消息处理失败！"}));
  user().queueAnswer(IDOK);
  EXPECT_EQ(vurk::EnsureHostRunning(), 0);
}

TEST_F(HostPresence, AFailedStatusQueryIsShownInABoxWithItsPrefix) {
  installHost(888);
  RecordingHost host;
  host.queue(20501, -6);
  user().queueAnswer(IDOK);
  EXPECT_FALSE(vurk::CheckHostReady());
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"GetStatusInfoErr:消息处理失败"}));
  host.queue(20501, 0);
  EXPECT_FALSE(vurk::CheckHostReady()) << "0 is a failure too";
  EXPECT_EQ(boxTexts().size(), 1u) << "with nothing to show";
}

TEST_F(HostPresence, AHostThatIsNotOpenIsReported) {
  installHost(888);
  user().queueAnswer(IDOK);
  EXPECT_FALSE(vurk::CheckHostReady());
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"您尚未打开星衡互动地图，无法使用插件功能！"}));
}

TEST_F(HostPresence, ARunningHostWithoutInstallationRecordFailsSilently) {
  RecordingHost host;
  host.defaults[20501] = 0x105;
  EXPECT_FALSE(vurk::CheckHostReady());
  EXPECT_TRUE(boxTexts().empty());
  EXPECT_EQ(host.count(20501), 0u);
}

TEST_F(HostPresence, AHostOlderThanSevenSeventyTwoIsRefusedEveryTime) {
  installHost(700);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  for (int i = 0; i < 2; ++i) {
    user().queueAnswer(IDOK);
    EXPECT_FALSE(vurk::CheckHostReady());
  }
  EXPECT_EQ(boxTexts(), (std::vector<std::string>(2, "您安装星衡地图版本太低，请到官网下载！")));
  EXPECT_EQ(opened(), (std::vector<std::string>(2, kDownload)));
  EXPECT_EQ(host.count(20501), 0u);
}

TEST_F(HostPresence, AHostOfVersionEightHundredIsWarnedOnceAndNoContinues) {
  installHost(800);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  answerHint({DialogAction::click(IDCANCEL)});
  EXPECT_TRUE(vurk::CheckHostReady());
  ASSERT_EQ(dialogs().dialogs().size(), 1u);
  EXPECT_EQ(lastDialog().caption, u"更新提示");
  EXPECT_EQ(lastDialog().texts, (std::vector<std::u16string>{u"您安装的星衡版本太低，请到官网重新下载！"}));
  EXPECT_EQ(settings().hostTooOldPromptVersion, 888u);
  EXPECT_EQ(saved().promptHostTooOld, 1);
  EXPECT_TRUE(vurk::CheckHostReady());
  EXPECT_EQ(dialogs().dialogs().size(), 1u) << "once per run";
  EXPECT_EQ(host.count(20501), 2u);
}

TEST_F(HostPresence, YesToTheOldHostWarningOpensTheDownloadPageAndStops) {
  installHost(800);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  answerHint({DialogAction::click(IDOK)});
  EXPECT_FALSE(vurk::CheckHostReady());
  EXPECT_EQ(opened(), (std::vector<std::string>{kDownload}));
  EXPECT_EQ(host.count(20501), 0u);
  EXPECT_TRUE(vurk::CheckHostReady()) << "the warning is not repeated in this run";
}

TEST_F(HostPresence, TheOldHostWarningTickedOffStaysOffInLaterRuns) {
  installHost(800);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  answerHint({DialogAction::check(kCheck, true), DialogAction::click(IDCANCEL)});
  EXPECT_TRUE(vurk::CheckHostReady());
  EXPECT_EQ(saved().promptHostTooOld, 0);
  EXPECT_EQ(saved().hostTooOldPromptVersion, 888u);
  vurk::StartHostLink(u"VurkArxWin");  // the next run
  EXPECT_TRUE(vurk::CheckHostReady());
  EXPECT_EQ(dialogs().dialogs().size(), 1u) << "the flag is off and the prompt version is 888 already";
}

TEST_F(HostPresence, AskWithHintWithTheFlagClearAsksNothing) {
  std::uint8_t flag = 0;
  EXPECT_TRUE(vurk::AskWithHint(flag, u"?", u"https://vurk.example.com/x"));
  EXPECT_TRUE(dialogs().dialogs().empty());
}

TEST_F(HostPresence, AHintThatNobodyAnswersIsAnErrorAndCountsAsNo) {
  std::uint8_t flag = 1;
  EXPECT_TRUE(vurk::AskWithHint(flag, u"?", u"https://vurk.example.com/x"));
  EXPECT_EQ(dialogs().unansweredDialogs(), 1);
  EXPECT_EQ(flag, 1) << "nobody ticked the box";
  EXPECT_TRUE(desktop().shell().launches().empty());
}

TEST_F(HostPresence, BringHostToFrontRestoresAMinimisedHost) {
  RecordingHost host;
  ShowWindow(host.window(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(host.window()));
  vurk::BringHostToFront();
  EXPECT_FALSE(IsIconic(host.window()));
  EXPECT_EQ(FindWindowExW(nullptr, nullptr, nullptr, nullptr), host.window()) << "at the top";
}

class UpdatePrompt : public HostPresence {};

TEST_F(UpdatePrompt, ShowsTheNewVersionAndTheNotesOncePerRun) {
  answerHint({DialogAction::click(IDCANCEL)});
  EXPECT_TRUE(vurk::ShowUpdatePrompt(u"修复了若干问题", 175));
  ASSERT_EQ(dialogs().dialogs().size(), 1u);
  EXPECT_EQ(lastDialog().caption, u"更新提示");
  EXPECT_EQ(lastDialog().texts,
            (std::vector<std::u16string>{u"系统发现插件有更新(v1.7.5)，请到官网下载！\r\n更新内容：\r\n修复了若干问题"}));
  EXPECT_EQ(lastDialog().controlTexts.at(kCheck), u"不再提示(不更新)");
  EXPECT_EQ(saved().lastAnnouncedPluginVersion, 175u);
  EXPECT_EQ(saved().promptPluginUpdate, 1);
  EXPECT_TRUE(vurk::ShowUpdatePrompt(u"", 176));
  EXPECT_EQ(dialogs().dialogs().size(), 1u) << "once per run";
}

TEST_F(UpdatePrompt, WithoutNotesTheTextIsTheVersionLineAlone) {
  answerHint({DialogAction::click(IDOK)});
  EXPECT_FALSE(vurk::ShowUpdatePrompt(u"", 209)) << "yes: the user went to the update page";
  EXPECT_EQ(lastDialog().texts[0], u"系统发现插件有更新(v2.0.9)，请到官网下载！");
  EXPECT_EQ(opened(), (std::vector<std::string>{"https://vurk.example.com/update"}));
}

TEST_F(UpdatePrompt, TickedOffItStaysOffUntilANewerVersionIsAnnounced) {
  answerHint({DialogAction::check(kCheck, true), DialogAction::click(IDCANCEL)});
  EXPECT_TRUE(vurk::ShowUpdatePrompt(u"", 175));
  EXPECT_EQ(saved().promptPluginUpdate, 0);
  vurk::StartHostLink(u"VurkArxWin");  // next run, same version announced
  EXPECT_TRUE(vurk::ShowUpdatePrompt(u"", 175));
  EXPECT_EQ(dialogs().dialogs().size(), 1u);
  vurk::StartHostLink(u"VurkArxWin");  // next run, a newer one
  answerHint({DialogAction::click(IDCANCEL)});
  EXPECT_TRUE(vurk::ShowUpdatePrompt(u"", 176));
  EXPECT_EQ(dialogs().dialogs().size(), 2u);
  EXPECT_EQ(saved().lastAnnouncedPluginVersion, 176u);
}

TEST_F(UpdatePrompt, ANewlyAnnouncedVersionRewritesTheDemandLoadEntry) {
  const std::u16string appKey =
      u"HKEY_CURRENT_USER\\Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\VurkArx";
  settings().autoLoadPlugin = 0;
  desktop().registry().setString(appKey, u"LOADER", u"C:\\old\\VurkArx.arx");
  answerHint({DialogAction::click(IDCANCEL)});
  vurk::ShowUpdatePrompt(u"", 175);
  EXPECT_FALSE(desktop().registry().keyExists(appKey)) << "removed, and not written again without auto-load";

  vurk::StartHostLink(u"VurkArxWin");
  settings().autoLoadPlugin = 1;
  answerHint({DialogAction::click(IDCANCEL)});
  vurk::ShowUpdatePrompt(u"", 176);
  const auto loader = desktop().registry().value(appKey, u"LOADER");
  ASSERT_TRUE(loader) << "written again for this module";
  EXPECT_NE(win32::utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(loader->data.data()),
                                              loader->data.size() / 2)).find("C:\\Program Files\\VurkArx\\VurkArx.arx"),
            std::string::npos);

  desktop().registry().removeKey(appKey);
  vurk::StartHostLink(u"VurkArxWin");
  answerHint({DialogAction::click(IDCANCEL)});
  vurk::ShowUpdatePrompt(u"", 176);
  EXPECT_FALSE(desktop().registry().keyExists(appKey)) << "an announced version leaves the entries alone";
}

TEST(RequestPayload, ASizeAMessageCannotCarryIsNotAllocated) {
  EXPECT_FALSE(vurk::RequestPayload(0x80000000ull).ok());
  EXPECT_FALSE(vurk::RequestPayload(0).ok());
  vurk::RequestPayload p(16);
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p.bytes().size(), 16u);
  EXPECT_TRUE(std::all_of(p.bytes().begin(), p.bytes().end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(PluginVersionDigits, HundredsTensAndUnits) {
  EXPECT_EQ(vurk::PluginVersionDigits(174), u"v1.7.4");
  EXPECT_EQ(vurk::PluginVersionDigits(1000), u"v10.0.0");
  EXPECT_EQ(vurk::PluginVersionDigits(7), u"v0.0.7");
}

}  // namespace
