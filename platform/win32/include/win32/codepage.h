// Code-page conversions: UTF-16 <-> multi-byte text as Windows converts it.
//
// Models: CP_ACP / CP_THREAD_ACP resolve to the desktop's ANSI code page (936 by default,
// converted with tables taken from iconv's "CP936"), CP_UTF8 (65001), and 1252 (built in, with
// Windows' mapping of 0x80..0x9F, including the five holes that become U+0081, U+008D, U+008F,
// U+0090, U+009D). Characters that the code page cannot represent become '?' (or the caller's
// default character) and set *usedDefaultChar. Invalid UTF-8 becomes U+FFFD, one per maximal
// invalid subpart (so "E4 B8" at the end gives one U+FFFD, "C0 80" gives two); a lone surrogate
// written as UTF-8 becomes EF BF BD (U+FFFD), as Windows does.
//
// Call rules kept from Windows:
//  - a byte/char count of -1 means "NUL-terminated"; the terminator is converted and counted;
//  - an output size of 0 asks for the size needed (nothing is written);
//  - an output buffer that is too small gives 0 and ERROR_INSUFFICIENT_BUFFER (the whole
//    characters that fit have been written, without a terminator);
//  - a null input, a count of 0 or below -1, or a negative output size gives 0 and
//    ERROR_INVALID_PARAMETER; an unknown code page gives ERROR_INVALID_PARAMETER;
//  - for CP_UTF8, defaultChar and usedDefaultChar must be null (else ERROR_INVALID_PARAMETER);
//  - MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS make invalid input fail with
//    ERROR_NO_UNICODE_TRANSLATION instead of being replaced; MB_PRECOMPOSED is accepted and
//    changes nothing (except with CP_UTF8, where Windows rejects it); WC_NO_BEST_FIT_CHARS is
//    accepted (there is no best fit anyway); any other flag fails with ERROR_INVALID_FLAGS.
//
// Limitations: the CP936 tables are glibc's, which leave a few codes that Windows defines
// unmapped (the user-defined areas such as AAA1..AFFE that Windows maps to private-use code
// points, 0xFF, A8BF); those decode to '?' here. No best-fit mappings (Windows without
// WC_NO_BEST_FIT_CHARS maps e.g. some accented letters to plain ones in some code pages; here
// they become '?'). A character outside the BMP (a surrogate pair) that the code page cannot
// hold becomes a single '?'. In CP936 an invalid lead/trail pair becomes one '?': when the
// second byte is not a trail byte (below 0x40, 0x7F or 0xFF) only the lead byte is replaced,
// so an ASCII character after it survives. Only code pages 936, 1252 and 65001 exist.
// The tables are a process-wide cache built once on first use (std::call_once) and never
// changed afterwards, so every desktop and thread may share them.
#pragma once

#include <string>
#include <string_view>

#include "win32/types.h"

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;

UINT GetACP();

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int byteCount, LPWSTR out, int outCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int charCount, LPSTR out, int outBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

namespace win32 {

// Whole-string conversions with the same rules (no size limits, no failure: invalid input is
// replaced). An unknown code page gives an empty string.
std::string wideToMultiByte(UINT codePage, std::u16string_view text);
std::u16string multiByteToWide(UINT codePage, std::string_view text);

// The current desktop's ANSI code page.
inline std::string toAnsi(std::u16string_view text) { return wideToMultiByte(CP_ACP, text); }
inline std::u16string fromAnsi(std::string_view text) { return multiByteToWide(CP_ACP, text); }

// True for the code pages this desktop can convert (after resolving CP_ACP / CP_THREAD_ACP).
bool isSupportedCodePage(UINT codePage);

}  // namespace win32
