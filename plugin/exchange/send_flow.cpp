#include "exchange/send_flow.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "arx/acdocman.h"
#include "arx/aced.h"
#include "arx/axlock.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbsymtb.h"
#include "coords/coordinate_state.h"
#include "exchange/doc_id_manager.h"
#include "exchange/entity_encoder.h"
#include "exchange/folder_tree.h"
#include "exchange/link_record.h"
#include "exchange/map_scale.h"
#include "exchange/object_stream.h"
#include "exchange/opened_object.h"
#include "exchange/record_layouts.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "hostlink/notification_window.h"
#include "hostlink/request_catalogue.h"
#include "mfc/afxmsg.h"
#include "reactors/view_record.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "util/byte_io.h"

namespace vurk {

namespace {

constexpr auto kFolderKind = static_cast<std::uint32_t>(RecordKind::Folder);
constexpr std::size_t kProgressThreshold = 1000;
constexpr std::uint32_t kDeleteWithContents = 3;
constexpr int kSetLocationTimeoutMs = 1;

// What an entry of the send was, by the key its header carries.
enum EntryKind : std::uint8_t { kEntityEntry = 1, kGroupEntry = 2 };

// The send under way: what the host's answers are matched against.
struct SendContext {
  DocIdManager* state = nullptr;
  std::uint32_t documentFolder = 0;
  bool foldersAdded = false;
  bool meterShown = false;
  // entityKey -> the kinds of entries sent with it (a group key may equal a handle).
  std::unordered_map<std::uint64_t, std::uint8_t> sent;
  int assigned = 0;
};

SendContext* g_send = nullptr;

// The status-bar meter "发送数据", shown for big sends and restored on every way out.
class SendMeter {
 public:
  explicit SendMeter(bool show) : shown_(show && acedSetStatusBarProgressMeter(u"发送数据", 0, 100) == 0) {}
  ~SendMeter() {
    if (shown_) acedRestoreStatusBar();
  }
  SendMeter(const SendMeter&) = delete;
  SendMeter& operator=(const SendMeter&) = delete;
  bool shown() const { return shown_; }
  void position(int p) const {
    if (shown_) acedSetStatusBarProgressMeterPos(p);
  }

 private:
  bool shown_;
};

// The end of every send, whichever way it leaves: the send's context goes, and the flag that
// keeps the reactors off the plug-in's own edits is cleared 100 ms later (timer 1005), after
// the notifications the send caused have passed.
class SendScope {
 public:
  explicit SendScope(SendContext& context) : previous_(std::exchange(g_send, &context)), context_(context) {}
  ~SendScope() {
    context_.foldersAdded = false;
    g_send = previous_;
    if (CurrentHostLink()) {
      if (CMessageDlg* window = NotificationWindow()) window->PostMessage(kMsgClearSendingSoon);
    }
  }
  SendScope(const SendScope&) = delete;
  SendScope& operator=(const SendScope&) = delete;

 private:
  SendContext* previous_;
  SendContext& context_;
};

void SetSendingFlag() {
  if (CurrentHostLink()) Flags().sendingFlag = true;
}

struct LayerEntities {
  std::u16string name;
  std::uint64_t layerHandle = 0;
  std::vector<AcDbObjectId> ids;
};

// Groups the entities by layer, layers in the order first met.
class LayerGrouping {
 public:
  void add(const AcDbEntity& e, AcDbObjectId id) {
    const AcDbObjectId layerId = e.layerId();
    auto [it, added] = index_.try_emplace(layerId.handle().value(), layers_.size());
    if (added) layers_.push_back({e.layer(), layerId.handle().value(), {}});
    layers_[it->second].ids.push_back(id);
  }
  std::vector<LayerEntities> take() { return std::move(layers_); }

