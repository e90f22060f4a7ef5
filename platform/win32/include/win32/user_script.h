// The scripted user: the person at the screen who answers message boxes.
//
// A session queues the answers in the order the boxes will appear. Every box is recorded in
// the transcript with the answer it got. A box for which no answer was queued is an error:
// it is recorded, counted, and answered with IDCANCEL (or IDNO/IDOK where that is the only
// negative button), so that nothing proceeds as if the user had agreed.
// Limitations: answers are button ids only; dialogs script their controls elsewhere.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "win32/types.h"

namespace win32 {

class Transcript;

// What the person does in one folder browser (SHBrowseForFolderW), in order.
struct FolderBrowseAction {
  enum class Kind {
    Select,  // select the folder `text` in the tree
    Type,    // type `text` into the edit control `controlId` that the caller placed
    Ok,      // press OK
    Cancel,  // press Cancel (or close the browser)
  };
  Kind kind = Kind::Ok;
  std::u16string text;
  int controlId = 0;
};
using FolderBrowseVisit = std::vector<FolderBrowseAction>;

struct MessageBoxRecord {
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
  int answer = 0;
  bool answered = false;  // false: nobody had queued an answer
};

class UserScript {
 public:
  explicit UserScript(Transcript& transcript) : transcript_(transcript) {}

  void queueAnswer(int buttonId) { answers_.push_back(buttonId); }
  std::size_t pendingAnswers() const { return answers_.size(); }
  void clearAnswers() { answers_.clear(); }

  // Shows a message box to the user and returns the button the user chose.
  int messageBox(std::u16string_view text, std::u16string_view caption, UINT type);

  const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }
  int unansweredBoxes() const { return unanswered_; }

  // Folder browsers: one visit per browser, in the order they appear.
  void queueFolderBrowse(FolderBrowseVisit visit) { browses_.push_back(std::move(visit)); }
  std::size_t pendingFolderBrowses() const { return browses_.size(); }
  // The browser visit queued last (to add actions to it), or null.
  FolderBrowseVisit* lastQueuedFolderBrowse() { return browses_.empty() ? nullptr : &browses_.back(); }
  bool takeFolderBrowse(FolderBrowseVisit& visit) {
    if (browses_.empty()) return false;
    visit = std::move(browses_.front());
    browses_.pop_front();
    return true;
  }
  // A browser nobody acted on, or one left open when the actions ran out.
  void noteUnansweredBrowse() { ++unansweredBrowses_; }
  int unansweredBrowses() const { return unansweredBrowses_; }

 private:
  Transcript& transcript_;
  std::deque<int> answers_;
  std::deque<FolderBrowseVisit> browses_;
  int unansweredBrowses_ = 0;
  std::vector<MessageBoxRecord> boxes_;
  int unanswered_ = 0;
};

// The buttons of a message-box type, e.g. "Yes/No"; and a button id's name, e.g. "Yes".
std::string messageBoxButtons(UINT type);
std::string buttonName(int id);
// True when the button id is one of the type's buttons.
bool buttonBelongsTo(int id, UINT type);

}  // namespace win32

// The Win32 message box, shown to the scripted user of the current desktop.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
