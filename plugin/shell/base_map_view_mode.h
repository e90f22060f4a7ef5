// The view settings the online base map needs: raster images drawn during real-time zoom
// (RTDISPLAY 0), wheel zoom in steps of 100 (ZOOMFACTOR), and the graphics configuration's
// adaptive degradation off. The user's own values are remembered at start-up and put back when
// the base map is switched off, at unload and when AutoCAD quits.
#pragma once

namespace vurk {

// Remembers RTDISPLAY, ZOOMFACTOR and the graphics flag, then sets ZOOMFACTOR to 100.
void SaveViewVariables();
// on: the base-map values; off: the values remembered at start-up.
void SetBaseMapViewMode(bool on);
// The ZOOMFACTOR remembered at start-up (tests and the desk show it).
short SavedZoomFactor();

}  // namespace vurk
