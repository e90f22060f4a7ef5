// Windows, window classes, message queues and timers of the desktop.
//
// Models the user32 side of one GUI thread (the calls are declared in win32/winuser.h and act
// on Desktop::current()):
//
// Sent messages. SendMessageW calls the target's window procedure directly and returns its
// result; a procedure that sends back runs nested inside the outer call, to any depth. Sending
// never runs posted messages, idle work or timers. WM_COPYDATA: the receiver gets a fresh heap
// copy of the COPYDATASTRUCT and of exactly cbData bytes (null lpData for cbData 0), freed as
// soon as its procedure returns, so a receiver that keeps lpData is caught by AddressSanitizer.
// Each window has a latency (virtual ms a sent message takes, default 0) and a hung switch:
//  - SendMessageW waits for the receiver: the clock advances by its latency. A hung receiver
//    would block the sender for ever: debug builds assert; release builds return 0 with
//    ERROR_TIMEOUT.
//  - SendMessageTimeoutW: to a hung window nothing is processed; the call returns 0 with
//    ERROR_TIMEOUT after the timeout has passed on the clock (at once with SMTO_ABORTIFHUNG).
//    When the latency exceeds the timeout the receiver STILL processes the message (it applies
//    the request) but the caller gets 0 and ERROR_TIMEOUT after the timeout, and *result is not
//    written (SMTO_NOTIMEOUTIFNOTHUNG waits for it instead). Otherwise it is SendMessageW with
//    *result set and a nonzero return. SMTO_BLOCK and SMTO_ERRORONEXIT change nothing here.
//
// Posted messages. PostMessageW appends to one FIFO queue; posting to a destroyed or invalid
// window fails with ERROR_INVALID_WINDOW_HANDLE; messages that carry pointers for the
// receiver's use during the call (WM_COPYDATA, WM_SETTEXT, WM_GETTEXT) fail with
// ERROR_MESSAGE_SYNC_ONLY as on Windows.
//
// Timers. SetTimer(hwnd, id, ms) on a valid window (or with a TIMERPROC and no window) starts a
// periodic timer; periods below USER_TIMER_MINIMUM (10 ms) become 10. Setting an id that the
// window already has replaces that timer: new period, new procedure, and the period restarts
// from now (a pending WM_TIMER of the old one is dropped). A timer elapses every period on a
// fixed grid from the moment it was set; an elapsed timer is "ready", and a ready timer stays
// one WM_TIMER however many periods pass before the next pump (coalescing: no backlog). WM_TIMER
// (wParam = id) is generated only at pump time. KillTimer stops it at once, also from inside
// its own handler (the one-shot pattern).
//
// Pumping. pump() works at the current virtual instant, in this order, repeated until nothing
// is left: (1) every posted message, FIFO, including ones posted while dispatching; (2) the
// idle work (addIdleWork) - each item is called in registration order while any returns true
// (did something), going back to (1) after each one that did; (3) one ready timer, the one that
// became ready first (ties by creation order), then back to (1). A timer counts as elapsed when
// it elapsed at or before the instant the pump started; time that a handler lets pass (Sleep)
// is seen by the next pump. runFor(ms) pumps once at the start for what is already due, then
// moves the clock to every instant up to now + ms where a timer elapses and pumps there (when a
// handler's Sleep already carried the clock past that instant, it pumps where the clock is); a
// handler's Sleep may carry the clock past the end, and whatever becomes due after the end
// waits for the next pump. Nothing is dispatched outside pump/runFor.
//
// Limitations: see winuser.h. Also: the receiver's work in a timed-out send happens at once
// (inside the call) rather than later; a window's latency applies to every message sent to
// it; a posted message whose window is destroyed is dropped (a heap pointer it carried leaks,
// as on Windows); more than 1,000,000 dispatches at one instant is taken for an endless loop
// and asserts.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win32/sync.h"
#include "win32/types.h"
#include "win32/winuser.h"

namespace win32 {

class Desktop;

// A message-filter change as recorded by ChangeWindowMessageFilter(Ex).
struct MessageFilterRecord {
  HWND hwnd = nullptr;  // null for the process-wide ChangeWindowMessageFilter
  UINT message = 0;
  DWORD action = 0;
};

class WindowManager {
 public:
  explicit WindowManager(Desktop& desktop);
  // Frees what is left without sending any message, as when a process ends (the desktop's
  // other parts may already be gone). Call destroyAllWindows() first for an orderly end.
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  // Advances the clock by ms, pumping at every instant where something is due (see above).
  void runFor(DWORD ms);
  // Pumps at the current instant without advancing the clock.
  void pump();

  // Work run by pump() after the posted messages and before the timers; the function returns
  // true when it did something (the pump then goes back to the posted messages). Returns an id
  // for removeIdleWork.
  int addIdleWork(std::function<bool()> work);
  void removeIdleWork(int id);

