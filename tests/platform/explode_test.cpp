// Explode of block references (transforms, what is included, the 136 path), regions and
// proxies.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "arx/dbblkref.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbproxy.h"
#include "arx/dbregion.h"
#include "arx/dbtext.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;
constexpr double kPi = 3.14159265358979323846;
const AcGeTol kTol(1e-9, 1e-9);

// Deletes the pieces an explode returned.
struct Pieces {
  AcDbVoidPtrArray items;
  ~Pieces() {
    for (void* p : items) delete static_cast<AcDbObject*>(p);
  }
  AcDbEntity* at(int i) const { return static_cast<AcDbEntity*>(items[i]); }
};

class BlockExplode : public DrawingTest {
 protected:
  void SetUp() override {
    inner_ = defineBlock(u"Inner", {new AcDbPoint(AcGePoint3d(0, 0, 0))});
    auto* line = new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(3, 1, 0));
    auto* erased = new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(1, 9, 0));
    outer_ = defineBlock(u"Outer",
                         {line, new AcDbCircle(AcGePoint3d(2, 2, 0), AcGeVector3d::kZAxis, 1.0),
                          new AcDbAttributeDefinition(AcGePoint3d(1, 3, 0), u"", u"T", u"T?"),
                          new AcDbBlockReference(AcGePoint3d(1, 1, 0), inner_), erased},
                         AcGePoint3d(1, 1, 0));
    // Give the definition's line an extension dictionary and erase the last entity.
    AcDbBlockTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, outer_, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray ids = rec->entityIds();
    rec->close();
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(e, ids[0], AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(e->createExtensionDictionary(), Acad::eOk);
    e->close();
    ASSERT_EQ(acdbOpenAcDbEntity(e, ids[4], AcDb::kForWrite), Acad::eOk);
    e->erase();
    e->close();
  }

  // A model-space reference to Outer at (10, 20) turned 90 degrees, with one attribute.
  AcDbObjectId placeReference(AcGeScale3d scale) {
    auto* ref = new AcDbBlockReference(AcGePoint3d(10, 20, 0), outer_);
    ref->setRotation(kPi / 2);
    ref->setScaleFactors(scale);
    ref->appendAttribute(new AcDbAttribute(AcGePoint3d(10, 20, 0), u"value", u"T"));
    return append(ref);
  }

  AcDbObjectId inner_, outer_;
};

TEST_F(BlockExplode, PiecesAreTransformedNonResidentCopiesInDefinitionOrder) {
  AcDbObjectId refId = placeReference(AcGeScale3d(2.0));
  dbtest::RecordingReactor r;
  db_.addReactor(&r);
  AcDbBlockReference* ref = nullptr;
  ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForRead), Acad::eOk);
  Pieces p;
  ASSERT_EQ(ref->explode(p.items), Acad::eOk);
  ref->close();
  db_.removeReactor(&r);
  EXPECT_TRUE(r.events.empty()) << "exploding adds nothing to the database";

  ASSERT_EQ(p.items.length(), 4) << "line, circle, attribute definition, nested reference; no attribute";
  auto* line = AcDbLine::cast(p.at(0));
  auto* circle = AcDbCircle::cast(p.at(1));
  auto* attdef = AcDbAttributeDefinition::cast(p.at(2));
  auto* nested = AcDbBlockReference::cast(p.at(3));
  ASSERT_TRUE(line && circle && attdef && nested);
  // Hand-computed: subtract the base (1,1), scale 2, turn 90 degrees, move to (10,20).
  EXPECT_TRUE(line->startPoint().isEqualTo(AcGePoint3d(10, 20, 0), kTol));
  EXPECT_TRUE(line->endPoint().isEqualTo(AcGePoint3d(10, 24, 0), kTol));
  EXPECT_TRUE(circle->center().isEqualTo(AcGePoint3d(8, 22, 0), kTol));
  EXPECT_NEAR(circle->radius(), 2.0, 1e-12);
  EXPECT_TRUE(attdef->position().isEqualTo(AcGePoint3d(6, 20, 0), kTol));
  EXPECT_EQ(attdef->tag(), u"T");
  EXPECT_EQ(nested->blockTableRecord(), inner_) << "nested references are not flattened";
  EXPECT_TRUE(nested->position().isEqualTo(AcGePoint3d(10, 20, 0), kTol));
  EXPECT_NEAR(nested->rotation(), kPi / 2, 1e-12);
  EXPECT_NEAR(nested->scaleFactors().sx, 2.0, 1e-12);
  for (int i = 0; i < p.items.length(); ++i) {
    EXPECT_FALSE(p.at(i)->isDatabaseResident());
    EXPECT_TRUE(p.at(i)->objectId().isNull());
    EXPECT_TRUE(p.at(i)->objectHandle().isNull());
    EXPECT_TRUE(p.at(i)->extensionDictionary().isNull()) << "no extension dictionary on a piece";
  }
}

