// The host's hatch patterns, exchanged as a pattern list: a 96-byte head with the entry count
// at 4, then per entry 384 bytes (name up to a NUL within the first 320 bytes, default scale
// f64 at 320, id at 328, line count k at 332, 8 bytes at 336 that are a pointer in the
// sender's memory and mean nothing here) directly followed by its k pattern lines of 248 bytes.
//
// The host starts with a few standard patterns of its own (ids 1..3) and adds the patterns the
// plug-in sends with SetPatternList; a pattern whose id the host already has is kept as it is.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/record_layouts.h"

namespace host {

class JsonWriter;

struct HatchPattern {
  std::string name;
  double defaultScale = 1.0;
  std::uint32_t id = 0;
  std::vector<std::array<std::uint8_t, layout::pattern_line::kSize>> lines;  // as received
  bool ownPattern = false;  // one of the host's standard patterns
};

class PatternStore {
 public:
  PatternStore();

  const std::vector<HatchPattern>& patterns() const { return patterns_; }
  const HatchPattern* findById(std::uint32_t id) const;
  // Adds the patterns whose ids are new; returns how many were added.
  std::size_t merge(const std::vector<HatchPattern>& incoming);
  // The list in wire form (answer to GetPatternList).
  std::vector<std::uint8_t> writeList() const;

  void writeJson(JsonWriter& json) const;

 private:
  std::vector<HatchPattern> patterns_;
};

// Reads a pattern list; nothing (with the reason) when it is shorter than its head or when the
// entries or their lines run past the end. Bytes after the last entry (a sender's unused
// buffer space) are not read; their number goes to *trailingBytes.
std::optional<std::vector<HatchPattern>> readPatternList(std::span<const std::uint8_t> bytes,
                                                         std::string* error = nullptr,
                                                         std::size_t* trailingBytes = nullptr);

// One pattern line of the standard form: angle (degrees), base point, spacing across the
// lines, dashes.
std::array<std::uint8_t, layout::pattern_line::kSize> makePatternLine(double angle, double baseX, double baseY,
                                                                      double spacing,
                                                                      std::span<const double> dashes = {});

}  // namespace host
