// The running AutoCAD stand-in: the application that loads ARX modules and serves them.
//
// Models one AutoCAD 2021 process on a win32::Desktop. It owns the main frame window (class
// "AfxMDIFrame140u", title "Autodesk AutoCAD 2021 - [Drawing1.dwg]"), the system registry with
// the dynamic linker, the command stack, the system variables, the graphics configuration, the
// LISP function registry, the MFC application state, and the ARX applications it loaded.
// It is installed as the current application with AcadScope (like win32::DesktopScope); the
// ObjectARX free functions (acedRegCmds, acedGetVar, acutPrintf, acrxSysRegistry, ...) act on
// the current application.
//
// Loading an ARX application (loadApplication, a module image registered beforehand):
//   1. the module is registered with the desktop under its Windows path (GetModuleFileNameW of
//      its instance answers that path; its resources become reachable);
//   2. its DllMain-like function runs with reason 1 (attach);
//   3. its entry point gets kInitAppMsg with the application's packet (an AppPacket, the
//      application id that the dynamic linker's unlockApplication / registerAppMDIAware take);
//   4. kRetOK: the application is loaded (and registered under its logical name, the file name
//      without extension). kRetError: AutoCAD unloads the module again at once: DllMain with
//      reason 0 (detach), module unregistered. No kUnloadAppMsg is sent in that case.
// Unloading (unloadApplication): refused (false) while the application is locked; otherwise
// kUnloadAppMsg is sent; kRetError keeps the application loaded (false); kRetOK runs DllMain
// detach and unregisters the module. The destructor unloads what is still loaded, last loaded
// first, locked or not (AutoCAD quitting), with this application and its desktop current.
// Application names given to these functions match a loaded application by full path, by file
// name, or by file name without extension, case-insensitively.
//
// It also owns the document manager (arx/acdocman.h), the editor (arx/aced.h) and the command
// processor with the built-in commands (arx/cad_commands.h). Every command run here, registered
// or built-in, is bracketed by the editor's command notifications and holds its document's
// automatic write lock.
// Limitations: kLoadDwgMsg / kUnloadDwgMsg are not sent to applications when documents open and
// close; no demand loading, no search path; one thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "arx/accmd.h"
#include "arx/acedview.h"
#include "arx/acgs.h"
#include "arx/rxapp.h"
#include "arx/rxdlinkr.h"
#include "arx/rxobject.h"
#include "arx/sysvars.h"
#include "win32/types.h"

namespace win32 {
class Desktop;
struct ResourceTable;
}  // namespace win32

namespace mfc {
class AppState;
}  // namespace mfc

class CWnd;
class AcApDocManager;

namespace arx {

class Editor;
class CommandProcessor;

// DllMain reasons.
constexpr DWORD kDllProcessDetach = 0;
constexpr DWORD kDllProcessAttach = 1;

// What a module file holds for the loader: its file name ("VurkArx.arx"), its exported
// acrxEntryPoint, its DllMain and its compiled-in resources (owned by whoever registered the
// image; they must outlive the application).
struct ModuleImage {
  std::u16string fileName;
  AcRxEntryPointFn entryPoint = nullptr;
  void (*dllMain)(HINSTANCE instance, DWORD reason) = nullptr;
  const win32::ResourceTable* resources = nullptr;
};

// The packet passed with kInitAppMsg and kUnloadAppMsg: identifies the application.
struct AppPacket {
  HINSTANCE instance = nullptr;
  std::u16string path;
};

class AcadApplication {
 public:
  static constexpr const char16_t* kMainFrameClass = u"AfxMDIFrame140u";
  static constexpr const char16_t* kDefaultTitle = u"Autodesk AutoCAD 2021 - [Drawing1.dwg]";
  static constexpr const char16_t* kExePath = u"C:\\Program Files\\Autodesk\\AutoCAD 2021\\acad.exe";
  // The product's registry key below HKEY_CURRENT_USER (AutoCAD 2021, Chinese, R24.0).
  static constexpr const char16_t* kProductKey = u"Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804";

