#include "win32/winuser.h"

#include "win32/desktop.h"
#include "win32/window_manager.h"

namespace {
win32::WindowManager& wm() { return win32::Desktop::current().windows(); }
}  // namespace

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return wm().registerClass(*wc);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) { return wm().unregisterClass(className, instance); }

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* out) {
  if (!out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return wm().classInfo(instance, className, *out);
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) { return wm().className(hwnd, buffer, maxCount); }

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return wm().createWindow(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}

BOOL DestroyWindow(HWND hwnd) { return wm().destroyWindow(hwnd); }
BOOL IsWindow(HWND hwnd) { return wm().isWindow(hwnd); }
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  return wm().findWindow(nullptr, nullptr, className, windowName);
}
HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
  return wm().findWindow(parent, childAfter, className, windowName);
}
BOOL ShowWindow(HWND hwnd, int command) { return wm().showWindow(hwnd, command); }
BOOL IsWindowVisible(HWND hwnd) { return wm().isVisible(hwnd); }
BOOL IsIconic(HWND hwnd) { return wm().isWindow(hwnd) && (wm().getLong(hwnd, GWL_STYLE, 8) & WS_MINIMIZE) != 0; }
BOOL IsZoomed(HWND hwnd) { return wm().isWindow(hwnd) && (wm().getLong(hwnd, GWL_STYLE, 8) & WS_MAXIMIZE) != 0; }
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) { return wm().setText(hwnd, text); }
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) { return wm().getText(hwnd, buffer, maxCount); }
int GetWindowTextLengthW(HWND hwnd) { return wm().textLength(hwnd); }
BOOL EnableWindow(HWND hwnd, BOOL enable) { return wm().enable(hwnd, enable != FALSE); }
BOOL IsWindowEnabled(HWND hwnd) {
  return wm().isWindow(hwnd) && (wm().getLong(hwnd, GWL_STYLE, 8) & WS_DISABLED) == 0;
}
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return wm().setWindowPos(hwnd, insertAfter, x, y, cx, cy, flags);
}
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  return wm().setWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
BOOL BringWindowToTop(HWND hwnd) { return wm().bringToTop(hwnd); }
BOOL SetForegroundWindow(HWND hwnd) { return wm().setForeground(hwnd); }
HWND GetForegroundWindow() { return wm().foreground(); }
HWND SetFocus(HWND hwnd) { return wm().setFocus(hwnd); }
HWND GetFocus() { return wm().focus(); }

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return wm().windowRect(hwnd, *rect);
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  RECT r{};
  if (!rect || !wm().windowRect(hwnd, r)) return FALSE;
  *rect = RECT{0, 0, r.right - r.left, r.bottom - r.top};
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  POINT origin{};
  if (!point || !wm().clientOrigin(hwnd, origin)) return FALSE;
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  POINT origin{};
  if (!point || !wm().clientOrigin(hwnd, origin)) return FALSE;
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

HWND GetParent(HWND hwnd) { return wm().parent(hwnd); }
HWND GetWindow(HWND hwnd, UINT relation) { return wm().relative(hwnd, relation); }
HWND GetDlgItem(HWND dialog, int id) { return wm().dlgItem(dialog, id); }
int GetDlgCtrlID(HWND hwnd) { return static_cast<int>(wm().getLong(hwnd, GWLP_ID, 8)); }
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) { return wm().setLong(hwnd, index, value, 8); }
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) { return wm().getLong(hwnd, index, 8); }
LONG SetWindowLongW(HWND hwnd, int index, LONG value) { return static_cast<LONG>(wm().setLong(hwnd, index, value, 4)); }
LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(wm().getLong(hwnd, index, 4)); }

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return wm().defWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT DefDlgProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& w = wm();
  const auto dialogProc = reinterpret_cast<DLGPROC>(w.getLong(hwnd, DWLP_DLGPROC, 8));
  if (dialogProc) {
    const INT_PTR handled = dialogProc(hwnd, msg, wParam, lParam);
    if (handled) {
      // These messages return the dialog procedure's value itself; the rest DWLP_MSGRESULT.
      const bool direct = msg == WM_INITDIALOG || (msg >= 0x0132 && msg <= 0x0138) /* WM_CTLCOLOR* */ ||
                          msg == 0x0039 /* WM_COMPAREITEM */ || msg == 0x002E /* WM_VKEYTOITEM */ ||
                          msg == 0x002F /* WM_CHARTOITEM */ || msg == 0x0037 /* WM_QUERYDRAGICON */;
      return direct ? handled : w.getLong(hwnd, DWLP_MSGRESULT, 8);
    }
  }
  if (msg == WM_CLOSE) {
    // A dialog closes as if its Cancel button had been pressed.
    w.sendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
    return 0;
  }
  return w.defWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return wm().sendMessage(hwnd, msg, wParam, lParam);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            DWORD_PTR* result) {
  return wm().sendMessageTimeout(hwnd, msg, wParam, lParam, flags, timeoutMs, result);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return wm().postMessage(hwnd, msg, wParam, lParam);
}

UINT RegisterWindowMessageW(LPCWSTR name) { return wm().registerMessage(name); }

BOOL ChangeWindowMessageFilter(UINT msg, DWORD flag) { return wm().changeMessageFilter(nullptr, msg, flag, false); }

BOOL ChangeWindowMessageFilterEx(HWND hwnd, UINT msg, DWORD action, CHANGEFILTERSTRUCT* status) {
  if (status && status->cbSize != sizeof(CHANGEFILTERSTRUCT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!wm().changeMessageFilter(hwnd, msg, action, true)) return FALSE;
  if (status) status->ExtStatus = 0;  // MSGFLTINFO_NONE
  return TRUE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  return wm().setTimer(hwnd, id, elapseMs, proc);
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) { return wm().killTimer(hwnd, id); }
