// Random host messages of random lengths through every decoder: nothing reads past the message
// (the sanitizer build watches) and what comes out keeps its bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "hostlink/pattern_list.h"
#include "hostlink/reply_decoders.h"

namespace {

std::vector<std::uint8_t> randomMessage(std::mt19937& rng) {
  std::uniform_int_distribution<int> lengthKind(0, 3);
  std::size_t n = 0;
  switch (lengthKind(rng)) {
    case 0: n = std::uniform_int_distribution<std::size_t>(0, 20)(rng); break;
    case 1: n = std::uniform_int_distribution<std::size_t>(0, 600)(rng); break;
    case 2: n = std::uniform_int_distribution<std::size_t>(90, 2000)(rng); break;
    default: n = std::uniform_int_distribution<std::size_t>(0, 5000)(rng); break;
  }
  std::vector<std::uint8_t> m(n);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> zeroOften(0, 3);
  for (auto& b : m) b = zeroOften(rng) == 0 ? 0 : static_cast<std::uint8_t>(byte(rng));
  return m;
}

// Plausible pattern lists with small counts, so that decoding gets past the head often.
std::vector<std::uint8_t> randomPatternAnswer(std::mt19937& rng) {
  std::uniform_int_distribution<std::uint32_t> small(0, 3);
  const std::uint32_t count = small(rng);
  std::vector<std::uint8_t> m(96, 0);
  m[4] = static_cast<std::uint8_t>(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::vector<std::uint8_t> entry(384);
    for (auto& b : entry) b = static_cast<std::uint8_t>(rng());
    const std::uint32_t k = small(rng);
    entry[332] = static_cast<std::uint8_t>(k);
    entry[333] = entry[334] = entry[335] = 0;
    m.insert(m.end(), entry.begin(), entry.end());
    m.insert(m.end(), k * 248, static_cast<std::uint8_t>(rng()));
  }
  if (rng() % 2) m.resize(std::uniform_int_distribution<std::size_t>(0, m.size())(rng));  // half truncated
  return m;
}

TEST(HostMessageFuzz, RandomMessagesNeverOverreadAndKeepTheirBounds) {
  std::mt19937 rng(20240611);
  constexpr int kRounds = 20000;
  int folderLists = 0, patternLists = 0;
  for (int i = 0; i < kRounds; ++i) {
    const auto m = randomMessage(rng);
    const std::span<const std::uint8_t> bytes(m);
    if (const auto list = vurk::DecodeFolderList(bytes)) {
      ++folderLists;
      ASSERT_EQ(list->size(), (m.size() - 16) / 108);
      for (const auto& e : *list) ASSERT_LE(e.name.size(), 100u);
    }
    if (const auto r = vurk::DecodeGetObjReply(bytes)) {
      ASSERT_LE(r->folderName.size(), 100u);
    }
    if (const auto s = vurk::DecodeSysCoor(bytes)) {
      ASSERT_LE(s->name.size(), m.size() - 72);
    }
    if (const auto n = vurk::DecodeUpdateNotice(bytes)) {
      ASSERT_LE(n->notes.size(), m.size() - 64);
    }
    if (const auto v = vurk::DecodeMapView(bytes); v && v->centreKnown) {
      ASSERT_TRUE(std::isfinite(v->east) && std::isfinite(v->north));
    }
    if (const auto c = vurk::DecodeMapCentre(bytes)) {
      ASSERT_TRUE(std::isfinite(c->east) && std::isfinite(c->north));
    }
    vurk::DecodeLatLng(bytes);
    vurk::DecodeFoundObjectId(bytes);
    vurk::DecodePluginVersion(bytes);
    vurk::DecodeButtonPresence(bytes);
    vurk::DecodeRelatePointNotice(bytes);
    ASSERT_EQ(vurk::DecodeAssignedObjects(bytes).size(), m.size() / 64);
    vurk::LevelResolutionTable table;
    vurk::FillLevelResolutions(bytes, table);
    ASSERT_LE(table.filled, 29u);
    vurk::DecodePatternList(bytes);

    // A pattern list that decodes is exactly what its encoding gives back (slots cleared).
    const auto p = randomPatternAnswer(rng);
    if (const auto list = vurk::DecodePatternList(p)) {
      ++patternLists;
      const auto again = vurk::EncodePatternList(*list);
      ASSERT_LE(again.size(), p.size());
      std::vector<std::uint8_t> expected(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(again.size()));
      std::size_t at = 96;
      for (const auto& e : list->entries) {
        std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(at + 336), 8, 0);
        at += 384 + e.lines.size();
      }
      expected[5] = expected[6] = expected[7] = 0;
      ASSERT_EQ(again, expected);
    }
  }
  EXPECT_GT(folderLists, kRounds / 4) << "the loop reaches the decoders' insides";
  EXPECT_GT(patternLists, kRounds / 4);
}

}  // namespace
