#include "exchange/map_record.h"

#include <algorithm>
#include <cstring>

#include "util/byte_io.h"
#include "util/utf8_text.h"

namespace vurk {

namespace {

constexpr std::uint64_t kMaxBody = 0x7FFFFFFF;

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

std::uint64_t RoundUp8(std::uint64_t v) { return (v + 7) / 8 * 8; }

void PutName(std::span<std::uint8_t> block, const std::string& name) {
  const std::size_t n = std::min(name.size(), record_common::kNameMaxBytes);
  std::memcpy(block.data() + record_common::kName, name.data(), n);
}

// Bytes 0..99 up to the first NUL: a name of 100 bytes without terminator stays inside its
// field.
std::string GetName(std::span<const std::uint8_t> block) {
  const auto* begin = reinterpret_cast<const char*>(block.data()) + record_common::kName;
  const auto* end = begin + record_common::kNameField;
  return std::string(begin, std::find(begin, end, '\0'));
}

std::string GetText(std::span<const std::uint8_t> body, std::uint64_t at, std::uint64_t length) {
  if (length == 0) return {};
  return std::string(reinterpret_cast<const char*>(body.data()) + at, static_cast<std::size_t>(length));
}

void PutVertex(std::span<std::uint8_t> out, std::size_t at, const MapVertex& v) {
  namespace V = vertex_layout;
  const auto b = out.subspan(at, V::kSize);
  putF64le(b, V::kNorth, v.north);
  putF64le(b, V::kEast, v.east);
  putI32le(b, V::kAltitude, v.altitude);
  putF64le(b, V::kBulge, v.bulge);
}

MapVertex GetVertex(std::span<const std::uint8_t> body, std::size_t at) {
  namespace V = vertex_layout;
  const auto b = body.subspan(at, V::kSize);
  return {getF64le(b, V::kNorth), getF64le(b, V::kEast), getI32le(b, V::kAltitude), getF64le(b, V::kBulge)};
}

// Block, text length, text, zero padding to a multiple of 8, vertices: the body of lines and
// areas. Writes the shared fields; the caller writes its own.
std::optional<std::vector<std::uint8_t>> PolylineBody(const std::string& name, const std::string& text,
                                                      const std::vector<MapVertex>& vertices) {
  namespace P = polyline_common;
  if (vertices.size() > static_cast<std::uint64_t>(P::kMaxPoints)) return std::nullopt;
  const std::uint64_t verticesAt = RoundUp8(P::kText + std::uint64_t{text.size()});
  const std::uint64_t size = verticesAt + vertex_layout::kSize * std::uint64_t{vertices.size()};
  if (size > kMaxBody) return std::nullopt;
  std::vector<std::uint8_t> body(static_cast<std::size_t>(size), 0);
  PutName(body, name);
  putI32le(body, P::kPointCount, static_cast<std::int32_t>(vertices.size()));
  putU8(body, P::kConstant2, P::kConstant2Value);
  putU32le(body, P::kTextLength, static_cast<std::uint32_t>(text.size()));
  std::copy(text.begin(), text.end(), body.begin() + P::kText);
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    PutVertex(body, static_cast<std::size_t>(verticesAt) + i * vertex_layout::kSize, vertices[i]);
  }
  return body;
}

// The checks shared by lines and areas: text and points must fill the body exactly.
struct PolylineParts {
  std::string name;
  std::string text;
  std::vector<MapVertex> vertices;
};
std::optional<PolylineParts> ReadPolylineBody(std::span<const std::uint8_t> body) {
  namespace P = polyline_common;
  if (body.size() < P::kText) return std::nullopt;
  const std::uint64_t textLength = getU32le(body, P::kTextLength);
  const std::int32_t points = getI32le(body, P::kPointCount);
  if (points < 0 || points > P::kMaxPoints) return std::nullopt;
  if (textLength > body.size() - P::kText) return std::nullopt;
  const std::uint64_t verticesAt = RoundUp8(P::kText + textLength);
  if (verticesAt > body.size()) return std::nullopt;
  if (body.size() != verticesAt + vertex_layout::kSize * static_cast<std::uint64_t>(points)) return std::nullopt;
  PolylineParts p;
  p.name = GetName(body);
  p.text = GetText(body, P::kText, textLength);
  p.vertices.reserve(static_cast<std::size_t>(points));
  for (std::int32_t i = 0; i < points; ++i) {
    p.vertices.push_back(GetVertex(body, static_cast<std::size_t>(verticesAt) + static_cast<std::size_t>(i) * vertex_layout::kSize));
  }
  return p;
}

std::optional<std::vector<std::uint8_t>> SerialiseMark(const MarkRecord& m) {
  namespace L = mark_layout;
  const std::uint64_t size = L::kText + std::uint64_t{m.text.size()};
  if (size > kMaxBody) return std::nullopt;
  std::vector<std::uint8_t> body(static_cast<std::size_t>(size), 0);
  PutName(body, m.name);
  putF64le(body, L::kNorth, m.north);
  putF64le(body, L::kEast, m.east);
  putU8(body, L::kConstant2, L::kConstant2Value);
  putI32le(body, L::kAltitude, m.altitude);
  putU32le(body, L::kIconId, m.iconId);
  putU32le(body, L::kColour, m.colour);
  putU8(body, L::kSourceKind, m.sourceKind);
  putU8(body, L::kLabelFixed, m.labelFixed);
  putU8(body, L::kTransparency, m.transparency);
  putU8(body, L::kLabelLevel, m.labelLevel);
  putI32le(body, L::kFontSize, m.fontSize);
  putU32le(body, L::kTextColour, m.textColour);
  putF32le(body, L::kRotation, m.rotation);
  putU8(body, L::kIsLabel, m.isLabel);
  putU8(body, L::kAttachment, m.attachment);
  putU32le(body, L::kTextLength, static_cast<std::uint32_t>(m.text.size()));
  std::copy(m.text.begin(), m.text.end(), body.begin() + L::kText);
  return body;
}

std::optional<MapRecord> ReadMark(std::span<const std::uint8_t> body) {
  namespace L = mark_layout;
  if (body.size() < L::kText) return std::nullopt;
  const std::uint64_t textLength = getU32le(body, L::kTextLength);
  if (body.size() != L::kText + textLength) return std::nullopt;
  MarkRecord m;
  m.name = GetName(body);
  m.text = GetText(body, L::kText, textLength);
  m.north = getF64le(body, L::kNorth);
  m.east = getF64le(body, L::kEast);
  m.altitude = getI32le(body, L::kAltitude);
  m.iconId = getU32le(body, L::kIconId);
  m.colour = getU32le(body, L::kColour);
  m.sourceKind = getU8(body, L::kSourceKind);
  m.labelFixed = getU8(body, L::kLabelFixed);
  m.transparency = getU8(body, L::kTransparency);
  m.labelLevel = getU8(body, L::kLabelLevel);
  m.fontSize = getI32le(body, L::kFontSize);
  m.textColour = getU32le(body, L::kTextColour);
  m.rotation = getF32le(body, L::kRotation);
  m.isLabel = getU8(body, L::kIsLabel);
  m.attachment = getU8(body, L::kAttachment);
  return m;
}

std::optional<std::vector<std::uint8_t>> SerialiseLine(const LineRecord& l) {
  namespace L = line_layout;
  auto body = PolylineBody(l.name, l.text, l.vertices);
  if (!body) return std::nullopt;
  putU32le(*body, L::kColour, l.colour);
  putU32le(*body, L::kLineWidth, l.lineWidth);
  putU8(*body, L::kOpacity, l.opacity);
  putU8(*body, L::kSourceKind, l.sourceKind);
  putU8(*body, L::kLineStyle, l.lineStyle);
  putU8(*body, L::kClosed, l.closed);
  return body;
}

std::optional<MapRecord> ReadLine(std::span<const std::uint8_t> body) {
  namespace L = line_layout;
  auto p = ReadPolylineBody(body);
  if (!p) return std::nullopt;
  LineRecord l;
  l.name = std::move(p->name);
  l.text = std::move(p->text);
  l.vertices = std::move(p->vertices);
  l.colour = getU32le(body, L::kColour);
  l.lineWidth = getU32le(body, L::kLineWidth);
  l.opacity = getU8(body, L::kOpacity);
  l.sourceKind = getU8(body, L::kSourceKind);
  l.lineStyle = getU8(body, L::kLineStyle);
  l.closed = getU8(body, L::kClosed);
  return l;
}

std::optional<std::vector<std::uint8_t>> SerialiseArea(const AreaRecord& a) {
  namespace L = area_layout;
  auto body = PolylineBody(a.name, a.text, a.vertices);
  if (!body) return std::nullopt;
  putF64le(*body, L::kStartAngle, a.startAngle);
  putF64le(*body, L::kEndAngle, a.endAngle);
  putU8(*body, L::kConstant1, L::kConstant1Value);
  putU8(*body, L::kLineOpacity, a.lineOpacity);
  putU8(*body, L::kFillOpacity, a.fillOpacity);
  putU16le(*body, L::kOuterRingCount, a.outerRingCount);
  putU32le(*body, L::kLineColour, a.lineColour);
  putU32le(*body, L::kFillColour, a.fillColour);
  putU32le(*body, L::kFillType, a.fillType);
  putU32le(*body, L::kShapeOrFlag, a.shapeOrPatternFlag);
  putU32le(*body, L::kPatternId, a.patternId);
  putU32le(*body, L::kSecondColour, a.secondColour);
  putF32le(*body, L::kAngle, a.angle);
  putF32le(*body, L::kScaledSize, a.scaledSize);
  putF64le(*body, L::kOriginX, a.originX);
  putF64le(*body, L::kOriginY, a.originY);
  return body;
}

std::optional<MapRecord> ReadArea(std::span<const std::uint8_t> body) {
  namespace L = area_layout;
  auto p = ReadPolylineBody(body);
  if (!p) return std::nullopt;
  AreaRecord a;
  a.name = std::move(p->name);
  a.text = std::move(p->text);
  a.vertices = std::move(p->vertices);
  a.startAngle = getF64le(body, L::kStartAngle);
  a.endAngle = getF64le(body, L::kEndAngle);
  a.lineOpacity = getU8(body, L::kLineOpacity);
  a.fillOpacity = getU8(body, L::kFillOpacity);
  a.outerRingCount = getU16le(body, L::kOuterRingCount);
  a.lineColour = getU32le(body, L::kLineColour);
  a.fillColour = getU32le(body, L::kFillColour);
  a.fillType = getU32le(body, L::kFillType);
  a.shapeOrPatternFlag = getU32le(body, L::kShapeOrFlag);
  a.patternId = getU32le(body, L::kPatternId);
  a.secondColour = getU32le(body, L::kSecondColour);
  a.angle = getF32le(body, L::kAngle);
  a.scaledSize = getF32le(body, L::kScaledSize);
  a.originX = getF64le(body, L::kOriginX);
  a.originY = getF64le(body, L::kOriginY);
  return a;
}

std::optional<std::vector<std::uint8_t>> SerialiseMultiPart(const MultiPartRecord& m) {
  namespace L = multi_part_layout;
  std::uint64_t vertices = 0;
  for (const auto& p : m.parts) vertices += p.vertices.size();
  if (vertices > static_cast<std::uint64_t>(L::kMaxPoints)) return std::nullopt;
  const std::uint64_t partsAt = RoundUp8(L::kText + std::uint64_t{m.text.size()});
  const std::uint64_t size = partsAt + L::kPartSize * std::uint64_t{m.parts.size()} + L::kVertexSize * vertices;
  if (size > kMaxBody) return std::nullopt;
  std::vector<std::uint8_t> body(static_cast<std::size_t>(size), 0);
  PutName(body, m.name);
  putI32le(body, L::kPartCount, static_cast<std::int32_t>(m.parts.size()));
  putU32le(body, L::kColour, m.colour);
  putU32le(body, L::kTextLength, static_cast<std::uint32_t>(m.text.size()));
  std::copy(m.text.begin(), m.text.end(), body.begin() + L::kText);
  std::size_t at = static_cast<std::size_t>(partsAt);
  for (const auto& p : m.parts) {
    putI32le(body, at + L::kPartVertexCount, static_cast<std::int32_t>(p.vertices.size()));
    at += L::kPartSize;
  }
  for (const auto& p : m.parts) {
    for (const auto& v : p.vertices) {
      putF64le(body, at + L::kVertexNorth, v.north);
      putF64le(body, at + L::kVertexEast, v.east);
      at += L::kVertexSize;
    }
  }
  return body;
}

std::optional<MapRecord> ReadMultiPart(std::span<const std::uint8_t> body) {
  namespace L = multi_part_layout;
  if (body.size() < L::kText) return std::nullopt;
  const std::uint64_t size = body.size();
  const std::uint64_t textLength = getU32le(body, L::kTextLength);
  if (textLength > size - L::kText) return std::nullopt;
  const std::uint64_t partsAt = RoundUp8(L::kText + textLength);
  const std::int32_t partCount = getI32le(body, L::kPartCount);
  if (partCount < 0 || partsAt > size) return std::nullopt;
  const std::uint64_t parts = static_cast<std::uint64_t>(partCount);
  if (parts > (size - partsAt) / L::kPartSize) return std::nullopt;
  // Every part's count is checked before any vertex buffer exists.
  std::uint64_t total = 0;
  for (std::uint64_t i = 0; i < parts; ++i) {
    const std::int32_t n = getI32le(body, static_cast<std::size_t>(partsAt + i * L::kPartSize + L::kPartVertexCount));
    if (n < 0) return std::nullopt;
    total += static_cast<std::uint64_t>(n);
    if (total > static_cast<std::uint64_t>(L::kMaxPoints)) return std::nullopt;
  }
  const std::uint64_t verticesAt = partsAt + parts * L::kPartSize;
  if (verticesAt + L::kVertexSize * total > size) return std::nullopt;
  MultiPartRecord m;
  m.name = GetName(body);
  m.text = GetText(body, L::kText, textLength);
  m.colour = getU32le(body, L::kColour);
  m.parts.resize(static_cast<std::size_t>(parts));
  std::size_t at = static_cast<std::size_t>(verticesAt);
  for (std::uint64_t i = 0; i < parts; ++i) {
    const auto n = static_cast<std::size_t>(getI32le(body, static_cast<std::size_t>(partsAt + i * L::kPartSize + L::kPartVertexCount)));
    auto& vs = m.parts[static_cast<std::size_t>(i)].vertices;
    vs.reserve(n);
    for (std::size_t k = 0; k < n; ++k, at += L::kVertexSize) {
      vs.push_back({getF64le(body, at + L::kVertexNorth), getF64le(body, at + L::kVertexEast)});
    }
  }
  return m;
}

std::vector<std::uint8_t> SerialiseFolder(const FolderRecord& f) {
  namespace L = folder_layout;
  std::vector<std::uint8_t> body(L::kSize, 0);
  PutName(body, f.name);
  putU32le(body, L::kChildCount, f.childCount);
  putU8(body, L::kCreatedMark, L::kCreatedMarkValue);
  putU8(body, L::kIsGroup, f.isGroup);
  return body;
}

std::optional<MapRecord> ReadFolder(std::span<const std::uint8_t> body) {
  namespace L = folder_layout;
  if (body.size() != L::kSize) return std::nullopt;
  FolderRecord f;
  f.name = GetName(body);
  f.childCount = getU32le(body, L::kChildCount);
  f.isGroup = getU8(body, L::kIsGroup);
  return f;
}

}  // namespace

