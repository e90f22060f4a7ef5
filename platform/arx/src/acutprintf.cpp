#include <cstdarg>

#include "arx/acutads.h"
#include "win32/desktop.h"
#include "win32/format.h"
#include "win32/transcript.h"

int acutPrintf(const ACHAR* format, ...) {
  if (!format) return -1;
  std::u16string text;
  va_list args;
  va_start(args, format);
  const int rc = win32::formatInto(text, format, args);
  va_end(args);
  if (rc != 0) return -1;
  win32::Desktop::current().transcript().commandLine(text);
  return static_cast<int>(text.size());
}
