// The host's installation record in the registry: "LastVersion" (REG_DWORD) and "LastRunPath"
// (REG_SZ) under the host's key. Values of another type or size are not taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "win32/types.h"

namespace vurk {

// The version, when the value is a REG_DWORD of exactly 4 bytes.
std::optional<std::int32_t> ReadHostVersion(HKEY key);
// The program path, when it is a non-empty REG_SZ of at most 259 characters (its terminator
// may be missing); empty otherwise.
std::u16string ReadHostRunPath(HKEY key);

}  // namespace vurk
