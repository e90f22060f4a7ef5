// The AutoCAD stand-in as a loader of ARX applications: the order of DllMain and application
// messages, what kRetError at start-up does, locking, the framework's default handlers, the
// dynamic linker and the main frame.
#include <gtest/gtest.h>

#include <vector>

#include "arx/acedads.h"
#include "arx/rxdlinkr.h"
#include "arx/rxmfcapi.h"
#include "arx_module_fixture.h"
#include "mfc/afxwin.h"
#include "win32/winuser.h"

namespace {

using vurktest::ModuleFixture;
using Log = std::vector<std::string>;

std::u16string moduleFileName(HMODULE h) {
  char16_t buffer[512] = {};
  const DWORD n = GetModuleFileNameW(h, buffer, 512);
  return std::u16string(buffer, n);
}

class ArxLoading : public ModuleFixture {};

TEST_F(ArxLoading, AttachComesBeforeInitAndTheInitPacketNamesTheModule) {
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_EQ(module().log, (Log{"attach", "msg 1"}));
  const HINSTANCE h = acad().applicationInstance(u"TestApp");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(module().dllInstance, h);
  const auto* packet = static_cast<const arx::AppPacket*>(module().packets.at(0));
  ASSERT_NE(packet, nullptr);
  EXPECT_EQ(packet->instance, h);
  EXPECT_EQ(moduleFileName(h), kPath) << "GetModuleFileNameW answers the path the module was loaded from";
  EXPECT_EQ(module().app.moduleInstance(), h) << "the framework remembers the instance at kInitAppMsg";
}

TEST_F(ArxLoading, ApplicationsAreFoundByPathFileNameOrLogicalNameInAnyCase) {
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_TRUE(acad().isLoaded(u"d:\\tools\\testapp.ARX"));
  EXPECT_TRUE(acad().isLoaded(u"TESTAPP.arx"));
  EXPECT_TRUE(acad().isLoaded(u"testapp"));
  EXPECT_FALSE(acad().isLoaded(u"TestApp.dbx"));
  EXPECT_FALSE(acad().isLoaded(u"Test"));
  EXPECT_FALSE(acad().loadApplication(u"E:\\Other\\TestApp.arx")) << "a module of that file name is loaded already";
  EXPECT_FALSE(acad().loadApplication(u"D:\\Tools\\Unknown.arx")) << "no such module file";
}

TEST_F(ArxLoading, InitReturningErrorUnloadsAtOnceWithoutUnloadMessage) {
  module().initResult = AcRx::kRetError;
  EXPECT_FALSE(acad().loadApplication(kPath));
  EXPECT_EQ(module().log, (Log{"attach", "msg 1", "detach"})) << "no kUnloadAppMsg (2) after a refused start-up";
  EXPECT_FALSE(acad().isLoaded(u"TestApp"));
  char16_t buffer[64];
  EXPECT_EQ(GetModuleFileNameW(module().dllInstance, buffer, 64), 0u) << "the module is no longer registered";
  EXPECT_FALSE(acad().isAppNameRegistered(u"TestApp"));
}

TEST_F(ArxLoading, UnloadSendsUnloadThenDetachesAndForgetsTheModule) {
  ASSERT_TRUE(acad().loadApplication(kPath));
  const HINSTANCE h = acad().applicationInstance(kPath);
  EXPECT_TRUE(acad().unloadApplication(u"TestApp.arx"));
  EXPECT_EQ(module().log, (Log{"attach", "msg 1", "msg 2", "detach"}));
  EXPECT_EQ(module().packets.at(1), module().packets.at(0)) << "kUnloadAppMsg carries the same application id";
  EXPECT_FALSE(acad().isLoaded(kPath));
  char16_t buffer[64];
  EXPECT_EQ(GetModuleFileNameW(h, buffer, 64), 0u);
  EXPECT_FALSE(acad().unloadApplication(u"TestApp.arx")) << "nothing left to unload";
}

TEST_F(ArxLoading, ALockedApplicationCannotBeUnloadedUntilItUnlocksItself) {
  module().app.setFlags(/*unlocked*/ false, /*mdiAware*/ false);
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_TRUE(acrxDynamicLinker->isApplicationLocked(u"TestApp.arx"));
  EXPECT_FALSE(acrxDynamicLinker->isAppMDIAware(u"TestApp.arx"));
  EXPECT_FALSE(acad().unloadApplication(u"TestApp"));
  EXPECT_EQ(acedArxUnload(u"TestApp"), RTERROR);
  EXPECT_TRUE(acad().isLoaded(u"TestApp"));
  EXPECT_EQ(module().log, (Log{"attach", "msg 1"})) << "a locked application gets no kUnloadAppMsg";

  void* appId = const_cast<void*>(module().packets.at(0));
  EXPECT_TRUE(acrxDynamicLinker->unlockApplication(appId));
  EXPECT_EQ(acedArxUnload(u"TestApp"), RTNORM);
  EXPECT_FALSE(acad().isLoaded(u"TestApp"));
}

TEST_F(ArxLoading, FrameworkStartUpUnlocksRegistersMdiAwareAndCallsServerRegistration) {
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_FALSE(acrxDynamicLinker->isApplicationLocked(u"TestApp"));
  EXPECT_TRUE(acrxDynamicLinker->isAppMDIAware(u"TestApp"));
  EXPECT_EQ(module().app.serverRegistrations, 1);
}

TEST_F(ArxLoading, DynamicLinkerRefusesAnApplicationIdItDidNotIssue) {
  ASSERT_TRUE(acad().loadApplication(kPath));
  arx::AppPacket forged{acad().applicationInstance(u"TestApp"), kPath};
  EXPECT_FALSE(acrxDynamicLinker->unlockApplication(&forged));
  EXPECT_FALSE(acrxDynamicLinker->registerAppMDIAware(&forged));
  EXPECT_FALSE(acrxDynamicLinker->unlockApplication(nullptr));
}

TEST_F(ArxLoading, UnloadRefusedByTheApplicationKeepsItLoaded) {
  module().unloadResult = AcRx::kRetError;
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_FALSE(acad().unloadApplication(u"TestApp"));
  EXPECT_TRUE(acad().isLoaded(u"TestApp"));
  EXPECT_EQ(module().log, (Log{"attach", "msg 1", "msg 2"})) << "no detach while still loaded";
}

TEST_F(ArxLoading, EndingAutoCadUnloadsWhatIsStillLoadedLockedOrNot) {
  module().app.setFlags(false, false);
  ASSERT_TRUE(acad().loadApplication(kPath));
  endAcad();
  EXPECT_EQ(module().log, (Log{"attach", "msg 1", "msg 2", "detach"}));
}

TEST_F(ArxLoading, MessagesOfEveryCodeReachTheEntryPointWithTheApplicationPacket) {
  ASSERT_TRUE(acad().loadApplication(kPath));
  for (int code = 0; code <= 18; ++code) {
    if (code == AcRx::kInitAppMsg || code == AcRx::kUnloadAppMsg) continue;
    const auto rc = acad().sendAppMessage(u"TestApp", static_cast<AcRx::AppMsgCode>(code));
    ASSERT_TRUE(rc.has_value());
    EXPECT_EQ(*rc, AcRx::kRetOK) << "code " << code;
  }
  EXPECT_EQ(module().log.back(), "msg 18");
  EXPECT_EQ(module().packets.back(), module().packets.front());
  EXPECT_FALSE(acad().sendAppMessage(u"Other", AcRx::kNullMsg).has_value());
}

TEST_F(ArxLoading, AcedArxUnloadAndUnregisterAnswerForLoadedApplicationsOnly) {
  EXPECT_EQ(acedArxUnload(u"TestApp.arx"), RTERROR);
  EXPECT_FALSE(acrxUnregisterApp(u"TestApp"));
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_TRUE(acrxUnregisterApp(u"testapp")) << "a loaded application is registered under its logical name";
  EXPECT_FALSE(acrxUnregisterApp(u"TestApp")) << "only once";
  EXPECT_TRUE(acad().isLoaded(u"TestApp")) << "unregistering does not unload";
  acad().registerAppName(u"OtherBuild");
  EXPECT_TRUE(acrxUnregisterApp(u"OtherBuild"));
  EXPECT_EQ(acedArxUnload(u"TestApp.arx"), RTNORM);
  EXPECT_EQ(acedArxUnload(u"TestApp.arx"), RTERROR);
}

TEST_F(ArxLoading, ArxLoadedListsTheFileNamesInLoadOrder) {
  EXPECT_EQ(acedArxLoaded(), nullptr);
  ASSERT_TRUE(acad().loadApplication(kPath));
  resbuf* list = acedArxLoaded();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->restype, RTSTR);
  EXPECT_EQ(std::u16string(list->resval.rstring), u"TestApp.arx");
  EXPECT_EQ(list->rbnext, nullptr);
  acutRelRb(list);
}

