#include "scenario.h"

#include <fstream>
#include <sstream>

namespace desk {

namespace {

bool splitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          const char e = line[i++];
          switch (e) {
            case 'n': word += '\n'; break;
            case 't': word += '\t'; break;
            case 'r': word += '\r'; break;
            case '"': word += '"'; break;
            case '\\': word += '\\'; break;
            default: word += '\\'; word += e; break;
          }
        } else {
          word += c;
        }
      }
      if (!closed) {
        error = "a quoted word is not closed";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool parseScenario(const std::string& text, Scenario& out, std::string& error) {
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    Step step;
    step.line = lineNo;
    step.text = line;
    std::string why;
    if (!splitWords(line, step.words, why)) {
      error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    }
    out.steps.push_back(std::move(step));
  }
  return true;
}

bool loadScenario(const std::string& path, Scenario& out, std::string& error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    error = "cannot read scenario " + path;
    return false;
  }
  std::ostringstream ss;
  ss << f.rdbuf();
  out.name = path;
  return parseScenario(ss.str(), out, error);
}

}  // namespace desk
