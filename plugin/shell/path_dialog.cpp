#include "shell/path_dialog.h"

#include <array>

#include "mfc/afxdlg.h"
#include "win32/fileapi.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

constexpr std::size_t kTextUnits = 255;
constexpr std::size_t kPathUnits = MAX_PATH - 1;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;  // 5
constexpr int kEditBandHeight = 23;
constexpr int kGapAboveTree = 4;
constexpr DWORD kClientEdgeStyle = 0x00000200;  // WS_EX_CLIENTEDGE
constexpr DWORD kAutoScroll = 0x0080;           // ES_AUTOHSCROLL

std::u16string cut(std::u16string_view s, std::size_t units) { return std::u16string(s.substr(0, units)); }

bool isExistingFolder(const std::u16string& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string fullPath(const std::u16string& typed) {
  std::array<char16_t, MAX_PATH + 1> buf{};
  const DWORD n = GetFullPathNameW(typed.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
  if (n == 0 || n >= buf.size()) return {};
  return std::u16string(buf.data(), n);
}

std::u16string windowText(HWND hwnd) {
  std::array<char16_t, MAX_PATH + 1> buf{};
  const int n = GetWindowTextW(hwnd, buf.data(), static_cast<int>(kPathUnits + 1));
  return std::u16string(buf.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

}  // namespace

CPathDialog::CPathDialog(std::u16string_view caption, std::u16string_view title, std::u16string_view initialFolder,
                         CWnd* parent)
    : caption_(cut(caption, kTextUnits)),
      title_(cut(title, kTextUnits)),
      initial_(cut(initialFolder, kPathUnits)),
      owner_(parent) {}

int CPathDialog::DoModal() {
  confirmed_ = false;
  path_.clear();
  info_ = {};
  info_.hwndOwner = owner_ ? owner_->m_hWnd : nullptr;
  info_.lpszTitle = title_.c_str();
  info_.ulFlags = kBrowseFlags;
  info_.lpfn = &CPathDialog::BrowseCallback;
  info_.lParam = reinterpret_cast<LPARAM>(this);
  PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info_);
  if (pidl) CoTaskMemFree(pidl);
  if (m_hWnd) Detach();
  if (info_.hwndOwner && !::IsWindowEnabled(info_.hwndOwner)) ::EnableWindow(info_.hwndOwner, TRUE);
  return confirmed_ ? 1 : -1;
}

int CPathDialog::BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data) {
  auto* self = reinterpret_cast<CPathDialog*>(data);
  if (!self) return 0;
  if (msg == BFFM_INITIALIZED) self->onInitialized(hwnd);
  if (msg == BFFM_SELCHANGED) self->onSelectionChanged(lParam);
  return 0;
}

void CPathDialog::onInitialized(HWND hwnd) {
  SubclassWindow(hwnd);
  SetWindowText(caption_.c_str());
  ::ShowWindow(::GetDlgItem(hwnd, kBrowserStatusId), SW_HIDE);
  RECT tree{};
  if (const HWND treeWindow = ::GetDlgItem(hwnd, kBrowserTreeId)) {
    ::GetWindowRect(treeWindow, &tree);
    POINT topLeft{tree.left, tree.top};
    POINT bottomRight{tree.right, tree.bottom};
    ::ScreenToClient(hwnd, &topLeft);
    ::ScreenToClient(hwnd, &bottomRight);
    tree = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }
  const int bottom = tree.top - kGapAboveTree;
  ::CreateWindowExW(kClientEdgeStyle, u"Edit", u"", WS_CHILD | WS_VISIBLE | kAutoScroll, tree.left,
                    bottom - kEditBandHeight, tree.right - tree.left, kEditBandHeight, hwnd,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPathEditId)), nullptr, nullptr);
  std::u16string initial = initial_;
  if (initial.empty()) {
    std::array<char16_t, MAX_PATH + 1> cwd{};
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data());
    if (n > 0 && n < cwd.size()) initial.assign(cwd.data(), n);
  }
  ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial.c_str()));
}

void CPathDialog::onSelectionChanged(LPARAM pidl) {
  std::array<char16_t, MAX_PATH + 1> path{};
  const bool fileSystem = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(pidl), path.data()) != FALSE;
  ::SendMessageW(m_hWnd, BFFM_ENABLEOK, 0, fileSystem ? 1 : 0);
  if (!fileSystem) return;
  ::SendMessageW(m_hWnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path.data()));
  ::SetWindowTextW(::GetDlgItem(m_hWnd, kPathEditId), path.data());
}

BOOL CPathDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  const HWND edit = ::GetDlgItem(m_hWnd, kPathEditId);
  if (LOWORD(wParam) == kPathEditId && HIWORD(wParam) == EN_CHANGE) {
    ::SendMessageW(m_hWnd, BFFM_ENABLEOK, 0, windowText(edit).empty() ? 0 : 1);
    return TRUE;
  }
  if (LOWORD(wParam) == IDOK) {
    // The typed folder counts, made absolute: a relative one would name a folder that depends
    // on wherever the process happens to be.
    const std::u16string chosen = fullPath(windowText(edit));
    if (chosen.empty() || !isExistingFolder(chosen)) {
      ::SetFocus(edit);
      return TRUE;  // the browser stays open
    }
    path_ = chosen;
    confirmed_ = true;
  }
  return CWnd::OnCommand(wParam, lParam);
}

bool ChooseCacheFolder(CWnd* parent, const std::u16string& currentFolder, std::u16string& chosen) {
  CPathDialog picker(u"文件夹选择", u"选择要打开的地图临时路径", currentFolder, parent);
  if (picker.DoModal() != 1) return false;
  chosen = picker.GetPathName();
  return !chosen.empty();
}

}  // namespace vurk
