#include "mfc/afxdlg.h"

#include <algorithm>

#include "mfc/dialog_script.h"
#include "win32/resources.h"
#include "win32/unicode.h"
#include "win32/winuser.h"

namespace {

constexpr const char16_t* kDialogClass = u"#32770";

// The template in the current resources, then in the application's own.
const win32::DialogTemplate* findTemplate(UINT id) {
  mfc::AppState* state = mfc::AppState::current();
  if (!state) return nullptr;
  for (HINSTANCE module : {state->resourceHandle(), state->instanceHandle()}) {
    if (const win32::ResourceTable* table = win32::moduleResources(module)) {
      if (const win32::DialogTemplate* t = table->dialog(id)) return t;
    }
  }
  return nullptr;
}

bool isCheckBox(const mfc::DialogControlState& c) {
  const DWORD type = c.style & BS_TYPEMASK;
  return c.kind == u"Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
}

bool isListKind(const mfc::DialogControlState& c) { return c.kind == u"ComboBox" || c.kind == u"ListBox"; }

bool isRadio(const mfc::DialogControlState& c) {
  const DWORD type = c.style & BS_TYPEMASK;
  return c.kind == u"Button" && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

bool isListView(const mfc::DialogControlState& c) { return c.kind == u"SysListView32"; }

constexpr int kListHeaderHeight = 24;
constexpr int kListRowHeight = 17;

void recordDialog(mfc::DialogRecord r) {
  if (mfc::AppState* state = mfc::AppState::current()) state->dialogScript().record(std::move(r));
}

}  // namespace

bool CDialog::createFromTemplate(UINT templateId, CWnd* parent) {
  const win32::DialogTemplate* t = findTemplate(templateId);
  if (!t) return false;
  templateId_ = templateId;
  parent_ = parent;
  templateCaption_ = t->caption;
  controls_.clear();
  std::size_t order = 0;
  for (const auto& c : t->controls) {
    mfc::DialogControlState s;
    s.order = order++;
    s.kind = c.kind;
    s.style = c.style;
    s.text = c.text;
    s.enabled = (c.style & WS_DISABLED) == 0;
    controls_[c.id] = std::move(s);
  }
  const char16_t* cls = t->className.empty() ? kDialogClass : t->className.c_str();
  const DWORD style = t->style & ~(WS_VISIBLE | WS_CHILD);
  return CreateEx(0, cls, t->caption.c_str(), style, 0, 0, 400, 300, parent ? parent->m_hWnd : nullptr, nullptr) !=
         FALSE;
}

INT_PTR CDialog::DoModal() {
  modal_ = true;
  ended_ = false;
  result_ = 0;
  scriptError_ = false;
  problem_.clear();
  if (m_hWnd || !createFromTemplate(templateId_, parent_)) {
    mfc::DialogRecord r;
    r.templateId = templateId_;
    r.result = -1;
    r.problem = "dialog template missing or window not created";
    recordDialog(std::move(r));
    return -1;
  }
  const HWND owner = parent_ ? parent_->m_hWnd : nullptr;
  const bool reenableOwner = owner && ::IsWindowEnabled(owner);
  if (reenableOwner) ::EnableWindow(owner, FALSE);

  SendMessage(WM_INITDIALOG, 0, 0);
  mfc::DialogRecord r;
  r.templateId = templateId_;
  if (m_hWnd) {
    r.caption = GetWindowTextString();
    for (const auto& [id, c] : controls_) {
      if (c.visible && !c.text.empty() && (c.kind == u"Static" || c.kind == u"Edit")) r.texts.push_back(c.text);
      r.controlTexts[id] = c.text;
    }
  }
  if (!ended_ && m_hWnd) {
    ShowWindow(SW_SHOW);
    playScriptedUser();
  }
  const int result = ended_ ? result_ : IDCANCEL;
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  if (m_hWnd) DestroyWindow();
  r.result = result;
  r.answered = !scriptError_;
  r.problem = problem_;
  recordDialog(std::move(r));
  return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (m_hWnd) return FALSE;
  modal_ = false;
  ended_ = false;
  if (!createFromTemplate(templateId, parent)) return FALSE;
  const win32::DialogTemplate* t = findTemplate(templateId);
  SendMessage(WM_INITDIALOG, 0, 0);
  if (m_hWnd && t && (t->style & WS_VISIBLE)) ShowWindow(SW_SHOW);
  return m_hWnd != nullptr;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if (!modal_ && m_hWnd) ShowWindow(SW_HIDE);
}

void CDialog::playScriptedUser() {
  mfc::AppState* state = mfc::AppState::current();
  std::optional<mfc::DialogVisit> visit;
  if (state) visit = state->dialogScript().take();
  if (!visit) {
    scriptError_ = true;
    problem_ = "UNANSWERED";
    closeAsCancel();
    return;
  }
  if (visit->templateId != 0 && visit->templateId != templateId_) {
    scriptError_ = true;
    problem_ = "the script expected dialog #" + std::to_string(visit->templateId);
    closeAsCancel();
    return;
  }
  if (!visit->caption.empty() && visit->caption != GetWindowTextString()) {
    scriptError_ = true;
    problem_ = "the script expected the dialog \"" + win32::utf16ToUtf8(visit->caption) + "\"";
    closeAsCancel();
    return;
  }
  for (const auto& action : visit->actions) {
    if (ended_ || !m_hWnd) {
      scriptError_ = true;
      problem_ = "actions left over after the dialog closed";
      return;
    }
    std::string why;
    if (!play(action, why)) {
      scriptError_ = true;
      problem_ = why;
      closeAsCancel();
      return;
    }
  }
  if (!ended_ && m_hWnd) {
    scriptError_ = true;
    problem_ = "left open when the script ran out";
    closeAsCancel();
  }
}

bool CDialog::play(const mfc::DialogAction& action, std::string& why) {
  if (action.kind == mfc::DialogAction::Kind::Close) {
    SendMessage(WM_CLOSE, 0, 0);
    return true;
  }
  const int id = static_cast<int>(action.controlId);
  mfc::DialogControlState* c = controlOrNull(id);
  const std::string name = "control " + std::to_string(id);
  if (!c) {
    why = "no " + name;
    return false;
  }
  if (!c->visible || !c->enabled) {
    why = name + (c->visible ? " is disabled" : " is hidden");
    return false;
  }
  using Kind = mfc::DialogAction::Kind;
  switch (action.kind) {
    case Kind::SetText:
      if (!((c->kind == u"Edit" && !(c->style & ES_READONLY)) ||
            (c->kind == u"ComboBox" && (c->style & 0x3) != CBS_DROPDOWNLIST))) {
        why = name + " takes no typing";
        return false;
      }
      c->text = action.text;
      if (c->textLimit > 0 && c->text.size() > static_cast<std::size_t>(c->textLimit)) {
        c->text.resize(static_cast<std::size_t>(c->textLimit));
      }
      notify(id, c->kind == u"Edit" ? EN_CHANGE : CBN_EDITCHANGE);
      return true;
    case Kind::Close: break;
    case Kind::Leave:
      if (c->kind != u"Edit") {
        why = name + " is not an edit field";
        return false;
      }
      notify(id, EN_KILLFOCUS);
      return true;
    case Kind::DoubleClick: {
      if (!isListView(*c)) {
        why = name + " is not a list view";
        return false;
      }
      if (action.value < 0 || action.value >= static_cast<int>(c->rows.size()) || action.column < 0 ||
          action.column >= static_cast<int>(c->columns.size())) {
        why = name + " has no such cell";
        return false;
      }
      NMITEMACTIVATE nm{};
      nm.hdr.idFrom = static_cast<UINT_PTR>(id);
      nm.hdr.code = static_cast<UINT>(NM_DBLCLK);
      nm.iItem = action.value;
      nm.iSubItem = action.column;
      SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&nm));
      return true;
    }
    case Kind::Check: {
      if (isRadio(*c)) {
        if (!action.value) {
          why = name + " is a radio button: choose another one of its group";
          return false;
        }
        if (c->check == BST_CHECKED) return true;
        if ((c->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
          for (auto* r : radioGroupOf(c)) r->check = r == c ? BST_CHECKED : BST_UNCHECKED;
        }
        notify(id, BN_CLICKED);
        return true;
      }
      if (!isCheckBox(*c)) {
        why = name + " is not a check box";
        return false;
      }
      const UINT wanted = action.value ? BST_CHECKED : BST_UNCHECKED;
      if (c->check == wanted) return true;
      if ((c->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) c->check = wanted;
      notify(id, BN_CLICKED);
      return true;
    }
    case Kind::Choose:
    case Kind::ChooseText: {
      if (!isListKind(*c)) {
        why = name + " has no items";
        return false;
      }
      int index = action.value;
      if (action.kind == Kind::ChooseText) {
        index = -1;
        for (std::size_t i = 0; i < c->items.size(); ++i) {
          if (c->items[i] == action.text) {
            index = static_cast<int>(i);
            break;
          }
        }
      }
      if (index < 0 || static_cast<std::size_t>(index) >= c->items.size()) {
        why = name + " has no such item";
        return false;
      }
      c->selection = index;
      if (c->kind == u"ComboBox") c->text = c->items[static_cast<std::size_t>(index)];
      notify(id, CBN_SELCHANGE);
      return true;
    }
    case Kind::Click:
      if (c->kind != u"Button") {
        why = name + " is not a button";
        return false;
      }
      if ((c->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) c->check = c->check ? BST_UNCHECKED : BST_CHECKED;
      if ((c->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
        for (auto* r : radioGroupOf(c)) r->check = r == c ? BST_CHECKED : BST_UNCHECKED;
      }
      notify(id, BN_CLICKED);
      return true;
  }
  why = "unknown action";
  return false;
}

std::vector<mfc::DialogControlState*> CDialog::radioGroupOf(const mfc::DialogControlState* member) {
  // The controls in template order; the group runs from the last WS_GROUP at or before the
  // member to the next WS_GROUP after it, radio buttons only.
  std::vector<mfc::DialogControlState*> ordered;
  for (auto& [cid, c] : controls_) ordered.push_back(&c);
  std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->order < b->order; });
  std::size_t at = 0;
  while (at < ordered.size() && ordered[at] != member) ++at;
  if (at == ordered.size()) return {};
  std::size_t first = at;
  while (first > 0 && !(ordered[first]->style & WS_GROUP)) --first;
  std::vector<mfc::DialogControlState*> group;
  for (std::size_t i = first; i < ordered.size(); ++i) {
    if (i > first && (ordered[i]->style & WS_GROUP)) break;
    if (isRadio(*ordered[i])) group.push_back(ordered[i]);
  }
  return group;
}

std::vector<mfc::DialogControlState*> CDialog::radioGroup(int firstId) {
  auto* c = controlOrNull(firstId);
  return c && isRadio(*c) ? radioGroupOf(c) : std::vector<mfc::DialogControlState*>{};
}

int CDialog::GetCheckedRadio(int firstId) const {
  const auto group = const_cast<CDialog*>(this)->radioGroup(firstId);
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (group[i]->check == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void CDialog::CheckRadio(int firstId, int index) {
  const auto group = radioGroup(firstId);
  for (std::size_t i = 0; i < group.size(); ++i) {
    group[i]->check = static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED;
  }
}

void CDialog::ResetContent(int id) {
  auto* c = controlOrNull(id);
  if (!c || !isListKind(*c)) return;
  c->items.clear();
  c->selection = -1;
  if ((c->style & 0x3) == CBS_DROPDOWNLIST || c->kind == u"ListBox") c->text.clear();
}

void CDialog::LimitText(int id, int units) {
  if (auto* c = controlOrNull(id)) c->textLimit = units < 0 ? 0 : units;
}

void CDialog::SetListExtendedStyle(int id, DWORD style) {
  if (auto* c = controlOrNull(id); c && isListView(*c)) c->extendedStyle = style;
}

DWORD CDialog::GetListExtendedStyle(int id) const {
  const auto* c = control(id);
  return c ? c->extendedStyle : 0;
}

int CDialog::InsertListColumn(int id, int column, const std::u16string& heading, int width) {
  auto* c = controlOrNull(id);
  if (!c || !isListView(*c) || column < 0) return -1;
  const std::size_t at = std::min(static_cast<std::size_t>(column), c->columns.size());
  c->columns.insert(c->columns.begin() + static_cast<std::ptrdiff_t>(at), {heading, width});
  for (auto& row : c->rows) row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), std::u16string());
  return static_cast<int>(at);
}

int CDialog::InsertListItem(int id, int row, const std::u16string& text) {
  auto* c = controlOrNull(id);
  if (!c || !isListView(*c) || row < 0) return -1;
  const std::size_t at = std::min(static_cast<std::size_t>(row), c->rows.size());
  std::vector<std::u16string> cells(std::max<std::size_t>(c->columns.size(), 1));
  cells[0] = text;
  c->rows.insert(c->rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(cells));
  return static_cast<int>(at);
}

BOOL CDialog::SetListItemText(int id, int row, int column, const std::u16string& text) {
  auto* c = controlOrNull(id);
  if (!c || !isListView(*c) || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0) return FALSE;
  auto& cells = c->rows[static_cast<std::size_t>(row)];
  if (column >= static_cast<int>(cells.size())) return FALSE;
  cells[static_cast<std::size_t>(column)] = text;
  return TRUE;
}

std::u16string CDialog::GetListItemText(int id, int row, int column, int maxUnits) const {
  const auto* c = control(id);
  if (!c || maxUnits <= 1 || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0) return {};
  const auto& cells = c->rows[static_cast<std::size_t>(row)];
  if (column >= static_cast<int>(cells.size())) return {};
  return cells[static_cast<std::size_t>(column)].substr(0, static_cast<std::size_t>(maxUnits - 1));
}

int CDialog::GetListItemCount(int id) const {
  const auto* c = control(id);
  return c ? static_cast<int>(c->rows.size()) : 0;
}

void CDialog::DeleteAllListItems(int id) {
  if (auto* c = controlOrNull(id)) c->rows.clear();
}

BOOL CDialog::GetListSubItemRect(int id, int row, int column, RECT& rect) const {
  const auto* c = control(id);
  if (!c || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0 ||
      column >= static_cast<int>(c->columns.size())) {
    return FALSE;
  }
  int left = 0;
  for (int i = 0; i < column; ++i) left += c->columns[static_cast<std::size_t>(i)].second;
  rect.left = left;
  rect.right = left + c->columns[static_cast<std::size_t>(column)].second;
  rect.top = kListHeaderHeight + row * kListRowHeight;
  rect.bottom = rect.top + kListRowHeight;
  return TRUE;
}

void CDialog::notify(int id, WORD code) {
  if (m_hWnd) SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), 0);
}

