// The desk's `count` verb.
#include "count_command.h"

#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbsymtb.h"
#include "arx/dxf.h"
#include "win32/unicode.h"

namespace desk {

AcDbObjectIdArray modelSpaceIds(const AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return {};
  const AcDbObjectIdArray ids = space->entityIds();
  space->close();
  return ids;
}

std::map<std::string, long> modelSpaceClassCounts(const AcDbDatabase& db) {
  std::map<std::string, long> counts;
  for (AcDbObjectId id : modelSpaceIds(db)) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;  // erased
    ++counts[win32::utf16ToUtf8(e->isA()->name())];
    e->close();
  }
  return counts;
}

int runCountCommand(const std::string& path, std::ostream& out, std::ostream& err) {
  arxdxf::ReadResult r = arxdxf::readDxfFile(path);
  if (!r.database) {
    err << "vurkarx-desk: cannot read " << path << ": " << r.reason << "\n";
    return 1;
  }
  long total = 0;
  for (const auto& [name, n] : modelSpaceClassCounts(*r.database)) {
    out << name << '\t' << n << '\n';
    total += n;
  }
  out << "total\t" << total << '\n';
  return 0;
}

}  // namespace desk
