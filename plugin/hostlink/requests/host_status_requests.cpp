// Requests about the host itself: its readiness, the plug-in's button in it and the newest
// plug-in version it knows.
#include "hostlink/request_catalogue.h"
#include "hostlink/request_head.h"
#include "hostlink/request_layouts.h"
#include "hostlink/requests/main_channel_send.h"
#include "util/byte_io.h"
#include "util/utf8_text.h"

namespace vurk {

int GetPluginVer() { return SendStatusForm(HostRequest::GetPluginVer, {}); }

int SetButton(std::int32_t state, std::u16string_view label, std::int32_t* outResult) {
  namespace L = set_button_layout;
  RequestPayload payload(L::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  const auto p = payload.bytes();
  putU16le(p, L::kMark, L::kMarkValue);
  putI32le(p, L::kState, state);
  // Whole characters only: the encoder stops before one that would not fit with the terminator.
  char field[L::kLabelField] = {};
  ToUtf8(label, field, sizeof field);
  std::copy(std::begin(field), std::end(field), p.begin() + L::kLabel);
  return SendTimedForm(HostRequest::SetButton, p, kSetButtonTimeoutMs, outResult);
}

std::int32_t GetStatusInfo() { return SendValueForm(HostRequest::GetStatusInfo, {}); }

}  // namespace vurk
