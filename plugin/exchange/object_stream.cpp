#include "exchange/object_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "hostlink/reply_decoders.h"
#include "hostlink/request_head.h"
#include "util/byte_io.h"

namespace vurk {

namespace {
constexpr std::int64_t kMaxStream = std::numeric_limits<std::int32_t>::max();
}  // namespace

std::optional<std::int32_t> NextStreamCapacity(std::int32_t used, std::int32_t capacity, std::int64_t n) {
  if (n < 0 || used < 0) return std::nullopt;
  const std::int64_t needed = std::int64_t{used} + n;
  if (needed > kMaxStream) return std::nullopt;
  if (needed <= capacity) return capacity;
  return static_cast<std::int32_t>(std::min(needed * 2 + 10, kMaxStream));
}

StreamAppend ObjectStream::append(const void* bytes, std::int64_t n, bool zeroFill) {
  const auto next = NextStreamCapacity(used_, capacity(), n);
  if (!next || (bytes == nullptr && !zeroFill && n > 0)) {
    failure_ = std::u16string(kStreamRefusedMessage);
    return StreamAppend::Refused;
  }
  if (*next != capacity()) {
    try {
      data_.resize(static_cast<std::size_t>(*next), 0);  // the new tail is always zero
    } catch (const std::bad_alloc&) {
      failure_ = std::u16string(kStreamOutOfMemoryMessage);
      return StreamAppend::OutOfMemory;
    }
  }
  if (bytes != nullptr && n > 0) {
    std::memcpy(data_.data() + used_, bytes, static_cast<std::size_t>(n));
  } else if (n > 0) {
    std::fill_n(data_.begin() + used_, static_cast<std::size_t>(n), std::uint8_t{0});
  }
  used_ += static_cast<std::int32_t>(n);
  return StreamAppend::Ok;
}

bool ObjectStream::overwrite(std::int32_t offset, std::span<const std::uint8_t> bytes) {
  if (offset < 0 || std::uint64_t{static_cast<std::uint32_t>(offset)} + bytes.size() > static_cast<std::uint64_t>(used_)) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), data_.begin() + offset);
  return true;
}

void ObjectStream::rewind(std::int32_t used) {
  if (used >= 0 && used <= used_) used_ = used;
}

std::vector<std::uint8_t> ObjectStream::take() {
  std::vector<std::uint8_t> bytes = std::move(data_);
  bytes.resize(static_cast<std::size_t>(used_));
  *this = ObjectStream();
  return bytes;
}

bool appendToStream(ObjectStream& stream, const void* bytes, std::int64_t n, bool zeroFill) {
  return stream.append(bytes, n, zeroFill) == StreamAppend::Ok;
}

ObjectStream StartObjectStream(std::uint32_t documentFolderId) {
  ObjectStream stream;
  std::uint8_t head[request_head::kSize] = {};
  RequestHeadFields fields;
  fields.arg1 = documentFolderId;
  WriteRequestHead(head, fields);
  stream.append(head, sizeof head, true);
  stream.append(nullptr, object_stream_layout::kBatchSize, true);
  return stream;
}

void FinishObjectStream(ObjectStream& stream, std::uint32_t documentFolderId) {
  namespace L = object_stream_layout;
  std::uint8_t batch[L::kBatchSize] = {};
  putU32le(batch, L::kBatchEntryBytes, static_cast<std::uint32_t>(stream.used() - static_cast<std::int32_t>(L::kEntries)));
  putU32le(batch, L::kBatchDocumentFolder, documentFolderId);
  stream.overwrite(L::kBatch, batch);
}

bool StreamHasEntries(const ObjectStream& stream) {
  return stream.used() > static_cast<std::int32_t>(object_stream_layout::kEntries);
}

std::vector<std::uint8_t> ObjectHeaderBytes(std::uint32_t bodyLength, RecordKind kind, std::int32_t mapObjectId,
                                            std::uint32_t parentFolderId, std::uint64_t entityKey) {
  namespace H = object_header_layout;
  std::vector<std::uint8_t> h(H::kSize, 0);
  putU32le(h, H::kBodyLength, bodyLength);
  putU32le(h, H::kKind, static_cast<std::uint32_t>(kind));
  putI32le(h, H::kMapObjectId, mapObjectId);
  putU32le(h, H::kParentFolder, parentFolderId);
  putU64le(h, H::kEntityKey, entityKey);
  return h;
}

bool appendEntry(ObjectStream& stream, MapRecord record, EntityLink& link, const RecordConversion& convert) {
  const RecordKind kind = KindOf(record);
  if (link.name.empty()) {
    const std::string* name = std::visit([](const auto& r) { return &r.name; }, record);
    link.name = HostText(*name);
  }
  if (convert && (kind == RecordKind::Mark || kind == RecordKind::Line || kind == RecordKind::Area)) convert(record);
  auto body = serialiseRecord(record);
  freeRecord(record);
  if (!body) return false;
  const auto header = ObjectHeaderBytes(static_cast<std::uint32_t>(body->size()), kind, link.mapObjectId,
                                        link.parentFolderId, link.entityKey);
  // Header and body go in together or not at all.
  const std::int32_t before = stream.used();
  if (!appendToStream(stream, header.data(), static_cast<std::int64_t>(header.size()), false)) return false;
  if (!appendToStream(stream, body->data(), static_cast<std::int64_t>(body->size()), false)) {
    stream.rewind(before);
    return false;
  }
  return true;
}

}  // namespace vurk
