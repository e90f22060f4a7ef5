// The map scale of a send: the drawing units per screen pixel that label sizes are measured
// against.
#pragma once

namespace vurk {

// Asks the host for its map centre (GetMapCenter, answered by message 20211) and then for the
// ground resolution of its zoom levels at that centre (GetLevelResolution, answered by 20212):
// the vertical resolution of level 19. 0 (unknown) without a host link, when either request
// fails or when the answers do not give it.
double RequestMapScale();

}  // namespace vurk
