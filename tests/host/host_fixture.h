// Test support for the host stand-in: a fresh desktop in a temporary sandbox, the host
// application on it, and a recording plug-in window of class "VurkArxWin" that keeps a copy of
// every WM_COPYDATA it receives and every other message posted to it.
//
// Requests are built here byte by byte from the documented offsets (Payload), framed with
// dwData = (link << 16) + code sign-extended from 32 bits, and sent with SendMessageW to the
// window found with FindWindowW("vurkWin"). Answers are read with the little-endian helpers
// below, which know nothing of the host's own reader.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_app.h"
#include "host/host_user.h"
#include "win32/desktop.h"
#include "win32/window_manager.h"
#include "win32/winuser.h"

namespace hosttest {

// ---- bytes, written and read in the test's own way
class Payload {
 public:
  explicit Payload(std::size_t size) : bytes_(size, 0) {}
  Payload& u8(std::size_t at, std::uint8_t v) { return put(at, &v, 1); }
  Payload& u16(std::size_t at, std::uint16_t v) { return put(at, &v, 2); }
  Payload& u32(std::size_t at, std::uint32_t v) { return put(at, &v, 4); }
  Payload& i32(std::size_t at, std::int32_t v) { return put(at, &v, 4); }
  Payload& u64(std::size_t at, std::uint64_t v) { return put(at, &v, 8); }
  Payload& f64(std::size_t at, double v) { return put(at, &v, 8); }
  Payload& text(std::size_t at, const std::string& s) { return put(at, s.data(), s.size()); }
  Payload& append(const std::vector<std::uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  Payload& put(std::size_t at, const void* v, std::size_t n) {
    // The test machine is little-endian, as the wire is.
    if (at + n > bytes_.size()) ADD_FAILURE() << "test payload written past its end at " << at;
    else std::memcpy(bytes_.data() + at, v, n);
    return *this;
  }
  std::vector<std::uint8_t> bytes_;
};

template <typename T>
T at(const std::vector<std::uint8_t>& b, std::size_t offset) {
  T v{};
  if (offset + sizeof(T) > b.size()) {
    ADD_FAILURE() << "read past the end of a " << b.size() << "-byte message at " << offset;
    return v;
  }
  std::memcpy(&v, b.data() + offset, sizeof(T));
  return v;
}
inline std::uint32_t u32At(const std::vector<std::uint8_t>& b, std::size_t o) { return at<std::uint32_t>(b, o); }
inline std::int32_t i32At(const std::vector<std::uint8_t>& b, std::size_t o) { return at<std::int32_t>(b, o); }
inline std::uint64_t u64At(const std::vector<std::uint8_t>& b, std::size_t o) { return at<std::uint64_t>(b, o); }
inline double f64At(const std::vector<std::uint8_t>& b, std::size_t o) { return at<double>(b, o); }
inline std::string cString(const std::vector<std::uint8_t>& b, std::size_t o, std::size_t field) {
  std::string s;
  for (std::size_t i = o; i < b.size() && i < o + field && b[i] != 0; ++i) s.push_back(static_cast<char>(b[i]));
  return s;
}

// A decoded field of a recorded request; a failure (and T{}) when it is missing or of another type.
template <typename T>
T fieldValue(const host::RequestEntry* r, std::string_view name) {
  if (!r) {
    ADD_FAILURE() << "no such request recorded";
    return T{};
  }
  const host::RecordedField* f = r->field(name);
  if (!f || !std::holds_alternative<T>(f->value)) {
    ADD_FAILURE() << "request " << r->name << " has no field " << name << " of the expected type";
    return T{};
  }
  return std::get<T>(f->value);
}

// The registration buffer: 96 zero bytes, the name in UTF-16, a NUL unit.
inline std::vector<std::uint8_t> registrationBuffer(const std::u16string& name) {
  std::vector<std::uint8_t> b(96 + 2 * name.size() + 2, 0);
  for (std::size_t i = 0; i < name.size(); ++i) {
    b[96 + 2 * i] = static_cast<std::uint8_t>(name[i] & 0xFF);
    b[96 + 2 * i + 1] = static_cast<std::uint8_t>(name[i] >> 8);
  }
  return b;
}

inline ULONG_PTR dwDataFor(std::int32_t link, std::uint16_t code) {
  const auto v = static_cast<std::int32_t>(static_cast<std::uint32_t>(link) << 16) + code;
  return static_cast<ULONG_PTR>(static_cast<std::intptr_t>(v));  // sign-extended, as 64-bit senders do
}

// ---- the recording plug-in window
struct Received {
  std::uint16_t code = 0;
  ULONG_PTR dwData = 0;
  WPARAM wParam = 0;
  std::vector<std::uint8_t> bytes;
};

struct Posted {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

struct PluginWindow {
  std::vector<Received> copies;
  std::vector<Posted> others;
  // Reaction to a WM_COPYDATA (may send requests back); the value returned to the host.
  std::function<LRESULT(const Received&)> onCopy;
  HWND hwnd = nullptr;

