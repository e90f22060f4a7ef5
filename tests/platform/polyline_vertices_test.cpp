// 2D and 3D polylines: owned vertices, their types, residency and the geometry through them.
#include <gtest/gtest.h>

#include "arx/dbpoly.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class HeavyPolylines : public DrawingTest {};

TEST_F(HeavyPolylines, AppendingMakesVerticesResidentAfterThePolyline) {
  AcGePoint3dArray pts;
  pts.append(AcGePoint3d(0, 0, 0));
  pts.append(AcGePoint3d(1, 0, 0));
  auto* pl = new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 0.0, true);
  dbtest::RecordingReactor r;
  db_.addReactor(&r);
  AcDbObjectId id = append(pl);
  db_.removeReactor(&r);
  ASSERT_GE(r.events.size(), 4u);
  EXPECT_EQ(r.events[0], "appended AcDb2dPolyline " + dbtest::hex(id));
  EXPECT_EQ(r.events[1].rfind("appended AcDb2dVertex", 0), 0u);
  EXPECT_EQ(r.events[2].rfind("appended AcDb2dVertex", 0), 0u);
  EXPECT_EQ(r.events[3].rfind("appended AcDbSequenceEnd", 0), 0u);

  AcDb2dPolyline* opened = nullptr;
  ASSERT_EQ(acdbOpenObject(opened, id, AcDb::kForRead), Acad::eOk);
  AcDbObjectIterator* it = opened->vertexIterator();
  AcDbObjectId first = it->objectId();
  delete it;
  opened->close();
  EXPECT_EQ(first.handle(), id.handle() + 1);
  AcDb2dVertex* v = nullptr;
  ASSERT_EQ(acdbOpenObject(v, first, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(v->ownerId(), id);
  v->close();
}

TEST_F(HeavyPolylines, ErasedVerticesAreSkipped) {
  AcGePoint3dArray pts;
  for (int i = 0; i < 3; ++i) pts.append(AcGePoint3d(i, i * i, i));
  AcDbObjectId id = append(new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
  AcDb3dPolyline* pl = nullptr;
  ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
  AcDbObjectIterator* it = pl->vertexIterator();
  it->step();
  AcDbObjectId middle = it->objectId();
  delete it;
  pl->close();
  AcDbEntity* v = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(v, middle, AcDb::kForWrite), Acad::eOk);
  v->erase();
  v->close();
  ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
  it = pl->vertexIterator();
  int count = 0;
  for (; !it->done(); it->step()) ++count;
  delete it;
  double dist = 0;
  ASSERT_EQ(pl->getDistAtParam(1.0, dist), Acad::eOk);
  pl->close();
  EXPECT_EQ(count, 2);
  EXPECT_NEAR(dist, AcGePoint3d(0, 0, 0).distanceTo(AcGePoint3d(2, 4, 2)), 1e-12);
}

TEST_F(HeavyPolylines, AppendVertexToAResidentPolylineLeavesItOpen) {
  AcDbObjectId id = append(new AcDb3dPolyline);
  AcDb3dPolyline* pl = nullptr;
  ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForWrite), Acad::eOk);
  auto* v = new AcDb3dPolylineVertex(AcGePoint3d(4, 5, 6));
  v->setVertexType(AcDb::k3dControlVertex);
  AcDbObjectId vid;
  ASSERT_EQ(pl->appendVertex(vid, v), Acad::eOk);
  EXPECT_TRUE(v->isWriteEnabled());
  EXPECT_FALSE(vid.isNull());
  v->close();
  pl->close();
  ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
  AcDbExtents e;
  EXPECT_EQ(pl->getGeomExtents(e), Acad::eInvalidExtents) << "only a control vertex: no path";
  AcDbSequenceEnd* seq = nullptr;
  ASSERT_EQ(pl->openSequenceEnd(seq, AcDb::kForRead), Acad::eOk);
  seq->close();
  pl->close();
}

}  // namespace
