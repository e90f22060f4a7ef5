#include "host/map_record.h"

#include <vector>

#include "host/byte_reader.h"
#include "host/byte_writer.h"

namespace host {

namespace L = layout;

std::optional<RecordKind> recordKindFromWire(std::uint32_t kind) {
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

namespace {

std::uint64_t roundUp8(std::uint64_t v) { return (v + 7) / 8 * 8; }

}  // namespace

std::optional<RecordInfo> readRecordBody(RecordKind kind, std::span<const std::uint8_t> body, std::string* error) {
  auto fail = [error](const char* why) -> std::optional<RecordInfo> {
    if (error) *error = why;
    return std::nullopt;
  };
  const ByteReader r(body);
  RecordInfo info;
  info.kind = kind;
  info.name = r.nulTerminated(L::record_name::kName, L::record_name::kNameField);
  switch (kind) {
    case RecordKind::Folder:
      if (body.size() != L::folder_record::kSize) return fail("a folder record is 176 bytes");
      info.childCount = *r.u32(L::folder_record::kChildCount);
      info.isGroup = *r.u8(L::folder_record::kIsGroup) != 0;
      return info;
    case RecordKind::Mark: {
      const auto textLength = r.u32(L::mark_record::kTextLength);
      if (!textLength) return fail("a mark record is shorter than 420 bytes");
      if (body.size() != L::mark_record::kText + std::uint64_t{*textLength}) return fail("a mark record's length does not match its text");
      info.textLength = *textLength;
      info.pointCount = 1;
      info.firstPoint = PlanePoint{*r.f64(L::mark_record::kEast), *r.f64(L::mark_record::kNorth)};
      return info;
    }
    case RecordKind::Line:
    case RecordKind::Area: {
      const auto textLength = r.u32(L::line_record::kTextLength);
      if (!textLength) return fail("a line or area record is shorter than 204 bytes");
      const std::int32_t points = *r.i32(L::line_record::kPointCount);
      if (points < 0 || points > L::line_record::kMaxPoints) return fail("the point count is out of range");
      const std::uint64_t vertices = roundUp8(L::line_record::kText + std::uint64_t{*textLength});
      if (body.size() != vertices + L::line_record::kVertexSize * static_cast<std::uint64_t>(points)) {
        return fail("a line or area record's length does not match its text and points");
      }
      info.textLength = *textLength;
      info.pointCount = static_cast<std::uint64_t>(points);
      if (points > 0) {
        info.firstPoint = PlanePoint{*r.f64(vertices + L::line_record::kVertexEast),
                                     *r.f64(vertices + L::line_record::kVertexNorth)};
      }
      return info;
    }
    case RecordKind::MultiPart: {
      const auto textLength = r.u32(L::multi_part_record::kTextLength);
      if (!textLength) return fail("a multi-part record is shorter than 484 bytes");
      const std::int32_t parts = *r.i32(L::multi_part_record::kPartCount);
      const std::uint64_t partsAt = roundUp8(L::multi_part_record::kText + std::uint64_t{*textLength});
      if (parts < 0 || !r.fitsCount(partsAt, static_cast<std::uint64_t>(parts), L::multi_part_record::kPartSize)) {
        return fail("the parts do not fit the record");
      }
      std::uint64_t total = 0;
      for (std::uint64_t i = 0; i < static_cast<std::uint64_t>(parts); ++i) {
        const std::int32_t n = *r.i32(partsAt + i * L::multi_part_record::kPartSize + L::multi_part_record::kPartVertexCount);
        if (n < 0) return fail("a part has a negative vertex count");
        total += static_cast<std::uint64_t>(n);
        if (total > static_cast<std::uint64_t>(L::line_record::kMaxPoints)) return fail("more than 1,000,000 vertices");
      }
      const std::uint64_t verticesAt = partsAt + static_cast<std::uint64_t>(parts) * L::multi_part_record::kPartSize;
      if (!r.fitsCount(verticesAt, total, L::multi_part_record::kVertexSize)) return fail("the vertices do not fit the record");
      info.textLength = *textLength;
      info.partCount = static_cast<std::uint64_t>(parts);
      info.pointCount = total;
      if (total > 0) info.firstPoint = PlanePoint{*r.f64(verticesAt + 8), *r.f64(verticesAt)};
      return info;
    }
  }
  return fail("unknown record kind");
}

std::vector<std::uint8_t> makeFolderRecord(const std::string& name, std::uint32_t childCount, bool isGroup) {
  ByteWriter w(L::folder_record::kSize);
  w.text(L::record_name::kName, name, L::record_name::kNameField);
  w.u32(L::folder_record::kChildCount, childCount);
  w.u8(L::folder_record::kCreatedMark, 1);
  w.u8(L::folder_record::kIsGroup, isGroup ? 1 : 0);
  return w.take();
}

}  // namespace host
