#include "win32/format.h"

#include <cassert>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "win32/codepage.h"

namespace {

constexpr int kMaxWidth = 1'000'000;

enum class Size { None, HH, H, L, LL, I32, I64, Ptr, LongDouble, Wide };

struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alt = false;
  bool zero = false;
  int width = 0;
  int precision = -1;  // -1: none
  Size size = Size::None;
  char conv = 0;
};

// Where the va_list lives: always a real local va_list (va_copy), so its address is portable.
struct Args {
  va_list* ap;
  int nextInt() { return va_arg(*ap, int); }
  long long nextLongLong() { return va_arg(*ap, long long); }
  double nextDouble() { return va_arg(*ap, double); }
  const void* nextPointer() { return va_arg(*ap, const void*); }
};

template <typename Ch>
class Writer {
 public:
  explicit Writer(std::basic_string<Ch>& out) : out_(out) {}

  void ascii(std::string_view s) {
    for (char c : s) out_.push_back(static_cast<Ch>(static_cast<unsigned char>(c)));
  }
  void fill(char c, std::size_t n) { out_.append(n, static_cast<Ch>(c)); }
  void text(const std::basic_string<Ch>& s) { out_.append(s); }
  void text(const Ch* s, std::size_t n) { out_.append(s, n); }

  // prefix + body padded to the directive's width: spaces before, zeros between, or spaces after.
  template <typename Body>
  void padded(const Directive& directive, std::string_view prefix, std::size_t bodyLength, bool zeroAllowed, Body&& body) {
    const std::size_t length = prefix.size() + bodyLength;
    const std::size_t pad = static_cast<std::size_t>(directive.width) > length ? directive.width - length : 0;
    const bool zeros = directive.zero && !directive.left && zeroAllowed;
    if (!directive.left && !zeros) fill(' ', pad);
    ascii(prefix);
    if (zeros) fill('0', pad);
    body();
    if (directive.left) fill(' ', pad);
  }

 private:
  std::basic_string<Ch>& out_;
};

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Length of the longest prefix of at most `limit` units that does not cut a character.
std::size_t wholeUnits(const std::u16string& s, std::size_t limit) {
  if (limit >= s.size()) return s.size();
  return (limit > 0 && isHigh(s[limit - 1])) ? limit - 1 : limit;
}

std::size_t wholeUnits(const std::string& s, std::size_t limit) {
  if (limit >= s.size()) return s.size();
  // Walk characters of the ANSI code page: a double-byte character starts with a lead byte.
  const UINT cp = GetACP();
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t len = 1;
    if (cp == CP_UTF8) {
      len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    } else if (cp == 936 && b >= 0x81 && b <= 0xFE) {
      len = 2;
    }
    if (i + len > limit) break;
    i += len;
  }
  return i;
}

template <typename Src>
std::size_t boundedLength(const Src* s, int precision) {
  std::size_t n = 0;
  while ((precision < 0 || n < static_cast<std::size_t>(precision)) && s[n]) ++n;
  return n;
}

template <typename Ch>
class Formatter {
 public:
  Formatter(std::basic_string<Ch>& out, va_list* ap) : w_(out), args_{ap} {}

  int run(const Ch* fmt) {
    if (!fmt) return -1;
    const Ch* p = fmt;
    while (*p) {
      if (*p != Ch('%')) {
        const Ch* start = p;
        while (*p && *p != Ch('%')) ++p;
        w_.text(start, static_cast<std::size_t>(p - start));
        continue;
      }
      ++p;
      if (*p == Ch('%')) {
        w_.fill('%', 1);
        ++p;
        continue;
      }
      Directive directive;
      if (!parse(p, directive)) return -1;
      if (!convert(directive)) return -1;
    }
    return 0;
  }

 private:
  static constexpr bool kWide = std::is_same_v<Ch, char16_t>;

  bool parseNumber(const Ch*& p, int& value) {
    long long v = 0;
    while (*p >= Ch('0') && *p <= Ch('9')) {
      v = v * 10 + (*p - Ch('0'));
      if (v > kMaxWidth) return false;
      ++p;
    }
    value = static_cast<int>(v);
    return true;
  }

