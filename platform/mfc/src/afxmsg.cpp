#include "mfc/afxmsg.h"

#include "win32/user_script.h"

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  // MFC shows the application's name as the caption; the plug-in's is "VurkArx".
  return MessageBoxW(nullptr, text, u"VurkArx", type);
}