  // The desktop must outlive the application.
  explicit AcadApplication(win32::Desktop& desktop);
  ~AcadApplication();
  AcadApplication(const AcadApplication&) = delete;
  AcadApplication& operator=(const AcadApplication&) = delete;

  // The application installed with AcadScope; current() asserts that there is one.
  static AcadApplication& current();
  static AcadApplication* currentOrNull();

  win32::Desktop& desktop() const { return desktop_; }
  // acad.exe's module instance (registered with the desktop under kExePath).
  HINSTANCE instance() const { return exeInstance_; }

  // ----- main frame
  HWND mainWindow() const { return mainWindow_; }
  // The frame as an MFC window object (acedGetAcadFrame).
  CWnd* mainFrame() const;
  bool setMainWindowTitle(const std::u16string& title);
  std::u16string mainWindowTitle() const;
  mfc::AppState& mfcState() const { return *mfcState_; }

  // ----- ARX applications
  void registerModuleImage(ModuleImage image);
  bool loadApplication(const std::u16string& windowsPath);
  bool unloadApplication(const std::u16string& name);
  bool isLoaded(const std::u16string& name) const;
  // Full paths of the loaded applications, in load order.
  std::vector<std::u16string> loadedApplications() const;
  HINSTANCE applicationInstance(const std::u16string& name) const;
  // Sends a message to a loaded application's entry point with the application's own packet
  // (or the given one); nullopt when no such application is loaded.
  std::optional<AcRx::AppRetCode> sendAppMessage(const std::u16string& name, AcRx::AppMsgCode msg);
  std::optional<AcRx::AppRetCode> sendAppMessage(const std::u16string& name, AcRx::AppMsgCode msg, void* pkt);
  // The module instance of the application whose packet (application id) this is, or null
  // for a pointer that is no loaded application's packet.
  HINSTANCE packetInstance(const void* appId) const;
  // The instance of the application AutoCAD is calling into right now (a message being
  // delivered, or a command of that application running), or null.
  HINSTANCE servedModule() const;

  // ----- dynamic linker state
  bool setApplicationUnlocked(const void* appId, bool unlocked);
  bool setApplicationMDIAware(const void* appId, bool aware);
  bool isApplicationLocked(const std::u16string& name) const;
  bool isApplicationMDIAware(const std::u16string& name) const;
  // Session setting: whether loadModule of this file name succeeds.
  void setModuleAvailable(const std::u16string& fileName, bool available);
  bool isModuleAvailable(const std::u16string& fileName) const;
  bool loadModule(const std::u16string& fileName);
  bool unloadModule(const std::u16string& fileName);
  int moduleLoadCount(const std::u16string& fileName) const;

  // ----- application names (acrxUnregisterApp)
  void registerAppName(const std::u16string& appName);
  bool unregisterAppName(const std::u16string& appName);
  bool isAppNameRegistered(const std::u16string& appName) const;

  // ----- LISP functions (acedDefun / acedUndef / acedGetFunCode)
  int defineLispFunction(const ACHAR* name, int funcCode);
  int undefineLispFunction(const ACHAR* name, int funcCode);
  bool isLispFunctionDefined(const std::u16string& name) const;
  int pendingFunctionCode() const { return pendingFunctionCode_; }
  // Calls a defined LISP function the way AutoLISP does: kInvkSubrMsg to its application with
  // its function code pending; nullopt when the function is not defined.
  std::optional<AcRx::AppRetCode> invokeLispFunction(const std::u16string& name);

  // ----- parts
  AcRxDictionary& sysRegistry() { return sysRegistry_; }
  AcRxDynamicLinker& dynamicLinker() { return *dynamicLinker_; }
  AcEdCommandStack& commandStack() { return commandStack_; }
  SysVarTable& sysVars() { return sysVars_; }
  AcGsConfig& gsConfig() { return gsConfig_; }
  // The view of the current viewport (VIEWCTR, VIEWSIZE, SCREENSIZE follow it).
  ViewModel& view() { return view_; }
  AcApDocManager& docManager() { return *docManager_; }
  Editor& editor() { return *editor_; }
  CommandProcessor& commands() { return *commands_; }

