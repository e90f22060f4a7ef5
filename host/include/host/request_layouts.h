// Byte layouts of the request payloads that arrive at the host, as offsets from the start of
// the payload. All integers are little-endian, f64 are IEEE doubles, text is UTF-8.
// Each layout's offsets are written here once; the readers and the field tables use them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host::layout {

// The 16-byte head in front of most request bodies.
namespace request_head {
inline constexpr std::size_t kMark = 0;    // u16, always 101
inline constexpr std::size_t kKind = 2;    // u8, record kind of an attached record
inline constexpr std::size_t kFlag = 3;    // u8, request flag
inline constexpr std::size_t kArg1 = 4;    // u32
inline constexpr std::size_t kArg2 = 8;    // u32
inline constexpr std::size_t kArg3 = 12;   // u32
inline constexpr std::size_t kSize = 16;
inline constexpr std::uint16_t kMarkValue = 101;
}  // namespace request_head

// Register (20000): 96 zero bytes, then the plug-in window's class name in UTF-16 with a NUL.
namespace registration {
inline constexpr std::size_t kName = 96;
inline constexpr std::size_t kMinSize = 98;  // an empty name and its NUL
}  // namespace registration

// SetLocation (20011).
namespace set_location {
inline constexpr std::size_t kNorth = 0;    // f64
inline constexpr std::size_t kEast = 8;     // f64
inline constexpr std::size_t kMode = 16;    // u8, 2 = the centre is in plane coordinates
inline constexpr std::size_t kArg24 = 24;   // u32, 0
inline constexpr std::size_t kLevel = 28;   // u32, map level; 0 keeps the level
inline constexpr std::size_t kArg32 = 32;   // u8, 0
inline constexpr std::size_t kSize = 80;
}  // namespace set_location

// GetMapView (20012).
namespace get_map_view {
inline constexpr std::size_t kMode = 40;  // u8, 2 = answer the centre in plane coordinates
inline constexpr std::size_t kSize = 104;
inline constexpr std::uint8_t kModePlane = 2;
}  // namespace get_map_view

// SetFollowWinMap (20013): one u32; 1 stops the reports, any other value above 1 starts them.
namespace follow_map {
inline constexpr std::size_t kInterval = 0;
inline constexpr std::size_t kSize = 4;
inline constexpr std::uint32_t kStop = 1;
}  // namespace follow_map

// GetObjList (20100) and GetObj (20101) use the request head: folder or object id in kArg2.
// AddObj (20102): head (kind in kKind, parent in kArg1, replaced id in kArg2, option word in
// kArg3), then the record body.
namespace add_object {
inline constexpr std::size_t kBody = 16;
}  // namespace add_object

// DelObj (20103): head with flags in kArg3, then u32 ids.
namespace delete_objects {
inline constexpr std::size_t kIds = 16;
inline constexpr std::uint32_t kWithContents = 0x1;  // a folder goes with everything in it
inline constexpr std::uint32_t kQuiet = 0x2;         // recorded; this host asks nobody anyway
}  // namespace delete_objects

// SrhObj (20107): the 532-byte search record.
namespace search_record {
inline constexpr std::size_t kSearchType = 4;  // u32, 5
inline constexpr std::size_t kKind = 8;        // u32, record kind searched (30 folders)
inline constexpr std::size_t kParent = 12;     // u32, parent folder id; 0 = the root
inline constexpr std::size_t kArg20 = 20;      // u32, 1
inline constexpr std::size_t kName = 28;       // UTF-8 name, at most 99 bytes and a NUL
inline constexpr std::size_t kNameField = 100;
inline constexpr std::size_t kSize = 532;
}  // namespace search_record

// GetObjTree (20110): the request head with kFlag = 3.
// SetObjTree (20112): an object stream (record_layouts.h).

// SetRelatePoint (20201): a 56-byte head, then 80-byte relation points.
namespace relate_points {
inline constexpr std::size_t kMark = 0;   // u16, 101
inline constexpr std::size_t kMode = 16;  // u32, 3 = relation points, 4 = simplified (shift only)
inline constexpr std::size_t kZero48 = 48;  // f64, 0.0
inline constexpr std::size_t kHeadSize = 56;
inline constexpr std::uint32_t kModeRelationPoints = 3;
inline constexpr std::uint32_t kModeSimplified = 4;
}  // namespace relate_points

namespace relation_point {
inline constexpr std::size_t kLongitude = 0;  // f64, degrees
inline constexpr std::size_t kLatitude = 8;   // f64, degrees
inline constexpr std::size_t kFlag = 16;      // u8, 1
inline constexpr std::size_t kX = 24;         // f64, drawing X
inline constexpr std::size_t kY = 32;         // f64, drawing Y
inline constexpr std::size_t kSize = 80;
}  // namespace relation_point

// GetLevelResolution (20212).
namespace level_resolution_request {
inline constexpr std::size_t kEast = 24;   // f64
inline constexpr std::size_t kNorth = 32;  // f64
inline constexpr std::size_t kSize = 80;
}  // namespace level_resolution_request

// GetContour (20303): request head, then 192-byte contour requests.
namespace contour_request {
inline constexpr std::size_t kSerial = 0;       // i64
inline constexpr std::size_t kMinX = 16;        // f64
inline constexpr std::size_t kMinY = 24;        // f64
inline constexpr std::size_t kMaxX = 32;        // f64
inline constexpr std::size_t kMaxY = 40;        // f64
inline constexpr std::size_t kLevel = 52;       // u32
inline constexpr std::size_t kInterval = 56;    // u32, metres between contours
inline constexpr std::size_t kSearchFirst = 60; // u32, 1 = look in the downloaded data; 0 = download
inline constexpr std::size_t kLinkNumber = 108; // u32, the sender's link number
inline constexpr std::size_t kSize = 192;
}  // namespace contour_request

// SetButton (20401).
namespace set_button {
inline constexpr std::size_t kMark = 0;     // u16, 101
inline constexpr std::size_t kState = 20;   // i32: 1 add, 0 remove, -1 query
inline constexpr std::size_t kLabel = 24;   // UTF-8, NUL-terminated
inline constexpr std::size_t kLabelField = 256;
inline constexpr std::size_t kSize = 320;
}  // namespace set_button

// GetMapFile (30003): request head, then 472-byte map-file requests.
namespace map_file_request {
inline constexpr std::size_t kPathKey = 0;   // u64
inline constexpr std::size_t kSerial = 8;    // i64
inline constexpr std::size_t kStatus = 20;   // u32 in the answer
inline constexpr std::size_t kPath = 24;     // char[260], ANSI
inline constexpr std::size_t kPathField = 260;
inline constexpr std::size_t kMinX = 304;
inline constexpr std::size_t kMinY = 312;
inline constexpr std::size_t kMaxX = 320;
inline constexpr std::size_t kMaxY = 328;
inline constexpr std::size_t kLevel = 340;   // u32
inline constexpr std::size_t kMapType = 344; // u32
inline constexpr std::size_t kWidth = 348;   // u32 pixels
inline constexpr std::size_t kHeight = 352;  // u32 pixels
inline constexpr std::size_t kJpeg = 385;    // u8
inline constexpr std::size_t kSize = 472;
}  // namespace map_file_request

}  // namespace host::layout
