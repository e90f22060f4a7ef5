// Little-endian writes into a zero-filled block of fixed size.
//
// The host builds each message it sends in one ByteWriter of the message's size; every byte
// that is not written stays zero. A write that would pass the end of the block is a bug of the
// host itself: it asserts in debug builds and is dropped otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace host {

class ByteWriter {
 public:
  explicit ByteWriter(std::size_t size) : bytes_(size, 0) {}

  std::size_t size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

  void u8(std::size_t offset, std::uint8_t v);
  void u16(std::size_t offset, std::uint16_t v);
  void u32(std::size_t offset, std::uint32_t v);
  void i32(std::size_t offset, std::int32_t v);
  void u64(std::size_t offset, std::uint64_t v);
  void i64(std::size_t offset, std::int64_t v);
  void f64(std::size_t offset, double v);
  void raw(std::size_t offset, std::span<const std::uint8_t> data);
  // Copies text into a field of fieldSize bytes and leaves at least one NUL after it: a text
  // that does not fit is cut at the last whole UTF-8 character that does. Returns the number
  // of text bytes written.
  std::size_t text(std::size_t offset, std::string_view utf8, std::size_t fieldSize);

 private:
  bool fits(std::size_t offset, std::size_t width) const;
  std::vector<std::uint8_t> bytes_;
};

// The longest prefix of utf8 of at most maxBytes that ends on a character boundary.
std::size_t utf8PrefixLength(std::string_view utf8, std::size_t maxBytes);

}  // namespace host
