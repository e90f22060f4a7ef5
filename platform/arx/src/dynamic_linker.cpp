#include "arx/acad_app.h"
#include "arx/acutads.h"
#include "arx/rxdlinkr.h"

ACRX_DEFINE_MEMBERS(AcRxDynamicLinker, AcRxObject)

bool AcRxDynamicLinker::loadModule(const ACHAR* fileName, bool printit, bool) {
  if (!fileName) return false;
  if (app_.loadModule(fileName)) return true;
  if (printit) acutPrintf(u"\nUnable to load %s.", fileName);
  return false;
}

bool AcRxDynamicLinker::unloadModule(const ACHAR* fileName, bool) { return fileName && app_.unloadModule(fileName); }

bool AcRxDynamicLinker::isModuleLoaded(const ACHAR* fileName) const {
  return fileName && app_.moduleLoadCount(fileName) > 0;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) const { return app_.setApplicationUnlocked(appId, true); }

bool AcRxDynamicLinker::lockApplication(void* appId) const { return app_.setApplicationUnlocked(appId, false); }

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const { return app_.setApplicationMDIAware(appId, true); }

bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const { return app_.setApplicationMDIAware(appId, false); }

bool AcRxDynamicLinker::isApplicationLocked(const ACHAR* appName) const {
  return appName && app_.isApplicationLocked(appName);
}

bool AcRxDynamicLinker::isAppMDIAware(const ACHAR* appName) const {
  return appName && app_.isApplicationMDIAware(appName);
}

bool acrxUnregisterApp(const ACHAR* appName, bool) {
  return appName && arx::AcadApplication::current().unregisterAppName(appName);
}
