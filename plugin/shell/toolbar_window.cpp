#include "shell/toolbar_window.h"

#include <memory>

#include "arx/axlock.h"
#include "arx/aced.h"
#include "arx/acutads.h"
#include "arx/dbapserv.h"
#include "arx/dbimage.h"
#include "arx/rxmfcapi.h"
#include "basemap/dwg_database_util.h"
#include "basemap/raster_images.h"
#include "coords/coordinate_state.h"
#include "coords/relation_dialog.h"
#include "hostlink/host_link_record.h"
#include "hostlink/host_presence.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/transport.h"
#include "mfc/afxmsg.h"
#include "settings/settings_store.h"
#include "shell/base_map_view_mode.h"
#include "shell/feature_handoffs.h"
#include "shell/plugin_module.h"
#include "shell/settings_dialog.h"
#include "shell/shell_resources.h"
#include "shell/version.h"
#include "util/file_ops.h"
#include "win32/desktop.h"
#include "win32/fileapi.h"
#include "win32/format.h"
#include "win32/resources.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

CAcToolBarWnd* g_window = nullptr;
std::unique_ptr<CImageList> g_images;
bool g_toolbarVisible = true;

constexpr DWORD kToolbarWindowStyle = 0x60010000;  // WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP
constexpr DWORD kBarStyle = 0x5000A834;
constexpr DWORD kBarControlStyles = TBSTYLE_FLAT | TBSTYLE_TRANSPARENT;  // 0x8800
constexpr UINT kBarId = 0xE800;
constexpr int kIconSize = 24;
constexpr int kFloatTop = 70;
constexpr int kFloatFromRightAtStart = 300;
constexpr UINT kHideWatchMs = 1000;
constexpr int kMeterStep = 10;

SettingsRecord& Record() {
  static SettingsRecord scratch{};
  SettingsStore* store = CurrentSettings();
  return store ? store->record() : scratch;
}

void Box(const char16_t* text) { AfxMessageBox(text, MB_OK); }

// The progress meter, restored on every path.
class MeterScope {
 public:
  MeterScope(bool show, int count) : shown_(show && acedSetStatusBarProgressMeter(u"调整图标大小", 0, count) == 0) {}
  ~MeterScope() {
    if (shown_) acedRestoreStatusBar();
  }
  MeterScope(const MeterScope&) = delete;
  MeterScope& operator=(const MeterScope&) = delete;
  void position(int i) {
    if (shown_ && i % kMeterStep == 0) acedSetStatusBarProgressMeterPos(i);
  }

 private:
  bool shown_;
};

void SetOnlineBaseMapImage(CAcToolBar* bar, bool on) {
  if (bar) bar->SetButtonInfo(1, kCmdOnlineMap, TBBS_BUTTON, on ? kImageOnlineMapOn : kImageOnlineMapOff);
}

void FloatAndShow(CAcToolBar* bar, int fromRight) {
  CFrameWnd* frame = acedGetAcadFrame();
  if (!frame || !bar) return;
  frame->FloatControlBar(bar, CPoint(GetSystemMetrics(SM_CXSCREEN) - fromRight, kFloatTop), CBRS_ALIGN_TOP);
  frame->ShowControlBar(bar, TRUE, TRUE);
}

}  // namespace

CAcToolBarWnd::~CAcToolBarWnd() {
  if (g_window == this) g_window = nullptr;
}

int CAcToolBarWnd::OnCreate(CREATESTRUCTW* cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  createToolbar();
  SetTimer(kTimerHideWatch, kHideWatchMs);
  return 0;
}

bool CAcToolBarWnd::createToolbar() {
  CFrameWnd* frame = acedGetAcadFrame();
  if (!frame) return false;
  const std::u16string caption = u"星衡工具栏(" + VersionText(PLUGIN_VERSION) + u")";
  auto bar = std::make_unique<CAcToolBar>();
  if (!bar->CreateEx(frame, kBarControlStyles, kBarStyle, RECT{0, 0, 0, 0}, kBarId)) return false;
  bar->SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(m_hWnd), 0);
  toolbar_ = bar.release();

  g_images = std::make_unique<CImageList>();
  g_images->Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 1, 1);
  for (UINT icon : kToolbarIconIds) g_images->Add(LoadIconW(PluginInstance(), MAKEINTRESOURCEW(icon)));
  frame->EnableDocking(CBRS_ALIGN_ANY);
  toolbar_->SetButtons(kToolbarButtons.data(), static_cast<int>(kToolbarButtons.size()));
  toolbar_->SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_images->GetSafeHandle()));
  toolbar_->SetSizes(SIZE{kIconSize, kIconSize}, SIZE{kIconSize, kIconSize});
  SetOnlineBaseMapImage(toolbar_, Record().onlineBaseMapOn != 0);

  toolbar_->EnableDocking(CBRS_ALIGN_ANY);
  toolbar_->SetWindowText(caption.c_str());
  FloatAndShow(toolbar_, kFloatFromRightAtStart);
  return true;
}

