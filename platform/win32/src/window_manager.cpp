#include "win32/window_manager.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "win32/case_fold.h"
#include "win32/clock.h"
#include "win32/desktop.h"
#include "win32/winuser.h"

namespace win32 {

namespace {

constexpr int kMaxDispatchesPerInstant = 1'000'000;
constexpr UINT kDialogClassStyle = 0x0808;  // CS_DBLCLKS | CS_SAVEBITS

std::u16string nameOf(LPCWSTR name) { return (name && !IS_INTRESOURCE(name)) ? std::u16string(name) : std::u16string(); }

// Counts nested sends for sendDepth() on every path out of a send.
struct DepthGuard {
  explicit DepthGuard(int& d) : depth(d) { ++depth; }
  ~DepthGuard() { --depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  int& depth;
};

}  // namespace

struct WindowManager::WindowClass {
  std::u16string name;
  ATOM atom = 0;
  WNDCLASSW wc{};  // lpszClassName / lpszMenuName point into this object when set
  std::u16string menuName;
  bool system = false;
  int liveWindows = 0;
};

struct WindowManager::Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  std::u16string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // WS_CHILD windows
  HWND owner = nullptr;   // top-level windows
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  RECT rect{};  // in the parent's client coordinates for children, screen coordinates otherwise
  LONG_PTR userData = 0;
  std::vector<unsigned char> extra;
  std::vector<HWND> children;  // z-order, front first
  DWORD latency = 0;
  bool hung = false;
  bool destroying = false;
};

WindowManager::WindowManager(Desktop& desktop) : desktop_(desktop) {
  auto dialog = std::make_shared<WindowClass>();
  dialog->name = u"#32770";
  dialog->atom = atomFor(dialog->name);
  dialog->system = true;
  dialog->wc.style = kDialogClassStyle;
  dialog->wc.lpfnWndProc = DefDlgProcW;
  dialog->wc.cbWndExtra = DLGWINDOWEXTRA;
  dialog->wc.lpszClassName = dialog->name.c_str();
  classes_.push_back(std::move(dialog));
}

WindowManager::~WindowManager() = default;

void WindowManager::setError(DWORD e) { desktop_.setLastError(e); }

WindowManager::Window* WindowManager::find(HWND hwnd) const {
  const auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowManager::Window* WindowManager::findOrFail(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) setError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

bool WindowManager::isWindow(HWND hwnd) const { return find(hwnd) != nullptr; }

ATOM WindowManager::atomFor(const std::u16string& name) {
  const std::u16string key = upcaseName(name);
  const auto it = atoms_.find(key);
  if (it != atoms_.end()) return it->second;
  if (nextAtom_ == 0) return 0;  // the table (0xC000..0xFFFF) is full
  const ATOM a = nextAtom_;
  nextAtom_ = static_cast<ATOM>(nextAtom_ == 0xFFFF ? 0 : nextAtom_ + 1);
  atoms_[key] = a;
  return a;
}

// ---------------------------------------------------------------- classes

std::shared_ptr<WindowManager::WindowClass> WindowManager::findClass(LPCWSTR name, HINSTANCE instance) const {
  if (!name) return nullptr;
  const bool byAtom = IS_INTRESOURCE(name);
  const auto matches = [&](const WindowClass& c) {
    return byAtom ? c.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)) : equalsNoCase(c.name, name);
  };
  // The module's own classes, then global ones, then the system's.
  for (const auto& c : classes_) {
    if (!c->system && !(c->wc.style & CS_GLOBALCLASS) && c->wc.hInstance == instance && matches(*c)) return c;
  }
  for (const auto& c : classes_) {
    if (!c->system && (c->wc.style & CS_GLOBALCLASS) && matches(*c)) return c;
  }
  for (const auto& c : classes_) {
    if (c->system && matches(*c)) return c;
  }
  return nullptr;
}

