#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "win32/format.h"

namespace {

using win32::formatNarrow;
using win32::formatWide;

TEST(FormatStrings, PlainSIsTheFormatsOwnWidthAndCapitalSTheOther) {
  EXPECT_EQ(formatWide(u"%s Ended", u"QSAVE"), u"QSAVE Ended");
  EXPECT_EQ(formatWide(u"\n%s为临时文档", u"图1"), u"\n图1为临时文档");
  EXPECT_EQ(formatWide(u"%S|%hs|%ls|%ws", "ab", "cd", u"ef", u"gh"), u"ab|cd|ef|gh");
  EXPECT_EQ(formatNarrow("%s|%S|%hs|%ls|%ws", "a", u"b", "c", u"d", u"e"), "a|b|c|d|e");
}

TEST(FormatStrings, NullArgumentsPrintNull) {
  EXPECT_EQ(formatWide(u"%s|%S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
            u"(null)|(null)");
  EXPECT_EQ(formatNarrow("%s|%ls", static_cast<const char*>(nullptr), static_cast<const char16_t*>(nullptr)),
            "(null)|(null)");
  EXPECT_EQ(formatNarrow("%.3s", static_cast<const char*>(nullptr)), "(nu");
}

TEST(FormatStrings, WidthPrecisionAndPadding) {
  EXPECT_EQ(formatWide(u"[%6.2s]", u"abcdef"), u"[    ab]");
  EXPECT_EQ(formatWide(u"[%-6s]", u"ab"), u"[ab    ]");
  EXPECT_EQ(formatNarrow("[%05s]", "ab"), "[000ab]") << "MSVC zero-pads strings too";
  EXPECT_EQ(formatNarrow("[%3c]", 'x'), "[  x]");
  // A precision lets the argument be an unterminated array: nothing past it is read.
  const char16_t unterminated[3] = {u'a', u'b', u'c'};
  EXPECT_EQ(formatWide(u"%.3s", unterminated), u"abc");
}

TEST(FormatIntegers, FlagsWidthAndPrecision) {
  EXPECT_EQ(formatWide(u"%d|%i", -5, 12), u"-5|12");
  EXPECT_EQ(formatWide(u"%5d|%-5d|%05d|%04d", 42, 42, 42, -7), u"   42|42   |00042|-007");
  EXPECT_EQ(formatNarrow("%+d|% d|%+d", 7, 7, -7), "+7| 7|-7");
  EXPECT_EQ(formatNarrow("%.3d|%08.3d|[%.0d]", 7, 7, 0), "007|     007|[]");
  EXPECT_EQ(formatNarrow("%x %X %#x %#X %o %#o %#x", 255, 255, 255, 255, 255, 255, 0), "ff FF 0xff 0XFF 377 0377 0");
  EXPECT_EQ(formatNarrow("%#06x|%u", 255, 3000000000u), "0x00ff|3000000000");
}

TEST(FormatIntegers, SizePrefixesUseWindowsWidths) {
  EXPECT_EQ(formatNarrow("%ld|%lu|%lx", static_cast<LONG>(INT32_MIN), static_cast<DWORD>(0xFFFFFFFFu),
                         static_cast<DWORD>(0xDEADBEEFu)),
            "-2147483648|4294967295|deadbeef");
  EXPECT_EQ(formatNarrow("%hd|%hu|%hhd|%hhu", 65535, 65536 + 5, 255, 256 + 9), "-1|5|-1|9");
  EXPECT_EQ(formatWide(u"%I64d", std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
  EXPECT_EQ(formatWide(u"%I64u|%llu", std::numeric_limits<std::uint64_t>::max(), 1ull << 40),
            u"18446744073709551615|1099511627776");
  EXPECT_EQ(formatNarrow("%I64X|%lld", 0x123456789ABCDEF0ull, -1ll), "123456789ABCDEF0|-1");
  EXPECT_EQ(formatNarrow("%I32d|%I32u", -1, -1), "-1|4294967295");
  EXPECT_EQ(formatNarrow("%Id|%Iu|%zu", static_cast<std::intptr_t>(-3), SIZE_MAX, std::size_t{12}),
            "-3|18446744073709551615|12");
  EXPECT_EQ(formatNarrow("%20I64d|", std::int64_t{-1}), "                  -1|");
}

TEST(FormatFloats, FixedAndGeneral) {
  EXPECT_EQ(formatWide(u"%f|%.2f|%lf", 1.5, 3.14159, 0.25), u"1.500000|3.14|0.250000");
  EXPECT_EQ(formatNarrow("[%8.3f]|[%08.3f]|[%-8.1f]|%+.1f", -2.5, -2.5, 2.3, 2.0),
            "[  -2.500]|[-002.500]|[2.3     ]|+2.0");
  EXPECT_EQ(formatNarrow("%g|%g|%G|%g", 0.0001, 1e-5, 1e20, 100.0), "0.0001|1e-05|1E+20|100");
  EXPECT_EQ(formatNarrow("%#.0f|%.0f", 3.0, 3.0), "3.|3");
}

}  // namespace
