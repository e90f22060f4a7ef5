// Hand-written DXF fixtures, one or a few per entity class: the values the database reports are
// the ones the DXF text states (OCS points turned into world points by the arbitrary-axis rule).
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbapserv.h"
#include "arx/dbblkref.h"
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
#include "arx/dbspline.h"
#include "arx/dbtext.h"
#include "arx/dbxrecord.h"
#include "dxf_test_support.h"

namespace {

using dxftest::entitiesFile;
using dxftest::entityAt;
using dxftest::Groups;
using dxftest::Open;
using dxftest::readOk;
using dxftest::utf8;

constexpr double kPi = 3.14159265358979323846;

void expectPoint(const AcGePoint3d& p, double x, double y, double z, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
  EXPECT_NEAR(p.z, z, 1e-9) << what;
}

TEST(DxfEntities, CircleArcAndPointWithTheNormalDownAreMirrored) {
  // With the normal (0,0,-1) the OCS X axis is (-1,0,0): OCS (2,3,4) is world (-2,3,-4).
  auto db = readOk(entitiesFile({{0, "CIRCLE"}, {10, "2"}, {20, "3"}, {30, "4"}, {40, "1.25"}, {210, "0"},
                                 {220, "0"}, {230, "-1"},
                                 {0, "ARC"}, {10, "1"}, {20, "0"}, {30, "0"}, {40, "2"}, {50, "0"}, {51, "90"},
                                 {210, "0"}, {220, "0"}, {230, "-1"},
                                 {0, "POINT"}, {10, "7"}, {20, "8"}, {30, "9"}, {50, "30"}}));
  ASSERT_TRUE(db);
  auto c = entityAt<AcDbCircle>(*db, 0);
  ASSERT_TRUE(*c);
  expectPoint((*c)->center(), -2, 3, -4, "circle centre in world coordinates");
  EXPECT_DOUBLE_EQ((*c)->radius(), 1.25);
  EXPECT_TRUE((*c)->normal().isEqualTo(AcGeVector3d(0, 0, -1)));
  auto a = entityAt<AcDbArc>(*db, 1);
  ASSERT_TRUE(*a);
  expectPoint((*a)->center(), -1, 0, 0, "arc centre");
  EXPECT_NEAR((*a)->startAngle(), 0.0, 1e-12);
  EXPECT_NEAR((*a)->endAngle(), kPi / 2, 1e-12);
  AcGePoint3d start;
  ASSERT_EQ((*a)->getStartPoint(start), Acad::eOk);
  expectPoint(start, -3, 0, 0, "start = centre + r x OCS X");
  auto p = entityAt<AcDbPoint>(*db, 2);
  ASSERT_TRUE(*p);
  expectPoint((*p)->position(), 7, 8, 9, "point");
  EXPECT_NEAR((*p)->ecsRotation(), kPi / 6, 1e-12);
}

TEST(DxfEntities, EllipseKeepsParametersNotAngles) {
  auto db = readOk(entitiesFile({{0, "ELLIPSE"}, {10, "1"}, {20, "2"}, {30, "0"}, {11, "4"}, {21, "0"}, {31, "0"},
                                 {210, "0"}, {220, "0"}, {230, "1"}, {40, "0.5"}, {41, "0.25"}, {42, "3"}}));
  ASSERT_TRUE(db);
  auto e = entityAt<AcDbEllipse>(*db, 0);
  ASSERT_TRUE(*e);
  expectPoint((*e)->center(), 1, 2, 0, "centre");
  EXPECT_NEAR((*e)->majorRadius(), 4.0, 1e-12);
  EXPECT_NEAR((*e)->radiusRatio(), 0.5, 1e-12);
  double s = 0, t = 0;
  (*e)->getStartParam(s);
  (*e)->getEndParam(t);
  EXPECT_NEAR(s, 0.25, 1e-12);
  EXPECT_NEAR(t, 3.0, 1e-12);
  // Parameter 0.25 is the point centre + cos(0.25) major + sin(0.25) minor.
  AcGePoint3d p;
  (*e)->getStartPoint(p);
  expectPoint(p, 1 + 4 * std::cos(0.25), 2 + 2 * std::sin(0.25), 0, "start point");
}

TEST(DxfEntities, HeavyPolylinesSplitIntoTwoAndThreeDimensionsAndMeshesStayProxies) {
  auto db = readOk(entitiesFile({
      {0, "POLYLINE"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "1.5"}, {70, "1"},
      {0, "VERTEX"}, {10, "0"}, {20, "0"}, {30, "1.5"}, {42, "0.5"}, {70, "0"},
      {0, "VERTEX"}, {10, "4"}, {20, "0"}, {30, "1.5"}, {70, "16"},
      {0, "VERTEX"}, {10, "4"}, {20, "3"}, {30, "1.5"}, {70, "0"},
      {0, "SEQEND"},
      {0, "POLYLINE"}, {66, "1"}, {70, "8"},
      {0, "VERTEX"}, {10, "1"}, {20, "2"}, {30, "3"}, {70, "32"},
      {0, "VERTEX"}, {10, "4"}, {20, "5"}, {30, "6"}, {70, "32"},
      {0, "SEQEND"},
      {0, "POLYLINE"}, {66, "1"}, {70, "64"}, {71, "3"}, {72, "1"},
      {0, "VERTEX"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "192"},
      {0, "VERTEX"}, {10, "1"}, {20, "0"}, {30, "0"}, {70, "192"},
      {0, "VERTEX"}, {10, "0"}, {20, "1"}, {30, "0"}, {70, "192"},
      {0, "VERTEX"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "128"}, {71, "1"}, {72, "2"}, {73, "3"},
      {0, "SEQEND"},
      {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}));
  ASSERT_TRUE(db);
  EXPECT_EQ(dxftest::classCounts(*db), (std::map<std::string, long>{{"AcDb2dPolyline", 1},
                                                                     {"AcDb3dPolyline", 1},
                                                                     {"AcDbLine", 1},
                                                                     {"AcDbProxyEntity", 1}}))
      << "vertices and sequence ends are parts, the polyface mesh is a proxy";
  auto p2 = entityAt<AcDb2dPolyline>(*db, 0);
  ASSERT_TRUE(*p2);
  EXPECT_TRUE((*p2)->isClosed());
  EXPECT_DOUBLE_EQ((*p2)->elevation(), 1.5);
  std::unique_ptr<AcDbObjectIterator> it((*p2)->vertexIterator());
  std::vector<int> types;
  std::vector<double> bulges;
  for (it->start(); !it->done(); it->step()) {
    auto* v = AcDb2dVertex::cast(it->entity());
    ASSERT_NE(v, nullptr);
    types.push_back(v->vertexType());
    bulges.push_back(v->bulge());
  }
  EXPECT_EQ(types, (std::vector<int>{AcDb::k2dVertex, AcDb::k2dSplineCtlVertex, AcDb::k2dVertex}))
      << "vertex flag 16 is a spline frame control point";
  EXPECT_EQ(bulges, (std::vector<double>{0.5, 0.0, 0.0}));
  auto p3 = entityAt<AcDb3dPolyline>(*db, 1);
  ASSERT_TRUE(*p3);
  AcGePoint3d end;
  (*p3)->getEndPoint(end);
  expectPoint(end, 4, 5, 6, "3D end point");
  auto mesh = entityAt<AcDbProxyEntity>(*db, 2);
  ASSERT_TRUE(*mesh);
  EXPECT_EQ(utf8((*mesh)->originalDxfName()), "POLYLINE");
  int vertexRecords = 0;
  for (const AcDbRawGroup& g : (*mesh)->rawGroups())
    if (g.code == 0 && g.value == u"VERTEX") ++vertexRecords;
  EXPECT_EQ(vertexRecords, 4) << "the mesh keeps its vertex and face records";
}

TEST(DxfEntities, SolidAndTraceKeepTheirCornerOrder) {
  auto db = readOk(entitiesFile({{0, "SOLID"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"},
                                 {13, "1"}, {23, "1"},
                                 {0, "TRACE"}, {10, "5"}, {20, "5"}, {11, "6"}, {21, "5"}, {12, "5"}, {22, "6"},
                                 {13, "6"}, {23, "6"}}));
  ASSERT_TRUE(db);
  auto s = entityAt<AcDbSolid>(*db, 0);
  ASSERT_TRUE(*s);
  EXPECT_FALSE(AcDbTrace::cast(s->get()));
  AcGePoint3d p;
  (*s)->getPointAt(2, p);
  expectPoint(p, 0, 1, 0, "third corner as written (the outline runs 0, 1, 3, 2)");
  (*s)->getPointAt(3, p);
  expectPoint(p, 1, 1, 0, "fourth corner");
  auto t = entityAt<AcDbTrace>(*db, 1);
  ASSERT_TRUE(*t);
}

TEST(DxfEntities, TextJustificationAndAttributeGroupsDiffer) {
  auto db = readOk(entitiesFile({{0, "TEXT"}, {100, "AcDbText"}, {10, "1"}, {20, "2"}, {30, "0"}, {40, "2.5"},
                                 {1, "Hello"}, {50, "90"}, {41, "0.8"}, {72, "1"}, {11, "3"}, {21, "4"}, {31, "0"},
                                 {100, "AcDbText"}, {73, "2"},
                                 {0, "TEXT"}, {10, "9"}, {20, "9"}, {40, "1"}, {1, "Left"},
                                 {0, "ATTDEF"}, {100, "AcDbText"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, "default"},
                                 {100, "AcDbAttributeDefinition"}, {3, "Prompt?"}, {2, "TAG1"}, {70, "9"},
                                 {73, "12"}, {74, "3"}}));
  ASSERT_TRUE(db);
  auto t = entityAt<AcDbText>(*db, 0);
  ASSERT_TRUE(*t);
  EXPECT_EQ(utf8((*t)->textString()), "Hello");
  EXPECT_NEAR((*t)->rotation(), kPi / 2, 1e-12);
  EXPECT_DOUBLE_EQ((*t)->widthFactor(), 0.8);
  EXPECT_EQ((*t)->horizontalMode(), AcDb::kTextCenter);
  EXPECT_EQ((*t)->verticalMode(), AcDb::kTextVertMid) << "73 is the vertical mode of a TEXT";
  expectPoint((*t)->alignmentPoint(), 3, 4, 0, "alignment point");
  auto left = entityAt<AcDbText>(*db, 1);
  ASSERT_TRUE(*left);
  expectPoint((*left)->alignmentPoint(), 0, 0, 0, "left/baseline text reports no alignment point");
  auto d = entityAt<AcDbAttributeDefinition>(*db, 2);
  ASSERT_TRUE(*d);
  EXPECT_EQ(utf8((*d)->tag()), "TAG1");
  EXPECT_EQ(utf8((*d)->prompt()), "Prompt?");
  EXPECT_TRUE((*d)->isInvisible()) << "flags 9 = invisible + preset";
  EXPECT_TRUE((*d)->isPreset());
  EXPECT_FALSE((*d)->isConstant());
  EXPECT_EQ((*d)->fieldLength(), 12) << "73 is the field length of an attribute";
  EXPECT_EQ((*d)->verticalMode(), AcDb::kTextTop) << "74 is its vertical mode";
}

TEST(DxfEntities, MTextJoinsItsChunksAndReadsRotationInRadians) {
  const std::string first(250, 'a');
  auto db = readOk(entitiesFile({{0, "MTEXT"}, {100, "AcDbMText"}, {10, "1"}, {20, "2"}, {30, "3"}, {40, "2.5"},
                                 {41, "30"}, {71, "5"}, {72, "1"}, {3, first}, {1, "b\\Pc"}, {50, "1.5"},
                                 {73, "2"}, {44, "1.25"}}));
  ASSERT_TRUE(db);
  auto m = entityAt<AcDbMText>(*db, 0);
  ASSERT_TRUE(*m);
  EXPECT_EQ(utf8((*m)->contents()), first + "b\\Pc");
  EXPECT_EQ(utf8((*m)->text()), first + "b\r\nc");
  expectPoint((*m)->location(), 1, 2, 3, "location");
  EXPECT_NEAR((*m)->rotation(), 1.5, 1e-12) << "MTEXT group 50 is in radians";
  EXPECT_EQ((*m)->attachment(), AcDbMText::kMiddleCenter);
  EXPECT_DOUBLE_EQ((*m)->width(), 30.0);
  EXPECT_EQ((*m)->lineSpacingStyle(), AcDbMText::kExactly);
  EXPECT_DOUBLE_EQ((*m)->lineSpacingFactor(), 1.25);
}

// A drawing with a block holding an attribute definition, inserted with an attribute.
std::string blockDrawing() {
  return dxftest::text({
      {0, "SECTION"}, {2, "BLOCKS"},
      {0, "BLOCK"}, {8, "0"}, {2, "DOOR"}, {70, "2"}, {10, "1"}, {20, "1"}, {30, "0"}, {3, "DOOR"},
      {0, "LINE"}, {8, "0"}, {10, "1"}, {20, "1"}, {11, "2"}, {21, "1"},
      {0, "ATTDEF"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, ""}, {3, "Number"}, {2, "NO"}, {70, "0"},
      {0, "ENDBLK"},
      {0, "ENDSEC"},
      {0, "SECTION"}, {2, "ENTITIES"},
      {0, "INSERT"}, {8, "0"}, {66, "1"}, {2, "DOOR"}, {10, "10"}, {20, "20"}, {30, "0"}, {41, "2"}, {42, "2"},
      {43, "2"}, {50, "45"},
      {0, "ATTRIB"}, {8, "0"}, {10, "10"}, {20, "20"}, {40, "2"}, {1, "D-17"}, {2, "NO"}, {70, "0"},
      {0, "SEQEND"}, {8, "0"},
      {0, "INSERT"}, {8, "0"}, {2, "DOOR"}, {10, "0"}, {20, "0"}, {70, "3"}, {71, "2"}, {44, "5"}, {45, "5"},
      {0, "ENDSEC"}, {0, "EOF"}});
}

TEST(DxfEntities, InsertFindsItsBlockAndKeepsItsAttributes) {
  std::vector<std::string> warnings;
  auto db = readOk(blockDrawing(), &warnings);
  ASSERT_TRUE(db);
  EXPECT_EQ(dxftest::classCounts(*db), (std::map<std::string, long>{{"AcDbBlockReference", 2}}))
      << "attributes belong to the reference";
  auto ref = entityAt<AcDbBlockReference>(*db, 0);
  ASSERT_TRUE(*ref);
  Open<AcDbBlockTableRecord> block((*ref)->blockTableRecord());
  ASSERT_TRUE(block);
  EXPECT_EQ(utf8(block->getName()), "DOOR");
  expectPoint(block->origin(), 1, 1, 0, "block base point");
  EXPECT_EQ(block->entityIds().length(), 2);
  EXPECT_TRUE(block->hasAttributeDefinitions());
  expectPoint((*ref)->position(), 10, 20, 0, "insertion point");
  EXPECT_NEAR((*ref)->rotation(), kPi / 4, 1e-12);
  EXPECT_DOUBLE_EQ((*ref)->scaleFactors().sx, 2.0);
  std::unique_ptr<AcDbObjectIterator> it((*ref)->attributeIterator());
  it->start();
  ASSERT_FALSE(it->done());
  auto* attr = AcDbAttribute::cast(it->entity());
  ASSERT_NE(attr, nullptr);
  EXPECT_EQ(utf8(attr->tag()), "NO");
  EXPECT_EQ(utf8(attr->textString()), "D-17");
  bool arrayWarned = false;
  for (const std::string& w : warnings) arrayWarned = arrayWarned || w.find("MINSERT") != std::string::npos;
  EXPECT_TRUE(arrayWarned) << "the 3 x 2 array of the second reference is not kept, and the caller is told";
}

TEST(DxfEntities, HatchLoopsPatternGradientAndBoundaryLinks) {
  auto db = readOk(entitiesFile({
      {0, "LWPOLYLINE"}, {5, "B0"}, {90, "4"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {10, "10"},
      {20, "10"}, {10, "0"}, {20, "10"},
      {0, "HATCH"}, {5, "B1"}, {100, "AcDbHatch"}, {10, "0"}, {20, "0"}, {30, "0.5"}, {210, "0"}, {220, "0"},
      {230, "1"}, {2, "ANSI31"}, {70, "0"}, {71, "1"}, {91, "2"},
      // Polyline loop with a bulge, linked to the LWPOLYLINE above.
      {92, "7"}, {72, "1"}, {73, "1"}, {93, "3"}, {10, "0"}, {20, "0"}, {42, "0"}, {10, "10"}, {20, "0"}, {42, "1"},
      {10, "10"}, {20, "10"}, {42, "0"}, {97, "1"}, {330, "B0"},
      // Edge loop: line, clockwise arc, line.
      {92, "0"}, {93, "3"},
      {72, "2"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "90"}, {51, "180"}, {73, "0"},
      {72, "1"}, {10, "-1"}, {20, "0"}, {11, "0"}, {21, "0"},
      {72, "1"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "-1"},
      {97, "0"},
      {75, "1"}, {76, "1"}, {52, "45"}, {41, "2"}, {77, "0"}, {78, "1"},
      {53, "45"}, {43, "0"}, {44, "0"}, {45, "-2.2"}, {46, "2.2"}, {79, "2"}, {49, "3"}, {49, "-1"},
      {98, "1"}, {10, "5"}, {20, "5"},
      {450, "1"}, {451, "0"}, {452, "0"}, {453, "2"}, {460, "0.5"}, {461, "0"}, {462, "0"},
      {463, "0"}, {63, "5"}, {421, "255"}, {463, "1"}, {63, "2"}, {421, "16776960"}, {470, "LINEAR"}}));
  ASSERT_TRUE(db);
  auto h = entityAt<AcDbHatch>(*db, 1);
  ASSERT_TRUE(*h);
  EXPECT_DOUBLE_EQ((*h)->elevation(), 0.5);
  EXPECT_EQ(utf8((*h)->patternName()), "ANSI31");
  EXPECT_EQ((*h)->patternType(), AcDbHatch::kPreDefined);
  EXPECT_NEAR((*h)->patternAngle(), kPi / 4, 1e-12);
  EXPECT_DOUBLE_EQ((*h)->patternScale(), 2.0);
  EXPECT_EQ((*h)->hatchStyle(), AcDbHatch::kOuter);
  ASSERT_EQ((*h)->numLoops(), 2);
  EXPECT_EQ((*h)->loopTypeAt(0), 7) << "external + polyline + derived, as written";
  Adesk::Int32 type = 0;
  AcGePoint2dArray verts;
  AcGeDoubleArray bulges;
  ASSERT_EQ((*h)->getLoopAt(0, type, verts, bulges), Acad::eOk);
  ASSERT_EQ(verts.length(), 3);
  EXPECT_DOUBLE_EQ(bulges[1], 1.0);
  AcGeVoidPointerArray edges;
  AcGeIntArray edgeTypes;
  ASSERT_EQ((*h)->getLoopAt(1, type, edges, edgeTypes), Acad::eOk);
  ASSERT_EQ(edges.length(), 3);
  EXPECT_EQ(edgeTypes[0], AcDbHatch::kCirArc);
  auto* arc = static_cast<AcGeCircArc2d*>(edges[0]);
  EXPECT_TRUE(arc->isClockWise()) << "73 = 0";
  // The edges chain: the clockwise arc runs from (0,-1) to (-1,0), where the first line starts.
  EXPECT_TRUE(arc->startPoint().isEqualTo(AcGePoint2d(0, -1), AcGeTol(1e-9, 1e-9)));
  EXPECT_TRUE(arc->endPoint().isEqualTo(AcGePoint2d(-1, 0), AcGeTol(1e-9, 1e-9)));
  for (int i = 0; i < edges.length(); ++i) delete static_cast<AcGeCurve2d*>(edges[i]);
  // The pattern line as the file gives it.
  ASSERT_EQ((*h)->numPatternDefinitions(), 1);
  double angle = 0, bx = 0, by = 0, ox = 0, oy = 0;
  AcGeDoubleArray dashes;
  (*h)->getPatternDefinitionAt(0, angle, bx, by, ox, oy, dashes);
  EXPECT_NEAR(angle, kPi / 4, 1e-12);
  EXPECT_DOUBLE_EQ(ox, -2.2);
  EXPECT_DOUBLE_EQ(oy, 2.2);
  EXPECT_EQ(dashes.length(), 2);
  EXPECT_EQ((*h)->numSeedPoints(), 1);
  // Gradient.
  EXPECT_TRUE((*h)->isGradient());
  EXPECT_EQ(utf8((*h)->gradientName()), "LINEAR");
  EXPECT_DOUBLE_EQ((*h)->gradientAngle(), 0.5);
  unsigned count = 0;
  AcCmColor* colors = nullptr;
  float* values = nullptr;
  (*h)->getGradientColors(count, colors, values);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(colors[1].red(), 255);
  EXPECT_EQ(colors[1].green(), 255);
  EXPECT_EQ(colors[1].blue(), 0) << "421 16776960 = 0xFFFF00";
  EXPECT_FLOAT_EQ(values[1], 1.0f);
  delete[] colors;
  delete[] values;
  // Associativity: the loop names the polyline by handle.
  EXPECT_TRUE((*h)->associative());
  AcDbObjectIdArray ids;
  (*h)->getAssocObjIdsAt(0, ids);
  ASSERT_EQ(ids.length(), 1);
  EXPECT_EQ(ids[0].handle().value(), 0xB0u);
}

TEST(DxfEntities, UnknownEntitiesAndRegionsAreKeptNotDropped) {
  std::vector<std::string> warnings;
  auto db = readOk(entitiesFile({{0, "DIMENSION"}, {5, "50"}, {100, "AcDbEntity"}, {8, "Dims"},
                                 {100, "AcDbDimension"}, {2, "*D1"}, {10, "1"}, {20, "2"}, {70, "32"},
                                 {0, "REGION"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbModelerGeometry"},
                                 {70, "1"}, {1, "kmnm ~ ~ ~"}, {3, "mnmk"}}),
                   &warnings);
  ASSERT_TRUE(db);
  auto p = entityAt<AcDbProxyEntity>(*db, 0);
  ASSERT_TRUE(*p);
  EXPECT_EQ(utf8((*p)->originalDxfName()), "DIMENSION");
  EXPECT_EQ(utf8((*p)->originalClassName()), "AcDbDimension");
  EXPECT_EQ(utf8((*p)->layer()), "Dims");
  const std::vector<AcDbRawGroup> expected{{100, u"AcDbDimension"}, {2, u"*D1"}, {10, u"1"}, {20, u"2"}, {70, u"32"}};
  EXPECT_EQ((*p)->rawGroups(), expected);
  auto r = entityAt<AcDbRegion>(*db, 1);
  ASSERT_TRUE(*r);
  ASSERT_EQ((*r)->modelerData().size(), 4u);
  EXPECT_EQ((*r)->modelerData()[2].value, u"kmnm ~ ~ ~");
  bool dimensionReported = false, regionReported = false;
  for (const std::string& w : warnings) {
    dimensionReported = dimensionReported || w.find("DIMENSION") != std::string::npos;
    regionReported = regionReported || w.find("REGION") != std::string::npos;
  }
  EXPECT_TRUE(dimensionReported);
  EXPECT_TRUE(regionReported) << "a region without boundary curves is reported";
}

}  // namespace
