// The result forms of the request wrappers on the main channel.
#pragma once

#include <cstdint>
#include <span>

#include "hostlink/transport.h"

namespace vurk {

// Status form on the main channel; without a running host link nothing can register.
inline int SendStatusForm(HostRequest request, std::span<const std::uint8_t> payload) {
  HostLinkRecord* channel = MainChannel();
  if (!channel) return kRegistrationFailed;
  return SendByRule(*channel, CodeOf(request), payload).status;
}

inline std::int32_t SendValueForm(HostRequest request, std::span<const std::uint8_t> payload) {
  HostLinkRecord* channel = MainChannel();
  if (!channel) return kRegistrationFailed;
  return ValueForm(SendByRule(*channel, CodeOf(request), payload));
}

// Timed form (1 answered, 0 no answer in time, -1 failed); *outResult gets the answer.
inline int SendTimedForm(HostRequest request, std::span<const std::uint8_t> payload, int timeoutMs,
                         std::int32_t* outResult) {
  HostLinkRecord* channel = MainChannel();
  if (!channel) return kRegistrationFailed;
  const SendOutcome o = SendTimed(*channel, CodeOf(request), payload, static_cast<UINT>(timeoutMs));
  if (outResult && o.status == 1) *outResult = o.raw;
  return o.status;
}

}  // namespace vurk
