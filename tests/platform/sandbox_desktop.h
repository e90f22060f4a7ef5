// A fresh simulated desktop in its own temporary sandbox folder, installed as the current one
// for the lifetime of the object. Used by the platform tests of the Win32 stand-in.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "win32/desktop.h"

namespace vurktest {

class SandboxDesktop {
 public:
  SandboxDesktop() : root_(makeRoot()), desktop_(std::make_unique<win32::Desktop>(root_)), scope_(std::make_unique<win32::DesktopScope>(*desktop_)) {}
  ~SandboxDesktop() {
    scope_.reset();
    desktop_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  SandboxDesktop(const SandboxDesktop&) = delete;
  SandboxDesktop& operator=(const SandboxDesktop&) = delete;

  win32::Desktop& operator*() { return *desktop_; }
  win32::Desktop* operator->() { return desktop_.get(); }

 private:
  static std::filesystem::path makeRoot() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "desktop";
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return std::filesystem::temp_directory_path() / ("vurkarx-core-" + std::to_string(::getpid()) + "-" + name);
  }
  std::filesystem::path root_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> scope_;
};

}  // namespace vurktest
