#include "win32/wstr.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

char16_t asciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c; }

// Reads an optionally signed decimal integer as MSVC's atoi family does, clamping to [lo, hi].
std::int64_t parseClamped(const char16_t* s, std::int64_t lo, std::int64_t hi) {
  if (!s) return 0;
  while (iswspace(*s)) ++s;
  bool negative = false;
  if (*s == u'+' || *s == u'-') {
    negative = *s == u'-';
    ++s;
  }
  // Accumulate the magnitude in unsigned 64 bits, saturating once past the limit.
  const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(lo + 1)) + 1 : static_cast<std::uint64_t>(hi);
  std::uint64_t v = 0;
  bool overflow = false;
  for (; *s >= u'0' && *s <= u'9'; ++s) {
    const unsigned d = static_cast<unsigned>(*s - u'0');
    if (overflow || v > (limit - d) / 10) {
      overflow = true;
      continue;
    }
    v = v * 10 + d;
  }
  if (overflow) return negative ? lo : hi;
  if (negative) return v == static_cast<std::uint64_t>(hi) + 1 ? lo : -static_cast<std::int64_t>(v);
  return static_cast<std::int64_t>(v);
}

}  // namespace

std::size_t wcslen(const char16_t* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

std::size_t wcsnlen(const char16_t* s, std::size_t max) {
  std::size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

char16_t* wcscpy(char16_t* dest, const char16_t* src) {
  char16_t* d = dest;
  while ((*d++ = *src++) != 0) {
  }
  return dest;
}

errno_t wcscpy_s(char16_t* dest, std::size_t destCount, const char16_t* src) {
  if (!dest || destCount == 0) return EINVAL;
  if (!src) {
    dest[0] = 0;
    return EINVAL;
  }
  const std::size_t n = wcsnlen(src, destCount);
  if (n >= destCount) {
    dest[0] = 0;
    return ERANGE;
  }
  for (std::size_t i = 0; i < n; ++i) dest[i] = src[i];
  dest[n] = 0;
  return 0;
}

char16_t* wcsncpy(char16_t* dest, const char16_t* src, std::size_t n) {
  std::size_t i = 0;
  for (; i < n && src[i]; ++i) dest[i] = src[i];
  for (; i < n; ++i) dest[i] = 0;
  return dest;
}

errno_t wcsncpy_s(char16_t* dest, std::size_t destCount, const char16_t* src, std::size_t count) {
  if (!dest || destCount == 0) {
    // MSVC accepts (null, 0, src, 0) as a no-op.
    return (!dest && destCount == 0 && count == 0) ? 0 : EINVAL;
  }
  if (!src) {
    dest[0] = 0;
    return count == 0 ? 0 : EINVAL;
  }
  if (count == _TRUNCATE) {
    const std::size_t n = wcsnlen(src, destCount);
    if (n >= destCount) {
      for (std::size_t i = 0; i + 1 < destCount; ++i) dest[i] = src[i];
      dest[destCount - 1] = 0;
      return STRUNCATE;
    }
    for (std::size_t i = 0; i < n; ++i) dest[i] = src[i];
    dest[n] = 0;
    return 0;
  }
  const std::size_t n = wcsnlen(src, count);
  if (n >= destCount) {
    dest[0] = 0;
    return ERANGE;
  }
  for (std::size_t i = 0; i < n; ++i) dest[i] = src[i];
  dest[n] = 0;
  return 0;
}

char16_t* wcscat(char16_t* dest, const char16_t* src) {
  wcscpy(dest + wcslen(dest), src);
  return dest;
}

errno_t wcscat_s(char16_t* dest, std::size_t destCount, const char16_t* src) {
  if (!dest || destCount == 0) return EINVAL;
  if (!src) {
    dest[0] = 0;
    return EINVAL;
  }
  const std::size_t have = wcsnlen(dest, destCount);
  if (have == destCount) {  // the destination is not terminated within its size
    dest[0] = 0;
    return EINVAL;
  }
  const std::size_t add = wcsnlen(src, destCount - have);
  if (have + add >= destCount) {
    dest[0] = 0;
    return ERANGE;
  }
  for (std::size_t i = 0; i < add; ++i) dest[have + i] = src[i];
  dest[have + add] = 0;
  return 0;
}

int wcscmp(const char16_t* a, const char16_t* b) { return wcsncmp(a, b, SIZE_MAX); }

int wcsncmp(const char16_t* a, const char16_t* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a[i] == 0) return 0;
  }
  return 0;
}

int _wcsicmp(const char16_t* a, const char16_t* b) { return _wcsnicmp(a, b, SIZE_MAX); }

int _wcsnicmp(const char16_t* a, const char16_t* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = asciiLower(a[i]);
    const char16_t y = asciiLower(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

const char16_t* wcschr(const char16_t* s, char16_t c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (*s == 0) return nullptr;
  }
}

char16_t* wcschr(char16_t* s, char16_t c) { return const_cast<char16_t*>(wcschr(static_cast<const char16_t*>(s), c)); }

const char16_t* wcsrchr(const char16_t* s, char16_t c) {
  const char16_t* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (*s == 0) return found;
  }
}

char16_t* wcsrchr(char16_t* s, char16_t c) { return const_cast<char16_t*>(wcsrchr(static_cast<const char16_t*>(s), c)); }

const char16_t* wcsstr(const char16_t* s, const char16_t* find) {
  if (!*find) return s;
  for (; *s; ++s) {
    std::size_t i = 0;
    while (find[i] && s[i] == find[i]) ++i;
    if (!find[i]) return s;
  }
  return nullptr;
}

char16_t* wcsstr(char16_t* s, const char16_t* find) {
  return const_cast<char16_t*>(wcsstr(static_cast<const char16_t*>(s), find));
}

int _wtoi(const char16_t* s) { return static_cast<int>(parseClamped(s, INT_MIN, INT_MAX)); }

LONG _wtol(const char16_t* s) { return static_cast<LONG>(parseClamped(s, INT32_MIN, INT32_MAX)); }

std::int64_t _wtoi64(const char16_t* s) { return parseClamped(s, INT64_MIN, INT64_MAX); }

double _wtof(const char16_t* s) {
  if (!s) return 0.0;
  // strtod on the ASCII prefix: characters outside ASCII cannot belong to a number.
  std::string ascii;
  for (const char16_t* p = s; *p && *p < 0x80; ++p) ascii.push_back(static_cast<char>(*p));
  return std::strtod(ascii.c_str(), nullptr);
}

char16_t towupper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

char16_t towlower(char16_t c) { return asciiLower(c); }

int iswspace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int iswdigit(char16_t c) { return c >= u'0' && c <= u'9'; }
