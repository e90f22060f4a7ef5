// The fixed names and numbers of the protocol between the plug-in and the host map
// application: window classes, message framing, request codes and request statuses.
#pragma once

#include <cstdint>

#include "win32/types.h"

namespace vurk {

// The host's main window, looked up before every request.
inline constexpr const char16_t* kHostWindowClass = u"vurkWin";
// Every request and every host message is WM_COPYDATA with this wParam.
inline constexpr WPARAM kCopyDataWParam = 1001;

// Request codes (the low 16 bits of dwData).
enum class HostRequest : std::uint16_t {
  Register = 20000,
  GetLatLng = 20001,
  GetHostApiVersion = 20006,
  SetLocation = 20011,
  GetMapView = 20012,
  SetFollowWinMap = 20013,
  GetObjList = 20100,
  GetObj = 20101,
  AddObj = 20102,
  DelObj = 20103,
  SrhObj = 20107,
  GetObjTree = 20110,
  SetObjTree = 20112,
  SetRelatePoint = 20201,
  GetSysCoor = 20202,
  GetPluginVer = 20204,
  GetMapCenter = 20211,
  GetLevelResolution = 20212,
  GetContour = 20303,
  SetButton = 20401,
  GetStatusInfo = 20501,
  GetPatternList = 20601,
  SetPatternList = 20602,
  GetMapFile = 30003,
};

inline constexpr std::uint16_t CodeOf(HostRequest r) { return static_cast<std::uint16_t>(r); }

// Statuses of a request (0 or more is success).
inline constexpr int kHostOk = 0;
inline constexpr int kHostWindowMissing = -1;      // also: an empty relation-point list
inline constexpr int kRegistrationFailed = -2;
inline constexpr int kHostTooOld = -3;             // interface version below 621
inline constexpr int kInvalidArguments = -4;       // e.g. an empty id list
inline constexpr int kNotProcessed = -6;           // also: a payload that could not be allocated
inline constexpr int kNoPermission = -14;          // also: map-file request before registration
inline constexpr std::int32_t kRefusalMarker = -10;  // the host refused the registration

// The host's own refusals, passed to the caller without registering again.
inline constexpr bool IsHostRefusal(std::int32_t r) { return r >= -8 && r <= -5; }

// The lowest host interface version that serves the object-list requests.
inline constexpr std::int32_t kMinimumHostApiVersion = 621;

// Requests refused with -3 when the host's interface version is below 621.
inline constexpr bool IsVersionGated(std::uint16_t code) {
  return code == 20007 || (code >= CodeOf(HostRequest::GetObjList) && code <= CodeOf(HostRequest::DelObj));
}

// AddObj answers new ids below -100; they are ids, not errors.
inline constexpr std::int32_t kLowestAddObjError = -100;

}  // namespace vurk
