// Spline validity (isNull) and evaluation.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbspline.h"

namespace {

AcGePoint3dArray points(int n) {
  AcGePoint3dArray a;
  for (int i = 0; i < n; ++i) a.append(AcGePoint3d(i, (i % 2) * 2.0, 0));
  return a;
}

AcGeDoubleArray knotsOf(std::initializer_list<double> k) {
  AcGeDoubleArray a;
  for (double v : k) a.append(v);
  return a;
}

// The plug-in's knot vector for n points: 2n values (four zeros ... four ones for n = 4).
AcGeDoubleArray twoN(int n) {
  AcGeDoubleArray a;
  for (int i = 0; i < n; ++i) a.append(0.0);
  for (int i = 0; i < n; ++i) a.append(1.0);
  return a;
}

TEST(SplineValidity, OpenSplineNeedsNPlusDegreePlusOneKnots) {
  EXPECT_TRUE(AcDbSpline(3, false, false, false, points(2), twoN(2), {}).isNull()) << "2 points, degree 3";
  EXPECT_TRUE(AcDbSpline(3, false, false, false, points(3), twoN(3), {}).isNull()) << "3 points: 6 knots, 7 needed";
  EXPECT_FALSE(AcDbSpline(3, false, false, false, points(4), twoN(4), {}).isNull()) << "4 points: 8 = 4 + 3 + 1";
  EXPECT_TRUE(AcDbSpline(3, false, false, false, points(5), twoN(5), {}).isNull()) << "5 points: 10 knots, 9 needed";
  AcGeDoubleArray nine = knotsOf({0, 0, 0, 0, 0.5, 1, 1, 1, 1});
  EXPECT_FALSE(AcDbSpline(3, false, false, false, points(5), nine, {}).isNull());
}

TEST(SplineValidity, KnotsMustNotDecreaseAndTheDegreeMustBePositive) {
  AcGeDoubleArray bad = knotsOf({0, 0, 0, 0, 1, 0.5, 1, 1, 1});
  EXPECT_TRUE(AcDbSpline(3, false, false, false, points(5), bad, {}).isNull());
  EXPECT_TRUE(AcDbSpline(0, false, false, false, points(2), knotsOf({0, 1, 2}), {}).isNull());
  AcDbSpline empty;
  EXPECT_TRUE(empty.isNull());
}

TEST(SplineValidity, PeriodicSplineHasNPlusOneKnots) {
  AcGePoint3dArray square;
  for (auto p : {AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 4, 0), AcGePoint3d(0, 4, 0)}) square.append(p);
  AcDbSpline periodic(3, false, true, true, square, knotsOf({0, 1, 2, 3, 4}), {});
  ASSERT_FALSE(periodic.isNull());
  EXPECT_TRUE(periodic.isClosed());
  AcGePoint3d a, b;
  ASSERT_EQ(periodic.getStartPoint(a), Acad::eOk);
  ASSERT_EQ(periodic.getEndPoint(b), Acad::eOk);
  EXPECT_TRUE(a.isEqualTo(b, AcGeTol(1e-9, 1e-9))) << "a periodic curve closes on itself";
  // Uniform cubic B-spline point at a knot: (P0 + 4 P1 + P2) / 6 with the wrap-around order.
  AcGePoint3d p;
  ASSERT_EQ(periodic.getPointAtParam(0.0, p), Acad::eOk);
  EXPECT_NEAR(p.x, (0 + 4 * 4 + 4) / 6.0, 1e-12);
  EXPECT_NEAR(p.y, (0 + 0 + 4) / 6.0, 1e-12);
  EXPECT_TRUE(AcDbSpline(3, false, true, true, square, twoN(4), {}).isNull()) << "8 knots for a periodic spline";
}

TEST(SplineValidity, RationalSplineNeedsPositiveWeightsForEveryPoint) {
  AcGePoint3dArray cps;
  for (auto p : {AcGePoint3d(1, 0, 0), AcGePoint3d(1, 1, 0), AcGePoint3d(0, 1, 0)}) cps.append(p);
  AcGeDoubleArray knots = knotsOf({0, 0, 0, 1, 1, 1});
  EXPECT_TRUE(AcDbSpline(2, true, false, false, cps, knots, knotsOf({1, 1})).isNull());
  EXPECT_TRUE(AcDbSpline(2, true, false, false, cps, knots, knotsOf({1, 0, 1})).isNull());
  AcDbSpline quarter(2, true, false, false, cps, knots, knotsOf({1, std::sqrt(0.5), 1}));
  ASSERT_FALSE(quarter.isNull());
  for (double t : {0.1, 0.5, 0.77}) {
    AcGePoint3d p;
    ASSERT_EQ(quarter.getPointAtParam(t, p), Acad::eOk);
    EXPECT_NEAR(p.distanceTo(AcGePoint3d::kOrigin), 1.0, 1e-12) << "the rational quarter circle stays on it";
  }
}

TEST(SplineEvaluation, NullSplineAnswersNothing) {
  AcDbSpline s(3, false, false, false, points(3), twoN(3), {});
  double t = 0;
  EXPECT_EQ(s.getStartParam(t), Acad::eNotApplicable);
  AcGePoint3d p;
  EXPECT_EQ(s.getPointAtParam(0, p), Acad::eNotApplicable);
  int degree = 0;
  bool rational = true, closed = true, periodic = true;
  AcGePoint3dArray cps;
  AcGeDoubleArray knots, weights;
  double ct = 0, kt = 0;
  ASSERT_EQ(s.getNurbsData(degree, rational, closed, periodic, cps, knots, weights, ct, kt), Acad::eOk);
  EXPECT_EQ(degree, 3);
  EXPECT_EQ(cps.length(), 3) << "the definition is kept as given";
  EXPECT_EQ(knots.length(), 6);
}

}  // namespace
