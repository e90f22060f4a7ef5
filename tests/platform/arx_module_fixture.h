// An ARX test module for the AutoCAD stand-in: a module image whose entry point and DllMain
// record what AutoCAD sends them and hand the application messages to a framework application
// object (AcRxArxApp) configured by the test.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "acad_fixture.h"
#include "arx/acedads.h"
#include "arx/rxapp.h"

namespace vurktest {

class TestArxApp : public AcRxArxApp {
 public:
  std::vector<AcRxLispFunction> lisp;
  std::vector<AcRxCommandMapEntry> commands;
  int serverRegistrations = 0;

  std::span<const AcRxLispFunction> lispFunctions() const override { return lisp; }
  std::span<const AcRxCommandMapEntry> commandMap() const override { return commands; }
  void RegisterServerComponents() override { ++serverRegistrations; }
  void setFlags(bool unlocked, bool mdiAware) {
    m_bUnlocked = unlocked;
    m_bMDIAware = mdiAware;
  }
};

struct TestModule {
  std::vector<std::string> log;     // "attach", "detach", "msg 1", ...
  std::vector<const void*> packets;  // the packet of every message, in order
  HINSTANCE dllInstance = nullptr;   // what DllMain was given
  bool frameworkInit = true;         // pass kInitAppMsg / kUnloadAppMsg to the framework
  AcRx::AppRetCode initResult = AcRx::kRetOK;
  AcRx::AppRetCode unloadResult = AcRx::kRetOK;
  std::vector<int> lispCodes;  // acedGetFunCode seen inside the LISP function
  TestArxApp app;
};

// The module the entry point below serves; set by ModuleFixture for the test's duration.
inline TestModule* g_testModule = nullptr;

inline AcRx::AppRetCode testEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
  TestModule& m = *g_testModule;
  m.log.push_back("msg " + std::to_string(static_cast<int>(msg)));
  m.packets.push_back(pkt);
  switch (msg) {
    case AcRx::kInitAppMsg: {
      if (m.frameworkInit && m.app.On_kInitAppMsg(pkt) != AcRx::kRetOK) return AcRx::kRetError;
      return m.initResult;
    }
    case AcRx::kUnloadAppMsg: {
      if (m.frameworkInit) m.app.On_kUnloadAppMsg(pkt);
      return m.unloadResult;
    }
    case AcRx::kLoadDwgMsg: return m.app.On_kLoadDwgMsg(pkt);
    case AcRx::kUnloadDwgMsg: return m.app.On_kUnloadDwgMsg(pkt);
    case AcRx::kInvkSubrMsg: return m.app.On_kInvkSubrMsg(pkt);
    default: return AcRx::kRetOK;
  }
}

inline void testDllMain(HINSTANCE instance, DWORD reason) {
  TestModule& m = *g_testModule;
  m.dllInstance = instance;
  m.log.push_back(reason == arx::kDllProcessAttach ? "attach" : reason == arx::kDllProcessDetach ? "detach" : "?");
}

inline int testLispFunction() {
  g_testModule->lispCodes.push_back(acedGetFunCode());
  return RTNORM;
}

class ModuleFixture : public AcadFixture {
 protected:
  static constexpr const char16_t* kPath = u"D:\\Tools\\TestApp.arx";

  ModuleFixture() {
    g_testModule = &module_;
    arx::ModuleImage image;
    image.fileName = u"TestApp.arx";
    image.entryPoint = &testEntryPoint;
    image.dllMain = &testDllMain;
    acad().registerModuleImage(image);
  }
  ~ModuleFixture() override {
    // The application unloads the module when it ends: the module must still be there.
    endAcad();
    g_testModule = nullptr;
  }

  TestModule& module() { return module_; }

 private:
  TestModule module_;
};

}  // namespace vurktest
