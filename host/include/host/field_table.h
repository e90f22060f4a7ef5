// Field tables: {name, offset, type} per fixed layout, built from the layout constants. The
// host's record uses them to note the decoded fields of every request and message; a test
// checks that each table's fields are sorted, do not overlap and lie inside their block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/byte_reader.h"
#include "host/message_layouts.h"
#include "host/record_layouts.h"
#include "host/request_layouts.h"

namespace host {

enum class FieldType : std::uint8_t { U8, U16, U32, I32, U64, I64, F32, F64, Text };

struct FieldSpec {
  std::string_view name;
  std::size_t offset;
  FieldType type;
  std::size_t size = 0;  // bytes of a Text field; ignored for the others
};

constexpr std::size_t fieldWidth(const FieldSpec& f) {
  switch (f.type) {
    case FieldType::U8: return 1;
    case FieldType::U16: return 2;
    case FieldType::U32: return 4;
    case FieldType::I32: return 4;
    case FieldType::U64: return 8;
    case FieldType::I64: return 8;
    case FieldType::F32: return 4;
    case FieldType::F64: return 8;
    case FieldType::Text: return f.size;
  }
  return 0;
}

// A decoded value as the record keeps it.
using FieldValue = std::variant<std::int64_t, std::uint64_t, double, std::string>;
struct RecordedField {
  std::string name;
  FieldValue value;
};

// Appends the fields of a table read at base; fields that do not fit the block are skipped.
void readFields(std::span<const FieldSpec> table, const ByteReader& reader, std::size_t base, std::string_view prefix,
                std::vector<RecordedField>& out);

// A fixed layout: its table and its block size.
struct LayoutTable {
  std::string_view name;
  std::span<const FieldSpec> fields;
  std::size_t blockSize;
};

namespace fields {

using enum FieldType;
namespace L = layout;

inline constexpr FieldSpec kRequestHead[] = {
    {"mark", L::request_head::kMark, U16}, {"kind", L::request_head::kKind, U8},
    {"flag", L::request_head::kFlag, U8},  {"arg1", L::request_head::kArg1, U32},
    {"arg2", L::request_head::kArg2, U32}, {"arg3", L::request_head::kArg3, U32},
};
inline constexpr FieldSpec kSetLocation[] = {
    {"north", L::set_location::kNorth, F64}, {"east", L::set_location::kEast, F64},
    {"mode", L::set_location::kMode, U8},    {"arg24", L::set_location::kArg24, U32},
    {"level", L::set_location::kLevel, U32}, {"arg32", L::set_location::kArg32, U8},
};
inline constexpr FieldSpec kGetMapView[] = {{"mode", L::get_map_view::kMode, U8}};
inline constexpr FieldSpec kFollowMap[] = {{"interval", L::follow_map::kInterval, U32}};
inline constexpr FieldSpec kSearchRecord[] = {
    {"searchType", L::search_record::kSearchType, U32}, {"kind", L::search_record::kKind, U32},
    {"parent", L::search_record::kParent, U32},         {"arg20", L::search_record::kArg20, U32},
    {"name", L::search_record::kName, Text, L::search_record::kNameField},
};
inline constexpr FieldSpec kRelatePointsHead[] = {
    {"mark", L::relate_points::kMark, U16}, {"mode", L::relate_points::kMode, U32},
    {"zero48", L::relate_points::kZero48, F64},
};
inline constexpr FieldSpec kRelationPoint[] = {
    {"lon", L::relation_point::kLongitude, F64}, {"lat", L::relation_point::kLatitude, F64},
    {"flag", L::relation_point::kFlag, U8},      {"x", L::relation_point::kX, F64},
    {"y", L::relation_point::kY, F64},
};
inline constexpr FieldSpec kLevelResolutionRequest[] = {
    {"east", L::level_resolution_request::kEast, F64}, {"north", L::level_resolution_request::kNorth, F64}};
inline constexpr FieldSpec kContourRequest[] = {
    {"serial", L::contour_request::kSerial, I64},      {"minX", L::contour_request::kMinX, F64},
    {"minY", L::contour_request::kMinY, F64},          {"maxX", L::contour_request::kMaxX, F64},
    {"maxY", L::contour_request::kMaxY, F64},          {"level", L::contour_request::kLevel, U32},
    {"interval", L::contour_request::kInterval, U32},  {"searchFirst", L::contour_request::kSearchFirst, U32},
    {"linkNumber", L::contour_request::kLinkNumber, U32},
};
inline constexpr FieldSpec kSetButton[] = {
    {"mark", L::set_button::kMark, U16},
    {"state", L::set_button::kState, I32},
    {"label", L::set_button::kLabel, Text, L::set_button::kLabelField},
};
inline constexpr FieldSpec kMapFileRequest[] = {
    {"pathKey", L::map_file_request::kPathKey, U64}, {"serial", L::map_file_request::kSerial, I64},
    {"path", L::map_file_request::kPath, Text, L::map_file_request::kPathField},
    {"minX", L::map_file_request::kMinX, F64},       {"minY", L::map_file_request::kMinY, F64},
    {"maxX", L::map_file_request::kMaxX, F64},       {"maxY", L::map_file_request::kMaxY, F64},
    {"level", L::map_file_request::kLevel, U32},     {"mapType", L::map_file_request::kMapType, U32},
    {"width", L::map_file_request::kWidth, U32},     {"height", L::map_file_request::kHeight, U32},
    {"jpeg", L::map_file_request::kJpeg, U8},
};
inline constexpr FieldSpec kObjectHeader[] = {
    {"bodyLength", L::object_header::kBodyLength, U32},     {"kind", L::object_header::kKind, U32},
    {"mapObjectId", L::object_header::kMapObjectId, I32},   {"parentFolderId", L::object_header::kParentFolder, U32},
    {"entityKey", L::object_header::kEntityKey, U64},
};
inline constexpr FieldSpec kFolderRecord[] = {
    {"name", L::record_name::kName, Text, L::record_name::kNameField},
    {"childCount", L::folder_record::kChildCount, U32},
    {"created", L::folder_record::kCreatedMark, U8},
    {"isGroup", L::folder_record::kIsGroup, U8},
};
inline constexpr FieldSpec kMarkRecord[] = {
    {"name", L::record_name::kName, Text, L::record_name::kNameField},
    {"north", L::mark_record::kNorth, F64},            {"east", L::mark_record::kEast, F64},
    {"constant2", L::mark_record::kConstant2, U8},     {"altitude", L::mark_record::kAltitude, I32},
    {"iconId", L::mark_record::kIconId, U32},          {"colour", L::mark_record::kColour, U32},
    {"sourceKind", L::mark_record::kSourceKind, U8},   {"labelFixed", L::mark_record::kLabelFixed, U8},
    {"transparency", L::mark_record::kTransparency, U8}, {"labelLevel", L::mark_record::kLabelLevel, U8},
    {"fontSize", L::mark_record::kFontSize, I32},      {"textColour", L::mark_record::kTextColour, U32},
    {"rotation", L::mark_record::kRotation, F32},      {"isLabel", L::mark_record::kIsLabel, U8},
    {"attachment", L::mark_record::kAttachment, U8},
};
inline constexpr FieldSpec kLineRecord[] = {
    {"name", L::record_name::kName, Text, L::record_name::kNameField},
    {"pointCount", L::line_record::kPointCount, I32},  {"constant2", L::line_record::kConstant2, U8},
    {"colour", L::line_record::kColour, U32},          {"lineWidth", L::line_record::kLineWidth, U32},
    {"opacity", L::line_record::kOpacity, U8},         {"sourceKind", L::line_record::kSourceKind, U8},
    {"lineStyle", L::line_record::kLineStyle, U8},     {"closed", L::line_record::kClosed, U8},
};
inline constexpr FieldSpec kAreaRecord[] = {
    {"name", L::record_name::kName, Text, L::record_name::kNameField},
    {"pointCount", L::line_record::kPointCount, I32},  {"constant2", L::line_record::kConstant2, U8},
    {"startAngle", L::area_record::kStartAngle, F64},  {"endAngle", L::area_record::kEndAngle, F64},
    {"constant1", L::area_record::kConstant1, U8},     {"lineOpacity", L::area_record::kLineOpacity, U8},
    {"fillOpacity", L::area_record::kFillOpacity, U8}, {"outerRingCount", L::area_record::kOuterRings, U16},
    {"lineColour", L::area_record::kLineColour, U32},  {"fillColour", L::area_record::kFillColour, U32},
    {"fillType", L::area_record::kFillType, U32},      {"shapeOrPatternFlag", L::area_record::kShapeOrFlag, U32},
    {"patternId", L::area_record::kPatternId, U32},    {"secondColour", L::area_record::kSecondColour, U32},
    {"angle", L::area_record::kAngle, F32},            {"scaledSize", L::area_record::kScaledSize, F32},
    {"originX", L::area_record::kOriginX, F64},        {"originY", L::area_record::kOriginY, F64},
};
inline constexpr FieldSpec kMapVertex[] = {
    {"north", L::line_record::kVertexNorth, F64},      {"east", L::line_record::kVertexEast, F64},
    {"altitude", L::line_record::kVertexAltitude, I32}, {"bulge", L::line_record::kVertexBulge, F64},
};
inline constexpr FieldSpec kMultiPartRecord[] = {
    {"name", L::record_name::kName, Text, L::record_name::kNameField},
    {"partCount", L::multi_part_record::kPartCount, I32},
    {"colour", L::multi_part_record::kColour, U32},
};
inline constexpr FieldSpec kPatternEntry[] = {
    {"name", L::pattern_list::kName, Text, L::pattern_list::kNameField},
    {"defaultScale", L::pattern_list::kDefaultScale, F64},
    {"id", L::pattern_list::kId, U32},
    {"lineCount", L::pattern_list::kLineCount, U32},
};
inline constexpr FieldSpec kPatternLine[] = {
    {"angle", L::pattern_line::kAngle, F64},         {"baseX", L::pattern_line::kBaseX, F64},
    {"baseY", L::pattern_line::kBaseY, F64},         {"spacing", L::pattern_line::kSpacing, F64},
    {"dashCount", L::pattern_line::kDashCount, U32},
};
// Messages to the plug-in.
inline constexpr FieldSpec kLatLng[] = {{"lat", L::lat_lng::kLatitude, F64}, {"lon", L::lat_lng::kLongitude, F64}};
inline constexpr FieldSpec kMapViewRecord[] = {
    {"east", L::map_view_record::kEast, F64},       {"north", L::map_view_record::kNorth, F64},
    {"level", L::map_view_record::kLevel, I32},     {"mapType", L::map_view_record::kMapType, U32},
    {"tileFormat", L::map_view_record::kTileFormat, U32},
};
inline constexpr FieldSpec kSysCoor[] = {
    {"type", L::sys_coor::kType, U32},
    {"identity", L::sys_coor::kIdentity, U64},
    {"identity2", L::sys_coor::kIdentity + 8, U64},
    {"name", L::sys_coor::kName, Text, L::sys_coor::kNameField},
};
inline constexpr FieldSpec kPluginVersion[] = {
    {"version", L::plugin_version::kVersion, U32},
    {"notes", L::plugin_version::kNotes, Text, L::plugin_version::kAnswerSize - L::plugin_version::kNotes},
};
inline constexpr FieldSpec kMapCenter[] = {{"east", L::map_center::kEast, F64}, {"north", L::map_center::kNorth, F64}};
inline constexpr FieldSpec kLevelResolutionRecord[] = {
    {"eastResolution", L::level_resolution_record::kEastResolution, F64},
    {"northResolution", L::level_resolution_record::kNorthResolution, F64},
    {"level", L::level_resolution_record::kLevel, U32},
};
inline constexpr FieldSpec kButtonState[] = {{"present", L::button_state::kPresent, U32}};

// Every fixed layout with its block size, for the layout checks.
inline constexpr LayoutTable kAllLayouts[] = {
    {"request head", kRequestHead, L::request_head::kSize},
    {"SetLocation", kSetLocation, L::set_location::kSize},
    {"GetMapView", kGetMapView, L::get_map_view::kSize},
    {"SetFollowWinMap", kFollowMap, L::follow_map::kSize},
    {"search record", kSearchRecord, L::search_record::kSize},
    {"relation point head", kRelatePointsHead, L::relate_points::kHeadSize},
    {"relation point", kRelationPoint, L::relation_point::kSize},
    {"GetLevelResolution", kLevelResolutionRequest, L::level_resolution_request::kSize},
    {"contour request", kContourRequest, L::contour_request::kSize},
    {"SetButton", kSetButton, L::set_button::kSize},
    {"map-file request", kMapFileRequest, L::map_file_request::kSize},
    {"object header", kObjectHeader, L::object_header::kSize},
    {"folder record", kFolderRecord, L::folder_record::kSize},
    {"mark record", kMarkRecord, L::mark_record::kBlockSize},
    {"line record", kLineRecord, L::line_record::kBlockSize},
    {"area record", kAreaRecord, L::line_record::kBlockSize},
    {"map vertex", kMapVertex, L::line_record::kVertexSize},
    {"multi-part record", kMultiPartRecord, L::multi_part_record::kBlockSize},
    {"pattern entry", kPatternEntry, L::pattern_list::kEntrySize},
    {"pattern line", kPatternLine, L::pattern_line::kSize},
    {"lat/lng", kLatLng, L::lat_lng::kSize},
    {"map view record", kMapViewRecord, L::map_view_record::kSize},
    {"coordinate system", kSysCoor, L::sys_coor::kSize},
    {"plug-in version", kPluginVersion, L::plugin_version::kAnswerSize},
    {"map centre", kMapCenter, L::map_center::kSize},
    {"level resolution record", kLevelResolutionRecord, L::level_resolution_record::kSize},
    {"button state", kButtonState, L::button_state::kSize},
};

}  // namespace fields
}  // namespace host
