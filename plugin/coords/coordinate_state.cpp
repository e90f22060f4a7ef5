#include "coords/coordinate_state.h"

#include <cmath>

#include "arx/dbapserv.h"
#include "arx/dbextents.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"
#include "coords/relation_dialog.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_window.h"
#include "hostlink/reply_decoders.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/request_layouts.h"
#include "mfc/afxmsg.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "shell/toolbar_window.h"
#include "util/byte_io.h"

namespace vurk {

namespace {

std::vector<RelationPoint> g_points;
CoordinateState g_state;

constexpr std::uint64_t kTopBitClear = 0x7FFFFFFFFFFFFFFFULL;
constexpr double kMillion = 1'000'000.0;
constexpr std::int64_t kMillionInt = 1'000'000;
// Integers beyond this are no longer exact as doubles: such an easting has no zone.
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

// relation_point layout inside a SetRelatePoint payload.
namespace P {
constexpr std::size_t kLongitude = 0;
constexpr std::size_t kLatitude = 8;
constexpr std::size_t kSent = 16;
constexpr std::size_t kX = 24;
constexpr std::size_t kY = 32;
constexpr std::size_t kSize = relate_point_layout::kPointSize;
}  // namespace P

bool ValidPosition(const RelationPoint& p) {
  return p.latitude >= -90.0 && p.latitude <= 90.0 && p.longitude >= -180.0 && p.longitude <= 180.0;
}

// The zone number in front of an easting: the integer part divided by a million; 0 for values
// that are not finite or too large to be exact.
std::int64_t ZoneOf(double east) {
  if (!std::isfinite(east) || std::fabs(east) >= kExactIntegerLimit) return 0;
  return static_cast<std::int64_t>(std::trunc(east)) / kMillionInt;
}

bool SettingOn(std::uint8_t SettingsRecord::*field) {
  const SettingsStore* store = CurrentSettings();
  return store && store->record().*field;
}

// The X of the centre of model space's extents; 0 for an empty drawing.
double DrawingCentreX() {
  AcDbDatabase* db = acdbHostApplicationServices() ? acdbHostApplicationServices()->workingDatabase() : nullptr;
  AcDbBlockTableRecord* space = nullptr;
  if (!db || GetModelSpace(db, space, AcDb::kForRead) != Acad::eOk) return 0;
  AcDbExtents extents;
  const Acad::ErrorStatus es = extents.addBlockExt(space);
  space->close();
  if (es != Acad::eOk || extents.isEmpty()) return 0;
  const double x = (extents.minPoint().x + extents.maxPoint().x) / 2.0;
  return std::isfinite(x) ? x : 0;
}

}  // namespace

std::vector<RelationPoint>& RelationPoints() { return g_points; }
CoordinateState& CoordState() { return g_state; }

void StartCoordinateAlignment() {
  g_points.clear();
  g_state = CoordinateState{};
  HostLink* link = CurrentHostLink();
  if (!link) return;
  NotificationRoutes& r = link->routes();
  r.sysCoor = [](const SysCoorReply& info) { OnSysCoorInfo(info); };
  r.resendRelationPoints = [] { SetSysCoorPoint(kModeRelationPoints); };
  r.markCoordinateSystemPending = [] {
    g_state.recordPending = true;
    g_state.recordPath = CurrentDocumentPath();
  };
  r.hostSystemGeographic = [] { return g_state.geographic; };
  r.openRelationDialog = [] { OpenRelationPointDialog(); };
  r.relationDialog = [] { return RelationPointDialogWindow(); };
}

void StopCoordinateAlignment() {
  DestroyRelationPointDialog();
  g_points.clear();
  g_state = CoordinateState{};
}

std::vector<std::uint8_t> RelationPointsForHost(std::span<const RelationPoint> points) {
  std::vector<std::uint8_t> bytes;
  for (const RelationPoint& p : points) {
    if (!ValidPosition(p)) continue;
    const std::size_t base = bytes.size();
    bytes.resize(base + P::kSize, 0);
    const std::span<std::uint8_t> b(bytes.data() + base, P::kSize);
    putF64le(b, P::kLongitude, p.longitude);
    putF64le(b, P::kLatitude, p.latitude);
    putU8(b, P::kSent, 1);
    putF64le(b, P::kX, p.x);
    putF64le(b, P::kY, p.y);
  }
  return bytes;
}

int SetSysCoorPoint(std::uint32_t mode) {
  if (g_points.empty()) return -1;
  if (g_points.size() == 1) {
    const RelationPoint& p = g_points.front();
    if ((p.longitude == 0 && p.latitude == 0) || (p.x == 0 && p.y == 0)) return 0;
  }
  const std::vector<std::uint8_t> points = RelationPointsForHost(g_points);
  if (points.empty()) return -1;
  const int status = SetRelatePoint(mode, points);
  ShowHostError(status, kSetSysCoorPointErr, false);
  return status;
}

std::uint64_t CoorFingerprint(const std::array<std::uint8_t, 8>& identity) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < identity.size(); ++i) v |= static_cast<std::uint64_t>(identity[i]) << (8 * i);
  return v & kTopBitClear;
}

