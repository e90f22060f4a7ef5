// The shell: opened addresses and programs are recorded, missing files fail, the hook starts programs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sandbox_fixture.h"
#include "win32/shell.h"
#include "win32/transcript.h"

namespace {

class ShellTest : public vurktest::SandboxFixture {
 protected:
  std::vector<std::string> shellLines() {
    std::vector<std::string> out;
    for (const auto& e : desktop().transcript().entries()) {
      if (e.channel == "shell") out.push_back(e.text);
    }
    return out;
  }
};

TEST_F(ShellTest, AnAddressIsRecordedAndOpens) {
  const HINSTANCE r = ShellExecuteW(nullptr, u"open", u"https://example.invalid/help", nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_GT(reinterpret_cast<std::uintptr_t>(r), 32u);
  ASSERT_EQ(desktop().shell().launches().size(), 1u);
  EXPECT_EQ(desktop().shell().launches()[0].file, u"https://example.invalid/help");
  EXPECT_EQ(desktop().shell().launches()[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(shellLines(), (std::vector<std::string>{"open https://example.invalid/help"}));
}

TEST_F(ShellTest, AMissingProgramFailsAndAnExistingOneGoesThroughTheHook) {
  std::vector<std::u16string> hooked;
  desktop().shell().setLaunchHook([&](const std::u16string& file) {
    hooked.push_back(file);
    return true;
  });
  const HINSTANCE missing = ShellExecuteW(nullptr, nullptr, u"C:\\Program Files\\vurk\\vurk.exe", u"-min", nullptr, SW_SHOW);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(missing), static_cast<std::uintptr_t>(SE_ERR_FNF));
  EXPECT_TRUE(hooked.empty());

  writeHostFile(sandbox() / "C" / "Program Files" / "vurk" / "vurk.exe", "MZ");
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.lpVerb = u"open";
  info.lpFile = u"c:\\program files\\VURK\\vurk.exe";
  info.nShow = SW_SHOW;
  ASSERT_TRUE(ShellExecuteExW(&info));
  EXPECT_GT(reinterpret_cast<std::uintptr_t>(info.hInstApp), 32u);
  EXPECT_EQ(hooked, (std::vector<std::u16string>{u"C:\\program files\\VURK\\vurk.exe"}))
      << "the hook gets the full path in the caller's spelling";
  ASSERT_EQ(desktop().shell().launches().size(), 2u);
  EXPECT_TRUE(desktop().shell().launches()[1].started);
  EXPECT_EQ(shellLines(), (std::vector<std::string>{"open C:\\Program Files\\vurk\\vurk.exe -min -> not found",
                                                    "open c:\\program files\\VURK\\vurk.exe"}));

  info.cbSize = 100;
  EXPECT_FALSE(ShellExecuteExW(&info));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
