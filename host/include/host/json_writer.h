// A small JSON writer for the host's dump: objects, arrays, strings, numbers. Strings are
// written as UTF-8 with the JSON escapes; malformed UTF-8 becomes U+FFFD, so the output is
// always valid JSON. Non-finite numbers are written as the strings "nan", "inf", "-inf".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class JsonWriter {
 public:
  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  // Inside an object: the key of the next value.
  JsonWriter& key(std::string_view name);
  void value(std::string_view text);
  void value(const char* text) { value(std::string_view(text)); }
  void value(std::int64_t v);
  void value(std::uint64_t v);
  void value(int v) { value(static_cast<std::int64_t>(v)); }
  void value(double v);
  void value(bool v);
  void null();

  const std::string& text() const { return out_; }

 private:
  void separate();
  void newline();
  std::string out_;
  std::vector<bool> first_;  // per open container: no element written yet
  bool afterKey_ = false;
};

// The JSON string literal of a text (quotes included).
std::string jsonQuoted(std::string_view utf8);

}  // namespace host
