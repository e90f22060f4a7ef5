#include "host/object_stream_json.h"

#include "host/json_writer.h"

namespace host {

namespace L = layout;

namespace {

std::uint64_t roundUp8(std::uint64_t v) { return (v + 7) / 8 * 8; }

const char* kindName(RecordKind kind) {
  switch (kind) {
    case RecordKind::Mark: return "mark";
    case RecordKind::Line: return "line";
    case RecordKind::MultiPart: return "multiPart";
    case RecordKind::Area: return "area";
    case RecordKind::Folder: return "folder";
  }
  return "?";
}

void writeValue(JsonWriter& w, const FieldValue& v) {
  std::visit([&w](const auto& x) { w.value(x); }, v);
}

void writeFields(JsonWriter& w, const std::vector<RecordedField>& fields) {
  w.beginObject();
  for (const RecordedField& f : fields) {
    w.key(f.name);
    writeValue(w, f.value);
  }
  w.endObject();
}

// Where the text starts and how long it is, by kind (the body passed readRecordBody).
struct TextPlace {
  std::size_t at = 0;
  std::uint32_t length = 0;
};
TextPlace textOf(RecordKind kind, const ByteReader& r) {
  switch (kind) {
    case RecordKind::Mark: return {L::mark_record::kText, *r.u32(L::mark_record::kTextLength)};
    case RecordKind::Line:
    case RecordKind::Area: return {L::line_record::kText, *r.u32(L::line_record::kTextLength)};
    case RecordKind::MultiPart: return {L::multi_part_record::kText, *r.u32(L::multi_part_record::kTextLength)};
    case RecordKind::Folder: return {};
  }
  return {};
}

void writeVertices(JsonWriter& w, const ByteReader& r, std::uint64_t at, std::uint64_t count) {
  w.beginArray();
  for (std::uint64_t i = 0; i < count; ++i) {
    std::vector<RecordedField> v;
    readFields(fields::kMapVertex, r, static_cast<std::size_t>(at + i * L::line_record::kVertexSize), "", v);
    writeFields(w, v);
  }
  w.endArray();
}

void writeParts(JsonWriter& w, const ByteReader& r, std::uint32_t textLength, std::uint64_t parts) {
  const std::uint64_t partsAt = roundUp8(L::multi_part_record::kText + std::uint64_t{textLength});
  std::uint64_t at = partsAt + parts * L::multi_part_record::kPartSize;
  w.beginArray();
  for (std::uint64_t p = 0; p < parts; ++p) {
    const auto n = static_cast<std::uint64_t>(
        *r.i32(static_cast<std::size_t>(partsAt + p * L::multi_part_record::kPartSize + L::multi_part_record::kPartVertexCount)));
    w.beginArray();
    for (std::uint64_t i = 0; i < n; ++i, at += L::multi_part_record::kVertexSize) {
      w.beginObject();
      w.key("north").value(*r.f64(static_cast<std::size_t>(at)));
      w.key("east").value(*r.f64(static_cast<std::size_t>(at + 8)));
      w.endObject();
    }
    w.endArray();
  }
  w.endArray();
}

}  // namespace

std::vector<RecordedField> recordFields(RecordKind kind, std::span<const std::uint8_t> body) {
  const ByteReader r(body);
  std::vector<RecordedField> out;
  switch (kind) {
    case RecordKind::Mark: readFields(fields::kMarkRecord, r, 0, "", out); break;
    case RecordKind::Line: readFields(fields::kLineRecord, r, 0, "", out); break;
    case RecordKind::Area: readFields(fields::kAreaRecord, r, 0, "", out); break;
    case RecordKind::MultiPart: readFields(fields::kMultiPartRecord, r, 0, "", out); break;
    case RecordKind::Folder: readFields(fields::kFolderRecord, r, 0, "", out); break;
  }
  return out;
}

std::string recordText(RecordKind kind, std::span<const std::uint8_t> body) {
  const ByteReader r(body);
  const TextPlace text = textOf(kind, r);
  return kind == RecordKind::Folder ? std::string() : r.nulTerminated(text.at, text.length);
}

std::string objectStreamJson(const ObjectStreamView& view) {
  JsonWriter w;
  w.beginObject();
  w.key("documentFolder").value(std::uint64_t{view.documentFolder});
  w.key("batchDocumentFolder").value(std::uint64_t{view.batchDocumentFolder});
  w.key("entries");
  w.beginArray();
  for (std::size_t i = 0; i < view.entries.size(); ++i) {
    const StreamEntry& e = view.entries[i];
    const ByteReader r(e.body);
    w.beginObject();
    w.key("index").value(std::uint64_t{i});
    w.key("offset").value(std::uint64_t{e.offset});
    w.key("kind").value(kindName(e.kind));
    w.key("header");
    w.beginObject();
    w.key("bodyLength").value(std::uint64_t{e.body.size()});
    w.key("recordKind").value(std::uint64_t{static_cast<std::uint32_t>(e.kind)});
    w.key("mapObjectId").value(std::int64_t{e.mapObjectId});
    w.key("parentFolderId").value(std::uint64_t{e.parentFolderId});
    w.key("entityKey").value(e.entityKey);
    w.endObject();
    if (e.group) w.key("group").value(std::uint64_t{*e.group});
    w.key("record");
    writeFields(w, recordFields(e.kind, e.body));
    const TextPlace text = textOf(e.kind, r);
    if (e.kind != RecordKind::Folder) w.key("text").value(recordText(e.kind, e.body));
    if (e.kind == RecordKind::Line || e.kind == RecordKind::Area) {
      w.key("vertices");
      writeVertices(w, r, roundUp8(L::line_record::kText + std::uint64_t{text.length}), e.info.pointCount);
    } else if (e.kind == RecordKind::MultiPart) {
      w.key("parts");
      writeParts(w, r, text.length, e.info.partCount);
    }
    w.endObject();
  }
  w.endArray();
  w.endObject();
  return w.text();
}

}  // namespace host
