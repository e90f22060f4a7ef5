#include <map>
#include <string>

#include "win32/desktop.h"
#include "win32/shlobj.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"
#include "win32/winuser.h"

namespace {

constexpr WORD kEnChange = 0x0300;
constexpr const char16_t* kCaption = u"浏览文件夹";

struct Browser {
  BROWSEINFOW* info = nullptr;
  std::u16string selection;
  bool ended = false;
  bool confirmed = false;
};

std::map<HWND, Browser*>& browsers() {
  static std::map<HWND, Browser*> open;
  return open;
}

bool isFolder(const std::u16string& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void ensureControlClasses() {
  for (const char16_t* name : {u"Edit", u"Static", u"Button", u"SysTreeView32"}) {
    WNDCLASSW existing{};
    if (GetClassInfoW(nullptr, name, &existing)) continue;
    WNDCLASSW wc{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
  }
}

void select(HWND hwnd, Browser& b, const std::u16string& path) {
  if (!isFolder(path)) return;
  b.selection = path;
  if (!b.info->lpfn) return;
  PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(path.c_str());
  b.info->lpfn(hwnd, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(pidl), b.info->lParam);
  CoTaskMemFree(pidl);
}

LRESULT browserProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = browsers().find(hwnd);
  if (it == browsers().end()) return DefDlgProcW(hwnd, msg, wParam, lParam);
  Browser& b = *it->second;
  switch (msg) {
    case BFFM_SETSELECTIONW:
      if (wParam && lParam) select(hwnd, b, reinterpret_cast<LPCWSTR>(lParam));
      return 0;
    case BFFM_ENABLEOK:
      EnableWindow(GetDlgItem(hwnd, IDOK), lParam != 0);
      return 0;
    case BFFM_SETSTATUSTEXTW:
      SetWindowTextW(GetDlgItem(hwnd, kBrowserStatusId), reinterpret_cast<LPCWSTR>(lParam));
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (!IsWindowEnabled(GetDlgItem(hwnd, IDOK))) return 0;
        b.ended = true;
        b.confirmed = true;
        return 0;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        b.ended = true;
        return 0;
      }
      return 0;
    case WM_CLOSE:
      b.ended = true;
      return 0;
    default: return DefDlgProcW(hwnd, msg, wParam, lParam);
  }
}

HWND child(HWND parent, const char16_t* cls, const char16_t* text, DWORD style, int id, RECT r) {
  return CreateWindowExW(0, cls, text, WS_CHILD | style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
}

// Plays the person's actions; false with a reason when one cannot be taken.
bool play(HWND hwnd, Browser& b, const win32::FolderBrowseVisit& visit, std::string& why) {
  using Kind = win32::FolderBrowseAction::Kind;
  for (const auto& a : visit) {
    if (b.ended || !IsWindow(hwnd)) {
      why = "actions left over after the browser closed";
      return false;
    }
    switch (a.kind) {
      case Kind::Select:
        if (!isFolder(a.text)) {
          why = "no folder " + win32::utf16ToUtf8(a.text) + " to select";
          return false;
        }
        select(hwnd, b, a.text);
        break;
      case Kind::Type: {
        const HWND edit = GetDlgItem(hwnd, a.controlId);
        if (!edit) {
          why = "no edit control " + std::to_string(a.controlId);
          return false;
        }
        SetWindowTextW(edit, a.text.c_str());
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(a.controlId), kEnChange),
                     reinterpret_cast<LPARAM>(edit));
        break;
      }
      case Kind::Ok:
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)));
        break;
      case Kind::Cancel:
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
        break;
    }
  }
  if (!b.ended) {
    why = "left open when the actions ran out";
    return false;
  }
  return true;
}

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info) {
  if (!info) return nullptr;
  win32::Desktop& desktop = win32::Desktop::current();
  ensureControlClasses();
  const HWND owner = info->hwndOwner;
  const bool reenable = owner && IsWindowEnabled(owner);
  if (reenable) EnableWindow(owner, FALSE);

  const HWND hwnd = CreateWindowExW(0, u"#32770", kCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 320,
                                    420, owner, nullptr, nullptr, nullptr);
  Browser b;
  b.info = info;
  std::string problem;
  if (!hwnd) {
    problem = "the browser window could not be created";
  } else {
    child(hwnd, u"Static", info->lpszTitle ? info->lpszTitle : u"", WS_VISIBLE, 0xFFFF, {10, 10, 300, 40});
    child(hwnd, u"Static", u"", (info->ulFlags & BIF_STATUSTEXT) ? WS_VISIBLE : 0, kBrowserStatusId, {10, 42, 300, 58});
    child(hwnd, u"SysTreeView32", u"", WS_VISIBLE, kBrowserTreeId, {10, 70, 300, 350});
    child(hwnd, u"Button", u"确定", WS_VISIBLE, IDOK, {130, 370, 210, 395});
    child(hwnd, u"Button", u"取消", WS_VISIBLE, IDCANCEL, {220, 370, 300, 395});
    browsers()[hwnd] = &b;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&browserProc));
    if (info->lpfn) info->lpfn(hwnd, BFFM_INITIALIZED, 0, info->lParam);
    win32::FolderBrowseVisit visit;
    if (!desktop.user().takeFolderBrowse(visit)) {
      problem = "UNANSWERED";
    } else {
      play(hwnd, b, visit, problem);
    }
  }
  PIDLIST_ABSOLUTE result = nullptr;
  if (problem.empty() && b.confirmed && !b.selection.empty()) result = ILCreateFromPathW(b.selection.c_str());
  if (hwnd) {
    browsers().erase(hwnd);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  if (reenable) EnableWindow(owner, TRUE);

  std::string line = std::string("[") + win32::utf16ToUtf8(kCaption) + "] " +
                     win32::utf16ToUtf8(info->lpszTitle ? info->lpszTitle : u"") + " -> ";
  if (!problem.empty()) {
    desktop.user().noteUnansweredBrowse();
    line += problem;
  } else {
    line += result ? win32::utf16ToUtf8(b.selection) : "Cancel";
  }
  desktop.transcript().add("dialog", line);
  return result;
}