  std::vector<Received> withCode(std::uint16_t code) const {
    std::vector<Received> out;
    for (const Received& r : copies) {
      if (r.code == code) out.push_back(r);
    }
    return out;
  }
};

inline LRESULT pluginWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(l);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* p = reinterpret_cast<PluginWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (p && msg == WM_COPYDATA) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(l);
    Received r;
    r.dwData = cds->dwData;
    r.code = static_cast<std::uint16_t>(cds->dwData & 0xFFFF);
    r.wParam = w;
    if (cds->cbData != 0) {
      const auto* d = static_cast<const std::uint8_t*>(cds->lpData);
      r.bytes.assign(d, d + cds->cbData);
    }
    p->copies.push_back(r);
    return p->onCopy ? p->onCopy(r) : 1;
  }
  if (p && msg >= 0xC000) p->others.push_back({msg, w, l});
  return DefWindowProcW(h, msg, w, l);
}

// ---- request codes as the protocol numbers them
constexpr std::uint16_t kGetLatLng = 20001;
constexpr std::uint16_t kGetHostApiVersion = 20006;
constexpr std::uint16_t kSetLocation = 20011;
constexpr std::uint16_t kGetMapView = 20012;
constexpr std::uint16_t kSetFollowWinMap = 20013;
constexpr std::uint16_t kGetObjList = 20100;
constexpr std::uint16_t kGetObj = 20101;
constexpr std::uint16_t kAddObj = 20102;
constexpr std::uint16_t kDelObj = 20103;
constexpr std::uint16_t kSrhObj = 20107;
constexpr std::uint16_t kGetObjTree = 20110;
constexpr std::uint16_t kSetObjTree = 20112;
constexpr std::uint16_t kSetRelatePoint = 20201;
constexpr std::uint16_t kGetSysCoor = 20202;
constexpr std::uint16_t kGetPluginVer = 20204;
constexpr std::uint16_t kGetMapCenter = 20211;
constexpr std::uint16_t kGetLevelResolution = 20212;
constexpr std::uint16_t kGetContour = 20303;
constexpr std::uint16_t kSetButton = 20401;
constexpr std::uint16_t kGetStatusInfo = 20501;
constexpr std::uint16_t kGetPatternList = 20601;
constexpr std::uint16_t kSetPatternList = 20602;
constexpr std::uint16_t kGetMapFile = 30003;

// ---- the fixture
class HostTest : public ::testing::Test {
 protected:
  HostTest()
      : root_(makeRoot()),
        desktop_(std::make_unique<win32::Desktop>(root_)),
        scope_(std::make_unique<win32::DesktopScope>(*desktop_)),
        host_(std::make_unique<host::HostApp>(*desktop_)),
        user_(*host_) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = pluginWindowProc;
    wc.lpszClassName = u"VurkArxWin";
    RegisterClassW(&wc);
    plugin_.hwnd = CreateWindowExW(0, u"VurkArxWin", u"DialogMODELESS", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                   &plugin_);
    EXPECT_TRUE(host_->start());
  }
  ~HostTest() override {
    host_.reset();
    desktop_->windows().destroyAllWindows();
    scope_.reset();
    desktop_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  win32::Desktop& desktop() { return *desktop_; }
  host::HostApp& host() { return *host_; }
  host::HostUser& user() { return user_; }
  PluginWindow& plugin() { return plugin_; }

  // Sends a request as the plug-in does; returns the host's value.
  LRESULT request(std::int32_t link, std::uint16_t code, const std::vector<std::uint8_t>& payload = {}) {
    const HWND h = FindWindowW(u"vurkWin", nullptr);
    EXPECT_NE(h, nullptr) << "the host window is missing";
    if (!h) return 0;
    COPYDATASTRUCT cds{};
    cds.dwData = dwDataFor(link, code);
    cds.cbData = static_cast<DWORD>(payload.size());
    cds.lpData = payload.empty() ? nullptr : const_cast<std::uint8_t*>(payload.data());
    return SendMessageW(h, WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds));
  }
  LRESULT request(std::int32_t link, std::uint16_t code, const Payload& p) { return request(link, code, p.bytes()); }

  std::int32_t registerPlugin(const std::u16string& name = u"VurkArxWin") {
    const HWND h = FindWindowW(u"vurkWin", nullptr);
    if (!h) return 0;
    const auto buffer = registrationBuffer(name);
    COPYDATASTRUCT cds{};
    cds.dwData = 20000;
    cds.cbData = static_cast<DWORD>(buffer.size());
    cds.lpData = const_cast<std::uint8_t*>(buffer.data());
    return static_cast<std::int32_t>(SendMessageW(h, WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds)));
  }

  // The messages the plug-in window received with that code since the mark.
  std::vector<Received> received(std::uint16_t code, std::size_t since = 0) const {
    std::vector<Received> out;
    for (std::size_t i = since; i < plugin_.copies.size(); ++i) {
      if (plugin_.copies[i].code == code) out.push_back(plugin_.copies[i]);
    }
    return out;
  }
  std::size_t mark() const { return plugin_.copies.size(); }
  // The bytes of the latest message with that code; empty (and a failure) when none came.
  std::vector<std::uint8_t> lastBytes(std::uint16_t code) const {
    const auto all = received(code);
    if (all.empty()) {
      ADD_FAILURE() << "no message " << code << " reached the plug-in window";
      return {};
    }
    return all.back().bytes;
  }

 private:
  static std::filesystem::path makeRoot() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "host";
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return std::filesystem::temp_directory_path() / ("vurkarx-host-" + std::to_string(::getpid()) + "-" + name);
  }

  std::filesystem::path root_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> scope_;
  PluginWindow plugin_;
  std::unique_ptr<host::HostApp> host_;
  host::HostUser user_;
};

// The fixture with the plug-in window registered, its link number in link_.
class LinkedHostTest : public HostTest {
 protected:
  LinkedHostTest() { link_ = registerPlugin(); }
  std::int32_t link_ = 0;
};

}  // namespace hosttest
