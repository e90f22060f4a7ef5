#include "hostlink/host_presence.h"

#include "hostlink/hint_dialog.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_install_record.h"
#include "hostlink/host_link_record.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/transport.h"
#include "mfc/afxmsg.h"
#include "settings/settings_store.h"
#include "win32/shell.h"
#include "win32/winreg.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

// The registry key, closed on every path.
class HostKey {
 public:
  HostKey() { opened_ = RegOpenKeyExW(HKEY_CURRENT_USER, kHostRegistryKey, 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS; }
  ~HostKey() {
    if (opened_) RegCloseKey(key_);
  }
  HostKey(const HostKey&) = delete;
  HostKey& operator=(const HostKey&) = delete;
  bool opened() const { return opened_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
  bool opened_ = false;
};

// The per-run state; without a running host link a throw-away one (nothing is remembered).
struct PresenceAccess {
  HostPresenceState scratch;
  HostPresenceState& get() {
    HostLink* link = CurrentHostLink();
    return link ? link->presence() : scratch;
  }
};

void RefreshCachedVersion(HostPresenceState& presence, HKEY key) {
  if (const auto v = ReadHostVersion(key)) presence.cachedHostVersion = *v;
}

void Box(const char16_t* text) { AfxMessageBox(text, MB_OK); }

constexpr const char16_t* kNotInstalled = u"您尚未安装星衡地图，请到官网下载！";
constexpr const char16_t* kTooOld = u"您安装星衡地图版本太低，请到官网下载！";

// The 772..887 warning, once per run; false when the user chose to download.
bool WarnTooOldOnce(HostPresenceState& presence) {
  if (presence.tooOldWarningShown) return true;
  presence.tooOldWarningShown = true;
  SettingsStore* store = CurrentSettings();
  SettingsRecord scratch{};
  SettingsRecord& settings = store ? store->record() : scratch;
  if (settings.hostTooOldPromptVersion < static_cast<std::uint32_t>(kAcceptedHostVersion)) {
    settings.promptHostTooOld = 1;
    settings.hostTooOldPromptVersion = static_cast<std::uint32_t>(kAcceptedHostVersion);
    SaveSettings();
  }
  return AskWithHint(settings.promptHostTooOld, u"您安装的星衡版本太低，请到官网重新下载！", kDownloadPage);
}

}  // namespace

int EnsureHostRunning() {
  if (FindHostWindow()) return CheckHostReady() ? 1 : 0;

  PresenceAccess access;
  HostPresenceState& presence = access.get();
  std::u16string runPath;
  {
    HostKey key;
    if (!key.opened()) {
      Box(kNotInstalled);
      OpenWebPage(kDownloadPage);
      return -1;
    }
    RefreshCachedVersion(presence, key.get());
    runPath = ReadHostRunPath(key.get());
  }
  if (presence.cachedHostVersion < kAcceptedHostVersion) {
    Box(kTooOld);
    OpenWebPage(kDownloadPage);
    return -1;
  }
  SettingsStore* store = CurrentSettings();
  // Without a usable program path there is nothing to start, so nothing is offered.
  if (runPath.empty() || (store && store->record().noOpenHostPrompt)) return 0;
  CDlgHint dialog;
  dialog.caption = u"提示";
  dialog.text = u"是否打开星衡程序？";
  dialog.checkText = u"不再提示";
  if (ShowHint(dialog) == IDOK) {
    LaunchHost(runPath);
  } else if (dialog.checked && store) {
    store->record().noOpenHostPrompt = 1;
    SaveSettings();
  }
  return 0;
}

bool CheckHostReady() {
  if (!FindHostWindow()) {
    Box(u"您尚未打开星衡互动地图，无法使用插件功能！");
    return false;
  }
  PresenceAccess access;
  HostPresenceState& presence = access.get();
  if (presence.cachedHostVersion < kAcceptedHostVersion) {
    {
      HostKey key;
      if (!key.opened()) return false;
      RefreshCachedVersion(presence, key.get());
    }
    if (presence.cachedHostVersion < kLowestHostVersion) {
      Box(kTooOld);
      OpenWebPage(kDownloadPage);
      return false;
    }
    if (presence.cachedHostVersion < kAcceptedHostVersion && !WarnTooOldOnce(presence)) return false;
  }
  const std::int32_t status = GetStatusInfo();
  ShowHostError(status, kGetStatusInfoErr, true);
  if (status <= 0) return false;
  if (!(status & kHostReadyBit)) {
    Box(u"星衡正在处理事务，本消息处理失败！");
    return false;
  }
  return true;
}

void BringHostToFront() {
  const HWND host = FindHostWindow();
  if (!host) return;
  if (IsIconic(host)) ShowWindow(host, SW_SHOWNORMAL);
  BringWindowToTop(host);
}

void LaunchHost(std::u16string_view path) {
  const std::u16string file(path);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_DEFAULT;
  info.lpVerb = u"open";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOW;
  ShellExecuteExW(&info);
}

}  // namespace vurk