void OnSysCoorInfo(const SysCoorReply& info) {
  const std::uint64_t f = CoorFingerprint(info.fingerprint);
  if (Features().baseMapFingerprint) {
    if (std::uint64_t* baseMap = Features().baseMapFingerprint(); baseMap && *baseMap != f) {
      const std::uint64_t old = *baseMap;
      *baseMap = f;
      if (old != 0) RunFeature(Features().startOnlineMap, u"online base map");
    }
  }
  g_state.systemType = info.type;
  g_state.geographic = info.type == kGeographicSystem;
  g_state.name = HostText(info.name);
  g_state.fingerprint = f;
  if (g_state.checkPending) {
    if (g_state.geographic || f != g_state.checkStoredFingerprint) {
      if (CMessageDlg* window = NotificationWindow()) window->PostMessage(kMsgOpenRelationDialog);
    }
    g_state.checkPending = false;
  }
  if (g_state.recordPending) {
    if (!g_state.geographic) WriteDrawingCoordinateIdentity(g_state.recordPath, f);
    g_state.recordPending = false;
  }
}

void CheckDocumentCoordinateSystem(const std::u16string& drawingPath, UINT delayMs) {
  if (drawingPath.empty() || g_state.checkPending || !ToolbarVisibleFlag()) return;
  GetSysCoor();
  if (!SettingOn(&SettingsRecord::noRelationPointPrompt) || g_state.geographic) {
    g_state.checkPending = true;
    g_state.checkPath = drawingPath;
    g_state.checkStoredFingerprint = ReadDrawingCoordinateIdentity(drawingPath);
    if (delayMs > 0) {
      if (CMessageDlg* window = NotificationWindow()) window->SetTimer(kTimerSysCoorQuery, delayMs);
    }
  }
}

void RecordDocumentCoordinateSystem() {
  const std::u16string path = CurrentDocumentPath();
  if (path.empty()) return;
  g_state.recordPending = true;
  g_state.recordPath = path;
  GetSysCoor();
}

void ClearPendingDocumentCheck() { g_state.checkPending = false; }

bool LooksLikeProjectedEasting(double x) {
  if (!std::isfinite(x)) return false;
  if (x / kMillion > 1) {
    // The zone is the integer part of the millions, so every easting of zone 45 counts.
    const std::int64_t zone = ZoneOf(x);
    if (zone < 13 || zone > 45) return false;
    const std::int64_t t = static_cast<std::int64_t>(std::trunc(x));
    const std::int64_t r = t - kMillionInt * (t / kMillionInt);
    return r >= 160'000 && r <= 840'000;
  }
  return x >= 160'000 && x <= 840'000;
}

bool CheckZoneConsistency(bool force) {
  if (SettingOn(&SettingsRecord::noZoneNumberCheck)) return true;
  if (force) {
    g_state.zoneVerdict.reset();
  } else if (g_state.zoneVerdict.value_or(false)) {
    return true;
  }
  HostLink* link = CurrentHostLink();
  if (link) link->answers().referencePointKnown = false;
  GetMapCenter();
  const double hostEast = (link && link->answers().referencePointKnown) ? link->answers().referencePoint.east : 0;
  const double drawingX = DrawingCentreX();
  if (drawingX == 0) {
    g_state.zoneVerdict.reset();
    return true;
  }
  const std::int64_t hostZone = ZoneOf(hostEast);
  const std::int64_t drawingZone = ZoneOf(drawingX);
  const bool consistent = (hostZone >= 1 && drawingZone >= 1) || (hostZone <= 0 && drawingZone <= 0);
  g_state.zoneVerdict = consistent;
  if (consistent) return true;
  return AfxMessageBox(u"系统检测到星衡和CAD的坐标系设置异常（其中一个有带号）。\n是否取消操作？\n点[是]取消本次操作；点[否]继续发送数据。\n提示：如果您需要系统忽略该检测。请在[设置]中去掉[检测系统坐标系的带号]。",
                       MB_YESNO) != IDYES;
}

}  // namespace vurk
