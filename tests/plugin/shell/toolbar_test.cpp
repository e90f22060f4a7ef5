// The toolbar as the user meets it: created at start-up, its buttons and their preconditions,
// the hide watch and the icon resize after the label height changed.
#include <gtest/gtest.h>

#include "win32/transcript.h"
#include "arx/axlock.h"
#include "arx/dbapserv.h"
#include "arx/dbimage.h"
#include "arx/rxmfcapi.h"
#include "basemap/dwg_database_util.h"
#include "basemap/raster_images.h"
#include "coords/coordinate_state.h"
#include "host/host_app.h"
#include "plugin_session.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "shell/toolbar_window.h"
#include "util/icon_images.h"
#include "win32/user_script.h"
#include "win32/winuser.h"

namespace {

using vurk::Features;

int imageOf(UINT id) {
  vurk::CAcToolBar* bar = vurk::GetToolbar();
  UINT got = 0, style = 0;
  int image = -1;
  bar->GetButtonInfo(bar->CommandToIndex(id), got, style, image);
  return image;
}

double widthOf(AcDbObjectId id) {
  AcDbEntity* e = nullptr;
  if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) return -1;
  AcGePoint3d origin;
  AcGeVector3d u, v;
  AcDbRasterImage::cast(e)->getOrientation(origin, u, v);
  e->close();
  return u.length();
}

class ToolbarTest : public ::testing::Test {
 protected:
  ToolbarTest() {
    Features() = vurk::FeatureHandOffs{};
    s.steps("plugin load");
  }
  ~ToolbarTest() override { Features() = vurk::FeatureHandOffs{}; }

  vurk::SettingsRecord& settings() { return vurk::CurrentSettings()->record(); }
  const std::vector<win32::MessageBoxRecord>& boxes() { return s.desktop().user().boxes(); }

  vurktest::PluginSession s{true};
};

TEST_F(ToolbarTest, StartUpFloatsTheSevenButtonsAtTheTopRightWithTheirImagesAndTooltips) {
  vurk::CAcToolBar* bar = vurk::GetToolbar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetWindowTextString(), u"星衡工具栏(V1.7.4)");
  EXPECT_TRUE(bar->IsWindowVisible());
  EXPECT_TRUE(bar->IsFloating());
  EXPECT_EQ(bar->floatPosition().x, 1920 - 300);
  EXPECT_EQ(bar->floatPosition().y, 70);
  EXPECT_EQ(bar->controlStyle(), 0x8800u);
  EXPECT_EQ(bar->GetDlgCtrlID(), 0xE800);
  ASSERT_EQ(bar->GetCount(), 7);
  const std::vector<std::pair<UINT, std::u16string>> buttons = {
      {32768, u"发送所选对象到星衡"}, {32769, u"加载在线底图"}, {32770, u"下载底图到本地"}, {32771, u"下载高程(DEM)"},
      {32772, u"设置关联点"},         {32781, u"设置断面参数"}, {32773, u"设置属性"}};
  const std::vector<int> images = {0, 7, 2, 3, 4, 5, 6};  // the online base map is off
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(bar->GetItemID(i), buttons[static_cast<std::size_t>(i)].first);
    EXPECT_EQ(bar->ButtonTooltip(i), buttons[static_cast<std::size_t>(i)].second);
    EXPECT_EQ(imageOf(bar->GetItemID(i)), images[static_cast<std::size_t>(i)]) << i;
  }
  ASSERT_NE(bar->imageList(), nullptr);
  EXPECT_EQ(bar->imageList()->GetImageCount(), 9);
  EXPECT_EQ(bar->imageList()->width(), 24);
  EXPECT_EQ(bar->buttonSize().cx, 24);
  // The commands go to the invisible toolbar window, a child of AutoCAD's frame.
  ASSERT_NE(vurk::ToolbarWindow(), nullptr);
  EXPECT_EQ(bar->owner(), vurk::ToolbarWindow()->m_hWnd);
  EXPECT_EQ(::GetParent(bar->owner()), acedGetAcadFrame()->m_hWnd);
  EXPECT_EQ(::GetDlgCtrlID(bar->owner()), 32993);
  EXPECT_FALSE(::IsWindowVisible(bar->owner()));

  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_EQ(vurk::GetToolbar(), nullptr);
  EXPECT_FALSE(::IsWindow(bar == nullptr ? nullptr : static_cast<HWND>(nullptr)));
}

