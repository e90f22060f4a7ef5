#include "hostlink/pattern_list.h"

#include <algorithm>
#include <cstring>

#include "util/byte_io.h"
#include "util/utf8_text.h"

namespace vurk {

namespace L = pattern_list_layout;

std::string HostPattern::name() const {
  const auto* begin = reinterpret_cast<const char*>(entry.data()) + L::kName;
  const auto* end = begin + L::kNameField;
  return std::string(begin, std::find(begin, end, '\0'));
}

double HostPattern::defaultScale() const { return getF64le(entry, L::kDefaultScale); }
std::uint32_t HostPattern::patternId() const { return getU32le(entry, L::kPatternId); }

void HostPattern::setName(std::string_view utf8) {
  char field[L::kNameField] = {};
  const std::size_t n = std::min(utf8.size(), L::kNameField - 1);
  std::memcpy(field, utf8.data(), n);
  Utf8Repair(field, sizeof field);  // never leaves half a character behind
  std::memcpy(entry.data() + L::kName, field, sizeof field);
}

void HostPattern::setDefaultScale(double scale) { putF64le(entry, L::kDefaultScale, scale); }
void HostPattern::setPatternId(std::uint32_t id) { putU32le(entry, L::kPatternId, id); }

void HostPattern::addLine(std::span<const std::uint8_t, L::kLineSize> line) {
  lines.insert(lines.end(), line.begin(), line.end());
}

std::optional<PatternList> DecodePatternList(std::span<const std::uint8_t> answer) {
  ByteReader reader(answer);
  const auto head = reader.bytes(L::kHeadSize);
  if (!reader.ok()) return std::nullopt;
  const std::uint64_t count = getU32le(head, L::kCount);
  // Every entry needs at least its 384 bytes: a count that cannot fit is refused before anything
  // is allocated.
  if (count * L::kEntrySize > reader.remaining()) return std::nullopt;
  PatternList list;
  list.entries.reserve(static_cast<std::size_t>(count));
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto bytes = reader.bytes(L::kEntrySize);
    if (!reader.ok()) return std::nullopt;
    HostPattern p;
    std::copy(bytes.begin(), bytes.end(), p.entry.begin());
    // The host's pointer slot means nothing here.
    std::fill_n(p.entry.begin() + L::kLineSlot, 8, std::uint8_t{0});
    const std::uint64_t lineBytes = std::uint64_t{getU32le(bytes, L::kLineCount)} * L::kLineSize;
    if (lineBytes > reader.remaining()) return std::nullopt;
    const auto lines = reader.bytes(lineBytes);
    p.lines.assign(lines.begin(), lines.end());
    list.entries.push_back(std::move(p));
  }
  return list;
}

std::vector<std::uint8_t> EncodePatternList(const PatternList& list) {
  std::size_t size = L::kHeadSize;
  for (const auto& p : list.entries) size += L::kEntrySize + p.lineCount() * L::kLineSize;
  std::vector<std::uint8_t> out(size, 0);
  putU32le(out, L::kCount, static_cast<std::uint32_t>(list.entries.size()));
  std::size_t at = L::kHeadSize;
  for (const auto& p : list.entries) {
    std::copy(p.entry.begin(), p.entry.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    const std::span<std::uint8_t> entry(out.data() + at, L::kEntrySize);
    putU32le(entry, L::kLineCount, static_cast<std::uint32_t>(p.lineCount()));
    putU64le(entry, L::kLineSlot, 0);
    at += L::kEntrySize;
    const std::size_t lineBytes = p.lineCount() * L::kLineSize;
    std::copy_n(p.lines.begin(), lineBytes, out.begin() + static_cast<std::ptrdiff_t>(at));
    at += lineBytes;
  }
  return out;
}

void ReleasePatternList(PatternList& list) {
  for (auto& p : list.entries) std::vector<std::uint8_t>().swap(p.lines);
  std::vector<HostPattern>().swap(list.entries);
}

}  // namespace vurk
