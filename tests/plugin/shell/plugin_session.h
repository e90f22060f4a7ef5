// AutoCAD with the plug-in installed, on a fresh desktop in its own sandbox: the desk session
// the scenarios use, held by a test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "arx/acad_app.h"
#include "desk_session.h"
#include "support/temp_folder.h"
#include "win32/desktop.h"
#include "win32/file_system.h"

namespace vurktest {

class PluginSession {
 public:
  // With withHost the host map application is installed and running, as on a user's desktop.
  explicit PluginSession(bool withHost = false)
      : session_(std::make_unique<desk::DeskSession>(root_.path(), out_)) {
    if (withHost) steps("host start");
  }
  ~PluginSession() { session_.reset(); }

  // Runs scenario steps given as text; fails the test on the first step that fails.
  bool steps(const std::string& text) {
    desk::Scenario s;
    std::string error;
    if (!desk::parseScenario(text, s, error)) {
      ADD_FAILURE() << error;
      return false;
    }
    for (const auto& step : s.steps) {
      std::string why;
      if (!session_->run(step, why)) {
        ADD_FAILURE() << step.text << ": " << why;
        return false;
      }
    }
    return true;
  }

  win32::Desktop& desktop() { return session_->desktop(); }
  arx::AcadApplication& acad() { return session_->acad(); }
  AcDbDatabase& drawing() { return session_->drawing(); }
  // The host map application, or null before "host start".
  host::HostApp* hostApp() { return session_->hostApp(); }
  // The host file behind a Windows path; a path on another drive brings that drive in.
  std::filesystem::path host(const std::u16string& windowsPath) {
    if (windowsPath.size() >= 2 && windowsPath[1] == u':') desktop().files().addDrive(windowsPath[0]);
    return desktop().files().toHostPath(windowsPath);
  }
  std::string transcript() const { return out_.str(); }

 private:
  TempFolder root_;
  std::ostringstream out_;
  std::unique_ptr<desk::DeskSession> session_;
};

}  // namespace vurktest
