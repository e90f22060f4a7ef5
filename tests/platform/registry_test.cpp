// The registry: value size rules, key names, deletion and the store file.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sandbox_fixture.h"
#include "win32/fileapi.h"
#include "win32/registry.h"
#include "win32/winreg.h"

namespace {

constexpr const char16_t* kMainFrm = u"Software\\Tessan Software\\vurk\\MainFrm";

class RegistryTest : public vurktest::SandboxFixture {
 protected:
  HKEY create(const char16_t* path) {
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              static_cast<LONG>(ERROR_SUCCESS));
    return k;
  }
  static std::vector<BYTE> utf16z(std::u16string_view s) {
    std::vector<BYTE> out;
    for (char16_t c : s) {
      out.push_back(static_cast<BYTE>(c & 0xFF));
      out.push_back(static_cast<BYTE>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
  }
};

TEST_F(RegistryTest, AValueLargerThanTheBufferReportsItsSizeAndCopiesNothing) {
  HKEY k = create(kMainFrm);
  const std::vector<BYTE> path = utf16z(u"C:\\vurk\\vurk.exe");  // 16 characters + NUL = 34 bytes
  ASSERT_EQ(RegSetValueExW(k, u"LastRunPath", 0, REG_SZ, path.data(), static_cast<DWORD>(path.size())), 0);

  std::array<BYTE, 8> buf;
  buf.fill(0xCC);
  DWORD type = 0;
  DWORD cb = 8;
  EXPECT_EQ(RegQueryValueExW(k, u"LastRunPath", nullptr, &type, buf.data(), &cb), static_cast<LONG>(ERROR_MORE_DATA));
  EXPECT_EQ(cb, 34u) << "the size needed, terminating NUL included";
  EXPECT_EQ(type, REG_SZ);
  for (BYTE b : buf) EXPECT_EQ(b, 0xCC) << "no data copied";

  cb = 0;
  EXPECT_EQ(RegQueryValueExW(k, u"lastrunpath", nullptr, nullptr, nullptr, &cb), 0) << "a null buffer asks for the size";
  EXPECT_EQ(cb, 34u);
  std::vector<BYTE> full(cb);
  EXPECT_EQ(RegQueryValueExW(k, u"LastRunPath", nullptr, nullptr, full.data(), &cb), 0);
  EXPECT_EQ(full, path);
  EXPECT_EQ(RegQueryValueExW(k, u"Nothing", nullptr, nullptr, nullptr, &cb), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  RegCloseKey(k);
}

TEST_F(RegistryTest, AVersionStoredAsAStringDoesNotFitFourBytes) {
  desktop().registry().setString(u"HKCU\\Software\\Tessan Software\\vurk\\MainFrm", u"LastVersion", u"174");
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\tessan software\\VURK\\mainfrm", 0, KEY_ALL_ACCESS, &k), 0)
      << "key names are case-insensitive";
  DWORD version = 0;
  DWORD cb = 4;
  EXPECT_EQ(RegQueryValueExW(k, u"LastVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(&version), &cb),
            static_cast<LONG>(ERROR_MORE_DATA));
  EXPECT_EQ(cb, 8u) << "\"174\" and its NUL in UTF-16";
  EXPECT_EQ(version, 0u);

  desktop().registry().setDword(u"HKEY_CURRENT_USER\\Software\\Tessan Software\\vurk\\MainFrm", u"LastVersion", 175);
  cb = 4;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExW(k, u"LastVersion", nullptr, &type, reinterpret_cast<BYTE*>(&version), &cb), 0);
  EXPECT_EQ(version, 175u);
  EXPECT_EQ(type, REG_DWORD);
  RegCloseKey(k);

  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tessan Software\\other", 0, KEY_READ, &k),
            static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, HandlesCarryTheirAccessRights) {
  create(u"Software\\A");
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\A", 0, KEY_READ, &k), 0);
  const DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(k, u"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegCloseKey(k), 0);
  EXPECT_EQ(RegCloseKey(k), static_cast<LONG>(ERROR_INVALID_HANDLE)) << "closed once";
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            static_cast<LONG>(ERROR_BAD_PATHNAME));
}

TEST_F(RegistryTest, DeleteKeyRefusesKeysWithSubKeysDeleteTreeRemovesEverything) {
  HKEY app = create(u"Software\\Autodesk\\VurkArx");
  HKEY cmds = create(u"Software\\Autodesk\\VurkArx\\Commands");
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Autodesk\\VurkArx"), static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Autodesk\\Nothing"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"software\\autodesk\\vurkarx"), 0);
  EXPECT_FALSE(desktop().registry().keyExists(u"HKCU\\Software\\Autodesk\\VurkArx"));
  EXPECT_TRUE(desktop().registry().keyExists(u"HKCU\\Software\\Autodesk"));
  const DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(cmds, u"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
            static_cast<LONG>(ERROR_KEY_DELETED)) << "a handle to a deleted key";
  RegCloseKey(app);
  RegCloseKey(cmds);
  EXPECT_EQ(desktop().registry().openHandleCount(), 0u);
}

TEST_F(RegistryTest, ValuesPersistAcrossDesktopsOnTheSameSandbox) {
  HKEY k = create(kMainFrm);
  const DWORD version = 174;
  ASSERT_EQ(RegSetValueExW(k, u"LastVersion", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), 4), 0);
  const std::vector<BYTE> path = utf16z(u"C:\\Program Files\\星衡\\vurk.exe");
  ASSERT_EQ(RegSetValueExW(k, u"LastRunPath", 0, REG_SZ, path.data(), static_cast<DWORD>(path.size())), 0);
  const std::vector<BYTE> blob = {0x00, 0x25, 0x22, 0xFF};
  ASSERT_EQ(RegSetValueExW(k, u"Odd \"%\" name", 0, REG_BINARY, blob.data(), 4), 0);
  const std::vector<BYTE> noNul = {'a', 0, 'b', 0};
  ASSERT_EQ(RegSetValueExW(k, nullptr, 0, REG_SZ, noNul.data(), 4), 0);
  RegCloseKey(k);

