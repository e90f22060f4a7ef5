#include "exchange/doc_id_manager.h"

#include <algorithm>
#include <memory>

#include "arx/acdocman.h"
#include "arx/aced.h"
#include "arx/acutads.h"
#include "arx/axlock.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbmtext.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "exchange/link_record.h"
#include "exchange/opened_object.h"
#include "hostlink/flag_restore.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "mfc/afxmsg.h"
#include "util/hash.h"
#include "win32/format.h"

namespace vurk {

namespace {

DocumentStates g_states;

void ErrorBox(const char16_t* format, Acad::ErrorStatus es) {
  AfxMessageBox(win32::formatWide(format, static_cast<int>(es)).c_str(), MB_OK);
}

// The status-bar meter, restored on every way out.
class SaveMeter {
 public:
  explicit SaveMeter(int count) : shown_(acedSetStatusBarProgressMeter(u"正在保存xData数据", 0, count) == 0) {}
  ~SaveMeter() {
    if (shown_) acedRestoreStatusBar();
  }
  SaveMeter(const SaveMeter&) = delete;
  SaveMeter& operator=(const SaveMeter&) = delete;
  void position(int i) {
    if (shown_) acedSetStatusBarProgressMeterPos(i);
  }

 private:
  bool shown_;
};

// The flag that keeps the drawing reactors from taking the plug-in's own writes for the user's
// edits, set for the length of a scope (when the host link runs).
class SendingScope {
 public:
  SendingScope() {
    if (CurrentHostLink()) {
      restore_ = std::make_unique<FlagRestore>(Flags().sendingFlag);
      Flags().sendingFlag = true;
    }
  }

