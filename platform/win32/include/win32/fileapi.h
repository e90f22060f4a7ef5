// File and folder calls of Win32 and the C runtime, acting on the desktop's virtual file
// system (win32/file_system.h).
//
// Models: the calls below with their documented results and GetLastError codes: 2 for a missing
// file, 3 for a missing folder on the way, 5 for a read-only folder, 145 for a folder that is
// not empty, 183 for an existing target, 17 between volumes without MOVEFILE_COPY_ALLOWED.
// Buffer sizes follow the usual rule: on success the length without the terminating NUL, for
// a buffer that is too small the size needed including it, buffer untouched. Enumeration lists
// "." and ".." first for folders other than a volume root, then the entries in case-insensitive
// name order (deterministic, as NTFS returns them). The CRT stand-ins return a real FILE* that
// fread/fwrite/fprintf/fclose work on; in text mode (no "b") "\n" is written as CR LF, CR LF
// reads back as "\n" and Ctrl-Z ends the input, as the Windows CRT does. Writes obey the
// sandbox's read-only folders and disk-full switches; a file open through the CRT cannot be
// deleted or renamed (ERROR_SHARING_VIOLATION), as Windows refuses it.
// CreateFileW opens an existing file, or a folder with FILE_FLAG_BACKUP_SEMANTICS (without it a
// folder is ERROR_ACCESS_DENIED), following symbolic links, for GetFileInformationByHandle:
// the volume serial number and file index identify what the path names, so two paths name the
// same folder exactly when both agree; close the handle with CloseHandle.
// Limitations: CreateFileW handles only query (OPEN_EXISTING; no reading, writing or creating:
// ERROR_NOT_SUPPORTED); no ", ccs=" modes; no 8.3 names (GetShortPathNameW
// returns the path it is given); SHGetSpecialFolderLocation knows CSIDL_PERSONAL, CSIDL_APPDATA
// and CSIDL_LOCAL_APPDATA; file times are the host's modification time; text-mode "a" does not
// strip a trailing Ctrl-Z of the existing file.
#pragma once

#include <cstdio>

#include "win32/types.h"

// Error codes the file calls report besides those of win32/types.h.
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_DIRECTORY = 267;

// MoveFileExW flags.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;

// CreateFileW.
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

// COM results of the shell folder calls.
using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// CSIDL numbers of the folders the desktop knows.
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;
using PULARGE_INTEGER = ULARGE_INTEGER*;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};

// An item-id list: opaque to callers; made by SHGetSpecialFolderLocation, freed by CoTaskMemFree.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL DeleteFileW(LPCWSTR path);
BOOL MoveFileW(LPCWSTR existing, LPCWSTR target);
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags);
BOOL CopyFileW(LPCWSTR existing, LPCWSTR target, BOOL failIfExists);
DWORD GetFileAttributesW(LPCWSTR path);
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
BOOL FindClose(HANDLE find);

BOOL GetDiskFreeSpaceExW(LPCWSTR directory, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree);
DWORD GetTempPathW(DWORD size, LPWSTR buffer);
DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR path);
DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart);
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size);

HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* pidl);
// Copies the folder path into path, which must hold MAX_PATH characters.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path);
LPVOID CoTaskMemAlloc(std::size_t bytes);
void CoTaskMemFree(LPVOID block);

// C runtime: files opened in the sandbox. errno is set as the CRT sets it.
using errno_t = int;
FILE* _wfopen(const char16_t* path, const char16_t* mode);
// The path is in the desktop's ANSI code page.
errno_t fopen_s(FILE** file, const char* ansiPath, const char* mode);
int _wremove(const char16_t* path);
int _wrename(const char16_t* oldPath, const char16_t* newPath);