  // Defines a session variable (see SysVarTable::define / defineComputed).
  bool defineSysVar(const std::u16string& name, SysVarValue initial, bool readOnly = false,
                    std::optional<SysVarRange> range = std::nullopt);
  bool defineComputedSysVar(const std::u16string& name, int type, SysVarTable::Provider provider);

  // ----- commands
  // Runs a registered command: "_NAME" looks up the global name, "NAME" the local name and then
  // the global one. RTNORM after the command function returned; RTERROR for an unknown command
  // (the command line shows "\nUnknown command "NAME".  Press F1 for help.").
  int runCommand(const std::u16string& name);
  // The registered command a typed name runs (as runCommand looks it up), or null.
  const AcEdCommand* findCommand(const std::u16string& name) const;
  // Runs a registered command's function (no bracket: the command processor brackets it).
  void runCommandFunction(const AcEdCommand& cmd);
  // The global name of the command running now, empty when none.
  const std::u16string& activeCommand() const { return activeCommand_; }

  // ----- display
  void noteRedraw() { ++redrawCount_; }
  void noteUpdateDisplay() { ++updateDisplayCount_; }
  int redrawCount() const { return redrawCount_; }
  int updateDisplayCount() const { return updateDisplayCount_; }

 private:
  struct LoadedApp;
  LoadedApp* findApp(const std::u16string& name) const;
  LoadedApp* findAppByPacket(const void* appId) const;
  const ModuleImage* findImage(const std::u16string& windowsPath) const;
  AcRx::AppRetCode deliver(LoadedApp& app, AcRx::AppMsgCode msg, void* pkt);
  bool unload(LoadedApp& app, bool force);
  void createMainWindow();
  void defineViewVariables();

  win32::Desktop& desktop_;
  HINSTANCE exeInstance_ = nullptr;
  HWND mainWindow_ = nullptr;
  std::unique_ptr<mfc::AppState> mfcState_;
  std::unique_ptr<CWnd> mainFrame_;  // after mfcState_: it goes first
  AcRxDictionary sysRegistry_;
  std::unique_ptr<AcRxDynamicLinker> dynamicLinker_;
  AcEdCommandStack commandStack_;
  SysVarTable sysVars_;
  AcGsConfig gsConfig_;
  ViewModel view_;
  std::unique_ptr<Editor> editor_;
  std::unique_ptr<CommandProcessor> commands_;
  std::unique_ptr<AcApDocManager> docManager_;  // after the editor: documents go first

  std::vector<ModuleImage> images_;
  std::vector<std::unique_ptr<LoadedApp>> apps_;  // in load order
  std::vector<HINSTANCE> served_;                 // applications being called into, innermost last
  std::map<std::u16string, bool> moduleAvailable_;  // upper-case file name
  std::map<std::u16string, int> moduleLoads_;       // upper-case file name -> load count
  std::set<std::u16string> appNames_;               // upper-case logical names

  struct LispFunction {
    std::u16string name;
    int code;
    HINSTANCE owner;
  };
  std::map<std::u16string, LispFunction> lispFunctions_;  // upper-case name
  int pendingFunctionCode_ = RTERROR;

  std::u16string activeCommand_;
  int redrawCount_ = 0;
  int updateDisplayCount_ = 0;
};

// Installs an application as the current one (and its MFC application state as MFC's) for the
// scope's lifetime, restoring the previous ones afterwards.
class AcadScope {
 public:
  explicit AcadScope(AcadApplication& app);
  ~AcadScope();
  AcadScope(const AcadScope&) = delete;
  AcadScope& operator=(const AcadScope&) = delete;

 private:
  AcadApplication* previous_;
  mfc::AppState* previousMfc_;
};

// Helpers on application names.
// The part after the last backslash or slash.
std::u16string fileNameOf(const std::u16string& path);
// True when query names the application at path: the full path, the file name, or the file
// name without extension, compared case-insensitively.
bool namesApplication(const std::u16string& path, const std::u16string& query);

}  // namespace arx
