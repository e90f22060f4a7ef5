// The erase path of linked entities and the wiring of the send flows into the shell and the
// notification window.
//
// Erasing an entity inside a command must not talk to the host from the notification (the
// database is in the middle of the command's work): the entity is only queued, and the
// notification window, from a message it posts itself, deletes the queued map objects with one
// DelObj once the command is over.
#include <memory>
#include <vector>

#include "arx/acdocman.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbreactor.h"
#include "coords/coordinate_state.h"
#include "exchange/doc_id_manager.h"
#include "exchange/send_flow.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "hostlink/notification_window.h"
#include "hostlink/request_catalogue.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "shell/toolbar_window.h"

namespace vurk {

namespace {

struct ErasedEntity {
  const AcDbDatabase* database = nullptr;
  std::uint64_t handle = 0;
};

std::vector<ErasedEntity> g_erased;
bool g_deletePosted = false;

// Whether the plug-in follows the user's edits at all: the host link runs, its own edits are
// not under way, the host works in plane coordinates, the user asked for synchronisation and
// the toolbar is shown.
bool FollowsEdits() {
  if (!CurrentHostLink() || Flags().sendingFlag || CoordState().geographic) return false;
  const SettingsStore* settings = CurrentSettings();
  return settings && settings->record().autoSyncObjects != 0 && ToolbarVisibleFlag();
}

class EraseReactor : public AcDbDatabaseReactor {
 public:
  void objectErased(const AcDbDatabase* db, const AcDbObject* obj, bool erased) override {
    if (!obj || !AcDbEntity::cast(obj) || !FollowsEdits()) return;
    if (erased) {
      QueueErasedEntity(obj->objectId());
      return;
    }
    // Brought back (UNDO): sent again as it is.
    (void)db;
    Flags().sendingFlag = true;
    auto* ids = new AcDbObjectIdArray(0, 8);
    ids->append(obj->objectId());
    if (!PostSyncEntities(ids)) delete ids;
  }
};

// Every open drawing's database gets the erase reactor, and loses it when it closes.
class DatabaseAttach : public AcApDocManagerReactor {
 public:
  explicit DatabaseAttach(EraseReactor& reactor) : reactor_(reactor) {}
  void documentCreated(AcApDocument* doc) override {
    if (doc && doc->database()) doc->database()->addReactor(&reactor_);
  }
  void documentToBeDestroyed(AcApDocument* doc) override {
    if (doc && doc->database()) doc->database()->removeReactor(&reactor_);
  }

 private:
  EraseReactor& reactor_;
};

std::unique_ptr<EraseReactor> g_eraseReactor;
std::unique_ptr<DatabaseAttach> g_attach;

}  // namespace

void QueueErasedEntity(const AcDbObjectId& id) {
  if (id.isNull() || !id.database()) return;
  g_erased.push_back({id.database(), id.handle().value()});
  if (g_deletePosted) return;
  if (CMessageDlg* window = CurrentHostLink() ? NotificationWindow() : nullptr) {
    g_deletePosted = window->PostMessage(kMsgDeleteErased) != FALSE;
  }
}

int DeleteQueuedObjects() {
  g_deletePosted = false;
  std::vector<ErasedEntity> erased;
  erased.swap(g_erased);
  std::vector<std::uint32_t> ids;
  for (const ErasedEntity& e : erased) {
    DocIdManager* state = DocStates().findByDatabase(e.database);
    if (!state) continue;
    const ErasedLink gone = unlinkErased(state->links, state->database(), e.handle);
    if (gone.deleteId != 0) ids.push_back(static_cast<std::uint32_t>(gone.deleteId));
  }
  if (ids.empty()) return 0;
  const int status = DelObj(ids, 0);
  if (status < 0) {
    ShowHostError(status, kDelObjErr, false);
    return 0;
  }
  return static_cast<int>(ids.size());
}

void StartSendFlow() {
  Features().sendSelection = [] { sendSelection(); };
  if (CurrentHostLink()) {
    NotificationRoutes& r = Routes();
    r.objectsAssigned = [](const std::vector<AssignedObject>& headers) { onObjectsAssigned(headers); };
    r.syncEntities = [](const AcDbObjectIdArray& ids) { sendEntities(ids); };
    r.deleteErased = [] { DeleteQueuedObjects(); };
  }
  g_erased.clear();
  g_deletePosted = false;
  g_eraseReactor = std::make_unique<EraseReactor>();
  g_attach = std::make_unique<DatabaseAttach>(*g_eraseReactor);
  AcApDocManager* manager = acDocManager;
  if (!manager) return;
  std::unique_ptr<AcApDocumentIterator> it(manager->newAcApDocumentIterator());
  for (; it && !it->done(); it->step()) g_attach->documentCreated(it->document());
  manager->addReactor(g_attach.get());
}

void StopSendFlow() {
  if (AcApDocManager* manager = acDocManager) {
    if (g_attach) {
      manager->removeReactor(g_attach.get());
      std::unique_ptr<AcApDocumentIterator> it(manager->newAcApDocumentIterator());
      for (; it && !it->done(); it->step()) g_attach->documentToBeDestroyed(it->document());
    }
  }
  g_attach.reset();
  g_eraseReactor.reset();
  g_erased.clear();
  g_deletePosted = false;
  Features().sendSelection = nullptr;
  if (CurrentHostLink()) {
    NotificationRoutes& r = Routes();
    r.objectsAssigned = nullptr;
    r.syncEntities = nullptr;
    r.deleteErased = nullptr;
  }
}

}  // namespace vurk