TEST_F(BlockExplode, NonUniformScaleWithACircleIs136AndTheUniformRetryWorks) {
  AcDbObjectId refId = placeReference(AcGeScale3d(2.0, 1.0, 1.0));
  AcDbBlockReference* ref = nullptr;
  ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForWrite), Acad::eOk);
  Pieces p;
  EXPECT_EQ(ref->explode(p.items), Acad::eCannotScaleNonUniformly);
  EXPECT_EQ(p.items.length(), 0) << "nothing is returned";
  // The retry: explode at scale 1, restore the scale.
  AcGeScale3d saved = ref->scaleFactors();
  ASSERT_EQ(ref->setScaleFactors(AcGeScale3d(1.0)), Acad::eOk);
  EXPECT_EQ(ref->explode(p.items), Acad::eOk);
  EXPECT_EQ(p.items.length(), 4);
  ASSERT_EQ(ref->setScaleFactors(saved), Acad::eOk);
  ref->close();
}

TEST_F(BlockExplode, LinesTakeANonUniformScaleButBulgesAndTextDoNot) {
  AcDbObjectId lines = defineBlock(u"Lines", {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0))});
  auto* bulged = new AcDbPolyline;
  bulged->addVertexAt(0, AcGePoint2d(0, 0), 0.5);
  bulged->addVertexAt(1, AcGePoint2d(1, 0));
  AcDbObjectId arcs = defineBlock(u"Arcs", {bulged});
  AcDbObjectId text = defineBlock(u"Text", {new AcDbText(AcGePoint3d(0, 0, 0), u"x", AcDbObjectId::kNull, 1.0)});
  struct Case {
    AcDbObjectId block;
    Acad::ErrorStatus expected;
  };
  for (const Case& c : {Case{lines, Acad::eOk}, Case{arcs, Acad::eCannotScaleNonUniformly},
                        Case{text, Acad::eCannotScaleNonUniformly}}) {
    AcDbBlockReference ref(AcGePoint3d(0, 0, 0), c.block);
    ref.setScaleFactors(AcGeScale3d(3.0, 1.0, 1.0));
    Pieces p;
    EXPECT_EQ(ref.explode(p.items), c.expected);
    if (c.expected == Acad::eOk) {
      ASSERT_EQ(p.items.length(), 1);
      EXPECT_TRUE(AcDbLine::cast(p.at(0))->endPoint().isEqualTo(AcGePoint3d(3, 1, 0), kTol));
    }
  }
}

TEST_F(BlockExplode, RotatedNestedReferenceUnderNonUniformScaleWouldSkew) {
  auto* turned = new AcDbBlockReference(AcGePoint3d(0, 0, 0), inner_);
  turned->setRotation(kPi / 4);
  AcDbObjectId holder = defineBlock(u"Holder", {turned});
  AcDbBlockReference ref(AcGePoint3d(0, 0, 0), holder);
  ref.setScaleFactors(AcGeScale3d(2.0, 1.0, 1.0));
  Pieces p;
  EXPECT_EQ(ref.explode(p.items), Acad::eCannotScaleNonUniformly);
  ref.setScaleFactors(AcGeScale3d(2.0, 2.0, 1.0));
  EXPECT_EQ(ref.explode(p.items), Acad::eOk) << "uniform in the plane is fine";
}

