// MFC's core for headless windows: the application state, window classes and CWnd.
//
// Models:
//  - mfc::AppState: what MFC keeps per application - the instance handle (AfxGetInstanceHandle),
//    the resource handle (AfxGetResourceHandle / AfxSetResourceHandle, initially the instance),
//    the main window (AfxGetMainWnd), the map from window handles to the permanent CWnd objects
//    attached to them, the temporary CWnd objects FromHandle makes for other windows, and the
//    scripted user of the application's dialogs (mfc/dialog_script.h). The
//    AutoCAD stand-in owns one and installs it with its AcadScope (an ObjectARX application is an
//    MFC extension module, so it shares AutoCAD's state); mfc::AppStateScope installs one
//    directly. Calls that need the state assert in debug builds when none is installed.
//  - AfxRegisterClass: registers a window class unless a class of that name is already
//    visible to the instance (GetClassInfoW succeeds), returning TRUE in both cases.
//    AfxRegisterWndClass registers a class that routes to AfxWndProc and returns its name.
//  - CWnd: a C++ object attached to a window handle. Messages of an attached window reach the
//    object's virtual WindowProc: windows of MFC classes (a null class name, or one from
//    AfxRegisterWndClass) from their first message (WM_NCCREATE, WM_CREATE -> OnCreate), windows
//    of other classes from the moment CreateEx returns (they are subclassed: the class's
//    procedure becomes the one DefWindowProc calls). WindowProc dispatches WM_CREATE to
//    OnCreate, WM_COMMAND to OnCommand, WM_NOTIFY to OnNotify, WM_TIMER to OnTimer, WM_DESTROY to OnDestroy and
//    WM_NCDESTROY to OnNcDestroy (which detaches the object and calls PostNcDestroy); anything
//    not handled goes to DefWindowProc.
// Limitations: no message maps (override the virtual handlers or WindowProc), no CString, no
// painting, no temporary-object cleanup at idle time (temporary objects live until
// AppState::deleteTemporaryObjects or the state's end), no thread or module state switching
// (AFX_MANAGE_STATE), a window of a non-MFC class never sees its WM_NCCREATE / WM_CREATE.
// Messages for a window whose application state is not installed go to DefWindowProcW.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "win32/types.h"
#include "win32/winuser.h"

class CWnd;

namespace mfc {

class DialogScript;

class AppState {
 public:
  explicit AppState(HINSTANCE instance);
  ~AppState();
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  HINSTANCE instanceHandle() const { return instance_; }
  HINSTANCE resourceHandle() const { return resource_; }
  void setResourceHandle(HINSTANCE h) { resource_ = h; }
  CWnd* mainWnd() const { return mainWnd_; }
  void setMainWnd(CWnd* wnd) { mainWnd_ = wnd; }

  // Handle maps.
  CWnd* permanent(HWND hwnd) const;
  bool attach(HWND hwnd, CWnd* wnd);
  void detach(HWND hwnd);
  std::size_t permanentCount() const { return permanent_.size(); }
  // The temporary object for a window no permanent object is attached to (made on demand).
  CWnd* temporary(HWND hwnd);
  std::size_t temporaryCount() const { return temporary_.size(); }
  void deleteTemporaryObjects();

  // A class name kept alive for AfxRegisterWndClass.
  LPCWSTR keepClassName(const std::u16string& name);

  // The scripted user of this application's dialogs (mfc/dialog_script.h).
  DialogScript& dialogScript() { return *dialogScript_; }

  // The window CreateEx is creating (it attaches at the window's first message).
  CWnd* creating() const { return creating_; }
  void setCreating(CWnd* wnd) { creating_ = wnd; }

  // The installed state, or null.
  static AppState* current();
  // Installs a state (or none) and returns the one installed before.
  static AppState* install(AppState* state);

 private:
  HINSTANCE instance_;
  HINSTANCE resource_;
  CWnd* mainWnd_ = nullptr;
  CWnd* creating_ = nullptr;
  std::map<HWND, CWnd*> permanent_;
  std::map<HWND, std::unique_ptr<CWnd>> temporary_;
  std::set<std::u16string> classNames_;
  std::unique_ptr<DialogScript> dialogScript_;
};

// Installs a state for the scope's lifetime and restores the previous one.
class AppStateScope {
 public:
  explicit AppStateScope(AppState& state) : previous_(AppState::install(&state)) {}
  ~AppStateScope() { AppState::install(previous_); }
  AppStateScope(const AppStateScope&) = delete;
  AppStateScope& operator=(const AppStateScope&) = delete;

 private:
  AppState* previous_;
};

}  // namespace mfc

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);
CWnd* AfxGetMainWnd();
BOOL AfxRegisterClass(const WNDCLASSW* wndClass);
// Registers (once) a class with this style whose procedure is AfxWndProc; returns its name,
// valid while the application state lives. Null when the registration fails.
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);
// The window procedure of MFC windows: hands the message to the attached CWnd.
LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class CWnd {
 public:
  CWnd();
  // Destroys the window when this object is still attached to it.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  operator HWND() const { return m_hWnd; }
  // MFC also answers null for a null object pointer; here the caller checks the pointer.
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Attaches this object to a window (permanently, in the current application state).
  // FALSE for a null handle, when this object already has a window, or when another object is
  // attached to that window.
  BOOL Attach(HWND hwnd);
  // Detaches and returns the window handle.
  HWND Detach();
  // Attaches and routes the window's messages to this object from now on.
  BOOL SubclassWindow(HWND hwnd);

  static CWnd* FromHandle(HWND hwnd);
  static CWnd* FromHandlePermanent(HWND hwnd);

  virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                        int width, int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
  virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, LPVOID param = nullptr);
  // A child window (WS_CHILD is added).
  virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                      void* context = nullptr);
  virtual BOOL DestroyWindow();

  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  BOOL IsIconic() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  void SetWindowText(LPCWSTR text);
  int GetWindowText(LPWSTR buffer, int maxCount) const;
  std::u16string GetWindowTextString() const;
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;

  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr);
  BOOL KillTimer(UINT_PTR id);
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

 protected:
  // Before the window is created: may change the creation parameters; FALSE cancels.
  // The default gives a null class name MFC's default window class.
  virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Handles the messages named above; TRUE with *result when handled.
  virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // The procedure the window had before it was routed here (or DefWindowProcW).
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

  virtual int OnCreate(CREATESTRUCTW* cs);
  // TRUE when the command was handled.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // WM_NOTIFY from a control (lParam: its NMHDR); TRUE with *result when handled.
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnDestroy();
  virtual void OnNcDestroy();
  // After the window is gone; a self-deleting window deletes itself here.
  virtual void PostNcDestroy() {}

  WNDPROC m_pfnSuper = nullptr;

 private:
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class mfc::AppState;
  mfc::AppState* state_ = nullptr;  // where this object is attached
};