ATOM WindowManager::registerClass(const WNDCLASSW& wc) {
  const std::u16string name = nameOf(wc.lpszClassName);
  if (name.empty() || !wc.lpfnWndProc || wc.cbWndExtra < 0 || wc.cbClsExtra < 0) {
    setError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const auto& c : classes_) {
    if (c->system || !equalsNoCase(c->name, name)) continue;
    const bool global = (c->wc.style & CS_GLOBALCLASS) || (wc.style & CS_GLOBALCLASS);
    if (global || c->wc.hInstance == wc.hInstance) {
      setError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  auto c = std::make_shared<WindowClass>();
  c->name = name;
  c->atom = atomFor(name);
  if (c->atom == 0) {
    setError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  c->wc = wc;
  c->wc.lpszClassName = c->name.c_str();
  if (wc.lpszMenuName && !IS_INTRESOURCE(wc.lpszMenuName)) {
    c->menuName = wc.lpszMenuName;
    c->wc.lpszMenuName = c->menuName.c_str();
  }
  const ATOM atom = c->atom;
  classes_.push_back(std::move(c));
  return atom;
}

bool WindowManager::unregisterClass(LPCWSTR name, HINSTANCE instance) {
  const auto c = findClass(name, instance);
  if (!c || c->system) {
    setError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  if (c->liveWindows > 0) {
    setError(ERROR_CLASS_HAS_WINDOWS);
    return false;
  }
  classes_.erase(std::find(classes_.begin(), classes_.end(), c));
  return true;
}

bool WindowManager::classInfo(HINSTANCE instance, LPCWSTR name, WNDCLASSW& out) {
  const auto c = findClass(name, instance);
  if (!c) {
    setError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  out = c->wc;
  out.lpszClassName = name;  // Windows hands back the caller's own pointer
  return true;
}

int WindowManager::className(HWND hwnd, LPWSTR buffer, int maxCount) {
  Window* w = findOrFail(hwnd);
  if (!w) return 0;
  if (!buffer || maxCount <= 0) {
    setError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::size_t n = std::min(w->cls->name.size(), static_cast<std::size_t>(maxCount - 1));
  std::copy_n(w->cls->name.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

// ---------------------------------------------------------------- windows

std::vector<HWND>& WindowManager::siblingsOf(const Window& w) {
  if (w.style & WS_CHILD) {
    Window* p = find(w.parent);
    assert(p && "a child window outlived its parent");
    return p->children;
  }
  return topLevel_;
}

void WindowManager::placeInZOrder(Window& w, HWND insertAfter) {
  std::vector<HWND>& list = siblingsOf(w);
  list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
  const bool topLevel = !(w.style & WS_CHILD);
  if (topLevel) {
    if (insertAfter == HWND_TOPMOST) {
      w.exStyle |= WS_EX_TOPMOST;
    } else if (insertAfter == HWND_BOTTOM) {
      w.exStyle &= ~WS_EX_TOPMOST;
    } else if (insertAfter == HWND_NOTOPMOST) {
      w.exStyle &= ~WS_EX_TOPMOST;
    } else if (insertAfter != HWND_TOP) {
      const Window* after = find(insertAfter);
      if (after && !(after->exStyle & WS_EX_TOPMOST)) w.exStyle &= ~WS_EX_TOPMOST;
    }
  }
  const auto topmostCount = [&] {
    return static_cast<std::size_t>(std::count_if(list.begin(), list.end(), [&](HWND h) {
      const Window* o = find(h);
      return o && (o->exStyle & WS_EX_TOPMOST);
    }));
  };
  std::size_t index = 0;
  if (insertAfter == HWND_BOTTOM) {
    index = list.size();
  } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    index = (topLevel && !(w.exStyle & WS_EX_TOPMOST)) ? topmostCount() : 0;
  } else {
    const auto it = std::find(list.begin(), list.end(), insertAfter);
    index = it == list.end() ? 0 : static_cast<std::size_t>(it - list.begin()) + 1;
  }
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(index, list.size())), w.handle);
}

HWND WindowManager::createWindow(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                 int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    if (!parent) {
      setError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (!findOrFail(parent)) return nullptr;
  } else if (parent) {
    const Window* p = findOrFail(parent);
    if (!p) return nullptr;
    // The owner of a top-level window is always a top-level window.
    while (p->style & WS_CHILD) p = find(p->parent);
    owner = p->handle;
  }
  const auto cls = findClass(className, instance);
  if (!cls) {
    setError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto w = std::make_shared<Window>();
  const HWND h = reinterpret_cast<HWND>(nextHandle_);
  nextHandle_ += 0x10;
  w->handle = h;
  w->cls = cls;
  w->proc = cls->wc.lpfnWndProc;
  w->text = windowName ? std::u16string(windowName) : std::u16string();
  w->style = style & ~WS_VISIBLE;  // shown after WM_CREATE
  w->exStyle = exStyle;
  w->parent = (style & WS_CHILD) ? parent : nullptr;
  w->owner = owner;
  w->instance = instance;
  w->id = (style & WS_CHILD) ? static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(menu)) : 0;
  if (!(style & WS_CHILD) && x == CW_USEDEFAULT) x = y = 0;
  if (!(style & WS_CHILD) && width == CW_USEDEFAULT) {
    width = desktop_.screenWidth() * 3 / 4;
    height = desktop_.screenHeight() * 3 / 4;
  }
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  width = width == CW_USEDEFAULT ? 0 : std::max(width, 0);
  height = height == CW_USEDEFAULT ? 0 : std::max(height, 0);
  w->rect = RECT{x, y, x + width, y + height};
  w->extra.assign(static_cast<std::size_t>(cls->wc.cbWndExtra), 0);
  windows_[h] = w;
  ++cls->liveWindows;
  placeInZOrder(*w, (exStyle & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP);

  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                   className, exStyle};
  if (callProc(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
    if (find(h)) {
      callProc(h, WM_NCDESTROY, 0, 0);
      removeWindow(h);
    }
    setError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!find(h)) return nullptr;
  if (callProc(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    destroyWindow(h);
    setError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!find(h)) return nullptr;
  if (style & WS_VISIBLE) showWindow(h, SW_SHOWNA);
  return find(h) ? h : nullptr;
}

void WindowManager::removeWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return;
  for (auto it = timers_.begin(); it != timers_.end();) {
    it = it->first.first == hwnd ? timers_.erase(it) : std::next(it);
  }
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(), [&](const Posted& p) { return p.hwnd == hwnd; }),
                posted_.end());
  std::vector<HWND>& list = siblingsOf(*w);
  list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
  --w->cls->liveWindows;
  if (foreground_ == hwnd) foreground_ = nullptr;
  if (focus_ == hwnd) focus_ = nullptr;
  windows_.erase(hwnd);  // a procedure still running on it keeps the object alive (callProc)
}

void WindowManager::destroyTree(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w || w->destroying) return;
  w->destroying = true;
  // Owned windows go first, then the window itself, whose WM_DESTROY precedes its children's.
  std::vector<HWND> owned;
  for (HWND t : topLevel_) {
    const Window* o = find(t);
    if (o && o->owner == hwnd) owned.push_back(t);
  }
  for (HWND o : owned) destroyTree(o);
  if ((w = find(hwnd)) == nullptr) return;
  w->style &= ~WS_VISIBLE;
  callProc(hwnd, WM_DESTROY, 0, 0);
  if ((w = find(hwnd)) == nullptr) return;
  const std::vector<HWND> children = w->children;
  for (HWND c : children) destroyTree(c);
  if (!find(hwnd)) return;
  callProc(hwnd, WM_NCDESTROY, 0, 0);
  removeWindow(hwnd);
}

bool WindowManager::destroyWindow(HWND hwnd) {
  if (!findOrFail(hwnd)) return false;
  destroyTree(hwnd);
  return true;
}

void WindowManager::destroyAllWindows() {
  while (!topLevel_.empty()) {
    const HWND h = topLevel_.front();
    destroyTree(h);
    if (!topLevel_.empty() && topLevel_.front() == h) removeWindow(h);  // destroyed while destroying
  }
}

HWND WindowManager::findWindow(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
  const std::vector<HWND>* list = &topLevel_;
  if (parent) {
    const Window* p = findOrFail(parent);
    if (!p) return nullptr;
    list = &p->children;
  }
  std::size_t start = 0;
  if (childAfter) {
    const auto it = std::find(list->begin(), list->end(), childAfter);
    if (it == list->end()) {
      setError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    start = static_cast<std::size_t>(it - list->begin()) + 1;
  }
  const bool byAtom = className && IS_INTRESOURCE(className);
  for (std::size_t i = start; i < list->size(); ++i) {
    const Window* w = find((*list)[i]);
    if (!w) continue;
    if (className) {
      const bool match = byAtom ? w->cls->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className))
                                : equalsNoCase(w->cls->name, className);
      if (!match) continue;
    }
    if (windowName && !equalsNoCase(w->text, windowName)) continue;
    return w->handle;
  }
  return nullptr;
}

void WindowManager::setStyleBit(Window& w, DWORD bit, bool on) {
  if (on) {
    w.style |= bit;
  } else {
    w.style &= ~bit;
  }
}

bool WindowManager::showWindow(HWND hwnd, int command) {
  Window* w = findOrFail(hwnd);
  if (!w) return false;
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  const bool wasMin = (w->style & WS_MINIMIZE) != 0;
  const bool wasMax = (w->style & WS_MAXIMIZE) != 0;
  bool show = true;
  bool minimised = wasMin;
  bool maximised = wasMax;
  switch (command) {
    case SW_HIDE: show = false; break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE: minimised = maximised = false; break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: minimised = true;
      maximised = false;
      break;
    case SW_SHOWMAXIMIZED:
      maximised = true;
      minimised = false;
      break;
    case SW_SHOW:
    case SW_SHOWNA: break;
    default: setError(ERROR_INVALID_PARAMETER); return false;
  }
  if (show != wasVisible) {
    callProc(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if ((w = find(hwnd)) == nullptr) return wasVisible;
    setStyleBit(*w, WS_VISIBLE, show);
  }
  if (minimised != wasMin || maximised != wasMax) {
    setStyleBit(*w, WS_MINIMIZE, minimised);
    setStyleBit(*w, WS_MAXIMIZE, maximised);
    const WPARAM kind = minimised ? SIZE_MINIMIZED : maximised ? SIZE_MAXIMIZED : SIZE_RESTORED;
    const RECT r = w->rect;
    callProc(hwnd, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(r.right - r.left), static_cast<WORD>(r.bottom - r.top)));
  }
  return wasVisible;
}

bool WindowManager::isVisible(HWND hwnd) const {
  const Window* w = find(hwnd);
  while (w) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (!(w->style & WS_CHILD)) return true;
    w = find(w->parent);
  }
  return false;
}

bool WindowManager::setText(HWND hwnd, LPCWSTR text) {
  if (!findOrFail(hwnd)) return false;
  return sendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) != 0;
}

