// The notification window: its creation, the toolbar gate, the guard of every host message one
// byte short, the answers kept for the requests that read them, re-entrant answers during a
// request, and its own timers.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "host_link_fixture.h"
#include "exchange/folder_tree.h"
#include "hostlink/notification_window.h"
#include "hostlink/request_catalogue.h"
#include "recording_host.h"
#include "win32/window_manager.h"

namespace {

using mfc::DialogAction;
using vurktest::Golden;
using vurktest::Hex;
using vurktest::RecordingHost;

class NotificationWindow : public vurktest::HostLinkFixture {
 protected:
  NotificationWindow() {
    WNDCLASSW wc{};
    GetClassInfoW(nullptr, u"#32770", &wc);
    wc.style = CS_GLOBALCLASS;
    wc.lpszClassName = u"VurkArxWin";
    AfxRegisterClass(&wc);
    window = vurk::CreateNotificationWindow(nullptr);
    routes().baseMapStateExists = [this] { return baseMap; };
    routes().toolbarVisible = [this] { return toolbarVisible; };
    routes().awaitingBaseline = [this] { return awaiting; };
    routes().clearAwaitingBaseline = [this] { awaiting = false; };
    routes().drawingOpen = [] { return true; };
  }
  ~NotificationWindow() override { vurk::DestroyNotificationWindow(); }

  vurk::NotificationRoutes& routes() { return vurk::Routes(); }
  vurk::HostAnswers& answers() { return vurk::Answers(); }
  vurk::NotificationFlags& flags() { return vurk::Flags(); }
  LRESULT deliver(std::uint16_t code, const std::vector<std::uint8_t>& bytes) {
    COPYDATASTRUCT cds{code, static_cast<DWORD>(bytes.size()),
                       bytes.empty() ? nullptr : const_cast<std::uint8_t*>(bytes.data())};
    return SendMessageW(FindWindowW(u"VurkArxWin", nullptr), WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds));
  }

  vurk::CMessageDlg* window = nullptr;
  bool baseMap = true;
  bool toolbarVisible = true;
  bool awaiting = false;
};

TEST_F(NotificationWindow, IsAHiddenWindowOfClassVurkArxWinWithItsTimersAndFilters) {
  ASSERT_NE(window, nullptr);
  const HWND found = FindWindowW(u"VurkArxWin", nullptr);
  EXPECT_EQ(found, window->m_hWnd);
  EXPECT_FALSE(IsWindowVisible(found));
  EXPECT_EQ(window->GetWindowTextString(), u"DialogMODELESS");
  auto& wm = desktop().windows();
  for (UINT_PTR id : {5000, 1003, 1007, 1009}) EXPECT_TRUE(wm.hasTimer(found, id)) << id;
  std::vector<UINT> filtered;
  for (const auto& f : wm.messageFilters()) filtered.push_back(f.message);
  ASSERT_EQ(filtered.size(), 4u);
  EXPECT_EQ(filtered[0], 32811u);
  EXPECT_EQ(filtered[1], static_cast<UINT>(WM_COPYDATA));
  EXPECT_EQ(filtered[2], RegisterWindowMessageW(u"V_URK_API_MSG_GET_MAP_FILE_PROGRESS"));
  EXPECT_EQ(filtered[3], RegisterWindowMessageW(u"V_URK_API_MSG_GET_CONTOUR_LINE_PROGRESS"));
  EXPECT_EQ(vurk::CreateNotificationWindow(nullptr), window) << "once per load";
}

TEST_F(NotificationWindow, ClosingItDestroysItAndItDeletesItself) {
  const HWND h = window->m_hWnd;
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(vurk::NotificationWindow(), nullptr);
}

