// Documents: the reactor order on new, activate and close, the current document while one
// closes, enforced locks, and command strings that run only when the desktop pumps.
#include <gtest/gtest.h>

#include "arx/axlock.h"
#include "arx/dbents.h"
#include "cad_fixture.h"
#include "win32/desktop.h"
#include "win32/window_manager.h"
#include "window_fixture.h"

namespace vurktest {
namespace {

using Events = std::vector<std::string>;

class CadDocuments : public CadTest {};

TEST_F(CadDocuments, NewActivateAndCloseNotifyInOnePinnedOrder) {
  AcApDocManager& docs = acad().docManager();
  // A new drawing is current before it is announced; then it is activated.
  AcApDocument* second = docs.newDocument();
  EXPECT_EQ(journal_.take(), (Events{"created Drawing2.dwg (current Drawing2.dwg)",
                                     "activated Drawing2.dwg (current Drawing2.dwg)"}));
  EXPECT_EQ(std::u16string(second->fileName()), u"Drawing2.dwg") << "a drawing never saved has no folder";
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), second->database());

  EXPECT_EQ(docs.activateDocument(doc_), Acad::eOk);
  EXPECT_EQ(docs.activateDocument(doc_), Acad::eOk);
  EXPECT_EQ(journal_.take(), (Events{"activated Drawing1.dwg (current Drawing1.dwg)"})) << "once, not when active";

  // Closing the active document: it is still current while it is told about, then the one
  // active before it comes back.
  docs.activateDocument(second);
  journal_.take();
  EXPECT_EQ(docs.closeDocument(second), Acad::eOk);
  EXPECT_EQ(journal_.take(), (Events{"toBeDestroyed Drawing2.dwg (current Drawing2.dwg)",
                                     "activated Drawing1.dwg (current Drawing1.dwg)"}));
  // Closing an inactive document activates nothing.
  AcApDocument* third = docs.newDocument(u"D:\\p\\third.dwg");
  docs.activateDocument(doc_);
  journal_.take();
  EXPECT_EQ(docs.closeDocument(third), Acad::eOk);
  EXPECT_EQ(journal_.take(), (Events{"toBeDestroyed third.dwg (current Drawing1.dwg)"}));
  // The last one: documentActivated(null), and no working database.
  EXPECT_EQ(docs.closeDocument(doc_), Acad::eOk);
  EXPECT_EQ(journal_.take(), (Events{"toBeDestroyed Drawing1.dwg (current Drawing1.dwg)", "activated null (current null)"}));
  EXPECT_EQ(docs.curDocument(), nullptr);
  EXPECT_EQ(docs.mdiActiveDocument(), nullptr);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
  EXPECT_EQ(docs.closeDocument(doc_), Acad::eNoDocument);
}

TEST_F(CadDocuments, IteratorWalksInCreationOrderAndCurrentCanDifferFromActive) {
  AcApDocManager& docs = acad().docManager();
  AcApDocument* b = docs.newDocument(u"C:\\b.dwg");
  AcApDocument* c = docs.newDocument(u"C:\\c.dwg");
  docs.activateDocument(doc_);
  std::vector<AcApDocument*> seen;
  std::unique_ptr<AcApDocumentIterator> it(docs.newAcApDocumentIterator());
  for (; !it->done(); it->step()) seen.push_back(it->document());
  EXPECT_EQ(seen, (std::vector<AcApDocument*>{doc_, b, c}));
  EXPECT_EQ(docs.setCurDocument(b), Acad::eOk);
  EXPECT_EQ(docs.curDocument(), b);
  EXPECT_EQ(docs.mdiActiveDocument(), doc_);
  EXPECT_EQ(docs.document(c->database()), c);

  // acdbEntLast answers from the current document's drawing.
  docs.activateDocument(doc_);
  const AcDbObjectId mine = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  ads_name n;
  EXPECT_EQ(acdbEntLast(n), RTNORM);
  docs.activateDocument(c);
  EXPECT_EQ(acdbEntLast(n), RTERROR) << "the other drawing is empty";
  docs.activateDocument(doc_);
  ASSERT_EQ(acdbEntLast(n), RTNORM);
  AcDbObjectId id;
  acdbGetObjectId(id, n);
  EXPECT_EQ(id, mine);
}

