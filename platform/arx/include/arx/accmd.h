// AutoCAD's command stack: the commands applications register, grouped by command group.
//
// Models: addCommand / removeCmd / removeGroup / lookupGlobalCmd / lookupLocalCmd with the
// platform's status codes. Names (groups, global and local command names) are matched
// case-insensitively. A group holds each global name once and each local name once: adding a
// second command with the same global or local name to the same group is eDuplicateKey and
// leaves the first in place. Groups form a stack: a new group goes on top, and lookups search
// from the top down, so the most recently registered group wins when two groups define the
// same name. A group disappears when its last command is removed.
// acedRegCmds reaches the command stack of the current AutoCAD application (arx/acad_app.h);
// AcadApplication::runCommand runs a command by name.
// Limitations: no command reactors of its own (the application brackets a run), no UI contexts
// beyond storing the pointer, no undefine/redefine of built-in commands, no iterator objects
// (groups() and commands() list the stack instead).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "arx/acadstrc.h"
#include "arx/rxapp.h"
#include "win32/types.h"

// Command flags (the low bits of addCommand's commandFlags).
constexpr int ACRX_CMD_MODAL = 0x00000000;
constexpr int ACRX_CMD_TRANSPARENT = 0x00000001;
constexpr int ACRX_CMD_USEPICKSET = 0x00000002;
constexpr int ACRX_CMD_REDRAW = 0x00000004;
constexpr int ACRX_CMD_SESSION = 0x00200000;

class AcEdUIContext;

class AcEdCommand {
 public:
  AcEdCommand(std::u16string group, std::u16string globalName, std::u16string localName, int flags,
              AcRxFunctionPtr fn, AcEdUIContext* uiContext, int functionNumber, HINSTANCE resourceHandle)
      : group_(std::move(group)), globalName_(std::move(globalName)), localName_(std::move(localName)),
        flags_(flags), fn_(fn), uiContext_(uiContext), functionNumber_(functionNumber), resourceHandle_(resourceHandle) {}

  const ACHAR* groupName() const { return group_.c_str(); }
  const ACHAR* globalName() const { return globalName_.c_str(); }
  const ACHAR* localName() const { return localName_.c_str(); }
  int commandFlags() const { return flags_; }
  AcRxFunctionPtr functionAddr() const { return fn_; }
  AcEdUIContext* UIContext() const { return uiContext_; }
  int functionNumber() const { return functionNumber_; }
  HINSTANCE resourceHandle() const { return resourceHandle_; }
  // The ARX application that was being served when the command was added (null if none).
  HINSTANCE ownerModule() const { return owner_; }
  void setOwnerModule(HINSTANCE owner) { owner_ = owner; }

 private:
  std::u16string group_;
  std::u16string globalName_;
  std::u16string localName_;
  int flags_;
  AcRxFunctionPtr fn_;
  AcEdUIContext* uiContext_;
  int functionNumber_;
  HINSTANCE resourceHandle_;
  HINSTANCE owner_ = nullptr;
};

class AcEdCommandStack {
 public:
  AcEdCommandStack();
  ~AcEdCommandStack();
  AcEdCommandStack(const AcEdCommandStack&) = delete;
  AcEdCommandStack& operator=(const AcEdCommandStack&) = delete;

  // eOk; eInvalidInput for a null or empty group or name or a null function; eDuplicateKey
  // when the group already has a command of that global or local name.
  Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName, const ACHAR* cmdLocalName,
                               int commandFlags, AcRxFunctionPtr functionAddr, AcEdUIContext* UIContext = nullptr,
                               int fcode = -1, HINSTANCE hResourceHandle = nullptr,
                               AcEdCommand** cmdPtrRet = nullptr);
  // eOk, or eKeyNotFound when the group or the command (by global name) does not exist.
  Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName);
  // eOk after removing every command of the group, or eKeyNotFound when there is no such group.
  Acad::ErrorStatus removeGroup(const ACHAR* groupName);

  // The command of that global / local name, from the top group down; null when none.
  // With a group name, only that group is searched.
  AcEdCommand* lookupGlobalCmd(const ACHAR* globalName, const ACHAR* groupName = nullptr) const;
  AcEdCommand* lookupLocalCmd(const ACHAR* localName, const ACHAR* groupName = nullptr) const;
  // Moves a group to the top of the stack; eKeyNotFound when it does not exist.
  Acad::ErrorStatus popGroupToTop(const ACHAR* groupName);

  // The group names, top of the stack first.
  std::vector<std::u16string> groups() const;
  bool hasGroup(const ACHAR* groupName) const;
  // The commands of one group in the order they were added (empty for an unknown group).
  std::vector<const AcEdCommand*> commands(const ACHAR* groupName) const;
  std::size_t commandCount() const;

  // Where new commands learn their owner module (the application installs this).
  void setOwnerSource(std::function<HINSTANCE()> source) { ownerSource_ = std::move(source); }

 private:
  struct Group;
  Group* findGroup(const ACHAR* name) const;
  std::vector<std::unique_ptr<Group>> groups_;  // bottom of the stack first
  std::function<HINSTANCE()> ownerSource_;
};

namespace arx {
// The command stack of the current AutoCAD application.
AcEdCommandStack* currentCommandStack();
}  // namespace arx

// ObjectARX code writes acedRegCmds->addCommand(...).
#define acedRegCmds (::arx::currentCommandStack())
