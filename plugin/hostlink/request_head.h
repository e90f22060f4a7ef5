// The 16-byte head at the start of every request payload the plug-in allocates, and the zeroed
// payload buffer itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

#include "util/byte_io.h"

namespace vurk {

namespace request_head {
inline constexpr std::size_t kMark = 0;   // u16, always 101
inline constexpr std::size_t kKind = 2;   // u8, record kind of an attached object record, else 0
inline constexpr std::size_t kFlag = 3;   // u8, request flag
inline constexpr std::size_t kArg1 = 4;   // u32, first request argument
inline constexpr std::size_t kArg2 = 8;   // u32, second request argument (object or list id)
inline constexpr std::size_t kArg3 = 12;  // u32, third request argument (flags of DelObj)
inline constexpr std::size_t kSize = 16;
inline constexpr std::uint16_t kMarkValue = 101;
}  // namespace request_head

struct RequestHeadFields {
  std::uint8_t kind = 0;
  std::uint8_t flag = 0;
  std::uint32_t arg1 = 0;
  std::uint32_t arg2 = 0;
  std::uint32_t arg3 = 0;
};

inline void WriteRequestHead(std::span<std::uint8_t> payload, const RequestHeadFields& f) {
  putU16le(payload, request_head::kMark, request_head::kMarkValue);
  putU8(payload, request_head::kKind, f.kind);
  putU8(payload, request_head::kFlag, f.flag);
  putU32le(payload, request_head::kArg1, f.arg1);
  putU32le(payload, request_head::kArg2, f.arg2);
  putU32le(payload, request_head::kArg3, f.arg3);
}

// A zero-filled request payload owned by the wrapper that builds it. Allocation does not throw:
// a size the message cannot carry (cbData is 32 bits; we stop at 2 GiB) or memory that is not
// there leaves the payload empty and ok() false, and the wrapper reports it.
class RequestPayload {
 public:
  static constexpr std::uint64_t kMaxBytes = 0x7FFFFFFF;

  explicit RequestPayload(std::uint64_t size) {
    if (size == 0 || size > kMaxBytes) return;
    bytes_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]());
    if (bytes_) size_ = static_cast<std::size_t>(size);
  }
  bool ok() const { return bytes_ != nullptr; }
  std::span<std::uint8_t> bytes() { return {bytes_.get(), size_}; }
  std::span<const std::uint8_t> bytes() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace vurk
