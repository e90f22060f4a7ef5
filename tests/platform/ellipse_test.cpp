// Ellipses keep angles and parameters apart and convert between them with the radius ratio.
#include <gtest/gtest.h>

#include <cmath>

#include "arx/dbelipse.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(Ellipse, ConstructorTakesAnglesAndStoresParameters) {
  AcDbEllipse e(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(10, 0, 0), 0.5, kPi / 4, kPi);
  EXPECT_NEAR(e.startAngle(), kPi / 4, 1e-12);
  double startParam = 0;
  ASSERT_EQ(e.getStartParam(startParam), Acad::eOk);
  // The point at 45 degrees of an ellipse with axes 10 and 5 has parameter atan2(1, 0.5).
  EXPECT_NEAR(startParam, std::atan2(1.0, 0.5), 1e-12);
  AcGePoint3d p;
  ASSERT_EQ(e.getStartPoint(p), Acad::eOk);
  EXPECT_NEAR(p.x, p.y, 1e-9) << "the start point lies on the 45-degree line from the centre";
  EXPECT_NEAR(p.x, 10.0 / std::sqrt(5.0), 1e-9);
  double endParam = 0;
  ASSERT_EQ(e.getEndParam(endParam), Acad::eOk);
  EXPECT_NEAR(endParam, kPi, 1e-12) << "at 180 degrees angle and parameter agree";
}

TEST(Ellipse, ParameterSettersMoveTheAngleTheOtherWay) {
  AcDbEllipse e(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(10, 0, 0), 0.5);
  ASSERT_EQ(e.setStartParam(kPi / 4), Acad::eOk);
  EXPECT_NEAR(e.startAngle(), std::atan(0.5), 1e-12) << "angle = atan2(ratio sin t, cos t)";
  EXPECT_NEAR(e.paramAtAngle(e.angleAtParam(1.0)), 1.0, 1e-12);
  EXPECT_NEAR(e.angleAtParam(kPi / 2), kPi / 2, 1e-12) << "quadrants agree";
}

TEST(Ellipse, StretchingKeepsTheArcEnds) {
  AcDbEllipse e(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(10, 0, 0), 0.5, 0.0, kPi / 2);
  AcGePoint3d s0, e0;
  e.getStartPoint(s0);
  e.getEndPoint(e0);
  AcGeMatrix3d stretch = AcGeMatrix3d::scaling(AcGeScale3d(0.5, 2.0, 1.0));
  ASSERT_EQ(e.transformBy(stretch), Acad::eOk) << "ellipses take non-uniform scaling";
  EXPECT_NEAR(e.majorRadius(), 10.0, 1e-9) << "y semi-axis 5 x 2 is now the major one";
  EXPECT_NEAR(e.radiusRatio(), 0.5, 1e-9);
  EXPECT_TRUE(e.majorAxis().normal().isParallelTo(AcGeVector3d::kYAxis));
  AcGePoint3d s1, e1;
  e.getStartPoint(s1);
  e.getEndPoint(e1);
  EXPECT_TRUE(s1.isEqualTo(stretch * s0, AcGeTol(1e-9, 1e-9))) << "start (10,0) -> (5,0)";
  EXPECT_TRUE(e1.isEqualTo(stretch * e0, AcGeTol(1e-9, 1e-9))) << "end (0,5) -> (0,10)";
}

TEST(Ellipse, InvalidDefinitionsAreRefused) {
  AcDbEllipse e;
  EXPECT_EQ(e.set(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(1, 0, 0), 1.5), Acad::eInvalidInput);
  EXPECT_EQ(e.set(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(1, 0, 1), 0.5), Acad::eInvalidInput)
      << "the major axis must lie in the plane";
  EXPECT_EQ(e.set(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(0, 0, 0), 0.5), Acad::eInvalidInput);
}

TEST(Ellipse, LengthOfACircularEllipseIsItsCircumference) {
  AcDbEllipse e(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 1.0);
  double len = 0;
  ASSERT_EQ(e.getDistAtParam(2 * kPi, len), Acad::eOk);
  EXPECT_NEAR(len, 4 * kPi, 1e-8);
  double param = 0;
  ASSERT_EQ(e.getParamAtDist(kPi, param), Acad::eOk);
  EXPECT_NEAR(param, kPi / 2, 1e-8);
}

}  // namespace
