// The hint dialog: a question with "是" and "否" and a "do not ask again" check box, and the
// question helper built on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mfc/afxdlg.h"

namespace vurk {

class CDlgHint : public CDialog {
 public:
  explicit CDlgHint(CWnd* parent = nullptr);

  std::u16string caption = u"更新提示";
  std::u16string text;
  std::u16string checkText = u"不再提示(不更新)";
  // The check box as it was when the dialog closed.
  bool checked = false;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void readCheckBox();
};

// Shows the hint dialog in the plug-in's resources; the dialog's result (IDOK for "是").
INT_PTR ShowHint(CDlgHint& dialog);

// Asks with the hint dialog when the flag is set (otherwise answers true at once). "是" opens
// the page in the browser and answers false. "否" or closing answers true; a ticked check box
// then clears the flag for good (the settings are saved).
bool AskWithHint(std::uint8_t& flag, std::u16string_view text, std::u16string_view pageAddress);

// Opens an address in the default browser.
void OpenWebPage(std::u16string_view address);

}  // namespace vurk
