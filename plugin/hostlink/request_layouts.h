// The payload layouts of the requests that carry more than a request head. Offsets are from
// the start of the payload; every byte not named is zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "hostlink/wire_field.h"

namespace vurk {

// SetLocation (20011).
namespace set_location_layout {
inline constexpr std::size_t kNorth = 0;   // f64, drawing Y of the view centre
inline constexpr std::size_t kEast = 8;    // f64, drawing X
inline constexpr std::size_t kMode = 16;   // u8, always 2
inline constexpr std::size_t kZero24 = 24;  // u32, always 0
inline constexpr std::size_t kLevel = 28;  // u32, map level of the view
inline constexpr std::size_t kZero32 = 32;  // u8, always 0
inline constexpr std::size_t kSize = 80;
inline constexpr std::uint8_t kModeValue = 2;
inline constexpr std::array<WireField, 6> kFields{{{"north", kNorth, 8},
                                                   {"east", kEast, 8},
                                                   {"mode", kMode, 1},
                                                   {"zero24", kZero24, 4},
                                                   {"level", kLevel, 4},
                                                   {"zero32", kZero32, 1}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace set_location_layout

// GetMapView (20012).
namespace map_view_request_layout {
inline constexpr std::size_t kViewKind = 40;  // u8, always 2
inline constexpr std::size_t kSize = 104;
inline constexpr std::uint8_t kViewKindValue = 2;
inline constexpr std::array<WireField, 1> kFields{{{"viewKind", kViewKind, 1}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace map_view_request_layout

// SetFollowWinMap (20013): one u32.
namespace follow_layout {
inline constexpr std::size_t kInterval = 0;
inline constexpr std::size_t kSize = 4;
}  // namespace follow_layout

// GetLevelResolution (20212): the map centre as GetMapCenter's answer gave it.
namespace level_resolution_request_layout {
inline constexpr std::size_t kCentreEast = 24;   // f64
inline constexpr std::size_t kCentreNorth = 32;  // f64
inline constexpr std::size_t kSize = 80;
inline constexpr std::array<WireField, 2> kFields{{{"centreEast", kCentreEast, 8}, {"centreNorth", kCentreNorth, 8}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace level_resolution_request_layout

// DelObj (20103): request head, then the ids.
namespace del_obj_layout {
inline constexpr std::size_t kFirstId = 16;  // u32 each
inline constexpr std::uint32_t kRemoveFlag0 = 0x1;
inline constexpr std::uint32_t kRemoveFlag1 = 0x2;
}  // namespace del_obj_layout

// AddObj (20102): request head, then the object record.
namespace add_obj_layout {
inline constexpr std::size_t kRecord = 16;
inline constexpr std::uint8_t kFolderKind = 30;
inline constexpr std::size_t kFolderRecordSize = 176;
inline constexpr std::uint8_t kAreaKind = 13;
inline constexpr std::size_t kAreaMinimumBody = 204;  // the 200-byte block and its text length
}  // namespace add_obj_layout

// SrhObj (20107): the caller's search record, as it is.
namespace search_record_layout {
inline constexpr std::size_t kSize = 532;
}  // namespace search_record_layout

// GetObjTree (20110): request head with this flag.
inline constexpr std::uint8_t kObjectTreeFlag = 3;

// SetRelatePoint (20201): a 56-byte head, then the relation points.
namespace relate_point_layout {
inline constexpr std::size_t kMark = 0;    // u16, 101
inline constexpr std::size_t kMode = 16;   // u32, 3 = relation points, 4 = simplified parameters
inline constexpr std::size_t kZero48 = 48;  // f64, 0.0
inline constexpr std::size_t kHeadSize = 56;
inline constexpr std::size_t kPointSize = 80;
inline constexpr std::uint16_t kMarkValue = 101;
inline constexpr std::array<WireField, 3> kFields{{{"mark", kMark, 2}, {"mode", kMode, 4}, {"zero48", kZero48, 8}}};
static_assert(FieldsFit(kFields, kHeadSize));
}  // namespace relate_point_layout

// SetButton (20401).
namespace set_button_layout {
inline constexpr std::size_t kMark = 0;    // u16, 101
inline constexpr std::size_t kState = 20;  // i32: 1 add, 0 remove, -1 query
inline constexpr std::size_t kLabel = 24;  // char[256], UTF-8, at most 255 bytes, NUL-terminated
inline constexpr std::size_t kLabelField = 256;
inline constexpr std::size_t kSize = 320;
inline constexpr std::uint16_t kMarkValue = 101;
inline constexpr std::array<WireField, 3> kFields{{{"mark", kMark, 2}, {"state", kState, 4}, {"label", kLabel, kLabelField}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace set_button_layout

// GetContour (20303): request head, then 192-byte contour requests.
namespace contour_request_layout {
inline constexpr std::size_t kFirstRequest = 16;
inline constexpr std::size_t kRequestSize = 192;
inline constexpr std::size_t kLinkNumber = 108;  // u32 inside each request
}  // namespace contour_request_layout

// GetMapFile (30003): request head, then 472-byte map-file requests.
namespace map_file_request_layout {
inline constexpr std::size_t kFirstRequest = 16;
inline constexpr std::size_t kRequestSize = 472;
}  // namespace map_file_request_layout

}  // namespace vurk
