#include "mfc/afxwin.h"

#include <cassert>
#include <cstdio>

#include "mfc/dialog_script.h"

namespace {

mfc::AppState* g_state = nullptr;

mfc::AppState& requireState() {
  assert(g_state && "no MFC application state is installed (AcadScope or mfc::AppStateScope)");
  return *g_state;
}

// MFC's default window class for windows created without a class name.
constexpr const char16_t* kDefaultWndClass = u"AfxWnd140u";

}  // namespace

namespace mfc {

AppState::AppState(HINSTANCE instance)
    : instance_(instance), resource_(instance), dialogScript_(std::make_unique<DialogScript>()) {}

AppState::~AppState() {
  deleteTemporaryObjects();
  // Objects still attached outlive this state: they must not reach it any more.
  for (auto& [hwnd, wnd] : permanent_) wnd->state_ = nullptr;
  if (g_state == this) g_state = nullptr;
}

CWnd* AppState::permanent(HWND hwnd) const {
  auto it = permanent_.find(hwnd);
  return it == permanent_.end() ? nullptr : it->second;
}

bool AppState::attach(HWND hwnd, CWnd* wnd) {
  if (!hwnd || !wnd || permanent_.count(hwnd)) return false;
  permanent_[hwnd] = wnd;
  wnd->state_ = this;
  // A temporary object for this window is no longer the answer of FromHandle.
  auto t = temporary_.find(hwnd);
  if (t != temporary_.end()) {
    t->second->m_hWnd = nullptr;
    temporary_.erase(t);
  }
  return true;
}

void AppState::detach(HWND hwnd) {
  auto it = permanent_.find(hwnd);
  if (it == permanent_.end()) return;
  it->second->state_ = nullptr;
  permanent_.erase(it);
}

CWnd* AppState::temporary(HWND hwnd) {
  auto& slot = temporary_[hwnd];
  if (!slot) {
    slot = std::make_unique<CWnd>();
    slot->m_hWnd = hwnd;
  }
  return slot.get();
}

void AppState::deleteTemporaryObjects() {
  // Temporary objects never own their windows: they let go of the handle before they end.
  for (auto& [hwnd, wnd] : temporary_) wnd->m_hWnd = nullptr;
  temporary_.clear();
}

LPCWSTR AppState::keepClassName(const std::u16string& name) { return classNames_.insert(name).first->c_str(); }

AppState* AppState::current() { return g_state; }

AppState* AppState::install(AppState* state) {
  AppState* previous = g_state;
  g_state = state;
  return previous;
}

}  // namespace mfc

HINSTANCE AfxGetInstanceHandle() { return requireState().instanceHandle(); }
HINSTANCE AfxGetResourceHandle() { return requireState().resourceHandle(); }
void AfxSetResourceHandle(HINSTANCE resource) { requireState().setResourceHandle(resource); }
CWnd* AfxGetMainWnd() { return requireState().mainWnd(); }

