// The editor: command notifications, selection, the user's answers to prompts, the status bar.
//
// Models:
//   - AcEditorReactor notifications, to reactors added with acedEditor->addReactor, in
//     registration order (one removed during a notification is not called later in it):
//     every command, built-in, typed, sent with sendStringToExecute or registered by an
//     application, is bracketed commandWillStart(name) ... exactly one of commandEnded /
//     commandCancelled / commandFailed(name), with the upper-case global name ("_rectang" and
//     "rec" give "RECTANG"); the database notifications of the command's work come in between;
//     beginDoubleClick(point) before any double-click editing; viewChanged() after every change
//     of the current view (pan, zoom, acedSetCurrentView, the window's size);
//   - prompts (acedGetPoint, acedGetCorner, acedEntSel, acedGetString, acedGetReal, acedGetInt,
//     interactive acedSSGet) take their answer from the command string being executed first,
//     then from the session user's queued input. The prompt and the answer are echoed on the
//     command line. An answer is a text, Enter, or Esc. Esc answers RTCAN ("*Cancel*" is
//     echoed); Enter answers RTNONE where a prompt allows a null answer (acedGetPoint,
//     acedGetCorner, acedGetReal/Int), "" for acedGetString, and RTERROR for acedEntSel. A
//     prompt nobody answered is counted as unanswered and answers RTCAN, so nothing goes on
//     as if the user had agreed;
//   - acedEntSel picks at the point given (the pick box is PICKBOX pixels of the current view
//     around it): RTNORM with the entity drawn last among those hit, RTERROR for a miss or a
//     text that is no point; the selection filters are NOT applied (it is no ssget);
//   - selection sets: names returned by acedSSGet / acedSSAdd stay valid until acedSSFree; at
//     most 128 sets can be open at once (RTERROR beyond, as AutoCAD's limit); acedSSLength,
//     acedSSName (index out of range RTERROR), acedSSAdd, acedSSDel, acedSSMemb answer RTNORM
//     or RTERROR;
//   - acedSSGet: "I" gives a new set holding the current document's pickfirst set (RTNORM) or
//     RTERROR when it is empty; no filters run again for "I" (they ran when the user's
//     selection built the pickfirst set). A point (str null, pt1 given) selects every entity
//     hit at the point, in drawing order; "W" (pt1, pt2) entities wholly inside the window,
//     "C" entities inside or crossing it, "X" every entity of the current space, "L" the last
//     entity, str null without points asks the user ("Select objects:" answered with points,
//     "ALL", "W"/"C" and two corners, "L", until Enter). A filter list (group 0 or RTDXF0
//     entity type, 8 layer name; names compared without case, "*" and "?" wildcards, "," alternatives)
//     keeps the matching entities; any other group code is RTERROR. Then every selection
//     filter attached to the current document (addSSgetFilterInputContextReactor) sees the ids
//     being added through ssgetAddFilter and may remove them by index (indices are those of
//     the array it was given); an empty result is RTERROR;
//   - ssgetRolloverFilter runs when the user hovers over an entity (session: hover): the
//     proposed path is the entity hit last in drawing order; each filter of the document gets
//     the proposed path and the highlight path so far and may replace it;
//   - acedSSSetFirst(set, null) makes the set's entities the pickfirst selection (no filters
//     run); a null set clears it;
//   - status-bar progress meter: acedSetStatusBarProgressMeter(label, min, max) 0, or -1 when
//     min > max or a meter already shows; acedSetStatusBarProgressMeterPos(pos) 0, or -1
//     without a meter; every position is recorded as given (negative ones too) in the
//     transcript channel "status"; acedRestoreStatusBar ends the meter;
//   - acedPostCommandPrompt writes "Command:" on the command line and is counted.
// Limitations: no object snaps, keywords lists (acedInitGet), grips or cycling; entity picks
// hit model space only; crossing tests work on the curve's sampled path (16 points per
// polyline segment, 256 per other curve) and on the extents box of other entities.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "arx/acadstrc.h"
#include "arx/adsdef.h"
#include "arx/dbid.h"
#include "arx/dbsubeid.h"
#include "arx/gept.h"
#include "arx/rxobject.h"

