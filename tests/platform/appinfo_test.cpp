// AcadAppInfo against the raw registry values AutoCAD reads at start-up.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "acad_fixture.h"
#include "arx/appinfo.h"
#include "win32/winreg.h"

namespace {

constexpr const char16_t* kEntry =
    u"Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\VurkArx";

// UTF-16LE bytes of text with its terminating NUL, as REG_SZ stores it.
std::vector<BYTE> regSz(const std::u16string& text) {
  std::vector<BYTE> out;
  for (char16_t c : text) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

void writeRaw(const std::u16string& key, const char16_t* name, DWORD type, const std::vector<BYTE>& data) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(k, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
  RegCloseKey(k);
}

class AppInfo : public vurktest::AcadFixture {
 protected:
  static AcadAppInfo vurkEntry() {
    AcadAppInfo info;
    info.setAppName(u"VurkArx");
    info.setModuleName(u"D:\\VurkArx\\VurkArx.arx");
    info.setAppDesc(u"VurkArx");
    info.setLoadReason(static_cast<AcadApp::LoadReasons>(AcadApp::kOnProxyDetection | AcadApp::kOnAutoCADStartup |
                                                         AcadApp::kOnCommandInvocation | AcadApp::kOnLoadRequest));
    return info;
  }
};

TEST_F(AppInfo, ReadFillsModuleDescriptionAndReasonsFromTheEntry) {
  ASSERT_EQ(vurkEntry().writeToRegistry(), Acad::eOk);
  AcadAppInfo read;
  read.setAppName(u"vurkarx");
  ASSERT_EQ(read.readFromRegistry(), Acad::eOk) << "key names are case-insensitive";
  EXPECT_EQ(std::u16string(read.moduleName()), u"D:\\VurkArx\\VurkArx.arx");
  EXPECT_EQ(std::u16string(read.appDesc()), u"VurkArx");
  EXPECT_EQ(read.loadReason(), 15u);
}

TEST_F(AppInfo, ReadOfAMissingEntryIsKeyNotFound) {
  AcadAppInfo read;
  read.setAppName(u"VurkArxOther");
  EXPECT_EQ(read.readFromRegistry(), Acad::eKeyNotFound);
  EXPECT_EQ(std::u16string(read.moduleName()), u"");
}

TEST_F(AppInfo, DeleteRemovesTheWholeEntryOnce) {
  AcadAppInfo info = vurkEntry();
  ASSERT_EQ(info.writeToRegistry(), Acad::eOk);
  ASSERT_EQ(info.writeGroupNameToRegistry(u"VurkArx"), Acad::eOk);
  EXPECT_EQ(info.delFromRegistry(), Acad::eOk);
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kEntry, 0, KEY_READ, &k), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(info.delFromRegistry(), Acad::eKeyNotFound);
  EXPECT_EQ(info.readFromRegistry(), Acad::eKeyNotFound);
}

TEST_F(AppInfo, AnEntryWithoutAppNameIsRefused) {
  AcadAppInfo info;
  info.setModuleName(u"D:\\x.arx");
  EXPECT_EQ(info.writeToRegistry(), Acad::eInvalidInput);
  EXPECT_EQ(info.readFromRegistry(), Acad::eInvalidInput);
  EXPECT_EQ(info.delFromRegistry(), Acad::eInvalidInput);
  AcadAppInfo named = vurkEntry();
  EXPECT_EQ(named.writeGroupNameToRegistry(u""), Acad::eInvalidInput);
  EXPECT_EQ(named.writeCommandNameToRegistry(u"A", nullptr), Acad::eInvalidInput);
}

TEST_F(AppInfo, MalformedValuesLeaveTheirFieldsEmpty) {
  writeRaw(kEntry, u"LOADCTRLS", REG_SZ, regSz(u"15"));
  writeRaw(kEntry, u"LOADER", REG_DWORD, {1, 2, 3, 4});
  // A description of an odd byte count and no terminator: the last half character is dropped.
  writeRaw(kEntry, u"DESCRIPTION", REG_SZ, {'A', 0, 'B', 0, 'C'});
  AcadAppInfo read;
  read.setAppName(u"VurkArx");
  ASSERT_EQ(read.readFromRegistry(), Acad::eOk);
  EXPECT_EQ(read.loadReason(), 0u);
  EXPECT_EQ(std::u16string(read.moduleName()), u"");
  EXPECT_EQ(std::u16string(read.appDesc()), u"AB");
}

TEST_F(AppInfo, AnOversizedTextIsIgnored) {
  // 40,000 characters: far beyond any path or description AutoCAD writes.
  writeRaw(kEntry, u"LOADER", REG_SZ, regSz(std::u16string(40000, u'x')));
  writeRaw(kEntry, u"DESCRIPTION", REG_SZ, regSz(std::u16string(30000, u'y')));
  AcadAppInfo read;
  read.setAppName(u"VurkArx");
  ASSERT_EQ(read.readFromRegistry(), Acad::eOk);
  EXPECT_EQ(std::u16string(read.moduleName()), u"") << "more than 64 KiB of text is not taken";
  EXPECT_EQ(std::u16string(read.appDesc()).size(), 30000u) << "60 KiB still fits";
}

}  // namespace
