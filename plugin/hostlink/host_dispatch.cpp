// The notification window's dispatch of the host's WM_COPYDATA messages: for each code its
// guard (the length the message needs, and the state it needs), what it does, and what the host
// gets back. A message that fails its guard changes nothing and gets the row's refusal value.
#include "hostlink/flag_restore.h"
#include "hostlink/host_link_record.h"
#include "hostlink/host_presence.h"
#include "hostlink/notification_window.h"
#include "hostlink/reply_decoders.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/transport.h"
#include "shell/version.h"
#include "win32/winuser.h"

namespace vurk {

namespace {

// Host message codes (the low 16 bits of dwData).
namespace host_message {
constexpr std::uint16_t kLatLng = 20001;
constexpr std::uint16_t kNoAction = 20009;
constexpr std::uint16_t kMapView = 20012;
constexpr std::uint16_t kTestNotice = 20020;
constexpr std::uint16_t kFolderEntries = 20100;
constexpr std::uint16_t kObjectFound = 20101;
constexpr std::uint16_t kFolderCandidates = 20105;
constexpr std::uint16_t kSearchResult = 20107;
constexpr std::uint16_t kObjectTree = 20110;
constexpr std::uint16_t kObjectsAssigned = 20112;
constexpr std::uint16_t kRelatePointNotice = 20201;
constexpr std::uint16_t kSysCoor = 20202;
constexpr std::uint16_t kUpdateNotice = 20203;
constexpr std::uint16_t kPluginVersion = 20204;
constexpr std::uint16_t kMapCentre = 20211;
constexpr std::uint16_t kLevelResolutions = 20212;
constexpr std::uint16_t kMapFileReady = 20302;
constexpr std::uint16_t kContourData = 20303;
constexpr std::uint16_t kButtonPresence = 20401;
constexpr std::uint16_t kSendToCad = 20402;
constexpr std::uint16_t kStatus = 20501;
constexpr std::uint16_t kPatternList = 20601;
}  // namespace host_message

// Minimum lengths beyond those the decoders check.
constexpr std::size_t kObjectTreeMinimum = 144;
constexpr std::size_t kContourMinimum = 92;
constexpr std::size_t kTestNoticeMinimum = 788;
constexpr std::size_t kMapFileRecord = 472;
constexpr std::uint32_t kFolderKind = 30;
constexpr int kMeterAssigned = 90;
constexpr int kMeterDone = 100;
constexpr int kMeterTree = 60;

bool Query(const std::function<bool()>& q) { return q && q(); }

}  // namespace

LRESULT CMessageDlg::dispatchHostMessage(const COPYDATASTRUCT& cds) {
  namespace M = host_message;
  const auto code = static_cast<std::uint16_t>(cds.dwData & 0xFFFF);
  const HostBytes m = (cds.cbData > 0 && cds.lpData)
                          ? HostBytes(static_cast<const std::uint8_t*>(cds.lpData), cds.cbData)
                          : HostBytes();
  NotificationRoutes& r = Routes();
  HostAnswers& a = Answers();
  NotificationFlags& f = Flags();
  const bool baseMap = Query(r.baseMapStateExists);

  switch (code) {
    case M::kLatLng: {
      // A point too short to read still goes to the dialog: it was hidden for the pick and
      // shows itself again with nothing changed.
      const bool readable = DecodeLatLng(m).has_value();
      const HWND dialog = r.relationDialog ? r.relationDialog() : nullptr;
      if (dialog && IsWindow(dialog)) {
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        COPYDATASTRUCT copy = cds;
        SendMessageW(dialog, WM_COPYDATA, kCopyDataWParam, reinterpret_cast<LPARAM>(&copy));
      }
      return readable ? tail() : 1;
    }
    case M::kObjectsAssigned: {
      // Nested inside the plug-in's own SetObjTree: the flag goes back to what the sender set.
      FlagRestore restore(f.sendingFlag);
      f.sendingFlag = true;
      if (r.meterSet) r.meterSet(kMeterAssigned);
      const auto headers = DecodeAssignedObjects(m);
      if (r.objectsAssigned) r.objectsAssigned(headers);
      if (r.meterSet) r.meterSet(kMeterDone);
      if (r.meterRestore) r.meterRestore();
      return tail();
    }
    case M::kContourData:
      if (m.size() < kContourMinimum || !baseMap) return 1;
      if (r.contourData) r.contourData(m);
      return tail();
    case M::kObjectTree:
      if (m.size() < kObjectTreeMinimum) {
        if (r.meterRestore) r.meterRestore();
        return 1;
      }
      if (r.meterSet) r.meterSet(kMeterTree);
      if (Query(r.awaitingBaseline)) {
        if (r.crossSectionBaseline) r.crossSectionBaseline(m);
      } else if (r.objectTree) {
        r.objectTree(m);
      }
      return tail();
    case M::kButtonPresence:
      if (const auto present = DecodeButtonPresence(m)) a.buttonPresent = *present;
      return 1;
    case M::kUpdateNotice: {
      const auto notice = DecodeUpdateNotice(m);
      if (!notice) return 1;
      KillTimer(kTimerPluginVersion);
      if (notice->version > static_cast<std::uint32_t>(PLUGIN_VERSION) &&
          !RequireHostLink().presence().updatePromptShown) {
        a.noticeVersion = notice->version;
        a.noticeNotes = notice->notes;
        PostMessage(kMsgUpdatePrompt);
      }
      return tail();
    }
    case M::kPluginVersion: {
      const auto version = DecodePluginVersion(m);
      if (!version) return 1;
      if (*version > static_cast<std::uint32_t>(PLUGIN_VERSION)) ShowUpdatePrompt(u"", *version);
      return tail();
    }
    case M::kSendToCad:
      if (Query(r.drawingOpen) && CheckHostReady()) PostMessage(kMsgReceiveObjects);
      return 1;
    case M::kTestNotice:
      if (m.size() < kTestNoticeMinimum) return -1;
      return tail();
    case M::kMapCentre:
      if (const auto centre = DecodeMapCentre(m)) {
        a.referencePoint = *centre;
        a.referencePointKnown = true;
      }
      return 1;
    case M::kMapView: {
      const auto view = DecodeMapView(m);
      if (!view || Query(r.hostSystemGeographic) || !baseMap) return 1;
      if (r.mapView) r.mapView(*view);
      return tail();
    }
    case M::kLevelResolutions:
      FillLevelResolutions(m, a.levels);
      return 1;
    case M::kMapFileReady:
      if (m.size() < kMapFileRecord || !baseMap) return 0;
      if (r.mapFile) r.mapFile(m);
      return 1;
    case M::kPatternList:
      if (auto list = DecodePatternList(m); list && r.patternList) r.patternList(std::move(*list));
      return tail();
    case M::kSearchResult: {
      const auto id = DecodeFoundObjectId(m);
      if (!id) return 1;
      a.foundObjectId = *id;
      return tail();
    }
    case M::kFolderCandidates: {
      const auto list = DecodeFolderList(m);
      if (!list) return 0;
      a.foundFolderId = 0;
      for (const auto& e : *list) {
        if (e.kind == kFolderKind && e.name == a.searchedFolderName) {
          a.foundFolderId = e.id;
          break;
        }
      }
      return tail();
    }
    case M::kObjectFound: {
      const auto reply = DecodeGetObjReply(m);
      if (!reply) return 1;
      a.foundFolderId = reply->foundFolderId;
      return tail();
    }
    case M::kFolderEntries: {
      const auto list = DecodeFolderList(m);
      if (!list) return 0;
      a.folderList.clear();
      for (const auto& e : *list) {
        if (e.kind == kFolderKind) a.folderList.push_back(e);
      }
      return tail();
    }
    case M::kRelatePointNotice: {
      const auto value = DecodeRelatePointNotice(m);
      if (!value) return 0;
      if (*value == -1) {
        // At most one resend at a time: a notice nested inside the resend is ignored.
        if (!f.relationPointsInFlight && r.resendRelationPoints) {
          FlagRestore restore(f.relationPointsInFlight);
          f.relationPointsInFlight = true;
          r.resendRelationPoints();
        }
      } else if (*value == 0 && Query(r.drawingOpen)) {
        if (r.markCoordinateSystemPending) r.markCoordinateSystemPending();
        GetSysCoor();
      }
      return tail();
    }
    case M::kSysCoor: {
      const auto info = DecodeSysCoor(m);
      if (!info) return 0;
      if (r.sysCoor) r.sysCoor(*info);
      return 1;
    }
    case M::kStatus: return 1;
    case M::kNoAction:
    default: return tail();
  }
}

}  // namespace vurk
