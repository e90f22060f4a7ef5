// Relation points and the host's coordinate system: what is sent, what the host's answers
// change, the per-drawing record and check, the zone tests, and the relation-point dialog as the
// user works in it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "arx/aced.h"
#include "coords/coordinate_state.h"
#include "coords/relation_dialog.h"
#include "host/host_app.h"
#include "mfc/afxext.h"
#include "plugin/shell/plugin_session.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "shell/toolbar_window.h"
#include "win32/user_script.h"
#include "win32/winuser.h"

namespace {

using vurk::RelationPoint;

// The SetRelatePoint requests the host received: (mode, number of points).
std::vector<std::pair<std::uint32_t, std::size_t>> relatePointRequests(const host::HostApp& h) {
  std::vector<std::pair<std::uint32_t, std::size_t>> out;
  for (const auto& r : h.record().requests()) {
    if (r.code != 20201 || r.payload.size() < 56) continue;
    std::uint32_t mode = 0;
    std::memcpy(&mode, r.payload.data() + 16, 4);
    out.emplace_back(mode, (r.payload.size() - 56) / 80);
  }
  return out;
}

std::vector<std::uint8_t> latLng(double lat, double lon) {
  std::vector<std::uint8_t> b(16);
  std::memcpy(b.data(), &lat, 8);
  std::memcpy(b.data() + 8, &lon, 8);
  return b;
}

class RelationPointsTest : public ::testing::Test {
 protected:
  RelationPointsTest() {
    vurk::Features() = vurk::FeatureHandOffs{};
    s.steps("drawing new as \"D:\\work\\site.dwg\"\nplugin load");
  }
  ~RelationPointsTest() override { vurk::Features() = vurk::FeatureHandOffs{}; }

  host::HostApp& hostApp() { return *s.hostApp(); }
  vurk::SettingsRecord& settings() { return vurk::CurrentSettings()->record(); }
  const std::vector<win32::MessageBoxRecord>& boxes() { return s.desktop().user().boxes(); }
  std::vector<RelationPoint>& points() { return vurk::RelationPoints(); }

  vurktest::PluginSession s{true};
};

TEST(LooksLikeProjectedEasting, EastingsWithAndWithoutAZoneNumber) {
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(38'500'000));
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(500'000));
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(12'500'000)) << "zone 12 is too small";
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(46'500'000));
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(38'100'000)) << "remainder 100,000";
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(1'000'000));
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(160'000));
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(840'000));
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(159'999.5));
  // Every easting of zone 45 counts, not only those below 45,000,000.
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(45'500'000));
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(45'840'000));
  EXPECT_TRUE(vurk::LooksLikeProjectedEasting(13'160'000));
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(NAN));
  EXPECT_FALSE(vurk::LooksLikeProjectedEasting(INFINITY));
}

TEST(CoorFingerprint, IsTheFirstEightIdentityBytesWithoutTheTopBit) {
  EXPECT_EQ(vurk::CoorFingerprint({0x01, 0x02, 0, 0, 0, 0, 0, 0xFF}), 0x7F00000000000201ULL);
}

TEST_F(RelationPointsTest, OnlyUsablePointsAreSentAndTheSingleZeroPointNotAtAll) {
  EXPECT_EQ(vurk::SetSysCoorPoint(3), -1) << "an empty list";
  points() = {{0, 0, 500, 600}};
  EXPECT_EQ(vurk::SetSysCoorPoint(3), 0);
  points() = {{114, 30, 0, 0}};
  EXPECT_EQ(vurk::SetSysCoorPoint(3), 0);
  points() = {{114, 95, 1, 1}, {114, 100, 2, 2}};
  EXPECT_EQ(vurk::SetSysCoorPoint(3), -1) << "no point with a valid position";
  EXPECT_TRUE(relatePointRequests(hostApp()).empty()) << "nothing reached the host";

  points() = {{113.9, 95, 10, 10}, {113.9, 30.4, 10390.2992, 4459.9704}};
  EXPECT_EQ(vurk::SetSysCoorPoint(3), 0);
  ASSERT_EQ(relatePointRequests(hostApp()).size(), 1u);
  EXPECT_EQ(relatePointRequests(hostApp())[0], (std::pair<std::uint32_t, std::size_t>{3, 1}));
  ASSERT_EQ(hostApp().relationPoints().size(), 1u);
  EXPECT_EQ(hostApp().relationPoints()[0].geo.lat, 30.4);
  EXPECT_EQ(hostApp().record().requests().back().payload[56 + 16], 1) << "marked as sent";

  ASSERT_TRUE(s.steps("host fault answer 20201 -6"));
  EXPECT_EQ(vurk::SetSysCoorPoint(3), -6);
  ASSERT_TRUE(s.steps("expect line SetSysCoorPointErr:"));
}

