// Test windows for the window-manager tests: a registered class whose procedure records every
// message into a Recorder attached through CREATESTRUCTW::lpCreateParams / GWLP_USERDATA (the
// way MFC-style code attaches its objects), and lets a test add its own handling.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win32/clock.h"
#include "win32/winuser.h"

namespace vurktest {

struct SeenMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  ULONGLONG at;  // virtual time of delivery
};

struct Recorder {
  std::u16string name;
  std::vector<SeenMessage> seen;
  // Optional handling; returning a value skips DefWindowProcW.
  std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;
  // Shared log of "name:message" across windows, for ordering tests.
  std::vector<std::string>* journal = nullptr;

  std::size_t count(UINT msg) const {
    std::size_t n = 0;
    for (const auto& m : seen) n += m.msg == msg ? 1 : 0;
    return n;
  }
  std::vector<ULONGLONG> timesOf(UINT msg) const {
    std::vector<ULONGLONG> t;
    for (const auto& m : seen) {
      if (m.msg == msg) t.push_back(m.at);
    }
    return t;
  }
};

inline LRESULT recordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(l);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* r = reinterpret_cast<Recorder*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (r) {
    r->seen.push_back(SeenMessage{msg, w, l, GetTickCount64()});
    if (r->journal) {
      std::string entry(r->name.begin(), r->name.end());
      r->journal->push_back(entry + ":" + std::to_string(msg));
    }
    if (r->handler) {
      if (const auto result = r->handler(h, msg, w, l)) return *result;
    }
  }
  return DefWindowProcW(h, msg, w, l);
}

inline const char16_t* kTestClass = u"VurkTestWindow";

inline ATOM registerTestClass(HINSTANCE instance = nullptr) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = recordingProc;
  wc.hInstance = instance;
  wc.lpszClassName = kTestClass;
  return RegisterClassW(&wc);
}

inline HWND createTestWindow(Recorder& r, const char16_t* title, DWORD style = 0, HWND parent = nullptr,
                             const char16_t* cls = kTestClass) {
  return CreateWindowExW(0, cls, title, style, 0, 0, 100, 50, parent, nullptr, nullptr, &r);
}

}  // namespace vurktest
