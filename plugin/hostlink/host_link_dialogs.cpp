#include "hostlink/host_link_dialogs.h"

#include "mfc/afxdlg.h"
#include "win32/winuser.h"

namespace vurk {

void AddHostLinkDialogs(win32::ResourceTable& table) {
  constexpr DWORD kPopupDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

  win32::DialogTemplate notification;
  notification.className = u"VurkArxWin";
  notification.caption = u"DialogMODELESS";
  notification.style = kPopupDialog;
  notification.controls = {{IDOK, u"Button", u"确定", WS_TABSTOP}, {IDCANCEL, u"Button", u"取消", WS_TABSTOP}};
  table.addDialog(kNotificationDialogId, std::move(notification));

  win32::DialogTemplate hint;
  hint.caption = u"更新提示";
  hint.style = kPopupDialog;
  hint.controls = {{kHintTextId, u"Edit", u"", ES_MULTILINE | ES_READONLY},
                   {kHintCheckBoxId, u"Button", u"不再提示(不更新)", BS_AUTOCHECKBOX | WS_TABSTOP},
                   {IDOK, u"Button", u"是", WS_TABSTOP},
                   {IDCANCEL, u"Button", u"否", WS_TABSTOP}};
  table.addDialog(kHintDialogId, std::move(hint));
}

}  // namespace vurk
