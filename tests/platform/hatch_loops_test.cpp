// Hatch loops: the three ways to append them, what getLoopAt gives back, loop flags,
// associativity, patterns and gradients.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbpl.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;
constexpr double kPi = 3.14159265358979323846;
const AcGeTol kTol(1e-9, 1e-9);

AcGePoint2dArray square(double x0, double y0, double size) {
  AcGePoint2dArray a;
  a.append(AcGePoint2d(x0, y0));
  a.append(AcGePoint2d(x0 + size, y0));
  a.append(AcGePoint2d(x0 + size, y0 + size));
  a.append(AcGePoint2d(x0, y0 + size));
  return a;
}

void deleteEdges(AcGeVoidPointerArray& edges) {
  for (void* e : edges) delete static_cast<AcGeCurve2d*>(e);
  edges.removeAll();
}

TEST(HatchLoops, PolylineLoopAddsThePolylineFlagAndComesBackAsGiven) {
  AcDbHatch h;
  AcGeDoubleArray bulges;
  for (double b : {0.0, 0.5, 0.0, 0.0}) bulges.append(b);
  ASSERT_EQ(h.appendLoop(AcDbHatch::kExternal, square(0, 0, 10), bulges), Acad::eOk);
  EXPECT_EQ(h.loopTypeAt(0), AcDbHatch::kExternal | AcDbHatch::kPolyline);
  Adesk::Int32 type = 0;
  AcGePoint2dArray vertices;
  AcGeDoubleArray outBulges;
  ASSERT_EQ(h.getLoopAt(0, type, vertices, outBulges), Acad::eOk);
  EXPECT_EQ(type, 3);
  EXPECT_EQ(vertices, square(0, 0, 10));
  EXPECT_EQ(outBulges, bulges);
  AcGeVoidPointerArray edges;
  AcGeIntArray types;
  EXPECT_EQ(h.getLoopAt(0, type, edges, types), Acad::eInvalidInput) << "a polyline loop has no edge form";
  AcGeDoubleArray wrong;
  wrong.append(0.0);
  EXPECT_EQ(h.appendLoop(AcDbHatch::kExternal, square(0, 0, 1), wrong), Acad::eInvalidInput);
}

TEST(HatchLoops, EdgeLoopStoresCopiesAndHandsOutNewOnes) {
  AcGeLineSeg2d line(AcGePoint2d(0, 0), AcGePoint2d(10, 0));
  AcGeCircArc2d arc(AcGePoint2d(5, 0), 5.0, 0.0, kPi);
  AcGeVoidPointerArray in;
  in.append(&line);
  in.append(&arc);
  AcGeIntArray types;
  types.append(AcDbHatch::kLine);
  types.append(AcDbHatch::kCirArc);
  AcDbHatch h;
  ASSERT_EQ(h.appendLoop(AcDbHatch::kDefault, in, types), Acad::eOk);
  EXPECT_EQ(h.loopTypeAt(0), 0);
  Adesk::Int32 type = -1;
  AcGeVoidPointerArray out;
  AcGeIntArray outTypes;
  ASSERT_EQ(h.getLoopAt(0, type, out, outTypes), Acad::eOk);
  ASSERT_EQ(out.length(), 2);
  EXPECT_NE(out[0], static_cast<void*>(&line)) << "the hatch keeps its own copies";
  EXPECT_EQ(outTypes, types);
  auto* gotArc = static_cast<AcGeCircArc2d*>(out[1]);
  EXPECT_NEAR(gotArc->radius(), 5.0, 1e-12);
  deleteEdges(out);
  types[1] = AcDbHatch::kEllArc;
  EXPECT_EQ(h.appendLoop(AcDbHatch::kDefault, in, types), Acad::eInvalidInput) << "type must match the curve";
}

class HatchFromEntities : public DrawingTest {};

TEST_F(HatchFromEntities, ABoundaryThatDoesNotCloseOrLeavesThePlaneIsRefused) {
  AcDbObjectIdArray open;
  open.append(append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0))));
  open.append(append(new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(1, 1, 0))));
  AcDbHatch h;
  EXPECT_EQ(h.appendLoop(AcDbHatch::kExternal, open), Acad::eInvalidInput);
  AcDbObjectIdArray standing;
  standing.append(append(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kXAxis, 1.0)));
  EXPECT_EQ(h.appendLoop(AcDbHatch::kExternal, standing), Acad::eInvalidInput);
  EXPECT_EQ(h.appendLoop(AcDbHatch::kExternal, AcDbObjectIdArray()), Acad::eInvalidInput);
  EXPECT_EQ(h.numLoops(), 0);
}

TEST_F(HatchFromEntities, ABoundaryOpenForWriteCannotBeRead) {
  AcDbObjectId id = append(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1.0));
  AcDbEntity* held = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(held, id, AcDb::kForWrite), Acad::eOk);
  AcDbObjectIdArray ids;
  ids.append(id);
  AcDbHatch h;
  EXPECT_EQ(h.appendLoop(AcDbHatch::kExternal, ids), Acad::eWasOpenForWrite);
  held->close();
  EXPECT_EQ(h.appendLoop(AcDbHatch::kExternal, ids), Acad::eOk);
  EXPECT_EQ(db_.numOpenObjects(), 0) << "the boundary was closed again";
}

