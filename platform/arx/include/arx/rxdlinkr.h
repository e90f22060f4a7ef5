// The dynamic linker: AutoCAD's loader of ARX applications and object enablers.
//
// Models, for the current AutoCAD application (arx/acad_app.h):
//   - unlockApplication / lockApplication / registerAppMDIAware take the application id (the
//     packet of kInitAppMsg) and record the flag for that application; an id that belongs to
//     no loaded application is refused (false). A locked application cannot be unloaded
//     (applications start locked; the framework unlocks them at kInitAppMsg).
//   - loadModule loads an object-enabler module by file name (a bare name or a path; the name
//     after the last backslash is compared case-insensitively). Whether it loads is a setting of
//     the session (AcadApplication::setModuleAvailable; "acISMobj24.dbx" and "AcGeomentObj.dbx"
//     are available by default). A module loaded twice counts two loads and needs two unloads.
//     A failure with printit prints "\nUnable to load <name>." on the command line.
//   - unloadModule undoes one load; false when the module is not loaded.
// Limitations: loadModule does not run ARX applications with entry points (those load through
// AcadApplication::loadApplication); no demand loading, no dependency counting between
// applications (acrxLoadModule dependencies), no search path.
#pragma once

#include "arx/rxobject.h"
#include "win32/types.h"

namespace arx {
class AcadApplication;
}

class AcRxDynamicLinker : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxDynamicLinker);

  explicit AcRxDynamicLinker(arx::AcadApplication& app) : app_(app) {}

  bool loadModule(const ACHAR* fileName, bool printit, bool asCmd = false);
  bool unloadModule(const ACHAR* fileName, bool asCmd = false);
  bool isModuleLoaded(const ACHAR* fileName) const;

  bool unlockApplication(void* appId) const;
  bool lockApplication(void* appId) const;
  bool registerAppMDIAware(void* appId) const;
  bool registerAppNotMDIAware(void* appId) const;
  // By application file name ("VurkArx.arx", with or without the path or the extension).
  bool isApplicationLocked(const ACHAR* appName) const;
  bool isAppMDIAware(const ACHAR* appName) const;

 private:
  arx::AcadApplication& app_;
};

// The dynamic linker of the current AutoCAD application, found in the system registry.
#define acrxDynamicLinker (AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER)))

// Forgets the registration of an application by its logical name (the file name without the
// extension; a loaded application is registered under it, a session may register others with
// AcadApplication::registerAppName). True when it was registered. The demand-load registry
// entries are not touched (AcadAppInfo::delFromRegistry does that).
bool acrxUnregisterApp(const ACHAR* appName, bool bDwgU = false);
