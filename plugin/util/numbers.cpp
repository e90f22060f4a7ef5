#include "util/numbers.h"

#include <cstdarg>

#include "win32/format.h"

namespace vurk {

namespace {

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kMaxHexDigits = 16;
constexpr std::size_t kMaxDecimalChars = 23;

int hexValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
  return -1;
}

// Shared by the narrow and wide forms: characters are compared as code values, so a wide
// character outside ASCII is never a digit.
template <typename Char>
std::uint64_t parseNumber(std::basic_string_view<Char> text) {
  const std::size_t end = text.find(Char(0));
  if (end != std::basic_string_view<Char>::npos) text = text.substr(0, end);
  if (text.empty()) return 0;

  if (text.size() >= 3 && text[0] == Char('0') && (text[1] == Char('x') || text[1] == Char('X'))) {
    std::uint64_t v = 0;
    for (std::size_t i = 2; i < text.size() && i - 2 < kMaxHexDigits; ++i) {
      const int d = hexValue(static_cast<char32_t>(text[i]));
      if (d < 0) break;
      v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    return v;
  }

  std::uint64_t v = 0;
  for (std::size_t i = 0; i < text.size() && i < kMaxDecimalChars; ++i) {
    const auto c = static_cast<char32_t>(text[i]);
    if (c < U'0' || c > U'9') break;
    const auto d = static_cast<std::uint64_t>(c - U'0');
    if (v > (UINT64_MAX - d) / 10) return 0;  // does not fit: unknown
    v = v * 10 + d;
  }
  return v;
}

}  // namespace

std::size_t IntToText(std::int64_t value, char* buffer, std::size_t size, int radix) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (size < kIntTextSize || radix < 2 || radix > 36) return 0;

  const bool negative = radix == 10 && value < 0;
  // Magnitude computed in unsigned arithmetic so that INT64_MIN is exact.
  std::uint64_t u = static_cast<std::uint64_t>(value);
  if (negative) u = 0 - u;

  char reversed[kIntTextSize];
  std::size_t n = 0;
  do {
    reversed[n++] = kDigits[u % static_cast<unsigned>(radix)];
    u /= static_cast<unsigned>(radix);
  } while (u != 0);

  std::size_t out = 0;
  if (negative) buffer[out++] = '-';
  while (n > 0) buffer[out++] = reversed[--n];
  buffer[out] = '\0';
  return out;
}

std::string IntToText(std::int64_t value, int radix) {
  char buffer[kIntTextSize];
  return std::string(buffer, IntToText(value, buffer, sizeof buffer, radix));
}

std::uint64_t ParseNumber(std::string_view text) { return parseNumber(text); }
std::uint64_t ParseNumber(std::u16string_view text) { return parseNumber(text); }

int FormatWide(char16_t* buffer, std::size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = vswprintf_s(buffer, count, format, args);
  va_end(args);
  return n;
}

}  // namespace vurk
