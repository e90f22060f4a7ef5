// Private-profile (INI) files: the Win32 profile calls on real files in the sandbox.
//
// Models: section and key names compare case-insensitively; a value is read with surrounding
// blanks and one pair of enclosing quotes (" or ') removed; the first of duplicated sections or
// keys is the one used. GetPrivateProfileStringW copies at most size-1 characters and a NUL and
// returns the count copied (a missing key gives the default without its trailing blanks, and
// GetLastError 2); with a null key it lists the section's key names, with a null section the
// section names (each NUL-terminated, a second NUL at the end; when the buffer is too small
// the list is cut and size-2 is returned). WritePrivateProfileStringW creates the file and the
// section, replaces an existing key's line in place, appends a new key after the last line of
// its section and a new section at the end of the file; a null value deletes the key, a null
// key deletes the section; it fails when the folder does not exist. The struct calls store
// two upper-case hex digits per byte followed by two digits of the byte sum modulo 256; the
// read succeeds only for exactly 2n+2 hex digits with a matching sum and touches the caller's
// buffer only then. A file name without a folder lives in C:\Windows, as on Windows.
// Files are ANSI text in the desktop's code page with CR LF line ends; characters outside the
// code page are written as '?'. A file that starts with the UTF-16LE mark FF FE is read and
// kept as UTF-16. Every write goes to a temporary file in the same folder that is flushed and
// renamed over the INI, and only the addressed line changes, so a failed write (disk full,
// read-only folder) leaves the old file byte for byte and returns FALSE. Malformed text (very
// long lines, a "[" without "]", binary bytes) is read without harm: such lines are neither
// sections nor keys and are kept as they are.
// Limitations: no profile cache and no registry mapping of profile files; files larger than
// 32 MiB are treated as unreadable (reads give the default, writes fail with
// ERROR_ACCESS_DENIED); GetPrivateProfileIntW reads an optional sign and decimal digits, or
// hexadecimal digits after "0x".
#pragma once

#include "win32/types.h"

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName);
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
BOOL GetPrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR fileName);
BOOL WritePrivateProfileStructW(LPCWSTR section, LPCWSTR key, LPVOID data, UINT size, LPCWSTR fileName);