  const std::string store = readHostFile(sandbox() / "registry.dat");
  EXPECT_NE(store.find("[HKEY_CURRENT_USER\\Software\\Tessan Software\\vurk\\MainFrm]\n"), std::string::npos);
  EXPECT_NE(store.find("\"LastVersion\"=dword:000000ae\n"), std::string::npos) << "readable for a person";

  restartDesktop();
  const auto& reg = desktop().registry();
  const char16_t* keyPath = u"HKEY_CURRENT_USER\\Software\\Tessan Software\\vurk\\MainFrm";
  ASSERT_TRUE(reg.value(keyPath, u"LastVersion"));
  EXPECT_EQ(reg.value(keyPath, u"LastVersion")->data, (std::vector<BYTE>{0xAE, 0, 0, 0}));
  EXPECT_EQ(reg.value(keyPath, u"LastRunPath")->data, path);
  EXPECT_EQ(reg.value(keyPath, u"LastRunPath")->type, REG_SZ);
  EXPECT_EQ(reg.value(keyPath, u"odd \"%\" NAME")->data, blob);
  EXPECT_EQ(reg.value(keyPath, u"")->data, noNul) << "a string stored without NUL stays so";
}

TEST_F(RegistryTest, AMalformedStoreLoadsWhatItCanAndNeverCrashes) {
  std::string junk = "VurkArx registry 1\n[HKEY_CURRENT_USER\\Software\\Good]\n\"a\"=dword:00000001\n";
  junk += "\"b\"=dword:123456789\n\"c\"=hex(3):0\n\"d\"=sz:\"unterminated\n\"e\"=sz:\"bad %zz\"\n";
  junk += "[HKEY_NOWHERE\\x]\n\"f\"=dword:00000002\n[HKEY_CURRENT_USER\\\\empty]\n\"g\"=dword:3\n";
  junk += std::string("\0\xFF[\x81\n\"", 7) + std::string(100000, '%') + "\n[HKCU\\Software\\Good";
  junk += "\n\"h\"=qword:00000000000000ff\n";
  writeHostFile(sandbox() / "registry.dat", junk);
  restartDesktop();
  const auto& reg = desktop().registry();
  EXPECT_EQ(reg.value(u"HKCU\\Software\\Good", u"a")->data, (std::vector<BYTE>{1, 0, 0, 0}));
  for (const char16_t* bad : {u"b", u"c", u"d", u"e", u"h"}) EXPECT_FALSE(reg.value(u"HKCU\\Software\\Good", bad));
  EXPECT_FALSE(reg.keyExists(u"HKCU\\x"));
}

}  // namespace
