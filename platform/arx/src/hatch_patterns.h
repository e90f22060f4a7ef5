// The built-in hatch pattern library (internal).
#pragma once

#include <string_view>

namespace arxdetail {

struct PatternLibraryLine {
  double angleDeg;
  double baseX, baseY;
  double deltaX, deltaY;  // in the line's own frame, as pattern files give them
  double dashes[6];
  int numDashes;
};

struct PatternLibraryEntry {
  const char16_t* name;
  PatternLibraryLine lines[4];
  int numLines;
};

// The entry of a predefined pattern (case-insensitive), or null.
const PatternLibraryEntry* findLibraryPattern(std::u16string_view name);

// True for the predefined gradient names.
bool isGradientName(std::u16string_view name);

}  // namespace arxdetail