TEST_F(RelationPointsTest, TheHostsSystemIsRecordedForTheDrawingUnlessItIsGeographic) {
  ASSERT_TRUE(s.steps("host system gk 3 38 zone-in-easting"));
  vurk::RecordDocumentCoordinateSystem();
  const std::uint64_t f = vurk::CoordState().fingerprint;
  EXPECT_NE(f, 0u);
  EXPECT_FALSE(vurk::CoordState().geographic);
  EXPECT_EQ(vurk::CoordState().name, u"CGCS2000 高斯-克吕格 3度带 第38带");
  EXPECT_EQ(vurk::ReadDrawingCoordinateIdentity(u"D:\\work\\site.dwg"), f);
  EXPECT_FALSE(vurk::CoordState().recordPending);

  ASSERT_TRUE(s.steps("host system geographic"));
  vurk::RecordDocumentCoordinateSystem();
  EXPECT_TRUE(vurk::CoordState().geographic);
  EXPECT_FALSE(vurk::CoordState().recordPending);
  EXPECT_EQ(vurk::ReadDrawingCoordinateIdentity(u"D:\\work\\site.dwg"), f) << "kept";

  // A description shorter than 72 bytes is refused and changes nothing.
  EXPECT_EQ(hostApp().sendRawMessage(20202, std::vector<std::uint8_t>(71, 0x11)), true);
  EXPECT_TRUE(vurk::CoordState().geographic);
}

TEST_F(RelationPointsTest, TheHostAsksForTheDrawingsRecordWithNoticeZero) {
  ASSERT_TRUE(s.steps("host system gk 3 38"));
  ASSERT_TRUE(hostApp().sendRelationPointNotice(0));
  EXPECT_EQ(vurk::ReadDrawingCoordinateIdentity(u"D:\\work\\site.dwg"), vurk::CoordState().fingerprint);
  points() = {{113.9, 30.4, 10390.2992, 4459.9704}};
  const std::size_t before = relatePointRequests(hostApp()).size();
  ASSERT_TRUE(hostApp().sendRelationPointNotice(-1));
  EXPECT_EQ(relatePointRequests(hostApp()).size(), before + 1) << "-1 asks for the points again";
}

TEST_F(RelationPointsTest, ADrawingOpenedUnderAnotherSystemOpensTheDialog) {
  ASSERT_TRUE(s.steps("host system gk 3 38"));
  vurk::WriteDrawingCoordinateIdentity(u"D:\\work\\site.dwg", 12345);
  vurk::CheckDocumentCoordinateSystem(u"D:\\work\\site.dwg", 5);
  EXPECT_TRUE(vurk::CoordState().checkPending);
  ASSERT_TRUE(s.steps("wait 10\nexpect dialog \"设置关联点\" open"));
  EXPECT_FALSE(vurk::CoordState().checkPending);
  ASSERT_TRUE(s.steps("dialog \"设置关联点\" close"));

  // The same system: no dialog.
  vurk::RecordDocumentCoordinateSystem();
  vurk::CheckDocumentCoordinateSystem(u"D:\\work\\site.dwg", 5);
  ASSERT_TRUE(s.steps("wait 10\nexpect dialog \"设置关联点\" closed"));

  // The user said not to ask: no check; but a geographic host always asks.
  settings().noRelationPointPrompt = 1;
  vurk::WriteDrawingCoordinateIdentity(u"D:\\work\\site.dwg", 12345);
  vurk::CheckDocumentCoordinateSystem(u"D:\\work\\site.dwg", 5);
  EXPECT_FALSE(vurk::CoordState().checkPending);
  ASSERT_TRUE(s.steps("wait 10\nexpect dialog \"设置关联点\" closed\nhost system geographic"));
  vurk::CheckDocumentCoordinateSystem(u"D:\\work\\site.dwg", 5);
  EXPECT_TRUE(vurk::CoordState().checkPending);
  ASSERT_TRUE(s.steps("wait 10\nexpect dialog \"设置关联点\" open"));
}

