// Requests about the link itself: registration, the interface version, readiness, the
// plug-in's version and its button in the host.
#include "host/byte_writer.h"
#include "host/host_app.h"
#include "host/message_layouts.h"
#include "win32/unicode.h"

namespace host {

namespace L = layout;

LRESULT HostApp::onRegister(Request& req) {
  const ByteReader& p = req.payload;
  std::int64_t nonZeroHead = 0;
  for (std::size_t i = 0; i < L::registration::kName && i < p.size(); ++i) nonZeroHead += *p.u8(i) != 0 ? 1 : 0;
  const auto name = p.size() >= L::registration::kMinSize ? p.utf16Terminated(L::registration::kName) : std::nullopt;
  if (!name || name->empty()) {
    note(req, p.size() < L::registration::kMinSize ? "registration buffer shorter than 98 bytes"
                                                 : "no NUL-terminated plug-in name at 96");
    record_.addRegistration({req.serial, name ? win32::utf16ToUtf8(*name) : std::string(), 0});
    return 0;
  }
  field(req, "name", win32::utf16ToUtf8(*name));
  if (nonZeroHead != 0) field(req, "nonZeroHeadBytes", nonZeroHead);
  const std::int32_t answer = links_.registerPlugin(*name);
  record_.addRegistration({req.serial, win32::utf16ToUtf8(*name), answer});
  event("registration of " + win32::utf16ToUtf8(*name) + " answered " + std::to_string(answer));
  return answer;
}

LRESULT HostApp::onGetHostApiVersion(Request& req) {
  if (req.payload.size() != 0) note(req, "payload ignored");
  return options_.apiVersion;
}

LRESULT HostApp::onGetStatusInfo(Request& req) {
  if (req.payload.size() != 0) note(req, "payload ignored");
  return options_.statusInfo;
}

LRESULT HostApp::onGetPluginVer(Request& req) {
  ByteWriter w(L::plugin_version::kAnswerSize);
  w.u32(L::plugin_version::kVersion, options_.newestPluginVersion);
  w.text(L::plugin_version::kNotes, options_.pluginUpdateNotes, L::plugin_version::kAnswerSize - L::plugin_version::kNotes);
  answer(req, PluginMessage::PluginVersion, w.take(), fields::kPluginVersion);
  return 0;
}

LRESULT HostApp::onSetButton(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::set_button::kSize)) {
    note(req, "SetButton payload shorter than 320 bytes");
    return kNotProcessed;
  }
  fields(req, fields::kSetButton);
  const std::int32_t state = *p.i32(L::set_button::kState);
  switch (state) {
    case 1: {
      const std::string label = p.nulTerminated(L::set_button::kLabel, L::set_button::kLabelField);
      if (!button_.present || button_.label != label) event("button \"" + label + "\" added");
      button_.present = true;
      button_.label = label;
      button_.pluginClass = req.pluginClass;
      break;
    }
    case 0:
      if (button_.present) event("button \"" + button_.label + "\" removed");
      button_ = Button{};
      break;
    case -1:
      break;
    default:
      note(req, "unknown button state " + std::to_string(state));
      return kNotProcessed;
  }
  ByteWriter w(L::button_state::kSize);
  w.u32(L::button_state::kPresent, button_.present ? 1 : 0);
  answer(req, PluginMessage::ButtonState, w.take(), fields::kButtonState);
  return 0;
}

}  // namespace host
