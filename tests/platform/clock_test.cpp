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

}  // namespace
