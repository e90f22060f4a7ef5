// Application messages and the application framework classes of an ARX module.
//
// Models: the message codes AutoCAD sends to a module's acrxEntryPoint and the return codes it
// understands (kRetError at kInitAppMsg makes AutoCAD unload the module again); the framework
// base classes AcRxDbxApp and AcRxArxApp with one virtual handler per message. The framework's
// own work is:
//   - kInitAppMsg: remember the module instance of the application packet, unlock the
//     application and register it MDI-aware with the dynamic linker when the flags ask for it,
//     call RegisterServerComponents, then register the commands of the command map;
//   - kUnloadAppMsg: remove the command groups of the command map;
//   - kLoadDwgMsg / kUnloadDwgMsg (AcRxArxApp): define / undefine the application's LISP
//     functions (acedDefun / acedUndef) with their index as function code;
//   - kInvkSubrMsg (AcRxArxApp): run the LISP function whose code acedGetFunCode reports;
//     with no LISP call pending nothing runs and kRetOK is returned;
//   - every other message returns kRetOK.
// The module writes its own acrxEntryPoint and dispatches to these handlers itself.
// Limitations: no custom object classes (the framework's class table is not modelled), no
// COM server registration (RegisterServerComponents does nothing unless overridden).
#pragma once

#include <span>

#include "win32/types.h"

namespace AcRx {

enum AppMsgCode {
  kNullMsg = 0,
  kInitAppMsg = 1,
  kUnloadAppMsg = 2,
  kLoadDwgMsg = 3,
  kUnloadDwgMsg = 4,
  kInvkSubrMsg = 5,
  kCfgMsg = 6,
  kEndMsg = 7,
  kQuitMsg = 8,
  kSaveMsg = 9,
  kDependencyMsg = 10,
  kNoDependencyMsg = 11,
  kOleUnloadAppMsg = 12,
  kPreQuitMsg = 13,
  kInitDialogMsg = 14,
  kEndDialogMsg = 15,
  kSuspendMsg = 16,
  kInitTabGroupMsg = 17,
  kEndTabGroupMsg = 18,
};

enum AppRetCode {
  kRetOK = 0,
  kRetError = 3,
};

}  // namespace AcRx

// The signature of an exported acrxEntryPoint.
using AcRxEntryPointFn = AcRx::AppRetCode (*)(AcRx::AppMsgCode msg, void* pkt);
// A command function.
using AcRxFunctionPtr = void (*)();

// One LISP function of an application: its name and the function that runs it (returns an
// RTxxx status, RTNORM on success).
struct AcRxLispFunction {
  const ACHAR* name;
  int (*fn)();
};

// One command of the framework's command map.
struct AcRxCommandMapEntry {
  const ACHAR* group;
  const ACHAR* globalName;
  const ACHAR* localName;
  int flags;
  AcRxFunctionPtr fn;
};

// The framework base of an object-enabler (DBX) module.
class AcRxDbxApp {
 public:
  AcRxDbxApp() = default;
  virtual ~AcRxDbxApp() = default;
  AcRxDbxApp(const AcRxDbxApp&) = delete;
  AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

  virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt);
  virtual AcRx::AppRetCode On_kUnloadAppMsg(void* pkt);
  virtual AcRx::AppRetCode On_kLoadDwgMsg(void* pkt);
  virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt);
  virtual AcRx::AppRetCode On_kInvkSubrMsg(void* pkt);
  virtual AcRx::AppRetCode On_kCfgMsg(void* pkt);
  virtual AcRx::AppRetCode On_kEndMsg(void* pkt);
  virtual AcRx::AppRetCode On_kQuitMsg(void* pkt);
  virtual AcRx::AppRetCode On_kSaveMsg(void* pkt);
  virtual AcRx::AppRetCode On_kDependencyMsg(void* pkt);
  virtual AcRx::AppRetCode On_kNoDependencyMsg(void* pkt);
  virtual AcRx::AppRetCode On_kOleUnloadAppMsg(void* pkt);
  virtual AcRx::AppRetCode On_kPreQuitMsg(void* pkt);
  virtual AcRx::AppRetCode On_kInitDialogMsg(void* pkt);
  virtual AcRx::AppRetCode On_kEndDialogMsg(void* pkt);
  virtual AcRx::AppRetCode On_kNullMsg(void* pkt);
  virtual void RegisterServerComponents() {}

  // The framework's command map: commands registered at kInitAppMsg, their groups removed at
  // kUnloadAppMsg. Empty unless a derived class provides one.
  virtual std::span<const AcRxCommandMapEntry> commandMap() const { return {}; }

  HINSTANCE moduleInstance() const { return m_hdllInstance; }
  bool isUnlocked() const { return m_bUnlocked; }
  bool isMDIAware() const { return m_bMDIAware; }

 protected:
  HINSTANCE m_hdllInstance = nullptr;  // set from the application packet at kInitAppMsg
  bool m_bUnlocked = true;             // unlock the application at start-up
  bool m_bMDIAware = true;             // register the application MDI-aware at start-up
};

// The framework base of an AutoCAD (ARX) application: adds the LISP function table.
class AcRxArxApp : public AcRxDbxApp {
 public:
  AcRx::AppRetCode On_kLoadDwgMsg(void* pkt) override;
  AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt) override;
  AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) override;

  // The application's LISP functions; the index is the function code. Empty by default.
  virtual std::span<const AcRxLispFunction> lispFunctions() const { return {}; }
};
