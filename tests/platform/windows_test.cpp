#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sandbox_desktop.h"
#include "window_fixture.h"
#include "win32/window_manager.h"
#include "win32/winuser.h"

#if defined(__SANITIZE_ADDRESS__)
// From the AddressSanitizer runtime: the size of the heap block that p starts.
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace {

using vurktest::createTestWindow;
using vurktest::Recorder;

HINSTANCE moduleA() { return reinterpret_cast<HINSTANCE>(0x180000000); }
HINSTANCE moduleB() { return reinterpret_cast<HINSTANCE>(0x190000000); }

TEST(WindowClasses, DialogClassExistsAndCanBeCopiedUnderANewGlobalName) {
  vurktest::SandboxDesktop desk;
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(moduleA(), u"#32770", &wc)) << "system classes are found from any module";
  EXPECT_EQ(wc.lpfnWndProc, &DefDlgProcW);
  EXPECT_EQ(wc.cbWndExtra, DLGWINDOWEXTRA);

  wc.lpszClassName = u"VurkArxWin";
  wc.style = CS_GLOBALCLASS;
  wc.hInstance = moduleA();
  const ATOM atom = RegisterClassW(&wc);
  EXPECT_GE(atom, 0xC000);
  EXPECT_EQ(RegisterClassW(&wc), 0) << "a second registration fails";
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  WNDCLASSW found{};
  EXPECT_TRUE(GetClassInfoW(moduleB(), u"vurkarxwin", &found)) << "global classes: any module, any case";
  EXPECT_EQ(found.style, CS_GLOBALCLASS);

  HWND h = CreateWindowExW(0, MAKEINTATOM(atom), u"", 0, 0, 0, 10, 10, nullptr, nullptr, moduleB(), nullptr);
  ASSERT_NE(h, nullptr) << "a window can be created from the class atom";
  char16_t name[32];
  EXPECT_EQ(GetClassNameW(h, name, 32), 10);
  EXPECT_EQ(std::u16string(name), u"VurkArxWin");
  EXPECT_FALSE(UnregisterClassW(u"VurkArxWin", moduleA()));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  DestroyWindow(h);
  EXPECT_TRUE(UnregisterClassW(u"VurkArxWin", moduleA()));
  EXPECT_FALSE(GetClassInfoW(moduleA(), u"VurkArxWin", &found));
}

TEST(WindowClasses, ModuleClassesAreVisibleOnlyToTheirModule) {
  vurktest::SandboxDesktop desk;
  ASSERT_NE(vurktest::registerTestClass(moduleA()), 0);
  WNDCLASSW wc{};
  EXPECT_TRUE(GetClassInfoW(moduleA(), vurktest::kTestClass, &wc));
  EXPECT_FALSE(GetClassInfoW(moduleB(), vurktest::kTestClass, &wc));
  EXPECT_NE(vurktest::registerTestClass(moduleB()), 0) << "another module may use the same name";
  Recorder r;
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, moduleA(), &r), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST(Windows, CreationSendsNcCreateCreateAndShowWindow) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(h, nullptr);
  ASSERT_GE(r.seen.size(), 3u);
  EXPECT_EQ(r.seen[0].msg, WM_NCCREATE);
  EXPECT_EQ(r.seen[1].msg, WM_CREATE);
  EXPECT_EQ(r.seen[2].msg, WM_SHOWWINDOW);
  EXPECT_EQ(r.seen[2].wParam, static_cast<WPARAM>(TRUE));
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE);

  Recorder refuse;
  refuse.handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(createTestWindow(refuse, u"refused"), nullptr);
  EXPECT_EQ(refuse.count(WM_DESTROY), 1u) << "a window refused in WM_CREATE is destroyed";
  EXPECT_EQ(refuse.count(WM_NCDESTROY), 1u);
  EXPECT_EQ(desk->windows().windowCount(), 1u);
}

TEST(Windows, FindWindowReturnsTheFrontmostMatch) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder a, b;
  HWND first = createTestWindow(a, u"same");
  HWND second = createTestWindow(b, u"same");
  EXPECT_EQ(FindWindowW(vurktest::kTestClass, nullptr), second) << "a new window starts at the front";
  BringWindowToTop(first);
  EXPECT_EQ(FindWindowW(vurktest::kTestClass, nullptr), first);
  SetWindowPos(second, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  BringWindowToTop(first);
  EXPECT_EQ(FindWindowW(vurktest::kTestClass, nullptr), second) << "topmost windows stay in front";
  EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), first);
}

