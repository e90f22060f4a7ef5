// The folder picker CPathDialog: the shell's folder browser with an edit box above the folder
// tree in which the user may type the folder. OK accepts only an existing folder; a typed
// relative path is made absolute first, so a relative folder is never chosen.
#pragma once

#include <string>

#include "mfc/afxwin.h"
#include "win32/shlobj.h"

namespace vurk {

inline constexpr int kPathEditId = 14148;

class CPathDialog : public CWnd {
 public:
  CPathDialog(std::u16string_view caption, std::u16string_view title, std::u16string_view initialFolder,
              CWnd* parent);

  // 1 when a folder was confirmed, -1 otherwise.
  int DoModal();
  std::u16string GetPathName() const { return path_; }

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  static int BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);
  void onInitialized(HWND hwnd);
  void onSelectionChanged(LPARAM pidl);

  std::u16string caption_;  // at most 255 characters each
  std::u16string title_;
  std::u16string initial_;  // at most 259
  std::u16string path_;
  CWnd* owner_ = nullptr;
  bool confirmed_ = false;
  BROWSEINFOW info_{};
};

// Lets the user pick the cache folder: true with the chosen full path.
bool ChooseCacheFolder(CWnd* parent, const std::u16string& currentFolder, std::u16string& chosen);

}  // namespace vurk
