#include "shell/shell_resources.h"

#include "mfc/afxdlg.h"
#include "resources/embedded_files.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

constexpr DWORD kPopupDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

void addToolbarIcons(win32::ResourceTable& table) {
  // The buttons' artwork: the map-mark pictures serve as the nine icons, in the same order.
  for (std::size_t i = 0; i < kToolbarIconIds.size(); ++i) {
    const EmbeddedFile& f = kEmbeddedFiles[i % kEmbeddedFileCount];
    table.addIcon(kToolbarIconIds[i], std::vector<BYTE>(f.bytes, f.bytes + f.size));
  }
}

void addSettingsDialog(win32::ResourceTable& table) {
  namespace S = settings_dialog;
  win32::DialogTemplate t;
  t.caption = u"设置";
  t.style = kPopupDialog;
  t.controls = {
      {S::kAutoLoad, u"Button", u"自动加载插件", kCheck},
      {S::kAutoSync, u"Button", u"自动同步对象", kCheck},
      {S::kClearCache, u"Button", u"退出后清除底图缓存", kCheck},
      {0xFFFF, u"Static", u"视图跟随模式：", 0},
      {S::kFollowMode, u"ComboBox", u"", CBS_DROPDOWNLIST | WS_TABSTOP},
      {S::kPointsAsIcons, u"Button", u"点显示为图标", kCheck},
      {0xFFFE, u"Static", u"星衡中无绑定级别的\r\n文字及标签指定为:", 0},
      {S::kLabelHeight, u"ComboBox", u"", CBS_DROPDOWNLIST | WS_TABSTOP},
      {S::kZoneCheck, u"Button", u"检测坐标系的带号", kCheck},
      {S::kByLayerColour, u"Button", u"星衡发送对象到CAD时，颜色随层", kCheck},
      {S::kDblClick, u"Button", u"双击显示对象属性", kCheck},
      {0xFFFD, u"Static", u"底图缓存路径:", 0},
      {S::kCacheFolder, u"Static", u"", 0},
      {S::kChooseFolder, u"Button", u"重新选择", WS_TABSTOP},
      {S::kMaxLevelLabel, u"Static", u"底图最大级别(16-28):", 0},
      {S::kMaxLevel, u"Edit", u"", WS_TABSTOP},
      {S::kVideo, u"Button", u"视频教程", WS_TABSTOP},
      {S::kReset, u"Button", u"重置配置", WS_TABSTOP},
      {IDOK, u"Button", u"确定", WS_TABSTOP},
      {IDCANCEL, u"Button", u"取消", WS_TABSTOP},
  };
  table.addDialog(S::kTemplate, std::move(t));
}

}  // namespace

void AddShellResources(win32::ResourceTable& table) {
  addToolbarIcons(table);
  addSettingsDialog(table);
}

}  // namespace vurk
