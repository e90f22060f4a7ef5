// ObjectStream: the SetObjTree payload being built: the request head (mark 101, the document
// folder), a 64-byte batch header filled last, then entries of a 64-byte ObjectHeader and a
// record body each.
//
// Sizes are i32 as on the wire; growth is computed in 64 bits: a stream that would pass
// INT32_MAX bytes is refused and keeps what it had. The write position can be moved back to an
// entry reserved earlier (a group's folder) and restored.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "exchange/entity_link.h"
#include "exchange/map_record.h"

namespace vurk {

enum class StreamAppend { Ok, Refused, OutOfMemory };

// The capacity after growing a stream of `capacity` bytes holding `used` to take n more:
// unchanged when they fit, else min((used + n) x 2 + 10, INT32_MAX); nothing when used + n
// passes INT32_MAX or n < 0.
std::optional<std::int32_t> NextStreamCapacity(std::int32_t used, std::int32_t capacity, std::int64_t n);

// What a refused append reports to the user.
inline constexpr std::u16string_view kStreamRefusedMessage = u"系统内存不足！";
inline constexpr std::u16string_view kStreamOutOfMemoryMessage = u"系统内存不足！操作失败！";

class ObjectStream {
 public:
  ObjectStream() = default;

  std::int32_t used() const { return used_; }
  std::int32_t capacity() const { return static_cast<std::int32_t>(data_.size()); }
  std::span<const std::uint8_t> bytes() const { return {data_.data(), static_cast<std::size_t>(used_)}; }
  // The failure of the last refused append (empty when none failed).
  const std::u16string& failure() const { return failure_; }

  // Appends n bytes (n < 0 refused); bytes null with zeroFill appends n zero bytes.
  StreamAppend append(const void* bytes, std::int64_t n, bool zeroFill);
  // Writes bytes at an offset inside what is used (for entries reserved earlier).
  bool overwrite(std::int32_t offset, std::span<const std::uint8_t> bytes);
  // Forgets everything after `used` (an entry that could not be appended whole).
  void rewind(std::int32_t used);
  // Hands the bytes in use over without copying them; the stream is empty afterwards.
  std::vector<std::uint8_t> take();

 private:
  std::vector<std::uint8_t> data_;  // size = capacity
  std::int32_t used_ = 0;
  std::u16string failure_;
};

// appendToStream of the record operations: false when refused (the stream is unchanged).
bool appendToStream(ObjectStream& stream, const void* bytes, std::int64_t n, bool zeroFill);

// A new stream with the request head for the document folder and the batch header reserved.
ObjectStream StartObjectStream(std::uint32_t documentFolderId);
// Writes the batch header: the entry bytes that follow it and the document folder.
void FinishObjectStream(ObjectStream& stream, std::uint32_t documentFolderId);
// True when entries follow the batch header.
bool StreamHasEntries(const ObjectStream& stream);

// The 64-byte entry header.
std::vector<std::uint8_t> ObjectHeaderBytes(std::uint32_t bodyLength, RecordKind kind, std::int32_t mapObjectId,
                                            std::uint32_t parentFolderId, std::uint64_t entityKey);

// The common tail of every encoder: the link's empty name takes the record's name; in
// cross-section mode `convert` changes the record in place (kinds 7, 8, 13); then the header
// {bodyLength, kind, link ids, entityKey} and the body are appended and the record freed.
// False when the record cannot be serialised or the stream refuses it.
using RecordConversion = std::function<void(MapRecord&)>;
bool appendEntry(ObjectStream& stream, MapRecord record, EntityLink& link, const RecordConversion& convert = {});

}  // namespace vurk