std::optional<RecordKind> RecordKindFromWire(std::uint32_t kind) {
  switch (static_cast<RecordKind>(kind)) {
    case RecordKind::Mark:
    case RecordKind::Line:
    case RecordKind::MultiPart:
    case RecordKind::Area:
    case RecordKind::Folder:
      return static_cast<RecordKind>(kind);
  }
  return std::nullopt;
}

const char* RecordKindName(RecordKind kind) {
  switch (kind) {
    case RecordKind::Mark: return "MarkRecord";
    case RecordKind::Line: return "LineRecord";
    case RecordKind::MultiPart: return "MultiPartRecord";
    case RecordKind::Area: return "AreaRecord";
    case RecordKind::Folder: return "FolderRecord";
  }
  return "?";
}

RecordKind KindOf(const MapRecord& record) {
  return std::visit(Overloaded{[](const MarkRecord&) { return RecordKind::Mark; },
                               [](const LineRecord&) { return RecordKind::Line; },
                               [](const AreaRecord&) { return RecordKind::Area; },
                               [](const MultiPartRecord&) { return RecordKind::MultiPart; },
                               [](const FolderRecord&) { return RecordKind::Folder; }},
                    record);
}

FolderRecord createFolderRecord() { return FolderRecord{}; }

LineRecord createLineRecord(std::size_t vertexCount) {
  LineRecord l;
  l.vertices.resize(vertexCount);
  return l;
}

