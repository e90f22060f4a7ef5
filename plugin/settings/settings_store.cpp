#include "settings/settings_store.h"

#include <array>
#include <cstdio>

#include "shell/version.h"
#include "util/file_ops.h"
#include "util/hash.h"
#include "util/numbers.h"
#include "util/utf8_text.h"
#include "win32/codepage.h"
#include "win32/fileapi.h"
#include "win32/profile.h"
#include "win32/unicode.h"

namespace vurk {

namespace {

constexpr const char16_t* kSection = u"VurkArx";
constexpr const char16_t* kRecordKey = u"ini";
constexpr const char16_t* kTempSection = u"TempPath";
constexpr const char16_t* kTempKey = u"MapTemp";
constexpr const char16_t* kDrawingSection = u"FILE_MD5";
constexpr const char16_t* kIniName = u"\\VurkArx_setting.ini";

std::unique_ptr<SettingsStore> g_store;

void trimTrailingSeparators(std::u16string& s) {
  while (!s.empty() && (s.back() == u'\\' || s.back() == u'/')) s.pop_back();
}

// An absolute Windows folder: "X:\..." or a UNC path "\\server\share...".
bool isAbsoluteFolder(const std::u16string& s) {
  if (s.size() >= 3 && s[1] == u':' && (s[2] == u'\\' || s[2] == u'/')) {
    const char16_t d = s[0];
    return (d >= u'A' && d <= u'Z') || (d >= u'a' && d <= u'z');
  }
  return s.size() >= 3 && s[0] == u'\\' && s[1] == u'\\' && s[2] != u'\\';
}

}  // namespace

std::u16string SettingsIniPath() {
  std::u16string path;
  LPITEMIDLIST pidl = nullptr;
  if (SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &pidl) == S_OK && pidl) {
    std::array<char16_t, MAX_PATH> longPath{};
    if (SHGetPathFromIDListW(pidl, longPath.data())) {
      std::array<char16_t, MAX_PATH> shortPath{};
      const DWORD n = GetShortPathNameW(longPath.data(), shortPath.data(), MAX_PATH);
      if (n > 0 && n < MAX_PATH) path.assign(shortPath.data(), n);
    }
    CoTaskMemFree(pidl);
  }
  return path + kIniName;
}

std::u16string DefaultCacheBaseFolder() {
  std::array<char16_t, MAX_PATH + 1> buf{};
  const DWORD n = GetTempPathW(MAX_PATH, buf.data());
  std::u16string folder = (n > 0 && n <= MAX_PATH) ? std::u16string(buf.data(), n) : std::u16string();
  if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  return folder;
}

std::u16string DrawingKey(const std::u16string& drawingPath) {
  return win32::utf8ToUtf16(std::to_string(PathKey(drawingPath)));
}

void SettingsStore::load(const std::u16string& pluginFolder) {
  iniPath_ = SettingsIniPath();
  if (IsExistingFile(iniPath_)) {
    loadCacheFolder();
    loadRecordFromIni();
    upgradeAndRepair();
    return;
  }

  // First start of this build: an older build may have left "setting.ini" beside the plug-in.
  const std::u16string oldIni = pluginFolder + u"\\setting.ini";
  const std::int64_t oldSize = FileSize(ToUtf8(oldIni));
  if (oldSize <= 0) {
    record_ = SettingsRecord::defaults();
    save();
  } else {
    // Move the old file; across volumes a rename fails, so copy and delete instead; if even
    // that fails, read the old file where it is rather than lose its settings.
    std::u16string source = iniPath_;
    if (!MoveFileW(oldIni.c_str(), iniPath_.c_str())) {
      if (CopyFileW(oldIni.c_str(), iniPath_.c_str(), TRUE)) {
        DeleteFileW(oldIni.c_str());
      } else {
        source = oldIni;
      }
    }
    const std::u16string ini = iniPath_;
    iniPath_ = source;
    loadRecordFromIni();
    iniPath_ = ini;
    upgradeAndRepair();
    if (source != iniPath_) save();  // the new file gets the record even when the move failed
  }
  cacheBaseFolder_ = DefaultCacheBaseFolder();
  saveCacheFolder();
}

