#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>

#include "win32/wstr.h"

namespace {

TEST(WideStrings, ComparisonsUseUnsignedUnitsAndAsciiOnlyCaseFolding) {
  EXPECT_GT(wcscmp(u"\uFFFF", u"a"), 0) << "units compare as unsigned 16-bit values";
  EXPECT_LT(wcscmp(u"ab", u"abc"), 0);
  EXPECT_EQ(wcsncmp(u"abcX", u"abcY", 3), 0);
  EXPECT_EQ(_wcsicmp(u"VurkArxWin", u"VURKARXWIN"), 0);
  EXPECT_LT(_wcsicmp(u"_", u"A"), 0) << "MSVC compares lower-cased: '_' (0x5F) < 'a' (0x61)";
  EXPECT_NE(_wcsicmp(u"\u00C4", u"\u00E4"), 0) << "the C locale folds only A-Z";
  EXPECT_EQ(_wcsnicmp(u"VurkArxWin", u"VURKARXwindow", 9), 0);
  EXPECT_NE(_wcsnicmp(u"VurkArxWin", u"VURKARXwindow", 11), 0) << "the terminator meets the d";
  EXPECT_EQ(towupper(u'a'), u'A');
  EXPECT_EQ(towupper(u'\u00E4'), u'\u00E4');
  EXPECT_EQ(towlower(u'Q'), u'q');
}

}  // namespace
