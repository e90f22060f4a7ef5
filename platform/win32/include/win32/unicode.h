// Unicode conversions between UTF-16 (char16_t) and UTF-8 for the stand-ins' own use:
// transcripts, host file names, test output. Surrogate pairs are combined; unpaired surrogates
// and malformed UTF-8 become U+FFFD. Code-page conversions for the Win32 API live in codepage.h.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace win32
