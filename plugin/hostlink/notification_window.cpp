#include "hostlink/notification_window.h"

#include "arx/rxmfcapi.h"
#include "hostlink/flag_restore.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_link_dialogs.h"
#include "hostlink/host_link_record.h"
#include "hostlink/host_presence.h"
#include "hostlink/reply_decoders.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/transport.h"
#include "settings/settings_store.h"
#include "shell/plugin_module.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

CMessageDlg* g_window = nullptr;  // the one instance, from start-up to unload

constexpr UINT kButtonUpkeepMs = 5000;
constexpr UINT kPluginVersionMs = 5000;
constexpr UINT kTileStepMs = 300;
constexpr UINT kPendingTilesMs = 1000;
constexpr UINT kClearSendingMs = 100;
constexpr int kDownloadStepValue = 20;

// Messages that make and end the window itself pass even while the toolbar is hidden.
bool IsLifecycleMessage(UINT msg) {
  return msg == WM_NCCREATE || msg == WM_CREATE || msg == WM_INITDIALOG || msg == WM_DESTROY || msg == WM_NCDESTROY;
}

bool ToolbarVisible(NotificationRoutes& r) { return !r.toolbarVisible || r.toolbarVisible(); }
bool BaseMapStateExists(NotificationRoutes& r) { return r.baseMapStateExists && r.baseMapStateExists(); }
bool AwaitingBaseline(NotificationRoutes& r) { return r.awaitingBaseline && r.awaitingBaseline(); }

}  // namespace

CMessageDlg::CMessageDlg(CWnd* parent) : CDialog(kNotificationDialogId, parent) {}

CMessageDlg::~CMessageDlg() {
  if (g_window == this) g_window = nullptr;
}

BOOL CMessageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  HostLink& link = RequireHostLink();
  ChangeWindowMessageFilter(kMsgReceiveObjects, MSGFLT_ADD);
  ChangeWindowMessageFilter(WM_COPYDATA, MSGFLT_ADD);
  ChangeWindowMessageFilter(link.mapFileProgressMessage(), MSGFLT_ADD);
  ChangeWindowMessageFilter(link.contourProgressMessage(), MSGFLT_ADD);
  SetTimer(kTimerButtonUpkeep, kButtonUpkeepMs);
  SetTimer(kTimerPluginVersion, kPluginVersionMs);
  SetTimer(kTimerTileStep, kTileStepMs);
  SetTimer(kTimerPendingTiles, kPendingTilesMs);
  return TRUE;
}

LRESULT CMessageDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  HostLink* link = CurrentHostLink();
  if (!link || IsLifecycleMessage(msg)) return CDialog::WindowProc(msg, wParam, lParam);
  NotificationRoutes& r = link->routes();

  // 1. While the toolbar is hidden nothing is done; the blocks posted to the window are still
  // freed, since nobody else will.
  if (!ToolbarVisible(r)) {
    if (msg == kMsgSyncEntities) delete reinterpret_cast<AcDbObjectIdArray*>(lParam);
    if (msg == kMsgPointBecameIcon) delete reinterpret_cast<PointBlock*>(lParam);
    return 1;
  }
  // 2.
  if (msg == kMsgOpenRelationDialog) {
    if (r.openRelationDialog) r.openRelationDialog();
    return 1;
  }
  // 3. The plain messages; processing goes on.
  handlePlainMessage(msg, lParam);
  // 4. The host's progress broadcasts.
  if (link->mapFileProgressMessage() != 0 && msg == link->mapFileProgressMessage() && BaseMapStateExists(r) &&
      r.mapFileProgress) {
    r.mapFileProgress(wParam, lParam);
  }
  if (link->contourProgressMessage() != 0 && msg == link->contourProgressMessage() && BaseMapStateExists(r) &&
      r.contourProgress) {
    r.contourProgress(wParam, lParam);
  }
  // 5. and 6.
  if (msg != WM_COPYDATA || wParam != kCopyDataWParam || lParam == 0) return CDialog::WindowProc(msg, wParam, lParam);
  return dispatchHostMessage(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
}

bool CMessageDlg::handlePlainMessage(UINT msg, LPARAM lParam) {
  NotificationRoutes& r = Routes();
  NotificationFlags& f = Flags();
  switch (msg) {
    case kMsgUpdatePrompt: {
      const HostAnswers& a = Answers();
      if (a.noticeVersion != 0) ShowUpdatePrompt(HostText(a.noticeNotes), a.noticeVersion);
      return true;
    }
    case kMsgSyncEntities: {
      auto* ids = reinterpret_cast<AcDbObjectIdArray*>(lParam);
      if (ids && !ids->isEmpty() && FindHostWindow() && r.syncEntities) r.syncEntities(*ids);
      delete ids;
      return true;
    }
    case kMsgPointBecameIcon: {
      auto* block = reinterpret_cast<PointBlock*>(lParam);
      AcDbObjectId icon;
      if (block && r.pointToIcon && r.pointToIcon(block->x, block->y, icon)) {
        auto* ids = new AcDbObjectIdArray(0, 8);
        ids->append(icon);
        PostSyncEntities(ids);
      }
      delete block;
      return true;
    }
    case kMsgRefreshView:
      if (r.refreshView) r.refreshView();
      return true;
    case kMsgDeleteErased:
      if (r.deleteErased) r.deleteErased();
      return true;
    case kMsgIgnoredObjects:
      if (r.ignoredObjectsNotice) r.ignoredObjectsNotice();
      return true;
    case kMsgIconDeclutter:
      if (!f.iconPassRunning) {
        f.sendingFlag = true;
        {
          FlagRestore restore(f.iconPassRunning);
          f.iconPassRunning = true;
          if (r.iconDeclutter) r.iconDeclutter();
        }
        SetTimer(kTimerClearSending, kClearSendingMs);
      }
      return true;
    case kMsgClearSendingSoon:
      SetTimer(kTimerClearSending, kClearSendingMs);
      return true;
    case kMsgReceiveObjects:
      f.sendingFlag = true;
      if (!AwaitingBaseline(r) && r.meterStart) r.meterStart(u"接收数据");
      ShowHostError(GetObjTree(), kGetObjTreeErr, false);
      return true;
    default: return false;
  }
}

