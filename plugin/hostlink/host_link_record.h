// The registration state of a channel to the host, and the host link's process-wide state.
//
// Two channels exist: the main channel, used by every request except the map-file requests,
// and the map-file channel, used only by GetMapFile; it starts empty and takes a copy of the
// main channel when it is needed (transport.h). The state is created at start-up with the name
// under which the plug-in registers (the class of its notification window) and removed at
// unload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "hostlink/notification_routes.h"

namespace vurk {

// One channel, zero-initialised.
struct HostLinkRecord {
  static constexpr std::size_t kNameUnits = 100;  // the terminator included

  // Link number handed out at registration; 0 = not registered; 0xFFFFFFF6 (-10 as a signed
  // value) = the host refused the registration.
  std::uint32_t linkId = 0;
  // NUL-terminated UTF-16 name sent at registration.
  char16_t pluginName[kNameUnits] = {};
  // The host's interface version from GetHostApiVersion; 0 = not yet answered.
  std::int32_t hostApiVersion = 0;
};

// Copies at most 99 units of the name and terminates it.
void SetPluginName(HostLinkRecord& record, std::u16string_view name);
// The name up to its terminator (or all 100 units when there is none).
std::u16string_view PluginNameOf(const HostLinkRecord& record);
// The link number read as the signed value the host meant.
inline std::int32_t SignedLinkId(const HostLinkRecord& record) { return static_cast<std::int32_t>(record.linkId); }

// What the host-presence checks remember for the run.
struct HostPresenceState {
  std::int32_t cachedHostVersion = 0;  // from the registry's "LastVersion"; 0 = unknown
  bool tooOldWarningShown = false;     // the 772..887 warning, once per run
  bool updatePromptShown = false;      // the plug-in update prompt, once per run
};

class HostLink {
 public:
  explicit HostLink(std::u16string_view pluginName);

  HostLinkRecord& mainChannel() { return main_; }
  HostLinkRecord& mapFileChannel() { return mapFile_; }
  HostPresenceState& presence() { return presence_; }
  NotificationRoutes& routes() { return routes_; }
  HostAnswers& answers() { return answers_; }
  NotificationFlags& flags() { return flags_; }
  // The registered progress messages (0 when the registration failed).
  UINT mapFileProgressMessage() const { return mapFileProgress_; }
  UINT contourProgressMessage() const { return contourProgress_; }

 private:
  HostLinkRecord main_;
  HostLinkRecord mapFile_;
  HostPresenceState presence_;
  NotificationRoutes routes_;
  HostAnswers answers_;
  NotificationFlags flags_;
  UINT mapFileProgress_ = 0;
  UINT contourProgress_ = 0;
};

// Start-up: a fresh host link that registers under this name (nothing is sent yet); the two
// progress messages are registered.
void StartHostLink(std::u16string_view pluginName);
// Unload: takes the host link away again.
std::unique_ptr<HostLink> StopHostLink();
// The running host link, or null before start-up and after unload.
HostLink* CurrentHostLink();
// The running host link; asserts that there is one.
HostLink& RequireHostLink();

}  // namespace vurk
