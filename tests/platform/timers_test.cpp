#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox_desktop.h"
#include "window_fixture.h"
#include "win32/window_manager.h"
#include "win32/winuser.h"

namespace {

using vurktest::createTestWindow;
using vurktest::Recorder;

class Timers : public ::testing::Test {
 protected:
  void SetUp() override {
    vurktest::registerTestClass();
    hwnd = createTestWindow(rec, u"VurkArxWin");
    ASSERT_NE(hwnd, nullptr);
  }
  // Virtual times (ms since the desktop started) of every WM_TIMER with this id.
  std::vector<ULONGLONG> firings(UINT_PTR id) const {
    std::vector<ULONGLONG> t;
    for (const auto& m : rec.seen) {
      if (m.msg == WM_TIMER && m.wParam == id) t.push_back(m.at);
    }
    return t;
  }
  vurktest::SandboxDesktop desk;
  Recorder rec;
  HWND hwnd = nullptr;
};

using Times = std::vector<ULONGLONG>;

TEST_F(Timers, PeriodicTimerFiresOncePerPeriodOnlyWhenPumped) {
  ASSERT_EQ(SetTimer(hwnd, 5000, 1000, nullptr), 5000u);
  Sleep(2500);
  EXPECT_TRUE(firings(5000).empty()) << "WM_TIMER is generated only at pump time";
  desk->runFor(1000);
  // Two periods had passed before the pump at 2500: one WM_TIMER; then the grid goes on at 3000.
  EXPECT_EQ(firings(5000), (Times{2500, 3000}));
  desk->runFor(2000);
  EXPECT_EQ(firings(5000), (Times{2500, 3000, 4000, 5000}));
}

TEST_F(Timers, SettingTheSameIdReplacesTheTimerAndRestartsThePeriod) {
  SetTimer(hwnd, 1010, 1000, nullptr);
  desk->runFor(600);
  EXPECT_EQ(SetTimer(hwnd, 1010, 1000, nullptr), 1010u);
  EXPECT_EQ(desk->windows().timerCount(), 1u) << "replaced, not added";
  desk->runFor(999);
  EXPECT_TRUE(firings(1010).empty()) << "the period restarted at 600";
  desk->runFor(1);
  EXPECT_EQ(firings(1010), (Times{1600}));
  SetTimer(hwnd, 1010, 300, nullptr);  // a new period takes effect at once
  desk->runFor(700);
  EXPECT_EQ(firings(1010), (Times{1600, 1900, 2200}));
}

TEST_F(Timers, ElapsedPeriodsCoalesceWithoutBacklog) {
  SetTimer(hwnd, 1003, 1000, nullptr);
  Sleep(10000);
  desk->pump();
  EXPECT_EQ(firings(1003), (Times{10000})) << "ten periods passed, one WM_TIMER";
  desk->runFor(999);
  EXPECT_EQ(firings(1003).size(), 1u);
  desk->runFor(1);
  EXPECT_EQ(firings(1003), (Times{10000, 11000}));
}

TEST_F(Timers, SlowHandlerGetsOneTimerPerDueInstant) {
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_TIMER) Sleep(1500);  // the handler takes longer than the period
    return std::nullopt;
  };
  SetTimer(hwnd, 1009, 1000, nullptr);
  desk->runFor(10000);
  // Ready at 1000 (handled 1000-2500); ready again at 2000, handled at 2500 (to 4000); and so on.
  EXPECT_EQ(firings(1009), (Times{1000, 2500, 4000, 5500, 7000, 8500, 10000}));
  EXPECT_EQ(GetTickCount64(), 11500u) << "the last handler's Sleep carried the clock past the end";
}

TEST_F(Timers, KillTimerInsideTheHandlerMakesAOneShot) {
  rec.handler = [](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_TIMER && w == 1001) KillTimer(h, 1001);
    return std::nullopt;
  };
  SetTimer(hwnd, 1001, 100, nullptr);
  SetTimer(hwnd, 1002, 100, nullptr);
  desk->runFor(450);
  EXPECT_EQ(firings(1001), (Times{100}));
  EXPECT_EQ(firings(1002), (Times{100, 200, 300, 400}));
  EXPECT_FALSE(desk->windows().hasTimer(hwnd, 1001));
  EXPECT_FALSE(KillTimer(hwnd, 1001)) << "already gone";
}