int WindowManager::getText(HWND hwnd, LPWSTR buffer, int maxCount) {
  const Window* w = findOrFail(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  const std::size_t n = std::min(w->text.size(), static_cast<std::size_t>(maxCount - 1));
  std::copy_n(w->text.begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

int WindowManager::textLength(HWND hwnd) {
  const Window* w = findOrFail(hwnd);
  return w ? static_cast<int>(w->text.size()) : 0;
}

bool WindowManager::enable(HWND hwnd, bool enable) {
  Window* w = findOrFail(hwnd);
  if (!w) return false;
  const bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled == enable) {
    setStyleBit(*w, WS_DISABLED, !enable);
    callProc(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  }
  return wasDisabled;
}

void WindowManager::moveResize(HWND hwnd, int x, int y, int cx, int cy, bool move, bool size) {
  Window* w = find(hwnd);
  if (!w) return;
  const RECT old = w->rect;
  RECT r = old;
  if (move) {
    r.right = x + (old.right - old.left);
    r.bottom = y + (old.bottom - old.top);
    r.left = x;
    r.top = y;
  }
  if (size) {
    r.right = r.left + std::max(cx, 0);
    r.bottom = r.top + std::max(cy, 0);
  }
  w->rect = r;
  if (r.left != old.left || r.top != old.top) {
    callProc(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(r.left), static_cast<WORD>(r.top)));
  }
  if (find(hwnd) && (r.right - r.left != old.right - old.left || r.bottom - r.top != old.bottom - old.top)) {
    callProc(hwnd, WM_SIZE, SIZE_RESTORED,
             MAKELPARAM(static_cast<WORD>(r.right - r.left), static_cast<WORD>(r.bottom - r.top)));
  }
}

bool WindowManager::setWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = findOrFail(hwnd);
  if (!w) return false;
  const bool special = insertAfter == HWND_TOP || insertAfter == HWND_BOTTOM || insertAfter == HWND_TOPMOST ||
                       insertAfter == HWND_NOTOPMOST;
  if (!(flags & SWP_NOZORDER)) {
    if (!special) {
      const std::vector<HWND>& list = siblingsOf(*w);
      if (insertAfter == hwnd || std::find(list.begin(), list.end(), insertAfter) == list.end()) {
        setError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
      }
    }
    // HWND_NOTOPMOST leaves a window that is not topmost where it is.
    if (!(insertAfter == HWND_NOTOPMOST && !(w->exStyle & WS_EX_TOPMOST))) placeInZOrder(*w, insertAfter);
  }
  if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
    moveResize(hwnd, x, y, cx, cy, !(flags & SWP_NOMOVE), !(flags & SWP_NOSIZE));
  }
  if ((flags & SWP_SHOWWINDOW) && find(hwnd)) showWindow(hwnd, SW_SHOWNA);
  if ((flags & SWP_HIDEWINDOW) && find(hwnd)) showWindow(hwnd, SW_HIDE);
  return true;
}

