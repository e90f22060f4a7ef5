#include "host/host_app.h"

#include <algorithm>
#include <cmath>

#include "host/byte_writer.h"
#include "host/json_writer.h"
#include "host/message_layouts.h"
#include "win32/clock.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/window_manager.h"
#include "win32/winuser.h"

namespace host {

namespace L = layout;

HostApp::HostApp(win32::Desktop& desktop, HostOptions options)
    : desktop_(desktop),
      options_(std::move(options)),
      window_(*this),
      messenger_(record_),
      cs_(CoordinateSystem::geographic()),
      view_(options_.view) {
  links_.setNumbering(options_.firstLinkNumber, 1);
  objects_.setIdNumbering(options_.firstObjectId, options_.objectIdStep);
}

HostApp::~HostApp() { stop(); }

bool HostApp::start() {
  if (running()) return true;
  if (!window_.create()) return false;
  messenger_.registerProgressMessages();
  if (hung_) desktop_.windows().setHung(window_.handle(), true);
  if (latency_ != 0) desktop_.windows().setLatency(window_.handle(), latency_);
  event("星衡互动地图 started");
  return true;
}

void HostApp::stop() {
  const bool wasRunning = running();
  window_.destroy();
  // A program that ends forgets its links, its button and whom it was reporting to.
  links_.clear();
  button_ = Button{};
  following_ = false;
  followClass_.clear();
  pick_.reset();
  if (wasRunning) event("星衡互动地图 closed");
}

void HostApp::setBusy(bool busy) {
  options_.statusInfo = busy ? (options_.statusInfo & ~0x100) : (options_.statusInfo | 0x100);
}

void HostApp::setHung(bool hung) {
  hung_ = hung;
  if (running()) desktop_.windows().setHung(window_.handle(), hung);
}

void HostApp::setLatency(DWORD ms) {
  latency_ = ms;
  if (running()) desktop_.windows().setLatency(window_.handle(), ms);
}

void HostApp::setNewestPluginVersion(std::uint32_t v, std::string notes) {
  options_.newestPluginVersion = v;
  options_.pluginUpdateNotes = std::move(notes);
}

void HostApp::selectCoordinateSystem(CoordinateSystem cs) {
  cs_ = std::move(cs);
  if (cs_.type() != CoordinateType::LocalPlane) relationPoints_.clear();
  event("coordinate system: " + cs_.name());
}

void HostApp::event(const std::string& text) { desktop_.transcript().add("host", text); }

// ---------------------------------------------------------------- requests

LRESULT HostApp::onCopyData(WPARAM wParam, const COPYDATASTRUCT* cds) {
  if (wParam != kCopyDataWParam || !cds) {
    ++ignoredMessages_;
    return 0;
  }
  // dwData = (link << 16) + code, sign-extended from 32 bits: only the low 32 bits count.
  const auto low = static_cast<std::uint32_t>(cds->dwData);
  const auto wireCode = static_cast<std::uint16_t>(low & 0xFFFFu);
  const std::int32_t link = static_cast<std::int32_t>(low & 0xFFFF0000u) >> 16;
  std::span<const std::uint8_t> bytes;
  if (cds->lpData && cds->cbData != 0) bytes = {static_cast<const std::uint8_t*>(cds->lpData), cds->cbData};

  const auto code = requestCodeFromWire(wireCode);
  Request req;
  req.serial = record_.beginRequest(GetTickCount64(), wireCode, code ? std::string(requestName(*code)) : "unknown", link,
                                    currentRequest(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  req.link = link;
  req.payload = ByteReader(bytes);
  active_.push_back(req.serial);
  LRESULT result = kNotProcessed;
  if (!code) {
    note(req, "a request code this host does not know");
  } else {
    req.code = *code;
    result = dispatch(req);
  }
  active_.pop_back();
  record_.finishRequest(req.serial, result);
  return result;
}

LRESULT HostApp::dispatch(Request& req) {
  if (req.code == RequestCode::Register) return onRegister(req);
  const LinkRegistry::Link* link = links_.find(req.link);
  if (!link) {
    note(req, "unknown link number");
    return unknownLinkAnswer_;
  }
  req.pluginClass = link->pluginClass;
  const auto wire = static_cast<std::uint16_t>(req.code);
  if (const auto it = overrides_.find(wire); it != overrides_.end()) {
    note(req, "fault switch: answered " + std::to_string(it->second));
    return it->second;
  }
  if (overrideAll_ && req.code != RequestCode::GetHostApiVersion) {
    note(req, "fault switch: answered " + std::to_string(*overrideAll_));
    return *overrideAll_;
  }
  const bool objectRequest = req.code == RequestCode::GetObjList || req.code == RequestCode::GetObj ||
                             req.code == RequestCode::AddObj || req.code == RequestCode::DelObj;
  if (objectRequest && options_.apiVersion < kObjectApiVersion) {
    note(req, "interface version " + std::to_string(options_.apiVersion) + " does not know this request");
    return kNotProcessed;
  }
  switch (req.code) {
    case RequestCode::Register: return onRegister(req);
    case RequestCode::GetLatLng: return onGetLatLng(req);
    case RequestCode::GetHostApiVersion: return onGetHostApiVersion(req);
    case RequestCode::SetLocation: return onSetLocation(req);
    case RequestCode::GetMapView: return onGetMapView(req);
    case RequestCode::SetFollowWinMap: return onSetFollowWinMap(req);
    case RequestCode::GetObjList: return onGetObjList(req);
    case RequestCode::GetObj: return onGetObj(req);
    case RequestCode::AddObj: return onAddObj(req);
    case RequestCode::DelObj: return onDelObj(req);
    case RequestCode::SrhObj: return onSrhObj(req);
    case RequestCode::GetObjTree: return onGetObjTree(req);
    case RequestCode::SetObjTree: return onSetObjTree(req);
    case RequestCode::SetRelatePoint: return onSetRelatePoint(req);
    case RequestCode::GetSysCoor: return onGetSysCoor(req);
    case RequestCode::GetPluginVer: return onGetPluginVer(req);
    case RequestCode::GetMapCenter: return onGetMapCenter(req);
    case RequestCode::GetLevelResolution: return onGetLevelResolution(req);
    case RequestCode::GetContour: return onGetContour(req);
    case RequestCode::SetButton: return onSetButton(req);
    case RequestCode::GetStatusInfo: return onGetStatusInfo(req);
    case RequestCode::GetPatternList: return onGetPatternList(req);
    case RequestCode::SetPatternList: return onSetPatternList(req);
    case RequestCode::GetMapFile: return onGetMapFile(req);
  }
  return kNotProcessed;
}

void HostApp::note(const Request& req, std::string text) {
  if (RequestEntry* e = record_.request(req.serial)) {
    if (!e->note.empty()) e->note += "; ";
    e->note += text;
  }
}

void HostApp::field(const Request& req, std::string name, FieldValue value) {
  if (RequestEntry* e = record_.request(req.serial)) e->fields.push_back({std::move(name), std::move(value)});
}

void HostApp::fields(const Request& req, std::span<const FieldSpec> table, std::size_t base, std::string_view prefix) {
  if (RequestEntry* e = record_.request(req.serial)) readFields(table, req.payload, base, prefix, e->fields);
}

std::optional<LRESULT> HostApp::answer(const Request& req, PluginMessage code, std::vector<std::uint8_t> bytes,
                                       std::span<const FieldSpec> table) {
  return messenger_.send(req.pluginClass, static_cast<std::uint16_t>(code), std::move(bytes), req.serial, table);
}

std::optional<LRESULT> HostApp::notify(PluginMessage code, std::vector<std::uint8_t> bytes,
                                       std::span<const FieldSpec> table) {
  const auto& target = links_.latestPluginClass();
  if (!target) return std::nullopt;  // no plug-in has told the host its window yet
  return messenger_.send(*target, static_cast<std::uint16_t>(code), std::move(bytes), currentRequest(), table);
}

// ---------------------------------------------------------------- the host's own actions

bool HostApp::pressPluginButton() {
  if (!running() || !button_.present) return false;
  event("the user pressed \"" + button_.label + "\"");
  ByteWriter w(L::send_to_cad::kSize);
  w.u16(L::send_to_cad::kMark, L::request_head::kMarkValue);
  return messenger_.send(button_.pluginClass, static_cast<std::uint16_t>(PluginMessage::SendToCadNotice), w.take(),
                         currentRequest())
      .has_value();
}

bool HostApp::answerMapPick(GeoPoint point) {
  if (!running() || !pick_) return false;
  const std::u16string target = *pick_;
  pick_.reset();
  ByteWriter w(L::lat_lng::kSize);
  w.f64(L::lat_lng::kLatitude, point.lat);
  w.f64(L::lat_lng::kLongitude, point.lon);
  return messenger_.send(target, static_cast<std::uint16_t>(PluginMessage::LatLng), w.take(), currentRequest(),
                         fields::kLatLng)
      .has_value();
}

bool HostApp::moveView(GeoPoint centre, std::optional<int> level) {
  if (!std::isfinite(centre.lon) || !std::isfinite(centre.lat) || std::fabs(centre.lat) > 85.0511) return false;
  view_.centre = centre;
  if (level) view_.level = std::clamp(*level, kMinMapLevel, kMaxMapLevel);
  if (!running() || !following_) return true;
  const auto plane = cs_.fromGeographic(view_.centre);
  if (!plane) return true;  // nothing to report in this system
  messenger_.send(followClass_, static_cast<std::uint16_t>(PluginMessage::MapView), mapViewRecord(*plane),
                  currentRequest(), fields::kMapViewRecord);
  return true;
}

bool HostApp::sendUpdateNotice(std::uint32_t version, const std::string& notes) {
  if (!running()) return false;
  const std::size_t size = L::plugin_version::kNotes + utf8PrefixLength(notes, notes.size()) + 1;
  ByteWriter w(std::max(size, L::plugin_version::kMinNoticeSize));
  w.u32(L::plugin_version::kVersion, version);
  w.text(L::plugin_version::kNotes, notes, w.size() - L::plugin_version::kNotes);
  return notify(PluginMessage::PluginUpdateNotice, w.take(), fields::kPluginVersion).has_value();
}

bool HostApp::sendRelationPointNotice(std::int32_t value) {
  if (!running()) return false;
  ByteWriter w(4);
  w.i32(0, value);
  return notify(PluginMessage::RelationPointsWanted, w.take()).has_value();
}

bool HostApp::postContourProgress(WPARAM position, LPARAM total) {
  const auto& target = links_.latestPluginClass();
  if (!running() || !target) return false;
  return messenger_.postProgress(*target, messenger_.contourProgressMessage(), position, total, currentRequest());
}

bool HostApp::sendRawMessage(std::uint16_t code, std::vector<std::uint8_t> bytes) {
  const auto& target = links_.latestPluginClass();
  if (!running() || !target) return false;
  return messenger_.send(*target, code, std::move(bytes), currentRequest()).has_value();
}

// ---------------------------------------------------------------- dump

std::string HostApp::dumpJson() const {
  JsonWriter json;
  json.beginObject();
  json.key("host").beginObject();
  json.key("running").value(running());
  json.key("apiVersion").value(static_cast<std::int64_t>(options_.apiVersion));
  json.key("statusInfo").value(static_cast<std::int64_t>(options_.statusInfo));
  json.key("links").beginArray();
  for (const auto& [n, l] : links_.links()) {
    json.beginObject();
    json.key("number").value(static_cast<std::int64_t>(n));
    json.key("pluginClass").value(win32::utf16ToUtf8(l.pluginClass));
    json.endObject();
  }
  json.endArray();
  json.key("button").beginObject();
  json.key("present").value(button_.present);
  json.key("label").value(button_.label);
  json.endObject();
  json.key("coordinateSystem").beginObject();
  json.key("type").value(static_cast<std::int64_t>(cs_.type()));
  json.key("name").value(cs_.name());
  json.key("definition").value(cs_.definition());
  json.endObject();
  json.key("relationPoints").beginArray();
  for (const RelationPair& p : relationPoints_) {
    json.beginObject();
    json.key("lon").value(p.geo.lon);
    json.key("lat").value(p.geo.lat);
    json.key("x").value(p.drawing.east);
    json.key("y").value(p.drawing.north);
    json.endObject();
  }
  json.endArray();
  json.key("view").beginObject();
  json.key("lon").value(view_.centre.lon);
  json.key("lat").value(view_.centre.lat);
  json.key("level").value(view_.level);
  json.key("mapType").value(static_cast<std::uint64_t>(view_.mapType));
  json.key("tileFormat").value(static_cast<std::uint64_t>(view_.tileFormat));
  json.key("following").value(following_);
  json.endObject();
  json.key("patterns");
  patterns_.writeJson(json);
  json.endObject();
  record_.writeJson(json);
  json.key("objectTree");
  objects_.writeJson(json);
  json.endObject();
  return json.text() + "\n";
}

std::string HostApp::describe() const {
  std::string out = std::string("host ") + (running() ? "running" : "not running") + ", coordinate system " +
                    cs_.name() + "\n";
  out += record_.describe();
  out += "object tree:\n" + objects_.describe();
  return out;
}

}  // namespace host