TEST(HatchPatterns, PredefinedNamesOnlyAndTheirLinesFollowAngleAndScale) {
  AcDbHatch h;
  ASSERT_EQ(h.setPattern(AcDbHatch::kPreDefined, u"solid"), Acad::eOk);
  EXPECT_EQ(h.patternName(), u"SOLID");
  EXPECT_TRUE(h.isSolidFill());
  EXPECT_EQ(h.setPattern(AcDbHatch::kPreDefined, u"NO_SUCH_PATTERN"), Acad::eInvalidInput);
  EXPECT_EQ(h.patternName(), u"SOLID") << "a refused name changes nothing";

  ASSERT_EQ(h.setPattern(AcDbHatch::kPreDefined, u"ANSI31"), Acad::eOk);
  ASSERT_EQ(h.numPatternDefinitions(), 1);
  double angle, bx, by, ox, oy;
  AcGeDoubleArray dashes;
  ASSERT_EQ(h.getPatternDefinitionAt(0, angle, bx, by, ox, oy, dashes), Acad::eOk);
  EXPECT_NEAR(angle, kPi / 4, 1e-12);
  EXPECT_NEAR(ox, -3.175 * std::sqrt(0.5), 1e-12) << "spacing 3.175 across 45-degree lines";
  EXPECT_NEAR(oy, 3.175 * std::sqrt(0.5), 1e-12);
  h.setPatternAngle(kPi / 4);
  h.setPatternScale(2.0);
  ASSERT_EQ(h.getPatternDefinitionAt(0, angle, bx, by, ox, oy, dashes), Acad::eOk);
  EXPECT_NEAR(angle, kPi / 2, 1e-12);
  EXPECT_NEAR(ox, -6.35, 1e-12);
  EXPECT_NEAR(oy, 0.0, 1e-12);
  EXPECT_EQ(h.getPatternDefinitionAt(1, angle, bx, by, ox, oy, dashes), Acad::eInvalidIndex);

  ASSERT_EQ(h.setPattern(AcDbHatch::kUserDefined, u""), Acad::eOk);
  h.setPatternAngle(0.0);
  h.setPatternSpace(2.0);
  h.setPatternDouble(true);
  ASSERT_EQ(h.numPatternDefinitions(), 2);
  ASSERT_EQ(h.getPatternDefinitionAt(1, angle, bx, by, ox, oy, dashes), Acad::eOk);
  EXPECT_NEAR(angle, kPi / 2, 1e-12);
  EXPECT_NEAR(ox, -2.0, 1e-12);
}

TEST(HatchPatterns, GradientsByName) {
  AcDbHatch h;
  EXPECT_FALSE(h.isGradient());
  ASSERT_EQ(h.setHatchObjectType(AcDbHatch::kGradientObject), Acad::eOk);
  EXPECT_TRUE(h.isGradient());
  for (const char16_t* name : {u"LINEAR", u"CYLINDER", u"INVCYLINDER", u"SPHERICAL", u"HEMISPHERICAL", u"CURVED",
                               u"INVSPHERICAL", u"INVHEMISPHERICAL", u"invcurved"})
    EXPECT_EQ(h.setGradient(AcDbHatch::kPreDefinedGradient, name), Acad::eOk);
  EXPECT_EQ(h.setGradient(AcDbHatch::kPreDefinedGradient, u"RAINBOW"), Acad::eInvalidInput);
  EXPECT_EQ(h.gradientName(), u"invcurved");
  AcCmColor colors[2];
  colors[0].setColorIndex(1);
  colors[1].setRGB(0, 0, 255);
  float values[2] = {0.0f, 1.0f};
  ASSERT_EQ(h.setGradientColors(2, colors, values), Acad::eOk);
  unsigned int count = 0;
  AcCmColor* outColors = nullptr;
  float* outValues = nullptr;
  ASSERT_EQ(h.getGradientColors(count, outColors, outValues), Acad::eOk);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(outColors[0].colorIndex(), 1);
  EXPECT_EQ(outColors[1].blue(), 255);
  EXPECT_EQ(outValues[1], 1.0f);
  delete[] outColors;
  delete[] outValues;
}

TEST(HatchGeometry, ExtentsIncludeBulgesAndTransformRefusesStretchedArcs) {
  AcDbHatch h;
  AcGePoint2dArray v;
  v.append(AcGePoint2d(0, 0));
  v.append(AcGePoint2d(10, 0));
  AcGeDoubleArray b;
  b.append(1.0);
  b.append(1.0);
  ASSERT_EQ(h.appendLoop(AcDbHatch::kExternal, v, b), Acad::eOk);  // a full circle of radius 5
  AcDbExtents e;
  ASSERT_EQ(h.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.minPoint().y, -5.0, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, 5.0, 1e-9);
  EXPECT_EQ(h.transformBy(AcGeMatrix3d::scaling(AcGeScale3d(2, 1, 1))), Acad::eCannotScaleNonUniformly);
  ASSERT_EQ(h.transformBy(AcGeMatrix3d::translation(AcGeVector3d(0, 0, 3)) * AcGeMatrix3d::scaling(2.0)), Acad::eOk);
  ASSERT_EQ(h.getGeomExtents(e), Acad::eOk);
  EXPECT_NEAR(e.maxPoint().x, 20.0, 1e-9);
  EXPECT_NEAR(e.maxPoint().y, 10.0, 1e-9);
  EXPECT_NEAR(h.elevation(), 3.0, 1e-12);
  AcDbHatch empty;
  EXPECT_EQ(empty.getGeomExtents(e), Acad::eInvalidExtents);
}

}  // namespace
