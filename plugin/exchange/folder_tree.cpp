#include "exchange/folder_tree.h"

#include <algorithm>
#include <utility>

#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"
#include "exchange/doc_id_manager.h"
#include "exchange/map_record.h"
#include "exchange/opened_object.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "hostlink/request_catalogue.h"
#include "util/byte_io.h"

namespace vurk {

namespace {

FolderTree g_tree;

constexpr std::uint32_t kFolderKind = 30;
constexpr std::u16string_view kGetObjListLayersErr = u"GetVurkObjListErr::";

// The 532-byte folder search record.
namespace search_record {
constexpr std::size_t kSize = 532;
constexpr std::size_t kFive = 4;       // u32 5
constexpr std::size_t kKind = 8;       // u32 30: folders
constexpr std::size_t kParent = 12;    // u32 parent id
constexpr std::size_t kOne = 20;       // u32 1
constexpr std::size_t kName = 28;      // UTF-8, at most 99 bytes
}  // namespace search_record

// The answers the host leaves for one request: the caller's own, cleared before the request;
// whatever an enclosing request had received is put back afterwards.
class OwnAnswers {
 public:
  OwnAnswers() : a_(Answers()) {
    saved_.foundObjectId = std::exchange(a_.foundObjectId, 0);
    saved_.foundFolderId = std::exchange(a_.foundFolderId, 0);
    saved_.searchedFolderName = std::exchange(a_.searchedFolderName, {});
    saved_.folderList = std::exchange(a_.folderList, {});
  }
  ~OwnAnswers() {
    a_.foundObjectId = saved_.foundObjectId;
    a_.foundFolderId = saved_.foundFolderId;
    a_.searchedFolderName = std::move(saved_.searchedFolderName);
    a_.folderList = std::move(saved_.folderList);
  }
  OwnAnswers(const OwnAnswers&) = delete;
  OwnAnswers& operator=(const OwnAnswers&) = delete;
  HostAnswers& answers() { return a_; }

