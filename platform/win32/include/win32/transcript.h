// The record of what a person at the screen would have seen, in the order it happened.
//
// Channels: "cmd" (AutoCAD's command line, one entry per completed line), "box" (a message
// box and its answer), "host" (events of the host map application), "shell" (documents the
// shell opened), "note" (the session's own remarks). Text is UTF-8.
// Limitations: the command line is split at line feeds; empty lines are not recorded.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

struct TranscriptEntry {
  std::string channel;
  std::string text;
};

class Transcript {
 public:
  // Appends text written to the command line; a line feed completes the current line.
  void commandLine(std::u16string_view text);
  // Adds one entry on a channel; any pending command-line text is completed first.
  void add(std::string_view channel, std::string_view text);
  // Completes the pending command-line text, if any.
  void flush();

  const std::vector<TranscriptEntry>& entries();
  // The command line as one text, exactly as written (line feeds included).
  const std::u16string& commandLineText() const { return commandLineText_; }

  // Called for every entry as it is recorded (the desk prints the transcript live).
  void setListener(std::function<void(const TranscriptEntry&)> listener) { listener_ = std::move(listener); }

 private:
  void push(TranscriptEntry e);
  std::vector<TranscriptEntry> entries_;
  std::u16string pending_;
  std::u16string commandLineText_;
  std::function<void(const TranscriptEntry&)> listener_;
};

}  // namespace win32
