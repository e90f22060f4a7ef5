// The command stack (acedRegCmds) and running commands by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "arx/accmd.h"
#include "arx/acedads.h"
#include "arx/rxmfcapi.h"
#include "arx_module_fixture.h"
#include "mfc/afxwin.h"

namespace {

std::vector<std::string> g_ran;  // what the command functions below did, in order

void cmdFirst() { g_ran.push_back("first"); }
void cmdSecond() { g_ran.push_back("second"); }

class CommandStack : public vurktest::AcadFixture {
 protected:
  CommandStack() { g_ran.clear(); }
};

TEST_F(CommandStack, AddedCommandsAreFoundByGlobalAndLocalNameInAnyCase) {
  AcEdCommand* added = nullptr;
  ASSERT_EQ(acedRegCmds->addCommand(u"VURK", u"testConnect", u"测试连接", ACRX_CMD_MODAL, &cmdFirst, nullptr, -1,
                                    nullptr, &added),
            Acad::eOk);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(u"TESTCONNECT"), added);
  EXPECT_EQ(acedRegCmds->lookupLocalCmd(u"测试连接"), added);
  EXPECT_EQ(acedRegCmds->lookupLocalCmd(u"testConnect"), nullptr) << "local and global names are separate";
  EXPECT_EQ(std::u16string(added->groupName()), u"VURK");
  EXPECT_EQ(added->commandFlags(), ACRX_CMD_MODAL);
  EXPECT_EQ(added->functionNumber(), -1);
  EXPECT_EQ(added->resourceHandle(), nullptr);
}

TEST_F(CommandStack, ASecondCommandOfTheSameNameInTheGroupIsADuplicateAndTheFirstStays) {
  ASSERT_EQ(acedRegCmds->addCommand(u"VURK", u"VURK", u"VURK", ACRX_CMD_MODAL, &cmdFirst), Acad::eOk);
  EXPECT_EQ(acedRegCmds->addCommand(u"vurk", u"vurk", u"other", ACRX_CMD_MODAL, &cmdSecond), Acad::eDuplicateKey);
  EXPECT_EQ(acedRegCmds->addCommand(u"VURK", u"OTHER", u"Vurk", ACRX_CMD_MODAL, &cmdSecond), Acad::eDuplicateKey)
      << "local names are unique in a group too";
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(u"VURK")->functionAddr(), &cmdFirst);
  EXPECT_EQ(acedRegCmds->commands(u"VURK").size(), 1u);
}

TEST_F(CommandStack, IncompleteCommandsAreRefused) {
  EXPECT_EQ(acedRegCmds->addCommand(u"G", u"A", u"A", ACRX_CMD_MODAL, nullptr), Acad::eInvalidInput);
  EXPECT_EQ(acedRegCmds->addCommand(u"", u"A", u"A", ACRX_CMD_MODAL, &cmdFirst), Acad::eInvalidInput);
  EXPECT_EQ(acedRegCmds->addCommand(u"G", nullptr, u"A", ACRX_CMD_MODAL, &cmdFirst), Acad::eInvalidInput);
  EXPECT_EQ(acedRegCmds->addCommand(u"G", u"A", u"", ACRX_CMD_MODAL, &cmdFirst), Acad::eInvalidInput);
  EXPECT_TRUE(acedRegCmds->groups().empty());
}

TEST_F(CommandStack, RemoveGroupTakesEveryCommandAndASecondRemovalFindsNothing) {
  ASSERT_EQ(acedRegCmds->addCommand(u"VURK", u"VURK", u"VURK", ACRX_CMD_MODAL, &cmdFirst), Acad::eOk);
  ASSERT_EQ(acedRegCmds->addCommand(u"VURK", u"testConnect", u"testConnect", ACRX_CMD_MODAL, &cmdSecond), Acad::eOk);
  ASSERT_EQ(acedRegCmds->addCommand(u"KEEP", u"KEEP", u"KEEP", ACRX_CMD_MODAL, &cmdSecond), Acad::eOk);
  EXPECT_EQ(acedRegCmds->removeGroup(u"vurk"), Acad::eOk);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(u"VURK"), nullptr);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(u"testConnect"), nullptr);
  EXPECT_FALSE(acedRegCmds->hasGroup(u"VURK"));
  EXPECT_EQ(acedRegCmds->groups(), (std::vector<std::u16string>{u"KEEP"}));
  EXPECT_EQ(acedRegCmds->removeGroup(u"VURK"), Acad::eKeyNotFound);
  EXPECT_EQ(acedRegCmds->commandCount(), 1u);
}

