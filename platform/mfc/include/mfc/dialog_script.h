// The scripted user of dialogs: what the person at the screen does in each dialog that appears.
//
// Models: a session (a test or the desk) queues one DialogVisit per dialog it expects, in the
// order the dialogs will appear: the actions a person would take (type a text, tick a box,
// choose an item, click a button). CDialog::DoModal takes the next visit when its dialog
// appears, after the dialog's initialisation, and plays it (mfc/afxdlg.h). Every dialog shown is
// recorded with its outcome, and as one line on the transcript's "dialog" channel. A dialog for
// which nothing was queued, a visit meant for another dialog, an action the dialog cannot take
// (a missing, disabled or hidden control, an item that does not exist) and a dialog left open
// when the actions ran out are errors: they are recorded, counted, and the dialog is closed as
// with its close box (IDCANCEL), so that nothing proceeds as if the user had agreed.
// Limitations: one queue for the whole application (nested dialogs take the next visit in
// order); no keyboard, focus or mouse positions.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "win32/types.h"

namespace mfc {

// One thing the user does in a dialog.
struct DialogAction {
  enum class Kind {
    SetText,     // type `text` into an edit control (or the edit part of a combo box)
    Check,       // tick (value 1) or untick (value 0) a check box; clicks it only when that changes it
    Choose,      // choose item `value` (from 0) of a combo or list box
    ChooseText,  // choose the first item whose text is `text`
    Click,       // click a button
    Leave,       // leave a field (the focus moves on): EN_KILLFOCUS
    Close,       // the close box of the dialog's caption (controlId unused)
    DoubleClick, // double-click a list view's cell: row `value`, column `column`
  };
  Kind kind = Kind::Click;
  UINT controlId = 0;
  std::u16string text;
  int value = 0;
  int column = 0;

  static DialogAction setText(UINT id, std::u16string text) { return {Kind::SetText, id, std::move(text), 0}; }
  static DialogAction check(UINT id, bool on) { return {Kind::Check, id, {}, on ? 1 : 0}; }
  static DialogAction choose(UINT id, int index) { return {Kind::Choose, id, {}, index}; }
  static DialogAction chooseText(UINT id, std::u16string text) { return {Kind::ChooseText, id, std::move(text), 0}; }
  static DialogAction click(UINT id) { return {Kind::Click, id, {}, 0}; }
  static DialogAction leave(UINT id) { return {Kind::Leave, id, {}, 0}; }
  static DialogAction closeBox() { return {Kind::Close, 0, {}, 0}; }
  static DialogAction doubleClick(UINT id, int row, int column) { return {Kind::DoubleClick, id, {}, row, column}; }
};

// The user's actions for one dialog, in order. A template id of 0 accepts whichever dialog
// appears next; any other value must match the dialog's template. A caption, when given, must
// match the dialog's caption as the user sees it (after its initialisation).
struct DialogVisit {
  UINT templateId = 0;
  std::vector<DialogAction> actions;
  std::u16string caption;
};

// One dialog as it was shown and ended.
struct DialogRecord {
  UINT templateId = 0;
  std::u16string caption;
  // The texts of the static and edit controls after the dialog's initialisation, by control id
  // order: what the user read.
  std::vector<std::u16string> texts;
  // Every control's text after the initialisation, by id (buttons and check boxes included).
  std::map<UINT, std::u16string> controlTexts;
  int result = 0;         // DoModal's result
  bool answered = false;  // false: a script error (see above); `problem` says which
  std::string problem;
};

class DialogScript {
 public:
  void queue(DialogVisit visit) { visits_.push_back(std::move(visit)); }
  // The visit queued last (to add actions to it), or null.
  DialogVisit* lastQueued() { return visits_.empty() ? nullptr : &visits_.back(); }
  std::size_t pendingVisits() const { return visits_.size(); }
  void clear() { visits_.clear(); }

  // The next visit, taken off the queue; nothing when none is queued.
  std::optional<DialogVisit> take();

  // Records a dialog that ended and writes its transcript line.
  void record(DialogRecord r);
  const std::vector<DialogRecord>& dialogs() const { return dialogs_; }
  int unansweredDialogs() const { return unanswered_; }

 private:
  std::deque<DialogVisit> visits_;
  std::vector<DialogRecord> dialogs_;
  int unanswered_ = 0;
};

}  // namespace mfc
