// The desk's `encode` verb: every model-space entity of a drawing encoded as a send would do
// it, with no host (folder ids 0, no links, no host patterns).
//
//   vurkarx-desk encode DRAWING.dxf [--map-scale S] [--out FILE.json] [--raw FILE]
//
// Entities are taken layer by layer (layers in the order their first entity appears); after
// each layer its deferred points become a point set. Prints:
//   "entity<TAB>Class<TAB>outcome<TAB>count" per class and outcome (encoded, point set,
//       skipped), sorted;
//   "skipped<TAB>Class<TAB>handle<TAB>reason" for every entity that produced nothing;
//   "record<TAB>Kind<TAB>sourceKind<TAB>count" per record kind and source kind, as the host's
//       own reader reads the stream ("-" for kinds without a source kind);
//   "total<TAB>entities N<TAB>records M<TAB>bytes B".
// --out writes the host's JSON reading of the stream, --raw the exact SetObjTree payload
// (request head, batch header, entries).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace desk {

int runEncodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace desk
