#include "win32/codepage.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "win32/desktop.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr std::uint16_t kNoBytes = 0xFFFF;  // encode table: not representable
constexpr char16_t kNoChar = 0;             // double-byte decode table: not mapped

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A single- or double-byte code page as two lookup tables. Built once, read-only afterwards.
struct ByteTable {
  bool available = false;
  std::array<char16_t, 256> single{};  // kReplacement in a slot that is a lead byte or invalid
  std::array<bool, 256> lead{};
  // Double-byte codes: index (lead - 0x81) * 192 + (trail - 0x40).
  std::vector<char16_t> dbcs;
  std::vector<std::uint16_t> encode;  // UTF-16 unit -> byte (< 0x100) or lead << 8 | trail

  static std::size_t dbcsIndex(unsigned lead, unsigned trail) { return (lead - 0x81) * 192 + (trail - 0x40); }
  static bool isTrail(unsigned t) { return t >= 0x40 && t <= 0xFE && t != 0x7F; }

  void buildEncodeTable() {
    encode.assign(0x10000, kNoBytes);
    for (unsigned b = 0; b < 256; ++b) {
      if (!lead[b] && single[b] != kReplacement && encode[single[b]] == kNoBytes) encode[single[b]] = static_cast<std::uint16_t>(b);
    }
    if (dbcs.empty()) return;
    for (unsigned l = 0x81; l <= 0xFE; ++l) {
      for (unsigned t = 0x40; t <= 0xFE; ++t) {
        const char16_t c = dbcs[dbcsIndex(l, t)];
        if (c != kNoChar && encode[c] == kNoBytes) encode[c] = static_cast<std::uint16_t>((l << 8) | t);
      }
    }
  }
};

// Converts one short byte sequence to a single UTF-16 unit through iconv; kNoChar if unmapped.
char16_t iconvOne(iconv_t cd, const unsigned char* bytes, std::size_t n) {
  char in[2];
  std::memcpy(in, bytes, n);
  char out[8];
  char* ip = in;
  char* op = out;
  std::size_t il = n;
  std::size_t ol = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
  if (r == static_cast<std::size_t>(-1) || il != 0 || op - out != 2) return kNoChar;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
}

// GBK as glibc's iconv knows it under "CP936".
void buildCp936(ByteTable& t) {
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  for (unsigned b = 0; b < 0x80; ++b) t.single[b] = static_cast<char16_t>(b);
  for (unsigned b = 0x80; b < 0x100; ++b) {
    t.lead[b] = b >= 0x81 && b <= 0xFE;
    t.single[b] = kReplacement;
    if (!t.lead[b]) {
      const unsigned char one = static_cast<unsigned char>(b);
      const char16_t c = iconvOne(cd, &one, 1);
      if (c != kNoChar) t.single[b] = c;
    }
  }
  t.dbcs.assign(126 * 192, kNoChar);
  for (unsigned l = 0x81; l <= 0xFE; ++l) {
    for (unsigned tr = 0x40; tr <= 0xFE; ++tr) {
      if (!ByteTable::isTrail(tr)) continue;
      const unsigned char pair[2] = {static_cast<unsigned char>(l), static_cast<unsigned char>(tr)};
      t.dbcs[ByteTable::dbcsIndex(l, tr)] = iconvOne(cd, pair, 2);
    }
  }
  iconv_close(cd);
  t.buildEncodeTable();
  t.available = true;
}

// Windows-1252: Latin-1 with 0x80..0x9F as Windows defines them (holes map to C1 controls).
void buildCp1252(ByteTable& t) {
  static constexpr char16_t k80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (unsigned b = 0; b < 256; ++b) t.single[b] = (b >= 0x80 && b < 0xA0) ? k80[b - 0x80] : static_cast<char16_t>(b);
  t.buildEncodeTable();
  t.available = true;
}

// Process-wide, immutable once built: the tables never depend on a desktop.
struct TableCache {
  std::once_flag once936;
  std::once_flag once1252;
  ByteTable cp936;
  ByteTable cp1252;
};
TableCache g_tables;

const ByteTable* tableFor(UINT cp) {
  if (cp == 936) {
    std::call_once(g_tables.once936, [] { buildCp936(g_tables.cp936); });
    return g_tables.cp936.available ? &g_tables.cp936 : nullptr;
  }
  if (cp == 1252) {
    std::call_once(g_tables.once1252, [] { buildCp1252(g_tables.cp1252); });
    return &g_tables.cp1252;
  }
  return nullptr;
}