class AcApDocument;
class AcDbEntity;

namespace arx {
class AcadApplication;
}

class AcRxEventReactor : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxEventReactor);
};

class AcEditorReactor : public AcRxEventReactor {
 public:
  ACRX_DECLARE_MEMBERS(AcEditorReactor);
  virtual void commandWillStart(const ACHAR* cmdStr);
  virtual void commandEnded(const ACHAR* cmdStr);
  virtual void commandCancelled(const ACHAR* cmdStr);
  virtual void commandFailed(const ACHAR* cmdStr);
  virtual void beginDoubleClick(const AcGePoint3d& clickPoint);
  virtual void viewChanged();
};

class AcEditor : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEditor);
  // Reactors that are no AcEditorReactor are ignored.
  void addReactor(AcRxEventReactor* reactor);
  void removeReactor(AcRxEventReactor* reactor);
};

class AcEdInputContextReactor {
 public:
  virtual ~AcEdInputContextReactor() = default;
};

// What a selection filter may do to the entities being added.
class AcEdSelectionSetService {
 public:
  // Drops the entity at index of the array the filter was given: eOk, eInvalidIndex outside it.
  Acad::ErrorStatus remove(int index);

  // --- non-standard
  explicit AcEdSelectionSetService(int count) : removed_(static_cast<std::size_t>(count), false) {}
  bool isRemoved(int index) const { return removed_[static_cast<std::size_t>(index)]; }

 private:
  std::vector<bool> removed_;
};

class AcEdSSGetFilter : public AcEdInputContextReactor {
 public:
  virtual void ssgetAddFilter(int ssgetFlags, AcEdSelectionSetService& service, const AcDbObjectIdArray& selectionSet,
                              const AcDbObjectIdArray& subSelectionSet);
  virtual Acad::ErrorStatus ssgetRolloverFilter(const AcDbFullSubentPath& subEntityPath,
                                                AcDbFullSubentPath& highlightPath);
};

Acad::ErrorStatus addSSgetFilterInputContextReactor(AcApDocument* doc, AcEdSSGetFilter* filter);
Acad::ErrorStatus removeSSgetFilterInputContextReactor(AcApDocument* doc, AcEdSSGetFilter* filter);

// Selection.
int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);
int acedSSSetFirst(const ads_name pset, const ads_name unused);
int acedSSLength(const ads_name ss, Adesk::Int32* len);
int acedSSName(const ads_name ss, Adesk::Int32 i, ads_name entres);
int acedSSFree(const ads_name ss);
// ename null and ss null: a new empty set; ename only: a new set with it; both: ename added to
// ss (result names ss).
int acedSSAdd(const ads_name ename, const ads_name ss, ads_name result);
int acedSSDel(const ads_name ename, const ads_name ss);
int acedSSMemb(const ads_name ename, const ads_name ss);

// Prompts.
int acedEntSel(const ACHAR* prompt, ads_name entres, ads_point ptres);
int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result);
int acedGetCorner(const ads_point base, const ACHAR* prompt, ads_point result);
// cronly is accepted for its shape only: every answer is one line.
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, std::size_t bufLen);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetInt(const ACHAR* prompt, int* result);
void acedPostCommandPrompt();

// Status-bar progress meter.
int acedSetStatusBarProgressMeter(const ACHAR* label, int minPos, int maxPos);
int acedSetStatusBarProgressMeterPos(int pos);
void acedRestoreStatusBar();

namespace arx {

// One answer of the session's user at a prompt.
struct UserInput {
  enum Kind { kText, kEnter, kEscape };
  Kind kind = kText;
  std::u16string text;
  static UserInput enter() { return {kEnter, {}}; }
  static UserInput escape() { return {kEscape, {}}; }
  static UserInput of(std::u16string t) { return {kText, std::move(t)}; }
};

// How a command ended.
enum class CommandOutcome { kEnded, kCancelled, kFailed };

// The editor's state behind the free functions (non-standard).
class Editor : public AcEditor {
 public:
  explicit Editor(AcadApplication& app);
  ~Editor() override;
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  // ----- reactors
  void add(AcEditorReactor* reactor);
  void remove(AcEditorReactor* reactor);
  void fireCommand(CommandOutcome* outcome, const std::u16string& name);  // outcome null: WillStart
  void fireBeginDoubleClick(const AcGePoint3d& point);
  void fireViewChanged();

