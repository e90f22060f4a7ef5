// The wire layouts of map object records, their vertices, the entry header of an object stream
// and the stream's head. Each layout is written here once, as named offsets with a field table
// that the static_asserts (and the layout tests) check: fields inside the block, in offset
// order, not overlapping. Every byte not named is zero when written.
//
// LineRecord and AreaRecord share the names of the fields they agree on (name, slots,
// pointCount, the constant 2); where they diverge (from 128 on) each has its own constants.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "hostlink/wire_field.h"

namespace vurk {

// The record kind of the entry header, and the switch value of every record operation.
enum class RecordKind : std::uint32_t { Mark = 7, Line = 8, MultiPart = 11, Area = 13, Folder = 30 };

namespace record_common {
inline constexpr std::size_t kName = 0;         // char[100], UTF-8, NUL-padded, at most 99 bytes
inline constexpr std::size_t kNameField = 100;
inline constexpr std::size_t kNameMaxBytes = 99;
inline constexpr std::size_t kTextSlot = 104;   // 8 bytes: an in-memory pointer, zero on the wire
inline constexpr std::size_t kSlotSize = 8;
inline constexpr std::int64_t kMaxPoints = 1'000'000;
}  // namespace record_common

namespace mark_layout {
using namespace record_common;
inline constexpr std::size_t kNorth = 112;        // f64, drawing Y
inline constexpr std::size_t kEast = 120;         // f64, drawing X
inline constexpr std::size_t kConstant2 = 128;    // u8, always 2
inline constexpr std::size_t kAltitude = 132;     // i32
inline constexpr std::size_t kIconId = 144;       // u32
inline constexpr std::size_t kColour = 148;       // u32 COLORREF
inline constexpr std::size_t kSourceKind = 153;   // u8
inline constexpr std::size_t kLabelFixed = 260;   // u8
inline constexpr std::size_t kTransparency = 262; // u8 percent
inline constexpr std::size_t kLabelLevel = 265;   // u8
inline constexpr std::size_t kFontSize = 268;     // i32
inline constexpr std::size_t kTextColour = 272;   // u32 COLORREF
inline constexpr std::size_t kRotation = 280;     // f32 degrees
inline constexpr std::size_t kIsLabel = 376;      // u8
inline constexpr std::size_t kAttachment = 377;   // u8, 0..9
inline constexpr std::size_t kBlockSize = 416;
inline constexpr std::size_t kTextLength = 416;   // u32, bytes without terminator
inline constexpr std::size_t kText = 420;
inline constexpr std::uint8_t kConstant2Value = 2;
inline constexpr std::array<WireField, 17> kFields{{
    {"name", kName, kNameField},         {"textSlot", kTextSlot, kSlotSize},
    {"north", kNorth, 8},                {"east", kEast, 8},
    {"constant2", kConstant2, 1},        {"altitude", kAltitude, 4},
    {"iconId", kIconId, 4},              {"colour", kColour, 4},
    {"sourceKind", kSourceKind, 1},      {"labelFixed", kLabelFixed, 1},
    {"transparency", kTransparency, 1},  {"labelLevel", kLabelLevel, 1},
    {"fontSize", kFontSize, 4},          {"textColour", kTextColour, 4},
    {"rotation", kRotation, 4},          {"isLabel", kIsLabel, 1},
    {"attachment", kAttachment, 1},
}};
static_assert(FieldsFit(kFields, kBlockSize));
static_assert(kText == kTextLength + 4);
}  // namespace mark_layout

// What LineRecord and AreaRecord share, and their body after the block.
namespace polyline_common {
using namespace record_common;
inline constexpr std::size_t kVertexSlot = 112;   // 8 bytes: an in-memory pointer, zero on the wire
inline constexpr std::size_t kPointCount = 120;   // i32
inline constexpr std::size_t kConstant2 = 124;    // u8, always 2
inline constexpr std::size_t kBlockSize = 200;
inline constexpr std::size_t kTextLength = 200;   // u32
inline constexpr std::size_t kText = 204;
inline constexpr std::uint8_t kConstant2Value = 2;
}  // namespace polyline_common

namespace line_layout {
using namespace polyline_common;
inline constexpr std::size_t kColour = 144;       // u32 COLORREF
inline constexpr std::size_t kLineWidth = 148;    // u32, hundredths of a drawing unit
inline constexpr std::size_t kOpacity = 152;      // u8 percent
inline constexpr std::size_t kSourceKind = 153;   // u8
inline constexpr std::size_t kLineStyle = 154;    // u8
inline constexpr std::size_t kClosed = 156;       // u8
inline constexpr std::array<WireField, 11> kFields{{
    {"name", kName, kNameField},       {"textSlot", kTextSlot, kSlotSize},
    {"vertexSlot", kVertexSlot, kSlotSize}, {"pointCount", kPointCount, 4},
    {"constant2", kConstant2, 1},      {"colour", kColour, 4},
    {"lineWidth", kLineWidth, 4},      {"opacity", kOpacity, 1},
    {"sourceKind", kSourceKind, 1},    {"lineStyle", kLineStyle, 1},
    {"closed", kClosed, 1},
}};
static_assert(FieldsFit(kFields, kBlockSize));
}  // namespace line_layout

namespace area_layout {
using namespace polyline_common;
inline constexpr std::size_t kStartAngle = 128;     // f64 degrees
inline constexpr std::size_t kEndAngle = 136;       // f64 degrees
inline constexpr std::size_t kConstant1 = 144;      // u8, always 1
inline constexpr std::size_t kLineOpacity = 145;    // u8 percent
inline constexpr std::size_t kFillOpacity = 146;    // u8 percent
inline constexpr std::size_t kOuterRingCount = 150; // u16
inline constexpr std::size_t kLineColour = 152;     // u32 COLORREF
inline constexpr std::size_t kFillColour = 156;     // u32 COLORREF
inline constexpr std::size_t kFillType = 160;       // u32: 0 solid, 1 gradient, 3 pattern
inline constexpr std::size_t kShapeOrFlag = 164;    // u32: gradient shape, or 1 for patterns
inline constexpr std::size_t kPatternId = 168;      // u32
inline constexpr std::size_t kSecondColour = 172;   // u32
inline constexpr std::size_t kAngle = 176;          // f32 degrees
inline constexpr std::size_t kScaledSize = 180;     // f32
inline constexpr std::size_t kOriginX = 184;        // f64
inline constexpr std::size_t kOriginY = 192;        // f64
inline constexpr std::uint8_t kConstant1Value = 1;
inline constexpr std::array<WireField, 21> kFields{{
    {"name", kName, kNameField},          {"textSlot", kTextSlot, kSlotSize},
    {"vertexSlot", kVertexSlot, kSlotSize}, {"pointCount", kPointCount, 4},
    {"constant2", kConstant2, 1},         {"startAngle", kStartAngle, 8},
    {"endAngle", kEndAngle, 8},           {"constant1", kConstant1, 1},
    {"lineOpacity", kLineOpacity, 1},     {"fillOpacity", kFillOpacity, 1},
    {"outerRingCount", kOuterRingCount, 2}, {"lineColour", kLineColour, 4},
    {"fillColour", kFillColour, 4},       {"fillType", kFillType, 4},
    {"shapeOrPatternFlag", kShapeOrFlag, 4}, {"patternId", kPatternId, 4},
    {"secondColour", kSecondColour, 4},   {"angle", kAngle, 4},
    {"scaledSize", kScaledSize, 4},       {"originX", kOriginX, 8},
    {"originY", kOriginY, 8},
}};
static_assert(FieldsFit(kFields, kBlockSize));
}  // namespace area_layout

namespace vertex_layout {
inline constexpr std::size_t kNorth = 0;     // f64, drawing Y
inline constexpr std::size_t kEast = 8;      // f64, drawing X
inline constexpr std::size_t kAltitude = 20; // i32; 65536 in an area marks a new ring
inline constexpr std::size_t kBulge = 24;    // f64 (or an angle in degrees, source kind 9)
inline constexpr std::size_t kSize = 48;
inline constexpr std::int32_t kRingStart = 65536;
inline constexpr std::array<WireField, 4> kFields{{
    {"north", kNorth, 8}, {"east", kEast, 8}, {"altitude", kAltitude, 4}, {"bulge", kBulge, 8}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace vertex_layout

namespace folder_layout {
using namespace record_common;
inline constexpr std::size_t kChildCount = 100;   // u32
inline constexpr std::size_t kCreatedMark = 111;  // u8, 1 from creation
inline constexpr std::size_t kIsGroup = 115;      // u8
inline constexpr std::size_t kSize = 176;
inline constexpr std::uint8_t kCreatedMarkValue = 1;
inline constexpr std::array<WireField, 4> kFields{{
    {"name", kName, kNameField}, {"childCount", kChildCount, 4},
    {"created", kCreatedMark, 1}, {"isGroup", kIsGroup, 1}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace folder_layout

namespace multi_part_layout {
using namespace record_common;
inline constexpr std::size_t kPartSlot = 112;     // 8 bytes: an in-memory pointer
inline constexpr std::size_t kPartCount = 120;    // i32
inline constexpr std::size_t kColour = 428;       // u32 COLORREF
inline constexpr std::size_t kBlockSize = 480;
inline constexpr std::size_t kTextLength = 480;   // u32
inline constexpr std::size_t kText = 484;
inline constexpr std::array<WireField, 5> kFields{{
    {"name", kName, kNameField}, {"textSlot", kTextSlot, kSlotSize}, {"partSlot", kPartSlot, kSlotSize},
    {"partCount", kPartCount, 4}, {"colour", kColour, 4}}};
static_assert(FieldsFit(kFields, kBlockSize));

// One part (1432 bytes) and its 16-byte vertices (two f64: north, east).
inline constexpr std::size_t kPartVertexCount = 1416;  // i32
inline constexpr std::size_t kPartVertexSlot = 1424;   // 8 bytes: an in-memory pointer
inline constexpr std::size_t kPartSize = 1432;
inline constexpr std::array<WireField, 2> kPartFields{{
    {"vertexCount", kPartVertexCount, 4}, {"vertexSlot", kPartVertexSlot, kSlotSize}}};
static_assert(FieldsFit(kPartFields, kPartSize));
inline constexpr std::size_t kVertexNorth = 0;
inline constexpr std::size_t kVertexEast = 8;
inline constexpr std::size_t kVertexSize = 16;
}  // namespace multi_part_layout

namespace object_header_layout {
inline constexpr std::size_t kBodyLength = 0;     // u32
inline constexpr std::size_t kKind = 4;           // u32
inline constexpr std::size_t kMapObjectId = 8;    // i32, 0 = new object
inline constexpr std::size_t kParentFolder = 12;  // u32
inline constexpr std::size_t kEntityKey = 16;     // u64
inline constexpr std::size_t kSize = 64;
inline constexpr std::array<WireField, 5> kFields{{{"bodyLength", kBodyLength, 4},
                                                   {"kind", kKind, 4},
                                                   {"mapObjectId", kMapObjectId, 4},
                                                   {"parentFolderId", kParentFolder, 4},
                                                   {"entityKey", kEntityKey, 8}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace object_header_layout

// The SetObjTree payload: a 16-byte request head (mark 101, the document folder as its first
// argument), a 64-byte batch header, then the entries.
namespace object_stream_layout {
inline constexpr std::size_t kHeadSize = 16;
inline constexpr std::size_t kBatch = 16;
inline constexpr std::size_t kBatchEntryBytes = 0;      // u32, inside the batch header
inline constexpr std::size_t kBatchDocumentFolder = 12; // u32, inside the batch header
inline constexpr std::size_t kBatchSize = 64;
inline constexpr std::size_t kEntries = kHeadSize + kBatchSize;
inline constexpr std::array<WireField, 2> kBatchFields{{{"entryBytes", kBatchEntryBytes, 4},
                                                        {"documentFolder", kBatchDocumentFolder, 4}}};
static_assert(FieldsFit(kBatchFields, kBatchSize));
}  // namespace object_stream_layout

}  // namespace vurk
