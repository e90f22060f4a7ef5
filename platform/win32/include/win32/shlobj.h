// The shell's folder browser, SHBrowseForFolderW, shown to the desktop's scripted user.
//
// Models: the browser is a dialog window ("#32770", owned by hwndOwner, caption "浏览文件夹")
// with a folder tree (control 14145), a status line (14147, shown with BIF_STATUSTEXT), OK (1)
// and Cancel (2). The owner is disabled while it runs and enabled again afterwards. The
// callback gets BFFM_INITIALIZED once the window exists, then BFFM_SELCHANGED (with the
// folder's id list) whenever the selection changes; the browser answers BFFM_SETSELECTIONW
// (wParam TRUE: lParam is a path), BFFM_ENABLEOK (lParam: enable) and BFFM_SETSTATUSTEXTW. The
// caller may subclass the window and place its own controls in it; the classes "Edit",
// "Static" and "Button" exist for that.
// The person at the screen plays the next queued FolderBrowseVisit (win32/user_script.h):
// selecting a folder (only existing folders; BIF_RETURNONLYFSDIRS), typing into the caller's
// edit control (its text is set and EN_CHANGE goes to the browser), pressing OK (WM_COMMAND
// IDOK to the browser window: a disabled OK does nothing; a subclass may keep the browser
// open) or Cancel. The browser ends with OK by returning the selected folder's id list (free
// it with CoTaskMemFree) and with Cancel by returning null. No visit, or actions that run out
// while it is open, count as unanswered (and end it as Cancel). Each browser is one line on
// the transcript's "dialog" channel: "[浏览文件夹] TITLE -> PATH" or "-> Cancel".
// Limitations: no real tree (any existing folder can be selected), no display name, no root.
#pragma once

#include "win32/fileapi.h"
#include "win32/types.h"

using BFFCALLBACK = int (*)(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

struct BROWSEINFOW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPWSTR pszDisplayName;
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;
constexpr UINT BFFM_ENABLEOK = WM_USER + 101;
constexpr UINT BFFM_SETSELECTIONW = WM_USER + 103;
constexpr UINT BFFM_SETSTATUSTEXTW = WM_USER + 104;
constexpr int kBrowserTreeId = 14145;
constexpr int kBrowserStatusId = 14147;

PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info);
// A folder's id list (free with CoTaskMemFree), for a path of fewer than MAX_PATH characters.
PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path);