TEST_F(CadDocuments, AWriteOpenOutsideACommandNeedsALock) {
  const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  AcDbLine* l = nullptr;
  EXPECT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eLockViolation) << "no lock, no command";
  EXPECT_EQ(l, nullptr);
  ASSERT_EQ(acdbOpenObject(l, line, AcDb::kForRead), Acad::eOk) << "reading needs no lock";
  EXPECT_EQ(l->upgradeOpen(), Acad::eLockViolation);
  l->close();
  {
    AcAxDocLock lock;
    EXPECT_EQ(lock.lockStatus(), Acad::eOk);
    EXPECT_EQ(doc_->lockMode(), AcAp::kWrite);
    ASSERT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eOk);
    l->close();
  }
  EXPECT_EQ(doc_->explicitLockCount(), 0) << "the guard released it";
  EXPECT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eLockViolation);
  // A read lock does not allow writing; locks count and must be released one by one.
  AcApDocManager& docs = acad().docManager();
  EXPECT_EQ(docs.lockDocument(doc_, AcAp::kRead), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eLockViolation);
  EXPECT_EQ(docs.lockDocument(doc_, AcAp::kWrite), Acad::eOk);
  EXPECT_EQ(doc_->explicitLockCount(), 2);
  EXPECT_EQ(docs.unlockDocument(doc_), Acad::eOk);
  EXPECT_EQ(docs.unlockDocument(doc_), Acad::eOk);
  EXPECT_EQ(docs.unlockDocument(doc_), Acad::eNotApplicable) << "unlocking more than was locked";
  // Another document's lock does not cover this one.
  AcApDocument* other = docs.newDocument();
  docs.lockDocument(other);
  EXPECT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eLockViolation);
  docs.unlockDocument(other);
}

// A command that writes as a plug-in's command would: inside the bracket the document holds
// its automatic write lock, also during commandEnded.
class WritesAtEnd : public AcEditorReactor {
 public:
  AcDbObjectId target;
  std::vector<Acad::ErrorStatus> got;
  void commandEnded(const ACHAR*) override {
    AcDbObject* o = nullptr;
    got.push_back(acdbOpenObject(o, target, AcDb::kForWrite));
    if (o) o->close();
  }
};

TEST_F(CadDocuments, ARunningCommandHoldsTheWriteLockUntilItsEndNotification) {
  WritesAtEnd reactor;
  reactor.target = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  acedEditor->addReactor(&reactor);
  type(u"COMMANDLINE");
  acedEditor->removeReactor(&reactor);
  EXPECT_EQ(reactor.got, (std::vector<Acad::ErrorStatus>{Acad::eOk}));
  EXPECT_EQ(doc_->lockMode(), AcAp::kNotLocked) << "the automatic lock goes with the command";
}

// Records "message", "timer" and the command notifications in one order.
class Order : public AcEditorReactor {
 public:
  std::vector<std::string>* log;
  void commandWillStart(const ACHAR* n) override { log->push_back("willStart " + win32::utf16ToUtf8(n)); }
  void commandEnded(const ACHAR* n) override { log->push_back("ended " + win32::utf16ToUtf8(n)); }
};

std::vector<std::string>* g_order = nullptr;
void orderTimer(HWND, UINT, UINT_PTR, DWORD) { g_order->push_back("timer"); }

TEST_F(CadDocuments, QueuedCommandStringsRunAtThePumpBetweenPostedMessagesAndTimers) {
  std::vector<std::string> log;
  g_order = &log;
  registerTestClass();
  Recorder rec;
  rec.handler = [&log](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_USER + 1) log.push_back("message");
    return std::nullopt;
  };
  HWND w = createTestWindow(rec, u"order");
  Order reactor;
  reactor.log = &log;
  acedEditor->addReactor(&reactor);

  const UINT_PTR timer = SetTimer(nullptr, 0, 10, orderTimer);
  editor().queueInput(arx::UserInput::of(u"0,0"));
  editor().queueInput(arx::UserInput::of(u"5,5"));
  EXPECT_EQ(acDocManager->sendStringToExecute(doc_, u"_rectang "), Acad::eOk);
  EXPECT_EQ(acDocManager->sendStringToExecute(doc_, u"IMAGEFRAME 0 "), Acad::eOk);
  PostMessageW(w, WM_USER + 1, 0, 0);
  EXPECT_TRUE(log.empty()) << "nothing runs inside the caller";
  EXPECT_EQ(acDocManager->pendingCommandStrings(), 2u);

  desktop().runFor(10);
  EXPECT_EQ(log, (std::vector<std::string>{"message", "willStart RECTANG", "ended RECTANG", "willStart IMAGEFRAME",
                                           "ended IMAGEFRAME", "timer"}));
  EXPECT_EQ(acad().sysVars().value(u"IMAGEFRAME")->integer, 0) << "the string's own words answer first";
  EXPECT_EQ(editor().pendingInput(), 0u) << "the rectangle's corners came from the user";
  KillTimer(nullptr, timer);
  acedEditor->removeReactor(&reactor);
  DestroyWindow(w);
  g_order = nullptr;
}