TEST_F(BlockExplode, TransformingAReferenceMovesItsAttributes) {
  AcDbObjectId refId = placeReference(AcGeScale3d(1.0));
  AcDbBlockReference* ref = nullptr;
  ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(ref->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0))), Acad::eOk);
  EXPECT_TRUE(ref->position().isEqualTo(AcGePoint3d(15, 20, 0), kTol));
  EXPECT_EQ(ref->transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1))), Acad::eCannotScaleNonUniformly)
      << "turned 90 degrees, the stretch would skew it";
  EXPECT_TRUE(ref->position().isEqualTo(AcGePoint3d(15, 20, 0), kTol));
  AcDbObjectIterator* it = ref->attributeIterator();
  auto* att = AcDbAttribute::cast(it->entity());
  EXPECT_TRUE(att->position().isEqualTo(AcGePoint3d(15, 20, 0), kTol));
  delete it;
  ref->close();
}

TEST(RegionExplode, CompositeRegionExplodesIntoRegions) {
  AcDbCircle outer(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 5.0), inner(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1.0);
  AcDbVoidPtrArray curves;
  curves.append(&outer);
  curves.append(&inner);
  Pieces regions;
  ASSERT_EQ(AcDbRegion::createFromCurves(curves, regions.items), Acad::eOk);
  ASSERT_EQ(regions.items.length(), 2);
  auto* first = AcDbRegion::cast(regions.at(0));
  ASSERT_EQ(first->appendLoopsFrom(AcDbRegion::cast(regions.at(1))), Acad::eOk);
  Pieces parts;
  ASSERT_EQ(first->explode(parts.items), Acad::eOk);
  ASSERT_EQ(parts.items.length(), 2);
  EXPECT_NE(AcDbRegion::cast(parts.at(0)), nullptr);
  EXPECT_NE(AcDbRegion::cast(parts.at(1)), nullptr);
}

TEST(RegionExplode, OpenCurvesMakeNoRegion) {
  AcDbLine a(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), b(AcGePoint3d(1, 0, 0), AcGePoint3d(1, 1, 0));
  AcDbVoidPtrArray curves;
  curves.append(&a);
  curves.append(&b);
  Pieces regions;
  EXPECT_EQ(AcDbRegion::createFromCurves(curves, regions.items), Acad::eInvalidInput);
  EXPECT_EQ(regions.items.length(), 0);
}

TEST(ProxyExplode, StoredGraphicsComeBackAsCopies) {
  AcDbProxyEntity proxy;
  AcDbVoidPtrArray none;
  EXPECT_EQ(proxy.explode(none), Acad::eNotApplicable);
  ASSERT_EQ(proxy.appendGraphics(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0))), Acad::eOk);
  Pieces p;
  ASSERT_EQ(proxy.explode(p.items), Acad::eOk);
  ASSERT_EQ(p.items.length(), 1);
  EXPECT_NE(AcDbLine::cast(p.at(0)), nullptr);
  AcDbExtents e;
  ASSERT_EQ(proxy.getGeomExtents(e), Acad::eOk);
  EXPECT_EQ(e.maxPoint().x, 2.0);
}

TEST(ProxyExplode, ReportedClassNameIsChosenByTheFixture) {
  AcDbProxyEntity proxy;
  EXPECT_EQ(std::u16string(proxy.isA()->name()), u"AcDbProxyEntity");
  proxy.setReportedClassName(u"AcDbProxyObject");
  EXPECT_EQ(std::u16string(proxy.isA()->name()), u"AcDbProxyObject");
  EXPECT_TRUE(proxy.isKindOf(AcDbEntity::desc()));
  EXPECT_NE(AcDbProxyEntity::cast(&proxy), nullptr);
  std::unique_ptr<AcDbObject> copy(proxy.clone());
  EXPECT_EQ(std::u16string(copy->isA()->name()), u"AcDbProxyObject") << "a copy keeps the reported name";
  AcDbZombieEntity zombie;
  EXPECT_EQ(std::u16string(zombie.isA()->name()), u"AcDbZombieEntity");
  ASSERT_EQ(zombie.appendGraphics(new AcDbPoint(AcGePoint3d(1, 1, 1))), Acad::eOk);
  Pieces p;
  EXPECT_EQ(zombie.explode(p.items), Acad::eOk);
  EXPECT_EQ(p.items.length(), 1);
}

}  // namespace
