// The virtual clock: milliseconds that pass only when the session lets time pass.
//
// Models: the tick counter (GetTickCount / GetTickCount64), Sleep, and a wall clock for
// GetLocalTime / GetSystemTime / the CRT's _time64 and _localtime64_s. Virtual time starts at 0
// when the desktop is created and moves forward only through Clock::advance (used by
// Desktop::runFor), Sleep, and timed waits that time out. The wall clock is a base date-time
// plus the virtual milliseconds elapsed since that base was set, so a test can pin the local
// time to the millisecond (e.g. 2022-03-01 07:05:09.000) and it stays fixed until time passes.
// The default base is 2024-01-15 09:00:00.000 local time with the local zone at UTC+8 and no
// daylight saving time. The tick counter is the virtual time plus a settable origin, so the
// 32-bit wrap of GetTickCount can be reached (origin 0xFFFFFF00, advance 0x200 -> 0x100).
//
// Limitations: no time zones beyond one fixed offset from UTC, no daylight saving time; the
// Gregorian calendar is used for every year (proleptic); leap seconds do not exist. Sleep does
// not dispatch messages or run timers (like the real Sleep): time passes, due timers fire at
// the next pump. Sleep(INFINITE) would never return on one thread: it asserts and returns.
#pragma once

#include <cstdint>
#include <ctime>

#include "win32/types.h"

namespace win32 {

class Clock {
 public:
  Clock();

  // Milliseconds of virtual time since the desktop started.
  ULONGLONG now() const { return nowMs_; }
  void advanceTo(ULONGLONG ms) {
    if (ms > nowMs_) nowMs_ = ms;
  }
  void advance(ULONGLONG ms) { nowMs_ += ms; }

  // Tick counter: origin + virtual time. GetTickCount returns its low 32 bits.
  ULONGLONG tickCount64() const { return tickOrigin_ + nowMs_; }
  void setTickOrigin(ULONGLONG origin) { tickOrigin_ = origin; }

  // Wall clock. setLocalTime pins the local date-time at the current virtual instant; it
  // returns false (and changes nothing) for a date or time that does not exist.
  bool setLocalTime(const SYSTEMTIME& local);
  bool setLocalTime(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);
  // Offset of local time from UTC in minutes (UTC+8 = 480). Keeps the local time unchanged.
  void setUtcOffsetMinutes(int minutes) { utcOffsetMinutes_ = minutes; }
  int utcOffsetMinutes() const { return utcOffsetMinutes_; }

  SYSTEMTIME localTime() const;
  SYSTEMTIME systemTime() const;
  // Milliseconds since 1970-01-01 00:00:00 UTC.
  std::int64_t unixMillis() const;

 private:
  std::int64_t localMillis() const;  // local wall time in ms since 1970-01-01 00:00 local

  ULONGLONG nowMs_ = 0;
  ULONGLONG tickOrigin_ = 0;
  std::int64_t wallBaseLocalMs_ = 0;  // local time (ms since 1970, local) at wallBaseAt_
  ULONGLONG wallBaseAt_ = 0;
  int utcOffsetMinutes_ = 480;
};

// Calendar helpers (proleptic Gregorian): days since 1970-01-01 and back; day of week 0 = Sunday.
std::int64_t daysFromCivil(int year, unsigned month, unsigned day);
void civilFromDays(std::int64_t days, int& year, unsigned& month, unsigned& day);
// Milliseconds since 1970-01-01 00:00 of a SYSTEMTIME, and the SYSTEMTIME of such a value
// (wDayOfWeek filled in). validSystemTime checks every field (wDayOfWeek is ignored).
bool validSystemTime(const SYSTEMTIME& t);
std::int64_t systemTimeToMillis(const SYSTEMTIME& t);
SYSTEMTIME millisToSystemTime(std::int64_t ms);

// The broken-down time of ms since 1970-01-01 00:00 (tm_isdst = 0, tm_yday filled in).
std::tm tmFromMillis(std::int64_t ms);
// A std::tm of the desktop's local time now (tm_isdst = 0, tm_yday filled in).
std::tm localTm();

}  // namespace win32

DWORD GetTickCount();
ULONGLONG GetTickCount64();
// Advances the virtual clock by ms; dispatches nothing.
void Sleep(DWORD ms);
void GetLocalTime(SYSTEMTIME* out);
void GetSystemTime(SYSTEMTIME* out);
// FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
void GetSystemTimeAsFileTime(FILETIME* out);
BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out);
BOOL FileTimeToSystemTime(const FILETIME* in, SYSTEMTIME* out);

// The CRT's 64-bit time functions on the virtual wall clock.
using __time64_t = std::int64_t;
// Seconds since 1970-01-01 UTC; also stored through `out` when it is not null.
__time64_t _time64(__time64_t* out);
// Local / UTC broken-down time of t; returns 0, or EINVAL (22) for a null argument or a time
// before 1970 (as the CRT does; *out is then filled with -1 fields).
int _localtime64_s(std::tm* out, const __time64_t* t);
int _gmtime64_s(std::tm* out, const __time64_t* t);
