#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "desk_session.h"
#include "scenario.h"
#include "support/temp_folder.h"

namespace {

std::string runOnce(const desk::Scenario& scenario, int& rc) {
  vurktest::TempFolder sandbox;
  desk::RunOptions options;
  options.sandbox = sandbox.path() / "desk";
  std::ostringstream out;
  std::string reason;
  rc = desk::runScenario(scenario, options, out, reason);
  return out.str();
}

TEST(Desk, TheTourPrintsTheSameTranscriptEveryRun) {
  desk::Scenario tour;
  std::string error;
  ASSERT_TRUE(desk::loadScenario(std::string(VURKARX_EXAMPLES_DIR) + "/tour.scn", tour, error)) << error;
  int first = -1;
  int second = -1;
  const std::string a = runOnce(tour, first);
  const std::string b = runOnce(tour, second);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.find("/tmp"), std::string::npos) << "nothing of the machine's own paths leaks into the transcript";
}

TEST(Desk, AFailedExpectationStopsTheRunWithItsLine) {
  desk::Scenario s;
  std::string error;
  ASSERT_TRUE(desk::parseScenario("host start\nplugin load\n\nexpect box nothing-like-this\nwait 10\n", s, error));
  vurktest::TempFolder sandbox;
  desk::RunOptions options;
  options.sandbox = sandbox.path() / "desk";
  std::ostringstream out;
  std::string reason;
  EXPECT_EQ(desk::runScenario(s, options, out, reason), 1);
  EXPECT_EQ(reason.rfind("line 4: ", 0), 0u) << reason;
  EXPECT_EQ(out.str().find("> wait 10"), std::string::npos) << "no step runs after a failure";
}

TEST(Desk, AnAnswerForABoxThatNeverCameFailsTheScenario) {
  desk::Scenario s;
  std::string error;
  ASSERT_TRUE(desk::parseScenario("answer yes\nwait 5\n", s, error));
  vurktest::TempFolder sandbox;
  desk::RunOptions options;
  options.sandbox = sandbox.path() / "desk";
  std::ostringstream out;
  std::string reason;
  EXPECT_EQ(desk::runScenario(s, options, out, reason), 1);
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
