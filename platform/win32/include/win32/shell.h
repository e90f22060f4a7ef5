// The shell: documents, programs and addresses opened with ShellExecuteW / ShellExecuteExW.
//
// Models: every call is recorded in order (verb, file, parameters, folder, show command) in a
// list that tests read and as one line on the transcript's "shell" channel, e.g.
// "open https://example.invalid/help" or "open C:\Program Files\vurk\vurk.exe -min". An
// address (a scheme such as "http:" before the first '\' or '/') always opens. A file path is
// looked up in the virtual file system: a missing file gives SE_ERR_FNF (2) as Windows does;
// an existing one is handed to the launch hook, through which the desk starts a stand-in
// program (the host map application) when its program file is opened. Success returns a
// value above 32 (ShellExecuteW) or TRUE with hInstApp above 32 (ShellExecuteExW).
// Limitations: nothing is really started; no process handle is returned (hProcess stays null,
// as for a document opened through DDE); file associations and verbs other than the caller's
// text are not interpreted.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/types.h"

namespace win32 {

class Transcript;

struct ShellLaunch {
  std::u16string verb;        // as given; empty for the default verb
  std::u16string file;        // as given
  std::u16string parameters;
  std::u16string directory;
  int show = 0;
  int result = 0;             // the value returned to the caller (> 32 on success)
  bool started = false;       // the launch hook started a program for it
};

class Shell {
 public:
  explicit Shell(Transcript& transcript);
  ~Shell();

  // Records the call and returns the result code (> 32 success). `exists` says whether the
  // file was found (always true for an address).
  int execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters,
              std::u16string_view directory, int show, bool isAddress, bool exists, const std::u16string& fullPath);

  const std::vector<ShellLaunch>& launches() const { return launches_; }
  void clearLaunches() { launches_.clear(); }

  // Called with the full Windows path of an existing file being opened; returns true when it
  // started a program for it.
  void setLaunchHook(std::function<bool(const std::u16string& file)> hook) { hook_ = std::move(hook); }

 private:
  Transcript& transcript_;
  std::vector<ShellLaunch> launches_;
  std::function<bool(const std::u16string& file)> hook_;
};

}  // namespace win32

constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;

constexpr ULONG SEE_MASK_DEFAULT = 0x00000000;
constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;

struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  LPCWSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  union {
    HANDLE hIcon;
    HANDLE hMonitor;
  };
  HANDLE hProcess;
};
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "SHELLEXECUTEINFOW is 112 bytes on 64-bit Windows");
using LPSHELLEXECUTEINFOW = SHELLEXECUTEINFOW*;

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show);
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
