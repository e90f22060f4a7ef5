// A test fixture with a fresh AutoCAD stand-in: its own desktop on a new temporary sandbox
// folder, an AcadApplication on it, and both installed as current (DesktopScope, AcadScope).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "arx/acad_app.h"
#include "sandbox_fixture.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

namespace vurktest {

class AcadFixture : public ::testing::Test {
 protected:
  AcadFixture()
      : desktop_(std::make_unique<win32::Desktop>(sandbox_.path())),
        acad_(std::make_unique<arx::AcadApplication>(*desktop_)),
        desktopScope_(std::make_unique<win32::DesktopScope>(*desktop_)),
        acadScope_(std::make_unique<arx::AcadScope>(*acad_)) {}
  ~AcadFixture() override {
    acadScope_.reset();
    desktopScope_.reset();
    acad_.reset();
    desktop_.reset();
  }

  win32::Desktop& desktop() { return *desktop_; }
  arx::AcadApplication& acad() { return *acad_; }
  // Ends the application while the test still runs (its destructor unloads what is loaded).
  void endAcad() {
    acadScope_.reset();
    acad_.reset();
  }
  // The command line as UTF-8, exactly as written.
  std::string commandLine() { return win32::utf16ToUtf8(desktop_->transcript().commandLineText()); }

 private:
  TempFolder sandbox_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<arx::AcadApplication> acad_;
  std::unique_ptr<win32::DesktopScope> desktopScope_;
  std::unique_ptr<arx::AcadScope> acadScope_;
};

}  // namespace vurktest