  // ----- the user's input
  void queueInput(UserInput input) { userInput_.push_back(std::move(input)); }
  std::size_t pendingInput() const { return userInput_.size(); }
  void clearInput() { userInput_.clear(); }
  int unansweredPrompts() const { return unanswered_; }
  const std::u16string& lastUnansweredPrompt() const { return lastUnanswered_; }
  // Command-string answers are read before the user's; pushed by the command processor for
  // the command it runs and popped, with what the command left unread, when it ends.
  void pushScript(std::deque<UserInput> answers);
  std::deque<UserInput> popScript();
  // Asks the user (see above): echoes prompt and answer. Nullopt: nobody answered (counted;
  // "*Cancel*" echoed), which callers treat as Esc.
  std::optional<UserInput> ask(const std::u16string& prompt);

  // ----- geometry of picks
  // The entities of model space of the current document hit at p, in drawing order.
  std::vector<AcDbObjectId> hitAt(const AcGePoint3d& p) const;
  // Inside (crossing false) or inside/crossing (true) the window of two corners.
  std::vector<AcDbObjectId> inWindow(const AcGePoint3d& a, const AcGePoint3d& b, bool crossing) const;
  std::vector<AcDbObjectId> allEntities() const;
  double pickTolerance() const;

  // ----- selection
  // Runs the current document's selection filters over ids (what ssget adds) and keeps the
  // ones none removed.
  std::vector<AcDbObjectId> filtered(const std::vector<AcDbObjectId>& ids, int ssgetFlags) const;
  // The user's selection with no command running: replaces (add false) or extends the
  // pickfirst set of the current document, through the filters. The resulting count.
  std::size_t userSelects(const std::vector<AcDbObjectId>& ids, bool add);
  const std::vector<AcDbObjectId>& pickfirst(const AcApDocument* doc) const;
  void setPickfirst(const AcApDocument* doc, std::vector<AcDbObjectId> ids);
  void forgetDocument(const AcApDocument* doc);
  // Hover: the highlight path after the rollover filters (empty ids: nothing under the point).
  AcDbFullSubentPath hover(const AcGePoint3d& p);

  // Selection sets.
  bool newSet(std::vector<AcDbObjectId> ids, ads_name out);
  std::vector<AcDbObjectId>* set(const ads_name name);
  bool freeSet(const ads_name name);
  std::size_t openSets() const { return sets_.size(); }

  // ----- status bar and prompt
  int startMeter(const std::u16string& label, int minPos, int maxPos);
  int meterPos(int pos);
  void restoreStatusBar();
  bool meterShowing() const { return meterShowing_; }
  int commandPrompts() const { return commandPrompts_; }
  void postCommandPrompt();

 private:
  AcadApplication& app_;
  std::vector<AcEditorReactor*> reactors_;
  std::deque<UserInput> userInput_;
  std::vector<std::deque<UserInput>> scripts_;
  int unanswered_ = 0;
  std::u16string lastUnanswered_;
  std::map<const AcApDocument*, std::vector<AcDbObjectId>> pickfirst_;
  std::map<std::intptr_t, std::vector<AcDbObjectId>> sets_;
  std::intptr_t nextSet_ = 1;
  bool meterShowing_ = false;
  int commandPrompts_ = 0;
};

// The editor of the current AutoCAD application.
Editor* currentEditor();

// The user's answers at "Select objects:" (a point picks the entity drawn last there; ALL; W or
// C and two corners; L the last entity) until Enter: RTNORM with the entities chosen (before
// the selection filters), RTCAN for Esc.
int askForSelection(std::vector<AcDbObjectId>& out);

// "x,y" or "x,y,z" with finite numbers.
bool parsePointText(const std::u16string& text, AcGePoint3d& p);

}  // namespace arx

#define acedEditor (static_cast<AcEditor*>(::arx::currentEditor()))