TEST_F(NotificationWindow, WithTheToolbarHiddenEverythingIsAnsweredOneAndNothingChanges) {
  toolbarVisible = false;
  EXPECT_EQ(deliver(20401, Hex("01 00 00 00")), 1);
  EXPECT_FALSE(answers().buttonPresent);
  EXPECT_EQ(deliver(20202, std::vector<std::uint8_t>(71, 0)), 1) << "even what would be refused with 0";
  // A posted block is still freed (the sanitizer build checks the leak) and nothing is sent.
  int synced = 0;
  routes().syncEntities = [&](const AcDbObjectIdArray&) { ++synced; };
  RecordingHost host;
  auto* ids = new AcDbObjectIdArray();
  ids->append(AcDbObjectId());
  ASSERT_TRUE(vurk::PostSyncEntities(ids));
  ASSERT_TRUE(vurk::PostPointBecameIcon(1, 2));
  desktop().runFor(6000);
  EXPECT_EQ(synced, 0);
  EXPECT_TRUE(host.requests.empty()) << "the timers do nothing either";
}

// Each row's guard: one byte short changes nothing and gets the row's refusal value.
TEST_F(NotificationWindow, EachGuardRefusesAMessageOneByteShort) {
  answers().foundObjectId = 7;
  answers().foundFolderId = 8;
  answers().folderList = {{5, 30, "keep"}};
  int views = 0, contours = 0, trees = 0, files = 0, systems = 0;
  routes().mapView = [&](const vurk::MapViewRecord&) { ++views; };
  routes().contourData = [&](vurk::HostBytes) { ++contours; };
  routes().objectTree = [&](vurk::HostBytes) { ++trees; };
  routes().mapFile = [&](vurk::HostBytes) { ++files; };
  routes().sysCoor = [&](const vurk::SysCoorReply&) { ++systems; };
  awaiting = true;  // the tail would clear it

  EXPECT_EQ(deliver(20100, std::vector<std::uint8_t>(15, 0)), 0);
  EXPECT_EQ(deliver(20105, std::vector<std::uint8_t>(15, 0)), 0);
  EXPECT_EQ(deliver(20101, std::vector<std::uint8_t>(15, 0)), 1);
  EXPECT_EQ(deliver(20107, std::vector<std::uint8_t>(535, 0xFF)), 1);
  EXPECT_EQ(deliver(20211, std::vector<std::uint8_t>(39, 0)), 1);
  EXPECT_EQ(deliver(20012, std::vector<std::uint8_t>(67, 0)), 1);
  EXPECT_EQ(deliver(20303, std::vector<std::uint8_t>(91, 0)), 1);
  EXPECT_EQ(deliver(20110, std::vector<std::uint8_t>(143, 0)), 1);
  EXPECT_EQ(deliver(20202, std::vector<std::uint8_t>(71, 0)), 0);
  EXPECT_EQ(deliver(20302, std::vector<std::uint8_t>(471, 0)), 0);
  EXPECT_EQ(deliver(20020, std::vector<std::uint8_t>(787, 0)), -1);
  EXPECT_EQ(deliver(20401, std::vector<std::uint8_t>(3, 1)), 1);
  EXPECT_EQ(deliver(20201, std::vector<std::uint8_t>(3, 0xFF)), 0);
  EXPECT_EQ(deliver(20203, std::vector<std::uint8_t>(63, 0xFF)), 1);
  EXPECT_EQ(deliver(20204, std::vector<std::uint8_t>(407, 0xFF)), 1);
  EXPECT_EQ(deliver(20001, std::vector<std::uint8_t>(15, 0)), 1);

  EXPECT_EQ(answers().foundObjectId, 7u);
  EXPECT_EQ(answers().foundFolderId, 8u);
  ASSERT_EQ(answers().folderList.size(), 1u);
  EXPECT_FALSE(answers().referencePointKnown);
  EXPECT_FALSE(answers().buttonPresent);
  EXPECT_EQ(views + contours + trees + files + systems, 0);
  EXPECT_TRUE(awaiting) << "no refused message ran the tail";
  EXPECT_TRUE(desktop().windows().hasTimer(window->m_hWnd, 1003)) << "a short 20203 stops nothing";
  EXPECT_TRUE(dialogs().dialogs().empty());
}