void CAcToolBarWnd::OnDestroy() {
  CWnd::OnDestroy();
  if (toolbar_) {
    toolbar_->DestroyWindow();
    delete toolbar_;
    toolbar_ = nullptr;
  }
  g_images.reset();
}

LRESULT CAcToolBarWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kMsgResizeIcons) {
    ResizeIcons();
    return 0;
  }
  return CWnd::WindowProc(msg, wParam, lParam);
}

BOOL CAcToolBarWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case kCmdSend: onSend(); return TRUE;
    case kCmdOnlineMap: onOnlineMap(); return TRUE;
    case kCmdDownloadMap: onDownloadMap(); return TRUE;
    case kCmdElevation: onElevation(); return TRUE;
    case kCmdRelationPoints: onRelationPoints(); return TRUE;
    case kCmdCrossSection: onCrossSection(); return TRUE;
    case kCmdSettings: onSettings(); return TRUE;
    default: return CWnd::OnCommand(wParam, lParam);
  }
}

void CAcToolBarWnd::OnTimer(UINT_PTR id) {
  if (id == kTimerHideWatch) {
    hideWatch();
    return;
  }
  CWnd::OnTimer(id);
}

void CAcToolBarWnd::hideWatch() {
  const bool visible = toolbar_ && toolbar_->m_hWnd && toolbar_->IsWindowVisible();
  if (visible != g_toolbarVisible && !visible && !Record().noToolbarHidePrompt) {
    CFrameWnd* frame = acedGetAcadFrame();
    if (!frame || !frame->IsIconic()) {
      g_toolbarVisible = false;
      if (AfxMessageBox(u"VurkArx即将隐藏，可运行命令【VURK】重启！\n是否不再提示？", MB_YESNO) == IDYES) {
        Record().noToolbarHidePrompt = 1;
        SaveSettings();
      }
    }
  }
  g_toolbarVisible = visible;
}

void CAcToolBarWnd::onSend() {
  if (!CheckHostReady()) return;
  if (!CoordState().checkPending && !(Features().closingDocument && Features().closingDocument())) GetSysCoor();
  if (CoordState().geographic) {
    Box(u"星衡当前的坐标系为经纬度，不支持该操作！");
    return;
  }
  if (acdbHostApplicationServices() && acdbHostApplicationServices()->workingDatabase()) {
    RunFeature(Features().sendSelection, u"send the selection");
  }
}

void CAcToolBarWnd::onOnlineMap() {
  if (!DocumentStateExists()) {
    Box(u"g_ptagDocIdManager 为空，请打开文档后再操作。");
    return;
  }
  SettingsRecord& r = Record();
  const bool switchingOn = r.onlineBaseMapOn == 0;
  if (switchingOn) {
    if (Features().crossSectionMode && Features().crossSectionMode()) {
      acutPrintf(u"\n当前为断面模式，不支持浏览地图！");
      return;
    }
    if (Features().baseMapCaptureRunning && Features().baseMapCaptureRunning()) {
      acutPrintf(u"\n当前系统正在进行取图(耗时)，无法进行在线加载地图！");
      return;
    }
    const SettingsStore* store = CurrentSettings();
    const std::u16string folder = store ? store->cacheBaseFolder() : std::u16string();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      const std::u16string text = u"当前地图缓存路径不存在,请重新设置！\r\n" + folder;
      Box(text.c_str());
      return;
    }
  }
  r.onlineBaseMapOn = switchingOn ? 1 : 0;
  SetOnlineBaseMapButton(switchingOn);
  SaveSettings();
  SetBaseMapViewMode(switchingOn);
  RunFeature(switchingOn ? Features().startOnlineMap : Features().clearOnlineMap, u"online base map");
}

void CAcToolBarWnd::onDownloadMap() {
  if (!DocumentStateExists()) return;
  if (Features().crossSectionMode && Features().crossSectionMode()) {
    acutPrintf(u"\n当前为断面模式，不支持下载底图！");
    return;
  }
  RunFeature(Features().downloadBaseMap, u"download a base map");
}

void CAcToolBarWnd::onElevation() {
  if (!DocumentStateExists()) return;
  RunFeature(Features().downloadElevation, u"download elevation");
}