  // Behaviour of a window as a receiver of sent messages (see above).
  bool setLatency(HWND hwnd, DWORD ms);
  bool setHung(HWND hwnd, bool hung);

  // Inspection for tests and the desk.
  std::size_t windowCount() const { return windows_.size(); }
  std::size_t postedCount() const { return posted_.size(); }
  std::size_t timerCount() const { return timers_.size(); }
  bool hasTimer(HWND hwnd, UINT_PTR id) const { return timers_.count({hwnd, id}) != 0; }
  // Number of SendMessageW/SendMessageTimeoutW calls in progress (nesting depth).
  int sendDepth() const { return sendDepth_; }
  const std::vector<MessageFilterRecord>& messageFilters() const { return filters_; }

  KernelObjects& kernelObjects() { return kernel_; }

  // DestroyWindow on every top-level window, front to back (messages are sent as usual).
  void destroyAllWindows();

  // ---- the user32 calls (winuser.h forwards here) ----
  ATOM registerClass(const WNDCLASSW& wc);
  bool unregisterClass(LPCWSTR name, HINSTANCE instance);
  bool classInfo(HINSTANCE instance, LPCWSTR name, WNDCLASSW& out);
  int className(HWND hwnd, LPWSTR buffer, int maxCount);

  HWND createWindow(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
  bool destroyWindow(HWND hwnd);
  bool isWindow(HWND hwnd) const;
  HWND findWindow(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName);
  bool showWindow(HWND hwnd, int command);
  bool isVisible(HWND hwnd) const;
  bool setText(HWND hwnd, LPCWSTR text);
  int getText(HWND hwnd, LPWSTR buffer, int maxCount);
  int textLength(HWND hwnd);
  bool enable(HWND hwnd, bool enable);
  bool setWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
  bool bringToTop(HWND hwnd);
  bool setForeground(HWND hwnd);
  HWND foreground() const { return foreground_; }
  HWND setFocus(HWND hwnd);
  HWND focus() const { return focus_; }
  bool windowRect(HWND hwnd, RECT& out);
  bool clientOrigin(HWND hwnd, POINT& out);
  HWND parent(HWND hwnd);
  HWND relative(HWND hwnd, UINT relation);
  HWND dlgItem(HWND dialog, int id);
  // bytes: 8 for the ...LongPtrW calls, 4 for the ...LongW calls (32-bit values).
  LONG_PTR setLong(HWND hwnd, int index, LONG_PTR value, int bytes);
  LONG_PTR getLong(HWND hwnd, int index, int bytes);
  LRESULT defWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  LRESULT sendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT sendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                             DWORD_PTR* result);
  bool postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  UINT registerMessage(LPCWSTR name);
  bool changeMessageFilter(HWND hwnd, UINT msg, DWORD action, bool extended);

  UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
  bool killTimer(HWND hwnd, UINT_PTR id);

 private:
  struct WindowClass;
  struct Window;
  struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    DWORD period = 0;
    TIMERPROC proc = nullptr;
    ULONGLONG nextElapse = 0;
    bool ready = false;
    ULONGLONG readySince = 0;
    std::uint64_t serial = 0;
  };
  struct Posted {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };

  Window* find(HWND hwnd) const;
  Window* findOrFail(HWND hwnd);
  std::shared_ptr<WindowClass> findClass(LPCWSTR name, HINSTANCE instance) const;
  ATOM atomFor(const std::u16string& name);
  std::vector<HWND>& siblingsOf(const Window& w);
  void placeInZOrder(Window& w, HWND insertAfter);
  LRESULT callProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT deliverSent(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void destroyTree(HWND hwnd);
  void removeWindow(HWND hwnd);
  void setStyleBit(Window& w, DWORD bit, bool on);
  void moveResize(HWND hwnd, int x, int y, int cx, int cy, bool move, bool size);
  void updateTimers(ULONGLONG now);
  bool pumpOnce(ULONGLONG instant);
  void pumpInstant();
  void setError(DWORD e);

  Desktop& desktop_;
  std::map<HWND, std::shared_ptr<Window>> windows_;
  std::vector<HWND> topLevel_;  // z-order, front first; topmost windows before the others
  std::vector<std::shared_ptr<WindowClass>> classes_;
  std::map<std::u16string, ATOM> atoms_;  // upper-cased name -> atom (classes and messages)
  ATOM nextAtom_ = 0xC000;
  std::uintptr_t nextHandle_ = 0x00010010;
  std::uint64_t nextSerial_ = 1;
  std::deque<Posted> posted_;
  std::map<std::pair<HWND, UINT_PTR>, Timer> timers_;
  UINT_PTR nextThreadTimerId_ = 0x7FF0;
  std::vector<std::pair<int, std::function<bool()>>> idleWork_;
  int nextIdleId_ = 1;
  HWND foreground_ = nullptr;
  HWND focus_ = nullptr;
  int sendDepth_ = 0;
  std::vector<MessageFilterRecord> filters_;
  KernelObjects kernel_;
};

}  // namespace win32
