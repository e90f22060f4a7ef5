// A fresh simulated desktop on its own temporary sandbox folder, installed as the current one
// for the lifetime of the fixture, for the tests of the plug-in's file utilities.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "win32/desktop.h"

namespace vurktest {

class UtilSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    root_ = std::filesystem::temp_directory_path() /
            ("vurkarx-util-" + std::to_string(::getpid()) + "-" + name);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
    desktop_ = std::make_unique<win32::Desktop>(root_ / "sandbox");
    scope_ = std::make_unique<win32::DesktopScope>(*desktop_);
  }

  void TearDown() override {
    scope_.reset();
    desktop_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  win32::Desktop& desktop() { return *desktop_; }
  // Host folder of a drive ("C" -> <sandbox>/C); created on demand.
  std::filesystem::path drive(char letter) {
    auto p = root_ / "sandbox" / std::string(1, letter);
    std::filesystem::create_directories(p);
    return p;
  }
  // A host folder beside the sandbox, outside every drive.
  std::filesystem::path outside() {
    auto p = root_ / "outside";
    std::filesystem::create_directories(p);
    return p;
  }

 private:
  std::filesystem::path root_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> scope_;
};

}  // namespace vurktest
