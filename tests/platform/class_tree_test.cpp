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

}  // namespace
