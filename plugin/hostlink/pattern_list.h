// The hatch pattern list of GetPatternList (the host's patterns, host message 20601) and
// SetPatternList (the plug-in's new patterns): a 96-byte head whose u32 at 4 is the entry
// count; then, per entry, a 384-byte pattern entry immediately followed by its pattern lines of
// 248 bytes each.
//
// In memory each entry keeps its 384 bytes (the slot at 336, where a pointer to the lines lived
// in the host's memory, is always zero here) and owns its lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostlink/wire_field.h"

namespace vurk {

namespace pattern_list_layout {
inline constexpr std::size_t kCount = 4;  // u32 in the head
inline constexpr std::size_t kHeadSize = 96;
inline constexpr std::array<WireField, 1> kHeadFields{{{"count", kCount, 4}}};
static_assert(FieldsFit(kHeadFields, kHeadSize));

inline constexpr std::size_t kName = 0;            // NUL-terminated UTF-8 within the field
inline constexpr std::size_t kNameField = 320;
inline constexpr std::size_t kDefaultScale = 320;  // f64
inline constexpr std::size_t kPatternId = 328;     // u32
inline constexpr std::size_t kLineCount = 332;     // u32
inline constexpr std::size_t kLineSlot = 336;      // 8 bytes, zero on the wire we write
inline constexpr std::size_t kEntrySize = 384;
inline constexpr std::size_t kLineSize = 248;
inline constexpr std::array<WireField, 5> kEntryFields{{{"name", kName, kNameField},
                                                        {"defaultScale", kDefaultScale, 8},
                                                        {"patternId", kPatternId, 4},
                                                        {"lineCount", kLineCount, 4},
                                                        {"lineSlot", kLineSlot, 8}}};
static_assert(FieldsFit(kEntryFields, kEntrySize));
}  // namespace pattern_list_layout

// One 248-byte pattern line (a family of parallel dashed lines).
namespace pattern_line_layout {
inline constexpr std::size_t kAngle = 0;       // f64 degrees
inline constexpr std::size_t kBaseX = 8;       // f64
inline constexpr std::size_t kBaseY = 16;      // f64
inline constexpr std::size_t kSpacing = 32;    // f64, between the lines of the family
inline constexpr std::size_t kDashCount = 40;  // u32, at most 25
inline constexpr std::size_t kDashes = 48;     // f64 each
inline constexpr std::uint32_t kMaxDashes = 25;
inline constexpr std::size_t kSize = 248;
// The bytes of a line that make its identity (Hash31), with 44..47 cleared first.
inline constexpr std::size_t kHashedBytes = 208;
inline constexpr std::size_t kUnhashedFrom = 44;
inline constexpr std::size_t kUnhashedTo = 48;
inline constexpr std::array<WireField, 6> kFields{{{"angle", kAngle, 8},
                                                   {"baseX", kBaseX, 8},
                                                   {"baseY", kBaseY, 8},
                                                   {"spacing", kSpacing, 8},
                                                   {"dashCount", kDashCount, 4},
                                                   {"dashes", kDashes, 8 * kMaxDashes}}};
static_assert(FieldsFit(kFields, kSize));
}  // namespace pattern_line_layout

struct HostPattern {
  std::array<std::uint8_t, pattern_list_layout::kEntrySize> entry{};
  std::vector<std::uint8_t> lines;  // whole 248-byte lines

  // The name: the bytes up to the first NUL within the name field.
  std::string name() const;
  double defaultScale() const;
  std::uint32_t patternId() const;
  std::size_t lineCount() const { return lines.size() / pattern_list_layout::kLineSize; }

  // For building the plug-in's own patterns: the name is cut to whole UTF-8 characters that fit
  // in 319 bytes.
  void setName(std::string_view utf8);
  void setDefaultScale(double scale);
  void setPatternId(std::uint32_t id);
  void addLine(std::span<const std::uint8_t, pattern_list_layout::kLineSize> line);
};

struct PatternList {
  std::vector<HostPattern> entries;
};

// Decodes an answer: nothing when it is shorter than the head, when a count does not fit in the
// bytes that remain (checked before anything is allocated) or when it is truncated.
std::optional<PatternList> DecodePatternList(std::span<const std::uint8_t> answer);
// The wire form of a list, with the count and each entry's line count taken from the list.
std::vector<std::uint8_t> EncodePatternList(const PatternList& list);
// Frees each entry's lines, then the entries.
void ReleasePatternList(PatternList& list);

}  // namespace vurk
