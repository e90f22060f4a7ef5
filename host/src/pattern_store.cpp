#include "host/pattern_store.h"

#include <algorithm>
#include <cstring>

#include "host/byte_reader.h"
#include "host/byte_writer.h"
#include "host/json_writer.h"

namespace host {

namespace L = layout;

std::array<std::uint8_t, L::pattern_line::kSize> makePatternLine(double angle, double baseX, double baseY,
                                                                 double spacing, std::span<const double> dashes) {
  ByteWriter w(L::pattern_line::kSize);
  w.f64(L::pattern_line::kAngle, angle);
  w.f64(L::pattern_line::kBaseX, baseX);
  w.f64(L::pattern_line::kBaseY, baseY);
  w.f64(L::pattern_line::kSpacing, spacing);
  const std::size_t n = std::min<std::size_t>(dashes.size(), L::pattern_line::kMaxDashes);
  w.u32(L::pattern_line::kDashCount, static_cast<std::uint32_t>(n));
  for (std::size_t i = 0; i < n; ++i) w.f64(L::pattern_line::kDashes + 8 * i, dashes[i]);
  std::array<std::uint8_t, L::pattern_line::kSize> out{};
  std::memcpy(out.data(), w.bytes().data(), out.size());
  return out;
}

PatternStore::PatternStore() {
  // Standard line families (angle, base point, spacing across the lines).
  HatchPattern ansi31{"ANSI31", 1.0, 1, {makePatternLine(45, 0, 0, 3.175)}, true};
  HatchPattern ansi37{"ANSI37", 1.0, 2, {makePatternLine(45, 0, 0, 3.175), makePatternLine(135, 0, 0, 3.175)}, true};
  HatchPattern net{"NET", 1.0, 3, {makePatternLine(0, 0, 0, 3.175), makePatternLine(90, 0, 0, 3.175)}, true};
  patterns_ = {ansi31, ansi37, net};
}

const HatchPattern* PatternStore::findById(std::uint32_t id) const {
  for (const HatchPattern& p : patterns_) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

std::size_t PatternStore::merge(const std::vector<HatchPattern>& incoming) {
  std::size_t added = 0;
  for (const HatchPattern& p : incoming) {
    if (findById(p.id)) continue;
    HatchPattern copy = p;
    copy.ownPattern = false;
    patterns_.push_back(std::move(copy));
    ++added;
  }
  return added;
}

std::vector<std::uint8_t> PatternStore::writeList() const {
  std::size_t total = L::pattern_list::kHeadSize;
  for (const HatchPattern& p : patterns_) total += L::pattern_list::kEntrySize + p.lines.size() * L::pattern_line::kSize;
  ByteWriter w(total);
  w.u32(L::pattern_list::kCount, static_cast<std::uint32_t>(patterns_.size()));
  std::size_t at = L::pattern_list::kHeadSize;
  for (const HatchPattern& p : patterns_) {
    w.text(at + L::pattern_list::kName, p.name, L::pattern_list::kNameField);
    w.f64(at + L::pattern_list::kDefaultScale, p.defaultScale);
    w.u32(at + L::pattern_list::kId, p.id);
    w.u32(at + L::pattern_list::kLineCount, static_cast<std::uint32_t>(p.lines.size()));
    at += L::pattern_list::kEntrySize;
    for (const auto& line : p.lines) {
      w.raw(at, line);
      at += L::pattern_line::kSize;
    }
  }
  return w.take();
}

std::optional<std::vector<HatchPattern>> readPatternList(std::span<const std::uint8_t> bytes, std::string* error,
                                                         std::size_t* trailingBytes) {
  auto fail = [error](std::string why) -> std::optional<std::vector<HatchPattern>> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const ByteReader r(bytes);
  if (!r.has(0, L::pattern_list::kHeadSize)) return fail("a pattern list is at least 96 bytes");
  const std::uint32_t count = *r.u32(L::pattern_list::kCount);
  if (!r.fitsCount(L::pattern_list::kHeadSize, count, L::pattern_list::kEntrySize)) {
    return fail("the list counts " + std::to_string(count) + " entries, more than its bytes hold");
  }
  std::vector<HatchPattern> out;
  out.reserve(count);
  std::uint64_t at = L::pattern_list::kHeadSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!r.has(at, L::pattern_list::kEntrySize)) return fail("entry " + std::to_string(i) + " is cut off");
    HatchPattern p;
    p.name = r.nulTerminated(at + L::pattern_list::kName, L::pattern_list::kNameField);
    p.defaultScale = *r.f64(at + L::pattern_list::kDefaultScale);
    p.id = *r.u32(at + L::pattern_list::kId);
    const std::uint32_t k = *r.u32(at + L::pattern_list::kLineCount);
    at += L::pattern_list::kEntrySize;
    if (!r.fitsCount(at, k, L::pattern_line::kSize)) {
      return fail("entry " + std::to_string(i) + " counts " + std::to_string(k) + " lines, more than the bytes hold");
    }
    p.lines.resize(k);
    for (std::uint32_t j = 0; j < k; ++j) {
      const auto line = *r.slice(at, L::pattern_line::kSize);
      std::memcpy(p.lines[j].data(), line.data(), L::pattern_line::kSize);
      at += L::pattern_line::kSize;
    }
    out.push_back(std::move(p));
  }
  if (trailingBytes) *trailingBytes = static_cast<std::size_t>(bytes.size() - at);
  return out;
}

void PatternStore::writeJson(JsonWriter& json) const {
  json.beginArray();
  for (const HatchPattern& p : patterns_) {
    json.beginObject();
    json.key("id").value(static_cast<std::uint64_t>(p.id));
    json.key("name").value(p.name);
    json.key("lines").value(static_cast<std::uint64_t>(p.lines.size()));
    json.key("own").value(p.ownPattern);
    json.endObject();
  }
  json.endArray();
}

}  // namespace host
