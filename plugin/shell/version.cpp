#include "shell/version.h"

#include "win32/unicode.h"

namespace vurk {

std::u16string VersionText(int version) {
  const int major = version / 100;
  const int minor = (version - major * 100) / 10;
  const int patch = version % 10;
  return win32::utf8ToUtf16("V" + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch));
}

}  // namespace vurk
