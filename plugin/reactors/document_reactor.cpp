#include "reactors/document_reactor.h"

#include <array>
#include <memory>
#include <string_view>

#include "exchange/doc_id_manager.h"
#include "exchange/folder_tree.h"

namespace vurk {

namespace {

std::unique_ptr<CDocReactor> g_docReactor;
std::unique_ptr<LinkSaveReactor> g_saveReactor;

}  // namespace

void CDocReactor::documentCreated(AcApDocument* doc) {
  if (!doc || !doc->fileName() || !*doc->fileName()) return;
  DocStates().setCurrent(nullptr);
  openDocumentState(doc);
}

void CDocReactor::documentToBeDestroyed(AcApDocument* doc) {
  DocStates().remove(doc);
  DocStates().setCurrent(nullptr);
  AcApDocument* current = acDocManager ? acDocManager->curDocument() : nullptr;
  if (current && current != doc && current->fileName() && *current->fileName()) openDocumentState(current);
}

void CDocReactor::documentActivated(AcApDocument* doc) {
  if (!doc) {
    DocStates().setCurrent(nullptr);
    return;
  }
  if (!doc->fileName() || !*doc->fileName()) return;
  openDocumentState(doc);
}

bool IsLinkSavingCommand(const char16_t* globalName) {
  if (!globalName) return false;
  static constexpr std::array<std::u16string_view, 6> kNames{u"QSAVE", u"CLOSE", u"SAVEAS", u"EXPORTDWF", u"-LAYER",
                                                             u"QUIT"};
  for (std::u16string_view n : kNames) {
    if (n == globalName) return true;
  }
  return false;
}

void LinkSaveReactor::commandWillStart(const ACHAR* cmdStr) {
  if (!CurrentDocState() || !IsLinkSavingCommand(cmdStr)) return;
  saveLinks();
}

void StartDocumentStates() {
  DocStates().clear();
  // The host folders are learnt anew by each loaded plug-in.
  Folders().reset();
  AcApDocManager* manager = acDocManager;
  if (!manager) return;
  std::unique_ptr<AcApDocumentIterator> it(manager->newAcApDocumentIterator());
  for (; it && !it->done(); it->step()) openDocumentState(it->document());
  if (AcApDocument* active = manager->curDocument()) DocStates().setCurrent(DocStates().find(active));
  g_docReactor = std::make_unique<CDocReactor>();
  manager->addReactor(g_docReactor.get());
  g_saveReactor = std::make_unique<LinkSaveReactor>();
  if (acedEditor) acedEditor->addReactor(g_saveReactor.get());
}

void StopDocumentStates() {
  if (g_saveReactor && acedEditor) acedEditor->removeReactor(g_saveReactor.get());
  if (g_docReactor && acDocManager) acDocManager->removeReactor(g_docReactor.get());
  g_saveReactor.reset();
  g_docReactor.reset();
  DocStates().clear();
  Folders().reset();
}

}  // namespace vurk
