#include "arx/acdocman.h"

#include <algorithm>

#include "arx/acad_app.h"
#include "arx/aced.h"
#include "arx/axlock.h"
#include "arx/cad_commands.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "win32/desktop.h"
#include "win32/format.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/window_manager.h"

ACRX_DEFINE_MEMBERS(AcApDocument, AcRxObject)
ACRX_DEFINE_MEMBERS(AcApDocManagerReactor, AcRxObject)
ACRX_DEFINE_MEMBERS(AcApDocManager, AcRxObject)

namespace {

bool isWriteMode(AcAp::DocLockMode m) {
  return m == AcAp::kWrite || m == AcAp::kAutoWrite || m == AcAp::kProtectedAutoWrite || m == AcAp::kXWrite;
}

}  // namespace

// ----- AcApDocument

AcApDocument::AcApDocument(std::unique_ptr<AcDbDatabase> db, std::u16string fileName)
    : database_(std::move(db)), fileName_(std::move(fileName)) {}

AcApDocument::~AcApDocument() = default;

const ACHAR* AcApDocument::docTitle() const {
  const std::size_t slash = fileName_.find_last_of(u"\\/");
  title_ = slash == std::u16string::npos ? fileName_ : fileName_.substr(slash + 1);
  return title_.c_str();
}

AcAp::DocLockMode AcApDocument::lockMode(bool) const {
  if (canWrite()) return AcAp::kWrite;
  return locks_.empty() ? AcAp::kNotLocked : AcAp::kRead;
}

bool AcApDocument::canWrite() const {
  return commandDepth_ > 0 || std::any_of(locks_.begin(), locks_.end(), isWriteMode);
}

void AcApDocument::setFileName(const std::u16string& path) {
  fileName_ = path;
  if (database_) database_->setFilename(path);
}

// ----- reactor defaults

void AcApDocManagerReactor::documentCreated(AcApDocument*) {}
void AcApDocManagerReactor::documentToBeDestroyed(AcApDocument*) {}
void AcApDocManagerReactor::documentActivated(AcApDocument*) {}

// ----- AcApDocManager

AcApDocManager::AcApDocManager(arx::AcadApplication& app) : app_(app) {
  idleWork_ = app_.desktop().windows().addIdleWork([this] { return runNextCommandString(); });
}

AcApDocManager::~AcApDocManager() {
  app_.desktop().windows().removeIdleWork(idleWork_);
  // AutoCAD is going: the documents go without notifications.
  if (acdbHasHostApplicationServices() && current_ &&
      acdbHostApplicationServices()->workingDatabase() == current_->database()) {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  current_ = active_ = nullptr;
  while (!docs_.empty()) docs_.pop_back();
}

template <class Fn>
void AcApDocManager::notify(Fn fn) {
  const std::vector<AcApDocManagerReactor*> snapshot = reactors_;
  for (AcApDocManagerReactor* r : snapshot) {
    if (std::find(reactors_.begin(), reactors_.end(), r) != reactors_.end()) fn(r);
  }
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
  if (reactor && std::find(reactors_.begin(), reactors_.end(), reactor) == reactors_.end()) reactors_.push_back(reactor);
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) { std::erase(reactors_, reactor); }

bool AcApDocManager::isOpen(const AcApDocument* doc) const {
  return doc && std::any_of(docs_.begin(), docs_.end(), [doc](const auto& d) { return d.get() == doc; });
}

AcApDocument* AcApDocManager::document(const AcDbDatabase* db) const {
  for (const auto& d : docs_)
    if (db && d->database() == db) return d.get();
  return nullptr;
}

AcApDocumentIterator* AcApDocManager::newAcApDocumentIterator() const {
  std::vector<AcApDocument*> docs;
  for (const auto& d : docs_) docs.push_back(d.get());
  return new AcApDocumentIterator(std::move(docs));
}

void AcApDocManager::makeCurrent(AcApDocument* doc) {
  current_ = doc;
  if (acdbHasHostApplicationServices()) acdbHostApplicationServices()->setWorkingDatabase(doc ? doc->database() : nullptr);
}

void AcApDocManager::installWriteCheck(AcApDocument* doc) {
  doc->database()->setWriteOpenCheck([doc](AcDbObjectId) {
    return doc->canWrite() ? Acad::eOk : Acad::eLockViolation;
  });
}

AcApDocument* AcApDocManager::adopt(std::unique_ptr<AcApDocument> owned) {
  AcApDocument* doc = owned.get();
  if (doc->database()->filename() != doc->fileName_) doc->database()->setFilename(doc->fileName_);
  installWriteCheck(doc);
  docs_.push_back(std::move(owned));
  std::erase(activation_, doc);
  activation_.push_back(doc);
  active_ = doc;
  makeCurrent(doc);
  notify([doc](AcApDocManagerReactor* r) { r->documentCreated(doc); });
  // A reactor may have closed it again.
  if (isOpen(doc) && active_ == doc) notify([doc](AcApDocManagerReactor* r) { r->documentActivated(doc); });
  return isOpen(doc) ? doc : nullptr;
}

AcApDocument* AcApDocManager::newDocument(const std::u16string& fileName) {
  ++newCount_;
  std::u16string name = fileName;
  if (name.empty()) name = u"Drawing" + win32::utf8ToUtf16(std::to_string(newCount_)) + u".dwg";
  return adopt(std::unique_ptr<AcApDocument>(new AcApDocument(std::make_unique<AcDbDatabase>(), name)));
}

AcApDocument* AcApDocManager::openDocument(std::unique_ptr<AcDbDatabase> db, const std::u16string& fileName) {
  if (!db) return nullptr;
  return adopt(std::unique_ptr<AcApDocument>(new AcApDocument(std::move(db), fileName)));
}

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode mode, const ACHAR*, const ACHAR*,
                                               bool) {
  if (!isOpen(doc)) return Acad::eNoDocument;
  doc->locks_.push_back(mode == AcAp::kNone ? AcAp::kWrite : mode);
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc) {
  if (!isOpen(doc)) return Acad::eNoDocument;
  if (doc->locks_.empty()) return Acad::eNotApplicable;
  doc->locks_.pop_back();
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode, bool activate) {
  if (!isOpen(doc)) return Acad::eNoDocument;
  if (activate) return activateDocument(doc);
  makeCurrent(doc);
  if (mode != AcAp::kNone) return lockDocument(doc, mode);
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* doc, bool) {
  if (!isOpen(doc)) return Acad::eNoDocument;
  makeCurrent(doc);
  if (active_ == doc) return Acad::eOk;
  active_ = doc;
  std::erase(activation_, doc);
  activation_.push_back(doc);
  notify([doc](AcApDocManagerReactor* r) { r->documentActivated(doc); });
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::closeDocument(AcApDocument* doc) {
  if (!isOpen(doc)) return Acad::eNoDocument;
  const bool wasActive = active_ == doc;
  // The closing document stays current and active while it is told about.
  notify([doc](AcApDocManagerReactor* r) { r->documentToBeDestroyed(doc); });
  if (!isOpen(doc)) return Acad::eOk;
  std::erase(activation_, doc);
  std::erase_if(queued_, [doc](const Queued& q) { return q.doc == doc; });
  app_.editor().forgetDocument(doc);
  app_.commands().forgetDocument(doc);
  if (current_ == doc) makeCurrent(nullptr);
  if (active_ == doc) active_ = nullptr;
  auto it = std::find_if(docs_.begin(), docs_.end(), [doc](const auto& d) { return d.get() == doc; });
  std::unique_ptr<AcApDocument> owned = std::move(*it);
  docs_.erase(it);
  owned.reset();  // the database says goodbye to its reactors
  if (!wasActive) {
    if (!current_ && active_) makeCurrent(active_);
    return Acad::eOk;
  }
  AcApDocument* next = activation_.empty() ? nullptr : activation_.back();
  active_ = next;
  makeCurrent(next);
  notify([next](AcApDocManagerReactor* r) { r->documentActivated(next); });
  return Acad::eOk;
}

void AcApDocManager::closeAll() {
  while (!docs_.empty()) closeDocument(docs_.back().get());
}

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument* doc, const ACHAR* str, bool activate, bool,
                                                      bool echo) {
  if (!isOpen(doc)) return Acad::eNoDocument;
  if (!str) return Acad::eInvalidInput;
  queued_.push_back(Queued{doc, str, activate, echo});
  return Acad::eOk;
}

