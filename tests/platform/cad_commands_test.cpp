// What a person's commands tell the reactors: the exact notification sequences (which
// callbacks, in which order, with which objects) that the plug-in's reactors build on.
#include <gtest/gtest.h>

#include <filesystem>

#include "arx/dbdict.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "arx/dbpl.h"
#include "arx/dbmline.h"
#include "arx/dbpoly.h"
#include "arx/dbspline.h"
#include "arx/dbxrecord.h"
#include "cad_fixture.h"
#include "win32/file_system.h"

namespace vurktest {
namespace {

using Events = std::vector<std::string>;

class CadCommands : public CadTest {};

TEST_F(CadCommands, LineMakesOneLinePerSegmentEachAppendedThenClosed) {
  EXPECT_EQ(type(u"LINE", {u"0,0", u"10,0", u"10,10", u""}), "ended");
  const AcDbObjectId second = last();
  AcDbLine* l = nullptr;
  ASSERT_EQ(acdbOpenObject(l, second, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(l->startPoint(), AcGePoint3d(10, 0, 0));
  EXPECT_EQ(l->endPoint(), AcGePoint3d(10, 10, 0));
  l->close();
  // The first segment's handle is the one before the second's.
  const std::string h2 = handleOf(second);
  const Events events = journal_.take();
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[0], "willStart LINE");
  EXPECT_EQ(events[1].substr(0, 17), "appended AcDbLine");
  EXPECT_EQ(events[2], "modified " + events[1].substr(9)) << "the first close of a new line fires objectModified";
  EXPECT_EQ(events[3], "modified ModelSpace");
  EXPECT_EQ(events[4], "appended AcDbLine " + h2);
  EXPECT_EQ(events[5], "modified AcDbLine " + h2);
  EXPECT_EQ(events[6], "modified ModelSpace");
  EXPECT_EQ(events[7], "ended LINE");
  EXPECT_NE(events[1], events[4]) << "two different lines";
}

TEST_F(CadCommands, CircleAndPointAreOneEntityEach) {
  EXPECT_EQ(type(u"CIRCLE", {u"5,5", u"2"}), "ended");
  const AcDbObjectId circle = last();
  EXPECT_EQ(journal_.take(), (Events{"willStart CIRCLE", "appended AcDbCircle " + handleOf(circle),
                                     "modified AcDbCircle " + handleOf(circle), "modified ModelSpace", "ended CIRCLE"}));
  // A radius given as a point on the circle.
  EXPECT_EQ(type(u"c", {u"0,0", u"3,4"}), "ended");
  AcDbCircle* c = nullptr;
  ASSERT_EQ(acdbOpenObject(c, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_DOUBLE_EQ(c->radius(), 5.0);
  c->close();
  journal_.take();

  EXPECT_EQ(type(u"POINT", {u"7,8"}), "ended");
  const AcDbObjectId point = last();
  EXPECT_EQ(journal_.take(), (Events{"willStart POINT", "appended AcDbPoint " + handleOf(point),
                                     "modified AcDbPoint " + handleOf(point), "modified ModelSpace", "ended POINT"}));
}

TEST_F(CadCommands, MoveOfThePickfirstSelectionModifiesEachOnceAndClearsTheSelection) {
  const AcDbObjectId a = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  const AcDbObjectId b = append(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 1));
  editor().userSelects({a, b}, false);
  journal_.take();
  EXPECT_EQ(type(u"MOVE", {u"0,0", u"3,4"}), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart MOVE", "modified AcDbLine " + handleOf(a),
                                     "modified AcDbCircle " + handleOf(b), "ended MOVE"}));
  EXPECT_TRUE(editor().pickfirst(doc_).empty());
  AcDbLine* l = nullptr;
  ASSERT_EQ(acdbOpenObject(l, a, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(l->startPoint(), AcGePoint3d(3, 4, 0));
  l->close();
}

TEST_F(CadCommands, CopyClonesExtensionDataAndTheCopyIsAppendedBeforeItIsMoved) {
  const AcDbObjectId src = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  {
    AcAxDocLockGuard lock(doc_);
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, src, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(l->createExtensionDictionary(), Acad::eOk);
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(acdbOpenObject(dict, l->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbXrecord;
    resbuf* data = acutBuildList(1, u"link 42", RTNONE);
    rec->setFromRbChain(*data);
    acutRelRb(data);
    AcDbObjectId recId;
    ASSERT_EQ(dict->setAt(u"VurkArx", rec, recId), Acad::eOk);
    rec->close();
    dict->close();
    l->close();
  }
  journal_.take();
  EXPECT_EQ(type(u"COPY", {u"ALL", u"", u"0,0", u"10,0", u""}), "ended");
  const AcDbObjectId copy = last();
  ASSERT_NE(copy, src);
  AcDbLine* l = nullptr;
  ASSERT_EQ(acdbOpenObject(l, copy, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(l->startPoint(), AcGePoint3d(10, 0, 0));
  const AcDbObjectId dictId = l->extensionDictionary();
  l->close();
  ASSERT_FALSE(dictId.isNull()) << "the copy has its own extension dictionary";
  AcDbDictionary* dict = nullptr;
  ASSERT_EQ(acdbOpenObject(dict, dictId, AcDb::kForRead), Acad::eOk);
  AcDbObjectId recId;
  EXPECT_EQ(dict->getAt(u"VurkArx", recId), Acad::eOk);
  dict->close();
  AcDbXrecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, recId, AcDb::kForRead), Acad::eOk);
  resbuf* chain = nullptr;
  ASSERT_EQ(rec->rbChain(&chain), Acad::eOk);
  EXPECT_EQ(std::u16string(chain->resval.rstring), u"link 42");
  acutRelRb(chain);
  rec->close();

  const std::string c = "AcDbLine " + handleOf(copy);
  EXPECT_EQ(journal_.take(),
            (Events{"willStart COPY", "appended " + c, "appended AcDbDictionary " + handleOf(dictId),
                    "appended AcDbXrecord " + handleOf(recId), "modified AcDbXrecord " + handleOf(recId),
                    "modified AcDbDictionary " + handleOf(dictId), "modified " + c, "modified " + c, "ended COPY"}));
}

TEST_F(CadCommands, EraseNotifiesAtTheCallThenTheClose) {
  const AcDbObjectId a = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  journal_.take();
  EXPECT_EQ(type(u"ERASE", {u"0.5,0", u""}), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart ERASE", "erased AcDbLine " + handleOf(a),
                                     "modified AcDbLine " + handleOf(a), "ended ERASE"}));
  EXPECT_TRUE(a.isErased());
}

TEST_F(CadCommands, UndoReversesTheLastCommandAndRedoDoesItAgain) {
  EXPECT_EQ(type(u"LINE", {u"0,0", u"10,0", u"10,10", u""}), "ended");
  const AcDbObjectId second = last();
  journal_.take();
  EXPECT_EQ(type(u"UNDO", {u""}), "ended");
  const Events undone = journal_.take();
  ASSERT_EQ(undone.size(), 6u);
  EXPECT_EQ(undone[0], "willStart UNDO");
  EXPECT_EQ(undone[1], "erased AcDbLine " + handleOf(second)) << "made entities go, last made first";
  EXPECT_EQ(undone[2], "modified AcDbLine " + handleOf(second));
  EXPECT_EQ(undone[3].substr(0, 14), "erased AcDbLin");
  EXPECT_EQ(undone[5], "ended UNDO");
  EXPECT_TRUE(second.isErased());
  EXPECT_TRUE(last().isNull()) << "nothing is left";

  EXPECT_EQ(type(u"REDO"), "ended");
  EXPECT_FALSE(second.isErased());
  EXPECT_EQ(journal_.take()[1].substr(0, 17), "unerased AcDbLine");

  // Un-erasing an erased entity notifies objectErased(false).
  EXPECT_EQ(type(u"ERASE", {u"10,5", u""}), "ended");
  journal_.take();
  EXPECT_EQ(type(u"UNDO", {u"1"}), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart UNDO", "unerased AcDbLine " + handleOf(second),
                                     "modified AcDbLine " + handleOf(second), "ended UNDO"}));
  EXPECT_FALSE(second.isErased());
}

TEST_F(CadCommands, UndoOfMoveAndStretchPutsTheGeometryBack) {
  const AcDbObjectId a = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
  EXPECT_EQ(type(u"STRETCH", {u"8,-1", u"12,1", u"0,0", u"0,5"}), "ended");
  const auto endOf = [&] {
    AcDbLine* l = nullptr;
    EXPECT_EQ(acdbOpenObject(l, a, AcDb::kForRead), Acad::eOk);
    const AcGePoint3d e = l ? l->endPoint() : AcGePoint3d();
    const AcGePoint3d s = l ? l->startPoint() : AcGePoint3d();
    if (l) l->close();
    return std::make_pair(s, e);
  };
  EXPECT_EQ(endOf(), std::make_pair(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 5, 0))) << "only the end inside moved";
  EXPECT_EQ(type(u"MOVE", {u"5,2.5", u"", u"0,0", u"1,1"}), "ended");
  EXPECT_EQ(endOf(), std::make_pair(AcGePoint3d(1, 1, 0), AcGePoint3d(11, 6, 0)));
  journal_.take();
  EXPECT_EQ(type(u"UNDO", {u"2"}), "ended");
  EXPECT_EQ(endOf(), std::make_pair(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
  EXPECT_EQ(journal_.take(), (Events{"willStart UNDO", "modified AcDbLine " + handleOf(a),
                                     "modified AcDbLine " + handleOf(a), "ended UNDO"}));
  EXPECT_EQ(type(u"UNDO", {u""}), "ended") << "nothing left to undo is no failure";
}

TEST_F(CadCommands, RectangDrawsAClosedFourVertexPolylineAndTellsEnterFromEsc) {
  EXPECT_EQ(type(u"_rectang", {u"0,0", u"20,10"}), "ended");
  const AcDbObjectId rect = last();
  AcDbPolyline* pl = nullptr;
  ASSERT_EQ(acdbOpenObject(pl, rect, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(pl->isClosed());
  EXPECT_EQ(pl->numVerts(), 4u);
  AcGePoint2d v;
  pl->getPointAt(2, v);
  EXPECT_EQ(v, AcGePoint2d(20, 10));
  pl->close();
  EXPECT_EQ(journal_.take(), (Events{"willStart RECTANG", "appended AcDbPolyline " + handleOf(rect),
                                     "modified AcDbPolyline " + handleOf(rect), "modified ModelSpace",
                                     "ended RECTANG"}));

  // Enter at the first corner: the command ends and draws nothing; the last entity stays.
  EXPECT_EQ(type(u"RECTANG", {u""}), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart RECTANG", "ended RECTANG"}));
  EXPECT_EQ(last(), rect);
  // Esc at either corner cancels.
  EXPECT_EQ(type(u"RECTANG", {u"esc"}), "cancelled");
  EXPECT_EQ(type(u"RECTANG", {u"1,1", u"esc"}), "cancelled");
  EXPECT_EQ(journal_.take(), (Events{"willStart RECTANG", "cancelled RECTANG", "willStart RECTANG",
                                     "cancelled RECTANG"}));
  EXPECT_EQ(last(), rect);
}

TEST_F(CadCommands, NamesAreTheUpperCaseGlobalNamesUnlessDeliveredVerbatim) {
  EXPECT_EQ(type(u"_line", {u"0,0", u"esc"}), "cancelled");
  EXPECT_EQ(type(u"l", {u"esc"}), "cancelled");
  EXPECT_EQ(type(u"ribbon"), "ended");
  EXPECT_EQ(type(u"NOSUCHTHING"), "unknown");
  EXPECT_EQ(type(u"exportdwf"), "failed") << "nothing is exported, so the command does not claim success";
  acad().commands().bracket(u"_RIBBON", [] { return arx::CommandOutcome::kEnded; });
  EXPECT_EQ(journal_.take(), (Events{"willStart LINE", "cancelled LINE", "willStart LINE", "cancelled LINE",
                                     "willStart RIBBON", "ended RIBBON", "willStart EXPORTDWF", "failed EXPORTDWF",
                                     "willStart _RIBBON", "ended _RIBBON"}));
}

TEST_F(CadCommands, TextMakesOneTextPerLineAndMtextOneParagraph) {
  EXPECT_EQ(type(u"DTEXT", {u"0,0", u"3", u"", u"first", u"second", u""}), "ended");
  EXPECT_EQ(type(u"MTEXT", {u"0,20", u"30,10", u"hello"}), "ended");
  int texts = 0, mtexts = 0;
  for (AcDbObjectId id : editor().allEntities()) {
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
    texts += AcDbText::cast(e) ? 1 : 0;
    mtexts += AcDbMText::cast(e) ? 1 : 0;
    e->close();
  }
  EXPECT_EQ(texts, 2);
  EXPECT_EQ(mtexts, 1);
}

TEST_F(CadCommands, BhatchErasesItsTemporaryBoundaryInsideTheCommand) {
  append(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 5));
  journal_.take();
  EXPECT_EQ(type(u"BHATCH", {u"1,1", u""}), "ended");
  const Events events = journal_.take();
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front(), "willStart BHATCH");
  EXPECT_EQ(events.back(), "ended BHATCH");
  int erased = 0, hatches = 0;
  for (const auto& e : events) {
    erased += e.rfind("erased AcDbPolyline", 0) == 0 ? 1 : 0;
    hatches += e.rfind("appended AcDbHatch", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(erased, 1);
  EXPECT_EQ(hatches, 1);
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_NE(AcDbHatch::cast(e), nullptr) << "the hatch stays, the trace is gone";
  e->close();
}

TEST_F(CadCommands, QsaveOfANewDrawingAsksForItsNameAndWritesDxf) {
  desktop().files().addDrive(u'D');
  std::filesystem::create_directories(desktop().files().toHostPath(u"D:\\work"));
  append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  EXPECT_EQ(type(u"QSAVE", {u"D:\\work\\plan.dxf"}), "ended");
  EXPECT_EQ(std::u16string(doc_->fileName()), u"D:\\work\\plan.dxf");
  EXPECT_EQ(type(u"SAVE", {u"D:\\work\\copy.dxf"}), "ended") << "SAVE always asks for the name";
  EXPECT_TRUE(std::filesystem::exists(desktop().files().toHostPath(u"D:\\work\\copy.dxf")));
  EXPECT_EQ(type(u"SAVEAS", {u"esc"}), "cancelled");
  EXPECT_EQ(type(u"OPEN", {u"D:\\work\\plan.dxf"}), "ended");
  EXPECT_EQ(acad().docManager().documentCount(), 2);
  EXPECT_EQ(editor().allEntities().size(), 1u) << "the opened drawing holds the line";
  EXPECT_EQ(type(u"OPEN", {u"D:\\work\\missing.dxf"}), "failed");
}

TEST_F(CadCommands, ArcPlineHatchAndLayerMakeWhatWasAskedFor) {
  EXPECT_EQ(type(u"ARC", {u"0,0", u"1,1", u"2,0"}), "ended");
  AcDbArc* a = nullptr;
  ASSERT_EQ(acdbOpenObject(a, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_NEAR(a->center().x, 1.0, 1e-12);
  EXPECT_NEAR(a->center().y, 0.0, 1e-12);
  EXPECT_NEAR(a->radius(), 1.0, 1e-12);
  EXPECT_NEAR(a->startAngle(), 0.0, 1e-12) << "counter-clockwise from (2,0) over (1,1) to (0,0)";
  a->close();
  EXPECT_EQ(type(u"ARC", {u"0,0", u"1,1", u"2,2"}), "ended") << "collinear points draw nothing";

  EXPECT_EQ(type(u"PL", {u"0,0", u"10,0", u"10,10", u"C"}), "ended");
  const AcDbObjectId pline = last();
  AcDbPolyline* pl = nullptr;
  ASSERT_EQ(acdbOpenObject(pl, pline, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(pl->isClosed());
  EXPECT_EQ(pl->numVerts(), 3u);
  pl->close();

  editor().userSelects({pline}, false);
  journal_.take();
  EXPECT_EQ(type(u"HATCH"), "ended") << "the selected boundary is used without asking";
  const AcDbObjectId hatch = last();
  EXPECT_EQ(journal_.take(), (Events{"willStart HATCH", "appended AcDbHatch " + handleOf(hatch),
                                     "modified AcDbHatch " + handleOf(hatch), "modified ModelSpace", "ended HATCH"}));

  EXPECT_EQ(type(u"-LAYER", {u"M", u"道路", u""}), "ended");
  AcDbLayerTableRecord* layer = nullptr;
  ASSERT_EQ(acdbOpenObject(layer, db().clayer(), AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(std::u16string(layer->getName()), u"道路");
  layer->close();
  EXPECT_EQ(type(u"-LAYER", {u"S", u"nosuch", u"esc"}), "cancelled");
  EXPECT_NE(commandLine().find("Cannot find layer \"nosuch\"."), std::string::npos);
}

TEST_F(CadCommands, EllipsePolygon3dPolyGradientAndGripStretch) {
  EXPECT_EQ(type(u"ELLIPSE", {u"0,0", u"0,2", u"4"}), "ended");
  AcDbEllipse* el = nullptr;
  ASSERT_EQ(acdbOpenObject(el, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_NEAR(el->majorAxis().length(), 4.0, 1e-12) << "the longer axis is the major one";
  EXPECT_NEAR(el->radiusRatio(), 0.5, 1e-12);
  el->close();

  EXPECT_EQ(type(u"POLYGON", {u"6", u"0,0", u"10,0"}), "ended");
  const AcDbObjectId hex = last();
  AcDbPolyline* pl = nullptr;
  ASSERT_EQ(acdbOpenObject(pl, hex, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(pl->numVerts(), 6u);
  AcGePoint2d v;
  pl->getPointAt(3, v);
  EXPECT_NEAR(v.x, -10.0, 1e-9);
  EXPECT_NEAR(v.y, 0.0, 1e-9);
  pl->close();

  EXPECT_EQ(type(u"3DPOLY", {u"0,0,0", u"1,1,1", u"2,0,3", u""}), "ended");
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_NE(AcDb3dPolyline::cast(e), nullptr);
  e->close();

  editor().userSelects({hex}, false);
  EXPECT_EQ(type(u"GRADIENT"), "ended");
  AcDbHatch* h = nullptr;
  ASSERT_EQ(acdbOpenObject(h, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(h->isGradient());
  h->close();

  const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(100, 0, 0), AcGePoint3d(110, 0, 0)));
  journal_.take();
  EXPECT_EQ(type(u"GRIP_STRETCH", {u"110,0", u"110,5"}), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart GRIP_STRETCH", "modified AcDbLine " + handleOf(line),
                                     "ended GRIP_STRETCH"}));
  AcDbLine* l = nullptr;
  ASSERT_EQ(acdbOpenObject(l, line, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(l->startPoint(), AcGePoint3d(100, 0, 0));
  EXPECT_EQ(l->endPoint(), AcGePoint3d(110, 5, 0));
  l->close();
}

TEST_F(CadCommands, SplineMlineAndBlock) {
  EXPECT_EQ(type(u"SPLINE", {u"0,0", u"1,2", u"3,2", u"4,0", u"5,1", u""}), "ended");
  AcDbSpline* sp = nullptr;
  ASSERT_EQ(acdbOpenObject(sp, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_FALSE(sp->isNull()) << "a valid clamped definition";
  EXPECT_EQ(sp->degree(), 3);
  AcGePoint3d end;
  EXPECT_EQ(sp->getEndPoint(end), Acad::eOk);
  EXPECT_NEAR(end.x, 5.0, 1e-9) << "a clamped spline ends on its last vertex";
  sp->close();

  EXPECT_EQ(type(u"MLINE", {u"0,10", u"10,10", u"esc"}), "cancelled");
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(e, last(), AcDb::kForRead), Acad::eOk);
  EXPECT_NE(AcDbMline::cast(e), nullptr) << "the vertices given before Esc are kept";
  e->close();

  const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(100, 100, 0), AcGePoint3d(110, 100, 0)));
  editor().userSelects({line}, false);
  EXPECT_EQ(type(u"BLOCK", {u"门", u"100,100"}), "ended");
  EXPECT_TRUE(line.isErased());
  AcDbBlockTable* bt = nullptr;
  ASSERT_EQ(db().getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  AcDbObjectId def;
  EXPECT_EQ(bt->getAt(u"门", def), Acad::eOk);
  bt->close();
  EXPECT_EQ(type(u"BLOCK", {u"门"}), "failed") << "the name is taken";
  EXPECT_EQ(type(u"UNDO", {u""}), "ended");
  EXPECT_FALSE(line.isErased()) << "UNDO brings the objects back";
}

}  // namespace
}  // namespace vurktest
