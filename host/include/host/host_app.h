// The stand-in for the host map application ("星衡互动地图"): a program on the simulated
// desktop with its main window "vurkWin", that registers plug-ins under link numbers and
// answers every request of the host protocol from its own state: an object tree (objects kept
// in longitude/latitude, sent back in the plane of the selected system), hatch
// patterns, the selected coordinate system (with the relation points it was fitted from), the
// map view and whether it reports view changes, the plug-in's button, a pending map pick.
// Answers that the plug-in reads right after its request are sent to the plug-in's window as
// WM_COPYDATA while the request is still being handled; requests that the plug-in makes from
// inside those messages are handled nested, to any depth.
//
// Fault switches: registration answered with 0 or -10, links forgotten, a chosen answer to
// chosen requests (e.g. -6 or -1), an older interface version (620: the object requests
// 20100..20103 are unknown to it), busy (no 0x100 bit in the status), a hung window (timed
// requests time out and nothing is done), slow answers (a latency per message). "Not
// running" is a host that was never started or was stopped.
//
// Everything received and sent is entered in the host's record (host_record.h), which the desk
// prints and dumps as JSON.
//
// Limitations: no map tiles, map files or elevation data yet: GetMapFile is answered -6, and
// GetContour reports that no elevation data has been downloaded (status -7, sub-status 0).
// One host per desktop (the window class is registered once). The win32 calls act on the current
// desktop, which must be the host's own while it runs, and the host must end before its desktop.
// A latency applies to every message sent to the host's window, not to chosen requests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/byte_reader.h"
#include "host/coordinate_systems.h"
#include "host/field_table.h"
#include "host/host_record.h"
#include "host/host_window.h"
#include "host/link_registry.h"
#include "host/map_view.h"
#include "host/message_codes.h"
#include "host/object_store.h"
#include "host/object_stream.h"
#include "host/pattern_store.h"
#include "host/plane_fit.h"
#include "host/plugin_messenger.h"
#include "host/user_objects.h"
#include "win32/types.h"

namespace win32 {
class Desktop;
}

namespace host {

// How SrhObj answers a search that found something.
enum class SearchAnswerForm {
  Record,         // 20107: the search record with the found id at 532
  CandidateList,  // 20105: every object of the searched folder, for the plug-in to pick from
};

struct HostOptions {
  std::int32_t apiVersion = 625;
  std::int32_t statusInfo = 0x105;             // bit 8: ready for plug-in work
  std::uint32_t newestPluginVersion = 174;     // what GetPluginVer reports
  std::string pluginUpdateNotes;
  MapViewState view;
  SearchAnswerForm searchAnswer = SearchAnswerForm::Record;
  bool answerGroupEntries = true;              // SetObjTree answers group folders and their members
  bool askForPointsDuringSetRelatePoint = false;  // sends 20201 (-1) while handling SetRelatePoint
  std::int32_t firstLinkNumber = 1;
  std::int32_t firstObjectId = 101;
  std::int32_t objectIdStep = 1;
};

inline constexpr char16_t kHostWindowTitle[] = u"星衡互动地图";
inline constexpr std::int32_t kObjectApiVersion = 621;  // first version with requests 20100..20103

class HostApp {
 public:
  explicit HostApp(win32::Desktop& desktop, HostOptions options = {});
  ~HostApp();
  HostApp(const HostApp&) = delete;
  HostApp& operator=(const HostApp&) = delete;

  // Starts the program (its window appears) / ends it (the window goes, links are forgotten;
  // the object tree, patterns, coordinate system and view are kept as a saved project).
  bool start();
  void stop();
  bool running() const { return window_.handle() != nullptr; }
  HWND window() const { return window_.handle(); }

