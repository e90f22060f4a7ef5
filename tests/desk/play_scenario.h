// Plays scenario text through the desk in a fresh sandbox, as `vurkarx-desk run` does.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "desk_session.h"
#include "scenario.h"
#include "support/temp_folder.h"

namespace vurktest {

// Runs a parsed scenario; the exit code, with the reason of a failure in reason and what the
// desk printed in transcript (if given).
inline int playScenario(const desk::Scenario& s, std::string& reason, std::string* transcript = nullptr) {
  TempFolder sandbox;
  desk::RunOptions options;
  options.sandbox = sandbox.path() / "desk";
  std::ostringstream out;
  const int rc = desk::runScenario(s, options, out, reason);
  if (transcript) *transcript = out.str();
  return rc;
}

// The same for scenario text, which must parse.
inline int playScenario(const std::string& text, std::string& reason, std::string* transcript = nullptr) {
  desk::Scenario s;
  std::string error;
  EXPECT_TRUE(desk::parseScenario(text, s, error)) << error;
  return playScenario(s, reason, transcript);
}

}  // namespace vurktest
