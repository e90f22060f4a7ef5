#include <gtest/gtest.h>

#include "arx/axlock.h"
#include "arx/dbents.h"
#include "arx/dbimage.h"
#include "basemap/dwg_database_util.h"
#include "plugin/shell/plugin_session.h"

namespace {

AcDbObjectId addLine(AcDbDatabase& db, double x0, double y0, double x1, double y1, const char16_t* layer) {
  vurk::EntityProps props = vurk::DefaultEntityProps();
  props.layer = layer;
  return vurk::AppendToModelSpace(new AcDbLine(AcGePoint3d(x0, y0, 0), AcGePoint3d(x1, y1, 0)), props, &db);
}

TEST(EntityIds, ALayerThatDoesNotExistHoldsNothing) {
  vurktest::PluginSession s;
  AcAxDocLock lock;  // the callers of the drawing utilities hold the drawing's write lock
  const AcDbObjectId a = addLine(s.drawing(), 0, 0, 1, 1, u"roads");
  const AcDbObjectId b = addLine(s.drawing(), 0, 0, 2, 2, u"");
  EXPECT_EQ(vurk::GetAllEntityIds(u"rivers", &s.drawing()).length(), 0);
  const AcDbObjectIdArray roads = vurk::GetAllEntityIds(u"roads", &s.drawing());
  ASSERT_EQ(roads.length(), 1);
  EXPECT_EQ(roads[0], a);
  const AcDbObjectIdArray all = vurk::GetAllEntityIds(u"", &s.drawing());
  ASSERT_EQ(all.length(), 2);
  EXPECT_EQ(all[1], b);
  EXPECT_EQ(vurk::GetAllEntityIds(u"", nullptr).length(), 0);
}

TEST(EntityIds, RectangleOverlapUsesTrueExtentsWithASmallTolerance) {
  vurktest::PluginSession s;
  AcAxDocLock lock;  // the callers of the drawing utilities hold the drawing's write lock
  const AcDbObjectId touching = addLine(s.drawing(), 10.00000005, 0, 20, 1, u"");
  const AcDbObjectId apart = addLine(s.drawing(), 10.001, 0, 20, 1, u"");
  const AcDbObjectId circle = vurk::AppendToModelSpace(
      new AcDbCircle(AcGePoint3d(-5, 5, 0), AcGeVector3d::kZAxis, 5.5), vurk::DefaultEntityProps(), &s.drawing());
  AcDbObjectIdArray ids;
  vurk::GetEntityIdsInRect(AcGePoint3d(10, 10, 0), AcGePoint3d(0, 0, 0), ids);
  EXPECT_TRUE(ids.contains(touching));
  EXPECT_FALSE(ids.contains(apart));
  EXPECT_TRUE(ids.contains(circle)) << "the circle reaches x = 0.5, past its centre";
  AcDbObjectIdArray images;
  vurk::GetEntityIdsInRect(AcGePoint3d(10, 10, 0), AcGePoint3d(0, 0, 0), images, AcDbRasterImage::desc());
  EXPECT_EQ(images.length(), 0);
}

TEST(AppendToModelSpace, OpacityBecomesAnAlphaOfAtMost254) {
  EXPECT_EQ(vurk::OpacityToAlpha(100), 254);
  EXPECT_EQ(vurk::OpacityToAlpha(50), 127);
  EXPECT_EQ(vurk::OpacityToAlpha(0), 0);
  vurktest::PluginSession s;
  AcAxDocLock lock;  // the callers of the drawing utilities hold the drawing's write lock
  vurk::EntityProps props = vurk::DefaultEntityProps();
  props.opacityPercent = 100;
  props.byLayerColor = 1;
  const AcDbObjectId id = vurk::AppendToModelSpace(new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)), props,
                                                   &s.drawing());
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(e->transparency().alpha(), 254);
  EXPECT_EQ(e->color().colorIndex(), 256) << "ByLayer";
  e->close();
}

TEST(AppendToModelSpace, UnknownLinetypeIsLoadedFromTheIsoFile) {
  vurktest::PluginSession s;
  AcAxDocLock lock;  // the callers of the drawing utilities hold the drawing's write lock
  vurk::EntityProps props = vurk::DefaultEntityProps();
  props.linetype = u"DASHED";
  const AcDbObjectId id = vurk::AppendToModelSpace(new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0)), props,
                                                   &s.drawing());
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
  EXPECT_FALSE(e->linetypeId().isNull());
  e->close();
  EXPECT_FALSE(vurk::GetLayerId(u"", false).isNull()) << "the current layer";
}

}  // namespace