TEST(Windows, DestroyWindowOrderOwnedThenWindowThenChildren) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  std::vector<std::string> journal;
  Recorder owner{u"owner"}, owned{u"owned"}, child{u"child"};
  for (Recorder* r : {&owner, &owned, &child}) r->journal = &journal;
  HWND o = createTestWindow(owner, u"o", WS_OVERLAPPED);
  HWND p = createTestWindow(owned, u"p", WS_POPUP, o);
  HWND c = createTestWindow(child, u"c", WS_CHILD, o);
  journal.clear();
  ASSERT_TRUE(DestroyWindow(o));
  const std::vector<std::string> expected = {"owned:2", "owned:130", "owner:2", "child:2", "child:130", "owner:130"};
  EXPECT_EQ(journal, expected) << "2 = WM_DESTROY, 130 = WM_NCDESTROY";
  EXPECT_FALSE(IsWindow(o));
  EXPECT_FALSE(IsWindow(p));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(DestroyWindow(o));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(Windows, DestroyWindowKillsTimersAndDropsQueuedPosts) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder a, b;
  HWND ha = createTestWindow(a, u"a");
  HWND hb = createTestWindow(b, u"b");
  ASSERT_TRUE(PostMessageW(ha, WM_APP + 1, 0, 0));
  ASSERT_TRUE(PostMessageW(hb, WM_APP + 2, 0, 0));
  ASSERT_TRUE(PostMessageW(ha, WM_APP + 3, 0, 0));
  ASSERT_NE(SetTimer(ha, 7, 100, nullptr), 0u);
  DestroyWindow(ha);
  EXPECT_EQ(desk->windows().postedCount(), 1u);
  EXPECT_EQ(desk->windows().timerCount(), 0u);
  EXPECT_FALSE(PostMessageW(ha, WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  desk->runFor(1000);
  EXPECT_EQ(a.count(WM_APP + 1) + a.count(WM_APP + 3) + a.count(WM_TIMER), 0u);
  EXPECT_EQ(b.count(WM_APP + 2), 1u);
}

TEST(Windows, ParentOwnerAndWindowLongs) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder a, b, c, d;
  HWND frame = createTestWindow(a, u"frame", WS_OVERLAPPEDWINDOW);
  HWND popup = createTestWindow(b, u"popup", WS_POPUP, frame);
  HWND owned = createTestWindow(c, u"owned", WS_OVERLAPPED, frame);
  HWND child = CreateWindowExW(0, vurktest::kTestClass, u"", WS_CHILD, 0, 0, 1, 1, frame,
                               reinterpret_cast<HMENU>(32993), nullptr, &d);
  EXPECT_EQ(GetParent(popup), frame) << "a popup's parent is its owner";
  EXPECT_EQ(GetParent(owned), nullptr) << "an overlapped window has no parent";
  EXPECT_EQ(GetWindow(owned, GW_OWNER), frame);
  EXPECT_EQ(GetParent(child), frame);
  EXPECT_EQ(GetDlgCtrlID(child), 32993);
  EXPECT_EQ(GetDlgItem(frame, 32993), child);
  EXPECT_EQ(GetDlgItem(frame, 1), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(frame, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&a));
  EXPECT_EQ(GetWindowLongPtrW(frame, 0), 0) << "the class has no extra bytes";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  EXPECT_EQ(SetWindowLongW(nullptr, GWL_STYLE, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

// ---------------------------------------------------------------- sent messages

TEST(SentMessages, NestThreeDeepLikeAHostAnsweringDuringARequest) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  std::vector<std::string> events;
  Recorder plugin{u"plugin"}, host{u"host"};
  HWND hp = createTestWindow(plugin, u"VurkArxWin");
  HWND hh = createTestWindow(host, u"vurkWin");
  auto& wm = desk->windows();
  int deepest = 0;
  // The host answers request 1 by sending answer 2 back; the plug-in handles answer 2 by sending
  // request 3 to the host, which answers it directly.
  host.handler = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_APP) return std::nullopt;
    events.push_back("host got " + std::to_string(w) + " at depth " + std::to_string(wm.sendDepth()));
    deepest = std::max(deepest, wm.sendDepth());
    if (w == 1) {
      const LRESULT r = SendMessageW(hp, WM_APP, 2, 0);
      events.push_back("host saw plug-in return " + std::to_string(r));
      return 100;
    }
    return 300;
  };
  plugin.handler = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_APP) return std::nullopt;
    events.push_back("plugin got " + std::to_string(w) + " at depth " + std::to_string(wm.sendDepth()));
    const LRESULT r = SendMessageW(hh, WM_APP, 3, 0);
    events.push_back("plugin saw host return " + std::to_string(r));
    return 200;
  };
  EXPECT_EQ(SendMessageW(hh, WM_APP, 1, 0), 100);
  const std::vector<std::string> expected = {"host got 1 at depth 1", "plugin got 2 at depth 2", "host got 3 at depth 3",
                                             "plugin saw host return 300", "host saw plug-in return 200"};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(deepest, 3);
  EXPECT_EQ(wm.sendDepth(), 0);
}

