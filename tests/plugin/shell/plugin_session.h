// AutoCAD with the plug-in installed, on a fresh desktop in its own sandbox: the desk session
// the scenarios use, held by a test.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "arx/acad_app.h"
#include "desk_session.h"
#include "win32/desktop.h"
#include "win32/file_system.h"

namespace vurktest {

class PluginSession {
 public:
  PluginSession() : root_(makeRoot()), session_(std::make_unique<desk::DeskSession>(root_, out_)) {}
  ~PluginSession() {
    session_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

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
  std::filesystem::path host(const std::u16string& windowsPath) {
    return desktop().files().toHostPath(windowsPath);
  }
  std::string transcript() const { return out_.str(); }

 private:
  static std::filesystem::path makeRoot() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "plugin";
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return std::filesystem::temp_directory_path() / ("vurkarx-plugin-" + std::to_string(::getpid()) + "-" + name);
  }

  std::filesystem::path root_;
  std::ostringstream out_;
  std::unique_ptr<desk::DeskSession> session_;
};

}  // namespace vurktest