// ----- the framework's default handlers

class ArxFramework : public ModuleFixture {};

void frameworkCommand() {}

TEST_F(ArxFramework, CommandMapIsRegisteredAtStartUpAndItsGroupRemovedAtUnload) {
  module().app.commands = {{u"TESTGRP", u"ONE", u"ONE", ACRX_CMD_MODAL, &frameworkCommand},
                           {u"TESTGRP", u"TWO", u"TWO", ACRX_CMD_MODAL, &frameworkCommand}};
  ASSERT_TRUE(acad().loadApplication(kPath));
  EXPECT_EQ(acedRegCmds->commands(u"TESTGRP").size(), 2u);
  ASSERT_TRUE(acad().unloadApplication(u"TestApp"));
  EXPECT_FALSE(acedRegCmds->hasGroup(u"TESTGRP"));
}

// ----- object enablers through the dynamic linker

class DynamicLinker : public vurktest::AcadFixture {};

TEST_F(DynamicLinker, IsTheDynamicLinkerEntryOfTheSystemRegistry) {
  AcRxObject* entry = acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(AcRxDynamicLinker::cast(entry), &acad().dynamicLinker());
  EXPECT_EQ(AcRxDictionary::cast(entry), nullptr) << "a checked cast refuses an object of another class";
  EXPECT_EQ(AcRxDynamicLinker::cast(acrxSysRegistry()), nullptr);
  EXPECT_TRUE(entry->isKindOf(AcRxObject::desc()));
  EXPECT_EQ(acrxSysRegistry()->at(u"dynamiclinker"), nullptr) << "registry keys are exact";
}

