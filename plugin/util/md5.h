// MD5 message digest (RFC 1321) of byte buffers.
//
// Used for the keys of paths and documents (see hash.h) and for the line-style ids. Streamed:
// feed any number of update() calls, then final() once; or use md5() for one buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vurk {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
 public:
  Md5();

  // Appends bytes to the message. Ignored after final().
  void update(const void* data, std::size_t size);
  void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }

  // Pads the message and returns its digest. The first call finishes the computation; later
  // calls return the same digest.
  Md5Digest final();

 private:
  void transform(const std::uint8_t* block);

  std::array<std::uint32_t, 4> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;       // bytes waiting in buffer_
  std::uint64_t messageBytes_ = 0; // total length of the message so far
  bool finished_ = false;
  Md5Digest digest_{};
};

// Digest of one buffer.
Md5Digest md5(const void* data, std::size_t size);
inline Md5Digest md5(std::string_view bytes) { return md5(bytes.data(), bytes.size()); }

// Lower-case hexadecimal form of a digest (32 characters).
std::string md5Hex(const Md5Digest& digest);

}  // namespace vurk
