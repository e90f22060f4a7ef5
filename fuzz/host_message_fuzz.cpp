// Feeds arbitrary host messages to the plug-in's notification window, as the host would send
// them: AutoCAD with the plug-in loaded and the host running, then WM_COPYDATA with wParam 1001,
// a message code taken from the input and the rest of the input as the payload (copied by the
// desktop into a buffer of exactly that size, so any read past it shows under AddressSanitizer).
//
// Input layout: byte 0 picks the code (from the codes the window dispatches, or the raw u16 in
// bytes 1–2 when byte 0 is 0xFF); the rest is the payload.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include "desk_session.h"
#include "scenario.h"
#include "win32/desktop.h"
#include "win32/window_manager.h"
#include "win32/winuser.h"

namespace {

constexpr std::uint16_t kCodes[] = {20001, 20009, 20012, 20020, 20100, 20101, 20105, 20107,
                                    20110, 20112, 20201, 20202, 20203, 20204, 20211, 20212,
                                    20302, 20303, 20401, 20402, 20501, 20601};

struct Session {
  Session()
      : root(std::filesystem::temp_directory_path() / ("vurkarx-fuzz-host-" + std::to_string(::getpid()))),
        desk((std::filesystem::create_directories(root), root), transcript) {
    desk::Scenario s;
    std::string error;
    // A drawing is open, so object blocks (20110) reach the receive walk.
    desk::parseScenario("host start\ndrawing new\nplugin load\n", s, error);
    for (const auto& step : s.steps) {
      std::string why;
      if (!desk.run(step, why)) {
        fprintf(stderr, "fuzz set-up failed at '%s': %s\n", step.text.c_str(), why.c_str());
        abort();
      }
    }
    window = FindWindowW(u"VurkArxWin", nullptr);
    if (!window) abort();
  }
  ~Session() { std::filesystem::remove_all(root); }
  std::filesystem::path root;
  std::ostringstream transcript;
  desk::DeskSession desk;
  HWND window = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Session session;
  if (size == 0) return 0;
  std::uint16_t code = kCodes[data[0] % (sizeof kCodes / sizeof kCodes[0])];
  std::size_t skip = 1;
  if (data[0] == 0xFF && size >= 3) {
    code = static_cast<std::uint16_t>(data[1] | (data[2] << 8));
    skip = 3;
  }
  const std::size_t n = size - skip;
  // The payload in its own heap block of exactly n bytes; the desktop copies it again.
  std::unique_ptr<std::uint8_t[]> payload(n ? new std::uint8_t[n] : nullptr);
  if (n) std::memcpy(payload.get(), data + skip, n);
  COPYDATASTRUCT cds{code, static_cast<DWORD>(n), payload.get()};
  SendMessageW(session.window, WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds));
  // Whatever the message posted or started runs too, as it would in AutoCAD's next idle time.
  session.desk.desktop().windows().pump();
  // What the desk printed is of no interest here; keep the stream small.
  session.transcript.str({});
  return 0;
}
