#include "ui_steps.h"

#include <cstdlib>
#include <map>

#include "arx/acad_app.h"
#include "arx/rxmfcapi.h"
#include "desk_session.h"
#include "mfc/afxdlg.h"
#include "mfc/dialog_script.h"
#include "shell/toolbar_window.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"
#include "win32/winuser.h"

namespace desk {

namespace {

using Words = std::vector<std::string>;
using mfc::DialogAction;

std::u16string wide(const std::string& s) { return win32::utf8ToUtf16(s); }

// What the previous step of each session was, to group consecutive lines into one visit.
enum class Last { Other, Dialog, Browse };
std::map<const DeskSession*, Last>& lastSteps() {
  static std::map<const DeskSession*, Last> last;
  return last;
}

bool parseId(const std::string& text, UINT& id) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || end != text.c_str() + text.size() || v <= 0 || v > 0xFFFF) return false;
  id = static_cast<UINT>(v);
  return true;
}

bool fail(std::string& reason, std::string why) {
  reason = std::move(why);
  return false;
}

// "type ID TEXT", "check ID", ... as a dialog action.
bool parseAction(const Words& w, std::size_t at, DialogAction& action, std::string& reason) {
  if (w.size() == at + 1 && w[at] == "close") {
    action = DialogAction::closeBox();
    return true;
  }
  if (w.size() <= at + 1) return fail(reason, "dialog \"CAPTION\" type|check|uncheck|choose|click|leave ID ...");
  const std::string verb = w[at];
  UINT id = 0;
  if (!parseId(w[at + 1], id)) return fail(reason, "not a control id: " + w[at + 1]);
  const bool withText = verb == "type" || verb == "choose";
  if (withText != (w.size() == at + 3) || (!withText && w.size() != at + 2)) {
    return fail(reason, "wrong number of words for dialog " + verb);
  }
  if (verb == "type") action = DialogAction::setText(id, wide(w[at + 2]));
  else if (verb == "choose") action = DialogAction::chooseText(id, wide(w[at + 2]));
  else if (verb == "check") action = DialogAction::check(id, true);
  else if (verb == "uncheck") action = DialogAction::check(id, false);
  else if (verb == "click") action = DialogAction::click(id);
  else if (verb == "leave") action = DialogAction::leave(id);
  else return fail(reason, "unknown dialog action " + verb);
  return true;
}

bool dialogStep(DeskSession& s, const Words& w, Last previous, std::string& reason) {
  if (w.size() < 3) return fail(reason, "dialog \"CAPTION\" ACTION ...");
  const std::u16string caption = wide(w[1]);
  DialogAction action;
  if (!parseAction(w, 2, action, reason)) return false;
  // An open dialog (a modeless one) is acted on now.
  if (CDialog* open = mfc::FindOpenDialog(caption); open && open->IsWindowVisible()) {
    if (!open->PlayUserAction(action, reason)) return false;
    s.desktop().pump();
    return true;
  }
  mfc::DialogScript& script = s.acad().mfcState().dialogScript();
  mfc::DialogVisit* last = script.lastQueued();
  if (previous == Last::Dialog && last && last->caption == caption) {
    last->actions.push_back(action);
  } else {
    script.queue({0, {action}, caption});
  }
  return true;
}

bool browseStep(DeskSession& s, const Words& w, Last previous, std::string& reason) {
  using Kind = win32::FolderBrowseAction::Kind;
  win32::FolderBrowseAction a;
  const std::string verb = w.size() > 1 ? w[1] : "";
  if (verb == "select" && w.size() == 3) a = {Kind::Select, wide(w[2]), 0};
  else if (verb == "type" && w.size() == 3) a = {Kind::Type, wide(w[2]), 14148};
  else if (verb == "ok" && w.size() == 2) a = {Kind::Ok, {}, 0};
  else if (verb == "cancel" && w.size() == 2) a = {Kind::Cancel, {}, 0};
  else return fail(reason, "browse select PATH|type TEXT|ok|cancel");
  win32::UserScript& user = s.desktop().user();
  win32::FolderBrowseVisit* last = user.lastQueuedFolderBrowse();
  if (previous == Last::Browse && last) {
    last->push_back(a);
  } else {
    user.queueFolderBrowse({a});
  }
  return true;
}

vurk::CAcToolBar* toolbar(std::string& reason) {
  vurk::CAcToolBar* bar = vurk::GetToolbar();
  if (!bar) reason = "there is no toolbar (is the plug-in loaded?)";
  return bar;
}

bool toolbarStep(DeskSession& s, const Words& w, std::string& reason) {
  const std::string verb = w.size() > 1 ? w[1] : "";
  vurk::CAcToolBar* bar = toolbar(reason);
  if (!bar) return false;
  win32::Transcript& t = s.desktop().transcript();
  if (verb == "press" && w.size() == 3) {
    UINT id = 0;
    int index = parseId(w[2], id) ? bar->CommandToIndex(id) : bar->IndexOfTooltip(wide(w[2]));
    if (index < 0) return fail(reason, "no toolbar button " + w[2]);
    t.add("note", "toolbar: " + win32::utf16ToUtf8(bar->ButtonTooltip(index)));
    if (!bar->PressButton(index)) return fail(reason, "the toolbar cannot be pressed (hidden)");
    s.desktop().pump();
    return true;
  }
  if (verb == "close" && w.size() == 2) {
    if (!bar->UserClosesFloatingBar()) return fail(reason, "the toolbar is not floating and shown");
    return true;
  }
  if (verb == "show" && w.size() == 2) {
    t.add("toolbar", win32::utf16ToUtf8(bar->GetWindowTextString()) + (bar->IsWindowVisible() ? " visible" : " hidden") +
                         (bar->IsFloating() ? " floating at " + std::to_string(bar->floatPosition().x) + "," +
                                                  std::to_string(bar->floatPosition().y)
                                            : " docked"));
    for (int i = 0; i < bar->GetCount(); ++i) {
      UINT id = 0, style = 0;
      int image = 0;
      bar->GetButtonInfo(i, id, style, image);
      t.add("toolbar", std::to_string(id) + " image " + std::to_string(image) + " " +
                           win32::utf16ToUtf8(bar->ButtonTooltip(i)));
    }
    return true;
  }
  return fail(reason, "toolbar press ID|TOOLTIP, toolbar close, toolbar show");
}

