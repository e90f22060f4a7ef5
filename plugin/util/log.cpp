#include "util/log.h"

#include <cstdarg>
#include <cstdio>

#include "win32/clock.h"
#include "win32/codepage.h"
#include "win32/desktop.h"
#include "win32/fileapi.h"
#include "win32/format.h"
#include "win32/sync.h"

namespace vurk {

namespace {

constexpr char16_t kLogFileName[] = u"\\DebugLog.txt";

// The log of the loaded plug-in: installed at start-up, taken away at unload.
std::unique_ptr<DiagnosticsLog> g_log;

// Converts to the thread's ANSI code page; false when a character has no representation
// there (it would have become '?') or the conversion fails.
bool toAnsiExactly(const std::u16string& text, std::string& out) {
  BOOL usedDefault = FALSE;
  const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
  if (needed <= 1) return false;
  std::string buffer(static_cast<std::size_t>(needed), '\0');
  usedDefault = FALSE;
  const int written =
      WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), -1, buffer.data(), needed, nullptr, &usedDefault);
  if (written != needed || usedDefault) return false;
  buffer.resize(static_cast<std::size_t>(written - 1));  // without the terminator
  out = std::move(buffer);
  return true;
}

}  // namespace

DiagnosticsLog::DiagnosticsLog(std::u16string_view pluginFolder) {
  pluginFolder = pluginFolder.substr(0, pluginFolder.find(u'\0'));
  if (pluginFolder.empty()) return;  // "\DebugLog.txt" would land at a drive root
  std::u16string wide(pluginFolder);
  wide += kLogFileName;
  // The buffer is sized by the conversion itself: a long folder of CJK characters needs
  // two bytes per character, far more than MAX_PATH bytes.
  if (!toAnsiExactly(wide, path_)) {
    path_.clear();
    return;
  }
  lock_ = CreateEventW(nullptr, FALSE, TRUE, nullptr);  // auto-reset, initially signalled
  enabled_ = lock_ != nullptr;
  if (!enabled_) path_.clear();
}

DiagnosticsLog::~DiagnosticsLog() {
  // The event belongs to the desktop; at process exit, with none left, there is nothing to close.
  if (lock_ != nullptr && win32::Desktop::currentOrNull() != nullptr) CloseHandle(lock_);
}

void DiagnosticsLog::write(std::u16string_view message) {
  if (!enabled_) return;
  if (WaitForSingleObject(lock_, INFINITE) != WAIT_OBJECT_0) return;
  const std::string ansi = win32::wideToMultiByte(CP_THREAD_ACP, message.substr(0, message.find(u'\0')));
  AppendLogLine(path_.c_str(), "%s", ansi.c_str());
  SetEvent(lock_);
}

void InitLog(std::u16string_view pluginFolder) { g_log = std::make_unique<DiagnosticsLog>(pluginFolder); }

std::unique_ptr<DiagnosticsLog> RemoveLog() { return std::move(g_log); }

DiagnosticsLog* CurrentLog() { return g_log.get(); }

void Log(std::u16string_view message) {
  if (g_log) g_log->write(message);
}

bool AppendLogLine(const char* ansiPath, const char* format, ...) {
  if (ansiPath == nullptr || format == nullptr) return false;
  SYSTEMTIME now{};
  GetLocalTime(&now);

  std::string line = win32::formatNarrow("[%04d/%02d/%02d %02d:%02d:%02d]  ", now.wYear, now.wMonth, now.wDay,
                                         now.wHour, now.wMinute, now.wSecond);
  va_list args;
  va_start(args, format);
  const int status = win32::formatInto(line, format, args);
  va_end(args);
  if (status != 0) return false;
  line += '\n';

  FILE* file = nullptr;
  if (fopen_s(&file, ansiPath, "a") != 0 || file == nullptr) return false;  // the line is lost
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace vurk
