// Case-insensitive comparison of names as Windows compares file, INI and registry names.
//
// Models: Windows compares names by mapping each UTF-16 unit to upper case through a fixed
// table and comparing the results unit by unit (no locale, no normalisation).
// Limitations: the table here covers ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters; other scripts (CJK has no case) compare exactly.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

char16_t upcaseUnit(char16_t c);
std::u16string upcaseName(std::u16string_view name);
// <0, 0, >0 like compare(), on upper-cased units.
int compareNoCase(std::u16string_view a, std::u16string_view b);
inline bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}

}  // namespace win32
