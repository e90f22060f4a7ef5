// The host's object tree: folders and map objects with ids, names, parents, their record
// bodies exactly as received and their positions in longitude/latitude (map_geometry.h). The
// root folder has id 1; every other object lives in a folder.
//
// Ids are handed out from a configurable first value in a configurable step (101, 102, ... by
// default; a step of -1 from -150 gives ids below -100, which senders also take as ids). Ids in
// use, 0 and the root's id are never handed out twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/map_geometry.h"
#include "host/map_record.h"
#include "host/record_layouts.h"

namespace host {

class JsonWriter;

struct MapObject {
  std::int32_t id = 0;
  std::int32_t parent = 0;          // 0 only for the root
  RecordKind kind = RecordKind::Folder;
  std::string name;                 // UTF-8 as received
  std::vector<std::uint8_t> body;   // the record body as received (plane coordinates of its sender)
  Placement placement;              // its positions in longitude/latitude (none: not on the map)
  std::uint64_t entityKey = 0;      // the sender's key from the entry header, 0 when none
  std::uint64_t order = 0;          // creation order
  std::uint32_t updates = 0;        // times the object was replaced in place
  bool isGroup = false;
};

class ObjectStore {
 public:
  static constexpr std::int32_t kRootId = 1;

  ObjectStore();

  // first must not be 0 or the root id; step must not be 0.
  bool setIdNumbering(std::int32_t first, std::int32_t step);

  // Adds an object under a folder; returns its id, or nothing when the parent is not a folder.
  std::optional<std::int32_t> add(RecordKind kind, std::int32_t parent, std::vector<std::uint8_t> body,
                                  std::uint64_t entityKey = 0, Placement placement = {});
  // A folder of the host's own making.
  std::optional<std::int32_t> addFolder(std::int32_t parent, const std::string& name);
  // Replaces an object's record in place (same id); false when there is no such object or the
  // kind differs. A new parent, when given and a folder, moves the object.
  bool replace(std::int32_t id, RecordKind kind, std::vector<std::uint8_t> body, std::optional<std::int32_t> parent,
               std::uint64_t entityKey = 0, Placement placement = {});
  // Removes an object; a folder that still holds objects is removed only withContents (then
  // with everything below it). Returns the number of objects removed.
  std::size_t remove(std::int32_t id, bool withContents);

  const MapObject* find(std::int32_t id) const;
  bool isFolder(std::int32_t id) const;
  // Direct children in creation order.
  std::vector<const MapObject*> children(std::int32_t parent) const;
  // Direct children with that exact name (and kind, when given), in creation order.
  std::vector<const MapObject*> findByName(std::int32_t parent, const std::string& name,
                                           std::optional<RecordKind> kind) const;
  std::size_t size() const { return objects_.size(); }
  // The folder names from below the root down to the object's folder, joined by '/'.
  std::string folderPath(std::int32_t id) const;
  // Every object in tree order (folders before their contents), the root excluded.
  std::vector<const MapObject*> inTreeOrder() const;

  void writeJson(JsonWriter& json) const;
  std::string describe() const;

 private:
  std::int32_t nextId();
  void writeJsonNode(JsonWriter& json, const MapObject& o) const;
  void describeNode(std::string& out, const MapObject& o, int depth) const;

  std::map<std::int32_t, MapObject> objects_;
  std::int32_t next_ = 101;
  std::int32_t step_ = 1;
  std::uint64_t order_ = 0;
};

}  // namespace host
