#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/sandbox_desktop.h"
#include "settings/settings_store.h"
#include "win32/codepage.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/profile.h"

namespace {

// The default record as the stored format lays it out, written by hand from the field table
// (scaleA 1.0 at 8, scaleB 2.0 at 16, threshold 1000 at 28, label height 60 at 32, level 20 at
// 36, size class 18 at 48, version 174 at 52, both prompts at 60 and 61) with its checksum.
constexpr const char* kDefaultRecordHex =
    "0000000000000000000000000000F03F000000000000004000000000E80300003C000000140000000000000000000000"
    "12000000AE00000000000000010100000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000006C";

// A record of an older build (version 150): autoSync 1, threshold 1500, label 30, level 18,
// colours from host 1, size class 12, follow mode 3, both prompts off, clear cache on exit.
constexpr const char* kVersion150RecordHex =
    "0100000000000000000000000000F03F000000000000004000000000DC0500001E000000120000000000000001000000"
    "0C0000009600000003000000000000000000000000000000000000000001000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000028";

constexpr const char16_t* kPluginFolder = u"C:\\Program Files\\VurkArx";
constexpr const char16_t* kIni = u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini";

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path host(const std::u16string& p) { return desktop->files().toHostPath(p); }

  std::string readRaw(const std::u16string& p) {
    std::ifstream f(host(p), std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }

  void writeRaw(const std::u16string& p, const std::string& bytes) {
    std::filesystem::create_directories(host(p).parent_path());
    std::ofstream(host(p), std::ios::binary) << bytes;
  }

  std::string iniValue(const char16_t* section, const char16_t* key) {
    char16_t buf[400] = {};
    const DWORD n = GetPrivateProfileStringW(section, key, u"", buf, 400, kIni);
    return std::string(win32::toAnsi(std::u16string(buf, n)));
  }

  vurktest::SandboxDesktop desktop;
};

TEST_F(SettingsStoreTest, FirstStartWritesTheDefaultRecordByteForByte) {
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_EQ(store.iniPath(), kIni);
  EXPECT_EQ(iniValue(u"VurkArx", u"ini"), kDefaultRecordHex);
  EXPECT_EQ(iniValue(u"TempPath", u"MapTemp"), "C:\\Users\\me\\AppData\\Local\\Temp") << "no trailing backslash";
  EXPECT_EQ(store.cacheBaseFolder(), u"C:\\Users\\me\\AppData\\Local\\Temp");
  EXPECT_EQ(store.record().settingsVersion, 174u);
}

TEST_F(SettingsStoreTest, RecordOfAnOlderBuildIsUpgradedKeepingOtherFields) {
  writeRaw(kIni, std::string("[VurkArx]\r\nini=") + kVersion150RecordHex + "\r\n[TempPath]\r\nMapTemp=D:\\cache\r\n");
  desktop->files().addDrive(u'D');
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  // Field by field the upgrade is pinned by the scenario of an older build's settings file.
  EXPECT_EQ(store.record().settingsVersion, 174u);
  EXPECT_EQ(store.record().promptHostTooOld, 1);
  EXPECT_EQ(store.cacheBaseFolder(), u"D:\\cache");
  // The upgrade is saved at once.
  vurk::SettingsStore again;
  again.load(kPluginFolder);
  EXPECT_EQ(again.record().settingsVersion, 174u);
  EXPECT_EQ(again.record().iconCountThreshold, 1500u);
}

TEST_F(SettingsStoreTest, RecordWithAWrongChecksumIsIgnored) {
  std::string hex = kVersion150RecordHex;
  hex[hex.size() - 1] = '9';  // checksum 29 instead of 28
  writeRaw(kIni, "[VurkArx]\r\nini=" + hex + "\r\n");
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  const auto& r = store.record();
  EXPECT_EQ(r.clearCacheOnExit, 0) << "nothing of the rejected record is taken";
  EXPECT_EQ(r.autoSyncObjects, 0);
  EXPECT_EQ(r.settingsVersion, 174u);
  EXPECT_EQ(r.scaleA, 1.0);
  EXPECT_EQ(r.scaleB, 2.0);
  EXPECT_EQ(r.maxBaseMapLevel, 20u);
}

TEST_F(SettingsStoreTest, ValueOfAnotherLengthLoadsWithUsableThresholdAndLabelHeight) {
  // A 150-byte value (300 hex digits and a checksum) is not a record of this layout.
  writeRaw(kIni, "[VurkArx]\r\nini=" + std::string(300, '0') + "00\r\n");
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_EQ(store.record().iconCountThreshold, 1000u) << "zero would divide by zero when icons are decluttered";
  EXPECT_EQ(store.record().labelTextHeight, 60u) << "zero would draw labels of no height";
  EXPECT_EQ(store.record().settingsVersion, 174u);
  EXPECT_EQ(iniValue(u"VurkArx", u"ini"), kDefaultRecordHex) << "the repaired record is saved";
}

TEST_F(SettingsStoreTest, ZeroLevelIsRepairedAndSaved) {
  vurk::SettingsStore first;
  first.load(kPluginFolder);
  first.record().maxBaseMapLevel = 0;
  first.save();
  vurk::SettingsStore second;
  second.load(kPluginFolder);
  EXPECT_EQ(second.record().maxBaseMapLevel, 20u);
  EXPECT_EQ(iniValue(u"VurkArx", u"ini"), kDefaultRecordHex);
}

TEST_F(SettingsStoreTest, EmptyOrRelativeCacheFolderFallsBackToTheTemporaryFolder) {
  for (const char* value : {"", "maps", "maps\\tiles\\", "\\\\"}) {
    writeRaw(kIni, std::string("[VurkArx]\r\nini=") + kDefaultRecordHex + "\r\n[TempPath]\r\nMapTemp=" + value + "\r\n");
    vurk::SettingsStore store;
    store.load(kPluginFolder);
    EXPECT_EQ(store.cacheBaseFolder(), u"C:\\Users\\me\\AppData\\Local\\Temp") << "MapTemp=" << value;
    EXPECT_EQ(iniValue(u"TempPath", u"MapTemp"), "C:\\Users\\me\\AppData\\Local\\Temp") << "written back for " << value;
  }
}

TEST_F(SettingsStoreTest, CacheFolderLosesItsTrailingBackslash) {
  desktop->files().addDrive(u'E');
  writeRaw(kIni, std::string("[VurkArx]\r\nini=") + kDefaultRecordHex + "\r\n[TempPath]\r\nMapTemp=E:\\tiles\\\r\n");
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_EQ(store.cacheBaseFolder(), u"E:\\tiles");
}

TEST_F(SettingsStoreTest, OldSettingsBesideThePluginMoveToTheUserFolder) {
  const std::u16string old = std::u16string(kPluginFolder) + u"\\setting.ini";
  writeRaw(old, std::string("[VurkArx]\r\nini=") + kVersion150RecordHex + "\r\n[TempPath]\r\nMapTemp=D:\\old\r\n");
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_FALSE(std::filesystem::exists(host(old)));
  EXPECT_EQ(store.record().iconCountThreshold, 1500u);
  EXPECT_EQ(store.record().settingsVersion, 174u);
  EXPECT_EQ(iniValue(u"TempPath", u"MapTemp"), "C:\\Users\\me\\AppData\\Local\\Temp") << "the cache folder is reset";
}

TEST_F(SettingsStoreTest, OldSettingsSurviveARenameAcrossVolumes) {
  const std::u16string old = std::u16string(kPluginFolder) + u"\\setting.ini";
  writeRaw(old, std::string("[VurkArx]\r\nini=") + kVersion150RecordHex + "\r\n");
  desktop->files().failNextRename(ERROR_NOT_SAME_DEVICE);
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_EQ(store.record().iconCountThreshold, 1500u) << "the old record is in effect";
  EXPECT_TRUE(std::filesystem::exists(host(kIni))) << "the new file exists";
  EXPECT_EQ(iniValue(u"VurkArx", u"ini").size(), 322u);
}

TEST_F(SettingsStoreTest, OldSettingsAreReadInPlaceWhenTheyCannotBeMoved) {
  const std::u16string old = std::u16string(kPluginFolder) + u"\\setting.ini";
  writeRaw(old, std::string("[VurkArx]\r\nini=") + kVersion150RecordHex + "\r\n");
  desktop->files().setReadOnly(u"C:\\Users\\me\\AppData\\Local");
  desktop->files().failNextRename(ERROR_NOT_SAME_DEVICE);
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_EQ(store.record().iconCountThreshold, 1500u);
  EXPECT_TRUE(std::filesystem::exists(host(old))) << "the only copy is not deleted";
}

TEST_F(SettingsStoreTest, EmptyOldSettingsGiveTheDefaults) {
  writeRaw(std::u16string(kPluginFolder) + u"\\setting.ini", "");
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  EXPECT_EQ(iniValue(u"VurkArx", u"ini"), kDefaultRecordHex);
}

TEST_F(SettingsStoreTest, UnresolvableAppDataFolderUsesTheDriveRoot) {
  desktop->files().setSpecialFoldersFail(true);
  EXPECT_EQ(vurk::SettingsIniPath(), u"\\VurkArx_setting.ini");
}

TEST_F(SettingsStoreTest, DrawingIdentityIsKeyedByTheMd5OfTheAnsiPath) {
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  const std::u16string drawing = u"D:\\图纸\\总平面.dwg";
  // MD5 of the CP936 bytes 44 3A 5C CD BC D6 BD 5C D7 DC C6 BD C3 E6 2E 64 77 67 is
  // d02e5d417a07c71b...; its first eight bytes little-endian with bit 63 clear, in decimal
  // (computed with iconv and md5sum).
  EXPECT_EQ(vurk::DrawingKey(drawing), u"2001576781053505232");
  store.writeDrawingCoordinateIdentity(drawing, 0x7123456789ABCDEFull);
  EXPECT_EQ(iniValue(u"FILE_MD5", u"2001576781053505232"), std::to_string(0x7123456789ABCDEFull));
  EXPECT_EQ(store.readDrawingCoordinateIdentity(drawing), 0x7123456789ABCDEFull);
}

TEST_F(SettingsStoreTest, DrawingIdentityTextIsParsedLeniently) {
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  const std::u16string a = u"D:\\a.dwg";
  const std::u16string b = u"D:\\b.dwg";
  WritePrivateProfileStringW(u"FILE_MD5", vurk::DrawingKey(a).c_str(), u"0x1F", kIni);
  WritePrivateProfileStringW(u"FILE_MD5", vurk::DrawingKey(b).c_str(), u"123abc", kIni);
  EXPECT_EQ(store.readDrawingCoordinateIdentity(a), 31u);
  EXPECT_EQ(store.readDrawingCoordinateIdentity(b), 123u);
  EXPECT_EQ(store.readDrawingCoordinateIdentity(u"D:\\never.dwg"), 0u);
}

TEST_F(SettingsStoreTest, SavingTheRecordKeepsEveryDrawingKey) {
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  for (int i = 0; i < 500; ++i) {
    store.writeDrawingCoordinateIdentity(u"D:\\d" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                                             win32::fromAnsi(std::to_string(i)) + u".dwg",
                                         1000u + i);
  }
  store.record().onlineBaseMapOn = 1;
  ASSERT_TRUE(store.save());
  for (int i = 0; i < 500; ++i) {
    const std::u16string d = u"D:\\d" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                             win32::fromAnsi(std::to_string(i)) + u".dwg";
    ASSERT_EQ(store.readDrawingCoordinateIdentity(d), 1000u + i) << i;
  }
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheFileAsItWas) {
  vurk::SettingsStore store;
  store.load(kPluginFolder);
  const std::string before = readRaw(kIni);
  desktop->files().setDiskFull(true);
  store.record().autoLoadPlugin = 1;
  EXPECT_FALSE(store.save());
  desktop->files().setDiskFull(false);
  EXPECT_EQ(readRaw(kIni), before);
}

}  // namespace
