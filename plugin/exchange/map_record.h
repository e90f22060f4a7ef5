// Map object records in memory, and their wire bodies.
//
// A record in memory owns its text (UTF-8, without terminator) and its vertices (or parts);
// the wire image is separate and written field by field from record_layouts.h. The pointer
// slots of the wire block are written as zeros and never read, so nothing received can ever be
// taken for memory of ours.
//
// Reading a body checks every length and count against the bytes that remain, in 64-bit
// arithmetic, before anything is allocated: a body that is not exactly whole for its kind
// gives no record. Names are read up to the first NUL within their 100-byte field.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "exchange/record_layouts.h"

namespace vurk {

// The one conversion of a kind read from the wire; nothing for an unknown value.
std::optional<RecordKind> RecordKindFromWire(std::uint32_t kind);
const char* RecordKindName(RecordKind kind);

// What the receiver rebuilds a mark or a line from (byte 153).
enum class SourceKind : std::uint8_t {
  Point = 1,
  TextLabel = 3,
  Polyline = 5,
  PointSet = 6,
  CircleOrArc = 7,
  EllipticalArc = 9,
  Spline = 10,
};

inline constexpr std::uint32_t kDefaultRecordColour = 0xFF0000;  // COLORREF
inline constexpr std::uint32_t kDefaultLineWidth = 3;
inline constexpr std::uint8_t kDefaultOpacity = 50;

struct MapVertex {
  double north = 0;     // drawing Y
  double east = 0;      // drawing X
  std::int32_t altitude = 0;
  double bulge = 0;     // or, in a source-kind-9 line, the start / end angle in vertices 0 / 1
};

struct MarkRecord {
  std::string name;  // UTF-8, at most 99 bytes
  std::string text;  // UTF-8
  double north = 0;
  double east = 0;
  std::int32_t altitude = 0;
  std::uint32_t iconId = 0;
  std::uint32_t colour = 0;
  std::uint8_t sourceKind = 0;
  std::uint8_t labelFixed = 0;
  std::uint8_t transparency = 0;
  std::uint8_t labelLevel = 0;
  std::int32_t fontSize = 0;
  std::uint32_t textColour = 0;
  float rotation = 0;
  std::uint8_t isLabel = 0;
  std::uint8_t attachment = 0;
};

struct LineRecord {
  std::string name;
  std::string text;
  std::vector<MapVertex> vertices;  // pointCount = vertices.size()
  std::uint32_t colour = kDefaultRecordColour;
  std::uint32_t lineWidth = kDefaultLineWidth;
  std::uint8_t opacity = kDefaultOpacity;
  std::uint8_t sourceKind = 0;
  std::uint8_t lineStyle = 0;
  std::uint8_t closed = 0;
};

struct AreaRecord {
  std::string name;
  std::string text;
  std::vector<MapVertex> vertices;
  double startAngle = 0;
  double endAngle = 0;
  std::uint8_t lineOpacity = kDefaultOpacity;
  std::uint8_t fillOpacity = kDefaultOpacity;
  std::uint16_t outerRingCount = 0;
  std::uint32_t lineColour = kDefaultRecordColour;
  std::uint32_t fillColour = kDefaultRecordColour;
  std::uint32_t fillType = 0;
  std::uint32_t shapeOrPatternFlag = 0;
  std::uint32_t patternId = 0;
  std::uint32_t secondColour = 0;
  float angle = 0;
  float scaledSize = 0;
  double originX = 0;
  double originY = 0;
};

struct MultiPartVertex {
  double north = 0;
  double east = 0;
};

struct MultiPart {
  std::vector<MultiPartVertex> vertices;
};

// Received only: a line of several parts.
struct MultiPartRecord {
  std::string name;
  std::string text;
  std::uint32_t colour = 0;
  std::vector<MultiPart> parts;
};

struct FolderRecord {
  std::string name;
  std::uint32_t childCount = 0;
  std::uint8_t isGroup = 0;
};

using MapRecord = std::variant<MarkRecord, LineRecord, AreaRecord, MultiPartRecord, FolderRecord>;

RecordKind KindOf(const MapRecord& record);

// Constructors of the kinds the plug-in builds. A line or area of n vertices gets n zeroed
// vertices.
FolderRecord createFolderRecord();
LineRecord createLineRecord(std::size_t vertexCount);
AreaRecord createAreaRecord(std::size_t vertexCount);
MarkRecord createMarkRecord();

// The wire body of a record; nothing when a count exceeds what the wire can carry (more than
// 1,000,000 points, a body over 2 GiB).
std::optional<std::vector<std::uint8_t>> serialiseRecord(const MapRecord& record);

// The record of a received body of the given wire kind; nothing when the kind is unknown or
// the body is not whole for it.
std::optional<MapRecord> readRecord(std::span<const std::uint8_t> body, std::uint32_t kind);

// Releases the record's text and vertex (part) buffers and leaves it empty. Records are also
// freed by going out of scope; this is for callers that keep the variable.
void freeRecord(MapRecord& record);
// The same for a record decoded from a host reply.
inline void FreeReply(MapRecord& record) { freeRecord(record); }

// ---- text of records
// Names: the UTF-8 of the UTF-16 name; longer than 99 bytes: cut to 98 and then to the
// well-formed beginning (a 4-byte sequence counts as malformed).
std::string RecordName(std::u16string_view name);
// Folder names: at most 99 bytes, cut at a character boundary.
std::string FolderName(std::u16string_view name);
// Texts (descriptions, label texts): the whole text (up to a NUL unit). A description of a
// few thousand characters must reach the host whole, or the host's copy loses its end.
std::string RecordText(std::u16string_view text);

}  // namespace vurk
