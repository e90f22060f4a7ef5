#include "mfc/afxdlg.h"

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
  for (const auto& c : t->controls) {
    mfc::DialogControlState s;
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
      if (!((c->kind == u"Edit" && !(c->style & ES_READONLY)) || c->kind == u"ComboBox")) {
        why = name + " takes no typing";
        return false;
      }
      c->text = action.text;
      if (c->kind == u"Edit") notify(id, EN_CHANGE);
      return true;
    case Kind::Close: break;
    case Kind::Leave:
      if (c->kind != u"Edit") {
        why = name + " is not an edit field";
        return false;
      }
      notify(id, EN_KILLFOCUS);
      return true;
    case Kind::Check: {
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
      notify(id, BN_CLICKED);
      return true;
  }
  why = "unknown action";
  return false;
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
