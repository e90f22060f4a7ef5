// Relation points and the host's coordinate system, as the plug-in knows them.
//
// The host converts drawing coordinates to and from longitude/latitude; the plug-in only
// supplies relation points (a drawing point and its longitude/latitude) from which the host
// fits the drawing, and remembers which of the host's coordinate systems each drawing was used
// with (the settings' "FILE_MD5" section), to ask for relation points again when a drawing is
// opened under another system. It also checks zone numbers ("带号") of projected eastings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "win32/types.h"

namespace vurk {

struct SysCoorReply;

// One relation point of the stored list.
struct RelationPoint {
  double longitude = 0;
  double latitude = 0;
  double x = 0;  // drawing X
  double y = 0;  // drawing Y
};

// SetRelatePoint's modes.
inline constexpr std::uint32_t kModeRelationPoints = 3;
inline constexpr std::uint32_t kModeSimplified = 4;
// The host's system type that has no plane coordinates.
inline constexpr std::uint32_t kGeographicSystem = 2;

// The host's coordinate system and the one-shot document check and record.
struct CoordinateState {
  std::uint32_t systemType = 0;
  bool geographic = false;
  std::uint64_t fingerprint = 0;
  std::u16string name;
  bool checkPending = false;
  std::u16string checkPath;
  std::uint64_t checkStoredFingerprint = 0;
  bool recordPending = false;
  std::u16string recordPath;
  std::optional<bool> zoneVerdict;  // the cached zone-number verdict
};

// The process-wide list (emptied whenever the relation-point dialog opens) and state.
std::vector<RelationPoint>& RelationPoints();
CoordinateState& CoordState();

// Start-up and unload: a fresh list and state; start-up also hands the notification window the
// coordinate messages (20201, 20202, 32818).
void StartCoordinateAlignment();
void StopCoordinateAlignment();

// The 80-byte wire form of the list's points with valid positions (latitude in [-90, 90],
// longitude in [-180, 180]), marked as sent.
std::vector<std::uint8_t> RelationPointsForHost(std::span<const RelationPoint> points);

// Sends the list: -1 for an empty list or no valid point, 0 without sending for one point whose
// longitude/latitude or X/Y are both zero, else the request's status (a failure is reported
// with "SetSysCoorPointErr:").
int SetSysCoorPoint(std::uint32_t mode);

// The identity of a coordinate system: its first 8 identity bytes, little-endian, top bit clear.
std::uint64_t CoorFingerprint(const std::array<std::uint8_t, 8>& identity);

// The host's answer to GetSysCoor (host message 20202).
void OnSysCoorInfo(const SysCoorReply& info);

// When a drawing becomes current or around commands: asks the host for its system and, unless
// the user switched the prompt off (a geographic host always asks), marks the drawing for the
// check that may open the relation-point dialog (after delayMs through timer 1001).
void CheckDocumentCoordinateSystem(const std::u16string& drawingPath, UINT delayMs);
// Marks the active drawing for recording the host's system and asks the host for it.
void RecordDocumentCoordinateSystem();
// The pending check is dropped (the user opened the dialog by hand).
void ClearPendingDocumentCheck();

// Whether an easting looks like a projected easting, with a zone number (13..45) in front or
// without one.
bool LooksLikeProjectedEasting(double x);

// Before objects are sent: false when the user cancels because the host and the drawing
// disagree about the zone number.
bool CheckZoneConsistency(bool force);

}  // namespace vurk