void CAcToolBarWnd::onRelationPoints() {
  ClearPendingDocumentCheck();
  GetSysCoor();
  OpenRelationPointDialog();
}

void CAcToolBarWnd::onCrossSection() {
  if (Features().crossSectionMode && Features().crossSectionMode()) {
    RunFeature(Features().endCrossSection, u"end the cross-section mode");
    SetCrossSectionButton(false);
    return;
  }
  if (!FindHostWindow()) {
    Box(u"没有找到Vurk程序");
    return;
  }
  if (AfxMessageBox(u"您确定把当前文档的数据以【断面】的形式发送到Vurk吗？\n提示：该模式下只能实现断面转换，不能使用跟随功能和地图服务。",
                    MB_YESNO) == IDYES) {
    RunFeature(Features().startCrossSection, u"cross-section");
  }
}

void CAcToolBarWnd::onSettings() {
  const std::uint32_t before = Record().labelTextHeight;
  RunSettingsDialog();
  const bool drawing = acdbHostApplicationServices() && acdbHostApplicationServices()->workingDatabase();
  if (drawing && Record().labelTextHeight != before) PostMessage(kMsgResizeIcons);
}

void CAcToolBarWnd::ResizeIcons() {
  resizeIds_.setLogicalLength(0);
  AcDbDatabase* db = acdbHostApplicationServices() ? acdbHostApplicationServices()->workingDatabase() : nullptr;
  if (!db) return;
  AcAxDocLock lock(db);
  if (lock.lockStatus() != Acad::eOk) return;
  GetAllEntityIdsOfClass(AcDbRasterImage::desc(), resizeIds_);
  const int count = resizeIds_.length();
  MeterScope meter(count > kResizeMeterThreshold, count);
  const int size = static_cast<int>(Record().labelTextHeight);
  for (int i = 0; i < count; ++i) {
    meter.position(i);
    const AcDbObjectId id = resizeIds_[i];
    AcDbEntity* entity = nullptr;
    const Acad::ErrorStatus es = acdbOpenAcDbEntity(entity, id, AcDb::kForWrite);
    if (es != Acad::eOk) {
      AfxMessageBox(win32::formatWide(u"Wproc Update ICon ErrorCode:%d", static_cast<int>(es)).c_str(), MB_OK);
      continue;
    }
    AcDbRasterImage* image = AcDbRasterImage::cast(entity);
    if (!image || !IsIconImage(*image)) {
      entity->close();
      continue;
    }
    AcGePoint3d origin;
    AcGeVector3d u, v;
    image->getOrientation(origin, u, v);
    const AcGePoint3d anchor(origin.x + u.x / 2.0, origin.y, origin.z);
    entity->close();
    SetImgPointPosition(id, anchor, size);
    if (Features().placeLabelAtIcon) Features().placeLabelAtIcon(id);
  }
}

bool CreateToolbarWindow() {
  if (g_window) return true;
  CFrameWnd* frame = acedGetAcadFrame();
  if (!frame) return false;
  g_toolbarVisible = true;
  // The notification window stands still while the toolbar is hidden.
  if (HostLink* link = CurrentHostLink()) link->routes().toolbarVisible = [] { return ToolbarVisibleFlag(); };
  CAcModuleResourceOverride resources(PluginInstance());
  auto* window = new CAcToolBarWnd;
  if (!window->CreateEx(0, nullptr, nullptr, kToolbarWindowStyle, RECT{0, 0, 1, 1}, frame, kToolbarWindowId)) {
    delete window;
    return false;
  }
  g_window = window;
  return true;
}

void DestroyToolbarWindow() {
  if (!g_window) return;
  CAcToolBarWnd* window = g_window;
  g_window = nullptr;
  if (window->m_hWnd) window->DestroyWindow();
  delete window;
}

CAcToolBarWnd* ToolbarWindow() { return g_window; }
CAcToolBar* GetToolbar() { return g_window ? g_window->toolbar() : nullptr; }

void SetOnlineBaseMapButton(bool on) { SetOnlineBaseMapImage(GetToolbar(), on); }

void SetCrossSectionButton(bool on) {
  if (CAcToolBar* bar = GetToolbar()) {
    bar->SetButtonInfo(5, kCmdCrossSection, TBBS_BUTTON, on ? kImageCrossSectionOn : kImageCrossSectionNormal);
  }
}

bool ToolbarVisibleFlag() { return g_toolbarVisible; }

void FloatAndShowToolbar(int fromRight) { FloatAndShow(GetToolbar(), fromRight); }
}  // namespace vurk