TEST_F(Timers, PeriodsBelowTheMinimumBecomeTenMilliseconds) {
  SetTimer(hwnd, 1, 1, nullptr);
  desk->runFor(25);
  EXPECT_EQ(firings(1), (Times{10, 20}));
}

TEST_F(Timers, InvalidWindowsGetNoTimer) {
  DestroyWindow(hwnd);
  SetLastError(0);
  EXPECT_EQ(SetTimer(hwnd, 1, 100, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(desk->windows().timerCount(), 0u);
}

struct ProcTimer {
  static inline std::vector<std::pair<UINT_PTR, DWORD>> calls;
  static void proc(HWND, UINT msg, UINT_PTR id, DWORD tick) {
    if (msg == WM_TIMER) calls.emplace_back(id, tick);
  }
};

// ---------------------------------------------------------------- pump order

TEST_F(Timers, PostedMessagesRunBeforeTimersWithinOnePump) {
  std::vector<std::string> order;
  rec.handler = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_TIMER) {
      order.push_back("timer " + std::to_string(w));
      if (w == 1) PostMessageW(h, WM_APP + 3, 0, 0);  // runs before the next timer
    } else if (m >= WM_APP && m < WM_APP + 10) {
      order.push_back("post " + std::to_string(m - WM_APP));
      if (m == WM_APP + 1) PostMessageW(h, WM_APP + 2, 0, 0);
    }
    return std::nullopt;
  };
  SetTimer(hwnd, 1, 100, nullptr);
  SetTimer(hwnd, 2, 100, nullptr);
  Sleep(100);
  PostMessageW(hwnd, WM_APP + 1, 0, 0);
  desk->pump();
  const std::vector<std::string> expected = {"post 1", "post 2", "timer 1", "post 3", "timer 2"};
  EXPECT_EQ(order, expected) << "timers in creation order when due together, posts first";
}

TEST_F(Timers, TimersDueEarlierFireFirst) {
  SetTimer(hwnd, 1, 300, nullptr);  // created first, due at 300
  SetTimer(hwnd, 2, 200, nullptr);  // due at 200
  Sleep(350);
  desk->pump();
  ASSERT_EQ(rec.count(WM_TIMER), 2u);
  std::vector<WPARAM> ids;
  for (const auto& m : rec.seen) {
    if (m.msg == WM_TIMER) ids.push_back(m.wParam);
  }
  EXPECT_EQ(ids, (std::vector<WPARAM>{2, 1}));
}

TEST_F(Timers, IdleWorkRunsAfterPostsAndBeforeTimers) {
  std::vector<std::string> order;
  int queuedCommands = 2;
  desk->windows().addIdleWork([&] {
    if (queuedCommands == 0) return false;
    order.push_back("command " + std::to_string(queuedCommands));
    if (queuedCommands == 2) PostMessageW(hwnd, WM_APP + 5, 0, 0);  // a command that posts
    --queuedCommands;
    return true;
  });
  rec.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_TIMER) order.push_back("timer");
    if (m == WM_APP + 4 || m == WM_APP + 5) order.push_back("post " + std::to_string(m - WM_APP));
    return std::nullopt;
  };
  SetTimer(hwnd, 1, 50, nullptr);
  PostMessageW(hwnd, WM_APP + 4, 0, 0);
  desk->runFor(50);
  const std::vector<std::string> expected = {"post 4", "command 2", "post 5", "command 1", "timer"};
  EXPECT_EQ(order, expected);
}

TEST_F(Timers, RunForDispatchesAtTheDueInstant) {
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_TIMER) PostMessageW(h, WM_APP, 0, 0);
    return std::nullopt;
  };
  SetTimer(hwnd, 1, 700, nullptr);
  desk->runFor(1000);
  EXPECT_EQ(rec.timesOf(WM_APP), (Times{700})) << "what a timer posts runs at the timer's instant";
  EXPECT_EQ(GetTickCount64(), 1000u);
}

}  // namespace
