// Host application services, the working database and its ADS-level helpers.
#include "arx/dbapserv.h"

#include <cassert>

#include "arx/adscodes.h"
#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"

namespace {

// The installed services object (owned by the session that installed it).
AcDbHostApplicationServices* gInstalledServices = nullptr;

}  // namespace

AcDbHostApplicationServices* acdbHostApplicationServices() {
  assert(gInstalledServices && "no host application services installed (AcDbHostServicesScope)");
  return gInstalledServices;
}

AcDbHostApplicationServices* acdbSetHostApplicationServices(AcDbHostApplicationServices* services) {
  AcDbHostApplicationServices* previous = gInstalledServices;
  gInstalledServices = services;
  return previous;
}

bool acdbHasHostApplicationServices() { return gInstalledServices != nullptr; }

int acdbRegApp(const ACHAR* appName) {
  if (!appName || !*appName || !acdbHasHostApplicationServices()) return RTERROR;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return RTERROR;
  AcDbRegAppTable* table = nullptr;
  if (db->getRegAppTable(table, AcDb::kForRead) != Acad::eOk) return RTERROR;
  bool present = table->has(appName);
  if (present) {
    table->close();
    return RTNORM;
  }
  if (table->upgradeOpen() != Acad::eOk) {
    table->close();
    return RTERROR;
  }
  auto* rec = new AcDbRegAppTableRecord;
  rec->setName(appName);
  Acad::ErrorStatus es = table->add(rec);
  if (es == Acad::eOk)
    rec->close();
  else
    delete rec;
  table->close();
  return es == Acad::eOk ? RTNORM : RTERROR;
}

Acad::ErrorStatus acdbGetAdsName(ads_name& name, AcDbObjectId id) {
  name[0] = static_cast<std::intptr_t>(id.asOldId());
  name[1] = static_cast<std::intptr_t>(id.handle().value());
  return id.isNull() ? Acad::eNullObjectId : Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
  id = AcDbObjectId::kNull;
  auto* stub = reinterpret_cast<AcDbStub*>(name[0]);
  if (!stub) return Acad::eInvalidAdsName;
  // The second word carries the handle: a stale or made-up name fails this check.
  if (static_cast<std::intptr_t>(stub->handle.value()) != name[1]) return Acad::eInvalidAdsName;
  id = AcDbObjectId::fromStub(stub);
  return Acad::eOk;
}

int acdbEntLast(ads_name result) {
  ads_name found = {0, 0};
  result[0] = result[1] = 0;
  if (!acdbHasHostApplicationServices()) return RTERROR;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return RTERROR;
  AcDbObjectId best;
  for (AcDbObjectId space : {db->modelSpaceId(), db->paperSpaceId()}) {
    auto* btr = arxdetail::DbAccess::peekAs<AcDbBlockTableRecord>(space);
    if (!btr) continue;
    for (AcDbObjectId id : arxdetail::DbAccess::entities(*btr))
      if (!id.isNull() && !id.isErased() && (best.isNull() || best < id)) best = id;
  }
  if (best.isNull()) return RTERROR;
  acdbGetAdsName(found, best);
  result[0] = found[0];
  result[1] = found[1];
  return RTNORM;
}
