#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "sandbox_desktop.h"
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

TEST(FormatStrings, CharactersFollowTheSameWidthRules) {
  EXPECT_EQ(formatWide(u"%c%C%hc%lc%wc", u'中', 'a', 'b', u'文', u'x'), u"中ab文x");
  EXPECT_EQ(formatNarrow("%c%hc%lc", 'x', 'y', u'z'), "xyz");
}

TEST(FormatStrings, OtherWidthTextIsConvertedWithTheAnsiCodePage) {
  vurktest::SandboxDesktop desk;  // ANSI code page 936
  EXPECT_EQ(formatNarrow("%S", u"中"), "\xD6\xD0");
  EXPECT_EQ(formatNarrow("[%C]", u'中'), "[\xD6\xD0]");
  EXPECT_EQ(formatWide(u"%S", "\xD6\xD0\xCE\xC4"), u"中文");
  EXPECT_EQ(formatNarrow("%S", u"a\u0E01"), "a?") << "Thai is not in GBK";
  desk->setAnsiCodePage(1252);
  EXPECT_EQ(formatNarrow("%S", u"\u00E9"), "\xE9");
  EXPECT_EQ(formatWide(u"%S", "\x80"), u"\u20AC");
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

TEST(FormatStrings, PrecisionOfConvertedTextKeepsWholeCharacters) {
  vurktest::SandboxDesktop desk;
  EXPECT_EQ(formatNarrow("%.3S", u"中文"), "\xD6\xD0") << "3 bytes hold one double-byte character";
  EXPECT_EQ(formatNarrow("%.4S", u"中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(formatWide(u"%.1S", "\xD6\xD0\xCE\xC4"), u"中");
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

TEST(FormatFloats, FixedExponentGeneralAndHex) {
  EXPECT_EQ(formatWide(u"%f|%.2f|%lf", 1.5, 3.14159, 0.25), u"1.500000|3.14|0.250000");
  EXPECT_EQ(formatNarrow("[%8.3f]|[%08.3f]|[%-8.1f]|%+.1f", -2.5, -2.5, 2.3, 2.0),
            "[  -2.500]|[-002.500]|[2.3     ]|+2.0");
  EXPECT_EQ(formatNarrow("%e|%E|%.0e", 12345.678, 12345.678, 5e10), "1.234568e+04|1.234568E+04|5e+10");
  EXPECT_EQ(formatNarrow("%g|%g|%G|%g", 0.0001, 1e-5, 1e20, 100.0), "0.0001|1e-05|1E+20|100");
  EXPECT_EQ(formatNarrow("%a|%.1a|%A", 1.0, 1.5, -2.0), "0x1.0000000000000p+0|0x1.8p+0|-0X1.0000000000000P+1");
  EXPECT_EQ(formatNarrow("%#.0f|%.0f", 3.0, 3.0), "3.|3");
}

TEST(FormatFloats, InfinityAndNanAsMsvcPrintsThem) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(formatNarrow("%f|%F|[%6.1f]|[%06f]", inf, -inf, inf, inf), "inf|-INF|[   inf]|[   inf]");
  EXPECT_EQ(formatNarrow("%f", std::numeric_limits<double>::quiet_NaN()), "nan");
  // x86's "indeterminate" NaN, the result of 0.0 / 0.0: sign set, quiet bit only.
  const std::uint64_t indBits = 0xFFF8000000000000ull;
  double ind = 0;
  std::memcpy(&ind, &indBits, sizeof ind);
  EXPECT_EQ(formatNarrow("%f|%E", ind, ind), "-nan(ind)|-NAN(IND)");
  const std::uint64_t snanBits = 0x7FF0000000000001ull;
  double snan = 0;
  std::memcpy(&snan, &snanBits, sizeof snan);
  EXPECT_EQ(formatNarrow("%g", snan), "nan(snan)");
}

TEST(FormatMisc, PointerPercentAndStarArguments) {
  EXPECT_EQ(formatWide(u"%p", reinterpret_cast<void*>(0x12FF7C)), u"000000000012FF7C");
  EXPECT_EQ(formatNarrow("%p", static_cast<void*>(nullptr)), "0000000000000000");
  EXPECT_EQ(formatNarrow("100%% %d%%", 5), "100% 5%");
  EXPECT_EQ(formatWide(u"[%*d|%-*d|%.*s|%*.*f]", 4, 7, 3, 8, 2, u"abcdef", 6, 1, 2.3), u"[   7|8  |ab|   2.3]");
  EXPECT_EQ(formatNarrow("[%*d|%.*d]", -4, 7, -1, 7), "[7   |7]") << "negative * width is '-', negative precision none";
}

}  // namespace
