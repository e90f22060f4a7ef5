// Requests about the map view: where the map looks, following, the reference point, the
// resolutions of the zoom levels and the map pick.
#include <algorithm>
#include <cmath>

#include "host/byte_writer.h"
#include "host/host_app.h"
#include "host/message_layouts.h"

namespace host {

namespace L = layout;

std::vector<std::uint8_t> HostApp::mapViewRecord(PlanePoint centre) const {
  ByteWriter w(L::map_view_record::kSize);
  w.f64(L::map_view_record::kEast, centre.east);
  w.f64(L::map_view_record::kNorth, centre.north);
  w.i32(L::map_view_record::kLevel, view_.level);
  w.u32(L::map_view_record::kMapType, view_.mapType);
  w.u32(L::map_view_record::kTileFormat, static_cast<std::uint32_t>(view_.tileFormat));
  return w.take();
}

LRESULT HostApp::onGetLatLng(Request& req) {
  pick_ = req.pluginClass;
  event("waiting for the user to pick a map point");
  return 0;
}

LRESULT HostApp::onSetLocation(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::set_location::kSize)) {
    note(req, "SetLocation payload shorter than 80 bytes");
    return kNotProcessed;
  }
  fields(req, fields::kSetLocation);
  const std::uint8_t mode = *p.u8(L::set_location::kMode);
  if (mode != 2) {
    note(req, "unknown location mode " + std::to_string(mode));
    return kNotProcessed;
  }
  const PlanePoint centre{*p.f64(L::set_location::kEast), *p.f64(L::set_location::kNorth)};
  const auto geo = cs_.toGeographic(centre);
  if (!geo || std::fabs(geo->lat) > 85.0511) {
    note(req, "the point is outside the coordinate system");
    return kNotProcessed;
  }
  view_.centre = *geo;
  const std::uint32_t level = *p.u32(L::set_location::kLevel);
  if (level != 0) view_.level = static_cast<int>(std::min<std::uint32_t>(level, kMaxMapLevel));
  note(req, "view moved");
  return 0;
}

LRESULT HostApp::onGetMapView(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::get_map_view::kSize)) {
    note(req, "GetMapView payload shorter than 104 bytes");
    return kNotProcessed;
  }
  fields(req, fields::kGetMapView);
  if (*p.u8(L::get_map_view::kMode) != L::get_map_view::kModePlane) {
    note(req, "unknown view mode");
    return kNotProcessed;
  }
  const auto centre = cs_.fromGeographic(view_.centre);
  if (!centre) {
    note(req, "the view centre cannot be given in the coordinate system");
    return kNotProcessed;
  }
  answer(req, PluginMessage::MapView, mapViewRecord(*centre), fields::kMapViewRecord);
  return 0;
}

LRESULT HostApp::onSetFollowWinMap(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::follow_map::kSize)) {
    note(req, "SetFollowWinMap payload shorter than 4 bytes");
    return kNotProcessed;
  }
  fields(req, fields::kFollowMap);
  const std::uint32_t interval = *p.u32(L::follow_map::kInterval);
  const bool follow = interval > L::follow_map::kStop;
  if (follow != following_) event(follow ? "reports its view changes" : "stops reporting its view changes");
  following_ = follow;
  followInterval_ = follow ? interval : 0;
  followClass_ = follow ? req.pluginClass : std::u16string();
  return 0;
}

LRESULT HostApp::onGetMapCenter(Request& req) {
  const auto centre = cs_.fromGeographic(view_.centre);
  if (!centre) {
    note(req, "the view centre cannot be given in the coordinate system");
    return kNotProcessed;
  }
  ByteWriter w(L::map_center::kSize);
  w.f64(L::map_center::kEast, centre->east);
  w.f64(L::map_center::kNorth, centre->north);
  answer(req, PluginMessage::MapCenter, w.take(), fields::kMapCenter);
  return 0;
}

LRESULT HostApp::onGetLevelResolution(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::level_resolution_request::kSize)) {
    note(req, "GetLevelResolution payload shorter than 80 bytes");
    return kNotProcessed;
  }
  fields(req, fields::kLevelResolutionRequest);
  const PlanePoint at{*p.f64(L::level_resolution_request::kEast), *p.f64(L::level_resolution_request::kNorth)};
  std::string why;
  const auto table = resolutions_.at(cs_, at, &why);
  if (!table) {
    note(req, why);
    return kNotProcessed;
  }
  ByteWriter w(table->size() * L::level_resolution_record::kSize);
  for (std::size_t i = 0; i < table->size(); ++i) {
    const std::size_t base = i * L::level_resolution_record::kSize;
    w.f64(base + L::level_resolution_record::kEastResolution, (*table)[i].east);
    w.f64(base + L::level_resolution_record::kNorthResolution, (*table)[i].north);
    w.u32(base + L::level_resolution_record::kLevel, static_cast<std::uint32_t>((*table)[i].level));
  }
  answer(req, PluginMessage::LevelResolution, w.take());
  return 0;
}

}  // namespace host
