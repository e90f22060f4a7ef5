#include "shell/vurkarx_app.h"

#include <iterator>

#include "arx/accmd.h"
#include "arx/acedads.h"
#include "arx/rxdlinkr.h"
#include "arx/rxmfcapi.h"
#include "mfc/afxmsg.h"
#include "mfc/afxwin.h"
#include "basemap/dwg_database_util.h"
#include "basemap/icon_declutter.h"
#include "coords/coordinate_state.h"
#include "exchange/send_flow.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_link_record.h"
#include "hostlink/host_presence.h"
#include "hostlink/notification_window.h"
#include "hostlink/request_catalogue.h"
#include "reactors/document_reactor.h"
#include "receive/receive_objects.h"
#include "settings/settings_store.h"
#include "shell/base_map_view_mode.h"
#include "shell/commands.h"
#include "shell/plugin_folder_check.h"
#include "shell/plugin_module.h"
#include "shell/toolbar_window.h"
#include "shell/version.h"
#include "util/file_ops.h"
#include "util/log.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

CVurkArxApp g_app;

AcRxDynamicLinker* dynamicLinker() { return acrxDynamicLinker; }

// The notification window is a dialog whose class is "VurkArxWin", so the host can find it.
void registerNotificationWindowClass() {
  WNDCLASSW wc{};
  if (!GetClassInfoW(PluginInstance(), u"#32770", &wc)) return;
  wc.style = CS_GLOBALCLASS;
  wc.lpszClassName = kNotificationWindowClass;
  AfxRegisterClass(&wc);
}

void loadObjectEnablers() {
  AcRxDynamicLinker* linker = dynamicLinker();
  if (!linker || !linker->loadModule(u"acISMobj24.dbx", true, false)) {
    AfxMessageBox(u"无法加载acISMobj24.dbx\n", MB_OK);
  }
  if (!linker || !linker->loadModule(u"AcGeomentObj.dbx", true, false)) {
    AfxMessageBox(u"无法加载AcGeomentObj.dbx\n", MB_OK);
  }
}

void registerCommands() {
  acedRegCmds->addCommand(kCommandGroup, u"VURK", u"VURK", ACRX_CMD_MODAL, &VurkCommand, nullptr, -1, nullptr);
  acedRegCmds->addCommand(kCommandGroup, u"testConnect", u"testConnect", ACRX_CMD_MODAL, &TestConnect, nullptr, -1,
                          nullptr);
}

}  // namespace

AcRx::AppRetCode CVurkArxApp::On_kInitAppMsg(void* pkt) {
  // 1. The framework's part, then unlock and register MDI-aware once more, unconditionally.
  AcRxArxApp::On_kInitAppMsg(pkt);
  if (AcRxDynamicLinker* linker = dynamicLinker()) {
    linker->unlockApplication(pkt);
    linker->registerAppMDIAware(pkt);
  }

  // 2. Nothing is created before the folder check, so a refusal leaves nothing behind.
  if (!CheckPluginFolder(u"")) return AcRx::kRetError;

  // 3. The view variables the online base map changes.
  SaveViewVariables();

  // 4. The diagnostics log beside the plug-in.
  InitLog(PluginFolder());
  Log(u"VurkArx " + VersionText(PLUGIN_VERSION) + u" started");

  // 5. The notification window's class, whose name the host link registers under, and the
  // settings.
  registerNotificationWindowClass();
  StartHostLink(kNotificationWindowClass);
  auto settings = std::make_unique<SettingsStore>();
  settings->load(PluginFolder());
  InstallSettings(std::move(settings));
  StartCoordinateAlignment();
  StartReceive();

  // 7. Each open drawing's state with its links, kept in step with the documents.
  StartDocumentStates();

  // 8. The toolbar, floating and shown.
  CreateToolbarWindow();

  // 9. The shared default colour, then the object enablers; a missing one is reported and
  // loading goes on.
  AcCmColor white;
  white.setColorIndex(7);
  SetSharedDefaultColour(white);
  loadObjectEnablers();

  // 10. The hidden notification window, created once per load; 11. its view watch.
  CMessageDlg* window = NotificationWindow();
  if (!window) window = CreateNotificationWindow(acedGetAcadFrame());
  if (window) window->SetTimer(kTimerViewWatch, 1000, nullptr);
  Routes().iconDeclutter = [] { RunIconDeclutterPass(); };
  StartSendFlow();

  // 12. The host: a running host (1), or one not installed or too old (-1, already reported),
  // gets the plug-in's button; a host that is not running (0) gets nothing. Then the online base
  // map comes back when it was on.
  if (EnsureHostRunning() != 0) {
    ShowHostError(SetButton(kButtonAdd, kHostButtonLabel), kSetButtonErr, false);
  }
  if (CurrentSettings()->record().onlineBaseMapOn) SetBaseMapViewMode(true);

  // 13. Image frames and base-map readiness, once, two seconds from now.
  if (window) window->SetTimer(kTimerFramesOnce, 2000, nullptr);

  // 14. The commands.
  registerCommands();

  // 15.
  RegisterServerComponents();
  running_ = true;
  return AcRx::kRetOK;
}