bool WindowManager::bringToTop(HWND hwnd) {
  Window* w = findOrFail(hwnd);
  if (!w) return false;
  placeInZOrder(*w, HWND_TOP);
  return true;
}

bool WindowManager::setForeground(HWND hwnd) {
  Window* w = findOrFail(hwnd);
  if (!w) return false;
  while (w->style & WS_CHILD) w = find(w->parent);
  foreground_ = w->handle;
  placeInZOrder(*w, HWND_TOP);
  return true;
}

HWND WindowManager::setFocus(HWND hwnd) {
  if (hwnd && !findOrFail(hwnd)) return nullptr;
  const HWND previous = focus_;
  if (previous == hwnd) return previous;
  focus_ = hwnd;
  if (previous && find(previous)) callProc(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && find(hwnd) && focus_ == hwnd) callProc(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

bool WindowManager::clientOrigin(HWND hwnd, POINT& out) {
  const Window* w = findOrFail(hwnd);
  if (!w) return false;
  out = POINT{0, 0};
  for (; w; w = (w->style & WS_CHILD) ? find(w->parent) : nullptr) {
    out.x += w->rect.left;
    out.y += w->rect.top;
  }
  return true;
}

bool WindowManager::windowRect(HWND hwnd, RECT& out) {
  POINT origin{};
  if (!clientOrigin(hwnd, origin)) return false;
  const Window* w = find(hwnd);
  out = RECT{origin.x, origin.y, origin.x + (w->rect.right - w->rect.left), origin.y + (w->rect.bottom - w->rect.top)};
  return true;
}

HWND WindowManager::parent(HWND hwnd) {
  const Window* w = findOrFail(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND WindowManager::relative(HWND hwnd, UINT relation) {
  Window* w = findOrFail(hwnd);
  if (!w) return nullptr;
  if (relation == GW_OWNER) return (w->style & WS_CHILD) ? nullptr : w->owner;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  const std::vector<HWND>& list = siblingsOf(*w);
  const auto it = std::find(list.begin(), list.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return (it + 1) == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == list.begin() ? nullptr : *(it - 1);
    default: setError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND WindowManager::dlgItem(HWND dialog, int id) {
  const Window* w = findOrFail(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    const Window* child = find(c);
    if (child && child->id == id) return c;
  }
  setError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

LONG_PTR WindowManager::setLong(HWND hwnd, int index, LONG_PTR value, int bytes) {
  Window* w = findOrFail(hwnd);
  if (!w) return 0;
  const auto narrow = [bytes](LONG_PTR v) { return bytes == 4 ? static_cast<LONG_PTR>(static_cast<LONG>(v)) : v; };
  LONG_PTR old = 0;
  if (index >= 0) {
    if (static_cast<std::size_t>(index) + static_cast<std::size_t>(bytes) > w->extra.size()) {
      setError(ERROR_INVALID_INDEX);
      return 0;
    }
    if (bytes == 4) {
      LONG o = 0;
      const LONG v = static_cast<LONG>(value);
      std::memcpy(&o, w->extra.data() + index, 4);
      std::memcpy(w->extra.data() + index, &v, 4);
      return o;
    }
    std::memcpy(&old, w->extra.data() + index, 8);
    std::memcpy(w->extra.data() + index, &value, 8);
    return old;
  }
  switch (index) {
    case GWLP_USERDATA: old = w->userData; w->userData = narrow(value); return narrow(old);
    case GWLP_ID: old = w->id; w->id = narrow(value); return narrow(old);
    case GWL_STYLE: old = w->style; w->style = static_cast<DWORD>(value); return narrow(old);
    case GWL_EXSTYLE:
      old = w->exStyle;
      // The topmost bit changes only through SetWindowPos.
      w->exStyle = (static_cast<DWORD>(value) & ~WS_EX_TOPMOST) | (w->exStyle & WS_EX_TOPMOST);
      return narrow(old);
    default: break;
  }
  if (bytes == 8) {
    switch (index) {
      case GWLP_WNDPROC:
        if (!value) {
          setError(ERROR_INVALID_PARAMETER);
          return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
      case GWLP_HINSTANCE: old = reinterpret_cast<LONG_PTR>(w->instance); w->instance = reinterpret_cast<HINSTANCE>(value); return old;
      case GWLP_HWNDPARENT:
        if (w->style & WS_CHILD) break;
        old = reinterpret_cast<LONG_PTR>(w->owner);
        w->owner = reinterpret_cast<HWND>(value);
        return old;
      default: break;
    }
  }
  setError(ERROR_INVALID_INDEX);
  return 0;
}

LONG_PTR WindowManager::getLong(HWND hwnd, int index, int bytes) {
  Window* w = findOrFail(hwnd);
  if (!w) return 0;
  const auto narrow = [bytes](LONG_PTR v) { return bytes == 4 ? static_cast<LONG_PTR>(static_cast<LONG>(v)) : v; };
  if (index >= 0) {
    if (static_cast<std::size_t>(index) + static_cast<std::size_t>(bytes) > w->extra.size()) {
      setError(ERROR_INVALID_INDEX);
      return 0;
    }
    if (bytes == 4) {
      LONG v = 0;
      std::memcpy(&v, w->extra.data() + index, 4);
      return v;
    }
    LONG_PTR v = 0;
    std::memcpy(&v, w->extra.data() + index, 8);
    return v;
  }
  switch (index) {
    case GWLP_USERDATA: return narrow(w->userData);
    case GWLP_ID: return narrow(w->id);
    case GWL_STYLE: return narrow(static_cast<LONG_PTR>(w->style));
    case GWL_EXSTYLE: return narrow(static_cast<LONG_PTR>(w->exStyle));
    default: break;
  }
  if (bytes == 8) {
    switch (index) {
      case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
      case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
      case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
      default: break;
    }
  }
  setError(ERROR_INVALID_INDEX);
  return 0;
}

LRESULT WindowManager::defWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<LPCWSTR>(lParam);
      w->text = text ? std::u16string(text) : std::u16string();
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      if (!buffer || wParam == 0) return 0;
      const std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::copy_n(w->text.begin(), n, buffer);
      buffer[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE: destroyWindow(hwnd); return 0;
    default: return 0;
  }
}

// ---------------------------------------------------------------- messages

LRESULT WindowManager::callProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto it = windows_.find(hwnd);
  if (it == windows_.end()) return 0;
  const std::shared_ptr<Window> keep = it->second;  // the procedure may destroy its window
  return keep->proc(hwnd, msg, wParam, lParam);
}

LRESULT WindowManager::deliverSent(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_COPYDATA || lParam == 0) return callProc(hwnd, msg, wParam, lParam);
  // The receiver gets its own copy, valid only while its procedure runs.
  const auto* source = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (source->cbData != 0 && !source->lpData) {
    setError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto copy = std::make_unique<COPYDATASTRUCT>(*source);
  std::unique_ptr<unsigned char[]> data;
  if (source->cbData != 0) {
    data = std::make_unique<unsigned char[]>(source->cbData);
    std::memcpy(data.get(), source->lpData, source->cbData);
  }
  copy->lpData = data.get();
  return callProc(hwnd, msg, wParam, reinterpret_cast<LPARAM>(copy.get()));
}

LRESULT WindowManager::sendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const Window* w = findOrFail(hwnd);
  if (!w) return 0;
  if (w->hung) {
    assert(false && "SendMessageW to a hung window never returns");
    setError(ERROR_TIMEOUT);
    return 0;
  }
  const DWORD latency = w->latency;
  DepthGuard depth(sendDepth_);
  const LRESULT r = deliverSent(hwnd, msg, wParam, lParam);
  desktop_.clock().advance(latency);
  return r;
}

LRESULT WindowManager::sendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                                          UINT timeoutMs, DWORD_PTR* result) {
  if (flags & ~(SMTO_BLOCK | SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG | SMTO_ERRORONEXIT)) {
    setError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const Window* w = findOrFail(hwnd);
  if (!w) return 0;
  Clock& clock = desktop_.clock();
  if (w->hung) {
    if (!(flags & SMTO_ABORTIFHUNG)) clock.advance(timeoutMs);
    setError(ERROR_TIMEOUT);
    return 0;
  }
  const DWORD latency = w->latency;
  LRESULT r = 0;
  {
    DepthGuard depth(sendDepth_);
    r = deliverSent(hwnd, msg, wParam, lParam);
  }
  if (latency > timeoutMs && !(flags & SMTO_NOTIMEOUTIFNOTHUNG)) {
    clock.advance(timeoutMs);  // the reply comes too late: the receiver did the work anyway
    setError(ERROR_TIMEOUT);
    return 0;
  }
  clock.advance(latency);
  if (result) *result = static_cast<DWORD_PTR>(r);
  return 1;
}

bool WindowManager::postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) {
    setError(ERROR_NOT_SUPPORTED);  // thread messages are not modelled
    return false;
  }
  if (!findOrFail(hwnd)) return false;
  if (msg == WM_COPYDATA || msg == WM_SETTEXT || msg == WM_GETTEXT) {
    setError(ERROR_MESSAGE_SYNC_ONLY);
    return false;
  }
  posted_.push_back(Posted{hwnd, msg, wParam, lParam});
  return true;
}

UINT WindowManager::registerMessage(LPCWSTR name) {
  const std::u16string n = nameOf(name);
  if (n.empty()) {
    setError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const ATOM a = atomFor(n);
  if (a == 0) setError(ERROR_NOT_ENOUGH_MEMORY);
  return a;
}

bool WindowManager::changeMessageFilter(HWND hwnd, UINT msg, DWORD action, bool extended) {
  if (extended) {
    if (!findOrFail(hwnd)) return false;
    if (action != MSGFLT_RESET && action != MSGFLT_ALLOW && action != MSGFLT_DISALLOW) {
      setError(ERROR_INVALID_PARAMETER);
      return false;
    }
  } else if (action != MSGFLT_ADD && action != MSGFLT_REMOVE) {
    setError(ERROR_INVALID_PARAMETER);
    return false;
  }
  filters_.push_back(MessageFilterRecord{extended ? hwnd : nullptr, msg, action});
  return true;
}

// ---------------------------------------------------------------- timers

UINT_PTR WindowManager::setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (hwnd) {
    if (!findOrFail(hwnd)) return 0;
  } else {
    if (!proc) {
      setError(ERROR_NOT_SUPPORTED);  // a thread timer without a procedure posts to a thread queue
      return 0;
    }
    if (!timers_.count({nullptr, id})) id = nextThreadTimerId_++;
  }
  const DWORD period = std::clamp<UINT>(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  Timer& t = timers_[{hwnd, id}];
  if (t.serial == 0) {
    t.serial = nextSerial_++;
    t.hwnd = hwnd;
    t.id = id;
  }
  t.period = period;
  t.proc = proc;
  t.nextElapse = desktop_.clock().now() + period;
  t.ready = false;
  return (hwnd && id == 0) ? 1 : id;
}

bool WindowManager::killTimer(HWND hwnd, UINT_PTR id) {
  if (hwnd && !findOrFail(hwnd)) return false;
  if (timers_.erase({hwnd, id}) == 0) {
    setError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

void WindowManager::updateTimers(ULONGLONG now) {
  for (auto& [key, t] : timers_) {
    if (t.nextElapse > now) continue;
    if (!t.ready) {
      t.ready = true;
      t.readySince = t.nextElapse;
    }
    t.nextElapse += t.period * ((now - t.nextElapse) / t.period + 1);
  }
}

bool WindowManager::setLatency(HWND hwnd, DWORD ms) {
  Window* w = find(hwnd);
  if (!w) return false;
  w->latency = ms;
  return true;
}

bool WindowManager::setHung(HWND hwnd, bool hung) {
  Window* w = find(hwnd);
  if (!w) return false;
  w->hung = hung;
  return true;
}

int WindowManager::addIdleWork(std::function<bool()> work) {
  const int id = nextIdleId_++;
  idleWork_.emplace_back(id, std::move(work));
  return id;
}

void WindowManager::removeIdleWork(int id) {
  idleWork_.erase(std::remove_if(idleWork_.begin(), idleWork_.end(), [id](const auto& w) { return w.first == id; }),
                  idleWork_.end());
}

bool WindowManager::pumpOnce(ULONGLONG instant) {
  // (1) posted messages, FIFO; a hung window's messages wait for it.
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    const Window* w = find(it->hwnd);
    if (w && w->hung) continue;
    const Posted p = *it;
    posted_.erase(it);
    if (w) callProc(p.hwnd, p.msg, p.wParam, p.lParam);
    return true;
  }
  // (2) idle work, in registration order; an item may remove itself or others.
  std::vector<int> ids;
  for (const auto& w : idleWork_) ids.push_back(w.first);
  for (int id : ids) {
    const auto it = std::find_if(idleWork_.begin(), idleWork_.end(), [id](const auto& w) { return w.first == id; });
    if (it == idleWork_.end()) continue;
    const std::function<bool()> work = it->second;
    if (work()) return true;
  }
  // (3) the timer that became ready first. Only elapses up to the pump's instant count: time
  // that a handler lets pass (Sleep) is looked at by the next pump.
  updateTimers(instant);
  Timer* next = nullptr;
  for (auto& [key, t] : timers_) {
    if (!t.ready) continue;
    const Window* w = t.hwnd ? find(t.hwnd) : nullptr;
    if (w && w->hung) continue;
    if (!next || t.readySince < next->readySince || (t.readySince == next->readySince && t.serial < next->serial)) {
      next = &t;
    }
  }
  if (!next) return false;
  next->ready = false;
  const HWND h = next->hwnd;
  const UINT_PTR id = next->id;
  const TIMERPROC proc = next->proc;
  if (proc) {
    proc(h, WM_TIMER, id, static_cast<DWORD>(desktop_.clock().tickCount64()));
  } else {
    callProc(h, WM_TIMER, id, 0);
  }
  return true;
}

void WindowManager::pumpInstant() {
  const ULONGLONG instant = desktop_.clock().now();
  int dispatched = 0;
  while (pumpOnce(instant)) {
    if (++dispatched > kMaxDispatchesPerInstant) {
      assert(false && "endless message loop: more than a million dispatches at one instant");
      return;
    }
  }
}

void WindowManager::pump() { pumpInstant(); }

void WindowManager::runFor(DWORD ms) {
  Clock& clock = desktop_.clock();
  const ULONGLONG end = clock.now() + ms;
  pumpInstant();
  for (;;) {
    ULONGLONG next = ~0ull;
    for (const auto& [key, t] : timers_) next = std::min(next, t.nextElapse);
    if (next > end) break;
    clock.advanceTo(next);
    pumpInstant();
  }
  clock.advanceTo(end);
}

}  // namespace win32
