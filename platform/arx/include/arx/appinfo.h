// AcadAppInfo: an application's demand-load entry in AutoCAD's registry.
//
// Models the entry AutoCAD reads at start-up to know which applications to load and when, kept
// with the Win32 registry calls (win32/winreg.h) under HKEY_CURRENT_USER:
//   <product key>\Applications\<appName>          product key: AcadApplication::kProductKey,
//       DESCRIPTION  REG_SZ     the description      "Software\Autodesk\AutoCAD\R24.0\ACAD-4101:804"
//       LOADCTRLS    REG_DWORD  the load reasons (AcadApp::LoadReasons bits)
//       LOADER       REG_SZ     the module's full path
//       Commands\    one REG_SZ value per command: name = global name, data = local name
//       Groups\      one REG_SZ value per group: name = data = group name
// readFromRegistry fills module name, description and load reasons from the entry named by
// appName; a value that is missing, of another type or of an impossible size leaves its field
// empty (0 for the load reasons). delFromRegistry removes the whole entry.
// Statuses: eOk; eInvalidInput when the application name (or a group / command name) is
// empty; eKeyNotFound when the entry does not exist (read, delete); eFileAccessErr when the
// registry refuses a write.
// Limitations: no machine-wide (HKEY_LOCAL_MACHINE) entries; the product key is fixed to the
// Chinese-language AutoCAD 2021.
#pragma once

#include <string>

#include "arx/acadstrc.h"
#include "win32/types.h"

struct AcadApp {
  enum LoadReasons : unsigned int {
    kOnProxyDetection = 0x01,
    kOnAutoCADStartup = 0x02,
    kOnCommandInvocation = 0x04,
    kOnLoadRequest = 0x08,
    kLoadDisabled = 0x10,
    kTransparentlyLoadable = 0x20,
    kOnIdleLoad = 0x40,
  };
};

class AcadAppInfo {
 public:
  const ACHAR* appName() const { return appName_.c_str(); }
  void setAppName(const ACHAR* name) { appName_ = name ? name : u""; }
  const ACHAR* moduleName() const { return moduleName_.c_str(); }
  void setModuleName(const ACHAR* path) { moduleName_ = path ? path : u""; }
  const ACHAR* appDesc() const { return appDesc_.c_str(); }
  void setAppDesc(const ACHAR* desc) { appDesc_ = desc ? desc : u""; }
  AcadApp::LoadReasons loadReason() const { return loadReason_; }
  void setLoadReason(AcadApp::LoadReasons reasons) { loadReason_ = reasons; }

  Acad::ErrorStatus writeToRegistry();
  Acad::ErrorStatus writeGroupNameToRegistry(const ACHAR* group);
  Acad::ErrorStatus writeCommandNameToRegistry(const ACHAR* globalName, const ACHAR* localName);
  Acad::ErrorStatus readFromRegistry();
  Acad::ErrorStatus delFromRegistry();

  // The entry's key below HKEY_CURRENT_USER ("...\Applications\<appName>").
  std::u16string registryKey() const;

 private:
  std::u16string appName_;
  std::u16string moduleName_;
  std::u16string appDesc_;
  AcadApp::LoadReasons loadReason_ = static_cast<AcadApp::LoadReasons>(0);
};
