// The runtime class tree: exact names, parents, and which classes are curves.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "win32/unicode.h"

#include "arx/dbblkref.h"
#include "arx/dbcomplex.h"
#include "arx/dbdict.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbimage.h"
#include "arx/dbmline.h"
#include "arx/dbmtext.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbproxy.h"
#include "arx/dbregion.h"
#include "arx/dbsort.h"
#include "arx/dbspline.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "arx/dbxrecord.h"

namespace {

struct Row {
  const AcRxClass* cls;
  const char16_t* name;
  const char16_t* parent;
};

TEST(ClassTree, NamesAndParentsAreThePlatforms) {
  const Row rows[] = {
      {AcDbObject::desc(), u"AcDbObject", u"AcRxObject"},
      {AcDbEntity::desc(), u"AcDbEntity", u"AcDbObject"},
      {AcDbCurve::desc(), u"AcDbCurve", u"AcDbEntity"},
      {AcDbLine::desc(), u"AcDbLine", u"AcDbCurve"},
      {AcDbCircle::desc(), u"AcDbCircle", u"AcDbCurve"},
      {AcDbArc::desc(), u"AcDbArc", u"AcDbCurve"},
      {AcDbEllipse::desc(), u"AcDbEllipse", u"AcDbCurve"},
      {AcDbSpline::desc(), u"AcDbSpline", u"AcDbCurve"},
      {AcDbPolyline::desc(), u"AcDbPolyline", u"AcDbCurve"},
      {AcDb2dPolyline::desc(), u"AcDb2dPolyline", u"AcDbCurve"},
      {AcDb3dPolyline::desc(), u"AcDb3dPolyline", u"AcDbCurve"},
      {AcDbVertex::desc(), u"AcDbVertex", u"AcDbEntity"},
      {AcDb2dVertex::desc(), u"AcDb2dVertex", u"AcDbVertex"},
      {AcDb3dPolylineVertex::desc(), u"AcDb3dPolylineVertex", u"AcDbVertex"},
      {AcDbSequenceEnd::desc(), u"AcDbSequenceEnd", u"AcDbEntity"},
      {AcDbPoint::desc(), u"AcDbPoint", u"AcDbEntity"},
      {AcDbText::desc(), u"AcDbText", u"AcDbEntity"},
      {AcDbAttribute::desc(), u"AcDbAttribute", u"AcDbText"},
      {AcDbAttributeDefinition::desc(), u"AcDbAttributeDefinition", u"AcDbText"},
      {AcDbMText::desc(), u"AcDbMText", u"AcDbEntity"},
      {AcDbBlockReference::desc(), u"AcDbBlockReference", u"AcDbEntity"},
      {AcDbMline::desc(), u"AcDbMline", u"AcDbEntity"},
      {AcDbSolid::desc(), u"AcDbSolid", u"AcDbEntity"},
      {AcDbTrace::desc(), u"AcDbTrace", u"AcDbEntity"},
      {AcDbHatch::desc(), u"AcDbHatch", u"AcDbEntity"},
      {AcDbRegion::desc(), u"AcDbRegion", u"AcDbEntity"},
      {AcDbImage::desc(), u"AcDbImage", u"AcDbEntity"},
      {AcDbRasterImage::desc(), u"AcDbRasterImage", u"AcDbImage"},
      {AcDbRasterImageDef::desc(), u"AcDbRasterImageDef", u"AcDbObject"},
      {AcDbSortentsTable::desc(), u"AcDbSortentsTable", u"AcDbObject"},
      {AcDbXrecord::desc(), u"AcDbXrecord", u"AcDbObject"},
      {AcDbDictionary::desc(), u"AcDbDictionary", u"AcDbObject"},
      {AcDbZombieEntity::desc(), u"AcDbZombieEntity", u"AcDbEntity"},
      {AcDbProxyEntity::desc(), u"AcDbProxyEntity", u"AcDbEntity"},
      {AcDbProxyObject::desc(), u"AcDbProxyObject", u"AcDbObject"},
      {AcDbSymbolTable::desc(), u"AcDbSymbolTable", u"AcDbObject"},
      {AcDbBlockTable::desc(), u"AcDbBlockTable", u"AcDbSymbolTable"},
      {AcDbLayerTable::desc(), u"AcDbLayerTable", u"AcDbSymbolTable"},
      {AcDbLinetypeTable::desc(), u"AcDbLinetypeTable", u"AcDbSymbolTable"},
      {AcDbRegAppTable::desc(), u"AcDbRegAppTable", u"AcDbSymbolTable"},
      {AcDbSymbolTableRecord::desc(), u"AcDbSymbolTableRecord", u"AcDbObject"},
      {AcDbBlockTableRecord::desc(), u"AcDbBlockTableRecord", u"AcDbSymbolTableRecord"},
      {AcDbLayerTableRecord::desc(), u"AcDbLayerTableRecord", u"AcDbSymbolTableRecord"},
      {AcDbLinetypeTableRecord::desc(), u"AcDbLinetypeTableRecord", u"AcDbSymbolTableRecord"},
      {AcDbRegAppTableRecord::desc(), u"AcDbRegAppTableRecord", u"AcDbSymbolTableRecord"},
      {AcDbViewTableRecord::desc(), u"AcDbViewTableRecord", u"AcDbAbstractViewTableRecord"},
  };
  for (const Row& r : rows) {
    ASSERT_NE(r.cls, nullptr);
    EXPECT_EQ(std::u16string(r.cls->name()), r.name);
    ASSERT_NE(r.cls->myParent(), nullptr) << "missing parent";
    EXPECT_EQ(std::u16string(r.cls->myParent()->name()), r.parent) << "parent of the class";
  }
}

TEST(ClassTree, OnlyTheLinearEntitiesAreCurves) {
  AcDbLine line;
  AcDbPolyline pl;
  AcDb2dPolyline pl2;
  AcDb3dPolyline pl3;
  AcDbSpline spline;
  AcDbEllipse ellipse;
  for (const AcDbEntity* curve : std::initializer_list<const AcDbEntity*>{&line, &pl, &pl2, &pl3, &spline, &ellipse})
    EXPECT_TRUE(curve->isKindOf(AcDbCurve::desc())) << "curve expected";
  AcDbPoint point;
  AcDbText text;
  AcDbMText mtext;
  AcDbMline mline;
  AcDbSolid solid;
  AcDbHatch hatch;
  AcDbRegion region;
  AcDbRasterImage image;
  AcDbBlockReference ref;
  AcDbProxyEntity proxy;
  for (const AcDbEntity* other : std::initializer_list<const AcDbEntity*>{
           &point, &text, &mtext, &mline, &solid, &hatch, &region, &image, &ref, &proxy}) {
    EXPECT_FALSE(other->isKindOf(AcDbCurve::desc())) << win32::utf16ToUtf8(other->isA()->name());
    EXPECT_EQ(AcDbCurve::cast(other), nullptr);
  }
}

TEST(ClassTree, IsAAndCastFollowTheMostDerivedClass) {
  AcDbAttributeDefinition def;
  const AcDbEntity* e = &def;
  EXPECT_EQ(e->isA(), AcDbAttributeDefinition::desc());
  EXPECT_NE(AcDbText::cast(e), nullptr);
  EXPECT_EQ(AcDbAttribute::cast(e), nullptr) << "sibling classes do not cast";
  AcDbTrace trace;
  EXPECT_EQ(AcDbSolid::cast(&trace), nullptr) << "a trace is not a kind of solid";
  std::unique_ptr<AcDbObject> copy(def.clone());
  EXPECT_EQ(copy->isA(), AcDbAttributeDefinition::desc()) << "clone keeps the class";
}

}  // namespace
