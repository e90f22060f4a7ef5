// The document manager: the drawings open in AutoCAD, which one is current, their locks, and
// command strings sent to them.
//
// Models:
//   - documents in creation order (newAcApDocumentIterator walks them in that order); each owns
//     its database; fileName() is the full Windows path, or "DrawingN.dwg" (no folder) for a
//     drawing that was never saved;
//   - curDocument() (the document API calls act on) and mdiActiveDocument() (the document whose
//     window is active) are the same document except between setCurDocument(doc, mode, false)
//     and the next activation; both are null when no document is open. The working database
//     (acdbHostApplicationServices) follows curDocument;
//   - locks: lockDocument / unlockDocument count per document and are re-entrant. A running
//     command holds the document's automatic write lock from commandWillStart to its end
//     notification. Enforced: a write-open (acdbOpenObject kForWrite, upgradeOpen) of an object
//     of a document's database with neither a write lock nor a running command fails with
//     eLockViolation (320), so a missing lock is caught where it happens. Read opens are never
//     refused. unlockDocument without a lock is eNotApplicable. explicitLockCount() is the
//     audit: what callers locked and did not unlock yet;
//   - reactors (AcApDocManagerReactor) are called in registration order; removing one during
//     a notification keeps it from being called later in that notification. The sequences:
//       new / open:  the new document becomes current and active, then
//                    documentCreated(doc), documentActivated(doc);
//       activate:    documentActivated(doc) (nothing when it is already active);
//       close:       documentToBeDestroyed(doc) while curDocument() and mdiActiveDocument()
//                    still return it (the closing document); then the document and its
//                    database go (database reactors hear goodbye); then, when it was the active
//                    one, the most recently active remaining document becomes current and
//                    documentActivated(it) follows, or documentActivated(null) when none is
//                    left. Closing an inactive document sends no documentActivated;
//   - sendStringToExecute queues the string and returns at once; the queue runs only when the
//     desktop pumps (win32 WindowManager idle work), never inside the caller. One pump round
//     runs: (1) every posted window message, (2) one queued command string (then back to 1),
//     (3) one due timer (then back to 1). The string is typed into its document's command line
//     (activated first when asked): a space or a line feed is Enter; the first word is the
//     command ("_name" its global name), later words answer its prompts, and prompts beyond the
//     string are answered by the session's user. Text after the last Enter stays typed and is
//     never entered.
// Limitations: wrapUpInactiveDoc and the lock prompts have no effect; one process, no MDI
// windows or frames, no application-context execution
// (executeInApplicationContext), no read-only documents, no lock prompting or lock conflicts
// between documents; documentLockModeChanged, documentBecameCurrent and the *WillStart
// notifications are not sent.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "arx/acadstrc.h"
#include "arx/rxobject.h"

class AcDbDatabase;
class AcDbHostApplicationServices;
class AcEdSSGetFilter;

namespace arx {
class AcadApplication;
}

namespace AcAp {
enum DocLockMode {
  kNone = 0x00,
  kAutoWrite = 0x01,
  kNotLocked = 0x02,
  kWrite = 0x04,
  kProtectedAutoWrite = 0x14,
  kRead = 0x20,
  kXWrite = 0x40,
};
}  // namespace AcAp

class AcApDocument : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcApDocument);
  ~AcApDocument() override;
  AcApDocument(const AcApDocument&) = delete;
  AcApDocument& operator=(const AcApDocument&) = delete;

  // The full Windows path, or "DrawingN.dwg" for a drawing never saved.
  const ACHAR* fileName() const { return fileName_.c_str(); }
  // The file name without its folder, as the window title shows it.
  const ACHAR* docTitle() const;
  AcDbDatabase* database() const { return database_.get(); }
  // The strongest lock held (kWrite while any write lock or a command holds it, kRead for read
  // locks only, kNotLocked otherwise).
  AcAp::DocLockMode lockMode(bool includeMyLocks = false) const;
  AcAp::DocLockMode myLockMode() const { return lockMode(true); }
  // No command is running in it.
  bool isQuiescent() const { return commandDepth_ == 0; }

  // --- non-standard: audits and the session ------------------------------------------
  int explicitLockCount() const { return static_cast<int>(locks_.size()); }
  bool canWrite() const;
  void setFileName(const std::u16string& path);
  // The selection filters attached to this document, in the order added.
  const std::vector<AcEdSSGetFilter*>& selectionFilters() const { return filters_; }

 private:
  friend class AcApDocManager;
  friend Acad::ErrorStatus addSSgetFilterInputContextReactor(AcApDocument*, AcEdSSGetFilter*);
  friend Acad::ErrorStatus removeSSgetFilterInputContextReactor(AcApDocument*, AcEdSSGetFilter*);
  AcApDocument(std::unique_ptr<AcDbDatabase> db, std::u16string fileName);

  std::unique_ptr<AcDbDatabase> database_;
  std::u16string fileName_;
  mutable std::u16string title_;
  std::vector<AcAp::DocLockMode> locks_;
  int commandDepth_ = 0;
  std::vector<AcEdSSGetFilter*> filters_;
};

