// A fresh simulated desktop on its own temporary sandbox folder, installed as the current one
// for the lifetime of the fixture, for the tests of the plug-in's file utilities.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/temp_folder.h"
#include "win32/desktop.h"

namespace vurktest {

class UtilSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_ = std::make_unique<win32::Desktop>(root_.path() / "sandbox");
    scope_ = std::make_unique<win32::DesktopScope>(*desktop_);
  }

  void TearDown() override {
    scope_.reset();
    desktop_.reset();
  }

  win32::Desktop& desktop() { return *desktop_; }
  // Host folder of a drive ("C" -> <sandbox>/C); created on demand.
  std::filesystem::path drive(char letter) {
    auto p = root_.path() / "sandbox" / std::string(1, letter);
    std::filesystem::create_directories(p);
    return p;
  }
  // A host folder beside the sandbox, outside every drive.
  std::filesystem::path outside() {
    auto p = root_.path() / "outside";
    std::filesystem::create_directories(p);
    return p;
  }

 private:
  TempFolder root_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> scope_;
};

}  // namespace vurktest
