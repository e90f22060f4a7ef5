// The diagnostics log "DebugLog.txt" beside the plug-in.
//
// Each line is "[YYYY/MM/DD hh:mm:ss]  " (local time, two spaces) followed by the message in
// the ANSI code page and a line end, appended in text mode (so the file holds CR LF). The file
// grows without limit. Lines from several threads do not interleave: writers take an
// auto-reset event first.
//
// The path is the plug-in folder + "\DebugLog.txt" in the ANSI code page, sized to the
// conversion. When the folder cannot be written in the ANSI code page (a character the code
// page lacks would turn into '?' and name another file), logging is switched off: the log
// never writes anywhere but beside the plug-in.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "win32/types.h"

namespace vurk {

class DiagnosticsLog {
 public:
  // Builds the log path for the plug-in folder (a Windows path without trailing backslash)
  // and creates the lock event.
  explicit DiagnosticsLog(std::u16string_view pluginFolder);
  ~DiagnosticsLog();
  DiagnosticsLog(const DiagnosticsLog&) = delete;
  DiagnosticsLog& operator=(const DiagnosticsLog&) = delete;

  // Appends one line; a file that cannot be opened loses the line silently.
  void write(std::u16string_view message);

  bool enabled() const { return enabled_; }
  // The log path in the ANSI code page (empty when logging is off).
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  HANDLE lock_ = nullptr;
  bool enabled_ = false;
};

// Start-up: creates the plug-in's log for its folder and makes it the one Log writes to.
void InitLog(std::u16string_view pluginFolder);
// Unload: takes the log away again (Log then writes nothing).
std::unique_ptr<DiagnosticsLog> RemoveLog();
// The installed log, or nullptr before start-up and after unload.
DiagnosticsLog* CurrentLog();

// Appends one line to the installed log.
void Log(std::u16string_view message);

// The line writer: opens the ANSI path in text append mode, writes the local-time stamp, the
// text formatted with the Windows printf rules (win32/format.h) and "\n", and closes the file.
// Returns false when the format is invalid, the file does not open or the write fails.
bool AppendLogLine(const char* ansiPath, const char* format, ...);

}  // namespace vurk
