// MFC's message box helper, shown to the desktop's scripted user.
#pragma once

#include "win32/types.h"

// Shows a message box with the application's caption; returns the button the user chose.
// A box that the session did not answer is recorded as an error (see win32::UserScript).
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
