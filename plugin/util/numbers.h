// Number formatting and parsing for settings values, keys and messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "win32/types.h"

namespace vurk {

// Smallest buffer IntToText accepts: 64 binary digits, a sign and the terminating zero.
constexpr std::size_t kIntTextSize = 66;

// Writes the value in the radix (2..36, digits 0-9 then a-z) into buffer and returns the
// number of characters (without the terminating zero). Only radix 10 shows a negative value
// with a leading '-'; every other radix writes the 64-bit pattern as an unsigned number.
// A radix outside 2..36, or a buffer smaller than kIntTextSize, gives the empty text (when
// the buffer has room for the zero) and 0.
std::size_t IntToText(std::int64_t value, char* buffer, std::size_t size, int radix);
std::string IntToText(std::int64_t value, int radix);

// Reads an unsigned number from the beginning of a text (which ends at its first NUL):
//  - three or more characters starting with "0x" or "0X": hexadecimal, at most 16 digits,
//    stopping at the first other character;
//  - otherwise decimal digits, stopping at the first non-digit or after 23 characters;
//    a value that does not fit in 64 bits gives 0 (unknown);
//  - empty text, or text that does not start with a digit, gives 0.
std::uint64_t ParseNumber(std::string_view text);
std::uint64_t ParseNumber(std::u16string_view text);

// Formats into a buffer of `count` characters with the Windows printf rules (see
// win32/format.h) and returns the characters written, without the terminator. When the text
// and its terminator do not fit, or the format is invalid, the buffer holds the empty string
// and the result is -1.
int FormatWide(char16_t* buffer, std::size_t count, const char16_t* format, ...);

}  // namespace vurk
