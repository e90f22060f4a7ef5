// The request channel to the host map application: registration, the send rule with its result
// forms, timed sending and the generic sender.
//
// Every request is one synchronous WM_COPYDATA (wParam 1001) to the window of class "vurkWin",
// looked up immediately before each send; dwData carries the link number in its high part and
// the request code in its low 16 bits. The host may send its answer to the notification window
// while the request is in progress, so handlers of that window can run inside these calls.
#pragma once

#include <cstdint>
#include <span>

#include "hostlink/host_link_record.h"
#include "hostlink/host_protocol.h"
#include "win32/types.h"

namespace vurk {

// The host's main window, or null when the host is not running.
HWND FindHostWindow();

// dwData of a request: (the link number shifted left by 16, as a signed 32-bit value,
// sign-extended) plus the code.
ULONG_PTR RequestDwData(std::uint32_t linkId, std::uint16_t code);

// Registers the channel: without a host window nothing happens; otherwise the host's answer
// becomes linkId and, for a link that is neither 0 nor the refusal marker, the interface version
// is asked for at once.
void RegisterLink(HostLinkRecord& record);

// What one pass through the send rule did.
struct SendOutcome {
  int status = 0;         // untimed: 0 or a negative status; timed: 1 answered, 0 timed out, -1 failed
  std::int32_t raw = 0;   // the host's reply to the last message sent (untimed), or to the timed one
  bool sent = false;      // a message reached the host
  bool resent = false;    // the host had forgotten the link: registered again and sent once more
};

// The send rule of every untimed request.
SendOutcome SendByRule(HostLinkRecord& record, std::uint16_t code, std::span<const std::uint8_t> payload);
// A timed request (timeoutMs >= 1): the same checks before sending, then SendMessageTimeoutW,
// with no registering again and no second try.
SendOutcome SendTimed(HostLinkRecord& record, std::uint16_t code, std::span<const std::uint8_t> payload,
                      UINT timeoutMs);

// The value form: the host's result, or the negative status when the rule stopped before the host
// answered; after a resend, the resend's result unchanged.
std::int32_t ValueForm(const SendOutcome& outcome);

// The generic sender (raw-out form): returns the status and writes the host's raw reply to
// outResult (when given and a reply came). A timeoutMs below 1 is an ordinary blocking send.
// A length the message cannot carry (above 32 bits, or a null payload with a length) gives -4.
int SendRequest(HostLinkRecord& record, std::uint16_t code, const void* payload, std::uint64_t payloadLength,
                std::int32_t* outResult, int timeoutMs);

// The main channel of the running host link; null before start-up.
HostLinkRecord* MainChannel();

// Reports a request payload that could not be allocated (the request is not sent; -6).
int ReportPayloadNotAllocated();

}  // namespace vurk