void SettingsStore::loadCacheFolder() {
  const std::u16string fallback = DefaultCacheBaseFolder();
  std::array<char16_t, MAX_PATH> buf{};
  const DWORD n = GetPrivateProfileStringW(kTempSection, kTempKey, fallback.c_str(), buf.data(), MAX_PATH,
                                           iniPath_.c_str());
  std::u16string folder(buf.data(), n);
  trimTrailingSeparators(folder);
  // An empty or relative folder would make the cache (and its deletion at unload) land in the
  // drive root or wherever the process happens to be: use the temporary folder instead.
  if (!isAbsoluteFolder(folder)) {
    cacheBaseFolder_ = fallback;
    saveCacheFolder();
  } else {
    cacheBaseFolder_ = folder;
  }
}

void SettingsStore::loadRecordFromIni() {
  // Read into a temporary: a value of another length or with a wrong checksum leaves the
  // record as it was.
  SettingsBytes bytes{};
  if (GetPrivateProfileStructW(kSection, kRecordKey, bytes.data(), static_cast<UINT>(bytes.size()),
                               iniPath_.c_str())) {
    record_ = SettingsRecord::decode(bytes);
  }
}

void SettingsStore::upgradeAndRepair() {
  SettingsRecord& r = record_;
  bool upgrade = false;
  if (r.settingsVersion == 0) {
    r.scaleB = 2.0;
    upgrade = true;
  } else if (r.settingsVersion < static_cast<std::uint32_t>(PLUGIN_VERSION)) {
    upgrade = true;
  }
  if (upgrade) {
    r.settingsVersion = PLUGIN_VERSION;
    r.promptHostTooOld = 1;
    r.promptPluginUpdate = 1;
    r.defaultTextSizeClass = 18;
    r.byLayerColourFromHost = 0;
    save();
  }
  if (r.scaleB == 0.0) { r.scaleB = 2.0; save(); }
  if (r.scaleA == 0.0) { r.scaleA = 1.0; save(); }
  if (r.defaultTextSizeClass == 0) { r.defaultTextSizeClass = 18; save(); }
  if (r.maxBaseMapLevel == 0) { r.maxBaseMapLevel = 20; save(); }
  // A record that was never read would leave these at zero: a zero icon threshold divides by
  // zero in the declutter pass and a zero label height draws nothing.
  if (r.iconCountThreshold == 0) { r.iconCountThreshold = 1000; save(); }
  if (r.labelTextHeight == 0) { r.labelTextHeight = 60; save(); }
}

bool SettingsStore::save() {
  SettingsBytes bytes = record_.encode();
  return WritePrivateProfileStructW(kSection, kRecordKey, bytes.data(), static_cast<UINT>(bytes.size()),
                                    iniPath_.c_str()) != FALSE;
}

bool SettingsStore::saveCacheFolder() {
  return WritePrivateProfileStringW(kTempSection, kTempKey, cacheBaseFolder_.c_str(), iniPath_.c_str()) != FALSE;
}

std::uint64_t SettingsStore::readDrawingCoordinateIdentity(const std::u16string& drawingPath) const {
  const std::u16string key = DrawingKey(drawingPath);
  std::array<char16_t, 20> buf{};
  const DWORD n = GetPrivateProfileStringW(kDrawingSection, key.c_str(), u"0", buf.data(),
                                           static_cast<DWORD>(buf.size()), iniPath_.c_str());
  return ParseNumber(std::u16string_view(buf.data(), n));
}

void SettingsStore::writeDrawingCoordinateIdentity(const std::u16string& drawingPath, std::uint64_t identity) {
  const std::u16string key = DrawingKey(drawingPath);
  const std::u16string value = win32::utf8ToUtf16(std::to_string(identity));
  WritePrivateProfileStringW(kDrawingSection, key.c_str(), value.c_str(), iniPath_.c_str());
}

SettingsStore* CurrentSettings() { return g_store.get(); }
void InstallSettings(std::unique_ptr<SettingsStore> store) { g_store = std::move(store); }
std::unique_ptr<SettingsStore> RemoveSettings() { return std::move(g_store); }

bool SaveSettings() { return g_store && g_store->save(); }
bool SaveCacheFolder() { return g_store && g_store->saveCacheFolder(); }

std::uint64_t ReadDrawingCoordinateIdentity(const std::u16string& drawingPath) {
  return g_store ? g_store->readDrawingCoordinateIdentity(drawingPath) : 0;
}

void WriteDrawingCoordinateIdentity(const std::u16string& drawingPath, std::uint64_t identity) {
  if (g_store) g_store->writeDrawingCoordinateIdentity(drawingPath, identity);
}

}  // namespace vurk
