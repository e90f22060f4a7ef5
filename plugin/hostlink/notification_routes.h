// What the notification window hands to the other subsystems, and what it asks of them.
//
// The window owns the dispatch of the host's messages, its guards and return values; the work
// behind each message belongs to other subsystems, which fill these routes when they start. A
// route that is not set does nothing (a hand-off) or gives the stated answer (a query), so the
// window keeps its order and guards while the subsystem behind it does not exist yet.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "arx/dbid.h"
#include "hostlink/pattern_list.h"
#include "hostlink/reply_decoders.h"
#include "win32/types.h"

namespace vurk {

struct NotificationRoutes {
  // ---- queries (answer when unset)
  std::function<bool()> toolbarVisible;       // the toolbar is visible (unset: true)
  std::function<bool()> baseMapStateExists;   // the current drawing has its base-map state (unset: false)
  std::function<bool()> awaitingBaseline;     // a cross-section baseline is awaited (unset: false)
  std::function<void()> clearAwaitingBaseline;
  std::function<bool()> drawingOpen;          // a drawing is open (unset: false)
  std::function<bool()> hostSystemGeographic;  // the host's coordinate system is geographic (unset: false)
  std::function<HWND()> relationDialog;       // the open relation-point dialog (unset: none)

  // ---- host messages handed on (after the window's guards)
  std::function<void(const std::vector<AssignedObject>&)> objectsAssigned;  // 20112
  std::function<void(HostBytes)> objectTree;                                // 20110
  std::function<void(HostBytes)> crossSectionBaseline;                      // 20110 while awaited
  std::function<void(HostBytes)> contourData;                               // 20303
  std::function<void(const MapViewRecord&)> mapView;                        // 20012
  std::function<void(HostBytes)> mapFile;                                   // 20302
  std::function<void(PatternList)> patternList;                             // 20601
  std::function<void(const SysCoorReply&)> sysCoor;                         // 20202
  std::function<void()> resendRelationPoints;                               // 20201 with -1
  std::function<void()> markCoordinateSystemPending;                        // 20201 with 0

  // ---- posted messages and progress
  std::function<void()> openRelationDialog;                              // 32818
  std::function<void(const AcDbObjectIdArray&)> syncEntities;            // 32816
  std::function<bool(double x, double y, AcDbObjectId& icon)> pointToIcon;  // 32817
  std::function<void()> iconDeclutter;                                   // 32812
  std::function<void()> refreshView;                                     // 32814
  std::function<void()> deleteErased;                                    // 32820
  std::function<void()> ignoredObjectsNotice;                            // 32821
  std::function<void(WPARAM, LPARAM)> mapFileProgress;
  std::function<void(WPARAM, LPARAM)> contourProgress;
  // The status-bar progress meter: start with a text, set a position, restore the status bar.
  std::function<void(const std::u16string&)> meterStart;
  std::function<void(int)> meterSet;
  std::function<void()> meterRestore;

  // ---- timers run by other subsystems
  std::function<void()> viewWatch;          // 1006
  std::function<void()> tileStep;           // 1007
  std::function<void()> pendingTiles;       // 1009
  std::function<void()> framesAndBaseMap;   // 1008, once
  std::function<void()> clearHatchFlag;     // 1002
  std::function<void(int)> downloadStep;    // 1010
};

// What the window keeps of the host's messages for the requests that read it afterwards.
struct HostAnswers {
  bool buttonPresent = false;              // 20401
  std::uint32_t foundObjectId = 0;         // 20107
  std::uint32_t foundFolderId = 0;         // 20105, 20101
  std::string searchedFolderName;          // set by the caller of SrhObj (UTF-8)
  std::vector<FolderListEntry> folderList;  // 20100: the folders only
  bool referencePointKnown = false;        // 20211
  MapCentre referencePoint;
  LevelResolutionTable levels;             // 20212
  std::uint32_t noticeVersion = 0;         // 20203
  std::string noticeNotes;
};

// The plug-in's own flags that the window sets and clears.
struct NotificationFlags {
  bool sendingFlag = false;           // object data from the host is being applied
  bool iconPassRunning = false;
  bool relationPointsInFlight = false;  // a resend asked for by 20201 is running
};

// The running host link's routes, answers and flags (it must be running).
NotificationRoutes& Routes();
HostAnswers& Answers();
NotificationFlags& Flags();

}  // namespace vurk
