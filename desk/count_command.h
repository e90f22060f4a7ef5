// The desk's `count` verb: the entities of a drawing's model space, per class.
//
//   vurkarx-desk count DRAWING.dxf
//
// prints one line per entity class of model space, "ClassName<TAB>count", sorted by class
// name, then "total<TAB>N". Only top-level entities count (polyline vertices, block-reference
// attributes and sequence ends belong to their owners); erased ones do not.
#pragma once

#include <map>
#include <ostream>
#include <string>

#include "arx/dbid.h"

class AcDbDatabase;

namespace desk {

// The ids of model space's entities in drawing order (erased ones included: callers open them);
// empty when model space does not open.
AcDbObjectIdArray modelSpaceIds(const AcDbDatabase& db);

// Entities of model space per runtime class name (e.g. "AcDbLine"), sorted by name.
std::map<std::string, long> modelSpaceClassCounts(const AcDbDatabase& db);

// Reads the DXF file at path and prints the counts to out. A drawing that cannot be read
// gives one line on err ("vurkarx-desk: cannot read PATH: reason") and exit status 1.
int runCountCommand(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace desk