TEST(SentMessages, SendingRunsNoPostedMessagesAndNoTimers) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"w");
  SetTimer(h, 1, 10, nullptr);
  r.handler = [&](HWND hwnd, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_APP) {
      PostMessageW(hwnd, WM_APP + 1, 0, 0);
      Sleep(50);  // the timer is due now, but nothing is pumped inside a send
      SendMessageW(hwnd, WM_APP + 2, 0, 0);
    }
    return std::nullopt;
  };
  SendMessageW(h, WM_APP, 0, 0);
  EXPECT_EQ(r.count(WM_APP + 2), 1u);
  EXPECT_EQ(r.count(WM_APP + 1), 0u);
  EXPECT_EQ(r.count(WM_TIMER), 0u);
  desk->pump();
  EXPECT_EQ(r.count(WM_APP + 1), 1u);
  EXPECT_EQ(r.count(WM_TIMER), 1u);
}

struct CopyDataSeen {
  ULONG_PTR dwData = 0;
  DWORD cbData = 0;
  const void* cds = nullptr;
  const void* lpData = nullptr;
  std::string bytes;
  std::size_t allocated = 0;
};

TEST(SentMessages, CopyDataReceiverGetsAFreshCopyOfExactlyCbDataBytes) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"VurkArxWin");
  CopyDataSeen seen;
  r.handler = [&](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m != WM_COPYDATA) return std::nullopt;
    const auto* cds = reinterpret_cast<COPYDATASTRUCT*>(l);
    seen.dwData = cds->dwData;
    seen.cbData = cds->cbData;
    seen.cds = cds;
    seen.lpData = cds->lpData;
    if (cds->cbData == 0) return 1;
    seen.bytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
    static_cast<char*>(cds->lpData)[0] = 'X';  // scribbling on the copy
#if defined(__SANITIZE_ADDRESS__)
    seen.allocated = __sanitizer_get_allocated_size(cds->lpData);
#endif
    return 1;
  };
  char payload[16] = "request-20000";
  COPYDATASTRUCT cds{1001, 7, payload};
  EXPECT_EQ(SendMessageW(h, WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds)), 1);
  EXPECT_EQ(seen.dwData, 1001u);
  EXPECT_EQ(seen.cbData, 7u);
  EXPECT_EQ(seen.bytes, "request");
  EXPECT_NE(seen.lpData, static_cast<const void*>(payload)) << "the receiver does not see the sender's buffer";
  EXPECT_NE(seen.cds, static_cast<const void*>(&cds));
  EXPECT_EQ(payload[0], 'r') << "the sender's buffer is untouched";
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(seen.allocated, 7u) << "exactly cbData bytes, so reading past them is caught";
#endif

  COPYDATASTRUCT empty{5, 0, payload};
  SendMessageW(h, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&empty));
  EXPECT_EQ(seen.lpData, nullptr) << "no bytes, no buffer";
}

#if defined(__SANITIZE_ADDRESS__)
// A receiver that keeps lpData after returning, and reads it later.
void keepCopyDataAndReadItLater() {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"w");
  const char* kept = nullptr;
  r.handler = [&](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_COPYDATA) kept = static_cast<const char*>(reinterpret_cast<COPYDATASTRUCT*>(l)->lpData);
    return std::nullopt;
  };
  char payload[4] = "abc";
  COPYDATASTRUCT cds{0, 4, payload};
  SendMessageW(h, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
  volatile char c = kept[0];
  (void)c;
}

TEST(SentMessagesDeathTest, CopyDataKeptAfterTheCallIsCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(keepCopyDataAndReadItLater(), "heap-use-after-free");
}
#endif

