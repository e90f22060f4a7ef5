// DocIdManager: the plug-in's state of one open drawing, and the set of them.
//
// One state per open document, created when the document is created or opened (or at start-up
// for the drawings already open) and removed when it is destroyed. States are found by their
// document, or by the database of an object (a database reactor uses the state of the object's
// own drawing, whichever drawing is current). The link state lives here; the other features
// keep their per-drawing state beside it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "arx/acadstrc.h"
#include "exchange/document_links.h"
#include "exchange/entity_link.h"

class AcApDocument;
class AcDbDatabase;

namespace vurk {

class DocIdManager {
 public:
  explicit DocIdManager(AcApDocument* document);
  DocIdManager(const DocIdManager&) = delete;
  DocIdManager& operator=(const DocIdManager&) = delete;

  AcApDocument* document() const { return document_; }
  AcDbDatabase* database() const;
  // The document's file name as it was when the state was made (full path, or "DrawingN.dwg").
  const std::u16string& fileName() const { return fileName_; }
  // The document key of the settings' [FILE_MD5] section (PathKey of the file name).
  std::uint64_t documentKey() const;

  DocumentLinks links;

 private:
  AcApDocument* document_;
  std::u16string fileName_;
};

class DocumentStates {
 public:
  DocIdManager* find(const AcApDocument* document) const;
  DocIdManager* findByDatabase(const AcDbDatabase* db) const;
  // The document's state, created (empty) when missing; null for a null document.
  DocIdManager* findOrCreate(AcApDocument* document, bool* created = nullptr);
  void remove(const AcApDocument* document);
  void clear();
  std::size_t size() const { return states_.size(); }
  // Every state, in creation order.
  std::vector<DocIdManager*> all() const;

  DocIdManager* current() const { return current_; }
  void setCurrent(DocIdManager* state) { current_ = state; }

 private:
  std::vector<std::unique_ptr<DocIdManager>> states_;
  DocIdManager* current_ = nullptr;
};

// The process-wide set (empty outside start-up … unload).
DocumentStates& DocStates();
// The current drawing's state, or null.
DocIdManager* CurrentDocState();

// Finds or creates the document's state and, when it was created, reads its links from the
// drawing (collectLinks with the entities' texts as names): the links enter the cache as
// stored and the id tables and group registries are filled. The state becomes current. A
// document that cannot get a state shows "初始化失败！ DocIdManager==NULL" and leaves no current
// state.
DocIdManager* openDocumentState(AcApDocument* document);

// Gathers the links of model space's entities (on the layer, when one is named) of the state's
// drawing through its cache, under a write lock of that drawing. withText: the link name of a
// TEXT or MTEXT becomes its text. Linked entities are appended to `list` when given; points are
// registered in the point-set registry and linked member polylines in the multi-piece line
// registry under their map object id. eOk, or the status that stopped it (reported in a box).
Acad::ErrorStatus collectLinks(DocIdManager& state, std::vector<EntityLink>* list, bool withText,
                               const std::u16string& layerName);

// Writes every cached link that is not stored yet, in every open drawing, each under a write
// lock of its own drawing; a link becomes stored only when it was written. Shows the status-bar
// meter "正在保存xData数据" while it works. Returns the number of links written.
int saveLinks();

}  // namespace vurk
