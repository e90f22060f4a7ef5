// Keys computed from MD5 digests: the 31-bit Hash31 of a byte buffer and the 63-bit PathKey of
// a path.
//
// PathKey is the identity of a file path across the plug-in: the path is converted to the ANSI
// code page, hashed with MD5, and the first eight digest bytes are read as a little-endian
// integer with bit 63 cleared. Its decimal form names tile image definitions and cache folders,
// keys drawings in the settings file and keys the per-drawing link state. The bytes must be
// those of the ANSI code page (936 on a Chinese Windows) so that keys written by one build are
// found by another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vurk {

// First four digest bytes of the MD5 of the bytes, little-endian, bit 31 cleared.
std::uint32_t Hash31(const void* bytes, std::size_t length);

// The key of a path given as UTF-16; converted with the current desktop's ANSI code page
// (characters the code page cannot hold become '?', as Windows converts them).
std::uint64_t PathKey(std::u16string_view path);

// The key of a path already held in the ANSI code page.
std::uint64_t PathKeyOfAnsi(std::string_view ansiPath);

}  // namespace vurk
