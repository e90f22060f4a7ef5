// Curves as LineRecords: each class against bytes written by hand from the record layout
// (a default entity on layer "0": white 0xFFFFFF, width 3, opacity 100, line style 0).
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbmline.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbspline.h"
#include "encoder_fixture.h"

namespace {

using vurktest::ExpectBytesExcept;
using vurktest::F64At;
using vurktest::Golden;

constexpr double kPi = 3.14159265358979323846;

class EncodeCurves : public vurktest::EncoderTest {};

TEST_F(EncodeCurves, LineSendsItsTwoEndsWithAltitude) {
  ASSERT_TRUE(encode(new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(3, 4, 5))));
  const auto golden = Golden(208 + 96, {{120, "02 00 00 00"},
                                        {124, "02"},
                                        {144, "ff ff ff 00 03 00 00 00 64 05"},
                                        {208 + 6, "00 40"},   // north 2
                                        {216 + 6, "f0 3f"},   // east 1
                                        {256 + 6, "10 40"},   // north 4
                                        {264 + 6, "08 40"},   // east 3
                                        {276, "05 00 00 00"}});  // altitude 5
  ExpectBytesExcept(onlyBody(), golden);
  const auto v = view();
  EXPECT_EQ(v.entries[0].kind, host::RecordKind::Line);
  EXPECT_EQ(v.entries[0].parentFolderId, 7u);
  EXPECT_EQ(v.entries[0].entityKey, handle) << "the entity's handle identifies it to the host";
}

TEST_F(EncodeCurves, CircleSendsCentreAndThePointAtAngleZero) {
  ASSERT_TRUE(encode(new AcDbCircle(AcGePoint3d(10, 20, 0), AcGeVector3d::kZAxis, 2)));
  ExpectBytesExcept(onlyBody(), Golden(208 + 96, {{120, "02 00 00 00"},
                                                  {124, "02"},
                                                  {144, "ff ff ff 00 03 00 00 00 64 07"},
                                                  {208 + 6, "34 40"},  // north 20
                                                  {216 + 6, "24 40"},  // east 10
                                                  {256 + 6, "34 40"},
                                                  {264 + 6, "28 40"}}));  // east 12
}

TEST_F(EncodeCurves, MirroredCircleStartsOnTheOtherSide) {
  ASSERT_TRUE(encode(new AcDbCircle(AcGePoint3d(10, 20, 0), AcGeVector3d(0, 0, -1), 2)));
  const auto body = onlyBody();
  EXPECT_DOUBLE_EQ(F64At(body, 264), 8.0) << "OCS X of normal -Z points west";
}

TEST_F(EncodeCurves, ArcSendsStartMiddleAndEnd) {
  ASSERT_TRUE(encode(new AcDbArc(AcGePoint3d(10, 0, 0), 2, 0, kPi)));
  const auto body = onlyBody();
  ExpectBytesExcept(body,
                    Golden(208 + 144, {{120, "03 00 00 00"},
                                       {124, "02"},
                                       {144, "ff ff ff 00 03 00 00 00 64 07"},
                                       {216 + 6, "28 40"},                       // start: north 0, east 12
                                       {304 + 6, "00 00"}, {312 + 6, "20 40"}}),  // end: east 8
                    {{256, 304}, {304, 320}});
  EXPECT_NEAR(F64At(body, 256), 2.0, 1e-12) << "the middle of a half circle is its top";
  EXPECT_NEAR(F64At(body, 264), 10.0, 1e-12);
  EXPECT_NEAR(F64At(body, 304), 0.0, 1e-12);
  EXPECT_NEAR(F64At(body, 312), 8.0, 1e-12);
}

