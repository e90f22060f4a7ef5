// No payload of any length or content makes the host read outside it or crash: every request
// code with every length from 0 to past its documented size, filled with patterned and with
// pseudo-random bytes (run under AddressSanitizer, where the window manager's exact-size copy
// turns any over-read into a report). Short payloads of the fixed-size requests are refused.
#include <random>

#include "host_fixture.h"
#include "object_payloads.h"

namespace hosttest {
namespace {

const std::uint16_t kCodes[] = {20000, 20001, 20006, 20011, 20012, 20013, 20100, 20101, 20102, 20103, 20107, 20110,
                                20112, 20201, 20202, 20204, 20211, 20212, 20303, 20401, 20501, 20601, 20602, 30003};

class RobustnessTest : public LinkedHostTest {
 protected:
  RobustnessTest() {
    // Something to find, list, replace and delete.
    request(link_, 20102, addObj(30, 1, folderBody("CAD工作空间")));
    request(link_, 20102, addObj(8, 101, lineBody("l", "t", {{1, 1}, {2, 2}})));
    user().selectObjects({101});
  }
};

TEST_F(RobustnessTest, EveryCodeWithEveryShortLengthOfPatternedBytes) {
  for (const std::uint16_t code : kCodes) {
    for (std::size_t n = 0; n <= 600; n += (n < 120 ? 1 : 7)) {
      for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x7F}}) {
        std::vector<std::uint8_t> b(n, fill);
        if (n >= 2) b[0] = 101, b[1] = 0;  // a valid head mark gets further into the readers
        request(code == 20000 ? 0 : link_, code, b);
      }
    }
  }
  for (const auto& r : host().record().requests()) ASSERT_TRUE(r.finished) << "request " << r.serial;
  EXPECT_NE(host().objects().find(1), nullptr) << "the root folder survives anything";
}

TEST_F(RobustnessTest, RandomPayloadsNearTheDocumentedSizes) {
  std::mt19937 rng(20240401);
  const std::size_t sizes[] = {0, 4, 15, 16, 17, 56, 79, 80, 96, 103, 104, 135, 136, 144, 192, 208, 319, 320,
                               480, 531, 532, 533, 1000, 4096};
  for (int round = 0; round < 40; ++round) {
    for (const std::uint16_t code : kCodes) {
      if (code == 20000) continue;  // each registration would add a link
      for (const std::size_t n : sizes) {
        std::vector<std::uint8_t> b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(rng());
        request(link_, code, b);
      }
    }
  }
  SUCCEED() << host().record().requests().size() << " requests survived";
}

TEST_F(RobustnessTest, FixedSizeRequestsOneByteShortAreRefusedAndChangeNothing) {
  struct Case {
    std::uint16_t code;
    std::size_t size;
  };
  const Case cases[] = {{20011, 80}, {20012, 104}, {20013, 4}, {20100, 16}, {20101, 16}, {20102, 16},
                        {20103, 16}, {20107, 532}, {20110, 16}, {20201, 136}, {20212, 80}, {20303, 208}, {20401, 320}};
  const std::string before = host().objects().describe();
  const auto view = host().view();
  for (const Case& c : cases) {
    std::vector<std::uint8_t> b(c.size - 1, 0);
    b[0] = 101;
    const auto m = mark();
    EXPECT_EQ(request(link_, c.code, b), -6) << "code " << c.code << " with " << b.size() << " bytes";
    EXPECT_EQ(plugin().copies.size(), m) << "code " << c.code << " sent an answer";
  }
  EXPECT_EQ(host().objects().describe(), before);
  EXPECT_EQ(host().view().centre.lon, view.centre.lon);
  EXPECT_FALSE(host().following());
  EXPECT_FALSE(host().buttonPresent());
}

}  // namespace
}  // namespace hosttest
