// Where the shell hands work to the features behind its buttons and settings.
//
// The toolbar and the settings dialog check what the user may do (a drawing is open, the host
// is ready, the mode allows it) and then hand the work to the feature that does it: sending
// objects, the online base map, downloads, elevation, cross-sections, the document state. Each
// feature fills its hand-off when it starts. A hand-off that is not filled means the feature is
// not part of this build: the action is written to the log and nothing else happens (no
// message pretends that work was done). Queries that are not filled give the stated answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "arx/dbid.h"

namespace vurk {

struct FeatureHandOffs {
  // ---- queries
  std::function<bool()> documentStateExists;     // the current drawing has its DocIdManager (unset: a drawing is open)
  std::function<bool()> crossSectionMode;        // the current drawing is in cross-section mode (unset: false)
  std::function<bool()> baseMapCaptureRunning;   // a base-map download is running (unset: false)
  std::function<bool()> closingDocument;         // a drawing close is being handled (unset: false)
  // The coordinate-system fingerprint of the current drawing's base map, or null without a
  // base-map state (unset: null).
  std::function<std::uint64_t*()> baseMapFingerprint;

  // ---- actions
  std::function<void()> sendSelection;           // send the selected entities to the host
  std::function<void()> startOnlineMap;          // the online base map of the current drawing starts
  std::function<void()> clearOnlineMap;          // the online base map is removed
  std::function<void()> downloadBaseMap;         // download a base map to a file and insert it
  std::function<void()> downloadElevation;       // download contours
  std::function<void()> startCrossSection;       // the cross-section setting, then the mode
  std::function<void()> endCrossSection;         // the cross-section mode ends
  std::function<void(AcDbObjectId)> placeLabelAtIcon;  // an icon moved: its text label follows
  // The view-follow permission of the drawing reactors: cleared while the relation-point
  // dialog is open.
  std::function<void(bool)> setViewFollowPermission;
};

FeatureHandOffs& Features();

// Runs a hand-off, or writes "<what>: not available in this build" to the log when it is not
// filled. True when the feature ran.
bool RunFeature(const std::function<void()>& handOff, const char16_t* what);

// A drawing is open and has its document state.
bool DocumentStateExists();

}  // namespace vurk
