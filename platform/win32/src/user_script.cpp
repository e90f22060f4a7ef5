#include "win32/user_script.h"

#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

namespace win32 {

std::string messageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return "OK";
    case MB_OKCANCEL: return "OK/Cancel";
    case MB_ABORTRETRYIGNORE: return "Abort/Retry/Ignore";
    case MB_YESNOCANCEL: return "Yes/No/Cancel";
    case MB_YESNO: return "Yes/No";
    case MB_RETRYCANCEL: return "Retry/Cancel";
    default: return "?";
  }
}

std::string buttonName(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
  }
}

bool buttonBelongsTo(int id, UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return id == IDOK;
    case MB_OKCANCEL: return id == IDOK || id == IDCANCEL;
    case MB_ABORTRETRYIGNORE: return id == IDABORT || id == IDRETRY || id == IDIGNORE;
    case MB_YESNOCANCEL: return id == IDYES || id == IDNO || id == IDCANCEL;
    case MB_YESNO: return id == IDYES || id == IDNO;
    case MB_RETRYCANCEL: return id == IDRETRY || id == IDCANCEL;
    default: return false;
  }
}

namespace {
// The answer an unanswered box gets: the negative choice it offers, never a silent OK.
int refusal(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;  // the only button; the box is still counted as an error
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;
  }
}
}  // namespace

int UserScript::messageBox(std::u16string_view text, std::u16string_view caption, UINT type) {
  MessageBoxRecord rec;
  rec.text.assign(text);
  rec.caption.assign(caption);
  rec.type = type;
  std::string line = "[" + messageBoxButtons(type) + "] " + utf16ToUtf8(text);
  if (!answers_.empty()) {
    rec.answer = answers_.front();
    answers_.pop_front();
    rec.answered = true;
    if (!buttonBelongsTo(rec.answer, type)) {
      // The script answered with a button this box does not have: that is a script error too.
      line += " -> " + buttonName(rec.answer) + " (not a button of this box)";
      rec.answered = false;
      rec.answer = refusal(type);
      ++unanswered_;
    } else {
      line += " -> " + buttonName(rec.answer);
    }
  } else {
    rec.answer = refusal(type);
    ++unanswered_;
    line += " -> UNANSWERED";
  }
  transcript_.add("box", line);
  boxes_.push_back(rec);
  return rec.answer;
}

}  // namespace win32

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  auto& d = win32::Desktop::current();
  std::u16string_view t = text ? std::u16string_view(text) : std::u16string_view();
  std::u16string_view c = caption ? std::u16string_view(caption) : std::u16string_view();
  return d.user().messageBox(t, c, type);
}