AreaRecord createAreaRecord(std::size_t vertexCount) {
  AreaRecord a;
  a.vertices.resize(vertexCount);
  return a;
}

MarkRecord createMarkRecord() { return MarkRecord{}; }

std::optional<std::vector<std::uint8_t>> serialiseRecord(const MapRecord& record) {
  return std::visit(
      Overloaded{[](const MarkRecord& r) { return SerialiseMark(r); },
                 [](const LineRecord& r) { return SerialiseLine(r); },
                 [](const AreaRecord& r) { return SerialiseArea(r); },
                 [](const MultiPartRecord& r) { return SerialiseMultiPart(r); },
                 [](const FolderRecord& r) { return std::optional<std::vector<std::uint8_t>>(SerialiseFolder(r)); }},
      record);
}

std::optional<MapRecord> readRecord(std::span<const std::uint8_t> body, std::uint32_t wireKind) {
  const auto kind = RecordKindFromWire(wireKind);
  if (!kind) return std::nullopt;
  switch (*kind) {
    case RecordKind::Mark: return ReadMark(body);
    case RecordKind::Line: return ReadLine(body);
    case RecordKind::Area: return ReadArea(body);
    case RecordKind::MultiPart: return ReadMultiPart(body);
    case RecordKind::Folder: return ReadFolder(body);
  }
  return std::nullopt;
}

