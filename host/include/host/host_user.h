// The person at the host's screen, as a script drives them: presses the plug-in's button,
// clicks a map point (answering a pending GetLatLng), selects a coordinate system, moves the
// map view, selects objects. Each action returns whether it had an effect a person would see.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/coordinate_systems.h"
#include "host/projection.h"
#include "host/user_objects.h"

namespace host {

class HostApp;

class HostUser {
 public:
  explicit HostUser(HostApp& app) : app_(app) {}

  // The button the plug-in placed in the host; false when there is none or the host is closed.
  bool pressPluginButton();
  // A click on the map at a longitude/latitude; false when no pick was asked for.
  bool clickMapPoint(GeoPoint point);
  // The same at plane coordinates of the selected system.
  bool clickMapPointAt(PlanePoint point);
  void chooseGeographic();
  bool chooseGaussKrueger(int zoneWidth, int zone, bool zoneInEasting);
  void chooseCoordinateSystem(CoordinateSystem cs);
  // Pans (and zooms) the map; a following plug-in is told.
  bool moveMapView(GeoPoint centre, std::optional<int> level = std::nullopt);
  bool moveMapViewTo(PlanePoint centre, std::optional<int> level = std::nullopt);
  void selectObjects(std::vector<std::int32_t> ids);
  // Selects the objects named (by name or id); false, selecting nothing, when one is not found.
  bool selectNamed(const std::vector<std::string>& namesOrIds);
  // Selects the folder at a path of names below the root; false when there is none.
  bool selectFolder(const std::string& path);
  // Draws an object into the folder at a path (made when missing).
  std::optional<std::int32_t> drawObject(const UserObject& object, const std::string& folder, std::string* error = nullptr);

 private:
  HostApp& app_;
};

}  // namespace host
