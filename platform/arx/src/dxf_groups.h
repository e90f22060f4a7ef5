// The group level of ASCII DXF (internal to the stand-in): the file as sections of records,
// each record a list of (code, value) groups pointing into the file's bytes, and the checked
// conversions of group values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "arx/acadstrc.h"
#include "arx/dbid.h"

namespace arxdxf::detail {

struct Group {
  int code = 0;
  std::string_view value;  // the value line without its line end
  std::uint32_t line = 0;  // 1-based line of the value
};

// One "0 TYPE" record and the groups up to the next code 0.
struct Record {
  std::string_view type;
  std::uint32_t line = 0;
  std::vector<Group> groups;
};

// A "9 $NAME" header variable and its groups.
struct HeaderVar {
  std::string_view name;
  std::uint32_t line = 0;
  std::vector<Group> groups;
};

struct Section {
  std::string_view name;
  std::uint32_t line = 0;
  std::vector<Record> records;  // all sections but HEADER
  std::vector<HeaderVar> vars;  // HEADER
};

// A failure that ends reading: the status the reader returns and the one-line reason.
struct DxfError {
  Acad::ErrorStatus status = Acad::eBadDxfFile;
  std::string reason;
};

// Splits the file into sections. Throws DxfError for binary DXF, a group code that is not a
// number, a code without its value line, a section that is not closed, records outside a
// section, or a file that ends before "0 EOF".
std::vector<Section> splitSections(std::string_view bytes);

// Checked conversions (DxfError naming the line when the value is not what the code needs).
double toReal(const Group& g);
std::int64_t toInt(const Group& g);
int toInt32(const Group& g);
// Hexadecimal handle; "0" is the null handle.
AcDbHandle toHandle(const Group& g);
// The value without surrounding blanks (for names and keywords).
std::string_view trimmed(std::string_view s);

[[noreturn]] void fail(std::uint32_t line, const std::string& what);

}  // namespace arxdxf::detail
