#include "host/host_user.h"

#include "host/host_app.h"

namespace host {

bool HostUser::pressPluginButton() { return app_.pressPluginButton(); }

bool HostUser::clickMapPoint(GeoPoint point) { return app_.answerMapPick(point); }

bool HostUser::clickMapPointAt(PlanePoint point) {
  const auto geo = app_.coordinateSystem().toGeographic(point);
  return geo && app_.answerMapPick(*geo);
}

void HostUser::chooseGeographic() { app_.selectCoordinateSystem(CoordinateSystem::geographic()); }

bool HostUser::chooseGaussKrueger(int zoneWidth, int zone, bool zoneInEasting) {
  auto cs = CoordinateSystem::gaussKrueger(GaussKruegerGrid{zoneWidth, zone, zoneInEasting});
  if (!cs) return false;
  app_.selectCoordinateSystem(std::move(*cs));
  return true;
}

void HostUser::chooseCoordinateSystem(CoordinateSystem cs) { app_.selectCoordinateSystem(std::move(cs)); }

bool HostUser::moveMapView(GeoPoint centre, std::optional<int> level) { return app_.moveView(centre, level); }

bool HostUser::moveMapViewTo(PlanePoint centre, std::optional<int> level) {
  const auto geo = app_.coordinateSystem().toGeographic(centre);
  return geo && app_.moveView(*geo, level);
}

void HostUser::selectObjects(std::vector<std::int32_t> ids) { app_.setSelection(std::move(ids)); }

}  // namespace host

namespace host {

bool HostUser::selectNamed(const std::vector<std::string>& namesOrIds) {
  std::vector<std::int32_t> ids;
  for (const std::string& n : namesOrIds) {
    const auto found = app_.findObjects(n);
    if (found.empty()) return false;
    ids.insert(ids.end(), found.begin(), found.end());
  }
  app_.setSelection(std::move(ids));
  return true;
}

bool HostUser::selectFolder(const std::string& path) {
  const auto folder = app_.folderAt(path, false);
  if (!folder) return false;
  app_.setSelection({*folder});
  return true;
}

std::optional<std::int32_t> HostUser::drawObject(const UserObject& object, const std::string& folder, std::string* error) {
  return app_.addUserObject(object, folder, error);
}

}  // namespace host