TEST_F(ToolbarTest, TheHidePromptComesOncePerHideNotWhileMinimisedAndNeverAfterYes) {
  ASSERT_TRUE(s.steps("toolbar close\nanswer no\nwait 1000\nexpect toolbar hidden"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, u"VurkArx即将隐藏，可运行命令【VURK】重启！\n是否不再提示？");
  EXPECT_EQ(boxes()[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_FALSE(vurk::ToolbarVisibleFlag());
  ASSERT_TRUE(s.steps("wait 3000"));
  EXPECT_EQ(boxes().size(), 1u) << "one prompt per hide";

  // VURK brings it back, at its own position.
  ASSERT_TRUE(s.steps("command VURK\nwait 1000\nexpect toolbar visible"));
  EXPECT_EQ(vurk::GetToolbar()->floatPosition().x, 1920 - 235);
  EXPECT_TRUE(vurk::ToolbarVisibleFlag());

  // Closed while AutoCAD is minimised: no prompt, but the plug-in stands still all the same.
  ASSERT_TRUE(s.steps("frame minimise\ntoolbar close\nwait 2000\nframe restore"));
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_FALSE(vurk::ToolbarVisibleFlag());

  ASSERT_TRUE(s.steps("command VURK\nwait 1000\ntoolbar close\nanswer yes\nwait 1000"));
  EXPECT_EQ(boxes().size(), 2u);
  EXPECT_EQ(settings().noToolbarHidePrompt, 1);
  ASSERT_TRUE(s.steps("expect setting noToolbarHidePrompt 1"));
  ASSERT_TRUE(s.steps("command VURK\nwait 1000\ntoolbar close\nwait 3000"));
  EXPECT_EQ(boxes().size(), 2u) << "never again after Yes";
}

TEST_F(ToolbarTest, WhileTheToolbarIsHiddenTheHostsMessagesChangeNothing) {
  ASSERT_TRUE(s.steps("toolbar close\nanswer no\nwait 1000"));
  const std::uint64_t before = vurk::CoordState().fingerprint;
  std::vector<std::uint8_t> info(80, 0);
  info[44] = 0x42;
  ASSERT_TRUE(s.hostApp()->sendRawMessage(20202, info));
  EXPECT_EQ(vurk::CoordState().fingerprint, before);
  ASSERT_TRUE(s.steps("command VURK\nwait 1000"));
  ASSERT_TRUE(s.hostApp()->sendRawMessage(20202, info));
  EXPECT_EQ(vurk::CoordState().fingerprint, 0x42u) << "shown again, the plug-in listens again";
}

TEST_F(ToolbarTest, TheOnlineBaseMapNeedsItsCacheFolderAndSwitchesTheImage) {
  int started = 0, cleared = 0;
  Features().startOnlineMap = [&] { ++started; };
  Features().clearOnlineMap = [&] { ++cleared; };
  const std::u16string cache = vurk::CurrentSettings()->cacheBaseFolder();
  std::filesystem::remove_all(s.host(cache));
  s.desktop().user().queueAnswer(IDOK);
  ASSERT_TRUE(s.steps("toolbar press 32769"));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, u"当前地图缓存路径不存在,请重新设置！\r\n" + cache);
  EXPECT_EQ(settings().onlineBaseMapOn, 0);
  EXPECT_EQ(imageOf(32769), 7);
  EXPECT_EQ(started, 0);

  std::filesystem::create_directories(s.host(cache));
  ASSERT_TRUE(s.steps("toolbar press 加载在线底图\nexpect setting onlineBaseMapOn 1\nexpect sysvar ZOOMFACTOR 100"));
  EXPECT_EQ(imageOf(32769), 1);
  EXPECT_EQ(started, 1);
  ASSERT_TRUE(s.steps("toolbar press 32769\nexpect setting onlineBaseMapOn 0"));
  EXPECT_EQ(imageOf(32769), 7);
  EXPECT_EQ(cleared, 1);

  Features().crossSectionMode = [] { return true; };
  ASSERT_TRUE(s.steps("toolbar press 32769\nexpect line 当前为断面模式，不支持浏览地图！\ntoolbar press 32770\nexpect line 当前为断面模式，不支持下载底图！"));
  EXPECT_EQ(started, 1);
  Features().documentStateExists = [] { return false; };
  s.desktop().user().queueAnswer(IDOK);
  ASSERT_TRUE(s.steps("toolbar press 32769"));
  EXPECT_EQ(boxes().back().text, u"g_ptagDocIdManager 为空，请打开文档后再操作。");
}

TEST_F(ToolbarTest, TheCrossSectionButtonAsksFirstAndEndsTheModeWhenItIsOn) {
  int started = 0, ended = 0;
  bool mode = false;
  Features().startCrossSection = [&] { ++started; };
  Features().endCrossSection = [&] { ++ended; };
  Features().crossSectionMode = [&] { return mode; };
  ASSERT_TRUE(s.steps("answer no\ntoolbar press 32781\nanswer yes\ntoolbar press 32781"));
  EXPECT_EQ(started, 1) << "only Yes starts it";
  EXPECT_EQ(boxes()[0].text,
            u"您确定把当前文档的数据以【断面】的形式发送到Vurk吗？\n提示：该模式下只能实现断面转换，不能使用跟随功能和地图服务。");
  mode = true;
  vurk::SetCrossSectionButton(true);
  EXPECT_EQ(imageOf(32781), 8);
  ASSERT_TRUE(s.steps("toolbar press 32781"));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(imageOf(32781), 5);
  mode = false;
  ASSERT_TRUE(s.steps("host stop\nanswer ok\ntoolbar press 32781\nexpect box 没有找到Vurk程序"));
}

TEST_F(ToolbarTest, SendingRefusesAGeographicHostSystem) {
  int sent = 0;
  Features().sendSelection = [&] { ++sent; };
  ASSERT_TRUE(s.steps("host system geographic\nanswer ok\ntoolbar press 32768"));
  EXPECT_EQ(boxes().back().text, u"星衡当前的坐标系为经纬度，不支持该操作！");
  EXPECT_EQ(sent, 0);
  ASSERT_TRUE(s.steps("host system gk 3 38 zone-in-easting\ntoolbar press 32768"));
  EXPECT_EQ(sent, 1);
}

// Icons in the drawing and a downloaded map, for the resize after the label height changed.
class IconResizeTest : public ToolbarTest {
 protected:
  AcDbObjectId addIcon(double x, double y) {
    AcAxDocLock lock;  // the features that insert icons hold the drawing's write lock
    AcGePoint3d p(x, y, 0);
    return vurk::AddImgPoint(vurk::GetIconImageDef(1), p, 60, vurk::DefaultEntityProps());
  }
  AcDbObjectId addMap() {
    AcAxDocLock lock;
    // Any real picture serves as the downloaded map: the icon's own file.
    vurk::GetIconImageDef(1);
    const auto target = s.host(u"D:\\p\\a_REFMAP\\map.png");
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(s.host(vurk::CurrentSettings()->cacheBaseFolder() + u"\\VurkArxIcon\\Icon0001.png"),
                               target, std::filesystem::copy_options::overwrite_existing);
    AcDbObjectId image;
    vurk::InsertIMGFile(vurk::GetLayerId(u"", false), u"D:\\p\\a_REFMAP\\map.png", u"4433221100",
                        AcGePoint3d(0, 0, 0), AcGePoint3d(2000, 1500, 0), false, image);
    return image;
  }
  // The settings dialog, with the label height chosen.
  void chooseLabelHeight(const std::string& item) {
    ASSERT_TRUE(s.steps("dialog \"设置\" choose 8127 \"" + item + "\"\ndialog \"设置\" click 1\ntoolbar press 32773"));
  }
};

TEST_F(IconResizeTest, OnlyIconsTakeTheNewLabelHeightADownloadedMapKeepsItsSize) {
  const AcDbObjectId icon = addIcon(100, 100);
  const AcDbObjectId map = addMap();
  ASSERT_FALSE(icon.isNull());
  ASSERT_FALSE(map.isNull());
  ASSERT_EQ(widthOf(icon), 60);
  chooseLabelHeight("120米(15级)");
  EXPECT_EQ(settings().labelTextHeight, 120u);
  s.desktop().pump();
  EXPECT_EQ(widthOf(icon), 120);
  EXPECT_EQ(widthOf(map), 2000);
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, icon, AcDb::kForRead), Acad::eOk);
  AcGePoint3d origin;
  AcGeVector3d u, v;
  AcDbRasterImage::cast(e)->getOrientation(origin, u, v);
  e->close();
  EXPECT_DOUBLE_EQ(origin.x + u.x / 2, 100) << "the icon still stands on its point";
}

