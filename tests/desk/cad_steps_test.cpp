// The desk's steps at the AutoCAD screen fail loudly when the user's answers and the prompts do
// not match, so a scenario never goes on as if someone had answered.
#include <gtest/gtest.h>

#include <string>

#include "play_scenario.h"

namespace {

using vurktest::playScenario;

TEST(DeskCad, PromptsAndAnswersMustMatch) {
  std::string reason;
  EXPECT_EQ(playScenario("command CIRCLE 0,0\n", reason), 1);
  EXPECT_NE(reason.find("a prompt was not answered: \nSpecify radius of circle: "), std::string::npos) << reason;
  EXPECT_EQ(playScenario("command POINT 1,1 2,2\n", reason), 1);
  EXPECT_NE(reason.find("1 answer(s) were left unused by POINT"), std::string::npos) << reason;
  EXPECT_EQ(playScenario("input 1,1\nwait 10\n", reason), 1);
  EXPECT_NE(reason.find("1 input(s) were given for prompts that never came"), std::string::npos) << reason;
  EXPECT_EQ(playScenario("input 1,1 2,2\ncommand RECTANG\n", reason), 0) << reason;
}

TEST(DeskCad, TheDrawingStepsNeedAnOpenDocument) {
  std::string reason, transcript;
  EXPECT_EQ(playScenario("document close\nadd point 1,1\n", reason), 1);
  EXPECT_NE(reason.find("no drawing is open"), std::string::npos) << reason;
  EXPECT_EQ(playScenario("document new as D:\\p\\a.dwg\ndocument close\ndocument list\nshow drawing\n", reason, &transcript), 0)
      << "the first drawing is current again";
  EXPECT_NE(transcript.find("note: document Drawing1.dwg current active"), std::string::npos) << transcript;
  EXPECT_EQ(playScenario("document activate nosuch.dwg\n", reason), 1);
  EXPECT_NE(reason.find("no open document nosuch.dwg"), std::string::npos) << reason;
}

}  // namespace