 private:
  std::unordered_map<std::uint64_t, std::size_t> index_;
  std::vector<LayerEntities> layers_;
};

// The pickfirst selection of the current drawing by layer; the selection is cleared.
std::vector<LayerEntities> PickfirstByLayer(AcDbDatabase* db, int& count) {
  count = 0;
  AcAxDocLock lock(db);
  ads_name set{};
  if (acedSSGet(u"I", nullptr, nullptr, nullptr, set) != RTNORM) return {};
  LayerGrouping grouping;
  Adesk::Int32 length = 0;
  if (acedSSLength(set, &length) == RTNORM) {
    for (Adesk::Int32 i = 0; i < length; ++i) {
      ads_name entity{};
      AcDbObjectId id;
      if (acedSSName(set, i, entity) != RTNORM || acdbGetObjectId(id, entity) != Acad::eOk) continue;
      OpenedObject<AcDbEntity> e(id, AcDb::kForRead);
      if (!e) continue;
      grouping.add(*e.get(), id);
      ++count;
    }
  }
  acedSSFree(set);
  acedSSSetFirst(nullptr, nullptr);
  return grouping.take();
}

// sendEntities leaves out what is too small to be seen on a map and sits at the origin (the
// leftovers of commands that build at 0,0).
bool TinyAtOrigin(const AcDbEntity& e) {
  if (AcDbPoint::cast(&e)) return false;
  AcDbExtents ext;
  if (e.getGeomExtents(ext) != Acad::eOk) return false;
  const double width = std::fabs(ext.maxPoint().x - ext.minPoint().x);
  return width < 0.2 && ext.minPoint().x < 0.2 && ext.minPoint().y < 0.2;
}

std::vector<LayerEntities> ListByLayer(const AcDbObjectIdArray& ids, int& count) {
  count = 0;
  LayerGrouping grouping;
  for (AcDbObjectId id : ids) {
    OpenedObject<AcDbEntity> e(id, AcDb::kForRead);
    if (!e || TinyAtOrigin(*e.get())) continue;
    grouping.add(*e.get(), id);
    ++count;
  }
  return grouping.take();
}

std::u16string DocumentName(const DocIdManager& state) {
  const AcApDocument* doc = state.document();
  if (doc && doc->docTitle()) return doc->docTitle();
  const std::u16string& file = state.fileName();
  const std::size_t slash = file.find_last_of(u"\\/");
  return slash == std::u16string::npos ? file : file.substr(slash + 1);
}

// The entity keys of the entries appended to the stream after `from`.
std::vector<std::uint64_t> EntryKeys(const ObjectStream& stream, std::int32_t from) {
  namespace H = object_header_layout;
  std::vector<std::uint64_t> keys;
  const auto bytes = stream.bytes();
  std::size_t at = static_cast<std::size_t>(from);
  while (at + H::kSize <= bytes.size()) {
    const std::uint32_t body = getU32le(bytes, at + H::kBodyLength);
    keys.push_back(getU64le(bytes, at + H::kEntityKey));
    at += H::kSize + body;
  }
  return keys;
}

int SendStream(ObjectStream& stream, std::uint32_t documentFolder) {
  FinishObjectStream(stream, documentFolder);
  std::vector<std::uint8_t> payload = stream.take();
  const int status = SetObjTree(payload, true);
  if (status < 0) ShowHostError(status, kSetObjTreeErr, true);
  return status;
}

// The folders pass: a FolderRecord for every layer whose folder the host does not have.
void FoldersPass(SendContext& ctx, const std::u16string& documentName, const std::vector<LayerEntities>& layers,
                 SendSummary& summary) {
  DocIdManager& state = *ctx.state;
  auto& list = state.links.sendLayerLinks();
  list.clear();
  ObjectStream stream = StartObjectStream(ctx.documentFolder);
  for (const LayerEntities& layer : layers) {
    if (layer.ids.empty() || layerLinkCheck(state, layer.name) != 0) continue;
    const std::uint32_t found = layerFolder(documentName, layer.name, false);
    SendLayerLink entry;
    entry.link = FreshLink(layer.layerHandle);
    entry.link.parentFolderId = ctx.documentFolder;
    entry.link.name = layer.name;
    entry.link.stored = found != 0 ? 1 : 0;
    if (found == 0) {
      FolderRecord folder = createFolderRecord();
      folder.name = FolderName(layer.name);
      EntityLink header = entry.link;
      if (appendEntry(stream, folder, header)) {
        entry.sentAsFolder = true;
        ctx.foldersAdded = true;
        ++summary.foldersAdded;
      }
    }
    list.push_back(std::move(entry));
  }
  if (ctx.foldersAdded) SendStream(stream, ctx.documentFolder);
  ctx.foldersAdded = false;
}

// A folders-pass header: the layer link sent with the same layer handle gets its folder.
void AssignLayerFolder(SendContext& ctx, const AssignedObject& h) {
  DocIdManager& state = *ctx.state;
  for (SendLayerLink& entry : state.links.sendLayerLinks()) {
    if (!entry.sentAsFolder || entry.link.entityKey != h.entityKey) continue;
    if (h.mapObjectId <= 0) return;
    entry.link.mapObjectId = h.mapObjectId;
    Folders().enterLayer(ctx.documentFolder, entry.link.name, static_cast<std::uint32_t>(h.mapObjectId));
    registerFolder(entry.link.name, static_cast<std::uint32_t>(h.mapObjectId), false);
    {
      AcAxDocLock lock(state.database());
      if (writeLayerLink(state.database(), entry.link.name, h.mapObjectId) == Acad::eOk) {
        EntityLink& cached = state.links.setLinkId(h.entityKey, h.mapObjectId, false);
        cached.name = entry.link.name;
        cached.parentFolderId = ctx.documentFolder;
        cached.stored = 1;
      } else {
        state.links.setLinkId(h.entityKey, h.mapObjectId, false);
      }
    }
    ++ctx.assigned;
    return;
  }
}

// A link source that remembers the temporary keys it hands out, so the send can register the
// new points of a point set under their key.
class SendLinkSource : public DocumentLinkSource {
 public:
  using DocumentLinkSource::DocumentLinkSource;
  std::uint32_t newTemporaryKey() override {
    last_ = DocumentLinkSource::newTemporaryKey();
    return last_;
  }
  std::uint32_t takeLastKey() { return std::exchange(last_, 0); }

