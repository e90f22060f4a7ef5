#include "receive/ignored_objects_dialog.h"

#include "arx/rxmfcapi.h"
#include "settings/settings_store.h"
#include "shell/plugin_module.h"
#include "win32/winuser.h"

namespace vurk {

CDlgMsg::CDlgMsg(std::u16string text, CWnd* parent) : CDialog(kMessageDialogId, parent), text_(std::move(text)) {}

BOOL CDlgMsg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemText(kMessageTextId, text_.c_str());
  return TRUE;
}

BOOL CDlgMsg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kNoMoreNoticeId && HIWORD(wParam) == BN_CLICKED) {
    noMoreNotice_ = true;
    EndDialog(IDOK);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void AddMessageDialogTemplate(win32::ResourceTable& table) {
  win32::DialogTemplate dialog;
  dialog.caption = u"提示";
  dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dialog.controls = {{kMessageTextId, u"Edit", u"", ES_MULTILINE | ES_READONLY | WS_VSCROLL},
                     {IDOK, u"Button", u"确定", WS_TABSTOP},
                     {kNoMoreNoticeId, u"Button", u"不再提示", WS_TABSTOP}};
  table.addDialog(kMessageDialogId, std::move(dialog));
}

void ShowIgnoredObjects(const std::u16string& text) {
  SettingsStore* settings = CurrentSettings();
  if (!settings || settings->record().noIgnoredObjectsNotice) return;
  CDlgMsg dialog(text);
  {
    CAcModuleResourceOverride resources(PluginInstance());
    dialog.DoModal();
  }
  if (dialog.noMoreNotice()) {
    settings->record().noIgnoredObjectsNotice = 1;
    SaveSettings();
  }
}

}  // namespace vurk
