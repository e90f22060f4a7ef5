// The simulated Windows desktop that every stand-in call runs against.
//
// Models: one process with one thread, as inside AutoCAD. A Desktop owns the sandbox folder
// that its drive letters map into, the virtual clock, the windows, timers and message queues,
// the registry, the shell's record of launched documents, the loaded modules, the scripted user
// and the transcript of everything a person would have seen. Stand-in calls (FindWindowW,
// CreateDirectoryW, GetTickCount, ...) act on the desktop installed with DesktopScope, so the
// plug-in keeps its real call shapes while every test builds its own fresh desktop.
// Limitations: no threads, no real screen; one desktop is current at a time.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "win32/types.h"

namespace win32 {

class Clock;
class FileSystem;
class Registry;
class WindowManager;
class Shell;
class Transcript;
class UserScript;
class ResourceTable;

// Modules (DLLs/ARX files) known to the desktop: GetModuleFileNameW answers from here, and
// FindResourceW/LoadStringW look in the module's compiled-in resources.
struct ModuleInfo {
  std::u16string path;                        // full Windows path of the module file
  const ResourceTable* resources = nullptr;   // owned by the module image, outlives the desktop
};

class Desktop {
 public:
  // The sandbox folder holds one sub-folder per drive letter ("C", "D", ...).
  explicit Desktop(const std::filesystem::path& sandboxRoot);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // The desktop that stand-in calls act on; asserts that one is installed.
  static Desktop& current();
  static Desktop* currentOrNull();

  const std::filesystem::path& sandboxRoot() const { return sandboxRoot_; }

  Clock& clock() { return *clock_; }
  FileSystem& files() { return *files_; }
  Registry& registry() { return *registry_; }
  WindowManager& windows() { return *windows_; }
  Shell& shell() { return *shell_; }
  Transcript& transcript() { return *transcript_; }
  UserScript& user() { return *user_; }

  // The ANSI code page ("thread's ANSI code page"); 936 (GBK) unless a session chooses another.
  UINT ansiCodePage() const { return ansiCodePage_; }
  void setAnsiCodePage(UINT cp) { ansiCodePage_ = cp; }

  // Screen size in pixels for GetSystemMetrics.
  int screenWidth() const { return screenWidth_; }
  int screenHeight() const { return screenHeight_; }
  void setScreenSize(int w, int h) { screenWidth_ = w; screenHeight_ = h; }

  DWORD lastError() const { return lastError_; }
  void setLastError(DWORD e) { lastError_ = e; }

  // Modules: the session registers the plug-in's file; its handle is the module instance.
  HMODULE registerModule(const std::u16string& path, const ResourceTable* resources = nullptr);
  void unregisterModule(HMODULE h);
  const ModuleInfo* module(HMODULE h) const;
  void setModulePath(HMODULE h, const std::u16string& path);

  // Advances the virtual clock by ms, firing due timers and dispatching posted messages in
  // order at every instant where something is due.
  void runFor(DWORD ms);
  // Dispatches posted messages and due timers without advancing the clock.
  void pump();

 private:
  std::filesystem::path sandboxRoot_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<WindowManager> windows_;
  std::unique_ptr<Shell> shell_;
  std::unique_ptr<Transcript> transcript_;
  std::unique_ptr<UserScript> user_;
  std::map<std::uintptr_t, ModuleInfo> modules_;
  std::uintptr_t nextModule_ = 0x180000000;
  UINT ansiCodePage_ = 936;
  int screenWidth_ = 1920;
  int screenHeight_ = 1080;
  DWORD lastError_ = 0;
};

// Installs a desktop as the current one for the scope's lifetime and restores the previous.
class DesktopScope {
 public:
  explicit DesktopScope(Desktop& d);
  ~DesktopScope();
  DesktopScope(const DesktopScope&) = delete;
  DesktopScope& operator=(const DesktopScope&) = delete;

 private:
  Desktop* previous_;
};

}  // namespace win32

// Win32 calls that read the desktop directly.
DWORD GetLastError();
void SetLastError(DWORD e);
int GetSystemMetrics(int index);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
