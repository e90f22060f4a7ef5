// The settings store: the INI file "VurkArx_setting.ini" in the user's local application data
// folder holding the settings record, the cache base folder and, per drawing, the coordinate
// system the host used when the drawing was last closed.
//
// One store exists while the plug-in is loaded (created at start-up, destroyed at unload);
// every subsystem reads and changes its record in place and saves at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/settings_record.h"

namespace vurk {

class SettingsStore {
 public:
  // Loads the record, the INI path and the cache base folder; creates the file on first start.
  // `pluginFolder` is where older builds kept "setting.ini".
  void load(const std::u16string& pluginFolder);
  // Writes the whole record to ["VurkArx"] "ini". Failures are not reported to the user.
  bool save();
  // Writes the cache base folder to ["TempPath"] "MapTemp".
  bool saveCacheFolder();

  std::uint64_t readDrawingCoordinateIdentity(const std::u16string& drawingPath) const;
  void writeDrawingCoordinateIdentity(const std::u16string& drawingPath, std::uint64_t identity);

  SettingsRecord& record() { return record_; }
  const SettingsRecord& record() const { return record_; }
  const std::u16string& iniPath() const { return iniPath_; }
  const std::u16string& cacheBaseFolder() const { return cacheBaseFolder_; }
  void setCacheBaseFolder(std::u16string folder) { cacheBaseFolder_ = std::move(folder); }

 private:
  void loadRecordFromIni();
  void upgradeAndRepair();
  void loadCacheFolder();

  SettingsRecord record_;  // all zero until loaded
  std::u16string iniPath_;
  std::u16string cacheBaseFolder_;
};

// The INI path: the short form of the local application data folder + "\VurkArx_setting.ini",
// or the bare "\VurkArx_setting.ini" when that folder cannot be resolved.
std::u16string SettingsIniPath();
// The system temporary folder without its trailing backslash.
std::u16string DefaultCacheBaseFolder();
// The decimal drawing key of a path: its PathKey (MD5 of the ANSI bytes, 63 bits).
std::u16string DrawingKey(const std::u16string& drawingPath);

// The store of the loaded plug-in. Installed by start-up, removed by unload.
SettingsStore* CurrentSettings();
void InstallSettings(std::unique_ptr<SettingsStore> store);
std::unique_ptr<SettingsStore> RemoveSettings();

// The operations the rest of the plug-in calls on the loaded store.
bool SaveSettings();
bool SaveCacheFolder();
std::uint64_t ReadDrawingCoordinateIdentity(const std::u16string& drawingPath);
void WriteDrawingCoordinateIdentity(const std::u16string& drawingPath, std::uint64_t identity);

}  // namespace vurk
