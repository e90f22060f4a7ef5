// A small JSON reader for tests (RFC 8259 values: objects, arrays, strings with escapes,
// numbers, true, false, null), so that files the host writes are checked by parsing them, not
// by comparing them with text from the same writer.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hosttest {

struct Json {
  enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
  bool boolean = false;
  double number = 0;
  std::string string;
  std::vector<Json> array;
  std::map<std::string, Json> object;

  bool has(const std::string& key) const { return type == Type::Object && object.count(key) != 0; }
  const Json& operator[](const std::string& key) const {
    static const Json none;
    const auto it = object.find(key);
    return it == object.end() ? none : it->second;
  }
  const Json& operator[](std::size_t i) const {
    static const Json none;
    return i < array.size() ? array[i] : none;
  }
  std::size_t size() const { return type == Type::Array ? array.size() : object.size(); }
};

class JsonReader {
 public:
  // Nothing when the text is not one JSON value (surrounded by white space only).
  static std::optional<Json> parse(const std::string& text) {
    JsonReader r(text);
    Json v;
    if (!r.value(v)) return std::nullopt;
    r.space();
    if (r.at_ != text.size()) return std::nullopt;
    return v;
  }

 private:
  explicit JsonReader(const std::string& t) : t_(t) {}
  void space() {
    while (at_ < t_.size() && (t_[at_] == ' ' || t_[at_] == '\n' || t_[at_] == '\r' || t_[at_] == '\t')) ++at_;
  }
  bool literal(const char* word) {
    const std::string w(word);
    if (t_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  bool value(Json& v) {
    space();
    if (at_ >= t_.size()) return false;
    const char c = t_[at_];
    if (c == '{') return object(v);
    if (c == '[') return array(v);
    if (c == '"') {
      v.type = Json::Type::String;
      return string(v.string);
    }
    if (literal("true")) {
      v.type = Json::Type::Bool;
      v.boolean = true;
      return true;
    }
    if (literal("false")) {
      v.type = Json::Type::Bool;
      return true;
    }
    if (literal("null")) return true;
    return number(v);
  }
  bool number(Json& v) {
    const std::size_t start = at_;
    if (at_ < t_.size() && t_[at_] == '-') ++at_;
    while (at_ < t_.size() && std::string("0123456789.eE+-").find(t_[at_]) != std::string::npos) ++at_;
    if (at_ == start) return false;
    const std::string text = t_.substr(start, at_ - start);
    char* end = nullptr;
    v.number = std::strtod(text.c_str(), &end);
    v.type = Json::Type::Number;
    return end == text.c_str() + text.size();
  }
  bool string(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < t_.size()) {
      const char c = t_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (at_ >= t_.size()) return false;
      const char e = t_[at_++];
      switch (e) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'u': {
          if (at_ + 4 > t_.size()) return false;
          const unsigned long u = std::strtoul(t_.substr(at_, 4).c_str(), nullptr, 16);
          at_ += 4;
          if (u < 0x80) {
            out.push_back(static_cast<char>(u));
          } else if (u < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (u >> 6)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
          } else {
            out.push_back(static_cast<char>(0xE0 | (u >> 12)));
            out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
          }
          break;
        }
        default: return false;
      }
    }
    return false;
  }
  bool array(Json& v) {
    v.type = Json::Type::Array;
    ++at_;
    space();
    if (at_ < t_.size() && t_[at_] == ']') {
      ++at_;
      return true;
    }
    for (;;) {
      Json item;
      if (!value(item)) return false;
      v.array.push_back(std::move(item));
      space();
      if (at_ >= t_.size()) return false;
      if (t_[at_] == ']') {
        ++at_;
        return true;
      }
      if (t_[at_++] != ',') return false;
    }
  }
  bool object(Json& v) {
    v.type = Json::Type::Object;
    ++at_;
    space();
    if (at_ < t_.size() && t_[at_] == '}') {
      ++at_;
      return true;
    }
    for (;;) {
      space();
      std::string key;
      if (at_ >= t_.size() || t_[at_] != '"' || !string(key)) return false;
      space();
      if (at_ >= t_.size() || t_[at_++] != ':') return false;
      Json item;
      if (!value(item)) return false;
      if (v.object.count(key)) return false;  // duplicate member
      v.object.emplace(std::move(key), std::move(item));
      space();
      if (at_ >= t_.size()) return false;
      if (t_[at_] == '}') {
        ++at_;
        return true;
      }
      if (t_[at_++] != ',') return false;
    }
  }

  const std::string& t_;
  std::size_t at_ = 0;
};

}  // namespace hosttest
