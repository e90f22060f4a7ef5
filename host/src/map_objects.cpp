// What the host's user does with the map's objects: draws them into folders, finds them by name
// or id, and exports them as GeoJSON.
#include <charconv>

#include "host/geojson.h"
#include "host/host_app.h"

namespace host {

std::optional<std::int32_t> HostApp::folderAt(const std::string& path, bool create) {
  std::int32_t folder = ObjectStore::kRootId;
  std::size_t from = 0;
  while (from < path.size()) {
    const std::size_t slash = path.find('/', from);
    const std::string name = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
    from = slash == std::string::npos ? path.size() : slash + 1;
    if (name.empty()) continue;
    const auto found = objects_.findByName(folder, name, RecordKind::Folder);
    if (!found.empty()) {
      folder = found.front()->id;
      continue;
    }
    if (!create) return std::nullopt;
    const auto made = objects_.addFolder(folder, name);
    if (!made) return std::nullopt;
    folder = *made;
  }
  return folder;
}

std::optional<std::int32_t> HostApp::addUserObject(const UserObject& object, const std::string& folder,
                                                   std::string* error) {
  auto built = buildUserObject(object, cs_, error);
  if (!built) return std::nullopt;
  const auto parent = folderAt(folder, true);
  if (!parent) {
    if (error) *error = "no folder " + folder;
    return std::nullopt;
  }
  const auto id = objects_.add(built->kind, *parent, std::move(built->body), 0, std::move(built->placement));
  if (id) event("the user drew \"" + object.name + "\" [" + std::to_string(*id) + "] in " + (folder.empty() ? "the map" : folder));
  return id;
}

std::vector<std::int32_t> HostApp::findObjects(const std::string& nameOrId) const {
  std::int32_t id = 0;
  const auto* end = nameOrId.data() + nameOrId.size();
  if (const auto r = std::from_chars(nameOrId.data(), end, id); r.ec == std::errc() && r.ptr == end) {
    if (objects_.find(id)) return {id};
  }
  std::vector<std::int32_t> out;
  for (const MapObject* o : objects_.inTreeOrder()) {
    if (o->name == nameOrId) out.push_back(o->id);
  }
  return out;
}

std::string HostApp::geoJson() const { return mapGeoJson(objects_); }

}  // namespace host
