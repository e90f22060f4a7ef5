// A bounded run of the record fuzz check: mutated bodies of every kind through the plug-in's
// and the host's readers (the sanitizer build watches for over-reads).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "../../../fuzz/record_body_check.h"

namespace {

// Valid bodies to start from: one of each kind, with text and vertices.
std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> seeds() {
  vurk::MarkRecord mark = vurk::createMarkRecord();
  mark.text = "label";
  auto line = vurk::createLineRecord(3);
  line.text = "abc";
  auto area = vurk::createAreaRecord(4);
  vurk::MultiPartRecord multi;
  multi.text = "m";
  multi.parts.resize(2);
  multi.parts[0].vertices.resize(2);
  multi.parts[1].vertices.resize(3);
  vurk::FolderRecord folder = vurk::createFolderRecord();
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> out;
  for (const vurk::MapRecord& r : std::vector<vurk::MapRecord>{mark, line, area, multi, folder}) {
    out.emplace_back(static_cast<std::uint32_t>(vurk::KindOf(r)), *vurk::serialiseRecord(r));
  }
  return out;
}

TEST(RecordFuzz, MutatedBodiesNeverOverreadAndBothReadersAgree) {
  std::mt19937 rng(7);
  const auto bases = seeds();
  // Count fields worth aiming at: text lengths, point and part counts, part vertex counts.
  const std::size_t hotspots[] = {120, 200, 416, 480, 488 + 1416, 488 + 1432 + 1416};
  int accepted = 0;
  for (int round = 0; round < 30000; ++round) {
    const auto& [kind, base] = bases[rng() % bases.size()];
    std::vector<std::uint8_t> body = base;
    const int edits = static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      switch (rng() % 4) {
        case 0:
          if (!body.empty()) body[rng() % body.size()] = static_cast<std::uint8_t>(rng());
          break;
        case 1: {
          const std::size_t at = hotspots[rng() % std::size(hotspots)];
          if (at + 4 <= body.size()) {
            const std::uint32_t v = rng() % 3 == 0 ? static_cast<std::uint32_t>(rng()) : rng() % 8;
            for (int k = 0; k < 4; ++k) body[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
          }
          break;
        }
        case 2:
          body.resize(rng() % (body.size() + 1));
          break;
        default:
          body.resize(body.size() + rng() % 64, static_cast<std::uint8_t>(rng()));
          break;
      }
    }
    const std::uint32_t useKind = rng() % 20 == 0 ? vurkfuzz::kKinds[rng() % std::size(vurkfuzz::kKinds)] : kind;
    const std::string problem = vurkfuzz::CheckRecordBody(useKind, body);
    ASSERT_TRUE(problem.empty()) << problem << " (round " << round << ")";
    if (vurk::readRecord(body, useKind)) ++accepted;
  }
  EXPECT_GT(accepted, 1000) << "enough mutated bodies stay whole to exercise the accepting paths";
}

}  // namespace