AcRx::AppRetCode CVurkArxApp::On_kUnloadAppMsg(void* pkt) {
  // 1. The framework's part (its command map and class tables are empty).
  AcRxArxApp::On_kUnloadAppMsg(pkt);
  if (!running_) return AcRx::kRetOK;
  running_ = false;

  SettingsStore* settings = CurrentSettings();

  // 2. The host stops following the drawing; its answer does not matter.
  SetFollowWinMap(kFollowStopReporting);

  // 3. The tile cache, when the user asked for it to go.
  if (settings && settings->record().clearCacheOnExit) DeleteCacheFolder(settings->cacheBaseFolder());

  // 5. The commands; the drawings' states.
  acedRegCmds->removeGroup(kCommandGroup);
  StopSendFlow();
  StopDocumentStates();

  // The user's view variables come back: an unload must not leave the base-map values in the
  // user's profile, nor the double-click action switched off.
  SetBaseMapViewMode(false);
  if (settings && settings->record().dblClickShowsProperties) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = 1;
    acedSetVar(u"DBLCLKEDIT", &rb);
  }

  // 9. The toolbar; 10. the notification window and the relation-point dialog.
  DestroyToolbarWindow();
  DestroyNotificationWindow();
  StopCoordinateAlignment();

  // 11. The plug-in's button leaves the host.
  SetButton(kButtonRemove, u"");

  // Nothing of the plug-in stays registered.
  UnregisterClassW(kNotificationWindowClass, PluginInstance());
  StopHostLink();
  RemoveSettings();
  Log(u"VurkArx unloaded");
  RemoveLog();
  return AcRx::kRetOK;
}

}  // namespace vurk

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
  using Handler = AcRx::AppRetCode (AcRxDbxApp::*)(void*);
  // The handlers in slot order: codes 1..15 go to slots 0..14, code 0 to slot 15.
  static constexpr Handler kSlots[] = {
      &AcRxDbxApp::On_kInitAppMsg,    &AcRxDbxApp::On_kUnloadAppMsg,   &AcRxDbxApp::On_kLoadDwgMsg,
      &AcRxDbxApp::On_kUnloadDwgMsg,  &AcRxDbxApp::On_kInvkSubrMsg,    &AcRxDbxApp::On_kCfgMsg,
      &AcRxDbxApp::On_kEndMsg,        &AcRxDbxApp::On_kQuitMsg,        &AcRxDbxApp::On_kSaveMsg,
      &AcRxDbxApp::On_kDependencyMsg, &AcRxDbxApp::On_kNoDependencyMsg, &AcRxDbxApp::On_kOleUnloadAppMsg,
      &AcRxDbxApp::On_kPreQuitMsg,    &AcRxDbxApp::On_kInitDialogMsg,  &AcRxDbxApp::On_kEndDialogMsg,
      &AcRxDbxApp::On_kNullMsg,
  };
  const int code = static_cast<int>(msg);
  if (code < 0 || code > 15) return AcRx::kRetOK;
  const int slot = code == 0 ? 15 : code - 1;
  AcRxDbxApp& app = vurk::g_app;
  return (app.*kSlots[slot])(pkt);
}