TEST_F(CadDocuments, ACommandStringActivatesItsDocumentAndUnenteredTextStaysTyped) {
  AcApDocument* other = acad().docManager().newDocument();
  journal_.take();
  acDocManager->sendStringToExecute(doc_, u"RIBBON COMMANDLINE");
  desktop().pump();
  EXPECT_EQ(journal_.take(), (Events{"activated Drawing1.dwg (current Drawing1.dwg)", "willStart RIBBON", "ended RIBBON"}))
      << "COMMANDLINE was typed but never entered";
  // A string for a document that closes before the pump is dropped.
  acDocManager->sendStringToExecute(other, u"RIBBON ");
  acad().docManager().closeDocument(other);
  journal_.take();
  desktop().pump();
  EXPECT_TRUE(journal_.take().empty());
  EXPECT_EQ(acDocManager->sendStringToExecute(other, u"RIBBON "), Acad::eNoDocument);
}

TEST_F(CadDocuments, CloseAndQuitEndTheirBracketBeforeTheDocumentsGo) {
  acad().docManager().newDocument(u"C:\\a.dwg");
  journal_.take();
  EXPECT_EQ(type(u"CLOSE"), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart CLOSE", "ended CLOSE", "toBeDestroyed a.dwg (current a.dwg)",
                                     "activated Drawing1.dwg (current Drawing1.dwg)"}));
  acad().docManager().newDocument(u"C:\\b.dwg");
  journal_.take();
  EXPECT_EQ(type(u"QUIT"), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart QUIT", "ended QUIT", "toBeDestroyed b.dwg (current b.dwg)",
                                     "activated Drawing1.dwg (current Drawing1.dwg)",
                                     "toBeDestroyed Drawing1.dwg (current Drawing1.dwg)", "activated null (current null)"}));
  EXPECT_TRUE(acad().commands().quitRequested());
  acad().docManager().newDocument(u"C:\\c.dwg");
  journal_.take();
  EXPECT_EQ(type(u"CLOSEALL"), "ended");
  EXPECT_EQ(journal_.take(), (Events{"willStart CLOSEALL", "ended CLOSEALL", "toBeDestroyed c.dwg (current c.dwg)",
                                     "activated null (current null)"}));
  EXPECT_EQ(type(u"LINE"), "unknown") << "no drawing, no drawing command";
}

// Names itself in a shared log; the first one removes the second during a notification.
class Named : public AcEditorReactor, public AcApDocManagerReactor {
 public:
  std::string name;
  std::vector<std::string>* log = nullptr;
  Named* removes = nullptr;
  void commandWillStart(const ACHAR*) override {
    log->push_back(name);
    if (removes) acedEditor->removeReactor(removes);
  }
  void documentActivated(AcApDocument*) override {
    log->push_back(name);
    if (removes) acDocManager->removeReactor(removes);
  }
};

TEST_F(CadDocuments, ReactorsAreCalledInRegistrationOrderAndARemovedOneIsNotCalledAfterwards) {
  std::vector<std::string> log;
  Named a, b;
  a.name = "a";
  b.name = "b";
  a.log = b.log = &log;
  acedEditor->addReactor(&b);
  acedEditor->addReactor(&a);
  acedEditor->addReactor(&b);  // once only
  acDocManager->addReactor(&b);
  acDocManager->addReactor(&a);
  type(u"RIBBON");
  acad().docManager().newDocument();
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a", "b", "a"}));
  log.clear();
  // b first, then a removes b: b was already called. Registered the other way round, a
  // removes b before b's turn.
  acedEditor->removeReactor(&b);
  acedEditor->addReactor(&b);
  a.removes = &b;
  type(u"RIBBON");
  EXPECT_EQ(log, (std::vector<std::string>{"a"}));
  log.clear();
  acad().docManager().activateDocument(doc_);
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
  acedEditor->removeReactor(&a);
  acDocManager->removeReactor(&a);
  acDocManager->removeReactor(&b);
}

}  // namespace
}  // namespace vurktest
