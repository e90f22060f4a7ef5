// The desk's steps at the AutoCAD screen fail loudly when the user's answers and the prompts do
// not match, so a scenario never goes on as if someone had answered.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "desk_session.h"
#include "scenario.h"
#include "support/temp_folder.h"

namespace {

// Runs the scenario text; the exit code, with the reason in reason.
int play(const std::string& text, std::string& reason, std::string* transcript = nullptr) {
  desk::Scenario s;
  std::string error;
  EXPECT_TRUE(desk::parseScenario(text, s, error)) << error;
  vurktest::TempFolder sandbox;
  desk::RunOptions options;
  options.sandbox = sandbox.path() / "desk";
  std::ostringstream out;
  const int rc = desk::runScenario(s, options, out, reason);
  if (transcript) *transcript = out.str();
  return rc;
}

TEST(DeskCad, PromptsAndAnswersMustMatch) {
  std::string reason;
  EXPECT_EQ(play("command CIRCLE 0,0\n", reason), 1);
  EXPECT_NE(reason.find("a prompt was not answered: \nSpecify radius of circle: "), std::string::npos) << reason;
  EXPECT_EQ(play("command POINT 1,1 2,2\n", reason), 1);
  EXPECT_NE(reason.find("1 answer(s) were left unused by POINT"), std::string::npos) << reason;
  EXPECT_EQ(play("input 1,1\nwait 10\n", reason), 1);
  EXPECT_NE(reason.find("1 input(s) were given for prompts that never came"), std::string::npos) << reason;
  EXPECT_EQ(play("input 1,1 2,2\ncommand RECTANG\n", reason), 0) << reason;
}

TEST(DeskCad, TheDrawingStepsNeedAnOpenDocument) {
  std::string reason, transcript;
  EXPECT_EQ(play("document close\nadd point 1,1\n", reason), 1);
  EXPECT_NE(reason.find("no drawing is open"), std::string::npos) << reason;
  EXPECT_EQ(play("document new as D:\\p\\a.dwg\ndocument close\ndocument list\nshow drawing\n", reason, &transcript), 0)
      << "the first drawing is current again";
  EXPECT_NE(transcript.find("note: document Drawing1.dwg current active"), std::string::npos) << transcript;
  EXPECT_EQ(play("document activate nosuch.dwg\n", reason), 1);
  EXPECT_NE(reason.find("no open document nosuch.dwg"), std::string::npos) << reason;
}

}  // namespace