TEST_F(NotificationWindow, AtTheirMinimumLengthTheMessagesAreTaken) {
  int views = 0, contours = 0, trees = 0, files = 0, systems = 0;
  routes().mapView = [&](const vurk::MapViewRecord&) { ++views; };
  routes().contourData = [&](vurk::HostBytes b) { contours += static_cast<int>(b.size()); };
  routes().objectTree = [&](vurk::HostBytes) { ++trees; };
  routes().mapFile = [&](vurk::HostBytes) { ++files; };
  routes().sysCoor = [&](const vurk::SysCoorReply&) { ++systems; };
  EXPECT_EQ(deliver(20107, Golden(536, {{532, "2a 00 00 00"}})), 1);
  EXPECT_EQ(answers().foundObjectId, 42u);
  EXPECT_EQ(deliver(20211, Golden(40, {{24, "00 00 00 00 00 00 f0 3f"}})), 1);
  EXPECT_TRUE(answers().referencePointKnown);
  EXPECT_EQ(answers().referencePoint.east, 1.0);
  EXPECT_EQ(deliver(20012, std::vector<std::uint8_t>(68, 0)), 1);
  EXPECT_EQ(deliver(20303, std::vector<std::uint8_t>(92, 0)), 1);
  EXPECT_EQ(deliver(20110, std::vector<std::uint8_t>(144, 0)), 1);
  EXPECT_EQ(deliver(20202, std::vector<std::uint8_t>(72, 0)), 1);
  EXPECT_EQ(deliver(20302, std::vector<std::uint8_t>(472, 0)), 1);
  EXPECT_EQ(deliver(20020, std::vector<std::uint8_t>(788, 0)), 1);
  EXPECT_EQ(deliver(20401, Hex("01 00 00 00")), 1);
  EXPECT_TRUE(answers().buttonPresent);
  EXPECT_EQ(views, 1);
  EXPECT_EQ(contours, 92);
  EXPECT_EQ(trees, 1);
  EXPECT_EQ(files, 1);
  EXPECT_EQ(systems, 1);
}

TEST_F(NotificationWindow, WithoutBaseMapStateTheBaseMapMessagesAreRefused) {
  baseMap = false;
  int views = 0;
  routes().mapView = [&](const vurk::MapViewRecord&) { ++views; };
  EXPECT_EQ(deliver(20302, std::vector<std::uint8_t>(472, 0)), 0);
  EXPECT_EQ(deliver(20303, std::vector<std::uint8_t>(200, 0)), 1);
  EXPECT_EQ(deliver(20012, std::vector<std::uint8_t>(68, 0)), 1);
  routes().hostSystemGeographic = [] { return true; };
  baseMap = true;
  EXPECT_EQ(deliver(20012, std::vector<std::uint8_t>(68, 0)), 1);
  EXPECT_EQ(views, 0) << "a geographic host system has no view to follow";
}

TEST_F(NotificationWindow, TheTailClearsTheBaselineWaitOnlyWithBaseMapState) {
  awaiting = true;
  baseMap = false;
  EXPECT_EQ(deliver(20009, {}), 1);
  EXPECT_TRUE(awaiting);
  baseMap = true;
  EXPECT_EQ(deliver(12345, {}), 1) << "unknown codes end in the tail";
  EXPECT_FALSE(awaiting);
  awaiting = true;
  EXPECT_EQ(deliver(20012, std::vector<std::uint8_t>(68, 0)), 1);
  EXPECT_FALSE(awaiting) << "a view report while the baseline is awaited clears the wait";
  awaiting = true;
  EXPECT_EQ(deliver(20501, {}), 1);
  EXPECT_EQ(deliver(20401, Hex("00 00 00 00")), 1);
  EXPECT_TRUE(awaiting) << "rows that return 1 themselves do not run the tail";
}