bool AcApDocManager::runNextCommandString() {
  if (queued_.empty()) return false;
  Queued q = std::move(queued_.front());
  queued_.pop_front();
  if (!isOpen(q.doc)) return true;
  if (q.activate) activateDocument(q.doc);
  else makeCurrent(q.doc);
  // A blank or a line feed is Enter; text after the last one is typed but never entered.
  std::deque<arx::UserInput> words;
  std::u16string word;
  for (char16_t c : q.text) {
    if (c == u' ' || c == u'\n' || c == u'\r') {
      words.push_back(word.empty() ? arx::UserInput::enter() : arx::UserInput::of(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) app_.desktop().transcript().add("note", "typed but not entered: " + win32::utf16ToUtf8(word));
  while (!words.empty() && isOpen(q.doc)) {
    const arx::UserInput first = words.front();
    words.pop_front();
    // Enter at the command prompt (nothing typed) starts nothing here.
    if (first.kind != arx::UserInput::kText) continue;
    app_.commands().execute(first.text, words, q.echo);
  }
  return true;
}

void AcApDocManager::beginCommand(AcApDocument* doc) {
  if (isOpen(doc)) ++doc->commandDepth_;
}

void AcApDocManager::endCommand(AcApDocument* doc) {
  if (isOpen(doc) && doc->commandDepth_ > 0) --doc->commandDepth_;
}

std::vector<std::u16string> AcApDocManager::lockAudit() const {
  std::vector<std::u16string> out;
  for (const auto& d : docs_) {
    if (!d->locks_.empty())
      out.push_back(std::u16string(d->docTitle()) + u": " + win32::utf8ToUtf16(std::to_string(d->locks_.size())));
  }
  return out;
}

AcApDocManager* arx::currentDocManager() { return &arx::AcadApplication::current().docManager(); }

AcApDocument* curDoc() { return acDocManager->curDocument(); }

// ----- AcAxDocLock

AcAxDocLock::AcAxDocLock() { lock(acDocManager->curDocument()); }

AcAxDocLock::AcAxDocLock(AcDbDatabase* db) { lock(acDocManager->document(db)); }

void AcAxDocLock::lock(AcApDocument* doc) {
  status_ = doc ? acDocManager->lockDocument(doc, AcAp::kWrite) : Acad::eNoDocument;
  if (status_ == Acad::eOk) doc_ = doc;
}

AcAxDocLock::~AcAxDocLock() {
  if (doc_ && arx::AcadApplication::currentOrNull() && acDocManager->isOpen(doc_)) acDocManager->unlockDocument(doc_);
}
