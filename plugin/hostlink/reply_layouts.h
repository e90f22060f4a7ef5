// The layouts of the host messages that answer requests or announce something, as far as the
// plug-in reads them, with the length each message needs before any of it is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "hostlink/wire_field.h"

namespace vurk {

// 20001: the point the user clicked in the host.
namespace lat_lng_layout {
inline constexpr std::size_t kLatitude = 0;   // f64
inline constexpr std::size_t kLongitude = 8;  // f64
inline constexpr std::size_t kMinimum = 16;
inline constexpr std::array<WireField, 2> kFields{{{"latitude", kLatitude, 8}, {"longitude", kLongitude, 8}}};
static_assert(FieldsFit(kFields, kMinimum));
}  // namespace lat_lng_layout

// 20012: the host's map view.
namespace map_view_layout {
inline constexpr std::size_t kEast = 24;     // f64
inline constexpr std::size_t kNorth = 32;    // f64
inline constexpr std::size_t kLevel = 44;    // i32
inline constexpr std::size_t kMapType = 48;  // u32; 9 = historical imagery
inline constexpr std::size_t kFormat = 64;   // u32; 3 = JPEG tiles
inline constexpr std::size_t kMinimum = 68;
inline constexpr std::array<WireField, 5> kFields{{{"east", kEast, 8},
                                                   {"north", kNorth, 8},
                                                   {"level", kLevel, 4},
                                                   {"mapType", kMapType, 4},
                                                   {"format", kFormat, 4}}};
static_assert(FieldsFit(kFields, kMinimum));
}  // namespace map_view_layout

// 20100 (GetObjList) and 20105 (folder candidates): a 16-byte head, then 108-byte entries.
namespace folder_list_layout {
inline constexpr std::size_t kHeadSize = 16;
inline constexpr std::size_t kEntrySize = 108;
inline constexpr std::size_t kId = 0;     // u32
inline constexpr std::size_t kKind = 4;   // u32
inline constexpr std::size_t kName = 8;   // UTF-8
inline constexpr std::size_t kNameField = 100;
inline constexpr std::array<WireField, 3> kEntryFields{{{"id", kId, 4}, {"kind", kKind, 4}, {"name", kName, kNameField}}};
static_assert(FieldsFit(kEntryFields, kEntrySize));
}  // namespace folder_list_layout

// 20101 (GetObj): a 16-byte head with the record kind at 2 and the found id at 8, then the
// record; a folder record is 176 bytes with its name at 0.
namespace get_obj_reply_layout {
inline constexpr std::size_t kKind = 2;     // u8
inline constexpr std::size_t kFoundId = 8;  // u32
inline constexpr std::size_t kHeadSize = 16;
inline constexpr std::size_t kFolderRecordSize = 176;
inline constexpr std::size_t kFolderNameField = 100;
inline constexpr std::uint8_t kFolderKind = 30;
inline constexpr std::array<WireField, 2> kFields{{{"kind", kKind, 1}, {"foundId", kFoundId, 4}}};
static_assert(FieldsFit(kFields, kHeadSize));
}  // namespace get_obj_reply_layout

// 20107 (SrhObj): the search record, then the found id.
namespace found_object_layout {
inline constexpr std::size_t kFoundId = 532;  // u32
inline constexpr std::size_t kMinimum = 536;
}  // namespace found_object_layout

// 20112 (SetObjTree): one 64-byte object header per created or updated object.
namespace assigned_object_layout {
inline constexpr std::size_t kBodyLength = 0;   // u32
inline constexpr std::size_t kKind = 4;         // u32
inline constexpr std::size_t kMapObjectId = 8;  // i32
inline constexpr std::size_t kParent = 12;      // u32
inline constexpr std::size_t kEntityKey = 16;   // u64
inline constexpr std::size_t kSize = 64;
inline constexpr std::array<WireField, 5> kFields{{{"bodyLength", kBodyLength, 4},
                                                   {"kind", kKind, 4},
                                                   {"mapObjectId", kMapObjectId, 4},
                                                   {"parentFolderId", kParent, 4},
                                                   {"entityKey", kEntityKey, 8}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace assigned_object_layout

// 20202 (GetSysCoor): the host's coordinate system.
namespace sys_coor_layout {
inline constexpr std::size_t kType = 40;         // u32; 2 = geographic
inline constexpr std::size_t kFingerprint = 44;  // 8 bytes
inline constexpr std::size_t kName = 72;         // UTF-8 up to a NUL or the end
inline constexpr std::size_t kMinimum = 72;
inline constexpr std::array<WireField, 2> kFields{{{"type", kType, 4}, {"fingerprint", kFingerprint, 8}}};
static_assert(FieldsFit(kFields, kMinimum));
}  // namespace sys_coor_layout

// 20203 (update notice) and 20204 (GetPluginVer): the newest plug-in version.
namespace plugin_version_layout {
inline constexpr std::size_t kVersion = 4;  // u32
inline constexpr std::size_t kNotes = 64;   // UTF-8 notes of 20203, up to a NUL or the end
inline constexpr std::size_t kNoticeMinimum = 64;
inline constexpr std::size_t kReplyMinimum = 408;
}  // namespace plugin_version_layout

// 20211 (GetMapCenter).
namespace map_centre_layout {
inline constexpr std::size_t kEast = 24;   // f64
inline constexpr std::size_t kNorth = 32;  // f64
inline constexpr std::size_t kMinimum = 40;
inline constexpr std::array<WireField, 2> kFields{{{"east", kEast, 8}, {"north", kNorth, 8}}};
static_assert(FieldsFit(kFields, kMinimum));
}  // namespace map_centre_layout

// 20212 (GetLevelResolution): 104-byte records, record i for map level i + 1.
namespace level_resolution_layout {
inline constexpr std::size_t kEast = 0;   // f64, drawing units per pixel
inline constexpr std::size_t kNorth = 8;  // f64
inline constexpr std::size_t kRecordSize = 104;
inline constexpr std::size_t kTableEntries = 29;
inline constexpr std::array<WireField, 2> kFields{{{"eastResolution", kEast, 8}, {"northResolution", kNorth, 8}}};
static_assert(FieldsFit(kFields, kRecordSize));
}  // namespace level_resolution_layout

// 20401 (SetButton query) and 20201 (relation-point notice): one 32-bit value.
namespace single_value_layout {
inline constexpr std::size_t kValue = 0;
inline constexpr std::size_t kMinimum = 4;
}  // namespace single_value_layout

}  // namespace vurk
