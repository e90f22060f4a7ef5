// The host application's services to the drawing database: the working database.
//
// Models: acdbHostApplicationServices() answers the services object the session installed
// (with acdbSetHostApplicationServices or an AcDbHostServicesScope); its workingDatabase() is
// the database that functions without a database argument act on (entity setLayer by name for
// non-resident entities, acdbRegApp, acdbEntLast). The document layer switches it when a
// document is activated. acdbRegApp(name) registers an application name in the working
// database's regapp table: RTNORM when it is registered afterwards (also when it already
// was), RTERROR without a working database or for an empty name. acdbEntLast gives the last
// entity appended to the working database (model or paper space) that is not erased:
// RTNORM with its name, RTERROR when there is none.
// Limitations: no other services (find file, progress meters, product strings).
#pragma once

#include "arx/acadstrc.h"
#include "arx/adsdef.h"
#include "arx/dbid.h"

class AcDbDatabase;

class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const { return working_; }
  void setWorkingDatabase(AcDbDatabase* db) { working_ = db; }

 private:
  AcDbDatabase* working_ = nullptr;
};

// The installed services; asserts in debug builds when none is installed (null in release
// builds).
AcDbHostApplicationServices* acdbHostApplicationServices();
// Installs services (null uninstalls); returns the previous ones.
AcDbHostApplicationServices* acdbSetHostApplicationServices(AcDbHostApplicationServices* services);
// True when a services object is installed. Non-standard.
bool acdbHasHostApplicationServices();

// Installs services for a scope and restores the previous ones.
class AcDbHostServicesScope {
 public:
  explicit AcDbHostServicesScope(AcDbHostApplicationServices& services)
      : previous_(acdbSetHostApplicationServices(&services)) {}
  ~AcDbHostServicesScope() { acdbSetHostApplicationServices(previous_); }
  AcDbHostServicesScope(const AcDbHostServicesScope&) = delete;
  AcDbHostServicesScope& operator=(const AcDbHostServicesScope&) = delete;

 private:
  AcDbHostApplicationServices* previous_;
};

// Registers appName in the working database's regapp table.
int acdbRegApp(const ACHAR* appName);
// The last entity appended to the working database that is not erased.
int acdbEntLast(ads_name result);
// ads_name <-> object id.
Acad::ErrorStatus acdbGetAdsName(ads_name& name, AcDbObjectId id);
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
