// printf-style formatting with MSVC's rules, for narrow (char) and wide (char16_t) formats.
//
// Models the format language of MSVC's CRT (swprintf_s, CString::Format, acutPrintf):
//  - strings and characters: %s / %c are the format's own width (a wide string in a wide
//    format, a narrow one in a narrow format); %S / %C are the other width; %hs / %hc are always
//    narrow, %ls / %lc / %ws / %wc always wide. Narrow text written into a wide result, and wide
//    text written into a narrow result, is converted with the desktop's ANSI code page (936
//    unless the session chose another; see codepage.h), unmappable characters becoming '?'.
//    A null string argument prints "(null)". A precision limits the units written: for text of
//    the format's own width it counts units of the argument, which is read no further (so an
//    unterminated array with a precision is fine; a narrow double-byte character may be cut,
//    as in MSVC); converted text is read up to its terminator, converted, and cut to whole
//    characters of the result.
//  - integers %d %i %u %x %X %o with size prefixes hh, h, l (32-bit, as on Windows: LONG and
//    DWORD), ll, I64, I32, I (pointer-sized), z, j, t (64-bit);
//  - floating point %f %F %e %E %g %G %a %A read a double (l and L change nothing: long double
//    is double on Windows). %a without a precision prints 13 hexadecimal digits, as MSVC does
//    ("0x1.0000000000000p+0"). Infinity prints "inf", a NaN "nan", the indeterminate NaN of
//    0.0/0.0 "-nan(ind)" and a signalling NaN "nan(snan)" (upper case for F, E, G, A);
//  - %p prints 16 upper-case hexadecimal digits without a prefix, as MSVC on x64;
//  - %% prints '%'; flags - + space # 0; width and precision, either may be '*'
//    (a negative '*' width means '-' with its magnitude, a negative '*' precision none).
//    The '0' flag pads with zeros after any sign or 0x prefix; like MSVC it also zero-pads
//    strings and characters. It is ignored for integers with a precision, and for inf/nan.
//  - an invalid directive (an unknown conversion, a size prefix that does not fit it, a '%' at
//    the end, %n, which MSVC disables) makes the whole call fail.
//
// Results:
//  - formatWide / formatNarrow return the text; an invalid format is a programming error:
//    debug builds assert, release builds return an empty string.
//  - swprintf_s / vswprintf_s / sprintf_s / vsprintf_s(buffer, count, ...) return the length
//    written (without the terminator). When the text and its terminator do not fit in count
//    units, or the format is invalid, or buffer is null or count is 0, they return -1 and leave
//    an empty string (when there is a buffer).
//  - _snwprintf_s / _vsnwprintf_s / _snprintf_s / _vsnprintf_s(buffer, size, count, ...):
//    with count == _TRUNCATE they write what fits in size - 1 units, terminate, and return -1
//    when that cut the text (else the length). With count < size they write at most count
//    units and terminate, returning -1 when the text was longer. With count >= size they behave
//    like swprintf_s (the text must fit in size - 1 units, else -1 and an empty string).
//  - _scwprintf / _vscwprintf / _scprintf return the length the text would have (-1 for an
//    invalid format).
//
// Limitations: arguments must have the Windows sizes the directive names (%ld reads 32 bits:
// pass LONG, not a 64-bit Linux long; %lld/%I64d read 64 bits); as on Windows there is no type
// checking. MSVC would also call its invalid-parameter handler (which ends the program by
// default) where these functions return -1 for a buffer that is too small; here the return
// value alone reports it. MSVC converts %S text with the CRT locale's code page and fails the
// call for an unmappable character; here the desktop's ANSI code page is used and '?' is
// written. Widths and precisions above 1,000,000 fail the call (no real format needs them).
// No positional arguments (%1$d), no %Z.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

#include "win32/types.h"
#include "win32/wstr.h"

namespace win32 {

std::u16string formatWide(const char16_t* fmt, ...);
std::u16string vformatWide(const char16_t* fmt, va_list args);
std::string formatNarrow(const char* fmt, ...);
std::string vformatNarrow(const char* fmt, va_list args);

// The status-reporting core of the functions above: appends to out and returns 0, or returns
// -1 for an invalid format (out then holds the text before the bad directive).
int formatInto(std::u16string& out, const char16_t* fmt, va_list args);
int formatInto(std::string& out, const char* fmt, va_list args);

}  // namespace win32

int swprintf_s(char16_t* buffer, std::size_t count, const char16_t* fmt, ...);
int vswprintf_s(char16_t* buffer, std::size_t count, const char16_t* fmt, va_list args);
int _snwprintf_s(char16_t* buffer, std::size_t size, std::size_t count, const char16_t* fmt, ...);
int _vsnwprintf_s(char16_t* buffer, std::size_t size, std::size_t count, const char16_t* fmt, va_list args);
int _scwprintf(const char16_t* fmt, ...);
int _vscwprintf(const char16_t* fmt, va_list args);

int sprintf_s(char* buffer, std::size_t count, const char* fmt, ...);
int vsprintf_s(char* buffer, std::size_t count, const char* fmt, va_list args);
int _snprintf_s(char* buffer, std::size_t size, std::size_t count, const char* fmt, ...);
int _vsnprintf_s(char* buffer, std::size_t size, std::size_t count, const char* fmt, va_list args);
int _scprintf(const char* fmt, ...);
