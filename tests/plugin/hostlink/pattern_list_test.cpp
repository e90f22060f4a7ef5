// The hatch pattern list as the host answers it: decoding with every length check, and the
// encoding of the plug-in's own list.
#include <gtest/gtest.h>

#include <vector>

#include "hostlink/pattern_list.h"
#include "recording_host.h"

namespace {

using vurktest::Golden;

// Two entries: "ANSI31" (id 3, scale 1.0, one line of 0x31) and "DOTS" (id 4, scale 2.0, two
// lines of 0x44), with host garbage in both line-pointer slots.
std::vector<std::uint8_t> twoEntryAnswer() {
  constexpr std::size_t kSecond = 96 + 384 + 248;
  auto m = Golden(96 + 384 + 248 + 384 + 2 * 248, {{4, "02 00 00 00"},
                                                    {96, "41 4e 53 49 33 31"},
                                                    {96 + 320, "00 00 00 00 00 00 f0 3f"},
                                                    {96 + 328, "03 00 00 00"},
                                                    {96 + 332, "01 00 00 00"},
                                                    {96 + 336, "de ad be ef de ad be ef"},
                                                    {kSecond, "44 4f 54 53"},
                                                    {kSecond + 320, "00 00 00 00 00 00 00 40"},
                                                    {kSecond + 328, "04 00 00 00"},
                                                    {kSecond + 332, "02 00 00 00"},
                                                    {kSecond + 336, "01 02 03 04 05 06 07 08"}});
  std::fill(m.begin() + 96 + 384, m.begin() + kSecond, 0x31);
  std::fill(m.begin() + kSecond + 384, m.end(), 0x44);
  return m;
}

TEST(PatternList, DecodesEntriesWithTheirLines) {
  const auto list = vurk::DecodePatternList(twoEntryAnswer());
  ASSERT_TRUE(list);
  ASSERT_EQ(list->entries.size(), 2u);
  const auto& a = list->entries[0];
  EXPECT_EQ(a.name(), "ANSI31");
  EXPECT_EQ(a.patternId(), 3u);
  EXPECT_EQ(a.defaultScale(), 1.0);
  EXPECT_EQ(a.lineCount(), 1u);
  EXPECT_EQ(a.lines, std::vector<std::uint8_t>(248, 0x31));
  const auto& b = list->entries[1];
  EXPECT_EQ(b.name(), "DOTS");
  EXPECT_EQ(b.lineCount(), 2u);
  EXPECT_EQ(b.lines, std::vector<std::uint8_t>(496, 0x44));
  for (const auto& e : list->entries) {
    EXPECT_EQ(std::vector<std::uint8_t>(e.entry.begin() + 336, e.entry.begin() + 344), std::vector<std::uint8_t>(8, 0))
        << "the host's pointer slot is cleared as soon as the entry is copied";
  }
}

TEST(PatternList, EveryTruncatedAnswerGivesNoList) {
  const auto m = twoEntryAnswer();
  for (std::size_t n = 0; n < m.size(); ++n) {
    EXPECT_FALSE(vurk::DecodePatternList(std::span(m.data(), n))) << "length " << n;
  }
  EXPECT_TRUE(vurk::DecodePatternList(m));
}

TEST(PatternList, AnAnswerOfNinetyFiveBytesGivesNoList) {
  const std::vector<std::uint8_t> m(95, 0);
  EXPECT_FALSE(vurk::DecodePatternList(m));
  const std::vector<std::uint8_t> empty(96, 0);
  EXPECT_TRUE(vurk::DecodePatternList(empty)->entries.empty()) << "96 bytes with count 0: an empty list";
}

TEST(PatternList, HugeCountsAreRefusedBeforeAnythingIsAllocated) {
  // One entry claiming 0x01000000 lines (a 32-bit product would wrap to a small number).
  const auto lines = Golden(500, {{4, "01 00 00 00"}, {96 + 332, "00 00 00 01"}});
  EXPECT_FALSE(vurk::DecodePatternList(lines));
  // 0xFFFFFFFF entries.
  const auto entries = Golden(500, {{4, "ff ff ff ff"}});
  EXPECT_FALSE(vurk::DecodePatternList(entries));
  // 0xFFFFFFFF lines: 248 x 0xFFFFFFFF wraps a 32-bit product as well.
  const auto wrap = Golden(96 + 384 + 248, {{4, "01 00 00 00"}, {96 + 332, "ff ff ff ff"}});
  EXPECT_FALSE(vurk::DecodePatternList(wrap));
}

TEST(PatternList, ANameWithoutTerminatorEndsWithItsField) {
  auto m = Golden(96 + 384, {{4, "01 00 00 00"}});
  std::fill(m.begin() + 96, m.begin() + 96 + 320, 'p');
  std::fill(m.begin() + 96 + 320, m.end(), 0x7F);  // scale, id and count bytes are not name bytes
  m[96 + 332] = 0;
  m[96 + 333] = 0;
  m[96 + 334] = 0;
  m[96 + 335] = 0;
  const auto list = vurk::DecodePatternList(m);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->entries[0].name(), std::string(320, 'p'));
}

TEST(PatternList, DecodingAtAnOddAddressGivesTheSameList) {
  const auto m = twoEntryAnswer();
  std::vector<std::uint8_t> shifted(m.size() + 1);
  std::copy(m.begin(), m.end(), shifted.begin() + 1);
  const auto list = vurk::DecodePatternList(std::span(shifted).subspan(1));
  ASSERT_TRUE(list);
  EXPECT_EQ(list->entries[1].name(), "DOTS");
}

TEST(PatternList, EncodingWritesCountsFromTheListAndAZeroSlot) {
  auto list = *vurk::DecodePatternList(twoEntryAnswer());
  auto expected = twoEntryAnswer();
  std::fill_n(expected.begin() + 96 + 336, 8, 0);
  std::fill_n(expected.begin() + 96 + 384 + 248 + 336, 8, 0);
  EXPECT_EQ(vurk::EncodePatternList(list), expected);
  vurk::ReleasePatternList(list);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_EQ(vurk::EncodePatternList(list), std::vector<std::uint8_t>(96, 0));
}

TEST(PatternList, ALongNameIsCutAtAWholeCharacter) {
  vurk::HostPattern p;
  std::string name;
  for (int i = 0; i < 110; ++i) name += "\xe4\xb8\xad";  // 330 bytes
  p.setName(name);
  EXPECT_EQ(p.name().size(), 318u) << "106 characters; the 107th would end at byte 321";
}

}  // namespace