TEST_F(EncodeCurves, FullEllipseSendsAxesAndAnglesZeroAnd360) {
  ASSERT_TRUE(encode(new AcDbEllipse(AcGePoint3d(10, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5)));
  ExpectBytesExcept(onlyBody(), Golden(208 + 144, {{120, "03 00 00 00"},
                                                   {124, "02"},
                                                   {144, "ff ff ff 00 03 00 00 00 64 09"},
                                                   {216 + 6, "24 40"},              // centre: east 10
                                                   {264 + 6, "2c 40"},              // major end: east 14
                                                   {280, "00 00 00 00 00 80 76 40"},  // end angle 360
                                                   {304 + 6, "00 40"},              // minor end: north 2
                                                   {312 + 6, "24 40"}}));
}

TEST_F(EncodeCurves, MirroredEllipticalArcTurnsItsAngles) {
  auto* e = new AcDbEllipse(AcGePoint3d(10, 0, 0), AcGeVector3d(0, 0, -1), AcGeVector3d(4, 0, 0), 0.5);
  e->setStartParam(0.5);
  e->setEndParam(1.0);
  ASSERT_TRUE(encode(e));
  const auto body = onlyBody();
  EXPECT_NEAR(F64At(body, 232), 302.704224, 1e-4) << "2pi - 1.0 in degrees";
  EXPECT_NEAR(F64At(body, 280), 331.352112, 1e-4) << "2pi - 0.5 in degrees";
}

TEST_F(EncodeCurves, ArcOfEllipseOverTheStartAddsAFullTurnToTheEnd) {
  auto* e = new AcDbEllipse(AcGePoint3d(10, 0, 0), AcGeVector3d(0, 0, -1), AcGeVector3d(4, 0, 0), 0.5);
  e->setStartParam(5.0);
  e->setEndParam(1.0 + 2 * kPi);  // runs over parameter 0
  ASSERT_TRUE(encode(e));
  const auto body = onlyBody();
  EXPECT_GT(F64At(body, 280), F64At(body, 232)) << "the end angle is kept above the start angle";
}

TEST_F(EncodeCurves, LightweightPolylineSendsBulgesAndConstantWidth) {
  auto* p = new AcDbPolyline;
  p->addVertexAt(0, AcGePoint2d(0, 0), 1.0);
  p->addVertexAt(1, AcGePoint2d(2, 0));
  p->addVertexAt(2, AcGePoint2d(2, 2));
  p->setConstantWidth(0.5);
  ASSERT_TRUE(encode(p));
  ExpectBytesExcept(onlyBody(), Golden(208 + 144, {{120, "03 00 00 00"},
                                                   {124, "02"},
                                                   {144, "ff ff ff 00 32 00 00 00 64 05"},  // width 50
                                                   {232 + 6, "f0 3f"},                     // bulge 1
                                                   {264 + 6, "00 40"},                     // east 2
                                                   {304 + 6, "00 40"},                     // north 2
                                                   {312 + 6, "00 40"}}));
}

TEST_F(EncodeCurves, ClosedPolylineWithoutConstantWidthTakesTheFirstStartWidth) {
  auto* p = new AcDbPolyline;
  p->addVertexAt(0, AcGePoint2d(1, 1), 0, 0.25, 0.5);
  p->addVertexAt(1, AcGePoint2d(3, 1));
  p->setClosed(true);
  ASSERT_TRUE(encode(p));
  const auto body = onlyBody();
  EXPECT_EQ(vurktest::Le32(body, 148), 25u) << "0.25 x 100";
  EXPECT_EQ(body[156], 1) << "closed";
  EXPECT_EQ(body.size(), 208u + 96u) << "the closing vertex is not repeated";
}

TEST_F(EncodeCurves, MirroredPolylineIsSentWhereItLies) {
  auto* p = new AcDbPolyline;
  p->setNormal(AcGeVector3d(0, 0, -1));
  p->addVertexAt(0, AcGePoint2d(1, 1), 0.5);
  p->addVertexAt(1, AcGePoint2d(3, 1));
  ASSERT_TRUE(encode(p));
  const auto body = onlyBody();
  EXPECT_EQ(F64At(body, 216), -1.0) << "OCS X of normal -Z runs west: world X is -1";
  EXPECT_EQ(F64At(body, 208), 1.0);
  EXPECT_EQ(F64At(body, 232), -0.5) << "the arc turns the other way seen from +Z";
}

TEST_F(EncodeCurves, PolylineOfOneVertexSendsNothing) {
  auto* p = new AcDbPolyline;
  p->addVertexAt(0, AcGePoint2d(1, 1));
  EXPECT_FALSE(encode(p));
  EXPECT_TRUE(entries().empty());
  EXPECT_EQ(session.lastOutcome.reason, "polyline with fewer than 2 vertices");
}

TEST_F(EncodeCurves, LineAtTheOriginSendsNothing) {
  EXPECT_FALSE(encode(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 0, 0))));
  EXPECT_TRUE(entries().empty());
}

