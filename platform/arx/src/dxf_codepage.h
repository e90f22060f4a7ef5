// Strings of DXF files (internal to the stand-in): the code page named by $DWGCODEPAGE,
// UTF-8 from R2007 on, and the escapes a file may carry ("\U+XXXX", "\M+nXXXX", "^J").
#pragma once

#include <string>
#include <string_view>

#include "win32/types.h"

namespace arxdxf::detail {

// "ANSI_1252" -> 1252, "ANSI_936" -> 936, "DOS437" -> 437 (case-insensitive); 0 when the name
// is not a code-page name.
UINT codePageFromName(std::string_view name);
// 1252 -> "ANSI_1252".
std::string codePageName(UINT codePage);

class TextDecoder {
 public:
  // utf8 true for R2007 and later; codePage otherwise (a code page the desktop cannot convert
  // reads non-ASCII bytes as Windows-1252).
  TextDecoder(UINT codePage, bool utf8);

  // The bytes of a string value as UTF-16: converted, then "\U+XXXX" (a backslash that is not
  // itself escaped by a backslash before it), "\M+5XXXX" (a GBK double byte) and the control
  // escapes "^J", "^M", "^I" decoded. Other "\M+n" escapes are kept as written.
  std::u16string decode(std::string_view bytes) const;
  UINT codePage() const { return codePage_; }
  bool utf8() const { return utf8_; }

 private:
  UINT codePage_;
  bool utf8_;
};

// A string for a DXF value line: UTF-8 (utf8) or the code page, with "\U+XXXX" for every
// character the code page cannot hold and for control characters (so no value spans lines).
std::string encodeText(std::u16string_view text, UINT codePage, bool utf8);

}  // namespace arxdxf::detail