UINT resolve(UINT cp) { return (cp == CP_ACP || cp == CP_THREAD_ACP) ? GetACP() : cp; }

// ---------------------------------------------------------------- decoding

struct Decoded {
  std::u16string text;
  bool invalid = false;
};

void pushCodePoint(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

// UTF-8 with one U+FFFD per maximal invalid subpart.
Decoded decodeUtf8(const unsigned char* s, std::size_t n) {
  Decoded d;
  d.text.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const unsigned b = s[i];
    if (b < 0x80) {
      d.text.push_back(static_cast<char16_t>(b));
      ++i;
      continue;
    }
    std::size_t len = 0;
    unsigned lo = 0x80;
    unsigned hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
    } else if (b == 0xE0) {
      len = 3;
      lo = 0xA0;
    } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
      len = 3;
    } else if (b == 0xED) {
      len = 3;
      hi = 0x9F;
    } else if (b == 0xF0) {
      len = 4;
      lo = 0x90;
    } else if (b >= 0xF1 && b <= 0xF3) {
      len = 4;
    } else if (b == 0xF4) {
      len = 4;
      hi = 0x8F;
    }
    if (len == 0) {
      d.text.push_back(kReplacement);
      d.invalid = true;
      ++i;
      continue;
    }
    char32_t v = b & (0x7F >> len);
    std::size_t k = 1;
    for (; k < len && i + k < n; ++k) {
      const unsigned c = s[i + k];
      const unsigned l = k == 1 ? lo : 0x80;
      const unsigned h = k == 1 ? hi : 0xBF;
      if (c < l || c > h) break;
      v = (v << 6) | (c & 0x3F);
    }
    if (k == len) {
      pushCodePoint(d.text, v);
    } else {
      d.text.push_back(kReplacement);
      d.invalid = true;
    }
    i += k;
  }
  return d;
}

Decoded decodeTable(const ByteTable& t, const unsigned char* s, std::size_t n) {
  Decoded d;
  d.text.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const unsigned b = s[i];
    if (!t.lead[b]) {
      const char16_t c = t.single[b];
      if (c == kReplacement) {
        d.text.push_back(u'?');
        d.invalid = true;
      } else {
        d.text.push_back(c);
      }
      ++i;
      continue;
    }
    if (i + 1 >= n || !ByteTable::isTrail(s[i + 1])) {
      d.text.push_back(u'?');
      d.invalid = true;
      ++i;
      continue;
    }
    const char16_t c = t.dbcs[ByteTable::dbcsIndex(b, s[i + 1])];
    if (c == kNoChar) {
      d.text.push_back(u'?');
      d.invalid = true;
    } else {
      d.text.push_back(c);
    }
    i += 2;
  }
  return d;
}

// ---------------------------------------------------------------- encoding

struct Encoded {
  std::string bytes;
  bool invalid = false;      // a lone surrogate (UTF-8)
  bool usedDefault = false;  // a character the code page cannot hold
};

void pushUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

Encoded encodeUtf8(const char16_t* s, std::size_t n) {
  Encoded e;
  e.bytes.reserve(n * 3);
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = s[i];
    if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(s[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      c = kReplacement;
      e.invalid = true;
    }
    pushUtf8(e.bytes, c);
  }
  return e;
}

Encoded encodeTable(const ByteTable& t, const char16_t* s, std::size_t n, std::string_view defaultBytes) {
  Encoded e;
  e.bytes.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(s[i + 1])) ++i;  // one default char per pair
    const std::uint16_t v = (isHighSurrogate(c) || isLowSurrogate(c)) ? kNoBytes : t.encode[c];
    if (v == kNoBytes) {
      e.bytes.append(defaultBytes);
      e.usedDefault = true;
    } else if (v < 0x100) {
      e.bytes.push_back(static_cast<char>(v));
    } else {
      e.bytes.push_back(static_cast<char>(v >> 8));
      e.bytes.push_back(static_cast<char>(v & 0xFF));
    }
  }
  return e;
}

