// The editor: selection through the selection filters, picks, prompts answered by the user,
// selection sets, the status-bar meter, double-clicks and view changes, and applications
// loaded or run inside a command bracket.
#include <gtest/gtest.h>

#include <array>

#include "arx/accmd.h"
#include "arx/acedview.h"
#include "arx/dbents.h"
#include "arx/dbimage.h"
#include "arx/dbsymtb.h"
#include "arx_module_fixture.h"
#include "cad_fixture.h"
#include "win32/desktop.h"
#include "win32/transcript.h"

namespace vurktest {
namespace {

using Events = std::vector<std::string>;

// Keeps a set of entities out of every selection and every rollover highlight, as the
// plug-in's filters do with its base-map images.
class Keeper : public AcEdSSGetFilter {
 public:
  std::vector<AcDbObjectId> protectedIds;
  int addCalls = 0;
  void ssgetAddFilter(int, AcEdSelectionSetService& service, const AcDbObjectIdArray& added,
                      const AcDbObjectIdArray&) override {
    ++addCalls;
    for (int i = added.length() - 1; i >= 0; --i)
      if (isProtected(added[i])) {
        EXPECT_EQ(service.remove(i), Acad::eOk);
      }
    EXPECT_EQ(service.remove(added.length()), Acad::eInvalidIndex);
  }
  Acad::ErrorStatus ssgetRolloverFilter(const AcDbFullSubentPath& proposed, AcDbFullSubentPath& highlight) override {
    AcDbObjectIdArray kept;
    for (int i = 0; i < proposed.objectIds().length(); ++i)
      if (!isProtected(proposed.objectIds()[i])) kept.append(proposed.objectIds()[i]);
    highlight = AcDbFullSubentPath(kept, proposed.subentId());
    return Acad::eOk;
  }

 private:
  bool isProtected(AcDbObjectId id) const {
    return std::find(protectedIds.begin(), protectedIds.end(), id) != protectedIds.end();
  }
};

class CadEditor : public CadTest {
 protected:
  CadEditor() {
    line_ = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
    image_ = append(new AcDbLine(AcGePoint3d(0, 5, 0), AcGePoint3d(10, 5, 0)));
    EXPECT_EQ(addSSgetFilterInputContextReactor(doc_, &keeper_), Acad::eOk);
    keeper_.protectedIds = {image_};
    journal_.take();
  }
  ~CadEditor() override { removeSSgetFilterInputContextReactor(doc_, &keeper_); }

  Adesk::Int32 length(const ads_name ss) {
    Adesk::Int32 n = -1;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    return n;
  }
  AcDbObjectId nameAt(const ads_name ss, Adesk::Int32 i) {
    ads_name e;
    AcDbObjectId id;
    if (acedSSName(ss, i, e) == RTNORM) acdbGetObjectId(id, e);
    return id;
  }

