// The desk's steps for the map objects of the host, as its user handles them:
//
//   host add mark NAME LON,LAT [text TEXT] [in FOLDER]
//   host add label TEXT LON,LAT [in FOLDER]
//   host add line NAME LON,LAT LON,LAT ... [text TEXT] [in FOLDER]
//   host add area NAME LON,LAT LON,LAT LON,LAT ... [hole LON,LAT ...]... [text TEXT] [in FOLDER]
//   host add circle NAME LON,LAT RADIUS_M [text TEXT] [in FOLDER]
//   host add multiline NAME LON,LAT LON,LAT ... / LON,LAT LON,LAT ... [text TEXT] [in FOLDER]
//   host select NAME|ID ...  |  host select folder PATH  |  host select none
//   host geojson FILE.geojson
//   host set group-headers on|off
//
// FOLDER is a path of folder names below the map's root ("CAD工作空间/a.dwg"), made when
// missing.
#include <charconv>
#include <fstream>
#include <map>

#include "desk_session.h"
#include "host/host_app.h"
#include "host/host_user.h"
#include "win32/desktop.h"
#include "win32/transcript.h"

namespace desk {

namespace {

std::optional<host::GeoPoint> lonLat(const std::string& word) {
  const std::size_t comma = word.find(',');
  if (comma == std::string::npos) return std::nullopt;
  host::GeoPoint g;
  const char* end = word.data() + word.size();
  const auto a = std::from_chars(word.data(), word.data() + comma, g.lon);
  const auto b = std::from_chars(word.data() + comma + 1, end, g.lat);
  if (a.ec != std::errc() || a.ptr != word.data() + comma || b.ec != std::errc() || b.ptr != end) return std::nullopt;
  return g;
}

bool addObject(host::HostUser& user, const std::vector<std::string>& w, std::string& reason) {
  static const std::map<std::string, host::UserShape> shapes = {
      {"mark", host::UserShape::Mark},     {"label", host::UserShape::Label},   {"line", host::UserShape::Line},
      {"area", host::UserShape::Area},     {"circle", host::UserShape::Circle}, {"multiline", host::UserShape::MultiLine}};
  const auto shape = w.size() >= 5 ? shapes.find(w[2]) : shapes.end();
  if (shape == shapes.end()) {
    reason = "host add mark|label|line|area|circle|multiline NAME LON,LAT ... [text TEXT] [in FOLDER]";
    return false;
  }
  host::UserObject o;
  o.shape = shape->second;
  o.name = w[3];
  o.parts.emplace_back();
  std::string folder;
  for (std::size_t i = 4; i < w.size(); ++i) {
    if (w[i] == "in" && i + 1 < w.size()) {
      folder = w[++i];
    } else if (w[i] == "text" && i + 1 < w.size()) {
      o.text = w[++i];
    } else if (w[i] == "/" || w[i] == "hole") {
      o.parts.emplace_back();
    } else if (const auto g = lonLat(w[i])) {
      o.parts.back().push_back(*g);
    } else if (o.shape == host::UserShape::Circle && o.radius == 0) {
      const auto r = std::from_chars(w[i].data(), w[i].data() + w[i].size(), o.radius);
      if (r.ec != std::errc() || r.ptr != w[i].data() + w[i].size()) {
        reason = "not a radius: " + w[i];
        return false;
      }
    } else {
      reason = "not a longitude,latitude: " + w[i];
      return false;
    }
  }
  std::string why;
  if (!user.drawObject(o, folder, &why)) {
    reason = "the host's user cannot draw " + o.name + ": " + why;
    return false;
  }
  return true;
}

bool writeText(const std::filesystem::path& file, const std::string& text) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  std::ofstream f(file, std::ios::binary);
  f << text;
  return static_cast<bool>(f);
}

}  // namespace

bool DeskSession::stepHostObjects(const Words& w, std::string& reason) {
  host::HostUser user(*host_);
  const std::string what = w[1];
  if (what == "add") return addObject(user, w, reason);
  if (what == "select" && w.size() == 3 && w[2] == "none") {
    user.selectObjects({});
    return true;
  }
  if (what == "select" && w.size() == 4 && w[2] == "folder") {
    if (user.selectFolder(w[3])) return true;
    reason = "the host has no folder " + w[3];
    return false;
  }
  if (what == "select" && w.size() >= 3) {
    if (user.selectNamed(Words(w.begin() + 2, w.end()))) return true;
    reason = "the host has no object by one of those names or ids";
    return false;
  }
  if (what == "geojson" && w.size() == 3) {
    if (writeText(outputFile(w[2]), host_->geoJson())) return true;
    reason = "cannot write " + w[2];
    return false;
  }
  if (what == "set" && w.size() == 4 && w[2] == "group-headers" && (w[3] == "on" || w[3] == "off")) {
    host_->setAnswerGroupEntries(w[3] == "on");
    return true;
  }
  reason = "host add ... | host select ... | host geojson FILE | host set group-headers on|off";
  return false;
}

}  // namespace desk
