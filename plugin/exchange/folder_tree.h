// The host folders the drawings' objects go into: "CAD工作空间" at the root, one folder per
// drawing under it and one folder per layer under that; and the host requests that find, list,
// create and check them.
//
// Each request returns its own answer: the host answers inside the request, possibly while
// another request of the plug-in is still waiting for its own, so every call keeps the answers
// of the calls around it apart. Loops over folders walk a copy and apply what they learn after
// it, so nothing they walk changes under them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "hostlink/reply_decoders.h"

namespace vurk {

class DocIdManager;

// The workspace folder's name.
inline constexpr const char16_t* kWorkspaceFolder = u"CAD工作空间";

struct LayerFolder {
  std::u16string name;
  std::uint32_t id = 0;
  bool exists = true;
};

struct DocumentFolder {
  std::u16string name;
  std::uint32_t id = 0;
  std::vector<LayerFolder> layers;
};

// The folders known from the host, for the life of the loaded plug-in (until reset).
class FolderTree {
 public:
  bool loaded() const { return loaded_; }
  void setLoaded() { loaded_ = true; }
  std::uint32_t workspaceId() const { return workspaceId_; }
  void setWorkspace(std::uint32_t id);
  // Forgets everything (the workspace folder is gone from the host).
  void reset();

  const std::vector<DocumentFolder>& documents() const { return documents_; }
  const DocumentFolder* document(const std::u16string& name) const;
  // Enters (or updates) a document folder, or a layer folder of one.
  void enterDocument(const std::u16string& name, std::uint32_t id);
  void enterLayer(std::uint32_t documentId, const std::u16string& name, std::uint32_t id);
  // Host folder id → name.
  void registerName(std::uint32_t id, const std::u16string& name);
  const std::u16string* folderName(std::uint32_t id) const;

 private:
  bool loaded_ = false;
  std::uint32_t workspaceId_ = 0;
  std::vector<DocumentFolder> documents_;
  std::unordered_map<std::uint32_t, std::u16string> names_;
};

// The process-wide tree.
FolderTree& Folders();

// ---- host requests, each with its own answer
// GetObjList: the folders in the folder (other kinds are dropped); nothing when the request
// failed (reported in a box with the prefix).
std::optional<std::vector<FolderListEntry>> RequestFolderList(std::uint32_t folderId, std::u16string_view prefix);
// SrhObj for a folder by name under the parent: its id, 0 when not found or failed (reported).
std::uint32_t SearchFolder(const std::u16string& name, std::uint32_t parent);
// GetObj for an object that should be a folder: its id when the host has it as a folder, else 0
// (a failure is reported on the command line).
std::uint32_t RequestFolder(std::uint32_t id);
// AddObj of a new folder under the parent (the root for 0): its id, 0 on failure (reported).
std::uint32_t AddFolder(const std::u16string& name, std::uint32_t parent);

// ---- the tree
// The folder with the name under the parent, searched in the host and created when asked. A
// workspace that is not found resets the tree; a folder found or created under the workspace
// or a document folder is entered into the tree.
std::uint32_t findFolder(const std::u16string& name, std::uint32_t parent, bool create);
// Loads the tree once: the workspace (created when missing), its document folders and their
// layer folders. False when the workspace cannot be had or a listing failed.
bool loadFolderTree();
// The layer's folder under the drawing's folder, each verified in the host and created when
// asked; the workspace id for an empty document or layer name; 0 on failure.
std::uint32_t layerFolder(const std::u16string& documentName, const std::u16string& layerName, bool create);
// Enters a folder received from the host into the id → name table; with createLayer a layer of
// that name is made in the working drawing.
void registerFolder(const std::u16string& name, std::uint32_t id, bool createLayer);

// The layer link check: the folder the layer's link names, when the host still has it; 0 when
// the layer has no link with a folder id or the host no longer has that folder.
std::uint32_t layerLinkCheck(DocIdManager& state, const std::u16string& layerName);

// An erased entity: its link leaves the drawing's state, and the host deletes its map object
// when no other live entity of the drawing carries it (DelObj, no flags; a failure is reported
// on the command line). The id deleted, or 0.
std::int32_t deleteLinkedObject(DocIdManager& state, std::uint64_t handle);

}  // namespace vurk