  Keeper keeper_;
  AcDbObjectId line_, image_;
};

TEST_F(CadEditor, AFilteredEntityNeverEntersThePickfirstSet) {
  EXPECT_EQ(editor().userSelects(editor().allEntities(), false), 1u);
  ads_name ss;
  ASSERT_EQ(acedSSGet(u"I", nullptr, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(length(ss), 1);
  EXPECT_EQ(nameAt(ss, 0), line_);
  EXPECT_EQ(acedSSFree(ss), RTNORM);
  EXPECT_EQ(acedSSFree(ss), RTERROR) << "freed once";

  // Only the protected entity selected: the implied selection is empty.
  editor().userSelects({image_}, false);
  EXPECT_EQ(acedSSGet(u"I", nullptr, nullptr, nullptr, ss), RTERROR);
  // The pickfirst set is cleared by acedSSSetFirst with no set.
  editor().userSelects({line_}, false);
  EXPECT_EQ(acedSSSetFirst(nullptr, nullptr), RTNORM);
  EXPECT_EQ(acedSSGet(u"I", nullptr, nullptr, nullptr, ss), RTERROR);
}

TEST_F(CadEditor, PointSelectionIsFilteredButEntSelIsNot) {
  ads_point p = {5, 5, 0};
  ads_name ss;
  EXPECT_EQ(acedSSGet(nullptr, p, nullptr, nullptr, ss), RTERROR) << "only the protected entity is there";
  ads_point q = {5, 0, 0};
  ASSERT_EQ(acedSSGet(nullptr, q, nullptr, nullptr, ss), RTNORM);
  EXPECT_EQ(length(ss), 1);
  acedSSFree(ss);
  ads_point far = {5, 2.5, 0};
  EXPECT_EQ(acedSSGet(nullptr, far, nullptr, nullptr, ss), RTERROR) << "a miss";

  editor().queueInput(arx::UserInput::of(u"5,5"));
  ads_name ent;
  ads_point at;
  ASSERT_EQ(acedEntSel(u"\nSelect: ", ent, at), RTNORM);
  AcDbObjectId picked;
  acdbGetObjectId(picked, ent);
  EXPECT_EQ(picked, image_) << "acedEntSel is no ssget: no filters";
  editor().queueInput(arx::UserInput::of(u"5,2.5"));
  EXPECT_EQ(acedEntSel(u"\nSelect: ", ent, at), RTERROR) << "missed";
  editor().queueInput(arx::UserInput::enter());
  EXPECT_EQ(acedEntSel(u"\nSelect: ", ent, at), RTERROR) << "Enter";
  editor().queueInput(arx::UserInput::escape());
  EXPECT_EQ(acedEntSel(u"\nSelect: ", ent, at), RTCAN);
}

TEST_F(CadEditor, RolloverKeepsOnlyTheAllowedIds) {
  const AcDbFullSubentPath onImage = editor().hover(AcGePoint3d(5, 5, 0));
  EXPECT_TRUE(onImage.objectIds().isEmpty());
  const AcDbFullSubentPath onLine = editor().hover(AcGePoint3d(5, 0, 0));
  ASSERT_EQ(onLine.objectIds().length(), 1);
  EXPECT_EQ(onLine.objectIds()[0], line_);
}

TEST_F(CadEditor, PromptsAnswerNormalNoneCancelAndUnansweredIsCancel) {
  ads_point p;
  editor().queueInput(arx::UserInput::of(u"3,4"));
  editor().queueInput(arx::UserInput::enter());
  editor().queueInput(arx::UserInput::escape());
  editor().queueInput(arx::UserInput::of(u"not a point"));
  editor().queueInput(arx::UserInput::of(u"1,2,3"));
  EXPECT_EQ(acedGetPoint(nullptr, u"\n请在CAD中选择一个点作为关联点！\n", p), RTNORM);
  EXPECT_EQ(p[0], 3.0);
  EXPECT_EQ(p[1], 4.0);
  EXPECT_EQ(acedGetPoint(nullptr, u"\nPoint: ", p), RTNONE);
  EXPECT_EQ(acedGetPoint(nullptr, u"\nPoint: ", p), RTCAN);
  EXPECT_EQ(acedGetPoint(nullptr, u"\nPoint: ", p), RTNORM) << "asked again after an invalid point";
  EXPECT_EQ(p[2], 3.0);
  EXPECT_EQ(editor().unansweredPrompts(), 0);
  EXPECT_EQ(acedGetPoint(nullptr, u"\nNobody answers: ", p), RTCAN);
  EXPECT_EQ(editor().unansweredPrompts(), 1);
  const std::string line = commandLine();
  EXPECT_NE(line.find("请在CAD中选择一个点作为关联点！\n3,4\n"), std::string::npos) << line;
  EXPECT_NE(line.find("Nobody answers: *Cancel*"), std::string::npos);
}

TEST_F(CadEditor, ProgressMeterAndCommandPromptGoIntoTheTranscript) {
  EXPECT_EQ(acedSetStatusBarProgressMeterPos(5), -1) << "no meter";
  EXPECT_EQ(acedSetStatusBarProgressMeter(u"正在从网络取图", 0, 100), 0);
  EXPECT_EQ(acedSetStatusBarProgressMeter(u"again", 0, 100), -1) << "one meter at a time";
  EXPECT_EQ(acedSetStatusBarProgressMeterPos(40), 0);
  EXPECT_EQ(acedSetStatusBarProgressMeterPos(-3), 0) << "kept as given";
  acedRestoreStatusBar();
  EXPECT_EQ(acedSetStatusBarProgressMeter(u"backwards", 10, 0), -1);
  acedPostCommandPrompt();
  std::vector<std::string> status;
  for (const auto& e : desktop().transcript().entries())
    if (e.channel == "status") status.push_back(e.text);
  EXPECT_EQ(status, (std::vector<std::string>{"progress 正在从网络取图 0..100", "progress at 40", "progress at -3",
                                              "progress ended"}));
  EXPECT_EQ(editor().commandPrompts(), 1);
}

TEST_F(CadEditor, DoubleClickAndViewChangesReachTheEditorReactors) {
  editor().fireBeginDoubleClick(AcGePoint3d(5, 0, 0));
  type(u"ZOOM", {u"W", u"0,0", u"100,50"});
  type(u"PAN", {u"0,0", u"10,0"});
  acad().view().set(AcGePoint2d(1, 1), 20);
  AcDbViewTableRecord view;
  view.setCenterPoint(AcGePoint2d(3, 3));
  view.setWidth(10);
  view.setHeight(10);
  EXPECT_EQ(acedSetCurrentView(&view, nullptr), Acad::eOk);
  EXPECT_EQ(journal_.take(), (Events{"doubleClick 5,0", "willStart ZOOM", "viewChanged", "ended ZOOM",
                                     "willStart PAN", "viewChanged", "ended PAN", "viewChanged", "viewChanged"}));
  EXPECT_EQ(acad().view().centre(), AcGePoint2d(3, 3));
}

class CadApplications : public ModuleFixture {
 protected:
  CadApplications() {
    acad().docManager().newDocument();
    acedEditor->addReactor(&journal_);
  }
  ~CadApplications() override { acedEditor->removeReactor(&journal_); }
  AcDbHostApplicationServices services_;
  AcDbHostServicesScope servicesScope_{services_};
  Journal journal_;
};

// The test application's command: it asks for a point, as a plug-in command would.
std::vector<int> g_pointAnswers;
void askForPointCommand() {
  ads_point p;
  g_pointAnswers.push_back(acedGetPoint(nullptr, u"\nPoint: ", p));
}

TEST_F(CadApplications, ApploadLoadsInsideItsBracketAndRegisteredCommandsAreBracketed) {
  std::deque<arx::UserInput> answers = {arx::UserInput::of(kPath)};
  acad().commands().execute(u"APPLOAD", answers);
  EXPECT_TRUE(acad().isLoaded(kPath));
  EXPECT_EQ(journal_.take(), (Events{"willStart APPLOAD", "ended APPLOAD"}));
  EXPECT_EQ(module().log.front(), "attach");

  acedRegCmds->addCommand(u"TESTGRP", u"pickIt", u"pickIt", ACRX_CMD_MODAL, askForPointCommand);
  g_pointAnswers.clear();
  answers = {arx::UserInput::escape()};
  acad().commands().execute(u"pickit", answers);
  EXPECT_EQ(g_pointAnswers, (std::vector<int>{RTCAN}));
  EXPECT_EQ(journal_.take(), (Events{"willStart PICKIT", "ended PICKIT"}))
      << "a registered command ends with commandEnded whatever its prompts answered";
  EXPECT_EQ(acad().runCommand(u"_pickIt"), RTNORM);
  EXPECT_EQ(journal_.take(), (Events{"willStart PICKIT", "ended PICKIT"}));
  acedRegCmds->removeGroup(u"TESTGRP");

  answers = {arx::UserInput::of(u"D:\\Tools\\Missing.arx")};
  acad().commands().execute(u"APPLOAD", answers);
  EXPECT_EQ(journal_.take(), (Events{"willStart APPLOAD", "failed APPLOAD"}));
}

}  // namespace
}  // namespace vurktest
