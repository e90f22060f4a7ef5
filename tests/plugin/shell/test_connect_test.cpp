#include <gtest/gtest.h>

#include <string>

#include "shell/test_connect.h"
#include "shell/version.h"

namespace {

TEST(TestConnect, SevenLinesMakeTwoPolylinesAndDropTheSeventhPoint) {
  const auto lines = vurk::TestConnectPolylines("0,0\n1,0\n1,1\n5,5\n6,5\n6,6\n9,9\n");
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_EQ(lines[0].size(), 3u);
  EXPECT_EQ(lines[0][2].x, 1.0);
  EXPECT_EQ(lines[0][2].y, 1.0);
  EXPECT_EQ(lines[1][0].x, 5.0);
}

TEST(TestConnect, PiecesThatAreNotPointsStillCountButAddNothing) {
  const auto lines = vurk::TestConnectPolylines("1,2\nabc\n3,4\n");
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[0][1].x, 3.0);
  EXPECT_EQ(lines[0][1].y, 4.0);
}

TEST(TestConnect, APolylineNeedsTwoPoints) {
  EXPECT_TRUE(vurk::TestConnectPolylines("1,2\nx\ny\n").empty());
  EXPECT_TRUE(vurk::TestConnectPolylines(std::string(102400, '1')).empty()) << "one long piece is no point";
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