// The caller's default character as bytes of the code page (one character at most).
std::string defaultCharBytes(const ByteTable& t, LPCSTR defaultChar) {
  if (!defaultChar || defaultChar[0] == 0) return "?";
  const unsigned char b = static_cast<unsigned char>(defaultChar[0]);
  if (t.lead[b] && ByteTable::isTrail(static_cast<unsigned char>(defaultChar[1]))) return std::string(defaultChar, 2);
  return std::string(defaultChar, 1);
}

std::size_t lengthOf(const char16_t* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

// Largest prefix of `bytes` that fits in `room` and does not cut a character.
std::size_t wholeBytePrefix(UINT cp, const ByteTable* t, const std::string& bytes, std::size_t room) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned b = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 1;
    if (cp == CP_UTF8) {
      len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    } else if (t && t->lead[b]) {
      len = 2;
    }
    if (i + len > room) break;
    i += len;
  }
  return i;
}

}  // namespace

UINT GetACP() {
  const auto* d = win32::Desktop::currentOrNull();
  return d ? d->ansiCodePage() : 936;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int byteCount, LPWSTR out, int outCount) {
  const UINT cp = resolve(codePage);
  if (!text || byteCount == 0 || byteCount < -1 || outCount < 0 || (outCount > 0 && !out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD allowed = cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : (MB_PRECOMPOSED | MB_ERR_INVALID_CHARS);
  if (flags & ~allowed) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const ByteTable* table = cp == CP_UTF8 ? nullptr : tableFor(cp);
  if (cp != CP_UTF8 && !table) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t n = byteCount == -1 ? std::strlen(text) + 1 : static_cast<std::size_t>(byteCount);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const Decoded d = table ? decodeTable(*table, bytes, n) : decodeUtf8(bytes, n);
  if (d.invalid && (flags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  const std::size_t need = d.text.size();
  if (outCount == 0) return static_cast<int>(need);
  if (need > static_cast<std::size_t>(outCount)) {
    std::size_t fit = static_cast<std::size_t>(outCount);
    if (fit > 0 && isHighSurrogate(d.text[fit - 1])) --fit;
    std::copy(d.text.begin(), d.text.begin() + static_cast<std::ptrdiff_t>(fit), out);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(d.text.begin(), d.text.end(), out);
  return static_cast<int>(need);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int charCount, LPSTR out, int outBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  const UINT cp = resolve(codePage);
  if (!text || charCount == 0 || charCount < -1 || outBytes < 0 || (outBytes > 0 && !out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (cp == CP_UTF8) {
    if (flags & ~WC_ERR_INVALID_CHARS) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
    if (defaultChar || usedDefaultChar) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  } else if (flags & ~WC_NO_BEST_FIT_CHARS) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const ByteTable* table = cp == CP_UTF8 ? nullptr : tableFor(cp);
  if (cp != CP_UTF8 && !table) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t n = charCount == -1 ? lengthOf(text) + 1 : static_cast<std::size_t>(charCount);
  const Encoded e = table ? encodeTable(*table, text, n, defaultCharBytes(*table, defaultChar)) : encodeUtf8(text, n);
  if (e.invalid && (flags & WC_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (usedDefaultChar) *usedDefaultChar = e.usedDefault ? TRUE : FALSE;
  const std::size_t need = e.bytes.size();
  if (outBytes == 0) return static_cast<int>(need);
  if (need > static_cast<std::size_t>(outBytes)) {
    const std::size_t fit = wholeBytePrefix(cp, table, e.bytes, static_cast<std::size_t>(outBytes));
    std::memcpy(out, e.bytes.data(), fit);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, e.bytes.data(), need);
  return static_cast<int>(need);
}

namespace win32 {

bool isSupportedCodePage(UINT codePage) {
  const UINT cp = resolve(codePage);
  return cp == CP_UTF8 || tableFor(cp) != nullptr;
}

std::string wideToMultiByte(UINT codePage, std::u16string_view text) {
  const UINT cp = resolve(codePage);
  if (cp == CP_UTF8) return encodeUtf8(text.data(), text.size()).bytes;
  const ByteTable* t = tableFor(cp);
  if (!t) return {};
  return encodeTable(*t, text.data(), text.size(), "?").bytes;
}

std::u16string multiByteToWide(UINT codePage, std::string_view text) {
  const UINT cp = resolve(codePage);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  if (cp == CP_UTF8) return decodeUtf8(bytes, text.size()).text;
  const ByteTable* t = tableFor(cp);
  if (!t) return {};
  return decodeTable(*t, bytes, text.size()).text;
}

}  // namespace win32
