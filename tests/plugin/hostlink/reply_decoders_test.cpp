// The decoders of host messages, against messages written by hand from the layout tables: what
// they take, the length each needs (every shorter prefix gives nothing), bounded strings and
// non-finite values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "hostlink/reply_decoders.h"
#include "recording_host.h"

namespace {

using vurktest::Golden;
using vurktest::Hex;

std::span<const std::uint8_t> prefix(const std::vector<std::uint8_t>& v, std::size_t n) { return {v.data(), n}; }

// The message again, starting at offset 1 of a larger buffer.
std::vector<std::uint8_t> shiftedCopy(const std::vector<std::uint8_t>& v) {
  std::vector<std::uint8_t> out(v.size() + 1, 0xEE);
  std::copy(v.begin(), v.end(), out.begin() + 1);
  return out;
}

// Every proper prefix shorter than `minimum` decodes to nothing; `minimum` and more decode.
template <typename F>
void expectNeedsAtLeast(const std::vector<std::uint8_t>& message, std::size_t minimum, F decode) {
  for (std::size_t n = 0; n <= message.size(); ++n) {
    EXPECT_EQ(decode(prefix(message, n)).has_value(), n >= minimum) << "length " << n;
  }
}

TEST(HostMessages, LatLngIsLatitudeThenLongitude) {
  const auto m = Golden(16, {{0, "6a bc 74 93 18 f4 43 40"}, {8, "1b 2f dd 24 06 19 5d 40"}});
  const auto p = vurk::DecodeLatLng(m);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->latitude, 39.907);
  EXPECT_EQ(p->longitude, 116.391);
  expectNeedsAtLeast(m, 16, [](auto b) { return vurk::DecodeLatLng(b); });
  const auto s = shiftedCopy(m);
  EXPECT_EQ(vurk::DecodeLatLng(std::span(s).subspan(1, 16))->longitude, 116.391) << "misaligned";
  const auto nan = Golden(16, {{0, "00 00 00 00 00 00 f8 7f"}});
  EXPECT_FALSE(vurk::DecodeLatLng(nan)) << "a NaN latitude is not a point";
}

TEST(HostMessages, MapViewTakesCentreLevelTypeAndFormat) {
  const auto m = Golden(68, {{24, "00 00 00 00 02 40 1f 41"},
                             {32, "00 00 00 20 a0 f0 49 41"},
                             {44, "11 00 00 00"},
                             {48, "09 00 00 00"},
                             {64, "03 00 00 00"}});
  const auto v = vurk::DecodeMapView(m);
  ASSERT_TRUE(v);
  EXPECT_TRUE(v->centreKnown);
  EXPECT_EQ(v->east, 512000.5);
  EXPECT_EQ(v->north, 3400000.25);
  EXPECT_EQ(v->level, 17);
  EXPECT_EQ(v->mapType, 9u);
  EXPECT_EQ(v->format, 3u);
  expectNeedsAtLeast(m, 68, [](auto b) { return vurk::DecodeMapView(b); });
  const auto inf = Golden(68, {{24, "00 00 00 00 00 00 f0 7f"}, {44, "05 00 00 00"}});
  const auto w = vurk::DecodeMapView(inf);
  ASSERT_TRUE(w);
  EXPECT_FALSE(w->centreKnown) << "an infinite east is left out";
  EXPECT_EQ(w->east, 0);
  EXPECT_EQ(w->level, 5) << "the rest is still read";
}

TEST(HostMessages, FolderListEntriesFollowASixteenByteHead) {
  auto m = Golden(16 + 2 * 108, {{16, "07 00 00 00"},
                                 {20, "1e 00 00 00"},
                                 {24, "e5 9b be e5 b1 82 31"},  // "图层1"
                                 {124, "08 00 00 00"},
                                 {128, "08 00 00 00"},
                                 {132, "6c 69 6e 65"}});
  const auto list = vurk::DecodeFolderList(m);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0].id, 7u);
  EXPECT_EQ((*list)[0].kind, 30u);
  EXPECT_EQ((*list)[0].name, "\xe5\x9b\xbe\xe5\xb1\x82" "1");
  EXPECT_EQ((*list)[1].kind, 8u);
  EXPECT_EQ((*list)[1].name, "line");
  // A partial trailing entry is not an entry.
  m.resize(m.size() - 1);
  EXPECT_EQ(vurk::DecodeFolderList(m)->size(), 1u);
}

