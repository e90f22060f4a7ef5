#include <gtest/gtest.h>

#include <string>

#include "play_scenario.h"

namespace {

using vurktest::playScenario;

TEST(Desk, TheTourPrintsTheSameTranscriptEveryRun) {
  desk::Scenario tour;
  std::string error;
  ASSERT_TRUE(desk::loadScenario(std::string(VURKARX_EXAMPLES_DIR) + "/tour.scn", tour, error)) << error;
  std::string reason, a, b;
  EXPECT_EQ(playScenario(tour, reason, &a), 0) << reason;
  EXPECT_EQ(playScenario(tour, reason, &b), 0) << reason;
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.find("/tmp"), std::string::npos) << "nothing of the machine's own paths leaks into the transcript";
}

TEST(Desk, AFailedExpectationStopsTheRunWithItsLine) {
  std::string reason, out;
  EXPECT_EQ(playScenario("host start\nplugin load\n\nexpect box nothing-like-this\nwait 10\n", reason, &out), 1);
  EXPECT_EQ(reason.rfind("line 4: ", 0), 0u) << reason;
  EXPECT_EQ(out.find("> wait 10"), std::string::npos) << "no step runs after a failure";
}

TEST(Desk, AnAnswerForABoxThatNeverCameFailsTheScenario) {
  std::string reason;
  EXPECT_EQ(playScenario("answer yes\nwait 5\n", reason), 1);
  EXPECT_NE(reason.find("never appeared"), std::string::npos) << reason;
}

TEST(Desk, QuotedWordsKeepBlanksAndEscapes) {
  desk::Scenario s;
  std::string error;
  ASSERT_TRUE(desk::parseScenario("# a comment line\nwrite file \"C:\\Program Files\\a b.txt\" \"x\\ty\\n\"\n", s, error));
  ASSERT_EQ(s.steps.size(), 1u);
  ASSERT_EQ(s.steps[0].words.size(), 4u);
  EXPECT_EQ(s.steps[0].line, 2);
  EXPECT_EQ(s.steps[0].words[2], "C:\\Program Files\\a b.txt") << "backslashes stay inside quotes unless escaping";
  EXPECT_EQ(s.steps[0].words[3], "x\ty\n");
  EXPECT_FALSE(desk::parseScenario("write file \"unterminated\n", s, error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
}

}  // namespace
