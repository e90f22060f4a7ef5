// Code pages and string escapes of DXF files.
#include "dxf_codepage.h"

#include <cctype>
#include <charconv>

#include "win32/codepage.h"
#include "win32/unicode.h"

namespace arxdxf::detail {

UINT codePageFromName(std::string_view name) {
  std::string up;
  for (char c : name)
    if (c != ' ' && c != '\t' && c != '\r') up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string_view digits;
  if (up.rfind("ANSI_", 0) == 0)
    digits = std::string_view(up).substr(5);
  else if (up.rfind("DOS", 0) == 0)
    digits = std::string_view(up).substr(3);
  else if (up == "UTF8" || up == "UTF-8")
    return CP_UTF8;
  else
    return 0;
  UINT cp = 0;
  auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp);
  if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size()) return 0;
  return cp;
}

std::string codePageName(UINT codePage) { return "ANSI_" + std::to_string(codePage); }

TextDecoder::TextDecoder(UINT codePage, bool utf8) : codePage_(codePage), utf8_(utf8) {
  if (!utf8_ && !win32::isSupportedCodePage(codePage_)) codePage_ = 1252;
}

namespace {

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Four hex digits at s[i..i+4); -1 when they are not.
int hex4(const std::u16string& s, std::size_t i) {
  if (i + 4 > s.size()) return -1;
  int v = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    int d = hexValue(s[i + k]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

std::u16string unescape(const std::u16string& s) {
  if (s.find(u'\\') == std::u16string::npos && s.find(u'^') == std::u16string::npos) return s;
  std::u16string out;
  out.reserve(s.size());
  std::size_t backslashes = 0;  // run of backslashes just before position i
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == u'\\' && backslashes % 2 == 0 && i + 2 < s.size() && s[i + 2] == u'+') {
      if ((s[i + 1] == u'U' || s[i + 1] == u'u')) {
        int v = hex4(s, i + 3);
        if (v >= 0) {
          out += static_cast<char16_t>(v);
          i += 6;
          backslashes = 0;
          continue;
        }
      } else if ((s[i + 1] == u'M' || s[i + 1] == u'm') && i + 3 < s.size() && s[i + 3] == u'5') {
        int v = hex4(s, i + 4);
        if (v >= 0) {
          const char bytes[2] = {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
          out += win32::multiByteToWide(936, std::string_view(bytes, 2));
          i += 7;
          backslashes = 0;
          continue;
        }
      }
    }
    if (c == u'^' && i + 1 < s.size() && (s[i + 1] == u'J' || s[i + 1] == u'M' || s[i + 1] == u'I')) {
      out += s[i + 1] == u'J' ? u'\n' : s[i + 1] == u'M' ? u'\r' : u'\t';
      ++i;
      backslashes = 0;
      continue;
    }
    backslashes = c == u'\\' ? backslashes + 1 : 0;
    out += c;
  }
  return out;
}

}  // namespace

std::u16string TextDecoder::decode(std::string_view bytes) const {
  bool ascii = true;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  std::u16string s;
  if (ascii) {
    s.assign(bytes.begin(), bytes.end());
  } else {
    s = win32::multiByteToWide(utf8_ ? CP_UTF8 : codePage_, bytes);
  }
  return unescape(s);
}

namespace {

void appendEscape(std::string& out, char16_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\U+";
  out += kHex[(c >> 12) & 0xF];
  out += kHex[(c >> 8) & 0xF];
  out += kHex[(c >> 4) & 0xF];
  out += kHex[c & 0xF];
}

}  // namespace

std::string encodeText(std::u16string_view text, UINT codePage, bool utf8) {
  std::string out;
  out.reserve(text.size());
  std::size_t backslashes = 0;
  auto isHex = [&](std::size_t from, std::size_t n) {
    if (from + n > text.size()) return false;
    for (std::size_t k = 0; k < n; ++k)
      if (hexValue(text[from + k]) < 0) return false;
    return true;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    const std::size_t run = backslashes;
    backslashes = c == u'\\' ? backslashes + 1 : 0;
    // Text that a reader would take for an escape is itself escaped.
    const bool looksEscaped =
        (c == u'\\' && run % 2 == 0 && i + 2 < text.size() && text[i + 2] == u'+' &&
         (((text[i + 1] == u'U' || text[i + 1] == u'u') && isHex(i + 3, 4)) ||
          ((text[i + 1] == u'M' || text[i + 1] == u'm') && i + 3 < text.size() && text[i + 3] == u'5' &&
           isHex(i + 4, 4)))) ||
        (c == u'^' && i + 1 < text.size() && (text[i + 1] == u'J' || text[i + 1] == u'M' || text[i + 1] == u'I'));
    if (c < 0x20 || c == 0x7F || looksEscaped) {
      if (looksEscaped) backslashes = 0;
      appendEscape(out, c);
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool pair = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (utf8) {
      if (c >= 0xD800 && c <= 0xDFFF && !pair) {
        appendEscape(out, c);  // a lone surrogate has no UTF-8 form
        continue;
      }
      out += win32::utf16ToUtf8(text.substr(i, pair ? 2 : 1));
      if (pair) ++i;
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      appendEscape(out, c);
      continue;
    }
    char buf[8];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(&text[i]), 1, buf, sizeof buf, nullptr,
                                &usedDefault);
    if (n <= 0 || usedDefault)
      appendEscape(out, c);
    else
      out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace arxdxf::detail
