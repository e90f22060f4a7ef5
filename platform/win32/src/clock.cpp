#include "win32/clock.h"

#include <cassert>

#include "win32/desktop.h"

namespace {
// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kFileTimeUnixEpoch = 116'444'736'000'000'000;
constexpr int kEinval = 22;
}  // namespace

namespace win32 {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(int y, unsigned m) {
  static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::tm tmFromMillis(std::int64_t ms) {
  const SYSTEMTIME s = millisToSystemTime(ms);
  std::tm t{};
  t.tm_year = s.wYear - 1900;
  t.tm_mon = s.wMonth - 1;
  t.tm_mday = s.wDay;
  t.tm_hour = s.wHour;
  t.tm_min = s.wMinute;
  t.tm_sec = s.wSecond;
  t.tm_wday = s.wDayOfWeek;
  t.tm_yday = static_cast<int>(daysFromCivil(s.wYear, s.wMonth, s.wDay) - daysFromCivil(s.wYear, 1, 1));
  t.tm_isdst = 0;
  return t;
}

// Howard Hinnant's days_from_civil / civil_from_days (public-domain algorithms).
std::int64_t daysFromCivil(int year, unsigned month, unsigned day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = floorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t days, int& year, unsigned& month, unsigned& day) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = floorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool validSystemTime(const SYSTEMTIME& t) {
  if (t.wYear < 1601 || t.wYear > 30827) return false;
  if (t.wMonth < 1 || t.wMonth > 12) return false;
  if (t.wDay < 1 || t.wDay > daysInMonth(t.wYear, t.wMonth)) return false;
  return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

std::int64_t systemTimeToMillis(const SYSTEMTIME& t) {
  const std::int64_t days = daysFromCivil(t.wYear, t.wMonth, t.wDay);
  return days * kMsPerDay + ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * std::int64_t{1000} + t.wMilliseconds;
}

SYSTEMTIME millisToSystemTime(std::int64_t ms) {
  const std::int64_t days = floorDiv(ms, kMsPerDay);
  std::int64_t rest = ms - days * kMsPerDay;
  int y = 0;
  unsigned m = 0;
  unsigned d = 0;
  civilFromDays(days, y, m, d);
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(y);
  s.wMonth = static_cast<WORD>(m);
  s.wDay = static_cast<WORD>(d);
  s.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
  s.wMilliseconds = static_cast<WORD>(rest % 1000);
  rest /= 1000;
  s.wSecond = static_cast<WORD>(rest % 60);
  rest /= 60;
  s.wMinute = static_cast<WORD>(rest % 60);
  s.wHour = static_cast<WORD>(rest / 60);
  return s;
}

Clock::Clock() { setLocalTime(2024, 1, 15, 9, 0, 0, 0); }

bool Clock::setLocalTime(const SYSTEMTIME& local) {
  if (!validSystemTime(local)) return false;
  wallBaseLocalMs_ = systemTimeToMillis(local);
  wallBaseAt_ = nowMs_;
  return true;
}

bool Clock::setLocalTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  const auto inWord = [](int v) { return v >= 0 && v <= 0xFFFF; };
  if (!inWord(year) || !inWord(month) || !inWord(day) || !inWord(hour) || !inWord(minute) || !inWord(second) ||
      !inWord(millisecond)) {
    return false;
  }
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(year);
  s.wMonth = static_cast<WORD>(month);
  s.wDay = static_cast<WORD>(day);
  s.wHour = static_cast<WORD>(hour);
  s.wMinute = static_cast<WORD>(minute);
  s.wSecond = static_cast<WORD>(second);
  s.wMilliseconds = static_cast<WORD>(millisecond);
  return setLocalTime(s);
}

std::int64_t Clock::localMillis() const {
  return wallBaseLocalMs_ + static_cast<std::int64_t>(nowMs_ - wallBaseAt_);
}

SYSTEMTIME Clock::localTime() const { return millisToSystemTime(localMillis()); }

SYSTEMTIME Clock::systemTime() const { return millisToSystemTime(unixMillis()); }

std::int64_t Clock::unixMillis() const { return localMillis() - std::int64_t{utcOffsetMinutes_} * 60'000; }

std::tm localTm() {
  const Clock& c = Desktop::current().clock();
  return tmFromMillis(c.unixMillis() + std::int64_t{c.utcOffsetMinutes()} * 60'000);
}

}  // namespace win32

DWORD GetTickCount() { return static_cast<DWORD>(win32::Desktop::current().clock().tickCount64()); }

ULONGLONG GetTickCount64() { return win32::Desktop::current().clock().tickCount64(); }

void Sleep(DWORD ms) {
  assert(ms != INFINITE && "Sleep(INFINITE) on the only thread never returns");
  if (ms == INFINITE) return;
  win32::Desktop::current().clock().advance(ms);
}

void GetLocalTime(SYSTEMTIME* out) {
  if (out) *out = win32::Desktop::current().clock().localTime();
}

void GetSystemTime(SYSTEMTIME* out) {
  if (out) *out = win32::Desktop::current().clock().systemTime();
}

void GetSystemTimeAsFileTime(FILETIME* out) {
  if (!out) return;
  const std::int64_t ticks = win32::Desktop::current().clock().unixMillis() * 10'000 + kFileTimeUnixEpoch;
  out->dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
  out->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out) {
  if (!in || !out || !win32::validSystemTime(*in)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t ticks = win32::systemTimeToMillis(*in) * 10'000 + kFileTimeUnixEpoch;
  out->dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
  out->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* in, SYSTEMTIME* out) {
  if (!in || !out || (in->dwHighDateTime & 0x80000000u)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t ticks = static_cast<std::int64_t>((std::uint64_t{in->dwHighDateTime} << 32) | in->dwLowDateTime);
  // Ticks are non-negative here; 1601 lies before 1970, so round towards minus infinity.
  const std::int64_t sinceUnix = ticks - kFileTimeUnixEpoch;
  const std::int64_t ms = sinceUnix / 10'000 - (sinceUnix % 10'000 < 0 ? 1 : 0);
  *out = win32::millisToSystemTime(ms);
  return TRUE;
}

__time64_t _time64(__time64_t* out) {
  const std::int64_t ms = win32::Desktop::current().clock().unixMillis();
  const __time64_t t = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
  if (out) *out = t;
  return t;
}

namespace {
int brokenDown(std::tm* out, const __time64_t* t, std::int64_t offsetSeconds) {
  if (!out) return kEinval;
  if (!t || *t < 0 || *t > 32'535'215'999) {  // the CRT's range: 1970 .. 3000-12-31 23:59:59
    out->tm_sec = out->tm_min = out->tm_hour = out->tm_mday = out->tm_mon = out->tm_year = -1;
    out->tm_wday = out->tm_yday = out->tm_isdst = -1;
    return kEinval;
  }
  *out = win32::tmFromMillis((*t + offsetSeconds) * 1000);
  return 0;
}
}  // namespace

int _localtime64_s(std::tm* out, const __time64_t* t) {
  return brokenDown(out, t, std::int64_t{win32::Desktop::current().clock().utcOffsetMinutes()} * 60);
}

int _gmtime64_s(std::tm* out, const __time64_t* t) { return brokenDown(out, t, 0); }
