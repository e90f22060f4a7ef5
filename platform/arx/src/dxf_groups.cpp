// Splitting ASCII DXF into sections, records and groups, and converting group values.
#include "dxf_groups.h"

#include <charconv>
#include <cmath>

namespace arxdxf::detail {

void fail(std::uint32_t line, const std::string& what) {
  throw DxfError{Acad::eBadDxfFile, "line " + std::to_string(line) + ": " + what};
}

std::string_view trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

namespace {

// Quotes a value for a message, cut short and with control bytes shown as '?'.
std::string shown(std::string_view v) {
  std::string s(v.substr(0, 40));
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  if (v.size() > 40) s += "...";
  return "'" + s + "'";
}

class GroupReader {
 public:
  explicit GroupReader(std::string_view data) : data_(data) {
    if (data_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  // The next group; false at the end of the data (only between groups).
  bool next(Group& g) {
    std::string_view codeLine;
    if (!readLine(codeLine)) return false;
    const std::uint32_t codeLineNo = line_;
    std::string_view c = trimmed(codeLine);
    int code = 0;
    auto [p, ec] = std::from_chars(c.data(), c.data() + c.size(), code);
    if (c.empty() || ec != std::errc() || p != c.data() + c.size() || code < 0)
      fail(codeLineNo, "group code expected, found " + shown(codeLine));
    std::string_view value;
    if (!readLine(value)) fail(codeLineNo, "the file ends after group code " + std::to_string(code));
    g.code = code;
    g.value = value;
    g.line = line_;
    return true;
  }

 private:
  bool readLine(std::string_view& out) {
    if (pos_ >= data_.size()) return false;
    std::size_t end = data_.find('\n', pos_);
    if (end == std::string_view::npos) end = data_.size();
    std::size_t stop = end;
    if (stop > pos_ && data_[stop - 1] == '\r') --stop;
    out = data_.substr(pos_, stop - pos_);
    pos_ = end + 1;
    ++line_;
    return true;
  }

  std::string_view data_;
  std::size_t pos_ = 0;
  std::uint32_t line_ = 0;
};

bool isZero(const Group& g, std::string_view type) { return g.code == 0 && trimmed(g.value) == type; }

}  // namespace

std::vector<Section> splitSections(std::string_view bytes) {
  if (bytes.substr(0, 18) == "AutoCAD Binary DXF")
    throw DxfError{Acad::eUnknownDxfFileFormat, "binary DXF is not supported (only ASCII DXF)"};
  GroupReader reader(bytes);
  std::vector<Section> sections;
  Group g;
  bool haveGroup = false;
  try {
    haveGroup = reader.next(g);
  } catch (const DxfError& e) {
    // Not even one group: this is not DXF text.
    throw DxfError{Acad::eUnknownDxfFileFormat, "not a DXF file (" + e.reason + ")"};
  }
  if (!haveGroup) throw DxfError{Acad::eBadDxfFile, "the file is empty"};
  while (true) {
    if (!haveGroup) fail(g.line, "the file ends without \"0 EOF\" (truncated?)");
    if (isZero(g, "EOF")) return sections;
    if (!isZero(g, "SECTION")) {
      if (sections.empty() && g.code != 0 && g.code != 999)
        throw DxfError{Acad::eUnknownDxfFileFormat, "line " + std::to_string(g.line) + ": not a DXF file (no SECTION)"};
      if (g.code == 999) {  // comment
        haveGroup = reader.next(g);
        continue;
      }
      fail(g.line, "\"0 SECTION\" expected, found " + std::to_string(g.code) + " " + shown(g.value));
    }
    Section sec;
    sec.line = g.line;
    if (!reader.next(g)) fail(sec.line, "the file ends inside a section header");
    if (g.code != 2) fail(g.line, "section name (group 2) expected");
    sec.name = trimmed(g.value);
    const bool header = sec.name == "HEADER";
    haveGroup = reader.next(g);
    while (true) {
      if (!haveGroup) fail(sec.line, "section " + std::string(sec.name) + " is not closed by ENDSEC (truncated?)");
      if (g.code == 0) {
        std::string_view type = trimmed(g.value);
        if (type == "ENDSEC") break;
        if (type == "SECTION" || type == "EOF")
          fail(g.line, "section " + std::string(sec.name) + " is not closed by ENDSEC before " + std::string(type));
        if (header) fail(g.line, "group 0 " + shown(type) + " inside the HEADER section");
        Record r;
        r.type = type;
        r.line = g.line;
        while ((haveGroup = reader.next(g)) && g.code != 0) r.groups.push_back(g);
        sec.records.push_back(std::move(r));
        continue;
      }
      if (header && g.code == 9) {
        HeaderVar v;
        v.name = trimmed(g.value);
        v.line = g.line;
        while ((haveGroup = reader.next(g)) && g.code != 0 && g.code != 9) v.groups.push_back(g);
        sec.vars.push_back(std::move(v));
        continue;
      }
      if (g.code == 999) {
        haveGroup = reader.next(g);
        continue;
      }
      if (header || !sec.records.empty())
        fail(g.line, "group " + std::to_string(g.code) + " outside a record in section " + std::string(sec.name));
      // Sections such as THUMBNAILIMAGE start with groups of their own: an unnamed record.
      Record r;
      r.line = g.line;
      r.groups.push_back(g);
      while ((haveGroup = reader.next(g)) && g.code != 0) r.groups.push_back(g);
      sec.records.push_back(std::move(r));
    }
    sections.push_back(std::move(sec));
    haveGroup = reader.next(g);
  }
}

double toReal(const Group& g) {
  std::string_view s = trimmed(g.value);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0.0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || p != s.data() + s.size())
    fail(g.line, "group " + std::to_string(g.code) + ": " + shown(g.value) + " is not a number");
  if (!std::isfinite(v)) fail(g.line, "group " + std::to_string(g.code) + ": " + shown(g.value) + " is not finite");
  return v;
}

std::int64_t toInt(const Group& g) {
  std::string_view s = trimmed(g.value);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (!s.empty() && ec == std::errc() && p == s.data() + s.size()) return v;
  // Some writers put integers as reals ("1.0"): accept integral values.
  double d = 0.0;
  auto [p2, ec2] = std::from_chars(s.data(), s.data() + s.size(), d);
  if (!s.empty() && ec2 == std::errc() && p2 == s.data() + s.size() && std::isfinite(d) && std::floor(d) == d &&
      std::fabs(d) < 9.2e18)
    return static_cast<std::int64_t>(d);
  fail(g.line, "group " + std::to_string(g.code) + ": " + shown(g.value) + " is not an integer");
}

int toInt32(const Group& g) {
  std::int64_t v = toInt(g);
  // 32-bit groups written unsigned (colours 0xFFFFFFFF) wrap as on the platform.
  if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX))
    fail(g.line, "group " + std::to_string(g.code) + ": " + shown(g.value) + " is out of range");
  return static_cast<int>(static_cast<std::uint32_t>(v));
}

AcDbHandle toHandle(const Group& g) {
  std::string_view s = trimmed(g.value);
  std::uint64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (s.empty() || ec != std::errc() || p != s.data() + s.size() || s.size() > 16)
    fail(g.line, "group " + std::to_string(g.code) + ": " + shown(g.value) + " is not a handle");
  return AcDbHandle(v);
}

}  // namespace arxdxf::detail