void freeRecord(MapRecord& record) {
  std::visit(Overloaded{[](MarkRecord& r) { std::string().swap(r.text); },
                        [](LineRecord& r) {
                          std::string().swap(r.text);
                          std::vector<MapVertex>().swap(r.vertices);
                        },
                        [](AreaRecord& r) {
                          std::string().swap(r.text);
                          std::vector<MapVertex>().swap(r.vertices);
                        },
                        [](MultiPartRecord& r) {
                          std::string().swap(r.text);
                          for (auto& p : r.parts) std::vector<MultiPartVertex>().swap(p.vertices);
                          std::vector<MultiPart>().swap(r.parts);
                        },
                        [](FolderRecord&) {}},
             record);
}

std::string RecordName(std::u16string_view name) {
  std::string utf8 = ToUtf8(name);
  if (utf8.size() > record_common::kNameMaxBytes) {
    utf8.resize(record_common::kNameMaxBytes - 1);
    Utf8Repair(utf8);
  }
  return utf8;
}

std::string FolderName(std::u16string_view name) {
  char field[record_common::kNameField] = {};
  const std::size_t n = ToUtf8Cut(name, field, sizeof field, sizeof field);
  return std::string(field, n);
}

std::string RecordText(std::u16string_view text) { return ToUtf8(text); }

}  // namespace vurk