TEST(SentMessages, TimeoutOnAHungWindowProcessesNothing) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"vurkWin");
  desk->windows().setHung(h, true);
  const ULONGLONG t0 = GetTickCount64();
  DWORD_PTR result = 77;
  SetLastError(0);
  EXPECT_EQ(SendMessageTimeoutW(h, WM_APP, 0, 0, SMTO_NORMAL, 1000, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(r.count(WM_APP), 0u);
  EXPECT_EQ(result, 77u);
  EXPECT_EQ(GetTickCount64() - t0, 1000u) << "the caller waited for the whole timeout";
  EXPECT_EQ(SendMessageTimeoutW(h, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0);
  EXPECT_EQ(GetTickCount64() - t0, 1000u) << "SMTO_ABORTIFHUNG returns at once";

  desk->windows().setHung(h, false);
  EXPECT_NE(SendMessageTimeoutW(h, WM_APP, 0, 0, SMTO_NORMAL, 1000, &result), 0);
  EXPECT_EQ(r.count(WM_APP), 1u);
}

TEST(SentMessages, TimeoutOnASlowWindowStillAppliesTheRequest) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"vurkWin");
  int buttonsAdded = 0;
  r.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_APP) return std::nullopt;
    ++buttonsAdded;
    return 42;
  };
  desk->windows().setLatency(h, 50);
  const ULONGLONG t0 = GetTickCount64();
  DWORD_PTR result = 7;
  EXPECT_EQ(SendMessageTimeoutW(h, WM_APP, 0, 0, SMTO_NORMAL, 1, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(buttonsAdded, 1) << "the receiver processed the message although the caller timed out";
  EXPECT_EQ(result, 7u) << "the reply is lost";
  EXPECT_EQ(GetTickCount64() - t0, 1u);

  EXPECT_NE(SendMessageTimeoutW(h, WM_APP, 0, 0, SMTO_NORMAL, 100, &result), 0);
  EXPECT_EQ(result, 42u);
  EXPECT_EQ(GetTickCount64() - t0, 51u) << "a reply within the timeout takes the latency";
  EXPECT_EQ(SendMessageW(h, WM_APP, 0, 0), 42);
  EXPECT_EQ(GetTickCount64() - t0, 101u);
  EXPECT_EQ(buttonsAdded, 3);

  EXPECT_EQ(SendMessageTimeoutW(reinterpret_cast<HWND>(0x1234), WM_APP, 0, 0, SMTO_NORMAL, 100, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(SentMessagesDeathTest, SendMessageToAHungWindowNeverReturns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  Recorder r;
  HWND h = createTestWindow(r, u"vurkWin");
  desk->windows().setHung(h, true);
  EXPECT_DEBUG_DEATH(SendMessageW(h, WM_APP, 0, 0), "hung");
}

// ---------------------------------------------------------------- posted and registered messages

TEST(PostedMessages, QueueInOrderUntilThePump) {
  vurktest::SandboxDesktop desk;
  vurktest::registerTestClass();
  std::vector<std::string> journal;
  Recorder a{u"a"}, b{u"b"};
  a.journal = b.journal = &journal;
  HWND ha = createTestWindow(a, u"a");
  HWND hb = createTestWindow(b, u"b");
  a.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_APP + 1) PostMessageW(hb, WM_APP + 4, 0, 0);  // goes behind what is queued
    return std::nullopt;
  };
  journal.clear();
  PostMessageW(ha, WM_APP + 1, 0, 0);
  PostMessageW(hb, WM_APP + 2, 0, 0);
  PostMessageW(ha, WM_APP + 3, 0, 0);
  EXPECT_TRUE(journal.empty()) << "posting dispatches nothing";
  desk->pump();
  const std::vector<std::string> expected = {"a:32769", "b:32770", "a:32771", "b:32772"};
  EXPECT_EQ(journal, expected);
  EXPECT_EQ(desk->windows().postedCount(), 0u);

  COPYDATASTRUCT cds{};
  EXPECT_FALSE(PostMessageW(ha, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
  EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
}

TEST(RegisteredMessages, SameNameSameNumberInTheRegisteredRange) {
  vurktest::SandboxDesktop desk;
  const UINT a = RegisterWindowMessageW(u"VurkProgress");
  const UINT b = RegisterWindowMessageW(u"vurkprogress");
  const UINT c = RegisterWindowMessageW(u"VurkContourProgress");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
