// segType of lightweight polylines over open/closed, 0..3 vertices, duplicates and bulges,
// plus the vertex accessors the encoders read.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "arx/dbpl.h"

namespace {

using Seg = AcDbPolyline::SegType;

struct Case {
  const char* name;
  std::vector<AcGePoint2d> points;
  std::vector<double> bulges;
  bool closed;
  std::vector<Seg> expected;  // segType(0), segType(1), ..., then one index past the end
};

AcDbPolyline* make(const Case& c) {
  auto* pl = new AcDbPolyline;
  for (std::size_t i = 0; i < c.points.size(); ++i)
    pl->addVertexAt(static_cast<unsigned>(i), c.points[i], i < c.bulges.size() ? c.bulges[i] : 0.0);
  pl->setClosed(c.closed);
  return pl;
}

TEST(PolylineSegType, TableOverVertexCountsClosureDuplicatesAndBulges) {
  const AcGePoint2d a(0, 0), b(10, 0), c(10, 10);
  const std::vector<Case> cases = {
      {"no vertices, open", {}, {}, false, {Seg::kEmpty, Seg::kEmpty}},
      {"no vertices, closed", {}, {}, true, {Seg::kEmpty, Seg::kEmpty}},
      {"one vertex, open", {a}, {}, false, {Seg::kPoint, Seg::kEmpty}},
      {"one vertex, closed", {a}, {}, true, {Seg::kPoint, Seg::kEmpty}},
      {"two vertices, open", {a, b}, {}, false, {Seg::kLine, Seg::kEmpty, Seg::kEmpty}},
      {"two vertices, closed", {a, b}, {}, true, {Seg::kLine, Seg::kLine, Seg::kEmpty}},
      {"two vertices, bulged closing segment", {a, b}, {0.0, 1.0}, true, {Seg::kLine, Seg::kArc, Seg::kEmpty}},
      {"bulge on the last vertex of an open polyline", {a, b}, {0.0, 1.0}, false,
       {Seg::kLine, Seg::kEmpty, Seg::kEmpty}},
      {"three vertices, open, middle bulged", {a, b, c}, {0.0, -0.5, 0.0}, false,
       {Seg::kLine, Seg::kArc, Seg::kEmpty, Seg::kEmpty}},
      {"three vertices, closed", {a, b, c}, {}, true, {Seg::kLine, Seg::kLine, Seg::kLine, Seg::kEmpty}},
      {"duplicate vertex", {a, a, b}, {}, false, {Seg::kCoincident, Seg::kLine, Seg::kEmpty, Seg::kEmpty}},
      {"duplicate vertex with a bulge is still coincident", {a, a, b}, {1.0, 0.0}, false,
       {Seg::kCoincident, Seg::kLine, Seg::kEmpty, Seg::kEmpty}},
      {"closing segment back onto an equal point", {a, b, a}, {}, true,
       {Seg::kLine, Seg::kLine, Seg::kCoincident, Seg::kEmpty}},
      {"equal within the point tolerance", {a, AcGePoint2d(1e-11, 0), b}, {}, false,
       {Seg::kCoincident, Seg::kLine, Seg::kEmpty, Seg::kEmpty}},
  };
  for (const Case& c : cases) {
    AcDbPolyline* pl = make(c);
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(pl->segType(static_cast<unsigned>(i)), c.expected[i]) << c.name << ", index " << i;
    delete pl;
  }
}

TEST(PolylineWidths, ConstantWidthOnlyWhenEveryWidthAgrees) {
  AcDbPolyline pl;
  pl.addVertexAt(0, AcGePoint2d(0, 0));
  pl.addVertexAt(1, AcGePoint2d(1, 0));
  double w = -1;
  ASSERT_EQ(pl.getConstantWidth(w), Acad::eOk);
  EXPECT_EQ(w, 0.0);
  ASSERT_EQ(pl.setConstantWidth(0.25), Acad::eOk);
  pl.addVertexAt(2, AcGePoint2d(2, 0));  // -1 widths take the constant width
  ASSERT_EQ(pl.getConstantWidth(w), Acad::eOk);
  EXPECT_EQ(w, 0.25);
  pl.setWidthsAt(1, 0.25, 0.5);
  EXPECT_EQ(pl.getConstantWidth(w), Acad::eNotApplicable);
  double s = 0, e = 0;
  ASSERT_EQ(pl.getWidthsAt(1, s, e), Acad::eOk);
  EXPECT_EQ(s, 0.25);
  EXPECT_EQ(e, 0.5);
}

TEST(PolylineVertices, IndicesAreChecked) {
  AcDbPolyline pl;
  EXPECT_EQ(pl.addVertexAt(1, AcGePoint2d(0, 0)), Acad::eInvalidIndex);
  ASSERT_EQ(pl.addVertexAt(0, AcGePoint2d(1, 1)), Acad::eOk);
  ASSERT_EQ(pl.addVertexAt(0, AcGePoint2d(0, 0)), Acad::eOk) << "insert in front";
  AcGePoint2d p;
  ASSERT_EQ(pl.getPointAt(1, p), Acad::eOk);
  EXPECT_EQ(p, AcGePoint2d(1, 1));
  EXPECT_EQ(pl.getPointAt(2, p), Acad::eInvalidIndex);
  double endParam = 0;
  ASSERT_EQ(pl.getEndParam(endParam), Acad::eOk);
  EXPECT_EQ(endParam, 1.0);
  pl.setClosed(true);
  ASSERT_EQ(pl.getEndParam(endParam), Acad::eOk);
  EXPECT_EQ(endParam, 2.0) << "the closing segment adds one";
}

}  // namespace
