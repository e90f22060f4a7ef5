#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sandbox_desktop.h"
#include "win32/codepage.h"

namespace {

std::string bytes(const char* s) { return std::string(s); }

TEST(CodePage936, ChineseCharactersUseGbkBytes) {
  vurktest::SandboxDesktop desk;
  // GB2312 row/cell of 中 is 54-48, 文 is 46-36: (row + 0xA0, cell + 0xA0).
  EXPECT_EQ(win32::wideToMultiByte(936, u"中"), bytes("\xD6\xD0"));
  EXPECT_EQ(win32::wideToMultiByte(936, u"a中文b"), bytes("a\xD6\xD0\xCE\xC4" "b"));
  EXPECT_EQ(win32::multiByteToWide(936, "\xD6\xD0\xCE\xC4"), u"中文");
  EXPECT_EQ(win32::toAnsi(u"中"), bytes("\xD6\xD0")) << "CP_ACP is 936 on a fresh desktop";
  EXPECT_EQ(GetACP(), 936u);
}

TEST(CodePage936, ApiCallsCountTheTerminatorWithMinusOne) {
  vurktest::SandboxDesktop desk;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中", -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中", 1, nullptr, 0, nullptr, nullptr), 2);
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中", -1, out, sizeof out, nullptr, nullptr), 3);
  EXPECT_EQ(std::string(out, 3), std::string("\xD6\xD0\0", 3));
  EXPECT_EQ(out[3], 'x') << "nothing written past the converted text";

  EXPECT_EQ(MultiByteToWideChar(936, 0, "\xD6\xD0", -1, nullptr, 0), 2);
  char16_t w[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(936, 0, "\xD6\xD0", 2, w, 4), 1);
  EXPECT_EQ(w[0], u'中');
  EXPECT_EQ(w[1], u'x') << "an explicit count converts no terminator";
}

TEST(CodePage936, TooSmallBufferFailsWithInsufficientBuffer) {
  vurktest::SandboxDesktop desk;
  char out[2] = {'x', 'x'};
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(936, 0, u"中", -1, out, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char16_t w[1];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(936, 0, "ab", -1, w, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage936, UnmappableCharactersBecomeQuestionMarks) {
  vurktest::SandboxDesktop desk;
  BOOL used = -1;
  char out[16] = {};
  // Thai KO KAI is not in GBK; an emoji (a surrogate pair) gives a single '?'.
  const int n = WideCharToMultiByte(936, 0, u"a\u0E01\U0001F600中", -1, out, sizeof out, nullptr, &used);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(std::string(out), bytes("a??\xD6\xD0"));
  EXPECT_EQ(used, TRUE);

  EXPECT_EQ(WideCharToMultiByte(936, 0, u"中", -1, out, sizeof out, nullptr, &used), 3);
  EXPECT_EQ(used, FALSE) << "a fully mappable text clears the flag";

  EXPECT_EQ(WideCharToMultiByte(936, 0, u"\u0E01", 1, out, sizeof out, "*", &used), 1);
  EXPECT_EQ(out[0], '*') << "the caller's default character replaces the '?'";
}

TEST(CodePage936, InvalidBytesDecodeToQuestionMarks) {
  vurktest::SandboxDesktop desk;
  // A lead byte at the end, and a lead byte followed by ASCII (which survives).
  EXPECT_EQ(win32::multiByteToWide(936, "a\xD6"), u"a?");
  EXPECT_EQ(win32::multiByteToWide(936, "\xD6" "1"), u"?1");
  EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\xD6", 2, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePageUtf8, InvalidSequencesBecomeReplacementCharacters) {
  vurktest::SandboxDesktop desk;
  EXPECT_EQ(win32::multiByteToWide(CP_UTF8, "a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(win32::multiByteToWide(CP_UTF8, "\xE4\xB8"), u"\uFFFD") << "a truncated sequence is one replacement";
  EXPECT_EQ(win32::multiByteToWide(CP_UTF8, "\xC0\x80"), u"\uFFFD\uFFFD") << "overlong NUL";
  EXPECT_EQ(win32::multiByteToWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "an encoded surrogate";
  EXPECT_EQ(win32::multiByteToWide(CP_UTF8, "\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(win32::multiByteToWide(CP_UTF8, "\xE4\xB8\xAD"), u"中");

  char16_t w[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE4\xB8x", -1, w, 8), 3);
  EXPECT_EQ(std::u16string(w), u"\uFFFDx");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xE4\xB8x", -1, w, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePageUtf8, LoneSurrogatesAreWrittenAsReplacementCharacter) {
  vurktest::SandboxDesktop desk;
  EXPECT_EQ(win32::wideToMultiByte(CP_UTF8, u"a\xD800" "b"), bytes("a\xEF\xBF\xBD" "b"));
  EXPECT_EQ(win32::wideToMultiByte(CP_UTF8, u"\U0001F600"), bytes("\xF0\x9F\x98\x80"));
  char out[8];
  const char16_t lone[] = {0xDC00, 0};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePageUtf8, TooSmallBufferKeepsWholeCharactersOnly) {
  vurktest::SandboxDesktop desk;
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a中", 2, out, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(out[1], 'x') << "the three bytes of 中 do not fit in the two that remain";
}

TEST(CodePageApi, InvalidArgumentsFail) {
  vurktest::SandboxDesktop desk;
  char out[4];
  char16_t w[4];
  BOOL used = FALSE;
  EXPECT_EQ(MultiByteToWideChar(936, 0, "a", 0, w, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(936, 0, nullptr, -1, w, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WideCharToMultiByte(437, 0, u"a", -1, out, 4, nullptr, nullptr), 0) << "code page 437 is not provided";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", -1, out, 4, nullptr, &used), 0) << "UTF-8 takes no default char";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", -1, w, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(WideCharToMultiByte(936, 0x200 /* WC_SEPCHARS */, u"a", -1, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}

TEST(CodePage1252, WindowsMappingOfTheC1Block) {
  vurktest::SandboxDesktop desk;
  EXPECT_EQ(win32::multiByteToWide(1252, "\x80\x81\x9F\xE9"), u"\u20AC\u0081\u0178\u00E9");
  EXPECT_EQ(win32::wideToMultiByte(1252, u"\u20AC\u00E9中"), bytes("\x80\xE9?"));
}

TEST(CodePageApi, AnsiCodePageFollowsTheDesktop) {
  vurktest::SandboxDesktop desk;
  desk->setAnsiCodePage(1252);
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(win32::toAnsi(u"\u00E9"), bytes("\xE9"));
  EXPECT_EQ(win32::toAnsi(u"中"), bytes("?"));
  char out[4];
  EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, u"\u20AC", 1, out, 4, nullptr, nullptr), 1);
  EXPECT_EQ(out[0], '\x80');
}

}  // namespace
