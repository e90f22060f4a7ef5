#include "host/byte_reader.h"

#include <cstring>

namespace host {

namespace {

template <typename T>
std::optional<T> readLe(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return std::nullopt;
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::uint64_t>(bytes[offset + i]) << (8 * i);
  T out;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&out, &v, 8);
  } else {
    const auto narrow = static_cast<std::uint32_t>(v);
    if constexpr (sizeof(T) == 4) {
      std::memcpy(&out, &narrow, 4);
    } else if constexpr (sizeof(T) == 2) {
      const auto n16 = static_cast<std::uint16_t>(narrow);
      std::memcpy(&out, &n16, 2);
    } else {
      const auto n8 = static_cast<std::uint8_t>(narrow);
      std::memcpy(&out, &n8, 1);
    }
  }
  return out;
}

}  // namespace

bool ByteReader::has(std::uint64_t offset, std::uint64_t width) const {
  const std::uint64_t n = bytes_.size();
  return offset <= n && width <= n - offset;
}

bool ByteReader::fitsCount(std::uint64_t offset, std::uint64_t count, std::uint64_t itemSize) const {
  const std::uint64_t n = bytes_.size();
  if (offset > n) return false;
  if (itemSize == 0) return true;
  return count <= (n - offset) / itemSize;
}

std::optional<std::uint8_t> ByteReader::u8(std::size_t offset) const { return readLe<std::uint8_t>(bytes_, offset); }
std::optional<std::uint16_t> ByteReader::u16(std::size_t offset) const { return readLe<std::uint16_t>(bytes_, offset); }
std::optional<std::uint32_t> ByteReader::u32(std::size_t offset) const { return readLe<std::uint32_t>(bytes_, offset); }
std::optional<std::int32_t> ByteReader::i32(std::size_t offset) const { return readLe<std::int32_t>(bytes_, offset); }
std::optional<std::uint64_t> ByteReader::u64(std::size_t offset) const { return readLe<std::uint64_t>(bytes_, offset); }
std::optional<std::int64_t> ByteReader::i64(std::size_t offset) const { return readLe<std::int64_t>(bytes_, offset); }
std::optional<double> ByteReader::f64(std::size_t offset) const { return readLe<double>(bytes_, offset); }
std::optional<float> ByteReader::f32(std::size_t offset) const { return readLe<float>(bytes_, offset); }

std::optional<std::span<const std::uint8_t>> ByteReader::slice(std::uint64_t offset, std::uint64_t length) const {
  if (!has(offset, length)) return std::nullopt;
  return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

std::string ByteReader::nulTerminated(std::size_t offset, std::size_t fieldSize) const {
  if (offset >= bytes_.size()) return {};
  const std::size_t room = bytes_.size() - offset;
  const std::size_t limit = fieldSize < room ? fieldSize : room;
  std::size_t n = 0;
  while (n < limit && bytes_[offset + n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(bytes_.data() + offset), n);
}

std::optional<std::u16string> ByteReader::utf16Terminated(std::size_t offset) const {
  std::u16string out;
  for (std::size_t at = offset; has(at, 2); at += 2) {
    const auto unit = static_cast<char16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    if (unit == 0) return out;
    out.push_back(unit);
  }
  return std::nullopt;
}

}  // namespace host