TEST_F(NotificationWindow, AnObjectTreeGoesToTheCrossSectionWhileItsBaselineIsAwaited) {
  int trees = 0, baselines = 0;
  routes().objectTree = [&](vurk::HostBytes) { ++trees; };
  routes().crossSectionBaseline = [&](vurk::HostBytes) { ++baselines; };
  awaiting = true;
  deliver(20110, std::vector<std::uint8_t>(144, 0));
  EXPECT_EQ(baselines, 1);
  EXPECT_EQ(trees, 0);
  deliver(20110, std::vector<std::uint8_t>(144, 0));
  EXPECT_EQ(trees, 1) << "the first one ended the wait";
}

TEST_F(NotificationWindow, FolderMessagesSetTheFoundFolderAndTheFolderList) {
  answers().searchedFolderName = "CAD\xe5\xb7\xa5\xe4\xbd\x9c\xe7\xa9\xba\xe9\x97\xb4";
  const auto candidates = Golden(16 + 3 * 108, {{16, "03 00 00 00"},
                                                {20, "08 00 00 00"},  // not a folder
                                                {24, "43 41 44 e5 b7 a5 e4 bd 9c e7 a9 ba e9 97 b4"},
                                                {124, "04 00 00 00"},
                                                {128, "1e 00 00 00"},
                                                {132, "6f 74 68 65 72"},
                                                {232, "05 00 00 00"},
                                                {236, "1e 00 00 00"},
                                                {240, "43 41 44 e5 b7 a5 e4 bd 9c e7 a9 ba e9 97 b4"}});
  EXPECT_EQ(deliver(20105, candidates), 1);
  EXPECT_EQ(answers().foundFolderId, 5u) << "the first folder entry with the searched name";
  EXPECT_EQ(deliver(20100, candidates), 1);
  ASSERT_EQ(answers().folderList.size(), 2u) << "folders only";
  EXPECT_EQ(answers().folderList[0].id, 4u);
  EXPECT_EQ(deliver(20101, Golden(16 + 176, {{2, "1e"}, {8, "09 00 00 00"}})), 1);
  EXPECT_EQ(answers().foundFolderId, 9u);
  EXPECT_EQ(deliver(20101, Golden(16 + 175, {{2, "1e"}, {8, "09 00 00 00"}})), 1);
  EXPECT_EQ(answers().foundFolderId, 0u) << "a folder record that is not whole finds nothing";
}

TEST_F(NotificationWindow, AnAnswerSentDuringTheRequestIsThereWhenTheRequestReturns) {
  RecordingHost host;
  host.onRequest = [&host](const vurktest::HostRequestSeen& r) {
    if (r.code == 20211) host.sendToPlugin(20211, Golden(40, {{24, "00 00 00 00 02 40 1f 41"}, {32, "00 00 00 20 a0 f0 49 41"}}));
    if (r.code == 20601) host.sendToPlugin(20601, std::vector<std::uint8_t>(95, 0));
  };
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  ASSERT_TRUE(answers().referencePointKnown);
  EXPECT_EQ(answers().referencePoint.east, 512000.5);
  EXPECT_EQ(answers().referencePoint.north, 3400000.25);
  int lists = 0;
  routes().patternList = [&](vurk::PatternList) { ++lists; };
  ASSERT_EQ(vurk::GetPatternList(), 0);
  EXPECT_EQ(lists, 0) << "a 95-byte pattern list answer gives no list";
}

TEST_F(NotificationWindow, ObjectsAssignedDuringASendLeaveTheSendersFlagSet) {
  RecordingHost host;
  bool flagDuring = false;
  routes().objectsAssigned = [&](const std::vector<vurk::AssignedObject>& headers) {
    flagDuring = flags().sendingFlag;
    EXPECT_EQ(headers.size(), 1u);
  };
  host.onRequest = [&host](const vurktest::HostRequestSeen& r) {
    if (r.code == 20112) host.sendToPlugin(20112, Golden(64, {{4, "1e 00 00 00"}, {8, "0b 00 00 00"}}));
  };
  flags().sendingFlag = true;  // the send flow set it
  std::vector<std::uint8_t> stream(80, 0);
  ASSERT_EQ(vurk::SetObjTree(stream, true), 0);
  EXPECT_TRUE(flagDuring);
  EXPECT_TRUE(flags().sendingFlag) << "still set for the objects pass";
  flags().sendingFlag = false;
  deliver(20112, Golden(64, {}));
  EXPECT_FALSE(flags().sendingFlag) << "back to clear when nobody had set it";
}

