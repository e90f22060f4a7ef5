#include "recording_host.h"

#include <gtest/gtest.h>

#include <cstring>

#include "win32/winuser.h"

namespace vurktest {

namespace {
constexpr const char16_t* kClass = u"vurkWin";
const HostRequestSeen kNoRequest{};
}

RecordingHost::RecordingHost() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &RecordingHost::Procedure;
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  open();
}

RecordingHost::~RecordingHost() {
  close();
  UnregisterClassW(kClass, nullptr);
}

void RecordingHost::open() {
  if (hwnd_) return;
  hwnd_ = CreateWindowExW(0, kClass, u"星衡地图", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  links_.clear();
}

void RecordingHost::close() {
  if (!hwnd_) return;
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

LRESULT RecordingHost::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<RecordingHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_COPYDATA && self && lParam) return self->handle(wParam, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT RecordingHost::handle(WPARAM wParam, const COPYDATASTRUCT& cds) {
  HostRequestSeen seen;
  seen.dwData = cds.dwData;
  seen.wParam = wParam;
  seen.code = static_cast<std::uint16_t>(cds.dwData & 0xFFFF);
  seen.link = static_cast<std::int32_t>(static_cast<std::uint32_t>(cds.dwData) & 0xFFFF0000u) >> 16;
  if (cds.cbData > 0 && cds.lpData) {
    const auto* p = static_cast<const std::uint8_t*>(cds.lpData);
    seen.payload.assign(p, p + cds.cbData);
  }
  if (seen.code == 20000) {
    std::int32_t link = nextLink_;
    if (!registrationAnswers.empty()) {
      link = registrationAnswers.front();
      registrationAnswers.pop_front();
    } else {
      ++nextLink_;
    }
    if (link > 0) links_.insert(link);
    seen.answer = link;
  } else if (!links_.count(seen.link)) {
    seen.answer = unknownLinkAnswer;
  } else if (seen.code == 20006) {
    seen.answer = apiVersion;
  } else if (auto q = answers.find(seen.code); q != answers.end() && !q->second.empty()) {
    seen.answer = q->second.front();
    q->second.pop_front();
  } else if (auto d = defaults.find(seen.code); d != defaults.end()) {
    seen.answer = d->second;
  }
  requests.push_back(seen);
  if (onRequest) onRequest(requests.back());
  return static_cast<LRESULT>(seen.answer);
}

std::optional<LRESULT> RecordingHost::sendToPlugin(std::uint16_t code, const std::vector<std::uint8_t>& bytes) {
  const HWND plugin = FindWindowW(u"VurkArxWin", nullptr);
  if (!plugin) return std::nullopt;
  COPYDATASTRUCT cds{};
  cds.dwData = code;
  cds.cbData = static_cast<DWORD>(bytes.size());
  cds.lpData = bytes.empty() ? nullptr : const_cast<std::uint8_t*>(bytes.data());
  return SendMessageW(plugin, WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds));
}

std::size_t RecordingHost::count(std::uint16_t code) const {
  std::size_t n = 0;
  for (const auto& r : requests) n += r.code == code ? 1 : 0;
  return n;
}

const HostRequestSeen& RecordingHost::last(std::uint16_t code) const {
  for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
    if (it->code == code) return *it;
  }
  ADD_FAILURE() << "the host received no request " << code;
  return kNoRequest;
}

std::vector<std::uint16_t> RecordingHost::codes() const {
  std::vector<std::uint16_t> out;
  for (const auto& r : requests) out.push_back(r.code);
  return out;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t offset) {
  if (offset + 4 > b.size()) {
    ADD_FAILURE() << "payload of " << b.size() << " bytes has no u32 at " << offset;
    return 0;
  }
  return b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) | (static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

double LeF64(const std::vector<std::uint8_t>& b, std::size_t offset) {
  if (offset + 8 > b.size()) {
    ADD_FAILURE() << "payload of " << b.size() << " bytes has no f64 at " << offset;
    return 0;
  }
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[offset + static_cast<std::size_t>(i)];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  int pending = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (pending < 0) {
      pending = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(pending * 16 + v));
      pending = -1;
    }
  }
  EXPECT_LT(pending, 0) << "odd number of hex digits in " << text;
  return out;
}

std::vector<std::uint8_t> Golden(std::size_t size, const std::vector<std::pair<std::size_t, std::string>>& pieces) {
  std::vector<std::uint8_t> out(size, 0);
  for (const auto& [offset, hex] : pieces) {
    const auto bytes = Hex(hex);
    if (offset + bytes.size() > size) {
      ADD_FAILURE() << "golden piece at " << offset << " runs past " << size;
      continue;
    }
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return out;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  constexpr const char* digits = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i && i % 16 == 0) s += '\n';
    s += digits[bytes[i] >> 4];
    s += digits[bytes[i] & 15];
    s += ' ';
  }
  return s;
}

}  // namespace vurktest
