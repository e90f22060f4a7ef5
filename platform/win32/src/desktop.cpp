#include "win32/desktop.h"

#include <cassert>

#include "win32/clock.h"
#include "win32/file_system.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/transcript.h"
#include "win32/user_script.h"
#include "win32/window_manager.h"

namespace win32 {

namespace {
Desktop* g_current = nullptr;
}

Desktop::Desktop(const std::filesystem::path& sandboxRoot)
    : sandboxRoot_(std::filesystem::absolute(sandboxRoot)),
      clock_(std::make_unique<Clock>()),
      transcript_(std::make_unique<Transcript>()) {
  std::filesystem::create_directories(sandboxRoot_);
  user_ = std::make_unique<UserScript>(*transcript_);
  shell_ = std::make_unique<Shell>(*transcript_);
  files_ = std::make_unique<FileSystem>(*this);
  registry_ = std::make_unique<Registry>(*this);
  windows_ = std::make_unique<WindowManager>(*this);
}

Desktop::~Desktop() {
  // Windows go first: their procedures may still reach the other parts while being destroyed.
  windows_.reset();
  assert(g_current != this && "a desktop is destroyed while it is still current");
}

Desktop& Desktop::current() {
  assert(g_current && "no desktop is installed; create one and a DesktopScope");
  return *g_current;
}

Desktop* Desktop::currentOrNull() { return g_current; }

HMODULE Desktop::registerModule(const std::u16string& path, const ResourceTable* resources) {
  const std::uintptr_t h = nextModule_;
  nextModule_ += 0x1000000;
  modules_[h] = ModuleInfo{path, resources};
  return reinterpret_cast<HMODULE>(h);
}

void Desktop::unregisterModule(HMODULE h) { modules_.erase(reinterpret_cast<std::uintptr_t>(h)); }

const ModuleInfo* Desktop::module(HMODULE h) const {
  auto it = modules_.find(reinterpret_cast<std::uintptr_t>(h));
  return it == modules_.end() ? nullptr : &it->second;
}

void Desktop::setModulePath(HMODULE h, const std::u16string& path) {
  modules_[reinterpret_cast<std::uintptr_t>(h)].path = path;
}

void Desktop::runFor(DWORD ms) { windows_->runFor(ms); }
void Desktop::pump() { windows_->pump(); }

DesktopScope::DesktopScope(Desktop& d) : previous_(g_current) { g_current = &d; }
DesktopScope::~DesktopScope() { g_current = previous_; }

}  // namespace win32

DWORD GetLastError() {
  auto* d = win32::Desktop::currentOrNull();
  return d ? d->lastError() : 0;
}

void SetLastError(DWORD e) {
  if (auto* d = win32::Desktop::currentOrNull()) d->setLastError(e);
}

int GetSystemMetrics(int index) {
  auto& d = win32::Desktop::current();
  switch (index) {
    case SM_CXSCREEN: return d.screenWidth();
    case SM_CYSCREEN: return d.screenHeight();
    default: return 0;
  }
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  auto& d = win32::Desktop::current();
  const win32::ModuleInfo* info = d.module(module);
  if (!info || !buffer || size == 0) {
    d.setLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const std::u16string& p = info->path;
  if (p.size() + 1 > size) {
    // Windows truncates, terminates, and reports ERROR_INSUFFICIENT_BUFFER with the size.
    std::copy(p.begin(), p.begin() + (size - 1), buffer);
    buffer[size - 1] = 0;
    d.setLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::copy(p.begin(), p.end(), buffer);
  buffer[p.size()] = 0;
  d.setLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(p.size());
}