TEST(HostMessages, AFolderListShorterThanItsHeadIsNothing) {
  const std::vector<std::uint8_t> ten(10, 0xFF);
  EXPECT_FALSE(vurk::DecodeFolderList(ten)) << "not (10 - 16) / 108 entries of a wrapped count";
  const std::vector<std::uint8_t> head(16, 0);
  EXPECT_TRUE(vurk::DecodeFolderList(head)->empty());
}

TEST(HostMessages, AFolderNameWithoutTerminatorEndsWithItsField) {
  std::vector<std::uint8_t> m(16 + 2 * 108, 0);
  std::fill(m.begin() + 24, m.begin() + 124, 'n');  // 100 name bytes, no NUL
  std::fill(m.begin() + 124, m.end(), 'x');          // the next entry is not part of the name
  const auto list = vurk::DecodeFolderList(m);
  ASSERT_TRUE(list);
  EXPECT_EQ((*list)[0].name, std::string(100, 'n'));
}

TEST(HostMessages, GetObjDecodesAFolderOnlyWhenTheWholeRecordCame) {
  auto m = Golden(16 + 176, {{2, "1e"}, {8, "2a 00 00 00"}, {16, "43 41 44"}});
  auto r = vurk::DecodeGetObjReply(m);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, 30);
  EXPECT_EQ(r->foundFolderId, 42u);
  EXPECT_EQ(r->folderName, "CAD");
  m.pop_back();
  r = vurk::DecodeGetObjReply(m);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->foundFolderId, 0u) << "a folder record one byte short is not decoded";
  const auto line = Golden(16 + 300, {{2, "08"}, {8, "2a 00 00 00"}});
  EXPECT_EQ(vurk::DecodeGetObjReply(line)->foundFolderId, 0u) << "other kinds find no folder";
  expectNeedsAtLeast(Golden(16, {{2, "1e"}}), 16, [](auto b) { return vurk::DecodeGetObjReply(b); });
}

TEST(HostMessages, TheFoundObjectIdFollowsTheSearchRecord) {
  const auto m = Golden(536, {{532, "15 cd 5b 07"}});
  EXPECT_EQ(vurk::DecodeFoundObjectId(m), 123456789u);
  expectNeedsAtLeast(m, 536, [](auto b) { return vurk::DecodeFoundObjectId(b); });
}

TEST(HostMessages, AssignedObjectsAreSixtyFourByteHeaders) {
  const auto m = Golden(128 + 10, {{4, "08 00 00 00"},
                                   {8, "e9 03 00 00"},
                                   {16, "9a 02 00 00 00 00 00 00"},
                                   {64 + 4, "07 00 00 00"},
                                   {64 + 8, "6a ff ff ff"},
                                   {64 + 16, "ff ff ff ff ff ff ff 7f"}});
  const auto a = vurk::DecodeAssignedObjects(m);
  ASSERT_EQ(a.size(), 2u) << "the 10 trailing bytes are no header";
  EXPECT_EQ(a[0].kind, 8u);
  EXPECT_EQ(a[0].mapObjectId, 1001);
  EXPECT_EQ(a[0].entityKey, 0x29Au);
  EXPECT_EQ(a[1].mapObjectId, -150);
  EXPECT_EQ(a[1].entityKey, 0x7FFFFFFFFFFFFFFFu);
  EXPECT_TRUE(vurk::DecodeAssignedObjects(prefix(m, 63)).empty());
}

TEST(HostMessages, SysCoorNeedsSeventyTwoBytesAndANameMayBeEmpty) {
  auto m = Golden(72 + 6, {{40, "02 00 00 00"}, {44, "01 02 03 04 05 06 07 08"}, {72, "57 47 53 38 34 00"}});
  auto r = vurk::DecodeSysCoor(m);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->type, 2u);
  EXPECT_EQ(r->fingerprint, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(r->name, "WGS84");
  expectNeedsAtLeast(m, 72, [](auto b) { return vurk::DecodeSysCoor(b); });
  EXPECT_EQ(vurk::DecodeSysCoor(prefix(m, 72))->name, "") << "72 bytes: no name";
  EXPECT_EQ(vurk::DecodeSysCoor(prefix(m, 75))->name, "WGS") << "the name ends with the message";
}

