#include "arx/rxapp.h"

#include "arx/acad_app.h"
#include "arx/accmd.h"
#include "arx/acedads.h"
#include "arx/rxdlinkr.h"

AcRx::AppRetCode AcRxDbxApp::On_kInitAppMsg(void* pkt) {
  // The packet is the application id AutoCAD gave this module; it names the module instance.
  if (const auto* acad = arx::AcadApplication::currentOrNull()) m_hdllInstance = acad->packetInstance(pkt);
  AcRxDynamicLinker* linker = acrxDynamicLinker;
  if (m_bUnlocked && linker) linker->unlockApplication(pkt);
  if (m_bMDIAware && linker) linker->registerAppMDIAware(pkt);
  RegisterServerComponents();
  for (const AcRxCommandMapEntry& e : commandMap()) {
    if (acedRegCmds->addCommand(e.group, e.globalName, e.localName, e.flags, e.fn) != Acad::eOk) {
      return AcRx::kRetError;
    }
  }
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kUnloadAppMsg(void*) {
  for (const AcRxCommandMapEntry& e : commandMap()) {
    // Several entries share a group; the first removal takes the whole group.
    acedRegCmds->removeGroup(e.group);
  }
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kLoadDwgMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kUnloadDwgMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kInvkSubrMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kCfgMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kEndMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kQuitMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kSaveMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kDependencyMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kNoDependencyMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kOleUnloadAppMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kPreQuitMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kInitDialogMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kEndDialogMsg(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::On_kNullMsg(void*) { return AcRx::kRetOK; }

AcRx::AppRetCode AcRxArxApp::On_kLoadDwgMsg(void*) {
  const auto functions = lispFunctions();
  for (std::size_t i = 0; i < functions.size(); ++i) {
    if (acedDefun(functions[i].name, static_cast<int>(i)) != RTNORM) return AcRx::kRetError;
  }
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxArxApp::On_kUnloadDwgMsg(void*) {
  const auto functions = lispFunctions();
  for (std::size_t i = 0; i < functions.size(); ++i) acedUndef(functions[i].name, static_cast<int>(i));
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxArxApp::On_kInvkSubrMsg(void*) {
  const int code = acedGetFunCode();
  if (code < 0) return AcRx::kRetOK;  // no LISP call pending: nothing to run
  const auto functions = lispFunctions();
  if (static_cast<std::size_t>(code) >= functions.size() || !functions[static_cast<std::size_t>(code)].fn) {
    return AcRx::kRetError;
  }
  return functions[static_cast<std::size_t>(code)].fn() == RTNORM ? AcRx::kRetOK : AcRx::kRetError;
}