TEST_F(EncodeCurves, AltitudeAbove65536IsSentAsZero) {
  ASSERT_TRUE(encode(new AcDbLine(AcGePoint3d(1, 2, 70000), AcGePoint3d(3, 4, 65536))));
  const auto body = onlyBody();
  EXPECT_EQ(vurktest::Le32(body, 228), 0u) << "70000 becomes 0";
  EXPECT_EQ(vurktest::Le32(body, 276), 65536u) << "65536 itself stays";
}

TEST_F(EncodeCurves, SplineSendsItsControlPointsAndClosedFlag) {
  AcGePoint3dArray points;
  for (double x : {1.0, 2.0, 3.0, 4.0}) points.append(AcGePoint3d(x, 1, 0));
  AcGeDoubleArray knots;
  for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0}) knots.append(k);
  auto* s = new AcDbSpline(3, false, false, false, points, knots, AcGeDoubleArray(), 0, 0);
  ASSERT_TRUE(encode(s));
  ExpectBytesExcept(onlyBody(), Golden(208 + 4 * 48, {{120, "04 00 00 00"},
                                                      {124, "02"},
                                                      {144, "ff ff ff 00 03 00 00 00 64 0a"},
                                                      {208 + 6, "f0 3f"}, {216 + 6, "f0 3f"},
                                                      {256 + 6, "f0 3f"}, {264 + 6, "00 40"},
                                                      {304 + 6, "f0 3f"}, {312 + 6, "08 40"},
                                                      {352 + 6, "f0 3f"}, {360 + 6, "10 40"}}));
}

TEST_F(EncodeCurves, HeavyPolylinesSkipTheirControlVertices) {
  AcGePoint3dArray points;
  points.append(AcGePoint3d(1, 1, 2.9));
  points.append(AcGePoint3d(2, 1, 0));
  points.append(AcGePoint3d(3, 1, 0));
  auto* p3 = new AcDb3dPolyline(AcDb::k3dSimplePoly, points, true);
  {
    std::unique_ptr<AcDbObjectIterator> it(p3->vertexIterator());
    it->start();
    it->step();
    AcDb3dPolylineVertex::cast(it->entity())->setVertexType(AcDb::k3dControlVertex);
  }
  ASSERT_TRUE(encode(p3));
  const auto body = onlyBody();
  ASSERT_EQ(body.size(), 208u + 96u) << "two of three vertices";
  EXPECT_EQ(vurktest::Le32(body, 228), 2u) << "altitude = integer part of 2.9";
  EXPECT_EQ(F64At(body, 264), 3.0);
  EXPECT_EQ(body[156], 1);

  auto* p2 = new AcDb2dPolyline(AcDb::k2dSimplePoly, points);
  ASSERT_TRUE(encode(p2));
  EXPECT_EQ(view().entries.size(), 2u);
}

TEST_F(EncodeCurves, ClosedMultilineRepeatsItsFirstVertex) {
  auto* m = new AcDbMline;
  m->appendSeg(AcGePoint3d(1, 1, 0));
  m->appendSeg(AcGePoint3d(5, 1, 0));
  m->appendSeg(AcGePoint3d(5, 4, 0));
  m->setClosedMline(true);
  ASSERT_TRUE(encode(m));
  const auto body = onlyBody();
  ASSERT_EQ(body.size(), 208u + 4 * 48u);
  EXPECT_EQ(F64At(body, 208 + 3 * 48 + 8), 1.0) << "east of the repeated first vertex";
  EXPECT_EQ(body[154], 0) << "a multiline is not a curve: line style 0";
}

}  // namespace