TEST(HostMessages, UpdateNoticeNotesEndAtTheMessage) {
  std::vector<std::uint8_t> m(100, 'x');
  std::fill(m.begin(), m.begin() + 64, 0);
  m[4] = 0xAF;  // version 175
  const auto n = vurk::DecodeUpdateNotice(m);
  ASSERT_TRUE(n);
  EXPECT_EQ(n->version, 175u);
  EXPECT_EQ(n->notes, std::string(36, 'x')) << "100 bytes without NUL: 36 bytes of notes";
  expectNeedsAtLeast(m, 64, [](auto b) { return vurk::DecodeUpdateNotice(b); });
}

TEST(HostMessages, PluginVersionNeedsFourHundredAndEightBytes) {
  const auto m = Golden(408, {{4, "af 00 00 00"}});
  EXPECT_EQ(vurk::DecodePluginVersion(m), 175u);
  expectNeedsAtLeast(m, 408, [](auto b) { return vurk::DecodePluginVersion(b); });
}

TEST(HostMessages, MapCentreNeedsFortyBytesAndFiniteValues) {
  const auto m = Golden(40, {{24, "00 00 00 00 02 40 1f 41"}, {32, "00 00 00 20 a0 f0 49 41"}});
  const auto c = vurk::DecodeMapCentre(m);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->east, 512000.5);
  EXPECT_EQ(c->north, 3400000.25);
  expectNeedsAtLeast(m, 40, [](auto b) { return vurk::DecodeMapCentre(b); });
  EXPECT_FALSE(vurk::DecodeMapCentre(Golden(40, {{32, "00 00 00 00 00 00 f0 ff"}}))) << "minus infinity";
}

TEST(HostMessages, LevelResolutionsFillAtMostTwentyNineLevels) {
  // 30 records: level i + 1 gets east 2^-i... written as 1.0, 0.5, then zeros; record 18
  // (level 19) has north 0.25.
  auto m = Golden(30 * 104, {{0, "00 00 00 00 00 00 f0 3f"},
                             {104, "00 00 00 00 00 00 e0 3f"},
                             {18 * 104 + 8, "00 00 00 00 00 00 d0 3f"},
                             {29 * 104, "00 00 00 00 00 00 00 40"}});
  vurk::LevelResolutionTable table;
  vurk::FillLevelResolutions(m, table);
  EXPECT_EQ(table.filled, 29u);
  EXPECT_EQ(table.levels[0].east, 1.0);
  EXPECT_EQ(table.levels[1].east, 0.5);
  EXPECT_EQ(table.levels[28].east, 0.0) << "record 29 (the thirtieth) is ignored";
  EXPECT_EQ(vurk::MapScaleOf(table), 0.25) << "the vertical resolution of level 19";

  vurk::LevelResolutionTable few;
  vurk::FillLevelResolutions(prefix(m, 18 * 104 + 103), few);
  EXPECT_EQ(few.filled, 18u) << "the record of level 19 is one byte short";
  EXPECT_EQ(vurk::MapScaleOf(few), 0.0) << "unknown: 0";
  vurk::LevelResolutionTable nan;
  vurk::FillLevelResolutions(Golden(104, {{0, "00 00 00 00 00 00 f8 7f"}}), nan);
  EXPECT_EQ(nan.levels[0].east, 0.0);
}

TEST(HostMessages, ButtonPresenceAndRelatePointNoticeAreOneValue) {
  expectNeedsAtLeast(Hex("01 00 00 00"), 4, [](auto b) { return vurk::DecodeButtonPresence(b); });
  EXPECT_EQ(vurk::DecodeButtonPresence(Hex("00 01 00 00")), true);
  EXPECT_EQ(vurk::DecodeButtonPresence(Hex("00 00 00 00 ff")), false);
  EXPECT_EQ(vurk::DecodeRelatePointNotice(Hex("ff ff ff ff")), -1);
  EXPECT_FALSE(vurk::DecodeRelatePointNotice(Hex("ff ff ff")));
}

TEST(HostMessages, HostTextReplacesMalformedUtf8) {
  EXPECT_EQ(vurk::HostText("\xe5\x9b\xbe"), u"图");
  EXPECT_EQ(vurk::HostText("a\xe5\x9b"), u"a\uFFFD") << "a character cut short";
  EXPECT_EQ(vurk::HostText(""), u"");
}

}  // namespace