TEST_F(RelationPointsTest, NoCheckRunsWhileTheToolbarIsHidden) {
  ASSERT_TRUE(s.steps("toolbar close\nanswer no\nwait 1000"));
  vurk::CheckDocumentCoordinateSystem(u"D:\\work\\site.dwg", 5);
  EXPECT_FALSE(vurk::CoordState().checkPending);
}

class ZoneConsistencyTest : public RelationPointsTest {
 protected:
  // The host looks at a point of zone 38 in its selected system; the drawing has a line at x.
  void setUp(const std::string& system, double drawingX) {
    ASSERT_TRUE(s.steps("host system " + system + "\nhost move 114 30.5"));
    ASSERT_TRUE(s.steps("add line " + std::to_string(drawingX - 10) + ",3370000 " + std::to_string(drawingX + 10) +
                        ",3370010"));
  }
};

TEST_F(ZoneConsistencyTest, AZoneNumberOnOneSideOnlyAsksWhetherToCancel) {
  setUp("gk 3 38 zone-in-easting", 500'000);
  ASSERT_TRUE(s.steps("answer yes"));
  EXPECT_FALSE(vurk::CheckZoneConsistency(false)) << "Yes cancels the send";
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text,
            u"系统检测到星衡和CAD的坐标系设置异常（其中一个有带号）。\n是否取消操作？\n点[是]取消本次操作；点[否]继续发送数据。\n提示：如果您需要系统忽略该检测。请在[设置]中去掉[检测系统坐标系的带号]。");
  ASSERT_TRUE(s.steps("answer no"));
  EXPECT_TRUE(vurk::CheckZoneConsistency(false)) << "No goes on";
  EXPECT_EQ(boxes().size(), 2u) << "an inconsistent verdict is not cached";
  settings().noZoneNumberCheck = 1;
  EXPECT_TRUE(vurk::CheckZoneConsistency(true));
  EXPECT_EQ(boxes().size(), 2u);
}

