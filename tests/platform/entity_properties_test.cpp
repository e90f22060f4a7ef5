// Common entity properties: layer and linetype by name (22 when missing, never created),
// colours, transparency (ByLayer, alpha 255), defaults on append, and append itself.
#include <gtest/gtest.h>

#include "arx/dbents.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class EntityProperties : public DrawingTest {};

TEST_F(EntityProperties, MissingLayerIsKeyNotFoundAndNothingIsCreated) {
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
  EXPECT_EQ(line->setLayer(u"Roads"), Acad::eKeyNotFound);
  EXPECT_EQ(static_cast<int>(line->setLayer(u"Roads")), 22);
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(db_.getLayerTable(lt, AcDb::kForRead), Acad::eOk);
  EXPECT_FALSE(lt->has(u"Roads")) << "setLayer never creates a layer";
  lt->close();
  AcDbObjectId roads = addLayer(u"Roads");
  EXPECT_EQ(line->setLayer(u"ROADS"), Acad::eOk) << "names resolve in the working database, any case";
  EXPECT_EQ(line->layerId(), roads);
  EXPECT_EQ(line->layer(), u"Roads");
  AcDbObjectId id = append(line);
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(ent->layer(), u"Roads");
  ent->close();
}

TEST_F(EntityProperties, LayerByIdMustBeALayerOfTheSameDatabase) {
  AcDbLine line;
  EXPECT_EQ(line.setLayer(AcDbObjectId::kNull), Acad::eNullObjectId);
  EXPECT_EQ(line.setLayer(db_.continuousLinetype()), Acad::eWrongObjectType);
  ASSERT_EQ(line.setLayer(db_.clayer()), Acad::eOk);
  AcDbObjectId id = append(new AcDbLine);
  AcDbDatabase other;
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ent->setLayer(other.clayer()), Acad::eWrongDatabase);
  ent->close();
}

TEST_F(EntityProperties, LinetypeMustBeInTheTable) {
  AcDbLine line;
  EXPECT_EQ(line.setLinetype(u"DASHED"), Acad::eKeyNotFound);
  EXPECT_EQ(line.setLinetype(u""), Acad::eKeyNotFound);
  ASSERT_EQ(acdbLoadLineTypeFile(u"DASHED", u"ACADISO.LIN", &db_), Acad::eOk);
  EXPECT_EQ(line.setLinetype(u"DASHED"), Acad::eOk);
  EXPECT_EQ(line.linetype(), u"DASHED");
  EXPECT_EQ(line.setLinetype(u"bylayer"), Acad::eOk);
  EXPECT_EQ(line.linetype(), u"ByLayer");
  EXPECT_EQ(line.setLinetype(u"BYBLOCK"), Acad::eOk);
  EXPECT_EQ(line.linetypeId(), db_.byBlockLinetype());
}

TEST_F(EntityProperties, AppendLeavesTheEntityOpenForWriteUntilClosed) {
  dbtest::RecordingReactor r;
  db_.addReactor(&r);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  auto* line = new AcDbLine;
  AcDbObjectId id;
  ASSERT_EQ(ms->appendAcDbEntity(id, line), Acad::eOk);
  EXPECT_TRUE(line->isWriteEnabled());
  EXPECT_TRUE(line->isNewObject());
  EXPECT_EQ(ms->appendAcDbEntity(line), Acad::eAlreadyInDb);
  EXPECT_EQ(ms->appendAcDbEntity(nullptr), Acad::eNullEntityPointer);
  ASSERT_EQ(line->setColorIndex(1), Acad::eOk) << "the caller may still change it";
  line->close();
  EXPECT_FALSE(line->isNewObject());
  ms->close();
  EXPECT_EQ(r.events, (std::vector<std::string>{"appended AcDbLine " + dbtest::hex(id), "modified AcDbLine " + dbtest::hex(id),
                                                "modified AcDbBlockTableRecord " + dbtest::hex(db_.modelSpaceId())}));
  db_.removeReactor(&r);

  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  auto* other = new AcDbLine;
  EXPECT_EQ(ms->appendAcDbEntity(other), Acad::eNotOpenForWrite);
  ms->close();
  delete other;
}

TEST_F(EntityProperties, AppendRefusesPropertiesOfAnotherDatabase) {
  AcDbDatabase other;
  auto* line = new AcDbLine;
  ASSERT_EQ(line->setLayer(other.clayer()), Acad::eOk) << "a non-resident entity may name any database's layer";
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ms->appendAcDbEntity(line), Acad::eWrongDatabase);
  ms->close();
  delete line;
}

TEST_F(EntityProperties, TransparencyAlphaAndErrorValue) {
  AcDbLine line;
  AcCmTransparency t;
  t.setAlpha(254);
  ASSERT_EQ(line.setTransparency(t), Acad::eOk);
  EXPECT_EQ(line.transparency().alpha(), 254);
  EXPECT_TRUE(line.transparency().isByAlpha());
  AcCmTransparency bad;
  bad.serializeIn(0x05000000u);
  EXPECT_EQ(line.setTransparency(bad), Acad::eInvalidInput);
  EXPECT_EQ(line.transparency().alpha(), 254);
}

TEST_F(EntityProperties, VisibilityAndResidentChangesNeedWrite) {
  AcDbObjectId id = append(new AcDbLine);
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(ent->setVisibility(AcDb::kInvisible), Acad::eOk);
  ent->close();
  ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(ent->visibility(), AcDb::kInvisible);
#ifdef NDEBUG
  EXPECT_EQ(ent->setColorIndex(3), Acad::eNotOpenForWrite);
#else
  EXPECT_DEATH(ent->setColorIndex(3), "not open for write");
#endif
  ent->close();
}

}  // namespace
