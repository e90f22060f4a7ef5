#include <gtest/gtest.h>

#include <set>

#include "settings/settings_record.h"

namespace {

TEST(SettingsRecord, FieldsSitAtTheirStoredOffsets) {
  vurk::SettingsRecord r;
  r.iconCountThreshold = 0x11223344;
  r.noZoneNumberCheck = 0xAB;
  r.scaleB = 2.0;
  r.lastAnnouncedPluginVersion = 175;
  const auto b = r.encode();
  EXPECT_EQ(b[28], 0x44);
  EXPECT_EQ(b[31], 0x11);
  EXPECT_EQ(b[78], 0xAB);
  EXPECT_EQ(b[23], 0x40) << "2.0 is 00..00 40 little-endian";
  EXPECT_EQ(b[72], 175);
}

TEST(SettingsRecord, DecodeTakesEveryFieldAndKeepsUnknownTailBytes) {
  vurk::SettingsBytes b{};
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
  const auto r = vurk::SettingsRecord::decode(b);
  EXPECT_EQ(r.viewFollowMode, 0x3B3A3938u);
  EXPECT_EQ(r.clearCacheOnExit, 77);
  const auto again = r.encode();
  for (std::size_t i = 79; i < 160; ++i) EXPECT_EQ(again[i], b[i]) << "byte " << i << " written by a newer build";
  for (std::size_t i : {1u, 2u, 7u, 25u, 27u}) EXPECT_EQ(again[i], 0) << "gap byte " << i << " is written as zero";
}

TEST(SettingsRecord, FieldTableNamesEveryFieldOnce) {
  std::set<std::string> names;
  for (const auto& f : vurk::kSettingsFields) names.insert(f.name);
  EXPECT_EQ(names.size(), vurk::kSettingsFields.size());
  const std::string text = vurk::describeSettings(vurk::SettingsRecord::defaults());
  EXPECT_NE(text.find("settingsVersion = 174\n"), std::string::npos);
  EXPECT_NE(text.find("scaleB = 2\n"), std::string::npos);
}

}  // namespace
