// Byte layouts of map object records, object streams and hatch pattern lists as they travel
// between the plug-in and the host (in both directions). Offsets inside each block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace host {

enum class RecordKind : std::uint32_t { Mark = 7, Line = 8, MultiPart = 11, Area = 13, Folder = 30 };

// The one conversion of a kind read from the wire; nothing for an unknown value.
std::optional<RecordKind> recordKindFromWire(std::uint32_t kind);

namespace layout {

// Every record starts with its name.
namespace record_name {
inline constexpr std::size_t kName = 0;
inline constexpr std::size_t kNameField = 100;
}  // namespace record_name

namespace folder_record {
inline constexpr std::size_t kChildCount = 100;  // u32, stream entries that follow and belong to it
inline constexpr std::size_t kCreatedMark = 111; // u8, 1
inline constexpr std::size_t kIsGroup = 115;     // u8, 1 for a group (block, region, proxy)
inline constexpr std::size_t kSize = 176;
}  // namespace folder_record

namespace mark_record {
inline constexpr std::size_t kNorth = 112;       // f64
inline constexpr std::size_t kEast = 120;        // f64
inline constexpr std::size_t kConstant2 = 128;   // u8, 2
inline constexpr std::size_t kAltitude = 132;    // i32
inline constexpr std::size_t kIconId = 144;      // u32
inline constexpr std::size_t kColour = 148;      // u32 COLORREF
inline constexpr std::size_t kSourceKind = 153;  // u8
inline constexpr std::size_t kLabelFixed = 260;  // u8
inline constexpr std::size_t kTransparency = 262; // u8 percent
inline constexpr std::size_t kLabelLevel = 265;  // u8
inline constexpr std::size_t kFontSize = 268;    // i32 pixels
inline constexpr std::size_t kTextColour = 272;  // u32 COLORREF
inline constexpr std::size_t kRotation = 280;    // f32 degrees
inline constexpr std::size_t kIsLabel = 376;     // u8
inline constexpr std::size_t kAttachment = 377;  // u8
inline constexpr std::size_t kBlockSize = 416;
inline constexpr std::size_t kTextLength = 416;  // u32
inline constexpr std::size_t kText = 420;
}  // namespace mark_record

// LineRecord (8) and AreaRecord (13).
namespace line_record {
inline constexpr std::size_t kPointCount = 120;  // i32
inline constexpr std::size_t kTextLength = 200;  // u32
inline constexpr std::size_t kText = 204;
inline constexpr std::size_t kVertexSize = 48;   // f64 north at 0, f64 east at 8
inline constexpr std::size_t kVertexNorth = 0;
inline constexpr std::size_t kVertexEast = 8;
inline constexpr std::size_t kVertexAltitude = 20;  // i32; 65536 starts a new ring of an area
inline constexpr std::size_t kVertexBulge = 24;     // f64
inline constexpr std::int64_t kMaxPoints = 1'000'000;
inline constexpr std::size_t kConstant2 = 124;      // u8, 2
inline constexpr std::size_t kBlockSize = 200;
// Line (8) only.
inline constexpr std::size_t kColour = 144;         // u32 COLORREF
inline constexpr std::size_t kLineWidth = 148;      // u32, 1/100 drawing unit
inline constexpr std::size_t kOpacity = 152;        // u8
inline constexpr std::size_t kSourceKind = 153;     // u8
inline constexpr std::size_t kLineStyle = 154;      // u8
inline constexpr std::size_t kClosed = 156;         // u8
}  // namespace line_record

// Area (13) fields of the same 200-byte block.
namespace area_record {
inline constexpr std::size_t kStartAngle = 128;     // f64
inline constexpr std::size_t kEndAngle = 136;       // f64
inline constexpr std::size_t kConstant1 = 144;      // u8, 1
inline constexpr std::size_t kLineOpacity = 145;    // u8
inline constexpr std::size_t kFillOpacity = 146;    // u8
inline constexpr std::size_t kOuterRings = 150;     // u16
inline constexpr std::size_t kLineColour = 152;     // u32
inline constexpr std::size_t kFillColour = 156;     // u32
inline constexpr std::size_t kFillType = 160;       // u32
inline constexpr std::size_t kShapeOrFlag = 164;    // u32
inline constexpr std::size_t kPatternId = 168;      // u32
inline constexpr std::size_t kSecondColour = 172;   // u32
inline constexpr std::size_t kAngle = 176;          // f32
inline constexpr std::size_t kScaledSize = 180;     // f32
inline constexpr std::size_t kOriginX = 184;        // f64
inline constexpr std::size_t kOriginY = 192;        // f64
}  // namespace area_record

namespace multi_part_record {
inline constexpr std::size_t kPartCount = 120;    // i32
inline constexpr std::size_t kTextLength = 480;   // u32
inline constexpr std::size_t kText = 484;
inline constexpr std::size_t kPartSize = 1432;
inline constexpr std::size_t kPartVertexCount = 1416;  // i32 inside each part
inline constexpr std::size_t kVertexSize = 16;   // f64 north, f64 east
inline constexpr std::size_t kColour = 428;      // u32 COLORREF
inline constexpr std::size_t kBlockSize = 480;
}  // namespace multi_part_record

// Entry header of an object stream, and the answer entries of SetObjTree.
namespace object_header {
inline constexpr std::size_t kBodyLength = 0;    // u32
inline constexpr std::size_t kKind = 4;          // u32
inline constexpr std::size_t kMapObjectId = 8;   // i32, 0 = new object
inline constexpr std::size_t kParentFolder = 12; // u32
inline constexpr std::size_t kEntityKey = 16;    // u64
inline constexpr std::size_t kSize = 64;
}  // namespace object_header

// Object stream: request head (document folder id in its first argument), 64-byte batch
// header, then the entries.
namespace object_stream {
inline constexpr std::size_t kDocumentFolder = 4;        // u32, in the request head
inline constexpr std::size_t kBatchEntryBytes = 16;      // u32, bytes of entries that follow
inline constexpr std::size_t kBatchDocumentFolder = 28;  // u32
inline constexpr std::size_t kEntries = 80;
inline constexpr std::size_t kMinAnswerSize = 144;       // with at least one entry header
}  // namespace object_stream

namespace pattern_list {
inline constexpr std::size_t kCount = 4;        // u32 in the 96-byte head
inline constexpr std::size_t kHeadSize = 96;
inline constexpr std::size_t kName = 0;         // NUL-terminated, within the first 320 bytes
inline constexpr std::size_t kNameField = 320;
inline constexpr std::size_t kDefaultScale = 320;  // f64
inline constexpr std::size_t kId = 328;         // u32
inline constexpr std::size_t kLineCount = 332;  // u32
inline constexpr std::size_t kLineSlot = 336;   // 8 bytes, a pointer in the sender's memory
inline constexpr std::size_t kEntrySize = 384;
}  // namespace pattern_list

namespace pattern_line {
inline constexpr std::size_t kAngle = 0;      // f64, degrees
inline constexpr std::size_t kBaseX = 8;      // f64
inline constexpr std::size_t kBaseY = 16;     // f64
inline constexpr std::size_t kSpacing = 32;   // f64
inline constexpr std::size_t kDashCount = 40; // u32, at most 25
inline constexpr std::size_t kDashes = 48;    // f64 each
inline constexpr std::uint32_t kMaxDashes = 25;
inline constexpr std::size_t kSize = 248;
}  // namespace pattern_line

}  // namespace layout
}  // namespace host