TEST_F(CommandStack, RunCommandFindsLocalNamesAndUnderscoredGlobalNames) {
  ASSERT_EQ(acedRegCmds->addCommand(u"G", u"FIRST", u"第一", ACRX_CMD_MODAL, &cmdFirst), Acad::eOk);
  ASSERT_EQ(acedRegCmds->addCommand(u"G", u"SECOND", u"SECOND", ACRX_CMD_MODAL, &cmdSecond), Acad::eOk);
  EXPECT_EQ(acad().runCommand(u"第一"), RTNORM);
  EXPECT_EQ(acad().runCommand(u"_first"), RTNORM);
  EXPECT_EQ(acad().runCommand(u"second"), RTNORM);
  EXPECT_EQ(g_ran, (std::vector<std::string>{"first", "first", "second"}));
  EXPECT_EQ(acad().runCommand(u"_第一"), RTERROR) << "an underscore asks for a global name";
}

TEST_F(CommandStack, UnknownCommandIsReportedOnTheCommandLine) {
  EXPECT_EQ(acad().runCommand(u"nosuch"), RTERROR);
  EXPECT_EQ(commandLine(), "\nUnknown command \"NOSUCH\".  Press F1 for help.");
  EXPECT_TRUE(g_ran.empty());
}

std::u16string g_cmdnamesSeen;

void cmdReadsCmdnames() {
  resbuf rb{};
  if (acedGetVar(u"CMDNAMES", &rb) == RTNORM && rb.restype == RTSTR) {
    g_cmdnamesSeen = rb.resval.rstring;
    std::free(rb.resval.rstring);
  }
}

TEST_F(CommandStack, CmdnamesHoldsTheRunningCommandOnlyWhileItRuns) {
  ASSERT_EQ(acedRegCmds->addCommand(u"G", u"Probe", u"Probe", ACRX_CMD_MODAL, &cmdReadsCmdnames), Acad::eOk);
  g_cmdnamesSeen.clear();
  ASSERT_EQ(acad().runCommand(u"probe"), RTNORM);
  EXPECT_EQ(g_cmdnamesSeen, u"PROBE");
  EXPECT_EQ(acad().activeCommand(), u"");
  EXPECT_EQ(acad().sysVars().value(u"CMDNAMES")->text, u"");
}

void cmdRemovesItsOwnGroup() {
  acedRegCmds->removeGroup(u"SELF");
  g_ran.push_back("removed");
}

TEST_F(CommandStack, ACommandMayRemoveItsOwnGroupWhileRunning) {
  ASSERT_EQ(acedRegCmds->addCommand(u"SELF", u"GONE", u"GONE", ACRX_CMD_MODAL, &cmdRemovesItsOwnGroup), Acad::eOk);
  EXPECT_EQ(acad().runCommand(u"GONE"), RTNORM);
  EXPECT_EQ(g_ran, (std::vector<std::string>{"removed"}));
  EXPECT_FALSE(acedRegCmds->hasGroup(u"SELF"));
}

// ----- commands of an ARX application and its resources

HINSTANCE g_resourceInCommand = nullptr;

void cmdTakesModuleResources() {
  CAcModuleResourceOverride useOwn;
  g_resourceInCommand = AfxGetResourceHandle();
}

class ApplicationCommands : public vurktest::ModuleFixture {};

TEST_F(ApplicationCommands, ACommandAddedAtStartUpRunsWithItsApplicationsResources) {
  module().app.commands = {{u"RESGRP", u"RES", u"RES", ACRX_CMD_MODAL, &cmdTakesModuleResources}};
  ASSERT_TRUE(acad().loadApplication(kPath));
  const HINSTANCE own = acad().applicationInstance(u"TestApp");
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(u"RES")->ownerModule(), own);
  const HINSTANCE before = AfxGetResourceHandle();
  EXPECT_EQ(before, acad().instance()) << "MFC starts with AutoCAD's own resources";
  g_resourceInCommand = nullptr;
  ASSERT_EQ(acad().runCommand(u"RES"), RTNORM);
  EXPECT_EQ(g_resourceInCommand, own);
  EXPECT_EQ(AfxGetResourceHandle(), before) << "restored when the command ends";
}

}  // namespace
