// The plug-in's persistent settings: one 160-byte record, stored as the INI value
// ["VurkArx"] "ini". The offsets are the stored format shared with every earlier build; they
// are written once below and checked by static_asserts and by the field table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vurk {

enum class FieldType : std::uint8_t { U8, U32, F64 };

struct FieldInfo {
  const char* name;
  std::size_t offset;
  FieldType type;
};

constexpr std::size_t fieldWidth(FieldType t) { return t == FieldType::U8 ? 1 : t == FieldType::U32 ? 4 : 8; }

namespace settings_layout {
constexpr std::size_t kSize = 160;
constexpr std::size_t kAutoSyncObjects = 0;
constexpr std::size_t kScaleA = 8;
constexpr std::size_t kScaleB = 16;
constexpr std::size_t kPointsAsIcons = 24;
constexpr std::size_t kIconCountThreshold = 28;
constexpr std::size_t kLabelTextHeight = 32;
constexpr std::size_t kMaxBaseMapLevel = 36;
constexpr std::size_t kReserved40 = 40;
constexpr std::size_t kByLayerColourFromHost = 44;
constexpr std::size_t kDefaultTextSizeClass = 48;
constexpr std::size_t kSettingsVersion = 52;
constexpr std::size_t kViewFollowMode = 56;
constexpr std::size_t kPromptHostTooOld = 60;
constexpr std::size_t kPromptPluginUpdate = 61;
constexpr std::size_t kNoIgnoredObjectsNotice = 62;
constexpr std::size_t kDblClickShowsProperties = 63;
constexpr std::size_t kAutoLoadPlugin = 64;
constexpr std::size_t kOnlineBaseMapOn = 65;
constexpr std::size_t kNoRelationPointPrompt = 66;
constexpr std::size_t kNoToolbarHidePrompt = 67;
constexpr std::size_t kHostTooOldPromptVersion = 68;
constexpr std::size_t kLastAnnouncedPluginVersion = 72;
constexpr std::size_t kNoOpenHostPrompt = 76;
constexpr std::size_t kClearCacheOnExit = 77;
constexpr std::size_t kNoZoneNumberCheck = 78;
constexpr std::size_t kFirstUnusedByte = 79;
}  // namespace settings_layout

// Every field of the record in offset order: drives the dump and the layout checks.
inline constexpr std::array<FieldInfo, 25> kSettingsFields{{
    {"autoSyncObjects", settings_layout::kAutoSyncObjects, FieldType::U8},
    {"scaleA", settings_layout::kScaleA, FieldType::F64},
    {"scaleB", settings_layout::kScaleB, FieldType::F64},
    {"pointsAsIcons", settings_layout::kPointsAsIcons, FieldType::U8},
    {"iconCountThreshold", settings_layout::kIconCountThreshold, FieldType::U32},
    {"labelTextHeight", settings_layout::kLabelTextHeight, FieldType::U32},
    {"maxBaseMapLevel", settings_layout::kMaxBaseMapLevel, FieldType::U32},
    {"reserved40", settings_layout::kReserved40, FieldType::U32},
    {"byLayerColourFromHost", settings_layout::kByLayerColourFromHost, FieldType::U32},
    {"defaultTextSizeClass", settings_layout::kDefaultTextSizeClass, FieldType::U32},
    {"settingsVersion", settings_layout::kSettingsVersion, FieldType::U32},
    {"viewFollowMode", settings_layout::kViewFollowMode, FieldType::U32},
    {"promptHostTooOld", settings_layout::kPromptHostTooOld, FieldType::U8},
    {"promptPluginUpdate", settings_layout::kPromptPluginUpdate, FieldType::U8},
    {"noIgnoredObjectsNotice", settings_layout::kNoIgnoredObjectsNotice, FieldType::U8},
    {"dblClickShowsProperties", settings_layout::kDblClickShowsProperties, FieldType::U8},
    {"autoLoadPlugin", settings_layout::kAutoLoadPlugin, FieldType::U8},
    {"onlineBaseMapOn", settings_layout::kOnlineBaseMapOn, FieldType::U8},
    {"noRelationPointPrompt", settings_layout::kNoRelationPointPrompt, FieldType::U8},
    {"noToolbarHidePrompt", settings_layout::kNoToolbarHidePrompt, FieldType::U8},
    {"hostTooOldPromptVersion", settings_layout::kHostTooOldPromptVersion, FieldType::U32},
    {"lastAnnouncedPluginVersion", settings_layout::kLastAnnouncedPluginVersion, FieldType::U32},
    {"noOpenHostPrompt", settings_layout::kNoOpenHostPrompt, FieldType::U8},
    {"clearCacheOnExit", settings_layout::kClearCacheOnExit, FieldType::U8},
    {"noZoneNumberCheck", settings_layout::kNoZoneNumberCheck, FieldType::U8},
}};

constexpr bool settingsFieldsAreOrderedAndInside() {
  std::size_t end = 0;
  for (const FieldInfo& f : kSettingsFields) {
    if (f.offset < end) return false;
    end = f.offset + fieldWidth(f.type);
    if (end > settings_layout::kFirstUnusedByte) return false;
  }
  return true;
}
static_assert(settingsFieldsAreOrderedAndInside(), "settings fields overlap or leave the used part of the record");
static_assert(settings_layout::kFirstUnusedByte < settings_layout::kSize);

using SettingsBytes = std::array<std::uint8_t, settings_layout::kSize>;

// The in-memory settings. Bytes of the stored record that no field covers are kept as loaded,
// so a record written by a newer build keeps what this build does not know.
struct SettingsRecord {
  std::uint8_t autoSyncObjects = 0;
  double scaleA = 0.0;
  double scaleB = 0.0;
  std::uint8_t pointsAsIcons = 0;
  std::uint32_t iconCountThreshold = 0;
  std::uint32_t labelTextHeight = 0;
  std::uint32_t maxBaseMapLevel = 0;
  std::uint32_t reserved40 = 0;
  std::uint32_t byLayerColourFromHost = 0;
  std::uint32_t defaultTextSizeClass = 0;
  std::uint32_t settingsVersion = 0;
  std::uint32_t viewFollowMode = 0;
  std::uint8_t promptHostTooOld = 0;
  std::uint8_t promptPluginUpdate = 0;
  std::uint8_t noIgnoredObjectsNotice = 0;
  std::uint8_t dblClickShowsProperties = 0;
  std::uint8_t autoLoadPlugin = 0;
  std::uint8_t onlineBaseMapOn = 0;
  std::uint8_t noRelationPointPrompt = 0;
  std::uint8_t noToolbarHidePrompt = 0;
  std::uint32_t hostTooOldPromptVersion = 0;
  std::uint32_t lastAnnouncedPluginVersion = 0;
  std::uint8_t noOpenHostPrompt = 0;
  std::uint8_t clearCacheOnExit = 0;
  std::uint8_t noZoneNumberCheck = 0;
  SettingsBytes uncovered{};  // the loaded image; only bytes outside the fields are written back

  // The record a new settings file starts with.
  static SettingsRecord defaults();

  SettingsBytes encode() const;
  static SettingsRecord decode(std::span<const std::uint8_t, settings_layout::kSize> bytes);
};

// "name = value" lines of every field, in offset order (for the desk's dump).
std::string describeSettings(const SettingsRecord& record);

}  // namespace vurk
