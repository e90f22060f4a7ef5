// Byte layouts of the messages the host sends to the plug-in's window (WM_COPYDATA, wParam
// 1001, dwData = the message code). Offsets from the start of the payload; the host writes
// every byte not named here as zero.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host::layout {

// 20001: the point the user clicked for GetLatLng.
namespace lat_lng {
inline constexpr std::size_t kLatitude = 0;
inline constexpr std::size_t kLongitude = 8;
inline constexpr std::size_t kSize = 16;
}  // namespace lat_lng

// 20012: the map view (answer to GetMapView, and the reports while following).
namespace map_view_record {
inline constexpr std::size_t kEast = 24;        // f64, view centre in the selected system
inline constexpr std::size_t kNorth = 32;       // f64
inline constexpr std::size_t kLevel = 44;       // i32
inline constexpr std::size_t kMapType = 48;     // u32, 0..9 (9 = historical imagery)
inline constexpr std::size_t kTileFormat = 64;  // u32, 1 = PNG, 3 = JPEG
inline constexpr std::size_t kSize = 104;
}  // namespace map_view_record

// 20100 (object list) and 20105 (candidate folders): a head, then 108-byte entries.
namespace object_list {
inline constexpr std::size_t kMark = 0;       // u16, 101
inline constexpr std::size_t kFolderId = 8;   // u32, the folder listed (0 for candidates)
inline constexpr std::size_t kCount = 12;     // u32, entries that follow
inline constexpr std::size_t kHeadSize = 16;
inline constexpr std::size_t kEntryId = 0;    // u32
inline constexpr std::size_t kEntryKind = 4;  // u32
inline constexpr std::size_t kEntryName = 8;  // UTF-8
inline constexpr std::size_t kEntryNameField = 100;
inline constexpr std::size_t kEntrySize = 108;
}  // namespace object_list

// 20101: the object asked for with GetObj: a head, then the record body.
namespace object_found {
inline constexpr std::size_t kMark = 0;     // u16, 101
inline constexpr std::size_t kKind = 2;     // u8, record kind (0 = not found)
inline constexpr std::size_t kFoundId = 8;  // u32
inline constexpr std::size_t kHeadSize = 16;
}  // namespace object_found

// 20107: the search record sent back with the found id behind it.
namespace search_answer {
inline constexpr std::size_t kFoundId = 532;
inline constexpr std::size_t kSize = 536;
}  // namespace search_answer

// 20202: the selected coordinate system.
namespace sys_coor {
inline constexpr std::size_t kType = 40;      // u32: 2 geographic, 3 local plane, 4 Gauss-Krueger
inline constexpr std::size_t kIdentity = 44;  // 16 bytes
inline constexpr std::size_t kIdentitySize = 16;
inline constexpr std::size_t kName = 72;      // UTF-8, NUL-terminated
inline constexpr std::size_t kNameField = 256;
inline constexpr std::size_t kSize = 328;
}  // namespace sys_coor

// 20203 (update notice) and 20204 (answer to GetPluginVer).
namespace plugin_version {
inline constexpr std::size_t kVersion = 4;   // u32, newest plug-in version
inline constexpr std::size_t kNotes = 64;    // UTF-8 notes, NUL-terminated
inline constexpr std::size_t kAnswerSize = 408;
inline constexpr std::size_t kMinNoticeSize = 64;
}  // namespace plugin_version

// 20211: the map's reference point.
namespace map_center {
inline constexpr std::size_t kEast = 24;
inline constexpr std::size_t kNorth = 32;
inline constexpr std::size_t kSize = 80;
}  // namespace map_center

// 20212: one 104-byte record per map level, level 1 first.
namespace level_resolution_record {
inline constexpr std::size_t kEastResolution = 0;   // f64, plane units per pixel
inline constexpr std::size_t kNorthResolution = 8;  // f64
inline constexpr std::size_t kLevel = 16;           // u32, the level the record belongs to
inline constexpr std::size_t kSize = 104;
}  // namespace level_resolution_record

// 20303: one answer per contour request: the request's 192 bytes with the outcome filled in,
// then an object block.
namespace contour_answer {
inline constexpr std::size_t kSubStatus = 64;    // i32
inline constexpr std::size_t kStatus = 68;       // i32
inline constexpr std::size_t kObjectCount = 88;  // u32
inline constexpr std::size_t kObjects = 192;
}  // namespace contour_answer

// 20401: whether the plug-in's button is present.
namespace button_state {
inline constexpr std::size_t kPresent = 0;  // u32, non-zero = present
inline constexpr std::size_t kSize = 4;
}  // namespace button_state

// 20402: the user pressed the plug-in's button.
namespace send_to_cad {
inline constexpr std::size_t kMark = 0;  // u16, 101
inline constexpr std::size_t kSize = 16;
}  // namespace send_to_cad

}  // namespace host::layout