  bool parse(const Ch*& p, Directive& s) {
    for (;; ++p) {
      if (*p == Ch('-')) {
        s.left = true;
      } else if (*p == Ch('+')) {
        s.plus = true;
      } else if (*p == Ch(' ')) {
        s.space = true;
      } else if (*p == Ch('#')) {
        s.alt = true;
      } else if (*p == Ch('0')) {
        s.zero = true;
      } else {
        break;
      }
    }
    if (*p == Ch('*')) {
      int w = args_.nextInt();
      if (w < 0) {
        s.left = true;
        w = w == INT32_MIN ? kMaxWidth + 1 : -w;
      }
      if (w > kMaxWidth) return false;
      s.width = w;
      ++p;
    } else if (!parseNumber(p, s.width)) {
      return false;
    }
    if (*p == Ch('.')) {
      ++p;
      if (*p == Ch('*')) {
        const int pr = args_.nextInt();
        if (pr > kMaxWidth) return false;
        s.precision = pr < 0 ? -1 : pr;
        ++p;
      } else if (!parseNumber(p, s.precision)) {
        return false;
      }
    }
    // Size prefix.
    if (*p == Ch('h')) {
      ++p;
      s.size = Size::H;
      if (*p == Ch('h')) {
        s.size = Size::HH;
        ++p;
      }
    } else if (*p == Ch('l')) {
      ++p;
      s.size = Size::L;
      if (*p == Ch('l')) {
        s.size = Size::LL;
        ++p;
      }
    } else if (*p == Ch('w')) {
      s.size = Size::Wide;
      ++p;
    } else if (*p == Ch('L')) {
      s.size = Size::LongDouble;
      ++p;
    } else if (*p == Ch('z') || *p == Ch('j') || *p == Ch('t')) {
      s.size = Size::I64;
      ++p;
    } else if (*p == Ch('I')) {
      ++p;
      if (p[0] == Ch('6') && p[1] == Ch('4')) {
        s.size = Size::I64;
        p += 2;
      } else if (p[0] == Ch('3') && p[1] == Ch('2')) {
        s.size = Size::I32;
        p += 2;
      } else {
        s.size = Size::Ptr;
      }
    }
    if (*p == 0 || *p > 0x7F) return false;
    s.conv = static_cast<char>(*p);
    ++p;
    return true;
  }

  bool convert(const Directive& s) {
    switch (s.conv) {
      case 'd':
      case 'i':
        return integer(s, true);
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        return integer(s, false);
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        return floating(s);
      case 'p':
        return pointer(s);
      case 's':
      case 'S':
        return string(s);
      case 'c':
      case 'C':
        return character(s);
      default:
        return false;  // includes %n, which MSVC disables
    }
  }

  // Whether a %s/%c directive takes a wide argument; false with `ok` cleared for a bad prefix.
  bool wideArgument(const Directive& s, bool& ok) {
    ok = true;
    switch (s.size) {
      case Size::None: return (s.conv == 's' || s.conv == 'c') ? kWide : !kWide;
      case Size::H: return false;
      case Size::L:
      case Size::Wide: return true;
      default: ok = false; return false;
    }
  }

  bool integer(const Directive& s, bool isSigned) {
    std::uint64_t magnitude = 0;
    bool negative = false;
    switch (s.size) {
      case Size::HH:
      case Size::H:
      case Size::None:
      case Size::L:
      case Size::I32: {
        const int v = args_.nextInt();
        if (isSigned) {
          const std::int64_t sv = s.size == Size::HH ? static_cast<signed char>(v)
                                  : s.size == Size::H ? static_cast<std::int16_t>(v)
                                                      : static_cast<std::int64_t>(v);
          negative = sv < 0;
          magnitude = negative ? static_cast<std::uint64_t>(-sv) : static_cast<std::uint64_t>(sv);
        } else {
          magnitude = s.size == Size::HH ? static_cast<unsigned char>(v)
                      : s.size == Size::H ? static_cast<std::uint16_t>(v)
                                          : static_cast<std::uint32_t>(v);
        }
        break;
      }
      case Size::LL:
      case Size::I64:
      case Size::Ptr: {
        const long long v = args_.nextLongLong();
        if (isSigned && v < 0) {
          negative = true;
          magnitude = 0 - static_cast<std::uint64_t>(v);  // well defined for INT64_MIN
        } else {
          magnitude = static_cast<std::uint64_t>(v);
        }
        break;
      }
      default:
        return false;
    }
    const unsigned base = s.conv == 'o' ? 8 : (s.conv == 'x' || s.conv == 'X') ? 16 : 10;
    const char* digitsOf = s.conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    for (std::uint64_t v = magnitude; v != 0; v /= base) digits.insert(digits.begin(), digitsOf[v % base]);
    if (s.precision < 0 && digits.empty()) digits = "0";
    if (s.precision > 0 && digits.size() < static_cast<std::size_t>(s.precision)) {
      digits.insert(0, static_cast<std::size_t>(s.precision) - digits.size(), '0');
    }
    std::string prefix;
    if (isSigned) {
      if (negative) {
        prefix = "-";
      } else if (s.plus) {
        prefix = "+";
      } else if (s.space) {
        prefix = " ";
      }
    }
    if (s.alt && base == 8 && (digits.empty() || digits[0] != '0')) digits.insert(0, 1, '0');
    if (s.alt && base == 16 && magnitude != 0) prefix = s.conv == 'X' ? "0X" : "0x";
    w_.padded(s, prefix, digits.size(), s.precision < 0, [&] { w_.ascii(digits); });
    return true;
  }