TEST_F(NotificationWindow, SendToCadAsksForTheObjectTreeAfterTheMessage) {
  installHost(888);
  RecordingHost host;
  host.defaults[20501] = 0x105;
  std::vector<std::u16string> meter;
  routes().meterStart = [&](const std::u16string& text) { meter.push_back(text); };
  EXPECT_EQ(host.sendToPlugin(20402, {}), 1);
  EXPECT_EQ(host.count(20110), 0u) << "posted, not run inside the host's message";
  EXPECT_EQ(host.count(20501), 1u) << "the host was asked whether it is ready";
  desktop().windows().pump();
  ASSERT_EQ(host.count(20110), 1u);
  EXPECT_EQ(host.last(20110).payload, Hex("65 00 00 03 00 00 00 00 00 00 00 00 00 00 00 00"));
  EXPECT_TRUE(flags().sendingFlag);
  EXPECT_EQ(meter, (std::vector<std::u16string>{u"接收数据"}));
  host.queue(20110, -6);
  EXPECT_EQ(host.sendToPlugin(20402, {}), 1);
  desktop().windows().pump();
  EXPECT_NE(commandLine().find("GetObjTreeErr:\n消息处理失败"), std::string::npos);
}

TEST_F(NotificationWindow, ABusyHostGetsNoObjectTreeRequest) {
  installHost(888);
  RecordingHost host;
  host.defaults[20501] = 0x005;
  user().queueAnswer(IDOK);
  host.sendToPlugin(20402, {});
  desktop().windows().pump();
  EXPECT_EQ(host.count(20110), 0u);
}

TEST_F(NotificationWindow, AnUpdateNoticeStopsTheVersionQueryAndPromptsForANewerVersion) {
  auto notice = Golden(64 + 6, {{4, "ae 00 00 00"}});  // 174: this version
  EXPECT_EQ(deliver(20203, notice), 1);
  EXPECT_FALSE(desktop().windows().hasTimer(window->m_hWnd, 1003));
  desktop().windows().pump();
  EXPECT_TRUE(dialogs().dialogs().empty()) << "the same version shows nothing";

  notice = Golden(64 + 6, {{4, "af 00 00 00"}, {64, "e4 bf ae e5 a4 8d"}});  // 175, "修复"
  answerHint({DialogAction::click(IDCANCEL)});
  EXPECT_EQ(deliver(20203, notice), 1);
  EXPECT_TRUE(dialogs().dialogs().empty()) << "the prompt comes with the posted message";
  desktop().windows().pump();
  ASSERT_EQ(dialogs().dialogs().size(), 1u);
  EXPECT_EQ(dialogs().dialogs()[0].texts[0], u"系统发现插件有更新(v1.7.5)，请到官网下载！\r\n更新内容：\r\n修复");
  EXPECT_EQ(deliver(20204, Golden(408, {{4, "b0 00 00 00"}})), 1);
  EXPECT_EQ(dialogs().dialogs().size(), 1u) << "once per run";
}

TEST_F(NotificationWindow, ARelationPointResendAskedForDuringTheResendIsIgnored) {
  int resends = 0;
  routes().resendRelationPoints = [&] {
    ++resends;
    EXPECT_EQ(deliver(20201, Hex("ff ff ff ff")), 1);
  };
  EXPECT_EQ(deliver(20201, Hex("ff ff ff ff")), 1);
  EXPECT_EQ(resends, 1);
  EXPECT_FALSE(flags().relationPointsInFlight);
  RecordingHost host;
  int pending = 0;
  routes().markCoordinateSystemPending = [&] { ++pending; };
  EXPECT_EQ(deliver(20201, Hex("00 00 00 00")), 1);
  EXPECT_EQ(pending, 1);
  EXPECT_EQ(host.count(20202), 1u) << "and the host's system is asked for";
  EXPECT_EQ(deliver(20201, Hex("05 00 00 00")), 1);
  EXPECT_EQ(host.count(20202), 1u);
}

