#include "mfc/dialog_script.h"

#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"

namespace mfc {

std::optional<DialogVisit> DialogScript::take() {
  if (visits_.empty()) return std::nullopt;
  DialogVisit v = std::move(visits_.front());
  visits_.pop_front();
  return v;
}

void DialogScript::record(DialogRecord r) {
  std::string line = "[" + win32::utf16ToUtf8(r.caption) + " #" + std::to_string(r.templateId) + "]";
  for (const auto& t : r.texts) line += " " + win32::utf16ToUtf8(t);
  if (r.answered) {
    const std::string name = win32::buttonName(r.result);
    line += " -> " + (name == "?" ? "result " + std::to_string(r.result) : name);
  } else {
    ++unanswered_;
    line += " -> " + (r.problem.empty() ? std::string("UNANSWERED") : r.problem);
  }
  if (auto* d = win32::Desktop::currentOrNull()) d->transcript().add("dialog", line);
  dialogs_.push_back(std::move(r));
}

}  // namespace mfc
