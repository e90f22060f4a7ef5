#include "shell/settings_dialog.h"

#include <array>
#include <optional>
#include <utility>

#include "arx/acedads.h"
#include "arx/rxmfcapi.h"
#include "hostlink/hint_dialog.h"
#include "hostlink/host_errors.h"
#include "hostlink/request_catalogue.h"
#include "mfc/afxmsg.h"
#include "settings/settings_store.h"
#include "shell/demand_load.h"
#include "shell/feature_handoffs.h"
#include "shell/path_dialog.h"
#include "shell/plugin_folder_check.h"
#include "shell/plugin_module.h"
#include "shell/shell_resources.h"
#include "shell/version.h"
#include "util/file_ops.h"
#include "util/log.h"
#include "win32/case_fold.h"
#include "win32/fileapi.h"
#include "win32/sync.h"

namespace vurk {

namespace S = settings_dialog;

namespace {

constexpr const char16_t* kFollowItems[] = {u"无", u"星衡随CAD", u"CAD随星衡", u"相互跟随"};
constexpr const char16_t* kLabelItems[] = {u"240米(14级)", u"120米(15级)", u"60米(16级)", u"30米(17级)",
                                           u"15米(18级)",  u"8米(19级)",   u"4米(20级)"};
constexpr int kDefaultLabelItem = 2;
constexpr int kLowestMaxLevel = 16;
constexpr int kHighestMaxLevel = 28;
constexpr std::size_t kFolderTextLimit = 260;
constexpr std::u16string_view kVideoTutorialPage = u"https://vurk.example.com/help/video";

SettingsRecord& Record() {
  static SettingsRecord scratch{};
  SettingsStore* store = CurrentSettings();
  return store ? store->record() : scratch;
}

std::u16string CacheBaseFolder() {
  const SettingsStore* store = CurrentSettings();
  return store ? store->cacheBaseFolder() : std::u16string();
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

int LabelItemOf(std::uint32_t labelHeight) {
  for (std::size_t i = 0; i < std::size(kLabelHeights); ++i) {
    if (static_cast<std::uint32_t>(kLabelHeights[i]) == labelHeight) return static_cast<int>(i);
  }
  return kDefaultLabelItem;
}

std::u16string ComparableFolder(const std::u16string& folder) {
  if (folder.empty()) return {};
  std::array<char16_t, MAX_PATH + 1> full{};
  const DWORD n = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return {};
  std::u16string path(full.data(), n);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
  return win32::upcaseName(path);
}

namespace {

// What a folder path names (volume and file index), whatever its spelling, links included.
std::optional<std::pair<DWORD, std::uint64_t>> FolderIdentity(const std::u16string& folder) {
  if (folder.empty()) return std::nullopt;
  const HANDLE h = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return std::make_pair(info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

// Two paths name one folder: the same identity, or (for folders that do not exist) the same
// full path.
bool SameFolder(const std::u16string& a, const std::u16string& b) {
  const auto ia = FolderIdentity(a);
  const auto ib = FolderIdentity(b);
  if (ia && ib) return *ia == *ib;
  const std::u16string ca = ComparableFolder(a);
  return !ca.empty() && ca == ComparableFolder(b);
}

// The folder is the container or lies somewhere below it.
bool FolderWithin(const std::u16string& folder, const std::u16string& container) {
  std::u16string path = ComparableFolder(folder);
  while (!path.empty()) {
    if (SameFolder(path, container)) return true;
    const std::size_t cut = path.find_last_of(u'\\');
    if (cut == std::u16string::npos || cut < 2) break;
    path.resize(cut);
  }
  return false;
}

}  // namespace

void SwitchCacheFolder(const std::u16string& folder) {
  SettingsStore* store = CurrentSettings();
  if (!store || folder.empty() || folder == store->cacheBaseFolder()) return;
  const std::u16string old = store->cacheBaseFolder();
  store->setCacheBaseFolder(folder);
  SaveCacheFolder();
  // The same folder spelled differently (or through a link): the live cache stays.
  if (SameFolder(old, folder)) return;
  if (DocumentStateExists()) RunFeature(Features().startOnlineMap, u"online base map");
  // The old tile cache goes, unless the new folder lies in it (then it holds the new cache).
  if (!FolderWithin(folder, old + u"\\MapTemp")) DeleteCacheFolder(old);
}

CDlgSetting::CDlgSetting() : CDialog(S::kTemplate, nullptr) {}

BOOL CDlgSetting::OnInitDialog() {
  CDialog::OnInitDialog();
  SettingsRecord& r = Record();
  autoLoad_ = r.autoLoadPlugin ? 1 : 0;
  autoSync_ = r.autoSyncObjects ? 1 : 0;
  clearCache_ = r.clearCacheOnExit ? 1 : 0;
  pointsAsIcons_ = r.pointsAsIcons ? 1 : 0;
  zoneCheck_ = r.noZoneNumberCheck ? 0 : 1;
  byLayerColour_ = r.byLayerColourFromHost ? 1 : 0;
  dblClick_ = r.dblClickShowsProperties ? 1 : 0;
  maxLevel_ = static_cast<int>(r.maxBaseMapLevel);
  SetDlgItemText(S::kCacheFolder, CacheBaseFolder().c_str());

  // The icon threshold moves to the nearest hundred (half-way rounds up); it is written with
  // the next save, also after Cancel.
  r.iconCountThreshold = (r.iconCountThreshold + 50) / 100 * 100;

  for (const char16_t* item : kLabelItems) AddControlItem(S::kLabelHeight, item);
  SetControlSelection(S::kLabelHeight, LabelItemOf(r.labelTextHeight));
  for (const char16_t* item : kFollowItems) AddControlItem(S::kFollowMode, item);
  SetControlSelection(S::kFollowMode, r.viewFollowMode < std::size(kFollowItems) ? static_cast<int>(r.viewFollowMode) : -1);

  UpdateData(FALSE);
  return TRUE;
}

void CDlgSetting::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, S::kAutoLoad, autoLoad_);
  DDX_Check(dx, S::kAutoSync, autoSync_);
  DDX_Check(dx, S::kClearCache, clearCache_);
  DDX_Check(dx, S::kPointsAsIcons, pointsAsIcons_);
  DDX_Check(dx, S::kZoneCheck, zoneCheck_);
  DDX_Check(dx, S::kByLayerColour, byLayerColour_);
  DDX_Check(dx, S::kDblClick, dblClick_);
  DDX_Text(dx, S::kMaxLevel, maxLevel_);
}

BOOL CDlgSetting::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case S::kPointsAsIcons: onPointsAsIconsClicked(); return TRUE;
      case S::kChooseFolder: onChooseFolder(); return TRUE;
      case S::kVideo: OpenWebPage(kVideoTutorialPage); return TRUE;
      case S::kReset: onReset(); return TRUE;
      default: break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CDlgSetting::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (maxLevel_ < kLowestMaxLevel || maxLevel_ > kHighestMaxLevel) {
    AfxMessageBox(u"底图最大级别请设置在16-28之间！", MB_OK);
    return;
  }
  SettingsRecord& r = Record();
  const int follow = GetControlSelection(S::kFollowMode);
  if (follow >= 0) r.viewFollowMode = static_cast<std::uint32_t>(follow);
  const bool hostFollows = r.viewFollowMode == 2 || r.viewFollowMode == 3;
  ShowHostError(SetFollowWinMap(hostFollows ? kFollowStartReporting : kFollowStopReporting), kSetFollowWinMapErr, false);

  r.maxBaseMapLevel = static_cast<std::uint32_t>(maxLevel_);
  r.autoSyncObjects = autoSync_ ? 1 : 0;
  r.pointsAsIcons = pointsAsIcons_ ? 1 : 0;
  r.byLayerColourFromHost = byLayerColour_ ? 1 : 0;
  r.dblClickShowsProperties = dblClick_ ? 1 : 0;
  r.autoLoadPlugin = autoLoad_ ? 1 : 0;
  r.clearCacheOnExit = clearCache_ ? 1 : 0;
  r.noZoneNumberCheck = zoneCheck_ ? 0 : 1;

  if (r.autoLoadPlugin) {
    RegisterDemandLoad();
  } else {
    UnregisterDemandLoad();
  }
  if (!r.dblClickShowsProperties) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = 1;
    acedSetVar(u"DBLCLKEDIT", &rb);
  }
  const int label = GetControlSelection(S::kLabelHeight);
  if (label >= 0 && label < static_cast<int>(std::size(kLabelHeights))) {
    r.labelTextHeight = static_cast<std::uint32_t>(kLabelHeights[label]);
  }
  std::u16string folder = GetDlgItemTextString(S::kCacheFolder);
  if (folder.size() > kFolderTextLimit) folder.resize(kFolderTextLimit);
  SwitchCacheFolder(folder);
  SaveSettings();
  CDialog::OnOK();
}

void CDlgSetting::onPointsAsIconsClicked() {
  UpdateData(TRUE);
  if (!pointsAsIcons_) return;
  constexpr UINT kAsk = MB_YESNO | MB_ICONINFORMATION;
  const bool keep = AfxMessageBox(u"图标数量超过1000个以上时，可能会出现卡顿！\n是否进行加载？", kAsk) != IDNO &&
                    AfxMessageBox(u"当未加载插件时，对标签进行移动操作可能导致失败！\n是否进行加载？", kAsk) != IDNO;
  if (!keep) {
    pointsAsIcons_ = 0;
    CheckDlgButton(S::kPointsAsIcons, BST_UNCHECKED);
  }
}

void CDlgSetting::onChooseFolder() {
  std::u16string chosen;
  if (!ChooseCacheFolder(this, GetDlgItemTextString(S::kCacheFolder), chosen)) return;
  if (!CheckPluginFolder(chosen)) return;
  SetDlgItemText(S::kCacheFolder, chosen.c_str());
}

void CDlgSetting::onReset() {
  if (AfxMessageBox(u"确定重置配置吗？", MB_OKCANCEL) != IDOK) return;
  SettingsRecord& r = Record();
  r.autoSyncObjects = r.pointsAsIcons = r.clearCacheOnExit = r.noZoneNumberCheck = 0;
  r.noRelationPointPrompt = r.noToolbarHidePrompt = r.onlineBaseMapOn = r.noIgnoredObjectsNotice = 0;
  r.dblClickShowsProperties = r.autoLoadPlugin = r.noOpenHostPrompt = 0;
  r.viewFollowMode = r.reserved40 = r.byLayerColourFromHost = 0;
  r.promptHostTooOld = r.promptPluginUpdate = 1;
  r.settingsVersion = PLUGIN_VERSION;
  r.scaleA = 1.0;
  r.scaleB = 2.0;
  r.defaultTextSizeClass = 18;
  r.labelTextHeight = 60;
  r.maxBaseMapLevel = 20;
  r.iconCountThreshold = 1000;
  SwitchCacheFolder(DefaultCacheBaseFolder());
  SaveSettings();
  EndDialog(IDOK);
}

INT_PTR RunSettingsDialog() {
  CAcModuleResourceOverride resources(PluginInstance());
  CDlgSetting dialog;
  return dialog.DoModal();
}

}  // namespace vurk