TEST_F(ZoneConsistencyTest, NeitherSideWithAZoneIsConsistentAndTheVerdictIsKept) {
  setUp("gk 3 38", 600'000);
  const std::size_t requests = hostApp().record().requests().size();
  EXPECT_TRUE(vurk::CheckZoneConsistency(false));
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(vurk::CoordState().zoneVerdict, std::optional<bool>(true));
  EXPECT_TRUE(vurk::CheckZoneConsistency(false));
  EXPECT_EQ(hostApp().record().requests().size(), requests + 1) << "the cached verdict asks the host nothing";
}

// The relation-point dialog, opened with its toolbar button.
class RelationDialogTest : public RelationPointsTest {
 protected:
  RelationDialogTest() { s.steps("host system gk 3 38 zone-in-easting\ntoolbar press 设置关联点"); }
  vurk::CSetCoorDlg* dialog() { return vurk::RelationPointDialog(); }
  bool user(const std::string& lines) {
    std::string text;
    std::size_t start = 0;
    while (start < lines.size()) {
      const std::size_t end = lines.find('\n', start);
      text += "dialog \"设置关联点\" " + lines.substr(start, end - start) + "\n";
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return s.steps(text);
  }
  // The user typed a drawing point, then clicked the map in the host.
  void addPoint(const std::string& x, const std::string& y, double lon, double lat) {
    ASSERT_TRUE(user("type 8112 " + x + "\ntype 8111 " + y));
    ASSERT_TRUE(hostApp().sendRawMessage(20001, latLng(lat, lon)));
  }
  std::u16string text(UINT id) { return dialog()->GetDlgItemTextString(static_cast<int>(id)); }
};

TEST_F(RelationDialogTest, OpensEmptyWithTheHostsSystemAndKeepsTheFocus) {
  ASSERT_NE(dialog(), nullptr);
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" open\nexpect dialog \"设置关联点\" hidden 8335\n"
                      "expect dialog \"设置关联点\" hidden 8336\nexpect dialog \"设置关联点\" disabled 8321\n"
                      "expect dialog \"设置关联点\" disabled 8116\nexpect dialog \"设置关联点\" text 8105 设置关联点"));
  EXPECT_EQ(text(8334), u"当前星衡地图系统坐信息：\r\nCGCS2000 高斯-克吕格 3度带 第38带");
  EXPECT_EQ(text(8107), u"关联点");
  EXPECT_EQ(dialog()->SendMessage(WM_ACAD_KEEPFOCUS), 1);
  EXPECT_EQ(dialog()->tooltip().toolText(8336), u"单击此处了解更多关于“坐标系”");
  EXPECT_EQ(dialog()->tooltip().delay(TTDT_AUTOMATIC), 200);
  EXPECT_EQ(dialog()->tooltip().textColour(), RGB(0, 0, 255));
  EXPECT_TRUE(dialog()->tooltip().active());
  EXPECT_TRUE(points().empty());
  EXPECT_EQ(arx::currentEditor()->commandPrompts(), 1) << "the command prompt is shown again";
}

TEST_F(RelationDialogTest, TheFirstPointRenamesThePickButtonAndASecondEndsTheSimplifiedChoice) {
  addPoint("38500000", "3000000", 114.0, 27.1);
  ASSERT_EQ(points().size(), 1u);
  EXPECT_EQ(points()[0].x, 38'500'000);
  EXPECT_EQ(points()[0].longitude, 114.0);
  EXPECT_EQ(text(8105), u"下一个关联度");
  EXPECT_EQ(text(8320), u"114.000000");
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" shown 8335\nexpect dialog \"设置关联点\" checked 8335"));

  addPoint("38500100", "3000100", 114.001, 27.101);
  ASSERT_EQ(points().size(), 2u);
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" unchecked 8335\nexpect dialog \"设置关联点\" disabled 8335"));
  ASSERT_TRUE(user("type 8112 38500200"));
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" hidden 8335\nexpect dialog \"设置关联点\" hidden 8336"));
  EXPECT_EQ(dialog()->currentIndex(), 1);
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" enabled 8321\nexpect dialog \"设置关联点\" disabled 8116"));
}

TEST_F(RelationDialogTest, OneProjectedPointWithSimplifiedParametersIsSentAsModeFour) {
  addPoint("38500000", "3000000", 114.0, 27.1);
  ASSERT_TRUE(user("click 8106"));
  ASSERT_EQ(relatePointRequests(hostApp()).size(), 1u);
  EXPECT_EQ(relatePointRequests(hostApp())[0].first, 4u);
  EXPECT_EQ(dialog(), nullptr) << "closed and gone";
  EXPECT_EQ(hostApp().coordinateSystem().grid()->zone, 38);
}