TEST_F(DynamicLinker, KnownObjectEnablersLoadAndOthersFailWithALine) {
  EXPECT_TRUE(acrxDynamicLinker->loadModule(u"acISMobj24.dbx", true));
  EXPECT_TRUE(acrxDynamicLinker->loadModule(u"C:\\Program Files\\Autodesk\\AutoCAD 2021\\ACGEOMENTOBJ.DBX", true));
  EXPECT_EQ(commandLine(), "") << "a successful load prints nothing";
  EXPECT_FALSE(acrxDynamicLinker->loadModule(u"Missing.dbx", true));
  EXPECT_EQ(commandLine(), "\nUnable to load Missing.dbx.");
  EXPECT_FALSE(acrxDynamicLinker->loadModule(u"Quiet.dbx", false));
  EXPECT_EQ(commandLine(), "\nUnable to load Missing.dbx.") << "printit false prints nothing";
}

TEST_F(DynamicLinker, AvailabilityIsASessionSetting) {
  acad().setModuleAvailable(u"AcGeomentObj.dbx", false);
  EXPECT_FALSE(acrxDynamicLinker->loadModule(u"AcGeomentObj.dbx", true));
  EXPECT_FALSE(acrxDynamicLinker->isModuleLoaded(u"AcGeomentObj.dbx"));
  acad().setModuleAvailable(u"Extra.dbx", true);
  EXPECT_TRUE(acrxDynamicLinker->loadModule(u"extra.dbx", false));
}

TEST_F(DynamicLinker, EachLoadNeedsItsOwnUnload) {
  ASSERT_TRUE(acrxDynamicLinker->loadModule(u"acISMobj24.dbx", false));
  ASSERT_TRUE(acrxDynamicLinker->loadModule(u"acISMobj24.dbx", false));
  EXPECT_TRUE(acrxDynamicLinker->unloadModule(u"acISMobj24.dbx"));
  EXPECT_TRUE(acrxDynamicLinker->isModuleLoaded(u"acISMobj24.dbx"));
  EXPECT_TRUE(acrxDynamicLinker->unloadModule(u"acISMobj24.dbx"));
  EXPECT_FALSE(acrxDynamicLinker->isModuleLoaded(u"acISMobj24.dbx"));
  EXPECT_FALSE(acrxDynamicLinker->unloadModule(u"acISMobj24.dbx"));
}

// ----- the main frame

class MainFrame : public vurktest::AcadFixture {};

TEST_F(MainFrame, IsThePermanentMfcWindowOfItsHandleAndTheMainWindow) {
  CWnd* frame = acedGetAcadFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->m_hWnd, adsw_acadMainWnd());
  EXPECT_EQ(CWnd::FromHandlePermanent(adsw_acadMainWnd()), frame);
  EXPECT_EQ(AfxGetMainWnd(), frame);
  EXPECT_EQ(AfxGetInstanceHandle(), acad().instance());
}

TEST_F(MainFrame, IsDestroyedWithTheApplication) {
  const HWND frame = adsw_acadMainWnd();
  endAcad();
  EXPECT_FALSE(IsWindow(frame));
}

}  // namespace
