#include <gtest/gtest.h>

#include <string>

#include "shell/test_connect.h"
#include "shell/version.h"

namespace {

TEST(TestConnect, PiecesThatAreNotPointsStillCountButAddNothing) {
  const auto lines = vurk::TestConnectPolylines("1,2\nabc\n3,4\n");
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[0][1].x, 3.0);
  EXPECT_EQ(lines[0][1].y, 4.0);
}

TEST(TestConnect, APolylineNeedsTwoPoints) {
  EXPECT_TRUE(vurk::TestConnectPolylines("1,2\nx\ny\n").empty());
}

TEST(TestConnect, TabsSeparateLikeLineFeedsAndLongPiecesAreSkipped) {
  const std::string longPiece = "1," + std::string(300, '2');
  const auto lines = vurk::TestConnectPolylines("0,0\t" + longPiece + "\t2,2\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 2u) << "a piece of 256 bytes or more is not read";
}

TEST(Version, ShownAsMajorMinorPatch) {
  EXPECT_EQ(vurk::VersionText(174), u"V1.7.4");
  EXPECT_EQ(vurk::VersionText(1203), u"V12.0.3");
}

}  // namespace