  bool floating(const Directive& s) {
    if (s.size != Size::None && s.size != Size::L && s.size != Size::LongDouble) return false;
    const double v = args_.nextDouble();
    const bool upper = s.conv == 'F' || s.conv == 'E' || s.conv == 'G' || s.conv == 'A';
    std::string prefix;
    if (std::signbit(v)) {
      prefix = "-";
    } else if (s.plus) {
      prefix = "+";
    } else if (s.space) {
      prefix = " ";
    }
    if (!std::isfinite(v)) {
      std::string body;
      if (std::isinf(v)) {
        body = "inf";
      } else {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        const std::uint64_t mantissa = bits & 0x000FFFFFFFFFFFFFull;
        const bool quiet = (mantissa >> 51) != 0;
        if (!quiet) {
          body = "nan(snan)";
        } else if (std::signbit(v) && mantissa == (1ull << 51)) {
          body = "nan(ind)";
        } else {
          body = "nan";
        }
      }
      if (upper) {
        for (char& c : body) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
      w_.padded(s, prefix, body.size(), false, [&] { w_.ascii(body); });
      return true;
    }
    // Finite values: the C library's digits (MSVC and glibc agree on these), without sign.
    std::string f = "%";
    if (s.alt) f += '#';
    if (s.precision >= 0) {
      f += '.' + std::to_string(s.precision);
    } else if (s.conv == 'a' || s.conv == 'A') {
      f += ".13";
    }
    f += s.conv;
    const double magnitude = std::fabs(v);
    const int n = std::snprintf(nullptr, 0, f.c_str(), magnitude);
    if (n < 0) return false;
    std::string body(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(body.data(), body.size(), f.c_str(), magnitude);
    body.resize(static_cast<std::size_t>(n));
    if (s.conv == 'a' || s.conv == 'A') {  // "0x" belongs before the zero padding
      prefix += body.substr(0, 2);
      body.erase(0, 2);
    }
    w_.padded(s, prefix, body.size(), true, [&] { w_.ascii(body); });
    return true;
  }

  bool pointer(const Directive& s) {
    if (s.size != Size::None) return false;
    const auto v = reinterpret_cast<std::uintptr_t>(args_.nextPointer());
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llX", static_cast<unsigned long long>(v));
    w_.padded(s, "", 16, true, [&] { w_.ascii(digits); });
    return true;
  }

  bool string(const Directive& s) {
    bool ok = true;
    const bool wideArg = wideArgument(s, ok);
    if (!ok) return false;
    const void* arg = args_.nextPointer();
    std::basic_string<Ch> text;
    if (!arg) {
      if constexpr (kWide) {
        text = u"(null)";
      } else {
        text = "(null)";
      }
      if (s.precision >= 0 && text.size() > static_cast<std::size_t>(s.precision)) text.resize(s.precision);
    } else if (wideArg == kWide) {
      const Ch* str = static_cast<const Ch*>(arg);
      text.assign(str, boundedLength(str, s.precision));
    } else {
      text = convertArgument(arg, wideArg, static_cast<std::size_t>(-1));
      if (s.precision >= 0) text.resize(wholeUnits(text, static_cast<std::size_t>(s.precision)));
    }
    w_.padded(s, "", text.size(), true, [&] { w_.text(text); });
    return true;
  }

  bool character(const Directive& s) {
    bool ok = true;
    const bool wideArg = wideArgument(s, ok);
    if (!ok) return false;
    const int v = args_.nextInt();
    std::basic_string<Ch> text;
    if (wideArg == kWide) {
      text.push_back(static_cast<Ch>(v));  // the unit itself: a byte or a UTF-16 unit
    } else if (wideArg) {
      const char16_t c[2] = {static_cast<char16_t>(v), 0};
      text = convertArgument(c, true, 1);
    } else {
      const char c[2] = {static_cast<char>(v), 0};
      text = convertArgument(c, false, 1);
    }
    w_.padded(s, "", text.size(), true, [&] { w_.text(text); });
    return true;
  }

  // Text of the other width converted with the ANSI code page.
  std::basic_string<Ch> convertArgument(const void* arg, bool wideArg, std::size_t count) {
    if constexpr (kWide) {
      (void)wideArg;
      const char* s = static_cast<const char*>(arg);
      const std::size_t n = count == static_cast<std::size_t>(-1) ? std::strlen(s) : count;
      return win32::multiByteToWide(CP_ACP, std::string_view(s, n));
    } else {
      (void)wideArg;
      const char16_t* s = static_cast<const char16_t*>(arg);
      const std::size_t n = count == static_cast<std::size_t>(-1) ? wcslen(s) : count;
      return win32::wideToMultiByte(CP_ACP, std::u16string_view(s, n));
    }
  }

  Writer<Ch> w_;
  Args args_;
};

template <typename Ch>
int formatCore(std::basic_string<Ch>& out, const Ch* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  Formatter<Ch> f(out, &copy);
  const int r = f.run(fmt);
  va_end(copy);
  return r;
}

// swprintf_s / sprintf_s: the whole text and its terminator must fit.
template <typename Ch>
int printWhole(Ch* buffer, std::size_t count, const Ch* fmt, va_list args) {
  if (!buffer || count == 0) return -1;
  std::basic_string<Ch> text;
  if (formatCore(text, fmt, args) != 0 || text.size() >= count) {
    buffer[0] = 0;
    return -1;
  }
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<int>(text.size());
}

// _snwprintf_s / _snprintf_s.
template <typename Ch>
int printCounted(Ch* buffer, std::size_t size, std::size_t count, const Ch* fmt, va_list args) {
  if (!buffer || size == 0) return -1;
  if (count != _TRUNCATE && count >= size) return printWhole(buffer, size, fmt, args);
  std::basic_string<Ch> text;
  if (formatCore(text, fmt, args) != 0) {
    buffer[0] = 0;
    return -1;
  }
  const std::size_t limit = count == _TRUNCATE ? size - 1 : count;
  const std::size_t n = text.size() > limit ? limit : text.size();
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
  buffer[n] = 0;
  return text.size() > limit ? -1 : static_cast<int>(n);
}

template <typename Ch>
int measure(const Ch* fmt, va_list args) {
  std::basic_string<Ch> text;
  if (formatCore(text, fmt, args) != 0) return -1;
  return static_cast<int>(text.size());
}

}  // namespace

namespace win32 {

int formatInto(std::u16string& out, const char16_t* fmt, va_list args) { return formatCore(out, fmt, args); }
int formatInto(std::string& out, const char* fmt, va_list args) { return formatCore(out, fmt, args); }

std::u16string vformatWide(const char16_t* fmt, va_list args) {
  std::u16string out;
  const int r = formatCore(out, fmt, args);
  assert(r == 0 && "invalid format string");
  return r == 0 ? out : std::u16string();
}

std::u16string formatWide(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::u16string out = vformatWide(fmt, ap);
  va_end(ap);
  return out;
}

std::string vformatNarrow(const char* fmt, va_list args) {
  std::string out;
  const int r = formatCore(out, fmt, args);
  assert(r == 0 && "invalid format string");
  return r == 0 ? out : std::string();
}

std::string formatNarrow(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string out = vformatNarrow(fmt, ap);
  va_end(ap);
  return out;
}

}  // namespace win32

int vswprintf_s(char16_t* buffer, std::size_t count, const char16_t* fmt, va_list args) {
  return printWhole(buffer, count, fmt, args);
}

int swprintf_s(char16_t* buffer, std::size_t count, const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int r = printWhole(buffer, count, fmt, ap);
  va_end(ap);
  return r;
}

int _vsnwprintf_s(char16_t* buffer, std::size_t size, std::size_t count, const char16_t* fmt, va_list args) {
  return printCounted(buffer, size, count, fmt, args);
}

int _snwprintf_s(char16_t* buffer, std::size_t size, std::size_t count, const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int r = printCounted(buffer, size, count, fmt, ap);
  va_end(ap);
  return r;
}

int _vscwprintf(const char16_t* fmt, va_list args) { return measure(fmt, args); }

int _scwprintf(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int r = measure(fmt, ap);
  va_end(ap);
  return r;
}

int vsprintf_s(char* buffer, std::size_t count, const char* fmt, va_list args) {
  return printWhole(buffer, count, fmt, args);
}

int sprintf_s(char* buffer, std::size_t count, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int r = printWhole(buffer, count, fmt, ap);
  va_end(ap);
  return r;
}

int _vsnprintf_s(char* buffer, std::size_t size, std::size_t count, const char* fmt, va_list args) {
  return printCounted(buffer, size, count, fmt, args);
}

int _snprintf_s(char* buffer, std::size_t size, std::size_t count, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int r = printCounted(buffer, size, count, fmt, ap);
  va_end(ap);
  return r;
}

int _scprintf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int r = measure(fmt, ap);
  va_end(ap);
  return r;
}
