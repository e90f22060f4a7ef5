// Requests about the host's coordinate system and the drawing's relation points.
#include "hostlink/request_catalogue.h"
#include "hostlink/request_head.h"
#include "hostlink/request_layouts.h"
#include "hostlink/requests/main_channel_send.h"
#include "util/byte_io.h"

namespace vurk {

int SetRelatePoint(std::uint32_t mode, std::span<const std::uint8_t> points) {
  namespace L = relate_point_layout;
  const std::size_t n = points.size() / L::kPointSize;
  if (n < 1) return kHostWindowMissing;  // an empty list is reported like a missing host
  if (points.size() % L::kPointSize != 0) return kInvalidArguments;
  RequestPayload payload(std::uint64_t{L::kHeadSize} + points.size());
  if (!payload.ok()) return ReportPayloadNotAllocated();
  const auto p = payload.bytes();
  putU16le(p, L::kMark, L::kMarkValue);
  putU32le(p, L::kMode, mode);
  putF64le(p, L::kZero48, 0.0);
  std::copy(points.begin(), points.end(), p.begin() + L::kHeadSize);
  return SendStatusForm(HostRequest::SetRelatePoint, p);
}

int GetSysCoor() { return SendStatusForm(HostRequest::GetSysCoor, {}); }

}  // namespace vurk
