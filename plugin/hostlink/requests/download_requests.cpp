// Requests that make the host fetch data: contour lines and map files.
#include "hostlink/request_catalogue.h"
#include "hostlink/request_head.h"
#include "hostlink/request_layouts.h"
#include "hostlink/requests/main_channel_send.h"
#include "util/byte_io.h"

namespace vurk {

int GetContour(std::span<std::uint8_t> requests) {
  namespace L = contour_request_layout;
  // The link number held now, before the host is looked up (0 before the first registration).
  const HostLinkRecord* channel = MainChannel();
  const std::uint32_t linkNow = channel ? channel->linkId : 0;
  const std::size_t n = requests.size() / L::kRequestSize;
  if (n < 1 || requests.size() % L::kRequestSize != 0) return kInvalidArguments;
  for (std::size_t i = 0; i < n; ++i) putU32le(requests, i * L::kRequestSize + L::kLinkNumber, linkNow);
  RequestPayload payload(std::uint64_t{L::kFirstRequest} + requests.size());
  if (!payload.ok()) return ReportPayloadNotAllocated();
  const auto p = payload.bytes();
  WriteRequestHead(p, {});
  std::copy(requests.begin(), requests.end(), p.begin() + L::kFirstRequest);
  return SendStatusForm(HostRequest::GetContour, p);
}

int GetMapFile(std::span<const std::uint8_t> requests, std::int32_t* outResult) {
  namespace L = map_file_request_layout;
  HostLink* link = CurrentHostLink();
  if (!link) return kNoPermission;
  const std::size_t n = requests.size() / L::kRequestSize;
  if (n < 1 || requests.size() % L::kRequestSize != 0) return kInvalidArguments;
  // The map-file channel borrows the main channel's registration; without one it may not ask.
  HostLinkRecord& channel = link->mapFileChannel();
  if (channel.linkId == 0) {
    if (link->mainChannel().linkId == 0) return kNoPermission;
    channel = link->mainChannel();
  }
  RequestPayload payload(std::uint64_t{L::kFirstRequest} + requests.size());
  if (!payload.ok()) return ReportPayloadNotAllocated();
  const auto p = payload.bytes();
  WriteRequestHead(p, {});
  std::copy(requests.begin(), requests.end(), p.begin() + L::kFirstRequest);
  std::int32_t raw = 0;
  const int status = SendRequest(channel, CodeOf(HostRequest::GetMapFile), p.data(), p.size(), &raw, 0);
  if (outResult) *outResult = raw;
  return raw < 0 ? raw : status;
}

}  // namespace vurk
