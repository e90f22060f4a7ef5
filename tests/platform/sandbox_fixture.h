// A test fixture with its own simulated desktop on a fresh temporary sandbox folder.
//
// Each test gets a unique folder under the system temporary folder (removed afterwards), a
// Desktop on it installed with DesktopScope, and small helpers to look at the host files
// behind Windows paths.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "support/temp_folder.h"
#include "win32/desktop.h"
#include "win32/file_system.h"

namespace vurktest {

class SandboxFixture : public ::testing::Test {
 protected:
  SandboxFixture() { startDesktop(); }
  ~SandboxFixture() override { stopDesktop(); }

  win32::Desktop& desktop() { return *desktop_; }
  win32::FileSystem& files() { return desktop_->files(); }
  const std::filesystem::path& sandbox() const { return sandbox_.path(); }

  // Ends this desktop and starts a new one on the same sandbox folder.
  void restartDesktop() {
    stopDesktop();
    startDesktop();
  }

  static void writeHostFile(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static std::string readHostFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  void startDesktop() {
    desktop_ = std::make_unique<win32::Desktop>(sandbox_.path());
    scope_ = std::make_unique<win32::DesktopScope>(*desktop_);
  }
  void stopDesktop() {
    scope_.reset();
    desktop_.reset();
  }

  TempFolder sandbox_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> scope_;
};

}  // namespace vurktest
