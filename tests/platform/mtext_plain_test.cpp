// MText keeps its contents and gives plain text without formatting; extents by attachment.
#include <gtest/gtest.h>

#include "arx/dbmtext.h"

namespace {

TEST(MTextPlain, FormattingCodesAndBracesAreDropped) {
  EXPECT_EQ(acdbMTextPlainText(u"{\\fArial|b1|i0|c134;\\H2.5x;\\C1;Red} text"), u"Red text");
  EXPECT_EQ(acdbMTextPlainText(u"\\Lunder\\l \\Oover\\o \\Kstrike\\k"), u"under over strike");
  EXPECT_EQ(acdbMTextPlainText(u"\\A1;\\Q15;\\T1.2;\\W0.8;\\pxi-3,l3;tail"), u"tail");
}

TEST(MTextPlain, EscapesAndSpecialCharacters) {
  EXPECT_EQ(acdbMTextPlainText(u"a\\\\b\\{c\\}d"), u"a\\b{c}d");
  EXPECT_EQ(acdbMTextPlainText(u"no\\~break"), u"no break");
  EXPECT_EQ(acdbMTextPlainText(u"\\U+5730\\U+56FE"), u"\u5730\u56FE");
  EXPECT_EQ(acdbMTextPlainText(u"x\\M+1B0A1y"), u"x\uFFFDy");
}

TEST(MTextPlain, StacksKeepTheirSeparator) {
  EXPECT_EQ(acdbMTextPlainText(u"1\\S1/2;\""), u"11/2\"");
  EXPECT_EQ(acdbMTextPlainText(u"\\S+0.1^-0.2;"), u"+0.1^-0.2");
}

TEST(MTextPlain, UnterminatedCodesDoNotReadPastTheEnd) {
  EXPECT_EQ(acdbMTextPlainText(u"abc\\H2.5"), u"abc");
  EXPECT_EQ(acdbMTextPlainText(u"abc\\"), u"abc\\");
  EXPECT_EQ(acdbMTextPlainText(u"\\U+12"), u"U+12");
}

TEST(MText, ExtentsHangFromTheAttachmentPoint) {
  AcDbMText m;
  m.setLocation(AcGePoint3d(100, 100, 0));
  m.setTextHeight(3.0);
  m.setContents(u"AB\\PC");
  AcDbExtents e;
  ASSERT_EQ(m.getGeomExtents(e), Acad::eOk);
  // Two lines: 3 + 5/3 x 3 = 8 high; widest line "AB" = 2 x 0.7 x 3 = 4.2.
  EXPECT_NEAR(e.minPoint().x, 100.0, 1e-9);
  EXPECT_NEAR(e.maxPoint().x, 104.2, 1e-9);
  EXPECT_NEAR(e.minPoint().y, 92.0, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, 100.0, 1e-9);
  m.setWidth(10.0);
  m.setAttachment(AcDbMText::kBottomCenter);
  ASSERT_EQ(m.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.minPoint().x, 95.0, 1e-9);
  EXPECT_NEAR(e.maxPoint().x, 105.0, 1e-9);
  EXPECT_NEAR(e.minPoint().y, 100.0, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, 108.0, 1e-9);
  m.setContents(u"{\\C1;}");
  EXPECT_EQ(m.getGeomExtents(e), Acad::eInvalidExtents) << "nothing left after the codes";
}

TEST(MText, RotationAndDirectionAgree) {
  AcDbMText m;
  ASSERT_EQ(m.setRotation(3.14159265358979 / 2), Acad::eOk);
  EXPECT_TRUE(m.direction().isEqualTo(AcGeVector3d(0, 1, 0), AcGeTol(1e-12, 1e-12)));
  EXPECT_EQ(m.setAttachment(static_cast<AcDbMText::AttachmentPoint>(10)), Acad::eInvalidInput);
}

}  // namespace
