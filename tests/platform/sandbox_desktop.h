// A fresh simulated desktop in its own temporary sandbox folder, installed as the current one
// for the lifetime of the object. Used by the platform tests of the Win32 stand-in.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/temp_folder.h"
#include "win32/desktop.h"

namespace vurktest {

class SandboxDesktop {
 public:
  SandboxDesktop()
      : desktop_(std::make_unique<win32::Desktop>(root_.path())),
        scope_(std::make_unique<win32::DesktopScope>(*desktop_)) {}
  ~SandboxDesktop() {
    scope_.reset();
    desktop_.reset();
  }
  SandboxDesktop(const SandboxDesktop&) = delete;
  SandboxDesktop& operator=(const SandboxDesktop&) = delete;

  win32::Desktop& operator*() { return *desktop_; }
  win32::Desktop* operator->() { return desktop_.get(); }

 private:
  TempFolder root_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> scope_;
};

}  // namespace vurktest
