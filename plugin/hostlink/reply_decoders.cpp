#include "hostlink/reply_decoders.h"

#include <algorithm>
#include <cmath>

#include "hostlink/reply_layouts.h"
#include "util/byte_io.h"
#include "win32/codepage.h"

namespace vurk {

namespace {

// The bytes of a text field: from offset up to a NUL, the end of the field or the end of the
// message.
std::string FieldText(HostBytes message, std::size_t offset, std::size_t field) {
  if (offset >= message.size()) return {};
  const std::size_t available = std::min(field, message.size() - offset);
  const auto begin = message.begin() + static_cast<std::ptrdiff_t>(offset);
  const auto end = std::find(begin, begin + static_cast<std::ptrdiff_t>(available), std::uint8_t{0});
  return std::string(begin, end);
}

std::string TextToEnd(HostBytes message, std::size_t offset) {
  return offset >= message.size() ? std::string() : FieldText(message, offset, message.size() - offset);
}

bool Finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

}  // namespace

std::optional<LatLng> DecodeLatLng(HostBytes m) {
  namespace L = lat_lng_layout;
  if (m.size() < L::kMinimum) return std::nullopt;
  LatLng p{getF64le(m, L::kLatitude), getF64le(m, L::kLongitude)};
  if (!Finite(p.latitude, p.longitude)) return std::nullopt;
  return p;
}

std::optional<MapViewRecord> DecodeMapView(HostBytes m) {
  namespace L = map_view_layout;
  if (m.size() < L::kMinimum) return std::nullopt;
  MapViewRecord v;
  v.east = getF64le(m, L::kEast);
  v.north = getF64le(m, L::kNorth);
  v.centreKnown = Finite(v.east, v.north);
  if (!v.centreKnown) v.east = v.north = 0;
  v.level = getI32le(m, L::kLevel);
  v.mapType = getU32le(m, L::kMapType);
  v.format = getU32le(m, L::kFormat);
  return v;
}

std::optional<std::vector<FolderListEntry>> DecodeFolderList(HostBytes m) {
  namespace L = folder_list_layout;
  if (m.size() < L::kHeadSize) return std::nullopt;
  const std::size_t n = (m.size() - L::kHeadSize) / L::kEntrySize;
  std::vector<FolderListEntry> entries;
  entries.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const auto e = m.subspan(L::kHeadSize + i * L::kEntrySize, L::kEntrySize);
    entries.push_back({getU32le(e, L::kId), getU32le(e, L::kKind), FieldText(e, L::kName, L::kNameField)});
  }
  return entries;
}

std::optional<GetObjReply> DecodeGetObjReply(HostBytes m) {
  namespace L = get_obj_reply_layout;
  if (m.size() < L::kHeadSize) return std::nullopt;
  GetObjReply r;
  r.kind = getU8(m, L::kKind);
  if (r.kind == L::kFolderKind && m.size() == L::kHeadSize + L::kFolderRecordSize) {
    r.foundFolderId = getU32le(m, L::kFoundId);
    r.folderName = FieldText(m.subspan(L::kHeadSize), 0, L::kFolderNameField);
  }
  return r;
}

std::optional<std::uint32_t> DecodeFoundObjectId(HostBytes m) {
  namespace L = found_object_layout;
  if (m.size() < L::kMinimum) return std::nullopt;
  return getU32le(m, L::kFoundId);
}

std::vector<AssignedObject> DecodeAssignedObjects(HostBytes m) {
  namespace L = assigned_object_layout;
  const std::size_t n = m.size() / L::kSize;
  std::vector<AssignedObject> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const auto h = m.subspan(i * L::kSize, L::kSize);
    out.push_back({getU32le(h, L::kKind), getI32le(h, L::kMapObjectId), getU64le(h, L::kEntityKey)});
  }
  return out;
}

std::optional<SysCoorReply> DecodeSysCoor(HostBytes m) {
  namespace L = sys_coor_layout;
  if (m.size() < L::kMinimum) return std::nullopt;
  SysCoorReply r;
  r.type = getU32le(m, L::kType);
  std::copy_n(m.begin() + L::kFingerprint, r.fingerprint.size(), r.fingerprint.begin());
  r.name = TextToEnd(m, L::kName);
  return r;
}

std::optional<UpdateNotice> DecodeUpdateNotice(HostBytes m) {
  namespace L = plugin_version_layout;
  if (m.size() < L::kNoticeMinimum) return std::nullopt;
  return UpdateNotice{getU32le(m, L::kVersion), TextToEnd(m, L::kNotes)};
}

std::optional<std::uint32_t> DecodePluginVersion(HostBytes m) {
  namespace L = plugin_version_layout;
  if (m.size() < L::kReplyMinimum) return std::nullopt;
  return getU32le(m, L::kVersion);
}

std::optional<MapCentre> DecodeMapCentre(HostBytes m) {
  namespace L = map_centre_layout;
  if (m.size() < L::kMinimum) return std::nullopt;
  MapCentre c{getF64le(m, L::kEast), getF64le(m, L::kNorth)};
  if (!Finite(c.east, c.north)) return std::nullopt;
  return c;
}

void FillLevelResolutions(HostBytes m, LevelResolutionTable& table) {
  namespace L = level_resolution_layout;
  const std::size_t n = std::min(m.size() / L::kRecordSize, table.levels.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto r = m.subspan(i * L::kRecordSize, L::kRecordSize);
    const double east = getF64le(r, L::kEast);
    const double north = getF64le(r, L::kNorth);
    table.levels[i] = {std::isfinite(east) ? east : 0.0, std::isfinite(north) ? north : 0.0};
  }
  table.filled = std::max(table.filled, n);
}

double MapScaleOf(const LevelResolutionTable& table) {
  constexpr std::size_t kLevel19 = 18;
  if (table.filled <= kLevel19) return 0;
  const double v = table.levels[kLevel19].north;
  return v > 0 ? v : 0;
}

std::optional<bool> DecodeButtonPresence(HostBytes m) {
  if (m.size() < single_value_layout::kMinimum) return std::nullopt;
  return getU32le(m, single_value_layout::kValue) != 0;
}

std::optional<std::int32_t> DecodeRelatePointNotice(HostBytes m) {
  if (m.size() < single_value_layout::kMinimum) return std::nullopt;
  return getI32le(m, single_value_layout::kValue);
}

std::u16string HostText(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > 0x7FFFFFFF) return {};
  const int bytes = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
  if (units <= 0) return {};
  std::u16string out(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, out.data(), units);
  return out;
}

}  // namespace vurk
