#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>

#include "win32/wstr.h"

namespace {

TEST(WideStrings, CopyAndConcatenateWithSizeChecks) {
  char16_t buf[4];
  EXPECT_EQ(wcscpy_s(buf, 4, u"abc"), 0);
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(wcscpy_s(buf, 4, u"abcd"), ERANGE) << "four characters and a terminator need five";
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(wcscpy_s(buf, 4, nullptr), EINVAL);
  EXPECT_EQ(wcscpy_s(nullptr, 4, u"a"), EINVAL);

  char16_t cat[5] = u"ab";
  EXPECT_EQ(wcscat_s(cat, 5, u"cd"), 0);
  EXPECT_EQ(std::u16string(cat), u"abcd");
  EXPECT_EQ(wcscat_s(cat, 5, u"e"), ERANGE);
  EXPECT_EQ(cat[0], 0);

  char16_t t[4];
  EXPECT_EQ(wcsncpy_s(t, 4, u"abcdef", _TRUNCATE), STRUNCATE);
  EXPECT_EQ(std::u16string(t), u"abc");
  EXPECT_EQ(wcsncpy_s(t, 4, u"abcdef", 2), 0);
  EXPECT_EQ(std::u16string(t), u"ab");
  EXPECT_EQ(wcsncpy_s(t, 4, u"abcdef", 4), ERANGE);
}

TEST(WideStrings, WcsncpyPadsAndDoesNotTerminateWhenFull) {
  char16_t buf[6] = {u'x', u'x', u'x', u'x', u'x', u'x'};
  wcsncpy(buf, u"ab", 4);
  EXPECT_EQ(buf[1], u'b');
  EXPECT_EQ(buf[2], 0);
  EXPECT_EQ(buf[3], 0);
  EXPECT_EQ(buf[4], u'x');
  wcsncpy(buf, u"abcdef", 3);
  EXPECT_EQ(buf[2], u'c');
  EXPECT_EQ(buf[3], 0) << "left from the earlier padding, not written now";
  EXPECT_EQ(wcslen(u"中文ab"), 4u);
  EXPECT_EQ(wcsnlen(u"abcdef", 3), 3u);
}

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

TEST(WideStrings, Searching) {
  const char16_t* s = u"C:\\a\\b.txt";
  EXPECT_EQ(wcschr(s, u'\\'), s + 2);
  EXPECT_EQ(wcsrchr(s, u'\\'), s + 4);
  EXPECT_EQ(wcschr(s, u'z'), nullptr);
  EXPECT_EQ(wcschr(s, u'\0'), s + 10) << "the terminator is part of the string";
  EXPECT_EQ(wcsstr(s, u"b.t"), s + 5);
  EXPECT_EQ(wcsstr(s, u""), s);
  EXPECT_EQ(wcsstr(s, u"txtx"), nullptr);
  char16_t m[] = u"abc";
  *wcschr(m, u'b') = u'B';
  EXPECT_EQ(std::u16string(m), u"aBc");
}

TEST(WideStrings, NumberParsingClampsLikeMsvc) {
  EXPECT_EQ(_wtoi(u"  -42abc"), -42);
  EXPECT_EQ(_wtoi(u"+7"), 7);
  EXPECT_EQ(_wtoi(u"中"), 0);
  EXPECT_EQ(_wtoi(u"99999999999"), INT_MAX);
  EXPECT_EQ(_wtoi(u"-99999999999"), INT_MIN);
  EXPECT_EQ(_wtoi(u"-2147483648"), INT_MIN);
  EXPECT_EQ(_wtol(u"3000000000"), 2147483647) << "LONG is 32-bit";
  EXPECT_EQ(_wtoi64(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(_wtoi64(u"9223372036854775808"), INT64_MAX);
  EXPECT_EQ(_wtoi64(u"\t12345678901"), 12345678901);
  EXPECT_DOUBLE_EQ(_wtof(u" 3.5e2x"), 350.0);
  EXPECT_DOUBLE_EQ(_wtof(u"-0.125"), -0.125);
  EXPECT_DOUBLE_EQ(_wtof(u"1.5中"), 1.5);
  EXPECT_DOUBLE_EQ(_wtof(u"abc"), 0.0);
}

}  // namespace
