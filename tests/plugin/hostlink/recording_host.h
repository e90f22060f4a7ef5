// A small host for the host-link tests: a real window of class "vurkWin" on the test's desktop
// whose procedure takes each WM_COPYDATA request apart with its own little-endian reading (no
// plug-in header), records it and answers as the test configured it:
//  - registration (20000) hands out link numbers 1, 2, 3, ... unless answers are queued;
//  - GetHostApiVersion (20006) answers `apiVersion`;
//  - a request whose link number the host did not hand out (or forgot) gets `unknownLinkAnswer`;
//  - any other request gets the next queued answer for its code, else its default, else 0.
// Timeouts come from the desktop's own latency and hung switches on the window.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "win32/types.h"

namespace vurktest {

struct HostRequestSeen {
  ULONG_PTR dwData = 0;
  WPARAM wParam = 0;
  std::uint16_t code = 0;
  std::int32_t link = 0;  // the signed high part of dwData
  std::vector<std::uint8_t> payload;
  std::int32_t answer = 0;
};

class RecordingHost {
 public:
  RecordingHost();  // registers the class and opens the window
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  void open();   // the host starts (again)
  void close();  // the host exits: its window is destroyed
  HWND window() const { return hwnd_; }

  // Configuration.
  std::int32_t apiVersion = 621;
  std::int32_t unknownLinkAnswer = -1;
  std::deque<std::int32_t> registrationAnswers;
  std::map<std::uint16_t, std::deque<std::int32_t>> answers;
  std::map<std::uint16_t, std::int32_t> defaults;
  // Called after a request is recorded and before it is answered (the host may send messages
  // back to the plug-in from here).
  std::function<void(const HostRequestSeen&)> onRequest;
  void forgetLinks() { links_.clear(); }
  void queue(std::uint16_t code, std::int32_t answer) { answers[code].push_back(answer); }

  // What the host received.
  std::vector<HostRequestSeen> requests;
  std::size_t count(std::uint16_t code) const;
  // The last request of this code; fails the test when there is none.
  const HostRequestSeen& last(std::uint16_t code) const;
  // The codes in the order they arrived.
  std::vector<std::uint16_t> codes() const;

  // Sends a host message to the plug-in's notification window ("VurkArxWin"); the window's
  // answer, or nothing when there is no such window.
  std::optional<LRESULT> sendToPlugin(std::uint16_t code, const std::vector<std::uint8_t>& bytes);

  static LRESULT Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT handle(WPARAM wParam, const COPYDATASTRUCT& cds);

  HWND hwnd_ = nullptr;
  std::set<std::int32_t> links_;
  std::int32_t nextLink_ = 1;
};

// Little-endian reads of the test's own, for payload checks.
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t offset);
double LeF64(const std::vector<std::uint8_t>& b, std::size_t offset);
// Bytes from hex text ("65 00 1e"; spaces ignored).
std::vector<std::uint8_t> Hex(const std::string& text);
// A block of `size` zero bytes with the hex pieces placed at their offsets: a golden payload
// written from a layout table.
std::vector<std::uint8_t> Golden(std::size_t size, const std::vector<std::pair<std::size_t, std::string>>& pieces);
// Hex text of bytes, for failure messages.
std::string ToHex(const std::vector<std::uint8_t>& bytes);

}  // namespace vurktest
