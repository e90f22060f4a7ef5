// The document reactor's part in the link state: each open drawing has its DocIdManager from
// its creation (or opening) to its destruction, and the active drawing's is the current one.
// With it, the save commands write the links that are not stored yet into the drawings before
// AutoCAD saves or closes them.
#pragma once

#include "arx/acdocman.h"
#include "arx/aced.h"

namespace vurk {

class CDocReactor : public AcApDocManagerReactor {
 public:
  void documentCreated(AcApDocument* doc) override;
  void documentToBeDestroyed(AcApDocument* doc) override;
  void documentActivated(AcApDocument* doc) override;
};

// The commands before which the links are saved: "QSAVE", "CLOSE", "SAVEAS", "EXPORTDWF",
// "-LAYER", "QUIT".
class LinkSaveReactor : public AcEditorReactor {
 public:
  void commandWillStart(const ACHAR* cmdStr) override;
};

bool IsLinkSavingCommand(const char16_t* globalName);

// Start-up: a DocIdManager for every drawing already open (its links read from the drawing),
// the active one current; the reactors above are registered; the host folder tree starts
// empty. Unload removes them, every state and the folder tree.
void StartDocumentStates();
void StopDocumentStates();

}  // namespace vurk
