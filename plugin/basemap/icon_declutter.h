// Thinning out point icons: when many icons lie in the view, the view is divided into square
// cells of c × c pixels and only the first icon of each cell stays visible, so the map marks
// stay readable at any zoom.
#pragma once

#include <cstddef>
#include <cstdint>

#include "reactors/view_record.h"

namespace vurk {

struct DeclutterOutcome {
  bool ran = false;          // false: the view or the threshold stopped the pass before any change
  std::size_t iconsInView = 0;
  std::size_t hidden = 0;    // icons that were visible and are hidden now
  std::size_t shown = 0;     // icons that were hidden and are visible now
};

// The threshold the pass uses: a stored 0 (a settings record that was never written) means the
// default of 1000 icons.
std::uint32_t EffectiveIconThreshold(std::uint32_t stored);

// One pass over the icon images of model space that lie in the view, with the active document
// locked for writing (no active document: no pass):
// nothing happens while fewer than threshold icons are in view. Cell size c = ⌊√(w × h /
// threshold)⌋ pixels; an icon's cell is column × 19 + row (cells 0..599), counted from the
// view's lower-left corner at the icon's position (the middle of its bottom edge). The first
// icon of a cell is shown, the others hidden; icons outside the cells keep their state. Only
// icons whose visibility changes are opened for writing. Images that are not icons are neither
// counted nor touched. An image that cannot be opened is reported in a message box
// ("Update Icon1 ErrorCode:%d" while reading, "Update Icon2 ErrorCode:%d" while writing).
DeclutterOutcome DeclutterIcons(const ViewRecord& view, std::uint32_t threshold);

// The pass the notification window runs on message 32812: the current view and the threshold
// of the settings (nothing without a usable view).
DeclutterOutcome RunIconDeclutterPass();

}  // namespace vurk