BOOL AfxRegisterClass(const WNDCLASSW* wndClass) {
  if (!wndClass || !wndClass->lpszClassName) return FALSE;
  WNDCLASSW existing{};
  if (GetClassInfoW(wndClass->hInstance, wndClass->lpszClassName, &existing)) return TRUE;
  return RegisterClassW(wndClass) != 0 ? TRUE : FALSE;
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  mfc::AppState& state = requireState();
  char name[64];
  std::snprintf(name, sizeof(name), "Afx:%p:%x", static_cast<void*>(state.instanceHandle()), classStyle);
  std::u16string wide(name, name + std::char_traits<char>::length(name));
  WNDCLASSW wc{};
  wc.style = classStyle;
  wc.lpfnWndProc = AfxWndProc;
  wc.hInstance = state.instanceHandle();
  wc.hIcon = icon;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  LPCWSTR kept = state.keepClassName(wide);
  wc.lpszClassName = kept;
  return AfxRegisterClass(&wc) ? kept : nullptr;
}

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  mfc::AppState* state = g_state;
  CWnd* wnd = state ? state->permanent(hwnd) : nullptr;
  if (!wnd && state && state->creating() && !state->creating()->m_hWnd) {
    // The first message of a window CreateEx is creating: attach its object now, so that
    // WM_NCCREATE and WM_CREATE reach it.
    wnd = state->creating();
    state->setCreating(nullptr);
    wnd->Attach(hwnd);
  }
  if (!wnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return wnd->WindowProc(msg, wParam, lParam);
}

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd && state_ && state_->permanent(m_hWnd) == this) {
    // The handlers of derived classes are gone already; CWnd's own ones finish the window.
    ::DestroyWindow(m_hWnd);
    if (m_hWnd) Detach();
  }
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd) return FALSE;
  mfc::AppState& state = requireState();
  if (!state.attach(hwnd, this)) return FALSE;
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd && state_) state_->detach(hwnd);
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!IsWindow(hwnd) || !Attach(hwnd)) return FALSE;
  const LONG_PTR old = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
  WNDPROC previous = reinterpret_cast<WNDPROC>(old);
  m_pfnSuper = (previous == &AfxWndProc) ? nullptr : previous;
  return TRUE;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  mfc::AppState& state = requireState();
  if (CWnd* wnd = state.permanent(hwnd)) return wnd;
  return state.temporary(hwnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  return requireState().permanent(hwnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.lpszClassName = kDefaultWndClass;
    if (!AfxRegisterClass(&wc)) return FALSE;
    cs.lpszClass = kDefaultWndClass;
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
  if (m_hWnd) return FALSE;
  mfc::AppState& state = requireState();
  CREATESTRUCTW cs{};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = static_cast<LONG>(style);
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.hwndParent = parent;
  cs.hMenu = idOrMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  CWnd* outer = state.creating();
  state.setCreating(this);
  HWND hwnd = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                              cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  if (state.creating() == this) state.setCreating(outer);
  if (!hwnd) return FALSE;
  if (m_hWnd != hwnd) {
    // A window of a class that does not route to AfxWndProc: route it from now on.
    if (!SubclassWindow(hwnd)) {
      ::DestroyWindow(hwnd);
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*) {
  if (style & WS_POPUP) return FALSE;
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  HWND hwnd = m_hWnd;
  const BOOL ok = ::DestroyWindow(hwnd);
  // Without the application state installed the window's WM_NCDESTROY did not reach us.
  if (ok && m_hWnd == hwnd) Detach();
  return ok;
}

BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
void CWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
int CWnd::GetWindowText(LPWSTR buffer, int maxCount) const { return ::GetWindowTextW(m_hWnd, buffer, maxCount); }

std::u16string CWnd::GetWindowTextString() const {
  const int length = ::GetWindowTextLengthW(m_hWnd);
  if (length <= 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  const int got = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return text;
}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapseMs, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::SendMessageW(m_hWnd, msg, wParam, lParam); }
BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return ::PostMessageW(m_hWnd, msg, wParam, lParam); }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(msg, wParam, lParam, &result)) result = DefWindowProc(msg, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_CREATE:
      *result = OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (!OnCommand(wParam, lParam)) return FALSE;
      *result = 0;
      return TRUE;
    case WM_NOTIFY:
      *result = 0;
      return OnNotify(wParam, lParam, result);
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      *result = 0;
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      *result = 0;
      return TRUE;
    case WM_NCDESTROY:
      OnNcDestroy();
      *result = 0;
      return TRUE;
    default: return FALSE;
  }
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
  return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

int CWnd::OnCreate(CREATESTRUCTW* cs) {
  return static_cast<int>(DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(cs)));
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }

void CWnd::OnTimer(UINT_PTR id) { DefWindowProc(WM_TIMER, static_cast<WPARAM>(id), 0); }

void CWnd::OnDestroy() { DefWindowProc(WM_DESTROY, 0, 0); }

void CWnd::OnNcDestroy() {
  DefWindowProc(WM_NCDESTROY, 0, 0);
  Detach();
  PostNcDestroy();
}
