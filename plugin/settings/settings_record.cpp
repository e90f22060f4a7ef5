#include "settings/settings_record.h"

#include <cstdio>

#include "util/byte_io.h"

namespace vurk {

namespace L = settings_layout;

SettingsRecord SettingsRecord::defaults() {
  SettingsRecord r;
  r.scaleA = 1.0;
  r.scaleB = 2.0;
  r.iconCountThreshold = 1000;
  r.labelTextHeight = 60;
  r.maxBaseMapLevel = 20;
  r.defaultTextSizeClass = 18;
  r.settingsVersion = 174;
  r.promptHostTooOld = 1;
  r.promptPluginUpdate = 1;
  return r;
}

SettingsBytes SettingsRecord::encode() const {
  SettingsBytes b{};
  // Bytes that no field covers keep what was loaded; the zero gaps inside the used part stay
  // zero, as every build writes them.
  for (std::size_t i = L::kFirstUnusedByte; i < L::kSize; ++i) b[i] = uncovered[i];
  std::span<std::uint8_t> s(b);
  putU8(s, L::kAutoSyncObjects, autoSyncObjects);
  putF64le(s, L::kScaleA, scaleA);
  putF64le(s, L::kScaleB, scaleB);
  putU8(s, L::kPointsAsIcons, pointsAsIcons);
  putU32le(s, L::kIconCountThreshold, iconCountThreshold);
  putU32le(s, L::kLabelTextHeight, labelTextHeight);
  putU32le(s, L::kMaxBaseMapLevel, maxBaseMapLevel);
  putU32le(s, L::kReserved40, reserved40);
  putU32le(s, L::kByLayerColourFromHost, byLayerColourFromHost);
  putU32le(s, L::kDefaultTextSizeClass, defaultTextSizeClass);
  putU32le(s, L::kSettingsVersion, settingsVersion);
  putU32le(s, L::kViewFollowMode, viewFollowMode);
  putU8(s, L::kPromptHostTooOld, promptHostTooOld);
  putU8(s, L::kPromptPluginUpdate, promptPluginUpdate);
  putU8(s, L::kNoIgnoredObjectsNotice, noIgnoredObjectsNotice);
  putU8(s, L::kDblClickShowsProperties, dblClickShowsProperties);
  putU8(s, L::kAutoLoadPlugin, autoLoadPlugin);
  putU8(s, L::kOnlineBaseMapOn, onlineBaseMapOn);
  putU8(s, L::kNoRelationPointPrompt, noRelationPointPrompt);
  putU8(s, L::kNoToolbarHidePrompt, noToolbarHidePrompt);
  putU32le(s, L::kHostTooOldPromptVersion, hostTooOldPromptVersion);
  putU32le(s, L::kLastAnnouncedPluginVersion, lastAnnouncedPluginVersion);
  putU8(s, L::kNoOpenHostPrompt, noOpenHostPrompt);
  putU8(s, L::kClearCacheOnExit, clearCacheOnExit);
  putU8(s, L::kNoZoneNumberCheck, noZoneNumberCheck);
  return b;
}

SettingsRecord SettingsRecord::decode(std::span<const std::uint8_t, L::kSize> bytes) {
  std::span<const std::uint8_t> s(bytes.data(), bytes.size());
  SettingsRecord r;
  r.autoSyncObjects = getU8(s, L::kAutoSyncObjects);
  r.scaleA = getF64le(s, L::kScaleA);
  r.scaleB = getF64le(s, L::kScaleB);
  r.pointsAsIcons = getU8(s, L::kPointsAsIcons);
  r.iconCountThreshold = getU32le(s, L::kIconCountThreshold);
  r.labelTextHeight = getU32le(s, L::kLabelTextHeight);
  r.maxBaseMapLevel = getU32le(s, L::kMaxBaseMapLevel);
  r.reserved40 = getU32le(s, L::kReserved40);
  r.byLayerColourFromHost = getU32le(s, L::kByLayerColourFromHost);
  r.defaultTextSizeClass = getU32le(s, L::kDefaultTextSizeClass);
  r.settingsVersion = getU32le(s, L::kSettingsVersion);
  r.viewFollowMode = getU32le(s, L::kViewFollowMode);
  r.promptHostTooOld = getU8(s, L::kPromptHostTooOld);
  r.promptPluginUpdate = getU8(s, L::kPromptPluginUpdate);
  r.noIgnoredObjectsNotice = getU8(s, L::kNoIgnoredObjectsNotice);
  r.dblClickShowsProperties = getU8(s, L::kDblClickShowsProperties);
  r.autoLoadPlugin = getU8(s, L::kAutoLoadPlugin);
  r.onlineBaseMapOn = getU8(s, L::kOnlineBaseMapOn);
  r.noRelationPointPrompt = getU8(s, L::kNoRelationPointPrompt);
  r.noToolbarHidePrompt = getU8(s, L::kNoToolbarHidePrompt);
  r.hostTooOldPromptVersion = getU32le(s, L::kHostTooOldPromptVersion);
  r.lastAnnouncedPluginVersion = getU32le(s, L::kLastAnnouncedPluginVersion);
  r.noOpenHostPrompt = getU8(s, L::kNoOpenHostPrompt);
  r.clearCacheOnExit = getU8(s, L::kClearCacheOnExit);
  r.noZoneNumberCheck = getU8(s, L::kNoZoneNumberCheck);
  for (std::size_t i = 0; i < L::kSize; ++i) r.uncovered[i] = bytes[i];
  return r;
}

std::string describeSettings(const SettingsRecord& record) {
  const SettingsBytes bytes = record.encode();
  std::span<const std::uint8_t> s(bytes);
  std::string out;
  char line[96];
  for (const FieldInfo& f : kSettingsFields) {
    switch (f.type) {
      case FieldType::U8:
        std::snprintf(line, sizeof line, "%s = %u\n", f.name, static_cast<unsigned>(getU8(s, f.offset)));
        break;
      case FieldType::U32:
        std::snprintf(line, sizeof line, "%s = %u\n", f.name, static_cast<unsigned>(getU32le(s, f.offset)));
        break;
      case FieldType::F64:
        std::snprintf(line, sizeof line, "%s = %g\n", f.name, getF64le(s, f.offset));
        break;
    }
    out += line;
  }
  return out;
}

}  // namespace vurk
