#include "host/object_stream.h"

#include "host/byte_reader.h"
#include "host/byte_writer.h"
#include "host/request_layouts.h"

namespace host {

namespace L = layout;

std::optional<ObjectStreamView> readObjectStream(std::span<const std::uint8_t> bytes, std::string* error) {
  auto fail = [error](std::string why) -> std::optional<ObjectStreamView> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const ByteReader r(bytes);
  if (!r.has(0, L::object_stream::kEntries)) return fail("an object stream is at least 80 bytes");
  if (*r.u16(L::request_head::kMark) != L::request_head::kMarkValue) return fail("the stream head lacks mark 101");
  ObjectStreamView view;
  view.documentFolder = *r.u32(L::object_stream::kDocumentFolder);
  view.batchDocumentFolder = *r.u32(L::object_stream::kBatchDocumentFolder);
  const std::uint64_t entryBytes = *r.u32(L::object_stream::kBatchEntryBytes);
  if (entryBytes != bytes.size() - L::object_stream::kEntries) {
    return fail("the batch header counts " + std::to_string(entryBytes) + " entry bytes, the stream holds " +
                std::to_string(bytes.size() - L::object_stream::kEntries));
  }

  // Open groups: index of the folder entry and how many entries it still owns.
  struct Open {
    std::size_t folder;
    std::uint64_t remaining;
  };
  std::vector<Open> open;
  std::uint64_t at = L::object_stream::kEntries;
  while (at < bytes.size()) {
    if (!r.has(at, L::object_header::kSize)) return fail("an entry header at " + std::to_string(at) + " is cut off");
    StreamEntry e;
    e.offset = static_cast<std::size_t>(at);
    const std::uint32_t bodyLength = *r.u32(at + L::object_header::kBodyLength);
    const std::uint32_t kind = *r.u32(at + L::object_header::kKind);
    e.mapObjectId = *r.i32(at + L::object_header::kMapObjectId);
    e.parentFolderId = *r.u32(at + L::object_header::kParentFolder);
    e.entityKey = *r.u64(at + L::object_header::kEntityKey);
    const auto k = recordKindFromWire(kind);
    if (!k) return fail("entry at " + std::to_string(at) + " has unknown kind " + std::to_string(kind));
    e.kind = *k;
    const auto body = r.slice(at + L::object_header::kSize, bodyLength);
    if (!body) return fail("the body of the entry at " + std::to_string(at) + " runs past the end");
    e.body = *body;
    std::string why;
    const auto info = readRecordBody(e.kind, e.body, &why);
    if (!info) return fail("entry at " + std::to_string(at) + ": " + why);
    e.info = *info;
    if (!open.empty()) {
      e.group = open.back().folder;
      --open.back().remaining;
    }
    view.entries.push_back(e);
    while (!open.empty() && open.back().remaining == 0) open.pop_back();
    if (e.kind == RecordKind::Folder && e.info.childCount > 0) open.push_back({view.entries.size() - 1, e.info.childCount});
    at += L::object_header::kSize + std::uint64_t{bodyLength};
  }
  if (!open.empty()) return fail("a folder owns more entries than the stream holds");
  return view;
}

std::vector<std::uint8_t> writeObjectStream(std::uint32_t documentFolder, const std::vector<OutgoingEntry>& entries) {
  std::uint64_t total = L::object_stream::kEntries;
  for (const OutgoingEntry& e : entries) total += L::object_header::kSize + e.body.size();
  ByteWriter w(static_cast<std::size_t>(total));
  w.u16(L::request_head::kMark, L::request_head::kMarkValue);
  w.u32(L::object_stream::kDocumentFolder, documentFolder);
  w.u32(L::object_stream::kBatchEntryBytes, static_cast<std::uint32_t>(total - L::object_stream::kEntries));
  w.u32(L::object_stream::kBatchDocumentFolder, documentFolder);
  std::size_t at = L::object_stream::kEntries;
  for (const OutgoingEntry& e : entries) {
    w.u32(at + L::object_header::kBodyLength, static_cast<std::uint32_t>(e.body.size()));
    w.u32(at + L::object_header::kKind, static_cast<std::uint32_t>(e.kind));
    w.i32(at + L::object_header::kMapObjectId, e.mapObjectId);
    w.u32(at + L::object_header::kParentFolder, e.parentFolderId);
    w.u64(at + L::object_header::kEntityKey, e.entityKey);
    w.raw(at + L::object_header::kSize, e.body);
    at += L::object_header::kSize + e.body.size();
  }
  return w.take();
}

}  // namespace host