  // ---- fault switches and settings
  void setRegistrationAnswer(RegistrationAnswer a) { links_.setAnswer(a); }
  void forgetLinks() { links_.forgetAll(); }
  // Link numbers first, first + step, ... (both at least 1).
  void setLinkNumbering(std::int32_t first, std::int32_t step) { links_.setNumbering(first, step); }
  void setUnknownLinkAnswer(std::int32_t v) { unknownLinkAnswer_ = v; }
  void setApiVersion(std::int32_t v) { options_.apiVersion = v; }
  void setStatusInfo(std::int32_t v) { options_.statusInfo = v; }
  void setBusy(bool busy);
  // Answer this value to every request with the code, without doing anything.
  void overrideAnswer(std::uint16_t code, std::int32_t value) { overrides_[code] = value; }
  void clearOverride(std::uint16_t code) { overrides_.erase(code); }
  // Answer this value to every request except Register and GetHostApiVersion; nothing clears.
  void overrideAllAnswers(std::optional<std::int32_t> value) { overrideAll_ = value; }
  // A hung host handles nothing: timed requests time out; an untimed request to it would wait
  // for ever (the window manager asserts in debug builds), so only timed requests may meet it.
  void setHung(bool hung);
  void setLatency(DWORD ms);
  void setNewestPluginVersion(std::uint32_t v, std::string notes = {});
  void setSearchAnswerForm(SearchAnswerForm f) { options_.searchAnswer = f; }
  void setAnswerGroupEntries(bool on) { options_.answerGroupEntries = on; }
  void setAskForPointsDuringSetRelatePoint(bool on) { options_.askForPointsDuringSetRelatePoint = on; }
  bool setObjectIdNumbering(std::int32_t first, std::int32_t step) { return objects_.setIdNumbering(first, step); }
  const HostOptions& options() const { return options_; }

  // ---- state
  const LinkRegistry& links() const { return links_; }
  const CoordinateSystem& coordinateSystem() const { return cs_; }
  void selectCoordinateSystem(CoordinateSystem cs);
  const std::vector<RelationPair>& relationPoints() const { return relationPoints_; }
  const MapViewState& view() const { return view_; }
  bool following() const { return following_; }
  std::uint32_t followInterval() const { return followInterval_; }
  ObjectStore& objects() { return objects_; }
  const ObjectStore& objects() const { return objects_; }
  const PatternStore& patterns() const { return patterns_; }
  bool buttonPresent() const { return button_.present; }
  const std::string& buttonLabel() const { return button_.label; }
  bool latLngPending() const { return pick_.has_value(); }
  const std::vector<std::int32_t>& selection() const { return selection_; }
  HostRecord& record() { return record_; }
  const HostRecord& record() const { return record_; }
  const PluginMessenger& messenger() const { return messenger_; }

  // ---- things the host does on its own or for its user (HostUser calls these)
  bool pressPluginButton();
  bool answerMapPick(GeoPoint point);
  bool moveView(GeoPoint centre, std::optional<int> level);
  void setSelection(std::vector<std::int32_t> ids) { selection_ = std::move(ids); }
  // The folder at a path of names below the root ("" is the root; "a/b" is b in a), made
  // when missing and asked to.
  std::optional<std::int32_t> folderAt(const std::string& path, bool create);
  // An object the user draws, into the folder at the path; its id, or nothing with the reason.
  std::optional<std::int32_t> addUserObject(const UserObject& object, const std::string& folder, std::string* error);
  // The objects whose id (in decimal) or name is the text, in tree order.
  std::vector<std::int32_t> findObjects(const std::string& nameOrId) const;
  // Every map object as GeoJSON in longitude/latitude.
  std::string geoJson() const;
  // Message 20203: a newer plug-in exists.
  bool sendUpdateNotice(std::uint32_t version, const std::string& notes);
  // Message 20201: -1 asks the plug-in for its relation points again, 0 asks it to record the
  // host's current system for the drawing.
  bool sendRelationPointNotice(std::int32_t value);
  // The contour progress message (position, total).
  bool postContourProgress(WPARAM position, LPARAM total);
  // Any message as given, to the latest registered plug-in window (the desk uses it to send
  // messages of chosen lengths); false when that window is missing.
  bool sendRawMessage(std::uint16_t code, std::vector<std::uint8_t> bytes);

