#include "host/host_window.h"

#include "host/host_app.h"
#include "host/message_codes.h"
#include "win32/winuser.h"

namespace host {

HostWindow::~HostWindow() { destroy(); }

bool HostWindow::create() {
  if (hwnd_) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = &HostWindow::procedure;
  wc.lpszClassName = kHostWindowClass;
  if (!classRegistered_) {
    if (RegisterClassW(&wc) == 0) return false;  // another host holds the class
    classRegistered_ = true;
  }
  hwnd_ = CreateWindowExW(0, kHostWindowClass, kHostWindowTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1280, 800,
                          nullptr, nullptr, nullptr, this);
  if (!hwnd_) {
    UnregisterClassW(kHostWindowClass, nullptr);
    classRegistered_ = false;
    return false;
  }
  return true;
}

void HostWindow::destroy() {
  if (hwnd_) {
    const HWND h = hwnd_;
    hwnd_ = nullptr;
    if (IsWindow(h)) DestroyWindow(h);
  }
  if (classRegistered_) {
    UnregisterClassW(kHostWindowClass, nullptr);
    classRegistered_ = false;
  }
}

LRESULT HostWindow::procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_COPYDATA) {
    return self->app_.onCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  }
  if (self && msg == WM_NCDESTROY && self->hwnd_ == hwnd) self->hwnd_ = nullptr;  // destroyed from outside
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace host