class AcApDocManagerReactor : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcApDocManagerReactor);
  virtual void documentCreated(AcApDocument* doc);
  virtual void documentToBeDestroyed(AcApDocument* doc);
  // doc is null when the last document closed.
  virtual void documentActivated(AcApDocument* doc);
};

class AcApDocumentIterator {
 public:
  bool done() const { return at_ >= docs_.size(); }
  void step() { ++at_; }
  AcApDocument* document() const { return done() ? nullptr : docs_[at_]; }

 private:
  friend class AcApDocManager;
  explicit AcApDocumentIterator(std::vector<AcApDocument*> docs) : docs_(std::move(docs)) {}
  std::vector<AcApDocument*> docs_;
  std::size_t at_ = 0;
};

class AcApDocManager : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcApDocManager);
  explicit AcApDocManager(arx::AcadApplication& app);
  ~AcApDocManager() override;
  AcApDocManager(const AcApDocManager&) = delete;
  AcApDocManager& operator=(const AcApDocManager&) = delete;

  AcApDocument* curDocument() const { return current_; }
  AcApDocument* mdiActiveDocument() const { return active_; }
  // The document whose database this is, or null.
  AcApDocument* document(const AcDbDatabase* db) const;
  int documentCount() const { return static_cast<int>(docs_.size()); }
  // A new iterator over the open documents in creation order; the caller deletes it.
  AcApDocumentIterator* newAcApDocumentIterator() const;

  // eOk (counted; unlock once per lock); eNoDocument for a document that is not open.
  Acad::ErrorStatus lockDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kWrite,
                                 const ACHAR* globalCmdName = nullptr, const ACHAR* localCmdName = nullptr,
                                 bool prompt = true);
  // eOk; eNotApplicable when the document holds no lock of the caller; eNoDocument.
  Acad::ErrorStatus unlockDocument(AcApDocument* doc);
  // Makes doc current for API calls (activate: also the active window, as activateDocument).
  Acad::ErrorStatus setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kNone, bool activate = false);
  Acad::ErrorStatus activateDocument(AcApDocument* doc, bool passScript = false);
  // Queues str for doc's command line (see above); eNoDocument for a null or closed document,
  // eInvalidInput for a null string.
  Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const ACHAR* str, bool activate = true,
                                        bool wrapUpInactiveDoc = false, bool echoString = true);
  // Closes a document now (reactor sequence above); eNoDocument when it is not open.
  Acad::ErrorStatus closeDocument(AcApDocument* doc);

  void addReactor(AcApDocManagerReactor* reactor);
  void removeReactor(AcApDocManagerReactor* reactor);

  // --- non-standard: what the session does ------------------------------------------
  // A new drawing: fileName empty gives "DrawingN.dwg" (N counts the new drawings of the
  // session). It becomes current and active.
  AcApDocument* newDocument(const std::u16string& fileName = {});
  // A drawing read elsewhere (e.g. from DXF) opened under a Windows path.
  AcApDocument* openDocument(std::unique_ptr<AcDbDatabase> db, const std::u16string& fileName);
  // Closes every document, last created first (QUIT).
  void closeAll();
  // Command strings still queued.
  std::size_t pendingCommandStrings() const { return queued_.size(); }
  // Runs the first queued command string; false when none is queued.
  bool runNextCommandString();
  // Marks doc as running a command (the automatic write lock); nested commands count.
  void beginCommand(AcApDocument* doc);
  void endCommand(AcApDocument* doc);
  bool isOpen(const AcApDocument* doc) const;
  // Documents with locks left, as "title: n" texts (the audit after each step).
  std::vector<std::u16string> lockAudit() const;

 private:
  struct Queued {
    AcApDocument* doc;
    std::u16string text;
    bool activate;
    bool echo;
  };
  AcApDocument* adopt(std::unique_ptr<AcApDocument> doc);
  void makeCurrent(AcApDocument* doc);
  void installWriteCheck(AcApDocument* doc);
  template <class Fn>
  void notify(Fn fn);

  arx::AcadApplication& app_;
  std::vector<std::unique_ptr<AcApDocument>> docs_;  // creation order
  std::vector<AcApDocument*> activation_;            // most recently active last
  AcApDocument* current_ = nullptr;
  AcApDocument* active_ = nullptr;
  std::vector<AcApDocManagerReactor*> reactors_;
  std::deque<Queued> queued_;
  int newCount_ = 0;
  int idleWork_ = 0;
};

namespace arx {
// The document manager of the current AutoCAD application.
AcApDocManager* currentDocManager();
}  // namespace arx

#define acDocManager (::arx::currentDocManager())

// The current document (acDocManager->curDocument()).
AcApDocument* curDoc();
