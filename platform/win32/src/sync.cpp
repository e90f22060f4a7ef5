#include "win32/sync.h"

#include <cassert>

#include "win32/clock.h"
#include "win32/desktop.h"
#include "win32/window_manager.h"

namespace win32 {

KernelObjects::KernelObjects() = default;
KernelObjects::~KernelObjects() = default;

KernelObjects::Event* KernelObjects::find(HANDLE h) const {
  const auto it = handles_.find(h);
  return it == handles_.end() ? nullptr : it->second.get();
}

HANDLE KernelObjects::createEvent(bool manualReset, bool initialState, const std::u16string& name, bool& existed) {
  existed = false;
  std::shared_ptr<Event> event;
  if (!name.empty()) {
    for (const auto& [h, e] : handles_) {
      if (e->name == name) {  // kernel object names are case-sensitive
        event = e;
        existed = true;
        break;
      }
    }
  }
  if (!event) {
    event = std::make_shared<Event>();
    event->manualReset = manualReset;
    event->signalled = initialState;
    event->name = name;
  }
  const HANDLE h = reinterpret_cast<HANDLE>(nextHandle_);
  nextHandle_ += 4;
  handles_[h] = std::move(event);
  return h;
}

bool KernelObjects::setEvent(HANDLE h) {
  Event* e = find(h);
  if (!e) return false;
  e->signalled = true;
  return true;
}

bool KernelObjects::resetEvent(HANDLE h) {
  Event* e = find(h);
  if (!e) return false;
  e->signalled = false;
  return true;
}

DWORD KernelObjects::wait(HANDLE h, DWORD timeoutMs, Clock& clock, DWORD& error) {
  Event* e = find(h);
  if (!e) {
    error = ERROR_INVALID_HANDLE;
    return WAIT_FAILED;
  }
  if (e->signalled) {
    if (!e->manualReset) e->signalled = false;
    return WAIT_OBJECT_0;
  }
  if (timeoutMs == INFINITE) {
    assert(false && "deadlock: infinite wait on an unsignalled event with no other thread to set it");
    error = ERROR_POSSIBLE_DEADLOCK;
    return WAIT_FAILED;
  }
  clock.advance(timeoutMs);
  return WAIT_TIMEOUT;
}

bool KernelObjects::close(HANDLE h) { return handles_.erase(h) != 0 || files_.erase(h) != 0; }

HANDLE KernelObjects::openFile(const OpenFile& file) {
  const HANDLE h = reinterpret_cast<HANDLE>(nextHandle_);
  nextHandle_ += 4;
  files_[h] = file;
  return h;
}

const KernelObjects::OpenFile* KernelObjects::file(HANDLE h) const {
  const auto it = files_.find(h);
  return it == files_.end() ? nullptr : &it->second;
}

bool KernelObjects::isSignalled(HANDLE h) const {
  const Event* e = find(h);
  return e && e->signalled;
}

KernelObjects& kernelObjects(Desktop& desktop) { return desktop.windows().kernelObjects(); }

}  // namespace win32

HANDLE CreateEventW(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  auto& d = win32::Desktop::current();
  if (attributes) {  // not modelled: say so instead of ignoring it
    d.setLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  bool existed = false;
  const HANDLE h = win32::kernelObjects(d).createEvent(manualReset != FALSE, initialState != FALSE,
                                                       name ? std::u16string(name) : std::u16string(), existed);
  d.setLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

BOOL SetEvent(HANDLE event) {
  auto& d = win32::Desktop::current();
  if (win32::kernelObjects(d).setEvent(event)) return TRUE;
  d.setLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL ResetEvent(HANDLE event) {
  auto& d = win32::Desktop::current();
  if (win32::kernelObjects(d).resetEvent(event)) return TRUE;
  d.setLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto& d = win32::Desktop::current();
  DWORD error = 0;
  const DWORD r = win32::kernelObjects(d).wait(handle, milliseconds, d.clock(), error);
  if (r == WAIT_FAILED) d.setLastError(error);
  return r;
}

BOOL CloseHandle(HANDLE handle) {
  auto& d = win32::Desktop::current();
  if (win32::kernelObjects(d).close(handle)) return TRUE;
  d.setLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
