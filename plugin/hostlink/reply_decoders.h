// Decoders of the host messages that carry answers and notices. Each copies what it needs out
// of the received bytes (which live only while the message is handled) into a value the caller
// owns, after checking the length the message needs; a message that is too short gives nothing
// and is read no further. Strings end at the first NUL or at the end of their field or of the
// message, whichever comes first; they stay UTF-8 bytes (HostText makes UTF-16 of them, with
// U+FFFD for malformed sequences). Non-finite doubles are not passed on.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vurk {

using HostBytes = std::span<const std::uint8_t>;

// 20001: the point the user clicked.
struct LatLng {
  double latitude = 0;
  double longitude = 0;
};
std::optional<LatLng> DecodeLatLng(HostBytes message);

// 20012: the host's map view. The centre is left out (centreKnown false) when not finite.
struct MapViewRecord {
  bool centreKnown = false;
  double east = 0;
  double north = 0;
  std::int32_t level = 0;
  std::uint32_t mapType = 0;
  std::uint32_t format = 0;
};
std::optional<MapViewRecord> DecodeMapView(HostBytes message);

// 20100 and 20105: the entries of a folder list.
struct FolderListEntry {
  std::uint32_t id = 0;
  std::uint32_t kind = 0;
  std::string name;  // UTF-8, at most 100 bytes
};
std::optional<std::vector<FolderListEntry>> DecodeFolderList(HostBytes message);

// 20101: the kind of the object found and, for a folder, its id and name.
struct GetObjReply {
  std::uint8_t kind = 0;
  std::uint32_t foundFolderId = 0;  // 0 unless a whole folder record came
  std::string folderName;
};
std::optional<GetObjReply> DecodeGetObjReply(HostBytes message);

// 20107: the id of the object found.
std::optional<std::uint32_t> DecodeFoundObjectId(HostBytes message);

// 20112: one header per created or updated map object.
struct AssignedObject {
  std::uint32_t kind = 0;
  std::int32_t mapObjectId = 0;
  std::uint64_t entityKey = 0;
};
std::vector<AssignedObject> DecodeAssignedObjects(HostBytes message);

// 20202: the host's coordinate system.
struct SysCoorReply {
  std::uint32_t type = 0;
  std::array<std::uint8_t, 8> fingerprint{};
  std::string name;
};
std::optional<SysCoorReply> DecodeSysCoor(HostBytes message);

// 20203: a newer plug-in is available.
struct UpdateNotice {
  std::uint32_t version = 0;
  std::string notes;
};
std::optional<UpdateNotice> DecodeUpdateNotice(HostBytes message);
// 20204: the newest plug-in version.
std::optional<std::uint32_t> DecodePluginVersion(HostBytes message);

// 20211: the map's reference point.
struct MapCentre {
  double east = 0;
  double north = 0;
};
std::optional<MapCentre> DecodeMapCentre(HostBytes message);

// 20212: the ground resolution of each map level; entry i belongs to level i + 1.
struct LevelResolution {
  double east = 0;   // drawing units per pixel; 0 = unknown
  double north = 0;
};
struct LevelResolutionTable {
  std::array<LevelResolution, 29> levels{};
  std::size_t filled = 0;
};
// Fills the table from the records (at most 29; further records are ignored).
void FillLevelResolutions(HostBytes message, LevelResolutionTable& table);
// The map scale that label sizes are measured against: the vertical resolution of level 19,
// 0 when unknown.
double MapScaleOf(const LevelResolutionTable& table);

// 20401: whether the button is present. 20201: the relation-point notice value.
std::optional<bool> DecodeButtonPresence(HostBytes message);
std::optional<std::int32_t> DecodeRelatePointNotice(HostBytes message);

// UTF-16 of host text; malformed UTF-8 becomes U+FFFD.
std::u16string HostText(std::string_view utf8);

}  // namespace vurk
