// How the host talks back to the plug-in: WM_COPYDATA (wParam 1001, dwData = the message code)
// sent with SendMessageW to the window found with FindWindowW(plug-in class, null) just
// before each message, and the two registered progress messages posted with PostMessageW.
// Every message is entered in the host's record with the plug-in's return value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/field_table.h"
#include "win32/types.h"

namespace host {

class HostRecord;

class PluginMessenger {
 public:
  explicit PluginMessenger(HostRecord& record) : record_(record) {}

  // Registers the progress messages on the current desktop (the host does this at start).
  void registerProgressMessages();
  UINT mapFileProgressMessage() const { return mapFileProgress_; }
  UINT contourProgressMessage() const { return contourProgress_; }

  // Sends a message; returns the plug-in's value, or nothing when its window is missing.
  // `fields` (a field table of the message's layout) is decoded into the record.
  std::optional<LRESULT> send(const std::u16string& pluginClass, std::uint16_t code, std::vector<std::uint8_t> bytes,
                              std::uint64_t duringRequest, std::span<const FieldSpec> fields = {});
  // Posts a progress message; false when the window is missing or the message unregistered.
  bool postProgress(const std::u16string& pluginClass, UINT message, WPARAM position, LPARAM total,
                    std::uint64_t duringRequest);

 private:
  HostRecord& record_;
  UINT mapFileProgress_ = 0;
  UINT contourProgress_ = 0;
};

}  // namespace host
