#include "win32/shell.h"

#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

namespace win32 {

namespace {
constexpr int kOpened = 42;  // any value above 32 means success
}

Shell::Shell(Transcript& transcript) : transcript_(transcript) {}
Shell::~Shell() = default;

int Shell::execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters,
                   std::u16string_view directory, int show, bool isAddress, bool exists, const std::u16string& fullPath) {
  ShellLaunch rec;
  rec.verb.assign(verb);
  rec.file.assign(file);
  rec.parameters.assign(parameters);
  rec.directory.assign(directory);
  rec.show = show;
  rec.result = exists ? kOpened : SE_ERR_FNF;
  std::string line = utf16ToUtf8(verb.empty() ? std::u16string_view(u"open") : verb) + " " + utf16ToUtf8(file);
  if (!parameters.empty()) line += " " + utf16ToUtf8(parameters);
  if (!exists) line += " -> not found";
  transcript_.add("shell", line);
  if (exists && !isAddress && hook_) rec.started = hook_(fullPath);
  launches_.push_back(std::move(rec));
  return launches_.back().result;
}

}  // namespace win32

namespace {

// "https://...", "mailto:..." : a scheme of two or more characters before ':'.
bool looksLikeAddress(std::u16string_view text) {
  const std::size_t colon = text.find(u':');
  if (colon == std::u16string_view::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char16_t c = text[i];
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
    if (!letter && !(i > 0 && other)) return false;
  }
  return true;
}

bool isAbsolute(std::u16string_view p) {
  return (p.size() >= 2 && p[1] == u':') || (!p.empty() && (p[0] == u'\\' || p[0] == u'/'));
}

int run(LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show) {
  auto& d = win32::Desktop::current();
  const std::u16string_view f = file ? std::u16string_view(file) : std::u16string_view();
  const std::u16string_view v = verb ? std::u16string_view(verb) : std::u16string_view();
  const std::u16string_view p = parameters ? std::u16string_view(parameters) : std::u16string_view();
  const std::u16string_view dir = directory ? std::u16string_view(directory) : std::u16string_view();
  const bool address = looksLikeAddress(f);
  bool exists = address;
  std::u16string full;
  if (!address && !f.empty()) {
    std::u16string path(f);
    if (!isAbsolute(path) && !dir.empty()) path = std::u16string(dir) + u"\\" + path;
    win32::FsLocation loc;
    if (d.files().locate(path, loc) == ERROR_SUCCESS && loc.exists()) {
      exists = true;
      full = loc.full;
    }
  }
  const int result = d.shell().execute(v, f, p, dir, show, address, exists, full);
  d.setLastError(result > 32 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  return result;
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show) {
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(run(verb, file, parameters, directory, show)));
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  if (info == nullptr || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int result = run(info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, info->nShow);
  info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(result));
  info->hProcess = nullptr;
  return result > 32 ? TRUE : FALSE;
}
