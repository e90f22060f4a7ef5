// The host's install record in the registry and its program file.
#include "host/host_installer.h"
#include "host_fixture.h"
#include "win32/fileapi.h"
#include "win32/winreg.h"

namespace hosttest {
namespace {

using InstallerTest = HostTest;

struct Value {
  LONG status = 0;
  DWORD type = 0;
  std::vector<BYTE> data;
};

Value query(const char16_t* name) {
  Value v;
  HKEY key = nullptr;
  v.status = RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tessan Software\\vurk\\MainFrm", 0, KEY_ALL_ACCESS, &key);
  if (v.status != ERROR_SUCCESS) return v;
  DWORD size = 0;
  v.status = RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &size);
  if (v.status == ERROR_SUCCESS) {
    v.data.resize(size);
    v.status = RegQueryValueExW(key, name, nullptr, &v.type, v.data.data(), &size);
  }
  RegCloseKey(key);
  return v;
}

TEST_F(InstallerTest, WritesVersion888AsDwordAndTheRunPathWithItsNul) {
  ASSERT_EQ(host::HostInstaller::install({}), ERROR_SUCCESS);
  const Value version = query(u"LastVersion");
  ASSERT_EQ(version.status, ERROR_SUCCESS);
  EXPECT_EQ(version.type, REG_DWORD);
  ASSERT_EQ(version.data.size(), 4u);
  EXPECT_EQ(u32At(std::vector<std::uint8_t>(version.data.begin(), version.data.end()), 0), 888u);
  const Value path = query(u"LastRunPath");
  ASSERT_EQ(path.status, ERROR_SUCCESS);
  EXPECT_EQ(path.type, REG_SZ);
  const std::u16string expected = u"C:\\Program Files\\Tessan Software\\vurk\\vurk.exe";
  ASSERT_EQ(path.data.size(), 2 * (expected.size() + 1));
  std::u16string stored(expected.size(), u'\0');
  std::memcpy(stored.data(), path.data.data(), 2 * expected.size());
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(path.data[path.data.size() - 1], 0);
  EXPECT_EQ(path.data[path.data.size() - 2], 0);
  EXPECT_NE(GetFileAttributesW(expected.c_str()), INVALID_FILE_ATTRIBUTES) << "the program file exists";
}

TEST_F(InstallerTest, OlderVersionsAndAVersionWrittenAsAString) {
  host::InstallOptions o;
  o.version = 700;
  ASSERT_EQ(host::HostInstaller::install(o), ERROR_SUCCESS);
  EXPECT_EQ(query(u"LastVersion").data, (std::vector<BYTE>{0xBC, 0x02, 0, 0}));
  o.version = 800;
  o.versionAsString = true;
  ASSERT_EQ(host::HostInstaller::install(o), ERROR_SUCCESS);
  const Value v = query(u"LastVersion");
  EXPECT_EQ(v.type, REG_SZ);
  EXPECT_EQ(v.data, (std::vector<BYTE>{'8', 0, '0', 0, '0', 0, 0, 0}));
}

TEST_F(InstallerTest, NotInstalledRemovesTheKeyAndNoRunPathLeavesTheValueOut) {
  ASSERT_EQ(host::HostInstaller::install({}), ERROR_SUCCESS);
  host::InstallOptions o;
  o.writeRunPath = false;
  ASSERT_EQ(host::HostInstaller::install(o), ERROR_SUCCESS);
  EXPECT_EQ(query(u"LastRunPath").status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(query(u"LastVersion").status, ERROR_SUCCESS);
  o.installed = false;
  ASSERT_EQ(host::HostInstaller::install(o), ERROR_SUCCESS);
  EXPECT_EQ(query(u"LastVersion").status, ERROR_FILE_NOT_FOUND) << "the key itself is gone";
  EXPECT_EQ(host::HostInstaller::uninstall(), ERROR_SUCCESS) << "removing twice is fine";
}

}  // namespace
}  // namespace hosttest
