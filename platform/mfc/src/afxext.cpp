#include "mfc/afxext.h"

#include "mfc/afxdlg.h"

#include "win32/resources.h"
#include "win32/winuser.h"

namespace {

constexpr const char16_t* kToolbarClass = u"ToolbarWindow32";

}  // namespace

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int) {
  if (created_ || cx <= 0 || cy <= 0 || initial < 0) return FALSE;
  created_ = true;
  cx_ = cx;
  cy_ = cy;
  flags_ = flags;
  icons_.reserve(static_cast<std::size_t>(initial));
  return TRUE;
}

int CImageList::Add(HICON icon) {
  if (!created_ || !icon) return -1;
  icons_.push_back(icon);
  return static_cast<int>(icons_.size()) - 1;
}

HICON CImageList::icon(int index) const {
  if (index < 0 || index >= GetImageCount()) return nullptr;
  return icons_[static_cast<std::size_t>(index)];
}

bool CControlBar::UserClosesFloatingBar() {
  if (!m_hWnd || !floating_ || !IsWindowVisible()) return false;
  if (dockSite_) {
    dockSite_->ShowControlBar(this, FALSE, FALSE);
  } else {
    ShowWindow(SW_HIDE);
  }
  return true;
}

BOOL CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, RECT, UINT id) {
  if (m_hWnd || !parent || !parent->m_hWnd) return FALSE;
  WNDCLASSW wc{};
  wc.lpfnWndProc = AfxWndProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.lpszClassName = kToolbarClass;
  if (!AfxRegisterClass(&wc)) return FALSE;
  resources_ = AfxGetResourceHandle();
  ctrlStyle_ = ctrlStyle;
  if (!CWnd::CreateEx(0, kToolbarClass, nullptr, style | WS_CHILD, RECT{0, 0, 0, 0}, parent, id)) return FALSE;
  owner_ = parent->m_hWnd;
  dockSite_ = dynamic_cast<CFrameWnd*>(parent);
  return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
  if (count < 0 || (count > 0 && !ids)) return FALSE;
  buttons_.clear();
  for (int i = 0; i < count; ++i) buttons_.push_back({ids[i], TBBS_BUTTON, i});
  return TRUE;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT style, int image) {
  if (index < 0 || index >= GetCount()) return;
  buttons_[static_cast<std::size_t>(index)] = {id, style, image};
}

void CToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const {
  if (index < 0 || index >= GetCount()) {
    id = 0;
    style = 0;
    image = -1;
    return;
  }
  const Button& b = buttons_[static_cast<std::size_t>(index)];
  id = b.id;
  style = b.style;
  image = b.image;
}

UINT CToolBar::GetItemID(int index) const {
  return index >= 0 && index < GetCount() ? buttons_[static_cast<std::size_t>(index)].id : 0;
}

int CToolBar::CommandToIndex(UINT id) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (buttons_[static_cast<std::size_t>(i)].id == id) return i;
  }
  return -1;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
  buttonSize_ = button;
  imageSize_ = image;
}

std::u16string CToolBar::ButtonTooltip(int index) const {
  const UINT id = GetItemID(index);
  if (id == 0) return {};
  LPCWSTR text = nullptr;
  const int n = LoadStringW(resources_, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || !text) return {};
  const std::u16string full(text, static_cast<std::size_t>(n));
  const std::size_t lf = full.find(u'\n');
  return lf == std::u16string::npos ? full : full.substr(lf + 1);
}

int CToolBar::IndexOfTooltip(const std::u16string& tip) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (!tip.empty() && ButtonTooltip(i) == tip) return i;
  }
  return -1;
}

bool CToolBar::PressButton(int index) {
  if (!m_hWnd || index < 0 || index >= GetCount() || !IsWindowVisible() || !IsWindowEnabled()) return false;
  const UINT id = GetItemID(index);
  ::SendMessageW(owner_ ? owner_ : ::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(m_hWnd));
  return true;
}

LRESULT CToolBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TB_SETPARENT: {
      const HWND previous = owner_;
      owner_ = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case TB_SETIMAGELIST: {
      CImageList* previous = imageList_;
      imageList_ = CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(lParam));
      return reinterpret_cast<LRESULT>(previous ? previous->GetSafeHandle() : nullptr);
    }
    default: return CControlBar::WindowProc(msg, wParam, lParam);
  }
}

void CFrameWnd::FloatControlBar(CControlBar* bar, CPoint point, DWORD style) {
  if (!bar) return;
  bar->dockSite_ = this;
  bar->floating_ = true;
  bar->floatPosition_ = point;
  bar->floatAlignment_ = style;
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL) {
  if (!bar || !bar->m_hWnd) return;
  bar->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD) {
  if (!parent) return FALSE;
  parent_ = parent;
  return TRUE;
}

BOOL CToolTipCtrl::AddTool(UINT controlId, const std::u16string& text) {
  if (!parent_) return FALSE;
  tools_.push_back({controlId, text});
  return TRUE;
}

std::u16string CToolTipCtrl::toolText(UINT controlId) const {
  for (const Tool& t : tools_) {
    if (t.controlId == controlId) return t.text;
  }
  return {};
}

int CToolTipCtrl::delay(DWORD kind) const {
  auto it = delays_.find(kind);
  return it == delays_.end() ? -1 : it->second;
}