 private:
  HostAnswers& a_;
  HostAnswers saved_;
};

std::uint32_t EnterFound(const std::u16string& name, std::uint32_t parent, std::uint32_t id) {
  if (id == 0 || parent == 0) return id;
  g_tree.registerName(id, name);
  if (parent == g_tree.workspaceId()) {
    g_tree.enterDocument(name, id);
  } else {
    g_tree.enterLayer(parent, name, id);
  }
  return id;
}

}  // namespace

// ---------------------------------------------------------------------------- FolderTree

void FolderTree::setWorkspace(std::uint32_t id) { workspaceId_ = id; }

void FolderTree::reset() { *this = FolderTree(); }

const DocumentFolder* FolderTree::document(const std::u16string& name) const {
  for (const auto& d : documents_) {
    if (d.name == name) return &d;
  }
  return nullptr;
}

void FolderTree::enterDocument(const std::u16string& name, std::uint32_t id) {
  registerName(id, name);
  for (auto& d : documents_) {
    if (d.name == name) {
      if (d.id != id) d.layers.clear();
      d.id = id;
      return;
    }
  }
  documents_.push_back({name, id, {}});
}

void FolderTree::enterLayer(std::uint32_t documentId, const std::u16string& name, std::uint32_t id) {
  registerName(id, name);
  for (auto& d : documents_) {
    if (d.id != documentId) continue;
    for (auto& l : d.layers) {
      if (l.name == name) {
        l.id = id;
        l.exists = true;
        return;
      }
    }
    d.layers.push_back({name, id, true});
    return;
  }
}

void FolderTree::registerName(std::uint32_t id, const std::u16string& name) {
  if (id != 0) names_[id] = name;
}

const std::u16string* FolderTree::folderName(std::uint32_t id) const {
  const auto it = names_.find(id);
  return it == names_.end() ? nullptr : &it->second;
}

FolderTree& Folders() { return g_tree; }

// ---------------------------------------------------------------------------- requests

std::optional<std::vector<FolderListEntry>> RequestFolderList(std::uint32_t folderId, std::u16string_view prefix) {
  OwnAnswers own;
  const int status = GetObjList(folderId);
  if (status < 0) {
    ShowHostError(status, prefix, true);
    return std::nullopt;
  }
  std::vector<FolderListEntry> folders;
  for (auto& e : own.answers().folderList) {
    if (e.kind == kFolderKind && e.id != 0) folders.push_back(std::move(e));
  }
  return folders;
}

std::uint32_t SearchFolder(const std::u16string& name, std::uint32_t parent) {
  std::vector<std::uint8_t> record(search_record::kSize, 0);
  putU32le(record, search_record::kFive, 5);
  putU32le(record, search_record::kKind, kFolderKind);
  putU32le(record, search_record::kParent, parent);
  putU32le(record, search_record::kOne, 1);
  const std::string utf8 = FolderName(name);
  std::copy(utf8.begin(), utf8.end(), record.begin() + search_record::kName);
  OwnAnswers own;
  own.answers().searchedFolderName = utf8;
  const int status = SrhObj(record);
  if (status < 0) {
    ShowHostError(status, kSrhObjErr, true);
    return 0;
  }
  if (own.answers().foundObjectId != 0) return own.answers().foundObjectId;
  return own.answers().foundFolderId;
}

std::uint32_t RequestFolder(std::uint32_t id) {
  if (id == 0) return 0;
  OwnAnswers own;
  const int status = GetObj(id);
  if (status < 0) {
    ShowHostError(status, kGetObjErr, false);
    return 0;
  }
  return own.answers().foundFolderId;
}

std::uint32_t AddFolder(const std::u16string& name, std::uint32_t parent) {
  FolderRecord folder = createFolderRecord();
  folder.name = FolderName(name);
  const auto body = serialiseRecord(folder);
  if (!body) return 0;
  std::int32_t newId = 0;
  const int status = AddObj(static_cast<std::uint8_t>(kFolderKind), *body, parent, 0, 0, &newId);
  if (status < 0) {
    ShowHostError(status, u"", true);
    return 0;
  }
  // Folders are parents of what is sent: only a positive id can be one.
  return newId > 0 ? static_cast<std::uint32_t>(newId) : 0;
}

// ---------------------------------------------------------------------------- the tree

std::uint32_t findFolder(const std::u16string& name, std::uint32_t parent, bool create) {
  std::uint32_t id = SearchFolder(name, parent);
  if (id != 0) return EnterFound(name, parent, id);
  if (parent == 0) g_tree.reset();
  if (!create) return 0;
  id = AddFolder(name, parent);
  return EnterFound(name, parent, id);
}

bool loadFolderTree() {
  if (g_tree.loaded()) return true;
  const std::uint32_t workspace = findFolder(kWorkspaceFolder, 0, true);
  if (workspace == 0) return false;
  g_tree.setWorkspace(workspace);
  g_tree.registerName(workspace, kWorkspaceFolder);
  const auto documents = RequestFolderList(workspace, kGetObjListErr);
  if (!documents) return false;
  for (const auto& d : *documents) g_tree.enterDocument(HostText(d.name), d.id);
  // The listings below may bring more answers; the loop walks its own copy.
  const std::vector<DocumentFolder> snapshot = g_tree.documents();
  for (const auto& d : snapshot) {
    const auto layers = RequestFolderList(d.id, kGetObjListLayersErr);
    if (!layers) return false;
    for (const auto& l : *layers) g_tree.enterLayer(d.id, HostText(l.name), l.id);
  }
  g_tree.setLoaded();
  return true;
}

std::uint32_t layerFolder(const std::u16string& documentName, const std::u16string& layerName, bool create) {
  const std::uint32_t workspace = findFolder(kWorkspaceFolder, 0, create);
  if (workspace == 0) return 0;
  if (g_tree.workspaceId() != workspace) {
    // A new workspace: what was known under the old one is gone.
    g_tree.reset();
    g_tree.setWorkspace(workspace);
    g_tree.registerName(workspace, kWorkspaceFolder);
  }
  if (documentName.empty() || layerName.empty()) return workspace;
  const std::uint32_t document = findFolder(documentName, workspace, create);
  if (document == 0) return 0;
  return findFolder(layerName, document, create);
}

void registerFolder(const std::u16string& name, std::uint32_t id, bool createLayer) {
  g_tree.registerName(id, name);
  if (createLayer && !name.empty()) GetLayerId(name, true);
}

std::uint32_t layerLinkCheck(DocIdManager& state, const std::u16string& layerName) {
  AcDbDatabase* db = state.database();
  if (!db || layerName.empty()) return 0;
  AcDbLayerTable* layers = nullptr;
  if (db->getLayerTable(layers, AcDb::kForRead) != Acad::eOk) return 0;
  AcDbObjectId layerId;
  const Acad::ErrorStatus es = layers->getAt(layerName.c_str(), layerId);
  layers->close();
  if (es != Acad::eOk) return 0;
  OpenedObject<AcDbLayerTableRecord> layer(layerId, AcDb::kForRead);
  if (!layer) return 0;
  const EntityLink& link = readLink(state.links, *layer.get());
  if (link.mapObjectId <= 0) return 0;
  return RequestFolder(static_cast<std::uint32_t>(link.mapObjectId));
}

std::int32_t deleteLinkedObject(DocIdManager& state, std::uint64_t handle) {
  const ErasedLink erased = unlinkErased(state.links, state.database(), handle);
  if (erased.deleteId == 0) return 0;
  const std::uint32_t ids[] = {static_cast<std::uint32_t>(erased.deleteId)};
  const int status = DelObj(ids, 0);
  if (status < 0) ShowHostError(status, kDelObjErr, false);
  return erased.deleteId;
}

}  // namespace vurk
