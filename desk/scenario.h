// Scenario files: one step per line, read as a story of what the user and the programs do.
//
//   # a comment
//   set plugin-folder "D:\Tools\VurkArx"
//   plugin load
//   answer no
//   expect box "磁盘空间不足"
//
// Words are separated by blanks; a word in double quotes may hold blanks, and inside it \" is a
// quote, \\ a backslash, \n a line feed and \t a tab. Backslashes outside quotes are literal, so
// Windows paths can be written as they are.
#pragma once

#include <string>
#include <vector>

namespace desk {

struct Step {
  int line = 0;               // 1-based line in the file
  std::string text;           // the line as written (trimmed)
  std::vector<std::string> words;
};

struct Scenario {
  std::string name;
  std::vector<Step> steps;
};

// Parses scenario text; on a malformed line (an unterminated quote) returns false with a reason.
bool parseScenario(const std::string& text, Scenario& out, std::string& error);
bool loadScenario(const std::string& path, Scenario& out, std::string& error);

}  // namespace desk