bool CDialog::PlayUserAction(const mfc::DialogAction& action, std::string& why) {
  if (!m_hWnd) {
    why = "the dialog is not open";
    return false;
  }
  if (!IsWindowVisible()) {
    why = "the dialog is hidden";
    return false;
  }
  return play(action, why);
}

void CDialog::closeAsCancel() {
  if (!m_hWnd) return;
  // The close box: the dialog class turns WM_CLOSE into IDCANCEL.
  SendMessage(WM_CLOSE, 0, 0);
  if (!ended_) EndDialog(IDCANCEL);
}

BOOL CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_INITDIALOG) {
    *result = OnInitDialog();
    return TRUE;
  }
  return CWnd::OnWndMsg(msg, wParam, lParam, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
  }
}

mfc::DialogControlState* CDialog::controlOrNull(int id) {
  auto it = controls_.find(static_cast<UINT>(id));
  return it == controls_.end() ? nullptr : &it->second;
}

const mfc::DialogControlState* CDialog::control(int id) const {
  auto it = controls_.find(static_cast<UINT>(id));
  return it == controls_.end() ? nullptr : &it->second;
}

void CDialog::SetDlgItemText(int id, LPCWSTR text) {
  auto* c = controlOrNull(id);
  if (!c) return;
  c->text = text ? text : u"";
  if (c->kind == u"Edit") notify(id, EN_CHANGE);
}

