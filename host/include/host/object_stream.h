// Object streams as the host reads them (SetObjTree) and writes them (the GetObjTree answer):
// a 16-byte head (mark 101, document folder id at 4), a 64-byte batch header (bytes of entries
// at 0, document folder id at 12), then entries, each a 64-byte header and a record body.
// A folder's childCount says how many of the entries that follow belong to it (groups), to
// any depth.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/map_record.h"

namespace host {

struct StreamEntry {
  std::size_t offset = 0;             // of the entry header in the stream
  RecordKind kind = RecordKind::Folder;
  std::int32_t mapObjectId = 0;
  std::uint32_t parentFolderId = 0;
  std::uint64_t entityKey = 0;
  std::span<const std::uint8_t> body;
  RecordInfo info;
  std::optional<std::size_t> group;   // index of the folder entry that this one belongs to
};

struct ObjectStreamView {
  std::uint32_t documentFolder = 0;        // from the head
  std::uint32_t batchDocumentFolder = 0;   // from the batch header
  std::vector<StreamEntry> entries;
};

// Reads a whole stream; nothing (with the reason) when any part of it is malformed: a head
// without mark 101, a batch length other than the bytes that follow, an entry header or body
// past the end, an unknown kind, a body that is not whole for its kind, or a group whose
// entries run past the end of the stream.
std::optional<ObjectStreamView> readObjectStream(std::span<const std::uint8_t> bytes, std::string* error = nullptr);

// Writes a stream of entries (header fields and body each) behind a head and a batch header.
struct OutgoingEntry {
  RecordKind kind = RecordKind::Folder;
  std::int32_t mapObjectId = 0;
  std::uint32_t parentFolderId = 0;
  std::uint64_t entityKey = 0;
  std::vector<std::uint8_t> body;
};
std::vector<std::uint8_t> writeObjectStream(std::uint32_t documentFolder, const std::vector<OutgoingEntry>& entries);

}  // namespace host
