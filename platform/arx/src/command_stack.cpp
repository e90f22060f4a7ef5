#include <algorithm>

#include "arx/accmd.h"
#include "win32/case_fold.h"

struct AcEdCommandStack::Group {
  std::u16string name;
  std::vector<std::unique_ptr<AcEdCommand>> commands;  // in the order added
};

namespace {

bool isBlank(const ACHAR* s) { return !s || !*s; }

}  // namespace

AcEdCommandStack::AcEdCommandStack() = default;
AcEdCommandStack::~AcEdCommandStack() = default;

AcEdCommandStack::Group* AcEdCommandStack::findGroup(const ACHAR* name) const {
  if (isBlank(name)) return nullptr;
  for (const auto& g : groups_) {
    if (win32::equalsNoCase(g->name, name)) return g.get();
  }
  return nullptr;
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                               const ACHAR* cmdLocalName, int commandFlags,
                                               AcRxFunctionPtr functionAddr, AcEdUIContext* UIContext, int fcode,
                                               HINSTANCE hResourceHandle, AcEdCommand** cmdPtrRet) {
  if (cmdPtrRet) *cmdPtrRet = nullptr;
  if (isBlank(cmdGroupName) || isBlank(cmdGlobalName) || isBlank(cmdLocalName) || !functionAddr) {
    return Acad::eInvalidInput;
  }
  Group* group = findGroup(cmdGroupName);
  if (group) {
    for (const auto& c : group->commands) {
      if (win32::equalsNoCase(c->globalName(), cmdGlobalName) || win32::equalsNoCase(c->localName(), cmdLocalName)) {
        return Acad::eDuplicateKey;
      }
    }
  } else {
    auto g = std::make_unique<Group>();
    g->name = cmdGroupName;
    group = g.get();
    groups_.push_back(std::move(g));
  }
  group->commands.push_back(std::make_unique<AcEdCommand>(cmdGroupName, cmdGlobalName, cmdLocalName, commandFlags,
                                                          functionAddr, UIContext, fcode, hResourceHandle));
  if (ownerSource_) group->commands.back()->setOwnerModule(ownerSource_());
  if (cmdPtrRet) *cmdPtrRet = group->commands.back().get();
  return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) {
  Group* group = findGroup(cmdGroupName);
  if (!group || isBlank(cmdGlobalName)) return Acad::eKeyNotFound;
  auto& cmds = group->commands;
  auto it = std::find_if(cmds.begin(), cmds.end(),
                         [&](const auto& c) { return win32::equalsNoCase(c->globalName(), cmdGlobalName); });
  if (it == cmds.end()) return Acad::eKeyNotFound;
  cmds.erase(it);
  if (cmds.empty()) {
    std::erase_if(groups_, [group](const auto& g) { return g.get() == group; });
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const ACHAR* groupName) {
  Group* group = findGroup(groupName);
  if (!group) return Acad::eKeyNotFound;
  std::erase_if(groups_, [group](const auto& g) { return g.get() == group; });
  return Acad::eOk;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const ACHAR* globalName, const ACHAR* groupName) const {
  if (isBlank(globalName)) return nullptr;
  for (auto g = groups_.rbegin(); g != groups_.rend(); ++g) {
    if (groupName && !win32::equalsNoCase((*g)->name, groupName)) continue;
    for (const auto& c : (*g)->commands) {
      if (win32::equalsNoCase(c->globalName(), globalName)) return c.get();
    }
  }
  return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupLocalCmd(const ACHAR* localName, const ACHAR* groupName) const {
  if (isBlank(localName)) return nullptr;
  for (auto g = groups_.rbegin(); g != groups_.rend(); ++g) {
    if (groupName && !win32::equalsNoCase((*g)->name, groupName)) continue;
    for (const auto& c : (*g)->commands) {
      if (win32::equalsNoCase(c->localName(), localName)) return c.get();
    }
  }
  return nullptr;
}

Acad::ErrorStatus AcEdCommandStack::popGroupToTop(const ACHAR* groupName) {
  Group* group = findGroup(groupName);
  if (!group) return Acad::eKeyNotFound;
  auto it = std::find_if(groups_.begin(), groups_.end(), [group](const auto& g) { return g.get() == group; });
  std::rotate(it, it + 1, groups_.end());
  return Acad::eOk;
}

std::vector<std::u16string> AcEdCommandStack::groups() const {
  std::vector<std::u16string> out;
  for (auto g = groups_.rbegin(); g != groups_.rend(); ++g) out.push_back((*g)->name);
  return out;
}

bool AcEdCommandStack::hasGroup(const ACHAR* groupName) const { return findGroup(groupName) != nullptr; }

std::vector<const AcEdCommand*> AcEdCommandStack::commands(const ACHAR* groupName) const {
  std::vector<const AcEdCommand*> out;
  if (const Group* g = findGroup(groupName)) {
    for (const auto& c : g->commands) out.push_back(c.get());
  }
  return out;
}

std::size_t AcEdCommandStack::commandCount() const {
  std::size_t n = 0;
  for (const auto& g : groups_) n += g->commands.size();
  return n;
}
