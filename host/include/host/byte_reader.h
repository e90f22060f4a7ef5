// Bounds-checked little-endian reads from a received byte block.
//
// Every read names its offset and checks the full width against the block before touching a
// byte; a read that would pass the end returns nothing. Strings are taken up to the first NUL
// or the end of their field or of the block, whichever comes first, so a missing terminator
// never leads past the block. Counts read from the block are checked by the caller with
// fitsCount() in 64-bit arithmetic before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace host {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::span<const std::uint8_t> bytes() const { return bytes_; }
  // True when [offset, offset + width) lies inside the block (64-bit arithmetic).
  bool has(std::uint64_t offset, std::uint64_t width) const;
  // True when count items of itemSize bytes fit from offset on (no overflow for any count).
  bool fitsCount(std::uint64_t offset, std::uint64_t count, std::uint64_t itemSize) const;

  std::optional<std::uint8_t> u8(std::size_t offset) const;
  std::optional<std::uint16_t> u16(std::size_t offset) const;
  std::optional<std::uint32_t> u32(std::size_t offset) const;
  std::optional<std::int32_t> i32(std::size_t offset) const;
  std::optional<std::uint64_t> u64(std::size_t offset) const;
  std::optional<std::int64_t> i64(std::size_t offset) const;
  std::optional<double> f64(std::size_t offset) const;
  std::optional<float> f32(std::size_t offset) const;
  // The sub-block [offset, offset + length), or nothing when it does not fit.
  std::optional<std::span<const std::uint8_t>> slice(std::uint64_t offset, std::uint64_t length) const;

  // Bytes from offset up to the first NUL, the end of the field (fieldSize bytes) or the end
  // of the block. An offset past the end gives an empty string.
  std::string nulTerminated(std::size_t offset, std::size_t fieldSize) const;
  // UTF-16 units from offset up to the first NUL unit; nothing when no NUL unit lies inside
  // the block (a whole unit is required).
  std::optional<std::u16string> utf16Terminated(std::size_t offset) const;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace host
