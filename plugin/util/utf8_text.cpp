#include "util/utf8_text.h"


namespace vurk {

namespace {

// Length of the character that starts with this byte: 1, 2 or 3, or 0 when the byte cannot
// start a character (a continuation byte or the lead of a 4-byte or longer sequence).
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 0;
}

// Walks the well-formed characters of the text; returns the byte length walked and adds each
// character's display width to *width.
std::size_t walk(std::string_view text, std::size_t* width) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead == 0) break;
    const std::size_t n = sequenceLength(lead);
    if (n == 0 || n > text.size() - pos) break;
    bool complete = true;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80) {
        complete = false;
        break;
      }
    }
    if (!complete) break;
    pos += n;
    if (width) *width += (n == 1) ? 1 : 2;
  }
  return pos;
}

std::size_t encodedLength(char16_t c) { return c < 0x80 ? 1 : (c < 0x800 ? 2 : 3); }

}  // namespace

std::size_t Utf8WellFormedLength(std::string_view text) { return walk(text, nullptr); }

std::size_t Utf8DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  walk(text, &width);
  return width;
}

std::size_t Utf8Repair(char* text, std::size_t size) {
  if (text == nullptr || size == 0) return 0;
  std::size_t len = walk(std::string_view(text, size), nullptr);
  if (len == size) len = walk(std::string_view(text, size - 1), nullptr);  // room for the zero
  text[len] = '\0';
  return len;
}

std::size_t Utf8Repair(std::string& text) {
  text.resize(walk(text, nullptr));
  return text.size();
}

std::size_t ToUtf8(std::u16string_view text, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::size_t out = 0;
  for (char16_t c : text) {
    if (c == 0) break;
    const std::size_t n = encodedLength(c);
    if (out + n + 1 > size) break;
    if (n == 1) {
      buffer[out] = static_cast<char>(c);
    } else if (n == 2) {
      buffer[out] = static_cast<char>(0xC0 | (c >> 6));
      buffer[out + 1] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      buffer[out] = static_cast<char>(0xE0 | (c >> 12));
      buffer[out + 1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      buffer[out + 2] = static_cast<char>(0x80 | (c & 0x3F));
    }
    out += n;
  }
  buffer[out] = '\0';
  return out;
}

std::size_t ToUtf8Cut(std::u16string_view text, char* buffer, std::size_t size, std::size_t maximum) {
  if (buffer == nullptr || size == 0) return 0;
  std::size_t len = ToUtf8(text, buffer, size);
  const std::size_t limit = maximum == 0 ? 0 : maximum - 1;
  if (len > limit) {
    buffer[limit] = '\0';
    len = Utf8Repair(buffer, limit + 1);
  }
  return len;
}

std::string ToUtf8(std::u16string_view text) {
  std::size_t total = 0;
  for (char16_t c : text) {
    if (c == 0) break;
    total += encodedLength(c);
  }
  std::string out(total + 1, '\0');
  out.resize(ToUtf8(text, out.data(), out.size()));
  return out;
}

}  // namespace vurk