void CMessageDlg::OnTimer(UINT_PTR id) {
  if (!CurrentHostLink()) return;
  NotificationRoutes& r = Routes();
  switch (id) {
    case kTimerButtonUpkeep: {
      SetButton(kButtonQuery, u"");
      if (!Answers().buttonPresent) SetButton(kButtonAdd, kHostButtonLabel);
      const SettingsStore* store = CurrentSettings();
      const std::uint32_t mode = store ? store->record().viewFollowMode : 0;
      if ((mode == 2 || mode == 3) && FindHostWindow()) {
        ShowHostError(SetFollowWinMap(kFollowStartReporting), kFollowWinMapErr, false);
      }
      return;
    }
    case kTimerPluginVersion:
      // Asked once the host is there; host notice 20203 stops the timer as well.
      if (FindHostWindow()) {
        KillTimer(kTimerPluginVersion);
        ShowHostError(GetPluginVer(), kGetPluginVerErr, false);
      }
      return;
    case kTimerTileStep:
      if (BaseMapStateExists(r) && r.tileStep) r.tileStep();
      return;
    case kTimerPendingTiles:
      if (BaseMapStateExists(r) && r.pendingTiles) r.pendingTiles();
      return;
    case kTimerViewWatch:
      if (r.viewWatch) r.viewWatch();
      return;
    case kTimerFramesOnce:
      KillTimer(kTimerFramesOnce);
      if (r.framesAndBaseMap) r.framesAndBaseMap();
      return;
    case kTimerSysCoorQuery:
      KillTimer(kTimerSysCoorQuery);
      GetSysCoor();
      return;
    case kTimerHatchFlag:
      KillTimer(kTimerHatchFlag);
      if (r.clearHatchFlag) r.clearHatchFlag();
      return;
    case kTimerClearSending:
      KillTimer(kTimerClearSending);
      Flags().sendingFlag = false;
      return;
    case kTimerDownloadStep:
      KillTimer(kTimerDownloadStep);
      if (r.downloadStep) r.downloadStep(kDownloadStepValue);
      return;
    default: CDialog::OnTimer(id);
  }
}

BOOL CMessageDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDOK) return TRUE;  // button 1 plays no role
  return CDialog::OnCommand(wParam, lParam);
}

void CMessageDlg::OnCancel() {
  // Button 2 and the close box end the window (the API call: this object is gone afterwards).
  ::DestroyWindow(m_hWnd);
}

void CMessageDlg::PostNcDestroy() { delete this; }

LRESULT CMessageDlg::tail() {
  NotificationRoutes& r = Routes();
  if (BaseMapStateExists(r) && r.clearAwaitingBaseline) r.clearAwaitingBaseline();
  return 1;
}

CMessageDlg* CreateNotificationWindow(CWnd* parent) {
  if (g_window) return g_window;
  if (!CurrentHostLink()) return nullptr;  // the window serves the host link
  auto* window = new CMessageDlg(parent);
  CAcModuleResourceOverride resources(PluginInstance());
  if (!window->Create(kNotificationDialogId, parent)) {
    delete window;
    return nullptr;
  }
  window->ShowWindow(SW_HIDE);
  g_window = window;
  return window;
}

CMessageDlg* NotificationWindow() { return g_window; }

void DestroyNotificationWindow() {
  if (g_window && g_window->m_hWnd) ::DestroyWindow(g_window->m_hWnd);
}

bool PostSyncEntities(AcDbObjectIdArray* ids) {
  const HWND w = g_window ? g_window->m_hWnd : nullptr;
  if (!w || !PostMessageW(w, kMsgSyncEntities, 0, reinterpret_cast<LPARAM>(ids))) {
    delete ids;
    return false;
  }
  return true;
}

bool PostIgnoredObjectsNotice() {
  const HWND w = g_window ? g_window->m_hWnd : nullptr;
  return w && PostMessageW(w, kMsgIgnoredObjects, 0, 0);
}

bool PostPointBecameIcon(double x, double y) {
  auto* block = new PointBlock{x, y};
  const HWND w = g_window ? g_window->m_hWnd : nullptr;
  if (!w || !PostMessageW(w, kMsgPointBecameIcon, 0, reinterpret_cast<LPARAM>(block))) {
    delete block;
    return false;
  }
  return true;
}

}  // namespace vurk
