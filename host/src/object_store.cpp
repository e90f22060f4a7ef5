#include "host/object_store.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "host/json_writer.h"
#include "host/object_stream_json.h"

namespace host {

ObjectStore::ObjectStore() {
  MapObject root;
  root.id = kRootId;
  root.kind = RecordKind::Folder;
  root.name = "我的地图";
  root.body = makeFolderRecord(root.name, 0, false);
  root.order = order_++;
  objects_[kRootId] = std::move(root);
}

bool ObjectStore::setIdNumbering(std::int32_t first, std::int32_t step) {
  if (first == 0 || first == kRootId || step == 0) return false;
  next_ = first;
  step_ = step;
  return true;
}

std::int32_t ObjectStore::nextId() {
  for (;;) {
    const std::int32_t id = next_;
    const std::int64_t following = static_cast<std::int64_t>(next_) + step_;
    next_ = (following > std::numeric_limits<std::int32_t>::max() || following < std::numeric_limits<std::int32_t>::min())
                ? (step_ > 0 ? 2 : -101)
                : static_cast<std::int32_t>(following);
    if (id != 0 && id != kRootId && objects_.count(id) == 0) return id;
  }
}

std::optional<std::int32_t> ObjectStore::add(RecordKind kind, std::int32_t parent, std::vector<std::uint8_t> body,
                                             std::uint64_t entityKey, Placement placement) {
  if (!isFolder(parent)) return std::nullopt;
  const auto info = readRecordBody(kind, body);
  MapObject o;
  o.id = nextId();
  o.parent = parent;
  o.kind = kind;
  o.name = info ? info->name : std::string();
  o.isGroup = info && info->isGroup;
  o.body = std::move(body);
  o.placement = std::move(placement);
  o.entityKey = entityKey;
  o.order = order_++;
  const std::int32_t id = o.id;
  objects_[id] = std::move(o);
  return id;
}

std::optional<std::int32_t> ObjectStore::addFolder(std::int32_t parent, const std::string& name) {
  return add(RecordKind::Folder, parent, makeFolderRecord(name, 0, false));
}

bool ObjectStore::replace(std::int32_t id, RecordKind kind, std::vector<std::uint8_t> body,
                          std::optional<std::int32_t> parent, std::uint64_t entityKey, Placement placement) {
  const auto it = objects_.find(id);
  if (it == objects_.end() || it->second.kind != kind || id == kRootId) return false;
  MapObject& o = it->second;
  const auto info = readRecordBody(kind, body);
  o.name = info ? info->name : std::string();
  o.isGroup = info && info->isGroup;
  o.body = std::move(body);
  o.placement = std::move(placement);
  if (entityKey != 0) o.entityKey = entityKey;
  // A folder is never moved into itself or below itself.
  if (parent && *parent != id && isFolder(*parent)) {
    bool cycle = false;
    for (std::int32_t p = *parent; p != 0; p = objects_.at(p).parent) cycle = cycle || p == id;
    if (!cycle) o.parent = *parent;
  }
  ++o.updates;
  return true;
}

std::size_t ObjectStore::remove(std::int32_t id, bool withContents) {
  const auto found = objects_.find(id);
  if (id == kRootId || found == objects_.end()) return 0;
  // Only folders hold objects: a map object goes without a look through the whole store.
  if (found->second.kind != RecordKind::Folder) {
    objects_.erase(found);
    return 1;
  }
  const auto kids = children(id);
  if (!kids.empty() && !withContents) return 0;
  std::size_t n = 0;
  std::vector<std::int32_t> childIds;
  for (const MapObject* c : kids) childIds.push_back(c->id);
  for (const std::int32_t c : childIds) n += remove(c, true);
  objects_.erase(id);
  return n + 1;
}

const MapObject* ObjectStore::find(std::int32_t id) const {
  const auto it = objects_.find(id);
  return it == objects_.end() ? nullptr : &it->second;
}

bool ObjectStore::isFolder(std::int32_t id) const {
  const MapObject* o = find(id);
  return o && o->kind == RecordKind::Folder;
}

std::vector<const MapObject*> ObjectStore::children(std::int32_t parent) const {
  std::vector<const MapObject*> out;
  for (const auto& [id, o] : objects_) {
    if (o.parent == parent && id != kRootId) out.push_back(&o);
  }
  std::sort(out.begin(), out.end(), [](const MapObject* a, const MapObject* b) { return a->order < b->order; });
  return out;
}

std::vector<const MapObject*> ObjectStore::findByName(std::int32_t parent, const std::string& name,
                                                      std::optional<RecordKind> kind) const {
  std::vector<const MapObject*> out;
  for (const MapObject* o : children(parent)) {
    if (o->name == name && (!kind || o->kind == *kind)) out.push_back(o);
  }
  return out;
}

std::string ObjectStore::folderPath(std::int32_t id) const {
  std::vector<const std::string*> names;
  const MapObject* o = find(id);
  for (std::int32_t p = o ? o->parent : 0; p != 0 && p != kRootId;) {
    const MapObject* f = find(p);
    if (!f) break;
    names.push_back(&f->name);
    p = f->parent;
  }
  std::string out;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!out.empty()) out += '/';
    out += **it;
  }
  return out;
}