std::u16string CDialog::GetDlgItemTextString(int id) const {
  const auto* c = control(id);
  return c ? c->text : std::u16string();
}

void CDialog::CheckDlgButton(int id, UINT check) {
  if (auto* c = controlOrNull(id)) c->check = check;
}

UINT CDialog::IsDlgButtonChecked(int id) const {
  const auto* c = control(id);
  return c ? c->check : BST_UNCHECKED;
}

int CDialog::AddControlItem(int id, const std::u16string& text) {
  auto* c = controlOrNull(id);
  if (!c || !isListKind(*c)) return CB_ERR;
  c->items.push_back(text);
  return static_cast<int>(c->items.size()) - 1;
}

int CDialog::GetControlSelection(int id) const {
  const auto* c = control(id);
  return c ? c->selection : CB_ERR;
}

BOOL CDialog::SetControlSelection(int id, int index) {
  auto* c = controlOrNull(id);
  if (!c || !isListKind(*c) || index < -1 || index >= static_cast<int>(c->items.size())) return FALSE;
  c->selection = index;
  if (c->kind == u"ComboBox") c->text = index >= 0 ? c->items[static_cast<std::size_t>(index)] : std::u16string();
  return TRUE;
}

BOOL CDialog::EnableControl(int id, BOOL enable) {
  auto* c = controlOrNull(id);
  if (!c) return FALSE;
  c->enabled = enable != FALSE;
  return TRUE;
}

bool CDialog::IsControlVisible(int id) const {
  const auto* c = control(id);
  return c && c->visible;
}

bool CDialog::IsControlEnabled(int id) const {
  const auto* c = control(id);
  return c && c->enabled;
}

namespace mfc {

CDialog* FindOpenDialog(const std::u16string& caption) {
  const HWND hwnd = FindWindowW(nullptr, caption.c_str());
  if (!hwnd || !AppState::current()) return nullptr;
  return dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
}

}  // namespace mfc

BOOL CDialog::ShowControl(int id, BOOL show) {
  auto* c = controlOrNull(id);
  if (!c) return FALSE;
  c->visible = show != FALSE;
  return TRUE;
}
