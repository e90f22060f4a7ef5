// The host's main window: the window class "vurkWin" and its one window, whose procedure hands
// WM_COPYDATA to the host application and everything else to DefWindowProcW.
#pragma once

#include "win32/types.h"

namespace host {

class HostApp;

class HostWindow {
 public:
  explicit HostWindow(HostApp& app) : app_(app) {}
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // Registers the class and creates the window on the current desktop; false when the class
  // exists already (another host is running) or the window cannot be created.
  bool create();
  void destroy();
  HWND handle() const { return hwnd_; }

 private:
  static LRESULT procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HostApp& app_;
  HWND hwnd_ = nullptr;
  bool classRegistered_ = false;
};

}  // namespace host
