#include <gtest/gtest.h>

#include <cmath>

#include "arx/acad_app.h"
#include "arx/acedads.h"
#include "arx/acedview.h"
#include "arx/dbsymtb.h"
#include "platform/sandbox_desktop.h"

namespace {

class ViewTest : public ::testing::Test {
 protected:
  ViewTest() : acad(*desktop), scope(acad) {}
  vurktest::SandboxDesktop desktop;
  arx::AcadApplication acad;
  arx::AcadScope scope;
};

TEST_F(ViewTest, ViewVariablesFollowTheViewAndCannotBeSetByTheUser) {
  acad.view().setScreenSize(1600, 800);
  acad.view().set(AcGePoint2d(500, 300), 100);
  resbuf rb{};
  ASSERT_EQ(acedGetVar(u"VIEWCTR", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RT3DPOINT);
  EXPECT_EQ(rb.resval.rpoint[0], 500.0);
  EXPECT_EQ(rb.resval.rpoint[1], 300.0);
  ASSERT_EQ(acedGetVar(u"VIEWSIZE", &rb), RTNORM);
  EXPECT_EQ(rb.resval.rreal, 100.0);
  ASSERT_EQ(acedGetVar(u"SCREENSIZE", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RTPOINT);
  EXPECT_EQ(rb.resval.rpoint[0], 1600.0);
  EXPECT_EQ(rb.resval.rpoint[1], 800.0);
  resbuf size{};
  size.restype = RTREAL;
  size.resval.rreal = 5.0;
  EXPECT_EQ(acedSetVar(u"VIEWSIZE", &size), RTERROR);
  EXPECT_EQ(acad.view().height(), 100.0);
}

TEST_F(ViewTest, SettingAViewFitsBothSidesIntoTheWindow) {
  acad.view().setScreenSize(1600, 800);  // twice as wide as high
  AcDbViewTableRecord wide;
  wide.setCenterPoint(AcGePoint2d(10, 20));
  wide.setWidth(400);
  wide.setHeight(100);
  ASSERT_EQ(acedSetCurrentView(&wide, nullptr), Acad::eOk);
  EXPECT_EQ(acad.view().height(), 200.0) << "a 400 wide view needs 200 of height in a 2:1 window";
  EXPECT_EQ(acad.view().width(), 400.0);
  AcDbViewTableRecord tall;
  tall.setCenterPoint(AcGePoint2d(0, 1));
  tall.setWidth(10);
  tall.setHeight(100);
  ASSERT_EQ(acedSetCurrentView(&tall, nullptr), Acad::eOk);
  EXPECT_EQ(acad.view().height(), 100.0);
  EXPECT_EQ(acad.view().centre().y, 1.0);
}

TEST_F(ViewTest, EveryChangeIsAnnounced) {
  int heard = 0;
  acad.view().addListener([&] { ++heard; });
  AcDbViewTableRecord v;
  v.setCenterPoint(AcGePoint2d(1, 1));
  v.setWidth(10);
  v.setHeight(10);
  acedSetCurrentView(&v, nullptr);
  acad.view().set(AcGePoint2d(0, 5), 3);
  EXPECT_EQ(heard, 2);
}

TEST_F(ViewTest, ViewsThatAPlanViewCannotShowAreRefused) {
  const double before = acad.view().height();
  AcDbViewTableRecord twisted;
  twisted.setWidth(10);
  twisted.setHeight(10);
  twisted.setViewTwist(0.5);
  EXPECT_EQ(acedSetCurrentView(&twisted, nullptr), Acad::eInvalidInput);
  AcDbViewTableRecord empty;
  empty.setWidth(0);
  empty.setHeight(0);
  EXPECT_EQ(acedSetCurrentView(&empty, nullptr), Acad::eInvalidInput);
  AcDbViewTableRecord nan;
  nan.setWidth(10);
  nan.setHeight(std::nan(""));
  EXPECT_EQ(acedSetCurrentView(&nan, nullptr), Acad::eInvalidInput);
  EXPECT_EQ(acad.view().height(), before);
}

TEST_F(ViewTest, CoordinateSystemsCoincideInThePlanView) {
  ads_point p{3, 4, 5};
  ads_point out{};
  resbuf wcs{};
  wcs.restype = RTSHORT;
  wcs.resval.rint = 0;
  resbuf dcs{};
  dcs.restype = RTSHORT;
  dcs.resval.rint = 2;
  ASSERT_EQ(acedTrans(p, &wcs, &dcs, 0, out), RTNORM);
  EXPECT_EQ(out[0], 3.0);
  EXPECT_EQ(out[2], 5.0);
  resbuf bad{};
  bad.restype = RTSHORT;
  bad.resval.rint = 3;
  EXPECT_EQ(acedTrans(p, &wcs, &bad, 0, out), RTERROR);
}

}  // namespace