TEST_F(NotificationWindow, TheButtonUpkeepAddsTheButtonOnlyWhenTheHostSaysItIsMissing) {
  RecordingHost host;
  bool present = false;
  host.onRequest = [&](const vurktest::HostRequestSeen& r) {
    if (r.code == 20401 && static_cast<std::int32_t>(vurktest::Le32(r.payload, 20)) == -1) {
      host.sendToPlugin(20401, Golden(4, {{0, present ? "01" : "00"}}));
    }
    if (r.code == 20401 && vurktest::Le32(r.payload, 20) == 1) present = true;
  };
  desktop().runFor(5000);
  ASSERT_EQ(host.count(20401), 2u) << "query, then add";
  EXPECT_EQ(host.last(20401).payload[24], 0xe5) << "with the label";
  desktop().runFor(5000);
  EXPECT_EQ(host.count(20401), 3u) << "the host has it: only the query";
  EXPECT_EQ(host.count(20013), 0u) << "no following asked for in mode 0";
  settings().viewFollowMode = 2;
  desktop().runFor(5000);
  EXPECT_EQ(host.last(20013).payload, Hex("e8 03 00 00"));
}

TEST_F(NotificationWindow, ThePluginVersionIsAskedOnceTheHostIsThere) {
  desktop().runFor(5000);
  EXPECT_TRUE(desktop().windows().hasTimer(window->m_hWnd, 1003)) << "no host yet: asked again later";
  RecordingHost host;
  desktop().runFor(10000);
  EXPECT_EQ(host.count(20204), 1u);
  EXPECT_FALSE(desktop().windows().hasTimer(window->m_hWnd, 1003));
}

TEST_F(NotificationWindow, MessageThirtyTwoEightThirteenClearsTheSendingFlagAHundredMillisecondsLater) {
  flags().sendingFlag = true;
  PostMessageW(window->m_hWnd, 32813, 0, 0);
  desktop().runFor(99);
  EXPECT_TRUE(flags().sendingFlag);
  desktop().runFor(1);
  EXPECT_FALSE(flags().sendingFlag);
  EXPECT_FALSE(desktop().windows().hasTimer(window->m_hWnd, 1005)) << "one-shot";
}

TEST_F(NotificationWindow, EntityIdsAreSynchronisedOnlyWithAHostAndAlwaysFreed) {
  int synced = 0;
  routes().syncEntities = [&](const AcDbObjectIdArray& ids) { synced += ids.length(); };
  auto* ids = new AcDbObjectIdArray();
  ids->append(AcDbObjectId());
  vurk::PostSyncEntities(ids);
  desktop().windows().pump();
  EXPECT_EQ(synced, 0) << "no host window";
  RecordingHost host;
  ids = new AcDbObjectIdArray();
  ids->append(AcDbObjectId());
  ids->append(AcDbObjectId());
  vurk::PostSyncEntities(ids);
  vurk::PostSyncEntities(new AcDbObjectIdArray());
  desktop().windows().pump();
  EXPECT_EQ(synced, 2);
}

TEST_F(NotificationWindow, APointThatBecameAnIconIsSynchronisedThroughASecondPost) {
  RecordingHost host;
  std::vector<std::pair<double, double>> points;
  int synced = 0;
  routes().pointToIcon = [&](double x, double y, AcDbObjectId&) {
    points.emplace_back(x, y);
    return true;
  };
  routes().syncEntities = [&](const AcDbObjectIdArray& ids) { synced += ids.length(); };
  ASSERT_TRUE(vurk::PostPointBecameIcon(10.5, -3.0));
  desktop().windows().pump();
  EXPECT_EQ(points, (std::vector<std::pair<double, double>>{{10.5, -3.0}}));
  EXPECT_EQ(synced, 1);
  routes().pointToIcon = [](double, double, AcDbObjectId&) { return false; };
  ASSERT_TRUE(vurk::PostPointBecameIcon(1, 1));
  desktop().windows().pump();
  EXPECT_EQ(synced, 1) << "no icon made: nothing to send";
}

