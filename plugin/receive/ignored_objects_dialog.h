// CDlgMsg: a message in a read-only text box with "确定" and "不再提示"; the second closes the
// dialog and tells the caller not to show the message again.
#pragma once

#include <string>

#include "mfc/afxdlg.h"
#include "win32/resources.h"

namespace vurk {

inline constexpr UINT kMessageDialogId = 8314;
inline constexpr UINT kMessageTextId = 8138;
inline constexpr UINT kNoMoreNoticeId = 8354;

class CDlgMsg : public CDialog {
 public:
  explicit CDlgMsg(std::u16string text, CWnd* parent = nullptr);

  // "不再提示" closed the dialog.
  bool noMoreNotice() const { return noMoreNotice_; }

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  std::u16string text_;
  bool noMoreNotice_ = false;
};

// Adds the dialog's template to a module's resource table.
void AddMessageDialogTemplate(win32::ResourceTable& table);

// Shows the ignored-objects message unless the user asked not to see it again; "不再提示" sets
// that setting and saves the settings.
void ShowIgnoredObjects(const std::u16string& text);

}  // namespace vurk
