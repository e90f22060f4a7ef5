#include "util/hash.h"

#include <string>

#include "util/md5.h"
#include "win32/codepage.h"

namespace vurk {

std::uint32_t Hash31(const void* bytes, std::size_t length) {
  const Md5Digest d = md5(bytes, length);
  const std::uint32_t v = static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8) |
                          (static_cast<std::uint32_t>(d[2]) << 16) | (static_cast<std::uint32_t>(d[3]) << 24);
  return v & 0x7FFFFFFFu;
}

std::uint64_t PathKeyOfAnsi(std::string_view ansiPath) {
  const Md5Digest d = md5(ansiPath);
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | d[static_cast<std::size_t>(i)];
  return v & 0x7FFFFFFFFFFFFFFFull;
}

std::uint64_t PathKey(std::u16string_view path) {
  // The whole path is converted: cutting it to a fixed buffer would give two long paths with
  // the same beginning the same key.
  return PathKeyOfAnsi(win32::wideToMultiByte(CP_ACP, path));
}

}  // namespace vurk
