// The stand-in's font model for text extents (internal).
#pragma once

#include <string_view>

namespace arxdetail {

// Width of a string in units of the text height: 0.7 per character, 1.0 per wide (CJK,
// Hangul, full-width) character; a surrogate pair counts as one character.
double textWidthUnits(std::u16string_view text);

}  // namespace arxdetail
