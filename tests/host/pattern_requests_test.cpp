// The hatch pattern list: GetPatternList answers the host's list, SetPatternList adds to it.
#include "host_fixture.h"

namespace hosttest {
namespace {

struct LineSpec {
  double angle, spacing;
  std::uint32_t dashes;
};

// Head of 96 bytes (count at 4), entries of 384 bytes (name at 0, default scale at 320, id at
// 328, line count at 332, pointer slot at 336), each followed by its 248-byte lines (angle at
// 0, spacing at 32, dash count at 40).
Payload patternList(const std::vector<std::tuple<std::string, std::uint32_t, std::vector<LineSpec>>>& entries) {
  Payload p(96);
  p.u32(4, static_cast<std::uint32_t>(entries.size()));
  for (const auto& [name, id, lines] : entries) {
    Payload e(384);
    e.text(0, name).f64(320, 2.0).u32(328, id).u32(332, static_cast<std::uint32_t>(lines.size())).u64(336, 0xDEADBEEFCAFEF00Dull);
    p.append(e.bytes());
    for (const LineSpec& l : lines) {
      Payload line(248);
      line.f64(0, l.angle).f64(32, l.spacing).u32(40, l.dashes);
      p.append(line.bytes());
    }
  }
  return p;
}

class PatternRequestsTest : public LinkedHostTest {
 protected:
  std::vector<std::uint8_t> hostList() {
    EXPECT_EQ(request(link_, kGetPatternList), 0);
    const auto all = received(20601);
    return all.empty() ? std::vector<std::uint8_t>() : all.back().bytes;
  }
};

TEST_F(PatternRequestsTest, GetPatternListAnswersTheStandardPatternsInTheListLayout) {
  const auto b = hostList();
  ASSERT_GE(b.size(), 96u);
  ASSERT_EQ(u32At(b, 4), 3u);
  // ANSI31 (one family at 45 degrees), ANSI37 (45 and 135), NET (0 and 90), 3.175 apart.
  ASSERT_EQ(b.size(), 96u + 3 * 384 + (1 + 2 + 2) * 248);
  EXPECT_EQ(cString(b, 96, 320), "ANSI31");
  EXPECT_EQ(u32At(b, 96 + 328), 1u);
  EXPECT_EQ(u32At(b, 96 + 332), 1u);
  EXPECT_EQ(f64At(b, 96 + 384 + 0), 45.0);
  EXPECT_EQ(f64At(b, 96 + 384 + 32), 3.175);
  const std::size_t second = 96 + 384 + 248;
  EXPECT_EQ(cString(b, second, 320), "ANSI37");
  EXPECT_EQ(u32At(b, second + 332), 2u);
  EXPECT_EQ(f64At(b, second + 384 + 248), 135.0);
}

TEST_F(PatternRequestsTest, SetPatternListAddsNewPatternsWithTheirLines) {
  const auto list = patternList({{"MYHATCH", 0x12345678, {{30, 5.0, 2}, {120, 5.0, 0}}}, {"ANSI31", 1, {{45, 3.175, 0}}}});
  EXPECT_EQ(request(link_, kSetPatternList, list), 1) << "ANSI31 (id 1) is known already";
  const auto b = hostList();
  EXPECT_EQ(u32At(b, 4), 4u);
  const std::size_t added = 96 + 3 * 384 + 5 * 248;
  EXPECT_EQ(cString(b, added, 320), "MYHATCH");
  EXPECT_EQ(u32At(b, added + 328), 0x12345678u);
  EXPECT_EQ(f64At(b, added + 320), 2.0);
  EXPECT_EQ(u32At(b, added + 332), 2u);
  EXPECT_EQ(f64At(b, added + 384 + 248), 120.0);
  EXPECT_EQ(u64At(b, added + 336), 0u) << "the sender's pointer slot is not passed on";
}

TEST_F(PatternRequestsTest, ALineCountThatWouldWrapIsRefusedWithoutAllocating) {
  // One entry claiming 0x01000000 lines in a 500-byte list: 0x01000000 * 248 wraps in 32 bits.
  Payload p(500);
  p.u32(4, 1).text(96, "X").u32(96 + 332, 0x01000000u);
  EXPECT_EQ(request(link_, kSetPatternList, p), -6);
  Payload huge(96);
  huge.u32(4, 0xFFFFFFFFu);
  EXPECT_EQ(request(link_, kSetPatternList, huge), -6) << "entry count beyond the bytes";
  EXPECT_EQ(u32At(hostList(), 4), 3u);
}

TEST_F(PatternRequestsTest, ATruncatedSecondEntryRefusesTheWholeList) {
  auto p = patternList({{"A1", 100, {{0, 1, 0}}}, {"A2", 101, {{0, 1, 0}, {90, 1, 0}}}});
  std::vector<std::uint8_t> cut(p.bytes().begin(), p.bytes().end() - 100);
  EXPECT_EQ(request(link_, kSetPatternList, cut), -6);
  EXPECT_EQ(u32At(hostList(), 4), 3u) << "nothing was added";
  std::vector<std::uint8_t> tooShort(95, 0);
  EXPECT_EQ(request(link_, kSetPatternList, tooShort), -6);
}

TEST_F(PatternRequestsTest, ANameWithoutNulIsReadWithinItsField) {
  Payload p = patternList({{"", 200, {}}});
  p.text(96, std::string(330, 'N'));  // runs over the scale and id fields
  p.u32(96 + 328, 200).u32(96 + 332, 0);
  EXPECT_EQ(request(link_, kSetPatternList, p), 1);
  const auto* r = host().record().lastRequest(kSetPatternList);
  EXPECT_EQ(fieldValue<std::string>(r, "pattern[0].name"), std::string(320, 'N'));
}

TEST_F(PatternRequestsTest, BytesAfterTheLastEntryAreIgnored) {
  Payload p = patternList({{"SPARE", 300, {{0, 2, 0}}}});
  p.append(std::vector<std::uint8_t>(106, 0));  // unused buffer space of the sender
  EXPECT_EQ(request(link_, kSetPatternList, p), 1);
}

}  // namespace
}  // namespace hosttest
