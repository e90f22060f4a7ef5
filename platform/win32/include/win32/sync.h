// Events and waits of the desktop's single thread.
//
// Models: CreateEventW (manual- or auto-reset, initial state, optional name: a second create
// with the same name opens the same event and reports ERROR_ALREADY_EXISTS), SetEvent,
// ResetEvent, WaitForSingleObject and CloseHandle. A wait on a signalled event succeeds at once
// (WAIT_OBJECT_0) and an auto-reset event is reset by it. Nothing else runs while a thread
// waits, and there is only one thread, so a wait on an unsignalled event can only time out: a
// finite timeout advances the virtual clock by the timeout and returns WAIT_TIMEOUT (0 returns
// at once); INFINITE is a deadlock - debug builds assert, release builds return WAIT_FAILED
// with ERROR_POSSIBLE_DEADLOCK (1131).
// Handles belong to the desktop that created them; a handle that is not an open event gives
// FALSE / WAIT_FAILED with ERROR_INVALID_HANDLE.
//
// Limitations: events only (no mutexes, semaphores, threads or processes); a wait dispatches no
// messages and fires no timers (it only lets time pass), like a real wait on the GUI thread;
// security attributes are ignored (must be null). CloseHandle knows only the handles issued
// here; other stand-ins that hand out kernel handles must register with KernelObjects.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "win32/types.h"

constexpr DWORD ERROR_POSSIBLE_DEADLOCK = 1131;

namespace win32 {

class Clock;
class Desktop;

// The kernel objects of one desktop, reached through HANDLE values.
class KernelObjects {
 public:
  KernelObjects();
  ~KernelObjects();
  KernelObjects(const KernelObjects&) = delete;
  KernelObjects& operator=(const KernelObjects&) = delete;

  // Returns the handle and whether a named event existed already.
  HANDLE createEvent(bool manualReset, bool initialState, const std::u16string& name, bool& existed);
  bool setEvent(HANDLE h);
  bool resetEvent(HANDLE h);
  // The wait as described above; `clock` is advanced by a finite timeout that expires.
  DWORD wait(HANDLE h, DWORD timeoutMs, Clock& clock, DWORD& error);
  bool close(HANDLE h);

  // A file or folder opened with CreateFileW: the identity of what it names (volume and
  // index, as GetFileInformationByHandle reports them). Not an event: the event calls refuse it.
  struct OpenFile {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    DWORD attributes = 0;
  };
  HANDLE openFile(const OpenFile& file);
  const OpenFile* file(HANDLE h) const;

  bool isOpen(HANDLE h) const { return handles_.count(h) != 0 || files_.count(h) != 0; }
  // The signalled state of an open event (false for anything else).
  bool isSignalled(HANDLE h) const;
  std::size_t openHandleCount() const { return handles_.size() + files_.size(); }

 private:
  struct Event {
    bool manualReset = false;
    bool signalled = false;
    std::u16string name;
  };
  Event* find(HANDLE h) const;

  std::map<HANDLE, std::shared_ptr<Event>> handles_;
  std::map<HANDLE, OpenFile> files_;
  std::uintptr_t nextHandle_ = 0x7E000004;
};

// The kernel objects of a desktop.
KernelObjects& kernelObjects(Desktop& desktop);

}  // namespace win32

struct SECURITY_ATTRIBUTES;
HANDLE CreateEventW(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);
