// Requests about the map position and view.
#include "hostlink/request_catalogue.h"
#include "hostlink/request_head.h"
#include "hostlink/request_layouts.h"
#include "hostlink/requests/main_channel_send.h"
#include "util/byte_io.h"

namespace vurk {

int GetLatLng() {
  HostLinkRecord* channel = MainChannel();
  if (!channel) return kRegistrationFailed;
  return SendRequest(*channel, CodeOf(HostRequest::GetLatLng), nullptr, 0, nullptr, 0);
}

int SetLocation(double north, double east, std::uint32_t level, int timeoutMs) {
  namespace L = set_location_layout;
  RequestPayload payload(L::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  const auto p = payload.bytes();
  putF64le(p, L::kNorth, north);
  putF64le(p, L::kEast, east);
  putU8(p, L::kMode, L::kModeValue);
  putU32le(p, L::kLevel, level);
  if (timeoutMs >= 1) return SendTimedForm(HostRequest::SetLocation, p, timeoutMs, nullptr);
  return SendStatusForm(HostRequest::SetLocation, p);
}

int GetMapView() {
  namespace L = map_view_request_layout;
  RequestPayload payload(L::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  putU8(payload.bytes(), L::kViewKind, L::kViewKindValue);
  return SendStatusForm(HostRequest::GetMapView, payload.bytes());
}

std::int32_t SetFollowWinMap(std::uint32_t interval) {
  RequestPayload payload(follow_layout::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  putU32le(payload.bytes(), follow_layout::kInterval, interval);
  return SendValueForm(HostRequest::SetFollowWinMap, payload.bytes());
}

int GetMapCenter() { return SendStatusForm(HostRequest::GetMapCenter, {}); }

int GetLevelResolution(double centreEast, double centreNorth) {
  namespace L = level_resolution_request_layout;
  RequestPayload payload(L::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  putF64le(payload.bytes(), L::kCentreEast, centreEast);
  putF64le(payload.bytes(), L::kCentreNorth, centreNorth);
  return SendStatusForm(HostRequest::GetLevelResolution, payload.bytes());
}

}  // namespace vurk
