#include <gtest/gtest.h>

#include <string>

#include "plugin_session.h"
#include "shell/demand_load.h"
#include "win32/winreg.h"

namespace {

constexpr const char16_t* kAppKey =
    u"Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\VurkArx";

std::u16string stringValue(const std::u16string& key, const char16_t* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return u"<no key>";
  char16_t buf[600] = {};
  DWORD size = sizeof buf;
  DWORD type = 0;
  const LONG rc = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return u"<no value>";
  return std::u16string(buf);
}

DWORD dwordValue(const std::u16string& key, const char16_t* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 0xFFFFFFFF;
  DWORD v = 0;
  DWORD size = sizeof v;
  DWORD type = 0;
  const LONG rc = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? v : 0xFFFFFFFF;
}

bool keyExists(const std::u16string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

TEST(DemandLoad, EntryNamesTheModuleItsGroupAndCommand) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("set plugin-folder D:\\CAD\\VurkArx\nplugin load"));
  vurk::RegisterDemandLoad();
  const std::u16string key = kAppKey;
  EXPECT_EQ(stringValue(key, u"LOADER"), u"D:\\CAD\\VurkArx\\VurkArx.arx");
  EXPECT_EQ(stringValue(key, u"DESCRIPTION"), u"VurkArx");
  EXPECT_EQ(dwordValue(key, u"LOADCTRLS"), 15u) << "proxy + start-up + command + load request";
  EXPECT_EQ(stringValue(key + u"\\Groups", u"VurkArx"), u"VurkArx");
  EXPECT_EQ(stringValue(key + u"\\Commands", u"VurkArx"), u"VurkArx");

  vurk::UnregisterDemandLoad();
  EXPECT_FALSE(keyExists(key));
}

TEST(DemandLoad, UnregisteringWithoutAnEntryChangesNothing) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("plugin load"));
  vurk::UnregisterDemandLoad();
  EXPECT_FALSE(keyExists(kAppKey));
}

TEST(DemandLoad, ModulePathSplitsIntoFolderBaseAndExtension) {
  const auto p = vurk::SplitModulePath(u"C:\\Program Files\\VurkArx\\VurkArx.arx");
  EXPECT_EQ(p.folder, u"C:\\Program Files\\VurkArx");
  EXPECT_EQ(p.baseName, u"VurkArx");
  EXPECT_EQ(p.extension, u".arx");
}

}  // namespace