 private:
  std::uint32_t last_ = 0;
};

// The map level the current view shows: the level whose ground resolution is nearest to the
// view's units per pixel (the send only reads it; the view is not changed).
std::uint32_t CurrentViewLevel() {
  constexpr std::uint32_t kFallbackLevel = 5;
  ViewRecord view;
  if (!CurrentHostLink() || !GetViewRecord(view, 1.0) || view.screenWidth <= 0) return kFallbackLevel;
  const double unitsPerPixel = (view.maxX - view.minX) / view.screenWidth;
  const auto& levels = Answers().levels.levels;
  std::uint32_t best = kFallbackLevel;
  double bestRatio = 0;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    if (!(levels[i].east > 0) || !(unitsPerPixel > 0)) continue;
    const double r = unitsPerPixel / levels[i].east;
    const double distance = std::fabs(std::log(r));
    if (bestRatio == 0 || distance < bestRatio) {
      bestRatio = distance == 0 ? 1e-300 : distance;
      best = static_cast<std::uint32_t>(i + 1);
    }
  }
  return best;
}

// The objects pass: every entity of every layer into one stream, then one SetObjTree.
void ObjectsPass(SendContext& ctx, const std::u16string& documentName, const std::vector<LayerEntities>& layers,
                 int entityCount, SendSummary& summary) {
  DocIdManager& state = *ctx.state;
  AcDbDatabase* db = state.database();
  const SettingsStore* settings = CurrentSettings();
  ObjectStream stream = StartObjectStream(ctx.documentFolder);
  SendMeter meter(static_cast<std::size_t>(entityCount) > kProgressThreshold);
  ctx.meterShown = meter.shown();
  SendLinkSource source(state.links);
  PatternLists patterns;
  EncodeSession session(stream, source, patterns, db);
  session.mapScale = RequestMapScale();
  if (settings) {
    session.settings.pointsAsIcons = settings->record().pointsAsIcons != 0;
    session.settings.labelTextHeight = settings->record().labelTextHeight;
  }
  AcDbObjectId last;
  {
    AcAxDocLock lock(db);
    for (const LayerEntities& layer : layers) {
      std::uint32_t folder = layerLinkCheck(state, layer.name);
      if (folder == 0) folder = layerFolder(documentName, layer.name, true);
      EntityLink layerTemplate = FreshLink();
      layerTemplate.parentFolderId = folder;
      for (AcDbObjectId id : layer.ids) {
        OpenedObject<AcDbEntity> e(id, AcDb::kForWrite);
        if (!e) continue;
        EntityLink& link = readLink(state.links, *e.get());
        FillLabelName(*e.get(), link);
        link.parentFolderId = folder;
        encodeEntity(*e.get(), session, link);
        if (session.lastOutcome.kind == EncodeOutcome::Encoded) ctx.sent[link.entityKey] |= kEntityEntry;
        last = id;
      }
      const std::vector<AcDbHandle> deferred = session.deferredPoints;
      const std::int32_t before = stream.used();
      if (session.deferredPoints.size() > 1) encodePointSet(session, layerTemplate);
      session.deferredPoints.clear();
      if (const std::uint32_t key = source.takeLastKey()) {
        // The new points of the layer became one set under a temporary key.
        EntityLink groupLink = FreshLink(key);
        groupLink.parentFolderId = folder;
        for (const AcDbHandle& h : deferred) {
          const EntityLink* cached = state.links.find(h.value());
          if (cached && cached->mapObjectId == 0) {
            state.links.addMember(state.links.pointSets(), static_cast<std::int32_t>(key), h.value(), groupLink);
          }
        }
      }
      if (!session.deferredJoinedPolylines.empty()) encodeJoinedPolylines(session, layerTemplate);
      for (std::uint64_t key : EntryKeys(stream, before)) ctx.sent[key] |= kGroupEntry;
    }
  }
  summary.ran = true;
  if (!StreamHasEntries(stream)) return;
  summary.records = static_cast<int>(EntryKeys(stream, object_stream_layout::kEntries).size());
  if (!session.groupIdsToDelete.empty()) {
    // A group sent again replaces its old objects: they go first.
    const int deleted = DelObj(session.groupIdsToDelete, kDeleteWithContents);
    if (deleted < 0) ShowHostError(deleted, kDelObjErr, true);
  }
  meter.position(10);
  summary.status = SendStream(stream, ctx.documentFolder);
  patterns.endOfSend();
  if (summary.status < 0) return;

  const std::uint32_t follow = settings ? settings->record().viewFollowMode : 0;
  if ((follow == 1 || follow == 3) && !last.isNull()) {
    OpenedObject<AcDbEntity> e(last, AcDb::kForRead);
    AcDbExtents ext;
    if (e && e->getGeomExtents(ext) == Acad::eOk) {
      const double x = (ext.minPoint().x + ext.maxPoint().x) / 2;
      const double y = (ext.minPoint().y + ext.maxPoint().y) / 2;
      if (std::isfinite(x) && std::isfinite(y) && (std::fabs(x) > 2 || std::fabs(y) > 2)) {
        const int status = SetLocation(y, x, CurrentViewLevel(), kSetLocationTimeoutMs);
        if (status < 0) ShowHostError(status, kSetLocationErr, false);
      }
    }
  }
}

// Steps 1 to 3 of both flows: the zone check, the folder tree, the workspace and the
// drawing's folder. 0 when the send stops.
std::uint32_t PrepareFolders(const std::u16string& documentName) {
  if (!CheckZoneConsistency(true) || !loadFolderTree()) return 0;
  const std::uint32_t workspace = findFolder(kWorkspaceFolder, 0, true);
  if (workspace == 0) {
    AfxMessageBox(u"无法在星衡中创建[CAD工作空间]！", MB_OK);
    return 0;
  }
  return findFolder(documentName, workspace, true);
}

}  // namespace

