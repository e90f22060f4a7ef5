// One wrapper per host request, on the main channel (GetMapFile: the map-file channel). Each
// builds its payload from typed arguments, sends it by the rule of transport.h and frees the
// payload before it returns. The comment of each says its result form:
//  - status: 0 on success or a negative status;
//  - value: the host's result (or a negative status when nothing reached the host);
//  - timed: 1 answered, 0 no answer in time, -1 failed (or a status from before the send);
//  - raw-out: the status, and the host's reply in *outResult.
// Several requests are answered only by a host message to the notification window; the comment
// names it. Callers report a negative result with ShowHostError and the prefix below.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "hostlink/pattern_list.h"

namespace vurk {

// Error prefixes, by request.
inline constexpr std::u16string_view kGetLatLngErr = u"GetLatLngErr:";
inline constexpr std::u16string_view kSetLocationErr = u"SetVurkLocationErr:";
inline constexpr std::u16string_view kSetFollowWinMapErr = u"SetFollowWinMapErr:";
inline constexpr std::u16string_view kFollowWinMapErr = u"FollowWinMapErr:";
inline constexpr std::u16string_view kGetObjListErr = u"GetVurkObjListErr:";
inline constexpr std::u16string_view kGetObjErr = u"GetVurkObjErr:";
inline constexpr std::u16string_view kDelObjErr = u"DelVurkObjErr:";
inline constexpr std::u16string_view kSrhObjErr = u"SrhVurkObjErr:";
inline constexpr std::u16string_view kGetObjTreeErr = u"GetObjTreeErr:";
inline constexpr std::u16string_view kSetObjTreeErr = u"SetVurkObjTreeErr:";
inline constexpr std::u16string_view kSetRelatePointErr = u"SetRelatePointErr:";
inline constexpr std::u16string_view kSetSysCoorPointErr = u"SetSysCoorPointErr:";
inline constexpr std::u16string_view kGetPluginVerErr = u"GetVurkPluginVer:";
inline constexpr std::u16string_view kGetContourErr = u"GetVurkContourErr:";
inline constexpr std::u16string_view kSetButtonErr = u"SetVurkButtonErr:";
inline constexpr std::u16string_view kGetStatusInfoErr = u"GetStatusInfoErr:";
inline constexpr std::u16string_view kGetMapFileErr = u"GetVurkMapFileErr:";

// The label of the plug-in's button in the host.
inline constexpr std::u16string_view kHostButtonLabel = u"发送所选对象到CAD";
// The button states of SetButton.
inline constexpr std::int32_t kButtonAdd = 1;
inline constexpr std::int32_t kButtonRemove = 0;
inline constexpr std::int32_t kButtonQuery = -1;
// SetFollowWinMap: the host reports its view changes, or stops reporting them.
inline constexpr std::uint32_t kFollowStartReporting = 1000;
inline constexpr std::uint32_t kFollowStopReporting = 1;
// SetButton is always timed with this timeout.
inline constexpr int kSetButtonTimeoutMs = 1;

// ---- map position and view
// status; the answer is host message 20001 (the point the user clicked).
int GetLatLng();
// status; timed (1/0/-1) when timeoutMs >= 1.
int SetLocation(double north, double east, std::uint32_t level, int timeoutMs = 0);
// status; answer 20012.
int GetMapView();
// value; 1000 starts the host's view reports (host messages 20012), 1 stops them.
std::int32_t SetFollowWinMap(std::uint32_t interval);
// status; answer 20211.
int GetMapCenter();
// status; answer 20212. The centre as GetMapCenter's answer gave it.
int GetLevelResolution(double centreEast, double centreNorth);

// ---- object tree (GetObjList, GetObj, AddObj, DelObj need host interface 621)
// status; answer 20100. Folder id 0 asks for the root (1).
int GetObjList(std::uint32_t folderId);
// status; answer 20101.
int GetObj(std::uint32_t objectId, std::uint8_t flag = 0);
// raw-out: *newId gets the host's reply, the new object's id (below -100 is an id too).
// kind 30 with a 176-byte folder record, or 13 with an area record body; anything else -4.
int AddObj(std::uint8_t kind, std::span<const std::uint8_t> record, std::uint32_t parentId, std::uint32_t replaceId,
           std::uint32_t option, std::int32_t* newId);
// status; no ids: -4, nothing sent.
int DelObj(std::span<const std::uint32_t> ids, std::uint32_t flags);
// status; answer 20107 or 20105. The 532-byte search record as the caller built it.
int SrhObj(std::span<const std::uint8_t> searchRecord);
// status; answer 20110.
int GetObjTree();
// status; answer 20112. Sends the object stream as it is; releases it afterwards when asked.
int SetObjTree(std::vector<std::uint8_t>& stream, bool releaseAfterSending);

// ---- coordinates
// status; points = n 80-byte relation points; no points: -1, nothing sent.
int SetRelatePoint(std::uint32_t mode, std::span<const std::uint8_t> points);
// status; answer 20202.
int GetSysCoor();

// ---- the host and the plug-in
// status; answer 20204.
int GetPluginVer();
// timed (1 ms); state 1 adds the button with the label, 0 removes it, -1 asks whether it is
// there (answer 20401). The label is cut to the whole characters that fit in 255 bytes.
int SetButton(std::int32_t state, std::u16string_view label, std::int32_t* outResult = nullptr);
// value; bit 0x100 = ready; 0 or less = failure.
std::int32_t GetStatusInfo();

// ---- hatch patterns
// status; answer 20601.
int GetPatternList();
// status; sends the list and releases it.
int SetPatternList(PatternList& list);

// ---- downloads
// status; requests = n 192-byte contour requests. The main channel's link number (0 before the
// first registration) is written into each at offset 108 before anything else. Answers 20303.
int GetContour(std::span<std::uint8_t> requests);
// raw-out over the map-file channel: requests = n 472-byte map-file requests. A negative raw
// reply is returned instead of the status. Answers 20302.
int GetMapFile(std::span<const std::uint8_t> requests, std::int32_t* outResult);

}  // namespace vurk
