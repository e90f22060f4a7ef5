// The desk's `send` verb: a drawing sent to the host the way a user sends it, non-interactively.
//
//   vurkarx-desk send DRAWING.dxf [--out FILE.geojson] [--coords SYSTEM]
//
// A desk session starts the host, gives it the coordinate system SYSTEM (the words of the
// scenario step `host system`: "geographic", or "gk 3|6 ZONE [zone-in-easting]"; default
// "gk 3 38"), opens the drawing with the plug-in loaded, selects everything and presses the
// toolbar's send button. Prints one line:
//   "sent<TAB>entities N<TAB>objects M<TAB>folders F"
// (model-space entities, map objects and folders the host then holds below its root). --out
// writes every map object as GeoJSON in longitude/latitude. Any failure (unreadable drawing,
// a question or message of the plug-in, a refused request, nothing arriving in the host) is
// one line on stderr and exit 1; bad arguments exit 2.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace desk {

int runSendCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace desk