SendSummary sendSelection() {
  SendSummary summary;
  DocIdManager* state = CurrentDocState();
  if (!state || !state->database()) return summary;
  SendContext ctx;
  ctx.state = state;
  SendScope scope(ctx);
  const std::u16string documentName = DocumentName(*state);
  ctx.documentFolder = PrepareFolders(documentName);
  if (ctx.documentFolder == 0) return summary;
  const std::vector<LayerEntities> layers = PickfirstByLayer(state->database(), summary.entities);
  if (summary.entities == 0) {
    AfxMessageBox(u"请选择(Ctrl+A全选)对象后再发送对象！", MB_OK);
    return summary;
  }
  SetSendingFlag();
  FoldersPass(ctx, documentName, layers, summary);
  ObjectsPass(ctx, documentName, layers, summary.entities, summary);
  summary.assigned = ctx.assigned;
  return summary;
}

SendSummary sendEntities(const AcDbObjectIdArray& ids) {
  SendSummary summary;
  DocIdManager* state = CurrentDocState();
  if (!state || !state->database() || ids.isEmpty()) return summary;
  SendContext ctx;
  ctx.state = state;
  SendScope scope(ctx);
  const std::u16string documentName = DocumentName(*state);
  ctx.documentFolder = PrepareFolders(documentName);
  if (ctx.documentFolder == 0) return summary;
  std::vector<LayerEntities> layers;
  {
    AcAxDocLock lock(state->database());
    layers = ListByLayer(ids, summary.entities);
  }
  if (summary.entities == 0) return summary;
  SetSendingFlag();
  ObjectsPass(ctx, documentName, layers, static_cast<int>(ids.length()), summary);
  summary.assigned = ctx.assigned;
  return summary;
}

void onObjectsAssigned(const std::vector<AssignedObject>& headers) {
  SendContext* ctx = g_send;
  if (!ctx || !ctx->state) return;
  if (ctx->meterShown) acedSetStatusBarProgressMeterPos(90);
  DocumentLinks& links = ctx->state->links;
  for (const AssignedObject& h : headers) {
    if (ctx->foldersAdded && h.kind == kFolderKind) {
      AssignLayerFolder(*ctx, h);
      continue;
    }
    if (h.entityKey < 1 || h.mapObjectId == 0) continue;
    const auto it = ctx->sent.find(h.entityKey);
    if (it == ctx->sent.end()) continue;
    if ((it->second & kGroupEntry) != 0) {
      const auto key = static_cast<std::int32_t>(h.entityKey);
      if (h.mapObjectId == key || links.rekeyGroup(key, h.mapObjectId)) {
        ++ctx->assigned;
        continue;
      }
    }
    if ((it->second & kEntityEntry) != 0) {
      links.setLinkId(h.entityKey, h.mapObjectId, false);
      ++ctx->assigned;
    }
  }
  if (ctx->meterShown) acedSetStatusBarProgressMeterPos(100);
}

}  // namespace vurk