std::vector<const MapObject*> ObjectStore::inTreeOrder() const {
  // Every object's children at once (one pass over the store), so the walk stays linear in
  // the size of the tree.
  std::unordered_map<std::int32_t, std::vector<const MapObject*>> kids;
  for (const auto& [id, o] : objects_) {
    if (id != kRootId) kids[o.parent].push_back(&o);
  }
  for (auto& [parent, list] : kids) {
    std::sort(list.begin(), list.end(), [](const MapObject* a, const MapObject* b) { return a->order < b->order; });
  }
  std::vector<const MapObject*> out;
  out.reserve(objects_.size());
  std::vector<const MapObject*> pending{&objects_.at(kRootId)};
  while (!pending.empty()) {
    const MapObject* o = pending.back();
    pending.pop_back();
    if (o->id != kRootId) out.push_back(o);
    const auto it = kids.find(o->id);
    if (it == kids.end()) continue;
    for (auto c = it->second.rbegin(); c != it->second.rend(); ++c) pending.push_back(*c);
  }
  return out;
}

void ObjectStore::writeJsonNode(JsonWriter& json, const MapObject& o) const {
  json.beginObject();
  json.key("id").value(static_cast<std::int64_t>(o.id));
  json.key("kind").value(static_cast<std::int64_t>(o.kind));
  json.key("name").value(o.name);
  json.key("bytes").value(static_cast<std::uint64_t>(o.body.size()));
  if (o.entityKey != 0) json.key("entityKey").value(o.entityKey);
  if (o.updates != 0) json.key("updates").value(static_cast<std::uint64_t>(o.updates));
  if (o.kind == RecordKind::Folder) {
    if (o.isGroup) json.key("isGroup").value(true);
    json.key("children").beginArray();
    for (const MapObject* c : children(o.id)) writeJsonNode(json, *c);
    json.endArray();
  } else if (const auto info = readRecordBody(o.kind, o.body)) {
    json.key("points").value(info->pointCount);
    if (info->firstPoint) {
      json.key("firstPoint").beginArray();
      json.value(info->firstPoint->east);
      json.value(info->firstPoint->north);
      json.endArray();
    }
    json.key("text").value(recordText(o.kind, o.body));
    json.key("record").beginObject();
    for (const RecordedField& f : recordFields(o.kind, o.body)) {
      json.key(f.name);
      std::visit([&json](const auto& x) { json.value(x); }, f.value);
    }
    json.endObject();
    if (o.placement.roundShape) json.key("roundShape").value(true);
    json.key("lonLat").beginArray();
    for (const GeoPoint& g : o.placement.points) {
      json.beginArray();
      json.value(g.lon);
      json.value(g.lat);
      json.endArray();
    }
    json.endArray();
  }
  json.endObject();
}

void ObjectStore::writeJson(JsonWriter& json) const { writeJsonNode(json, objects_.at(kRootId)); }

void ObjectStore::describeNode(std::string& out, const MapObject& o, int depth) const {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  out += "[" + std::to_string(o.id) + "] " + o.name + " (kind " + std::to_string(static_cast<int>(o.kind)) + ")\n";
  for (const MapObject* c : children(o.id)) describeNode(out, *c, depth + 1);
}

std::string ObjectStore::describe() const {
  std::string out;
  describeNode(out, objects_.at(kRootId), 0);
  return out;
}

}  // namespace host
