// Code-page conversions: UTF-16 <-> multi-byte text as Windows converts it.
//
// Models: CP_ACP / CP_THREAD_ACP resolve to the desktop's ANSI code page (936 by default,
// converted through iconv's CP936 tables), CP_UTF8 (65001), and 1252. Characters that the
// code page cannot represent become '?' (and set *usedDefaultChar). Invalid UTF-8 becomes
// U+FFFD. With a zero output size the functions return the size needed; with a buffer that is
// too small they return 0 and set ERROR_INSUFFICIENT_BUFFER.
// Limitations: flags other than 0 are ignored; no MB_ERR_INVALID_CHARS / WC_NO_BEST_FIT_CHARS.
#pragma once

#include <string>
#include <string_view>

#include "win32/types.h"

UINT GetACP();

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int byteCount, LPWSTR out, int outCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int charCount, LPSTR out, int outBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

namespace win32 {

// Whole-string conversions with the same rules (no size limits).
std::string wideToMultiByte(UINT codePage, std::u16string_view text);
std::u16string multiByteToWide(UINT codePage, std::string_view text);

// The current desktop's ANSI code page.
inline std::string toAnsi(std::u16string_view text) { return wideToMultiByte(CP_ACP, text); }
inline std::u16string fromAnsi(std::string_view text) { return multiByteToWide(CP_ACP, text); }

}  // namespace win32