bool frameStep(DeskSession& s, const Words& w, std::string& reason) {
  const std::string verb = w.size() > 1 ? w[1] : "";
  const HWND frame = s.acad().mainWindow();
  if (verb == "minimise" && w.size() == 2) return ShowWindow(frame, SW_MINIMIZE), true;
  if (verb == "restore" && w.size() == 2) return ShowWindow(frame, SW_RESTORE), true;
  return fail(reason, "frame minimise|restore");
}

bool expectToolbar(const Words& w, std::string& reason) {
  vurk::CAcToolBar* bar = toolbar(reason);
  if (!bar) return false;
  const std::string what = w.size() > 2 ? w[2] : "";
  if ((what == "visible" || what == "hidden") && w.size() == 3) {
    if ((bar->IsWindowVisible() != FALSE) != (what == "visible")) return fail(reason, "the toolbar is not " + what);
    return true;
  }
  UINT id = 0;
  if (what == "image" && w.size() == 5 && parseId(w[3], id)) {
    UINT got = 0, style = 0;
    int image = -1;
    bar->GetButtonInfo(bar->CommandToIndex(id), got, style, image);
    if (std::to_string(image) != w[4]) return fail(reason, "button " + w[3] + " shows image " + std::to_string(image));
    return true;
  }
  return fail(reason, "expect toolbar visible|hidden|image ID N");
}

bool expectDialog(DeskSession& s, const Words& w, std::string& reason) {
  if (w.size() < 4) return fail(reason, "expect dialog \"CAPTION\" ...");
  CDialog* d = mfc::FindOpenDialog(wide(w[2]));
  const bool open = d && d->IsWindowVisible();
  const std::string what = w[3];
  if (what == "open" || what == "closed") {
    if (open != (what == "open")) return fail(reason, "the dialog " + w[2] + " is not " + what);
    return true;
  }
  if (!open) return fail(reason, "the dialog " + w[2] + " is not open");
  UINT id = 0;
  if (w.size() < 5 || !parseId(w[4], id) || !d->HasControl(static_cast<int>(id))) {
    return fail(reason, "no control " + (w.size() > 4 ? w[4] : std::string("?")));
  }
  const int c = static_cast<int>(id);
  if (what == "text" && w.size() == 6) {
    const std::string got = win32::utf16ToUtf8(d->GetDlgItemTextString(c));
    if (got != w[5]) return fail(reason, "control " + w[4] + " shows \"" + got + "\"");
    return true;
  }
  bool holds = false;
  if (what == "checked") holds = d->IsDlgButtonChecked(c) == BST_CHECKED;
  else if (what == "unchecked") holds = d->IsDlgButtonChecked(c) != BST_CHECKED;
  else if (what == "shown") holds = d->IsControlVisible(c);
  else if (what == "hidden") holds = !d->IsControlVisible(c);
  else if (what == "enabled") holds = d->IsControlEnabled(c);
  else if (what == "disabled") holds = !d->IsControlEnabled(c);
  else return fail(reason, "unknown dialog expectation " + what);
  (void)s;
  if (!holds) return fail(reason, "control " + w[4] + " is not " + what);
  return true;
}

bool expectDialogLine(DeskSession& s, const Words& w, std::string& reason) {
  std::string want;
  for (std::size_t i = 2; i < w.size(); ++i) want += (i > 2 ? " " : "") + w[i];
  for (const auto& e : s.desktop().transcript().entries()) {
    if (e.channel == "dialog" && e.text.find(want) != std::string::npos) return true;
  }
  return fail(reason, "no dialog line containing \"" + want + "\"");
}

}  // namespace

std::optional<bool> runUiStep(DeskSession& session, const Words& w, std::string& reason) {
  Last& last = lastSteps()[&session];
  const Last previous = last;
  last = Last::Other;
  if (w.empty()) return std::nullopt;
  const std::string verb = w[0];
  if (verb == "dialog") {
    last = Last::Dialog;
    return dialogStep(session, w, previous, reason);
  }
  if (verb == "browse") {
    last = Last::Browse;
    return browseStep(session, w, previous, reason);
  }
  if (verb == "toolbar") return toolbarStep(session, w, reason);
  if (verb == "frame") return frameStep(session, w, reason);
  if (verb == "expect" && w.size() >= 3 && w[1] == "toolbar") return expectToolbar(w, reason);
  if (verb == "expect" && w.size() >= 3 && w[1] == "dialog") return expectDialog(session, w, reason);
  if (verb == "expect" && w.size() >= 3 && w[1] == "dialog-line") return expectDialogLine(session, w, reason);
  return std::nullopt;
}

}  // namespace desk
