#include "hostlink/transport.h"

#include <string>

#include "arx/acutads.h"
#include "hostlink/request_head.h"
#include "util/byte_io.h"
#include "util/log.h"
#include "win32/desktop.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

// The registration buffer: 96 zero bytes, then the name and its terminator.
constexpr std::size_t kRegistrationHead = 96;

std::int32_t Low32(std::uint64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

std::int32_t Deliver(HWND host, std::uint32_t linkId, std::uint16_t code, std::span<const std::uint8_t> payload) {
  COPYDATASTRUCT cds{};
  cds.dwData = RequestDwData(linkId, code);
  cds.cbData = static_cast<DWORD>(payload.size());
  // The receiver gets its own copy; nothing writes through this pointer.
  cds.lpData = payload.empty() ? nullptr : const_cast<std::uint8_t*>(payload.data());
  const LRESULT r = SendMessageW(host, WM_COPYDATA, kCopyDataWParam, reinterpret_cast<LPARAM>(&cds));
  return Low32(static_cast<std::uint64_t>(r));
}

void Forget(HostLinkRecord& record) {
  record.linkId = 0;
  record.hostApiVersion = 0;
}

std::u16string Number(std::int64_t v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

// Steps 1 to 4 of the rule: the host window, registration, the refusal marker and the version
// gate. Returns the window, or null with the status set.
HWND CheckBeforeSending(HostLinkRecord& record, std::uint16_t code, int& status) {
  HWND host = FindHostWindow();
  if (!host) {
    Forget(record);
    status = kHostWindowMissing;
    return nullptr;
  }
  if (record.linkId == 0) {
    RegisterLink(record);
    if (record.linkId == 0) {
      status = kRegistrationFailed;
      return nullptr;
    }
  }
  if (SignedLinkId(record) == kRefusalMarker) {
    status = kRefusalMarker;
    return nullptr;
  }
  if (IsVersionGated(code) && record.hostApiVersion < kMinimumHostApiVersion) {
    status = kHostTooOld;
    return nullptr;
  }
  return host;
}

}  // namespace

HWND FindHostWindow() { return FindWindowW(kHostWindowClass, nullptr); }

ULONG_PTR RequestDwData(std::uint32_t linkId, std::uint16_t code) {
  const auto high = static_cast<std::int32_t>(linkId << 16);
  const std::int64_t value = static_cast<std::int64_t>(high) + code;
  return static_cast<ULONG_PTR>(value);
}

void RegisterLink(HostLinkRecord& record) {
  const HWND host = FindHostWindow();
  if (!host) return;
  const std::u16string_view name = PluginNameOf(record);
  RequestPayload payload(2 * name.size() + kRegistrationHead + 2);
  if (!payload.ok()) {
    ReportPayloadNotAllocated();
    return;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    putU16le(payload.bytes(), kRegistrationHead + 2 * i, static_cast<std::uint16_t>(name[i]));
  }
  record.linkId = static_cast<std::uint32_t>(Deliver(host, 0, CodeOf(HostRequest::Register), payload.bytes()));
  // A refused registration stops all sending, the version query included.
  if (record.linkId == 0 || SignedLinkId(record) == kRefusalMarker) return;
  const std::int32_t version = Deliver(host, record.linkId, CodeOf(HostRequest::GetHostApiVersion), {});
  record.hostApiVersion = (version < 0 && version != kRefusalMarker) ? 0 : version;
}

SendOutcome SendByRule(HostLinkRecord& record, std::uint16_t code, std::span<const std::uint8_t> payload) {
  SendOutcome out;
  HWND host = CheckBeforeSending(record, code, out.status);
  if (!host) return out;

  const std::int32_t r = Deliver(host, record.linkId, code, payload);
  out.sent = true;
  out.raw = r;
  if (r >= 0) return out;
  if (IsHostRefusal(r)) {
    out.status = r;
    return out;
  }
  if (code == CodeOf(HostRequest::AddObj) && r < kLowestAddObjError) return out;  // a new id

  // The host no longer knows the link: register again and send once more.
  Log(u"request " + Number(code) + u": host answered " + Number(r) + u", registering again");
  Forget(record);
  host = CheckBeforeSending(record, code, out.status);
  if (!host) return out;
  const std::int32_t again = Deliver(host, record.linkId, code, payload);
  out.resent = true;
  out.raw = again;
  if (IsHostRefusal(again)) {
    out.status = again;
  } else if (again < 0) {
    Log(u"request " + Number(code) + u": second answer " + Number(again) + u" taken as success");
  }
  return out;
}

SendOutcome SendTimed(HostLinkRecord& record, std::uint16_t code, std::span<const std::uint8_t> payload,
                      UINT timeoutMs) {
  SendOutcome out;
  HWND host = CheckBeforeSending(record, code, out.status);
  if (!host) return out;
  COPYDATASTRUCT cds{};
  cds.dwData = RequestDwData(record.linkId, code);
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = payload.empty() ? nullptr : const_cast<std::uint8_t*>(payload.data());
  DWORD_PTR result = 0;
  SetLastError(0);
  const LRESULT ok = SendMessageTimeoutW(host, WM_COPYDATA, kCopyDataWParam, reinterpret_cast<LPARAM>(&cds),
                                         SMTO_NORMAL, timeoutMs, &result);
  out.sent = true;
  if (ok) {
    out.status = 1;
    out.raw = Low32(result);
  } else {
    out.status = GetLastError() == ERROR_TIMEOUT ? 0 : -1;
  }
  return out;
}

std::int32_t ValueForm(const SendOutcome& outcome) {
  if (outcome.resent) return outcome.raw;
  return outcome.status < 0 ? outcome.status : outcome.raw;
}

int SendRequest(HostLinkRecord& record, std::uint16_t code, const void* payload, std::uint64_t payloadLength,
                std::int32_t* outResult, int timeoutMs) {
  if (payloadLength > 0xFFFFFFFFu || (payloadLength > 0 && !payload)) return kInvalidArguments;
  const std::span<const std::uint8_t> bytes =
      payloadLength == 0 ? std::span<const std::uint8_t>()
                         : std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(payload),
                                                         static_cast<std::size_t>(payloadLength));
  if (timeoutMs >= 1) {
    const SendOutcome o = SendTimed(record, code, bytes, static_cast<UINT>(timeoutMs));
    if (outResult && o.status == 1) *outResult = o.raw;
    return o.status;
  }
  const SendOutcome o = SendByRule(record, code, bytes);
  if (outResult && o.sent) *outResult = o.raw;
  return o.status;
}

HostLinkRecord* MainChannel() {
  HostLink* link = CurrentHostLink();
  return link ? &link->mainChannel() : nullptr;
}

int ReportPayloadNotAllocated() {
  acutPrintf(u"\n%s", u"系统内存不足！");
  return kNotProcessed;
}

}  // namespace vurk