 private:
  std::unique_ptr<FlagRestore> restore_;
};

// Writes the state's pending links under a lock of its drawing; the number written.
int SavePending(DocIdManager& state, SaveMeter& meter, int& done) {
  const std::vector<std::uint64_t> pending = state.links.pendingHandles();
  if (pending.empty()) return 0;
  AcDbDatabase* db = state.database();
  AcAxDocLock lock(db);
  int written = 0;
  for (std::uint64_t handle : pending) {
    meter.position(++done);
    AcDbObjectId id;
    if (!db || db->getAcDbObjectId(id, false, AcDbHandle(handle)) != Acad::eOk || id.isErased()) continue;
    OpenedObject<AcDbObject> object(id, AcDb::kForWrite);
    if (!object) continue;
    EntityLink* link = state.links.find(handle);
    if (!link) continue;
    if (writeLink(*object.get(), *link) == Acad::eOk) {
      link->stored = 1;
      link->nameEdited = 0;
      ++written;
    }
  }
  return written;
}

}  // namespace

// ---------------------------------------------------------------------------- DocIdManager

DocIdManager::DocIdManager(AcApDocument* document)
    : document_(document), fileName_(document && document->fileName() ? document->fileName() : u"") {}

AcDbDatabase* DocIdManager::database() const { return document_ ? document_->database() : nullptr; }

std::uint64_t DocIdManager::documentKey() const { return PathKey(fileName_); }

DocIdManager* DocumentStates::find(const AcApDocument* document) const {
  for (const auto& s : states_) {
    if (s->document() == document) return s.get();
  }
  return nullptr;
}

DocIdManager* DocumentStates::findByDatabase(const AcDbDatabase* db) const {
  if (!db) return nullptr;
  for (const auto& s : states_) {
    if (s->database() == db) return s.get();
  }
  return nullptr;
}

DocIdManager* DocumentStates::findOrCreate(AcApDocument* document, bool* created) {
  if (created) *created = false;
  if (!document) return nullptr;
  if (DocIdManager* s = find(document)) return s;
  states_.push_back(std::make_unique<DocIdManager>(document));
  if (created) *created = true;
  return states_.back().get();
}

void DocumentStates::remove(const AcApDocument* document) {
  const auto it = std::find_if(states_.begin(), states_.end(), [&](const auto& s) { return s->document() == document; });
  if (it == states_.end()) return;
  if (current_ == it->get()) current_ = nullptr;
  states_.erase(it);
}

void DocumentStates::clear() {
  current_ = nullptr;
  states_.clear();
}

std::vector<DocIdManager*> DocumentStates::all() const {
  std::vector<DocIdManager*> v;
  for (const auto& s : states_) v.push_back(s.get());
  return v;
}

DocumentStates& DocStates() { return g_states; }

DocIdManager* CurrentDocState() { return g_states.current(); }

// ---------------------------------------------------------------------------- reading the links

DocIdManager* openDocumentState(AcApDocument* document) {
  bool created = false;
  DocIdManager* state = g_states.findOrCreate(document, &created);
  if (!state) {
    g_states.setCurrent(nullptr);
    AfxMessageBox(u"初始化失败！ DocIdManager==NULL", MB_OK);
    return nullptr;
  }
  g_states.setCurrent(state);
  if (created) collectLinks(*state, nullptr, true, u"");
  return state;
}

Acad::ErrorStatus collectLinks(DocIdManager& state, std::vector<EntityLink>* list, bool withText,
                               const std::u16string& layerName) {
  AcDbDatabase* db = state.database();
  if (!db) return Acad::eNoDatabase;
  AcAxDocLock lock(db);

  AcDbObjectId layerId;
  if (!layerName.empty()) {
    AcDbLayerTable* layers = nullptr;
    const Acad::ErrorStatus es = db->getLayerTable(layers, AcDb::kForRead);
    if (es != Acad::eOk) {
      ErrorBox(u"GetEntProperty1 ErrorCode:%d", es);
      return es;
    }
    const Acad::ErrorStatus found = layers->getAt(layerName.c_str(), layerId);
    layers->close();
    if (found != Acad::eOk) return found;
  }

  AcDbBlockTable* blocks = nullptr;
  Acad::ErrorStatus es = db->getBlockTable(blocks, AcDb::kForRead);
  if (es != Acad::eOk) {
    ErrorBox(u"GetEntProperty2 ErrorCode:%d", es);
    return es;
  }
  AcDbBlockTableRecord* modelSpace = nullptr;
  es = blocks->getAt(ACDB_MODEL_SPACE, modelSpace, AcDb::kForRead);
  blocks->close();
  if (es != Acad::eOk) {
    ErrorBox(u"GetEntProperty3 ErrorCode:%d", es);
    return es;
  }
  AcDbBlockTableRecordIterator* rawIt = nullptr;
  es = modelSpace->newIterator(rawIt);
  modelSpace->close();
  if (es != Acad::eOk || !rawIt) {
    ErrorBox(u"GetEntProperty3 ErrorCode:%d", es);
    return es;
  }
  std::unique_ptr<AcDbBlockTableRecordIterator> it(rawIt);

  DocumentLinks& links = state.links;
  for (it->start(); !it->done(); it->step()) {
    AcDbObjectId id;
    if (it->getEntityId(id) != Acad::eOk) continue;
    OpenedObject<AcDbEntity> entity(id, AcDb::kForRead);
    if (!entity) {
      ErrorBox(u"GetEntProperty ErrorCode:%d", entity.status());
      acutPrintf(win32::formatWide(u"ArxOperation::GetAllEntityIds中打开实体失败(错误代码:%d).",
                                   static_cast<int>(entity.status()))
                     .c_str());
      continue;
    }
    if (!layerId.isNull() && entity->layerId() != layerId) continue;
    EntityLink& link = readLink(links, *entity.get());
    if (withText) {
      if (const auto* text = AcDbText::cast(entity.get())) {
        link.name = text->textString();
      } else if (const auto* mtext = AcDbMText::cast(entity.get())) {
        link.name = mtext->text();
      }
    }
    if (link.mapObjectId == 0) continue;
    if (list) list->push_back(link);
    const std::uint64_t handle = entity->objectHandle().value();
    if (AcDbPoint::cast(entity.get())) {
      links.addMember(links.pointSets(), link.mapObjectId, handle, link);
    } else if (link.isMember && (AcDbPolyline::cast(entity.get()) || AcDb3dPolyline::cast(entity.get()))) {
      links.addMember(links.joinedLines(), link.mapObjectId, handle, link);
    }
  }
  return Acad::eOk;
}

// ---------------------------------------------------------------------------- saving

int saveLinks() {
  int count = 0;
  for (DocIdManager* s : g_states.all()) count += static_cast<int>(s->links.pendingHandles().size());
  if (count == 0) return 0;
  SendingScope sending;
  SaveMeter meter(count);
  int done = 0;
  int written = 0;
  for (DocIdManager* s : g_states.all()) written += SavePending(*s, meter, done);
  return written;
}

}  // namespace vurk
