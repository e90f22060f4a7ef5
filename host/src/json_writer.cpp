#include "host/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "win32/unicode.h"

namespace host {

std::string jsonQuoted(std::string_view utf8) {
  // Round-trip through UTF-16 so that malformed input becomes U+FFFD.
  const std::string clean = win32::utf16ToUtf8(win32::utf8ToUtf16(utf8));
  std::string out = "\"";
  for (const char ch : clean) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(ch);
        }
    }
  }
  out += '"';
  return out;
}

void JsonWriter::newline() {
  out_ += '\n';
  out_.append(first_.size() * 2, ' ');
}

void JsonWriter::separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ',';
    first_.back() = false;
    newline();
  }
}

void JsonWriter::beginObject() {
  separate();
  out_ += '{';
  first_.push_back(true);
}

void JsonWriter::endObject() {
  const bool empty = first_.back();
  first_.pop_back();
  if (!empty) newline();
  out_ += '}';
}

void JsonWriter::beginArray() {
  separate();
  out_ += '[';
  first_.push_back(true);
}

void JsonWriter::endArray() {
  const bool empty = first_.back();
  first_.pop_back();
  if (!empty) newline();
  out_ += ']';
}

JsonWriter& JsonWriter::key(std::string_view name) {
  separate();
  out_ += jsonQuoted(name);
  out_ += ": ";
  afterKey_ = true;
  return *this;
}

void JsonWriter::value(std::string_view text) {
  separate();
  out_ += jsonQuoted(text);
}

void JsonWriter::value(std::int64_t v) {
  separate();
  out_ += std::to_string(v);
}

void JsonWriter::value(std::uint64_t v) {
  separate();
  out_ += std::to_string(v);
}

void JsonWriter::value(double v) {
  separate();
  if (std::isnan(v)) {
    out_ += "\"nan\"";
  } else if (std::isinf(v)) {
    out_ += v > 0 ? "\"inf\"" : "\"-inf\"";
  } else {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest text that reads back as v
    out_.append(buf, r.ptr);
  }
}

void JsonWriter::value(bool v) {
  separate();
  out_ += v ? "true" : "false";
}

void JsonWriter::null() {
  separate();
  out_ += "null";
}

}  // namespace host