  // The record and the host's state as JSON, and as printable text.
  std::string dumpJson() const;
  std::string describe() const;

  // The window procedure's entry for WM_COPYDATA.
  LRESULT onCopyData(WPARAM wParam, const COPYDATASTRUCT* cds);

 private:
  struct Request {
    std::uint64_t serial = 0;
    RequestCode code = RequestCode::Register;
    std::int32_t link = 0;
    ByteReader payload{std::span<const std::uint8_t>()};
    std::u16string pluginClass;  // where answers go
  };

  LRESULT dispatch(Request& req);
  // Recording helpers; they look the entry up by serial because nested requests grow the record.
  void note(const Request& req, std::string text);
  void field(const Request& req, std::string name, FieldValue value);
  void fields(const Request& req, std::span<const FieldSpec> table, std::size_t base = 0, std::string_view prefix = {});
  std::optional<LRESULT> answer(const Request& req, PluginMessage code, std::vector<std::uint8_t> bytes,
                                std::span<const FieldSpec> table = {});
  std::optional<LRESULT> notify(PluginMessage code, std::vector<std::uint8_t> bytes, std::span<const FieldSpec> table = {});
  std::uint64_t currentRequest() const { return active_.empty() ? 0 : active_.back(); }
  void event(const std::string& text);

  // Handlers, grouped by subject in requests_*.cpp.
  LRESULT onRegister(Request& req);
  LRESULT onGetHostApiVersion(Request& req);
  LRESULT onGetStatusInfo(Request& req);
  LRESULT onGetPluginVer(Request& req);
  LRESULT onSetButton(Request& req);
  LRESULT onGetLatLng(Request& req);
  LRESULT onSetLocation(Request& req);
  LRESULT onGetMapView(Request& req);
  LRESULT onSetFollowWinMap(Request& req);
  LRESULT onGetMapCenter(Request& req);
  LRESULT onGetLevelResolution(Request& req);
  LRESULT onSetRelatePoint(Request& req);
  LRESULT onGetSysCoor(Request& req);
  LRESULT onGetObjList(Request& req);
  LRESULT onGetObj(Request& req);
  LRESULT onAddObj(Request& req);
  LRESULT onDelObj(Request& req);
  LRESULT onSrhObj(Request& req);
  LRESULT onGetObjTree(Request& req);
  LRESULT onSetObjTree(Request& req);
  LRESULT onGetPatternList(Request& req);
  LRESULT onSetPatternList(Request& req);
  LRESULT onGetContour(Request& req);
  LRESULT onGetMapFile(Request& req);

  std::vector<std::uint8_t> mapViewRecord(PlanePoint centre) const;
  std::vector<std::uint8_t> objectList(std::uint32_t folderId, const std::vector<const MapObject*>& entries) const;
  void appendTreeEntries(std::int32_t id, std::int32_t parentForHeader, std::vector<OutgoingEntry>& out) const;

  win32::Desktop& desktop_;
  HostOptions options_;
  HostWindow window_;
  HostRecord record_;
  PluginMessenger messenger_;
  LinkRegistry links_;
  ObjectStore objects_;
  PatternStore patterns_;
  CoordinateSystem cs_;
  std::vector<RelationPair> relationPoints_;
  LevelResolutionCalculator resolutions_;
  MapViewState view_;
  bool following_ = false;
  std::uint32_t followInterval_ = 0;
  std::u16string followClass_;
  struct Button {
    bool present = false;
    std::string label;
    std::u16string pluginClass;
  } button_;
  std::optional<std::u16string> pick_;  // plug-in class waiting for a GetLatLng answer
  std::vector<std::int32_t> selection_;
  std::map<std::uint16_t, std::int32_t> overrides_;
  std::optional<std::int32_t> overrideAll_;
  std::int32_t unknownLinkAnswer_ = -1;
  bool hung_ = false;
  DWORD latency_ = 0;
  std::vector<std::uint64_t> active_;  // serials of the requests being handled, innermost last
  std::uint64_t ignoredMessages_ = 0;
};

}  // namespace host
