#include <gtest/gtest.h>

#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"

namespace {

TEST(Transcript, CommandLineIsSplitIntoCompletedLines) {
  win32::Transcript t;
  t.commandLine(u"\nfirst");
  t.commandLine(u" part\nsecond\n");
  t.add("box", "[OK] hello -> OK");
  const auto& e = t.entries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].text, "first part");
  EXPECT_EQ(e[1].text, "second");
  EXPECT_EQ(e[2].channel, "box");
}

TEST(Transcript, PendingCommandLineTextIsCompletedBeforeAnotherChannel) {
  win32::Transcript t;
  t.commandLine(u"\n正在加载");
  t.add("host", "started");
  const auto& e = t.entries();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].channel, "cmd");
  EXPECT_EQ(e[0].text, "正在加载");
  EXPECT_EQ(e[1].channel, "host");
}

TEST(UserScript, UnansweredBoxIsCountedAndNeverAnsweredYes) {
  win32::Transcript t;
  win32::UserScript user(t);
  EXPECT_EQ(user.messageBox(u"继续？", u"", MB_YESNO), IDNO);
  EXPECT_EQ(user.unansweredBoxes(), 1);
  EXPECT_NE(t.entries().back().text.find("UNANSWERED"), std::string::npos);
}

TEST(UserScript, QueuedAnswersAreTakenInOrder) {
  win32::Transcript t;
  win32::UserScript user(t);
  user.queueAnswer(IDYES);
  user.queueAnswer(IDOK);
  EXPECT_EQ(user.messageBox(u"a", u"", MB_YESNO), IDYES);
  EXPECT_EQ(user.messageBox(u"b", u"", MB_OK), IDOK);
  EXPECT_EQ(user.unansweredBoxes(), 0);
  EXPECT_EQ(t.entries()[0].text, "[Yes/No] a -> Yes");
}

TEST(UserScript, AnswerThatIsNotAButtonOfTheBoxIsAnError) {
  win32::Transcript t;
  win32::UserScript user(t);
  user.queueAnswer(IDYES);
  EXPECT_EQ(user.messageBox(u"only ok", u"", MB_OK), IDOK);
  EXPECT_EQ(user.unansweredBoxes(), 1);
}

TEST(Unicode, RoundTripsSurrogatePairsAndReplacesMalformedUtf8) {
  const std::u16string s = u"中a\U0001F600";
  EXPECT_EQ(win32::utf8ToUtf16(win32::utf16ToUtf8(s)), s);
  EXPECT_EQ(win32::utf16ToUtf8(u"中"), "\xE4\xB8\xAD");
  EXPECT_EQ(win32::utf8ToUtf16("a\xC3"), std::u16string(u"a\uFFFD"));
  EXPECT_EQ(win32::utf8ToUtf16("\xE0\x80\x80"), std::u16string(u"\uFFFD\uFFFD\uFFFD")) << "overlong forms are rejected";
}

}  // namespace
