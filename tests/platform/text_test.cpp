// Single-line text: the alignment point rule, justification codes, the extents model,
// attributes taken from definitions.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbtext.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const AcGeTol kTol(1e-9, 1e-9);

TEST(Text, ExtentsModelNarrowAndWideCharacters) {
  AcDbText t(AcGePoint3d(1, 1, 0), u"AB", AcDbObjectId::kNull, 2.0);
  AcDbExtents e;
  ASSERT_EQ(t.getGeomExtents(e), Acad::eOk);
  EXPECT_TRUE(e.minPoint().isEqualTo(AcGePoint3d(1, 1, 0), kTol));
  EXPECT_TRUE(e.maxPoint().isEqualTo(AcGePoint3d(1 + 2 * 0.7 * 2.0, 3, 0), kTol));
  AcDbText cjk(AcGePoint3d(0, 0, 0), u"\u5730\u56FEx", AcDbObjectId::kNull, 1.0);
  ASSERT_EQ(cjk.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.maxPoint().x, 1.0 + 1.0 + 0.7, 1e-12) << "two wide characters and one narrow";
  cjk.setWidthFactor(2.0);
  ASSERT_EQ(cjk.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.maxPoint().x, 2 * 2.7, 1e-12);
}

TEST(Text, RotatedTextTurnsItsBox) {
  AcDbText t(AcGePoint3d(0, 0, 0), u"ABC", AcDbObjectId::kNull, 1.0, kPi / 2);
  AcDbExtents e;
  ASSERT_EQ(t.getGeomExtents(e), Acad::eOk);
  EXPECT_TRUE(e.minPoint().isEqualTo(AcGePoint3d(-1, 0, 0), kTol));
  EXPECT_TRUE(e.maxPoint().isEqualTo(AcGePoint3d(0, 2.1, 0), kTol));
}

TEST(Text, EmptyTextHasNoExtents) {
  AcDbText t(AcGePoint3d(0, 0, 0), u"", AcDbObjectId::kNull, 1.0);
  AcDbExtents e;
  EXPECT_EQ(t.getGeomExtents(e), Acad::eInvalidExtents);
  EXPECT_EQ(static_cast<int>(Acad::eInvalidExtents), 30);
}

TEST(Text, AdjustAlignmentPlacesJustifiedText) {
  AcDbText t(AcGePoint3d(0, 0, 0), u"ABCD", AcDbObjectId::kNull, 1.0);
  t.setHorizontalMode(AcDb::kTextRight);
  t.setVerticalMode(AcDb::kTextTop);
  t.setAlignmentPoint(AcGePoint3d(10, 10, 0));
  ASSERT_EQ(t.adjustAlignment(), Acad::eOk);
  EXPECT_TRUE(t.position().isEqualTo(AcGePoint3d(10 - 2.8, 9, 0), kTol));
  AcDbExtents e;
  ASSERT_EQ(t.getGeomExtents(e), Acad::eOk);
  EXPECT_TRUE(e.maxPoint().isEqualTo(AcGePoint3d(10, 10, 0), kTol)) << "top right at the alignment point";
}

TEST(Text, TransformRefusesStretchAndMovesBothPoints) {
  AcDbText t(AcGePoint3d(1, 0, 0), u"T", AcDbObjectId::kNull, 1.0);
  t.setHorizontalMode(AcDb::kTextCenter);
  t.setAlignmentPoint(AcGePoint3d(2, 0, 0));
  EXPECT_EQ(t.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1))), Acad::eCannotScaleNonUniformly);
  ASSERT_EQ(t.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis) * AcGeMatrix3d::scaling(2.0)),
            Acad::eOk);
  EXPECT_TRUE(t.position().isEqualTo(AcGePoint3d(0, 2, 0), kTol));
  EXPECT_TRUE(t.alignmentPoint().isEqualTo(AcGePoint3d(0, 4, 0), kTol));
  EXPECT_NEAR(t.height(), 2.0, 1e-12);
  EXPECT_NEAR(t.rotation(), kPi / 2, 1e-12);
}

TEST(Attributes, DerivedFromTextWithTags) {
  AcDbAttributeDefinition def(AcGePoint3d(1, 0, 0), u"default", u"NAME", u"Name?");
  def.setHeight(2.0);
  def.setInvisible(true);
  EXPECT_TRUE(def.isKindOf(AcDbText::desc()));
  EXPECT_EQ(def.tag(), u"NAME");
  EXPECT_EQ(def.prompt(), u"Name?");
  AcDbAttribute att;
  ASSERT_EQ(att.setAttributeFromBlock(&def, AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)) *
                                                AcGeMatrix3d::scaling(3.0)),
            Acad::eOk);
  EXPECT_EQ(att.tag(), u"NAME");
  EXPECT_EQ(att.textString(), u"default");
  EXPECT_TRUE(att.isInvisible());
  EXPECT_TRUE(att.position().isEqualTo(AcGePoint3d(13, 0, 0), kTol));
  EXPECT_NEAR(att.height(), 6.0, 1e-12);
  EXPECT_TRUE(att.isKindOf(AcDbText::desc()));
  EXPECT_FALSE(att.isKindOf(AcDbAttributeDefinition::desc()));
}

}  // namespace
