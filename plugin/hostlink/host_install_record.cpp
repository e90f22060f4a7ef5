#include "hostlink/host_install_record.h"

#include <algorithm>

#include "win32/winreg.h"

namespace vurk {

namespace {
constexpr std::size_t kPathUnits = 260;  // the terminator included
}

std::optional<std::int32_t> ReadHostVersion(HKEY key) {
  BYTE data[4] = {};
  DWORD type = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExW(key, u"LastVersion", nullptr, &type, data, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_DWORD || size != sizeof data) return std::nullopt;
  const std::uint32_t v = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                          (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  return static_cast<std::int32_t>(v);
}

std::u16string ReadHostRunPath(HKEY key) {
  BYTE data[kPathUnits * 2] = {};
  DWORD type = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExW(key, u"LastRunPath", nullptr, &type, data, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ) return {};
  // The data need not end in a terminator: take the characters up to one or to the data's end.
  const std::size_t units = std::min<std::size_t>(size / 2, kPathUnits);
  std::u16string path;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t c = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (c == u'\0') break;
    path.push_back(c);
  }
  if (path.size() > kPathUnits - 1) return {};  // no room for the terminator: too long
  return path;
}

}  // namespace vurk