TEST_F(IconResizeTest, ManyIconsShowTheProgressMeterAHundredDoNot) {
  auto statusLines = [&] {
    std::vector<std::string> lines;
    for (const auto& e : s.desktop().transcript().entries()) {
      if (e.channel == "status") lines.push_back(e.text);
    }
    return lines;
  };
  for (int i = 0; i < 100; ++i) addIcon(i * 10.0, 0);
  chooseLabelHeight("30米(17级)");
  EXPECT_TRUE(statusLines().empty());
  for (int i = 0; i < 50; ++i) addIcon(i * 10.0, 500);
  chooseLabelHeight("15米(18级)");
  const std::vector<std::string> lines = statusLines();
  ASSERT_EQ(lines.size(), 17u) << "shown, every tenth image, restored";
  EXPECT_EQ(lines.front(), "progress 调整图标大小 0..150");
  EXPECT_EQ(lines[1], "progress at 0");
  EXPECT_EQ(lines[15], "progress at 140");
  EXPECT_EQ(lines.back(), "progress ended");
}

TEST_F(IconResizeTest, ALabelHeightChangedWithNoDrawingOpenPostsNothing) {
  const AcDbObjectId icon = addIcon(0, 0);
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  chooseLabelHeight("240米(14级)");
  acdbHostApplicationServices()->setWorkingDatabase(db);
  s.desktop().pump();
  EXPECT_EQ(settings().labelTextHeight, 240u);
  EXPECT_EQ(widthOf(icon), 60);
}

}  // namespace