TEST_F(RelationDialogTest, ClearingTheLastOfThreePointsShowsTheNewLastOne) {
  addPoint("100", "200", 114.0, 30.0);
  addPoint("300", "400", 114.1, 30.1);
  addPoint("500", "600", 114.2, 30.2);
  ASSERT_EQ(dialog()->currentIndex(), 2);
  ASSERT_TRUE(user("click 8322"));
  ASSERT_EQ(points().size(), 2u);
  EXPECT_EQ(dialog()->currentIndex(), 1);
  EXPECT_EQ(text(8112), u"300.000000");
  EXPECT_EQ(text(8114), u"30.100000");
  // Stepping back stores the edited field into the point it leaves.
  ASSERT_TRUE(user("type 8111 444\nclick 8321"));
  EXPECT_EQ(points()[1].y, 444);
  EXPECT_EQ(text(8112), u"100.000000");
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" disabled 8321\nexpect dialog \"设置关联点\" enabled 8116"));
  ASSERT_TRUE(user("click 8116"));
  EXPECT_EQ(text(8111), u"444.000000");
  ASSERT_TRUE(user("click 8106"));
  EXPECT_EQ(relatePointRequests(hostApp()).back(), (std::pair<std::uint32_t, std::size_t>{3, 2}));
}

TEST_F(RelationDialogTest, FinishingWithAnEmptyListSendsTheFieldsOnlyWhenTheyHoldAPoint) {
  ASSERT_TRUE(user("type 8112 100\ntype 8111 200\nclick 8106"));
  EXPECT_TRUE(relatePointRequests(hostApp()).empty()) << "no longitude/latitude: nothing sent";
  ASSERT_TRUE(s.steps("toolbar press 32772"));
  ASSERT_TRUE(user("type 8112 100\ntype 8111 200\ntype 8320 114\ntype 8114 nan\nclick 8106"));
  EXPECT_EQ(relatePointRequests(hostApp()).size(), 1u) << "latitude \"nan\" reads as 0, longitude 114 is not 0";
}

TEST_F(RelationDialogTest, UsingTheCurrentSystemRecordsItForTheDrawingAndClosesWithoutPoints) {
  ASSERT_TRUE(user("click 8345"));
  EXPECT_EQ(dialog(), nullptr);
  EXPECT_EQ(vurk::ReadDrawingCoordinateIdentity(u"D:\\work\\site.dwg"), vurk::CoordState().fingerprint);
  EXPECT_TRUE(relatePointRequests(hostApp()).empty());
  ASSERT_TRUE(s.steps("host system geographic\ntoolbar press 32772\nanswer ok"));
  ASSERT_TRUE(user("click 8345"));
  EXPECT_EQ(boxes().back().text, u"当前系统坐标系为经纬度！请设置平面坐标系！");
  ASSERT_TRUE(s.steps("expect dialog \"设置关联点\" open"));
}

TEST_F(RelationDialogTest, ReopeningEmptiesTheListAndAShortHostPointChangesNothing) {
  addPoint("100", "200", 114.0, 30.0);
  ASSERT_TRUE(s.steps("toolbar press 32772"));
  EXPECT_TRUE(points().empty());
  EXPECT_EQ(text(8105), u"设置关联点");
  EXPECT_EQ(text(8112), u"");
  dialog()->ShowWindow(SW_HIDE);  // as during a pick
  ASSERT_TRUE(hostApp().sendRawMessage(20001, std::vector<std::uint8_t>(15, 0x40)));
  EXPECT_TRUE(points().empty());
  EXPECT_TRUE(dialog()->IsWindowVisible()) << "shown again for the user";
}

TEST_F(RelationDialogTest, GoingToTheHostNeedsTheHostAndTheCloseBoxEndsTheDialog) {
  ASSERT_TRUE(user("click 8346"));
  EXPECT_TRUE(boxes().empty());
  int allowed = 0, refused = 0;
  vurk::Features().setViewFollowPermission = [&](bool on) { ++(on ? allowed : refused); };
  ASSERT_TRUE(s.steps("host stop\nanswer ok"));
  ASSERT_TRUE(user("click 8346"));
  EXPECT_EQ(boxes().back().text, u"星衡程序没有打开！");
  ASSERT_TRUE(s.steps("answer ok"));
  ASSERT_TRUE(user("click 8105"));
  EXPECT_EQ(boxes().back().text, u"星衡程序没有打开！");
  dialog()->SendMessage(WM_CLOSE);
  EXPECT_EQ(dialog(), nullptr);
  EXPECT_GE(allowed, 1) << "closing gives the view following back";
}

}  // namespace
