#include "hostlink/hint_dialog.h"

#include "arx/rxmfcapi.h"
#include "hostlink/host_link_dialogs.h"
#include "settings/settings_store.h"
#include "shell/plugin_module.h"
#include "win32/shell.h"

namespace vurk {

CDlgHint::CDlgHint(CWnd* parent) : CDialog(kHintDialogId, parent) {}

BOOL CDlgHint::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(caption.c_str());
  SetDlgItemText(kHintTextId, text.c_str());
  SetDlgItemText(kHintCheckBoxId, checkText.c_str());
  CheckDlgButton(kHintCheckBoxId, BST_UNCHECKED);
  return TRUE;
}

void CDlgHint::readCheckBox() { checked = IsDlgButtonChecked(kHintCheckBoxId) == BST_CHECKED; }

void CDlgHint::OnOK() {
  readCheckBox();
  CDialog::OnOK();
}

void CDlgHint::OnCancel() {
  readCheckBox();
  CDialog::OnCancel();
}

INT_PTR ShowHint(CDlgHint& dialog) {
  CAcModuleResourceOverride resources(PluginInstance());
  return dialog.DoModal();
}

void OpenWebPage(std::u16string_view address) {
  const std::u16string a(address);
  ShellExecuteW(nullptr, u"open", a.c_str(), nullptr, nullptr, SW_SHOW);
}

bool AskWithHint(std::uint8_t& flag, std::u16string_view text, std::u16string_view pageAddress) {
  if (!flag) return true;
  CDlgHint dialog;
  dialog.text.assign(text);
  if (ShowHint(dialog) == IDOK) {
    OpenWebPage(pageAddress);
    return false;
  }
  if (dialog.checked) {
    flag = 0;
    SaveSettings();
  }
  return true;
}

}  // namespace vurk
