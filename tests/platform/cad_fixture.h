// AutoCAD with one new document ("Drawing1.dwg") and a journal that records, in one sequence,
// what the editor, document-manager and database reactors hear: the sequences the plug-in's
// reactors rely on are pinned against it.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "acad_fixture.h"
#include "arx/acdocman.h"
#include "arx/aced.h"
#include "arx/cad_commands.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbreactor.h"
#include "arx/dbsymtb.h"
#include "win32/unicode.h"

namespace vurktest {

inline std::string handleOf(AcDbObjectId id) { return win32::utf16ToUtf8(id.handle().ascii()); }

class Journal : public AcEditorReactor, public AcApDocManagerReactor, public AcDbDatabaseReactor {
 public:
  std::vector<std::string> events;

  void commandWillStart(const ACHAR* n) override { add("willStart " + win32::utf16ToUtf8(n)); }
  void commandEnded(const ACHAR* n) override { add("ended " + win32::utf16ToUtf8(n)); }
  void commandCancelled(const ACHAR* n) override { add("cancelled " + win32::utf16ToUtf8(n)); }
  void commandFailed(const ACHAR* n) override { add("failed " + win32::utf16ToUtf8(n)); }
  void beginDoubleClick(const AcGePoint3d& p) override {
    add("doubleClick " + std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y)));
  }
  void viewChanged() override { add("viewChanged"); }

  void documentCreated(AcApDocument* d) override { add("created " + title(d) + current()); }
  void documentToBeDestroyed(AcApDocument* d) override { add("toBeDestroyed " + title(d) + current()); }
  void documentActivated(AcApDocument* d) override { add("activated " + title(d) + current()); }

  void objectAppended(const AcDbDatabase*, const AcDbObject* o) override { add("appended " + what(o)); }
  void objectModified(const AcDbDatabase*, const AcDbObject* o) override { add("modified " + what(o)); }
  void objectErased(const AcDbDatabase*, const AcDbObject* o, bool erased) override {
    add((erased ? "erased " : "unerased ") + what(o));
  }

  // The events since the last take().
  std::vector<std::string> take() {
    std::vector<std::string> out = std::move(events);
    events.clear();
    return out;
  }

 private:
  void add(std::string e) { events.push_back(std::move(e)); }
  static std::string title(AcApDocument* d) { return d ? win32::utf16ToUtf8(d->docTitle()) : "null"; }
  static std::string current() { return " (current " + title(acDocManager->curDocument()) + ")"; }
  // Class and handle; the model space record by name.
  static std::string what(const AcDbObject* o) {
    if (o->objectId() == o->database()->modelSpaceId()) return "ModelSpace";
    return win32::utf16ToUtf8(o->isA()->name()) + " " + handleOf(o->objectId());
  }
};

class CadTest : public AcadFixture {
 protected:
  CadTest() {
    acad().docManager().addReactor(&journal_);
    acedEditor->addReactor(&journal_);
    doc_ = acad().docManager().newDocument();
    doc_->database()->addReactor(&journal_);
    journal_.take();
  }
  ~CadTest() override {
    std::unique_ptr<AcApDocumentIterator> it(acad().docManager().newAcApDocumentIterator());
    for (; !it->done(); it->step()) {
      EXPECT_EQ(it->document()->database()->numOpenObjects(), 0) << "objects left open";
      EXPECT_EQ(it->document()->explicitLockCount(), 0) << "a lock left held";
      it->document()->database()->removeReactor(&journal_);
    }
    acad().docManager().removeReactor(&journal_);
    acedEditor->removeReactor(&journal_);
  }

  AcDbDatabase& db() { return *acad().docManager().curDocument()->database(); }
  arx::Editor& editor() { return acad().editor(); }

  // The user types a command and answers its prompts; the outcome's name.
  std::string type(const std::u16string& name, std::vector<std::u16string> answers = {}) {
    std::deque<arx::UserInput> in;
    for (auto& a : answers) {
      if (a.empty()) in.push_back(arx::UserInput::enter());
      else if (a == u"esc") in.push_back(arx::UserInput::escape());
      else in.push_back(arx::UserInput::of(a));
    }
    const auto outcome = acad().commands().execute(name, in);
    EXPECT_TRUE(in.empty()) << in.size() << " answers left unread";
    if (!outcome) return "unknown";
    switch (*outcome) {
      case arx::CommandOutcome::kEnded: return "ended";
      case arx::CommandOutcome::kCancelled: return "cancelled";
      default: return "failed";
    }
  }

  // The last entity of model space.
  AcDbObjectId last() {
    ads_name n;
    if (acdbEntLast(n) != RTNORM) return {};
    AcDbObjectId id;
    acdbGetObjectId(id, n);
    return id;
  }

  AcDbObjectId append(AcDbEntity* e) {
    AcAxDocLockGuard lock(doc_);
    AcDbBlockTableRecord* ms = nullptr;
    EXPECT_EQ(acdbOpenObject(ms, db().modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
    e->close();
    ms->close();
    return id;
  }

  // A plain scope lock for the fixture's own edits.
  struct AcAxDocLockGuard {
    explicit AcAxDocLockGuard(AcApDocument* d) : doc(d) { acDocManager->lockDocument(doc); }
    ~AcAxDocLockGuard() { acDocManager->unlockDocument(doc); }
    AcApDocument* doc;
  };

  AcDbHostApplicationServices services_;
  AcDbHostServicesScope servicesScope_{services_};
  Journal journal_;
  AcApDocument* doc_ = nullptr;
};

}  // namespace vurktest
