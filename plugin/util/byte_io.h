// Little-endian reads and writes of fixed-layout records.
//
// Every stored or wire layout of the plug-in goes through these helpers: values are copied
// byte by byte (never through a cast of the buffer), and every access is checked against the
// buffer's size. A write outside the block is our own bug (assert); a read from bytes that came
// from outside goes through ByteReader, which reports truncation instead of reading past the end.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace vurk {

inline void putU8(std::span<std::uint8_t> block, std::size_t offset, std::uint8_t v) {
  assert(offset + 1 <= block.size() && "field lies outside the block");
  block[offset] = v;
}

inline void putU16le(std::span<std::uint8_t> block, std::size_t offset, std::uint16_t v) {
  assert(offset + 2 <= block.size() && "field lies outside the block");
  block[offset] = static_cast<std::uint8_t>(v);
  block[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void putU32le(std::span<std::uint8_t> block, std::size_t offset, std::uint32_t v) {
  assert(offset + 4 <= block.size() && "field lies outside the block");
  for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void putU64le(std::span<std::uint8_t> block, std::size_t offset, std::uint64_t v) {
  assert(offset + 8 <= block.size() && "field lies outside the block");
  for (int i = 0; i < 8; ++i) block[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void putI32le(std::span<std::uint8_t> block, std::size_t offset, std::int32_t v) {
  putU32le(block, offset, static_cast<std::uint32_t>(v));
}

inline void putF64le(std::span<std::uint8_t> block, std::size_t offset, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  putU64le(block, offset, bits);
}

inline void putF32le(std::span<std::uint8_t> block, std::size_t offset, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  putU32le(block, offset, bits);
}

inline std::uint8_t getU8(std::span<const std::uint8_t> block, std::size_t offset) {
  assert(offset + 1 <= block.size() && "field lies outside the block");
  return block[offset];
}

inline std::uint16_t getU16le(std::span<const std::uint8_t> block, std::size_t offset) {
  assert(offset + 2 <= block.size() && "field lies outside the block");
  return static_cast<std::uint16_t>(block[offset] | (block[offset + 1] << 8));
}

inline std::uint32_t getU32le(std::span<const std::uint8_t> block, std::size_t offset) {
  assert(offset + 4 <= block.size() && "field lies outside the block");
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | block[offset + i];
  return v;
}

inline std::uint64_t getU64le(std::span<const std::uint8_t> block, std::size_t offset) {
  assert(offset + 8 <= block.size() && "field lies outside the block");
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | block[offset + i];
  return v;
}

inline std::int32_t getI32le(std::span<const std::uint8_t> block, std::size_t offset) {
  return static_cast<std::int32_t>(getU32le(block, offset));
}

inline double getF64le(std::span<const std::uint8_t> block, std::size_t offset) {
  const std::uint64_t bits = getU64le(block, offset);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

inline float getF32le(std::span<const std::uint8_t> block, std::size_t offset) {
  const std::uint32_t bits = getU32le(block, offset);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// A cursor over bytes that came from outside. Each read checks the full width first; after the
// first failed read the reader stays failed and every further read returns zero.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  std::size_t position() const { return pos_; }
  std::uint64_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }

  bool skip(std::uint64_t n) {
    if (!take(n)) return false;
    pos_ += static_cast<std::size_t>(n);
    return true;
  }
  std::uint8_t u8() { return take(1) ? bytes_[pos_++] : 0; }
  std::uint16_t u16le() { return read<std::uint16_t>(2, getU16le); }
  std::uint32_t u32le() { return read<std::uint32_t>(4, getU32le); }
  std::uint64_t u64le() { return read<std::uint64_t>(8, getU64le); }
  std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }
  double f64le() { return read<double>(8, getF64le); }
  float f32le() { return read<float>(4, getF32le); }
  // The next n bytes, or an empty span (and the failed state) when fewer remain.
  std::span<const std::uint8_t> bytes(std::uint64_t n) {
    if (!take(n)) return {};
    auto s = bytes_.subspan(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return s;
  }

 private:
  bool take(std::uint64_t n) {
    if (!ok_ || n > bytes_.size() - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }
  template <typename T, typename F>
  T read(std::size_t width, F getter) {
    if (!take(width)) return T{};
    T v = getter(bytes_, pos_);
    pos_ += width;
    return v;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace vurk
