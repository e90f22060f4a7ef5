#include <gtest/gtest.h>

#include "sandbox_desktop.h"
#include "win32/clock.h"

namespace {

TEST(VirtualClock, LocalTimeCanBePinnedToTheMillisecond) {
  vurktest::SandboxDesktop desk;
  ASSERT_TRUE(desk->clock().setLocalTime(2022, 3, 1, 7, 5, 9));
  SYSTEMTIME t{};
  GetLocalTime(&t);
  EXPECT_EQ(t.wYear, 2022);
  EXPECT_EQ(t.wMonth, 3);
  EXPECT_EQ(t.wDay, 1);
  EXPECT_EQ(t.wHour, 7);
  EXPECT_EQ(t.wMinute, 5);
  EXPECT_EQ(t.wSecond, 9);
  EXPECT_EQ(t.wMilliseconds, 0);
  EXPECT_EQ(t.wDayOfWeek, 2) << "1 March 2022 was a Tuesday";

  Sleep(1500);
  GetLocalTime(&t);
  EXPECT_EQ(t.wSecond, 10);
  EXPECT_EQ(t.wMilliseconds, 500);
}

TEST(VirtualClock, SystemTimeIsLocalTimeMinusTheZoneOffset) {
  vurktest::SandboxDesktop desk;
  ASSERT_TRUE(desk->clock().setLocalTime(2022, 3, 1, 7, 5, 9));
  SYSTEMTIME u{};
  GetSystemTime(&u);
  // UTC+8: 07:05 on 1 March is 23:05 on 28 February (2022 is not a leap year).
  EXPECT_EQ(u.wMonth, 2);
  EXPECT_EQ(u.wDay, 28);
  EXPECT_EQ(u.wHour, 23);
  EXPECT_EQ(u.wMinute, 5);
  EXPECT_EQ(_time64(nullptr), 1646089509) << "date -u -d '2022-02-28 23:05:09' +%s";

  const __time64_t now = _time64(nullptr);
  std::tm lt{};
  ASSERT_EQ(_localtime64_s(&lt, &now), 0);
  EXPECT_EQ(lt.tm_year, 122);
  EXPECT_EQ(lt.tm_mon, 2);
  EXPECT_EQ(lt.tm_mday, 1);
  EXPECT_EQ(lt.tm_hour, 7);
  EXPECT_EQ(lt.tm_yday, 59);
  std::tm gt{};
  ASSERT_EQ(_gmtime64_s(&gt, &now), 0);
  EXPECT_EQ(gt.tm_mday, 28);
  EXPECT_EQ(gt.tm_hour, 23);

  const __time64_t before1970 = -1;
  EXPECT_EQ(_localtime64_s(&lt, &before1970), 22);
  EXPECT_EQ(lt.tm_year, -1);
}

TEST(VirtualClock, CalendarRollsOverLeapDaysAndYears) {
  vurktest::SandboxDesktop desk;
  ASSERT_TRUE(desk->clock().setLocalTime(2024, 2, 28, 23, 59, 59, 999));
  desk->clock().advance(1);
  SYSTEMTIME t{};
  GetLocalTime(&t);
  EXPECT_EQ(t.wMonth, 2);
  EXPECT_EQ(t.wDay, 29);
  EXPECT_EQ(t.wHour, 0);
  EXPECT_EQ(t.wDayOfWeek, 4) << "29 February 2024 was a Thursday";

  ASSERT_TRUE(desk->clock().setLocalTime(1999, 12, 31, 23, 59, 59));
  Sleep(1000);
  GetLocalTime(&t);
  EXPECT_EQ(t.wYear, 2000);
  EXPECT_EQ(t.wMonth, 1);
  EXPECT_EQ(t.wDay, 1);
  EXPECT_EQ(t.wDayOfWeek, 6) << "1 January 2000 was a Saturday";
}

TEST(VirtualClock, ImpossibleDatesAreRejectedAndChangeNothing) {
  vurktest::SandboxDesktop desk;
  ASSERT_TRUE(desk->clock().setLocalTime(2022, 3, 1, 7, 5, 9));
  EXPECT_FALSE(desk->clock().setLocalTime(2023, 2, 29, 0, 0, 0));
  EXPECT_FALSE(desk->clock().setLocalTime(2022, 4, 31, 0, 0, 0));
  EXPECT_FALSE(desk->clock().setLocalTime(2022, 1, 1, 24, 0, 0));
  SYSTEMTIME t{};
  GetLocalTime(&t);
  EXPECT_EQ(t.wDay, 1);
  EXPECT_EQ(t.wSecond, 9);
}

TEST(VirtualClock, TickCountAdvancesOnlyWithVirtualTimeAndWrapsAt32Bits) {
  vurktest::SandboxDesktop desk;
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(GetTickCount(), t0) << "no time passes by itself";
  Sleep(10);
  EXPECT_EQ(GetTickCount() - t0, 10u);

  desk->clock().setTickOrigin(0xFFFFFF00u);
  const DWORD before = GetTickCount();
  desk->clock().advance(0x200);
  EXPECT_EQ(GetTickCount(), static_cast<DWORD>(before + 0x200));
  EXPECT_LT(GetTickCount(), before) << "the 32-bit counter wrapped";
  EXPECT_EQ(GetTickCount64() >> 32, 1u) << "the 64-bit counter did not";
}

TEST(VirtualClock, FileTimesCountHundredNanosecondsSince1601) {
  vurktest::SandboxDesktop desk;
  SYSTEMTIME unixEpoch{1970, 1, 4, 1, 0, 0, 0, 0};
  FILETIME ft{};
  ASSERT_TRUE(SystemTimeToFileTime(&unixEpoch, &ft));
  // 369 years (89 leap days) between 1601 and 1970: 134774 days * 864e9.
  const std::uint64_t v = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
  EXPECT_EQ(v, 134774ull * 864'000'000'000ull);

  SYSTEMTIME back{};
  const FILETIME start{0, 0};
  ASSERT_TRUE(FileTimeToSystemTime(&start, &back));
  EXPECT_EQ(back.wYear, 1601);
  EXPECT_EQ(back.wMonth, 1);
  EXPECT_EQ(back.wDay, 1);
  EXPECT_EQ(back.wDayOfWeek, 1) << "1 January 1601 was a Monday";

  SYSTEMTIME bad{2022, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
}

}  // namespace