TEST_F(NotificationWindow, TheIconPassIsNotReenteredAndItsFlagIsAlwaysCleared) {
  int passes = 0;
  routes().iconDeclutter = [&] {
    ++passes;
    EXPECT_TRUE(flags().iconPassRunning);
    SendMessageW(window->m_hWnd, 32812, 0, 0);  // a second request while the pass runs
  };
  SendMessageW(window->m_hWnd, 32812, 0, 0);
  EXPECT_EQ(passes, 1);
  EXPECT_FALSE(flags().iconPassRunning);
  EXPECT_TRUE(flags().sendingFlag);
  desktop().runFor(100);
  EXPECT_FALSE(flags().sendingFlag);
  SendMessageW(window->m_hWnd, 32812, 0, 0);
  EXPECT_EQ(passes, 2) << "the next request runs";
}

// A stand-in relation-point dialog that keeps what reaches it.
class PointCatcher : public CWnd {
 public:
  std::vector<std::uint8_t> got;
  ULONG_PTR code = 0;
  bool wasTopmost = false;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COPYDATA) {
      const auto& cds = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      code = cds.dwData;
      const auto* p = static_cast<const std::uint8_t*>(cds.lpData);
      got.assign(p, p + cds.cbData);
      return 1;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
  }
};

TEST_F(NotificationWindow, AClickedPointIsPassedToTheRelationPointDialog) {
  PointCatcher dialog;
  ASSERT_TRUE(dialog.CreateEx(0, nullptr, u"关联点", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  const auto point = Golden(16, {{0, "6a bc 74 93 18 f4 43 40"}, {8, "1b 2f dd 24 06 19 5d 40"}});
  EXPECT_EQ(deliver(20001, point), 1);
  EXPECT_TRUE(dialog.got.empty()) << "no dialog open: nothing to pass on";
  routes().relationDialog = [&] { return dialog.m_hWnd; };
  EXPECT_EQ(deliver(20001, point), 1);
  EXPECT_EQ(dialog.got, point) << "unchanged";
  EXPECT_EQ(dialog.code, 20001u);
  EXPECT_FALSE(GetWindowLongPtrW(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "topmost, then not topmost again";
  EXPECT_EQ(FindWindowExW(nullptr, nullptr, nullptr, nullptr), dialog.m_hWnd) << "brought to the top";
}

}  // namespace

namespace {

// Every host message code with payloads of random length and content: the window answers each
// with one of its return values and reads nothing past the payload (the sanitizer build watches:
// the desktop hands the window a copy of exactly cbData bytes).
TEST_F(NotificationWindow, RandomHostMessagesAreAnsweredWithoutReadingPastThePayload) {
  const std::uint16_t codes[] = {20001, 20009, 20012, 20020, 20100, 20101, 20105, 20107, 20110, 20112, 20201,
                                 20202, 20203, 20204, 20211, 20212, 20302, 20303, 20401, 20402, 20501, 20601, 4242};
  std::size_t touched = 0;
  auto touch = [&](vurk::HostBytes b) {
    for (std::uint8_t v : b) touched += v & 1;
  };
  routes().objectTree = touch;
  routes().crossSectionBaseline = touch;
  routes().contourData = touch;
  routes().mapFile = touch;
  routes().drawingOpen = [] { return false; };  // 20402 would ask the user
  std::mt19937 rng(4);
  int answered = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::uint16_t code = codes[rng() % std::size(codes)];
    std::vector<std::uint8_t> bytes(rng() % 900);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    baseMap = rng() % 2;
    awaiting = rng() % 2;
    const LRESULT r = deliver(code, bytes);
    ASSERT_TRUE(r == 1 || r == 0 || r == -1) << code << " answered " << r;
    ++answered;
    desktop().windows().pump();  // whatever the messages posted
  }
  EXPECT_EQ(answered, 4000);
  EXPECT_GT(touched, 0u);
  EXPECT_LE(answers().levels.filled, 29u);
}

}  // namespace

namespace {

// A folder list answer (20100 / 20105): 16-byte head, then {id, kind, name[100]} per entry.
std::vector<std::uint8_t> FolderListMessage(const std::vector<std::pair<std::uint32_t, std::string>>& folders) {
  constexpr std::uint32_t kind = 30;
  std::vector<std::uint8_t> m(16 + 108 * folders.size(), 0);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const std::size_t at = 16 + 108 * i;
    for (int b = 0; b < 4; ++b) {
      m[at + b] = static_cast<std::uint8_t>(folders[i].first >> (8 * b));
      m[at + 4 + b] = static_cast<std::uint8_t>(kind >> (8 * b));
    }
    std::copy(folders[i].second.begin(), folders[i].second.end(), m.begin() + static_cast<long>(at + 8));
  }
  return m;
}

}  // namespace

TEST_F(NotificationWindow, FolderRequestsNestedInsideOthersEachGetTheirOwnAnswer) {
  RecordingHost host;
  // The host answers inside each request; after it has answered the listing of one drawing's
  // layers, the plug-in is made to search for a folder and to list another one, whose answers
  // arrive inside that listing.
  std::vector<std::uint32_t> nestedFound;
  std::vector<std::uint32_t> nestedListed;
  host.onRequest = [&](const vurktest::HostRequestSeen& r) {
    if (r.code == 20107) {
      std::vector<std::uint8_t> answer(r.payload);
      answer.resize(536, 0);
      const std::string name(reinterpret_cast<const char*>(r.payload.data() + 28));
      const std::uint32_t id = name == "CAD工作空间" ? 10 : 77;
      for (int b = 0; b < 4; ++b) answer[532 + b] = static_cast<std::uint8_t>(id >> (8 * b));
      host.sendToPlugin(20107, answer);
    }
    if (r.code == 20100) {
      const std::uint32_t folder = vurktest::Le32(r.payload, 8);
      if (folder == 10) {
        host.sendToPlugin(20100, FolderListMessage({{20, "a.dwg"}, {30, "b.dwg"}, {40, "c.dwg"}}));
      } else if (folder == 99) {
        host.sendToPlugin(20100, FolderListMessage({{100, "深处"}}));
      } else {
        host.sendToPlugin(20100, FolderListMessage({{folder + 1, "道路"}, {folder + 2, "0"}}));
        if (folder == 30) {
          nestedFound.push_back(vurk::SearchFolder(u"别处", 99));
          const auto nested = vurk::RequestFolderList(99, u"");
          if (nested) {
            for (const auto& e : *nested) nestedListed.push_back(e.id);
          }
        }
      }
    }
  };
  vurk::Folders().reset();
  ASSERT_TRUE(vurk::loadFolderTree());
  EXPECT_EQ(nestedFound, std::vector<std::uint32_t>{77});
  EXPECT_EQ(nestedListed, std::vector<std::uint32_t>{100});
  EXPECT_EQ(vurk::Folders().workspaceId(), 10u);
  const auto& docs = vurk::Folders().documents();
  ASSERT_EQ(docs.size(), 3u);
  for (const auto& d : docs) {
    ASSERT_EQ(d.layers.size(), 2u) << win32::utf16ToUtf8(d.name);
    EXPECT_EQ(d.layers[0].name, u"道路");
    EXPECT_EQ(d.layers[0].id, d.id + 1);
    EXPECT_EQ(d.layers[1].id, d.id + 2);
  }
  EXPECT_EQ(host.count(20100), 5u);
  EXPECT_EQ(answers().foundObjectId, 0u) << "nothing of the requests stays behind";
  EXPECT_TRUE(answers().folderList.empty());
  vurk::Folders().reset();
}
