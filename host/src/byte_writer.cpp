#include "host/byte_writer.h"

#include <cassert>
#include <cstring>

namespace host {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the UTF-8 sequence that a lead byte starts; 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

std::size_t utf8PrefixLength(std::string_view utf8, std::size_t maxBytes) {
  std::size_t at = 0;
  while (at < utf8.size()) {
    const std::size_t len = sequenceLength(static_cast<unsigned char>(utf8[at]));
    if (len == 0 || at + len > utf8.size()) break;  // malformed: stop before it
    bool whole = true;
    for (std::size_t i = 1; i < len; ++i) whole = whole && isContinuation(static_cast<unsigned char>(utf8[at + i]));
    if (!whole || at + len > maxBytes) break;
    at += len;
  }
  return at;
}

bool ByteWriter::fits(std::size_t offset, std::size_t width) const {
  const bool ok = offset <= bytes_.size() && width <= bytes_.size() - offset;
  assert(ok && "host message written past the end of its block");
  return ok;
}

void ByteWriter::u8(std::size_t offset, std::uint8_t v) {
  if (fits(offset, 1)) bytes_[offset] = v;
}

void ByteWriter::u16(std::size_t offset, std::uint16_t v) {
  if (!fits(offset, 2)) return;
  for (std::size_t i = 0; i < 2; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void ByteWriter::u32(std::size_t offset, std::uint32_t v) {
  if (!fits(offset, 4)) return;
  for (std::size_t i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void ByteWriter::i32(std::size_t offset, std::int32_t v) { u32(offset, static_cast<std::uint32_t>(v)); }

void ByteWriter::u64(std::size_t offset, std::uint64_t v) {
  if (!fits(offset, 8)) return;
  for (std::size_t i = 0; i < 8; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void ByteWriter::i64(std::size_t offset, std::int64_t v) { u64(offset, static_cast<std::uint64_t>(v)); }

void ByteWriter::f64(std::size_t offset, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, 8);
  u64(offset, bits);
}

void ByteWriter::raw(std::size_t offset, std::span<const std::uint8_t> data) {
  if (data.empty() || !fits(offset, data.size())) return;
  std::memcpy(bytes_.data() + offset, data.data(), data.size());
}

std::size_t ByteWriter::text(std::size_t offset, std::string_view utf8, std::size_t fieldSize) {
  if (fieldSize == 0 || !fits(offset, fieldSize)) return 0;
  const std::size_t n = utf8PrefixLength(utf8, fieldSize - 1);
  if (n != 0) std::memcpy(bytes_.data() + offset, utf8.data(), n);
  return n;
}

}  // namespace host
