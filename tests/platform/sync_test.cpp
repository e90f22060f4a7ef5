#include <gtest/gtest.h>

#include "sandbox_desktop.h"
#include "win32/clock.h"
#include "win32/sync.h"

namespace {

TEST(Events, AutoResetEventInitiallySignalledActsAsALock) {
  vurktest::SandboxDesktop desk;
  HANDLE h = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT) << "the wait reset it";
  ASSERT_TRUE(SetEvent(h));
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(Events, AFiniteWaitThatTimesOutLetsTheTimePass) {
  vurktest::SandboxDesktop desk;
  HANDLE h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(WaitForSingleObject(h, 250), WAIT_TIMEOUT);
  EXPECT_EQ(GetTickCount64() - t0, 250u);
  SetEvent(h);
  EXPECT_EQ(WaitForSingleObject(h, 250), WAIT_OBJECT_0);
  EXPECT_EQ(GetTickCount64() - t0, 250u) << "a satisfied wait takes no time";
  CloseHandle(h);
}

TEST(Events, ClosedAndUnknownHandlesFail) {
  vurktest::SandboxDesktop desk;
  HANDLE h = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(SetEvent(h));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(win32::kernelObjects(*desk).openHandleCount(), 0u);
}

TEST(EventsDeathTest, InfiniteWaitOnAnUnsignalledEventIsADeadlock) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  vurktest::SandboxDesktop desk;
  HANDLE h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_DEBUG_DEATH(
      {
        const DWORD r = WaitForSingleObject(h, INFINITE);
        EXPECT_EQ(r, WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_POSSIBLE_DEADLOCK);
      },
      "deadlock");
  CloseHandle(h);
}

}  // namespace
