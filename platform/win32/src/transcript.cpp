#include "win32/transcript.h"

#include "win32/unicode.h"

namespace win32 {

void Transcript::commandLine(std::u16string_view text) {
  commandLineText_.append(text);
  for (char16_t c : text) {
    if (c == u'\n') {
      flush();
    } else if (c != u'\r') {
      pending_.push_back(c);
    }
  }
}

void Transcript::flush() {
  if (pending_.empty()) return;
  std::u16string line;
  line.swap(pending_);
  push({"cmd", utf16ToUtf8(line)});
}

void Transcript::add(std::string_view channel, std::string_view text) {
  flush();
  push({std::string(channel), std::string(text)});
}

const std::vector<TranscriptEntry>& Transcript::entries() {
  flush();
  return entries_;
}

void Transcript::push(TranscriptEntry e) {
  entries_.push_back(std::move(e));
  if (listener_) listener_(entries_.back());
}

}  // namespace win32
