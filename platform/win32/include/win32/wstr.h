// The CRT's wide-string functions over 16-bit characters (char16_t), as MSVC provides them.
//
// Models: the <wchar.h>/<stdlib.h> functions the plug-in calls on WCHAR text, with MSVC's
// names and results: wcslen, wcscpy/wcscpy_s, wcsncpy/wcsncpy_s (with _TRUNCATE), wcscat/
// wcscat_s, wcscmp, wcsncmp, _wcsicmp, _wcsnicmp, wcschr, wcsrchr, wcsstr, _wtoi, _wtol,
// _wtoi64, _wtof, towupper, towlower, iswspace, iswdigit. They are overloads on char16_t next
// to glibc's wchar_t functions (which stay untouched; wchar_t is 32-bit here and never used).
//
// Comparisons order by unsigned 16-bit code units (as MSVC's wcscmp does). _wcsicmp and
// _wcsnicmp fold only 'A'..'Z' to lower case before comparing, as MSVC does in the "C" locale,
// so "_" (0x5F) sorts before "a" and "Ä" does not equal "ä". towupper/towlower are likewise
// ASCII-only. Names that Windows compares case-insensitively (files, window classes,
// registered messages) use the wider fold of win32/case_fold.h instead.
//
// _wtoi/_wtol/_wtoi64 skip leading white space, take an optional sign and decimal digits, and
// stop at the first other character; an overflow clamps to the type's limit (INT_MAX/INT_MIN,
// LONG is 32-bit, _I64_MAX/_I64_MIN) as MSVC does. _wtof reads a decimal or hexadecimal
// floating-point number, "inf"/"infinity"/"nan" (any case); characters outside ASCII end it.
//
// The _s functions check their arguments as MSVC does and report failures by return value:
// EINVAL for a null destination, a zero size or a null source, ERANGE when the text does not
// fit; the destination (when there is one) is set to an empty string. wcsncpy_s with count
// _TRUNCATE copies what fits, terminates and returns STRUNCATE (80).
// Limitations: MSVC would also call the invalid-parameter handler (which ends the program by
// default) on those failures; here only the error code reports them. No locale support: every
// function behaves as in the "C" locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string_view>

#include "win32/types.h"

using errno_t = int;
#ifndef _TRUNCATE
#define _TRUNCATE (static_cast<std::size_t>(-1))
#endif
#ifndef STRUNCATE
#define STRUNCATE 80
#endif

std::size_t wcslen(const char16_t* s);
std::size_t wcsnlen(const char16_t* s, std::size_t max);
char16_t* wcscpy(char16_t* dest, const char16_t* src);
errno_t wcscpy_s(char16_t* dest, std::size_t destCount, const char16_t* src);
// Copies at most n units; pads with NULs when src is shorter; no terminator when it is not.
char16_t* wcsncpy(char16_t* dest, const char16_t* src, std::size_t n);
errno_t wcsncpy_s(char16_t* dest, std::size_t destCount, const char16_t* src, std::size_t count);
char16_t* wcscat(char16_t* dest, const char16_t* src);
errno_t wcscat_s(char16_t* dest, std::size_t destCount, const char16_t* src);

int wcscmp(const char16_t* a, const char16_t* b);
int wcsncmp(const char16_t* a, const char16_t* b, std::size_t n);
int _wcsicmp(const char16_t* a, const char16_t* b);
int _wcsnicmp(const char16_t* a, const char16_t* b, std::size_t n);

const char16_t* wcschr(const char16_t* s, char16_t c);
char16_t* wcschr(char16_t* s, char16_t c);
const char16_t* wcsrchr(const char16_t* s, char16_t c);
char16_t* wcsrchr(char16_t* s, char16_t c);
const char16_t* wcsstr(const char16_t* s, const char16_t* find);
char16_t* wcsstr(char16_t* s, const char16_t* find);

int _wtoi(const char16_t* s);
LONG _wtol(const char16_t* s);
std::int64_t _wtoi64(const char16_t* s);
double _wtof(const char16_t* s);

char16_t towupper(char16_t c);
char16_t towlower(char16_t c);
int iswspace(char16_t c);
int iswdigit(char16_t c);
