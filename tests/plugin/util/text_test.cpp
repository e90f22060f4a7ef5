#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "util/numbers.h"
#include "util/utf8_text.h"

namespace {

using namespace std::string_literals;

// "中" is E4 B8 AD, "é" is C3 A9.
TEST(Utf8DisplayWidth, AsciiCountsOneAndMultiByteCountsTwo) {
  EXPECT_EQ(vurk::Utf8DisplayWidth(""), 0u);
  EXPECT_EQ(vurk::Utf8DisplayWidth("abc"), 3u);
  EXPECT_EQ(vurk::Utf8DisplayWidth("a\xC3\xA9" "b"), 4u) << "2-byte character counts 2";
  EXPECT_EQ(vurk::Utf8DisplayWidth("\xE4\xB8\xAD\xE6\x96\x87" "1"), 5u) << "two CJK characters and a digit";
}

TEST(Utf8DisplayWidth, StopsAtFirstMalformedSequence) {
  EXPECT_EQ(vurk::Utf8DisplayWidth("ab\x80" "cd"), 2u) << "continuation byte where a lead is expected";
  EXPECT_EQ(vurk::Utf8DisplayWidth("a\xF0\x9F\x98\x80" "b"), 1u) << "lead byte of a 4-byte sequence";
  EXPECT_EQ(vurk::Utf8DisplayWidth("a\xE4\xB8" "b"), 1u) << "missing continuation byte";
  EXPECT_EQ(vurk::Utf8DisplayWidth("a\xE4\xB8"), 1u) << "sequence cut by the end of the text";
  EXPECT_EQ(vurk::Utf8DisplayWidth("ab\0cd"s), 2u) << "a NUL ends the text";
}

TEST(Utf8Repair, CutsAtTheFirstMalformedSequence) {
  char text[] = "\xE4\xB8\xAD" "x\xC3" "y\xE4\xB8\xAD";
  EXPECT_EQ(vurk::Utf8Repair(text, sizeof text), 4u);
  EXPECT_STREQ(text, "\xE4\xB8\xAD" "x");

  char cut[] = "ab\xE4\xB8";  // last character lost its final byte
  EXPECT_EQ(vurk::Utf8Repair(cut, sizeof cut), 2u);
  EXPECT_STREQ(cut, "ab");

  char good[] = "\xE5\x9C\xB0\xE5\x9B\xBE";  // well-formed text is left as it is
  EXPECT_EQ(vurk::Utf8Repair(good, sizeof good), 6u);
  EXPECT_STREQ(good, "\xE5\x9C\xB0\xE5\x9B\xBE");

  std::string s = "ok\xF0\x9F\x98\x80";
  EXPECT_EQ(vurk::Utf8Repair(s), 2u);
  EXPECT_EQ(s, "ok");
}

TEST(Utf8Repair, UnterminatedBufferIsTerminatedAtACharacterBoundary) {
  // Five bytes with no room for a terminator: "a" + "中" + "b"; the zero can only go where
  // "b" was, so "a中" remains.
  char buffer[5] = {'a', '\xE4', '\xB8', '\xAD', 'b'};
  EXPECT_EQ(vurk::Utf8Repair(buffer, sizeof buffer), 4u);
  EXPECT_EQ(buffer[4], '\0');
  // Here the zero has to go inside "中", so the whole character goes.
  char buffer2[4] = {'a', '\xE4', '\xB8', '\xAD'};
  EXPECT_EQ(vurk::Utf8Repair(buffer2, sizeof buffer2), 1u);
  EXPECT_EQ(buffer2[1], '\0');
  EXPECT_EQ(vurk::Utf8Repair(buffer2, 0), 0u);
}

TEST(ToUtf8, EncodesEachUnitInOneTwoOrThreeBytes) {
  char out[32];
  EXPECT_EQ(vurk::ToUtf8(u"A\u00E9\u4E2D", out, sizeof out), 6u);
  EXPECT_STREQ(out, "A\xC3\xA9\xE4\xB8\xAD");
  // U+07FF is the last 2-byte unit, U+0800 the first 3-byte one.
  EXPECT_EQ(vurk::ToUtf8(u"\u07FF\u0800", out, sizeof out), 5u);
  EXPECT_STREQ(out, "\xDF\xBF\xE0\xA0\x80");
  // A surrogate pair is not combined: each unit becomes its own 3-byte form (U+1F600 is
  // D83D DE00).
  EXPECT_EQ(vurk::ToUtf8(u"\U0001F600", out, sizeof out), 6u);
  EXPECT_STREQ(out, "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(ToUtf8, StopsBeforeACharacterThatWouldNotFitAndAlwaysTerminates) {
  char out[8];
  std::memset(out, 'Z', sizeof out);
  // "ab" + "中": 2 + 3 bytes + zero = 6 fit in 6, not in 5.
  EXPECT_EQ(vurk::ToUtf8(u"ab\u4E2D", out, 6), 5u);
  EXPECT_STREQ(out, "ab\xE4\xB8\xAD");
  std::memset(out, 'Z', sizeof out);
  EXPECT_EQ(vurk::ToUtf8(u"ab\u4E2D", out, 5), 2u);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(out[3], 'Z') << "nothing written after the terminator";
  EXPECT_EQ(vurk::ToUtf8(u"abc", out, 1), 0u);
  EXPECT_EQ(out[0], '\0');
}

TEST(ToUtf8, SizeZeroWritesNothing) {
  char out[4] = {'Z', 'Z', 'Z', 'Z'};
  EXPECT_EQ(vurk::ToUtf8(u"abc", out, 0), 0u);
  EXPECT_EQ(out[0], 'Z');
  EXPECT_EQ(vurk::ToUtf8Cut(u"abc", out, 0, 3), 0u);
  EXPECT_EQ(out[0], 'Z');
}

TEST(ToUtf8, StopsAtTheFirstNulOfTheText) {
  char out[16];
  EXPECT_EQ(vurk::ToUtf8(u"ab\0cd"s, out, sizeof out), 2u);
  EXPECT_STREQ(out, "ab");
}

TEST(ToUtf8Cut, CutsToMaximumMinusOneAtACharacterBoundary) {
  char out[32];
  // "地图" is E5 9C B0 E5 9B BE; a maximum of 6 allows 5 bytes, which would split "图".
  EXPECT_EQ(vurk::ToUtf8Cut(u"\u5730\u56FE", out, sizeof out, 6), 3u);
  EXPECT_STREQ(out, "\xE5\x9C\xB0");
  // A maximum of 7 allows both characters exactly.
  EXPECT_EQ(vurk::ToUtf8Cut(u"\u5730\u56FE", out, sizeof out, 7), 6u);
  EXPECT_STREQ(out, "\xE5\x9C\xB0\xE5\x9B\xBE");
  // ASCII is cut exactly.
  EXPECT_EQ(vurk::ToUtf8Cut(u"abcdef", out, sizeof out, 4), 3u);
  EXPECT_STREQ(out, "abc");
  // Shorter text is not touched.
  EXPECT_EQ(vurk::ToUtf8Cut(u"ab", out, sizeof out, 10), 2u);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(vurk::ToUtf8Cut(u"ab", out, sizeof out, 0), 0u);
  EXPECT_STREQ(out, "");
}

TEST(IntToText, RadixTenIsSignedOtherRadicesUnsigned) {
  char buffer[vurk::kIntTextSize];
  EXPECT_EQ(vurk::IntToText(-42, buffer, sizeof buffer, 10), 3u);
  EXPECT_STREQ(buffer, "-42");
  EXPECT_EQ(vurk::IntToText(-42, 16), "ffffffffffffffd6") << "two's complement of 42";
  EXPECT_EQ(vurk::IntToText(255, 16), "ff");
  EXPECT_EQ(vurk::IntToText(0, 10), "0");
  EXPECT_EQ(vurk::IntToText(35, 36), "z");
  EXPECT_EQ(vurk::IntToText(INT64_MIN, 10), "-9223372036854775808");
  EXPECT_EQ(vurk::IntToText(INT64_MAX, 10), "9223372036854775807");
}

TEST(IntToText, LongestTextIsSixtyFourBinaryDigits) {
  char buffer[vurk::kIntTextSize];
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(vurk::IntToText(-1, buffer, sizeof buffer, 2), 64u);
  EXPECT_EQ(std::string(buffer), std::string(64, '1'));
}

TEST(IntToText, BadRadixOrSmallBufferGivesNothing) {
  char buffer[vurk::kIntTextSize];
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(vurk::IntToText(7, buffer, sizeof buffer, 1), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(vurk::IntToText(7, 37), "");
  char small[10];
  EXPECT_EQ(vurk::IntToText(7, small, sizeof small, 10), 0u);
  EXPECT_STREQ(small, "");
}

TEST(ParseNumber, HexadecimalAndDecimalPrefixes) {
  EXPECT_EQ(vurk::ParseNumber("0x1f"), 31u);
  EXPECT_EQ(vurk::ParseNumber("0X1F"), 31u);
  EXPECT_EQ(vurk::ParseNumber("12ab"), 12u);
  EXPECT_EQ(vurk::ParseNumber("123abc"), 123u);
  EXPECT_EQ(vurk::ParseNumber(""), 0u);
  EXPECT_EQ(vurk::ParseNumber("abc"), 0u);
  EXPECT_EQ(vurk::ParseNumber("0x"), 0u) << "two characters are read as the decimal 0";
  EXPECT_EQ(vurk::ParseNumber("0xg"), 0u);
  EXPECT_EQ(vurk::ParseNumber("0x1g2"), 1u);
  EXPECT_EQ(vurk::ParseNumber(u"0x1F"), 31u);
  EXPECT_EQ(vurk::ParseNumber(u"6887986625948322180"), 6887986625948322180ull);
  EXPECT_EQ(vurk::ParseNumber(u"12\u4E2D"), 12u) << "a CJK character is not a digit";
}

TEST(ParseNumber, HexadecimalReadsAtMostSixteenDigits) {
  EXPECT_EQ(vurk::ParseNumber("0xffffffffffffffff"), UINT64_MAX);
  EXPECT_EQ(vurk::ParseNumber("0x123456789abcdef01"), 0x123456789abcdef0ull);
}

TEST(ParseNumber, DecimalOverflowIsUnknown) {
  EXPECT_EQ(vurk::ParseNumber("18446744073709551615"), UINT64_MAX) << "largest value fits";
  EXPECT_EQ(vurk::ParseNumber("18446744073709551616"), 0u) << "one more overflows";
  EXPECT_EQ(vurk::ParseNumber("99999999999999999999999"), 0u) << "23 digits";
  // Leading zeros: 23 characters are read, so the 24th digit is ignored.
  EXPECT_EQ(vurk::ParseNumber("000000000000000000000129"), 12u);
}

TEST(ParseNumber, TextEndsAtItsFirstNul) {
  EXPECT_EQ(vurk::ParseNumber("12\0" "34"s), 12u);
  EXPECT_EQ(vurk::ParseNumber("0x\0" "1f"s), 0u) << "only two characters before the NUL";
}

TEST(FormatWide, WritesWithWindowsRulesAndFailsOnTruncation) {
  char16_t buffer[16];
  // %s in a wide format is a wide string, as in MSVC's swprintf_s.
  EXPECT_EQ(vurk::FormatWide(buffer, 16, u"%d-%s", 42, u"\u5730\u56FE"), 5);
  EXPECT_EQ(std::u16string(buffer), u"42-\u5730\u56FE");
  // "123456" and its terminator need 7 characters.
  EXPECT_EQ(vurk::FormatWide(buffer, 7, u"%d", 123456), 6);
  EXPECT_EQ(std::u16string(buffer), u"123456");
  EXPECT_EQ(vurk::FormatWide(buffer, 6, u"%d", 123456), -1);
  EXPECT_EQ(buffer[0], u'\0') << "no half-written text is left";
  EXPECT_EQ(vurk::FormatWide(buffer, 16, u"%I64d", static_cast<long long>(-9000000000)), 11);
  EXPECT_EQ(std::u16string(buffer), u"-9000000000");
}

}  // namespace
