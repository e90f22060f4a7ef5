// The relation-point dialog CSetCoorDlg (template 8115, "设置关联点"): a modeless AutoCAD dialog
// in which the user either declares that the drawing already uses the host's plane system, or
// collects relation points, each a point picked in the drawing paired with a point clicked on
// the host's map, and sends them with "完成".
#pragma once

#include <string>

#include "mfc/acuidlg.h"
#include "mfc/afxext.h"

namespace vurk {

namespace relation_dialog {
inline constexpr UINT kTemplate = 8115;
inline constexpr UINT kGroup = 8107;
inline constexpr UINT kX = 8112;
inline constexpr UINT kY = 8111;
inline constexpr UINT kLongitude = 8320;
inline constexpr UINT kLatitude = 8114;
inline constexpr UINT kPick = 8105;
inline constexpr UINT kFinish = 8106;
inline constexpr UINT kClear = 8322;
inline constexpr UINT kPrevious = 8321;
inline constexpr UINT kNext = 8116;
inline constexpr UINT kSystemInfo = 8334;
inline constexpr UINT kSimplified = 8335;
inline constexpr UINT kHelpMark = 8336;
inline constexpr UINT kUseCurrentSystem = 8345;
inline constexpr UINT kGoToHost = 8346;
inline constexpr UINT kHelp = 8348;
inline constexpr UINT kNoPrompt = 8150;
}  // namespace relation_dialog

inline constexpr const char16_t* kSystemInfoPrefix = u"当前星衡地图系统坐信息：\r\n";

class CSetCoorDlg : public CAcUiDialog {
 public:
  CSetCoorDlg();
  ~CSetCoorDlg() override;

  // Empties the list and sets the controls as a fresh opening does.
  void ResetForOpening();
  // Writes the four fields into the list: over the point at index, or as a new point.
  void StoreCurrentPoint(int index, bool refresh);
  // Fills the four fields from the current point.
  void ShowCurrentPoint();
  int currentIndex() const { return index_; }
  const CToolTipCtrl& tooltip() const { return tooltip_; }

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnCancel() override;
  void PostNcDestroy() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnAcadKeepFocus(WPARAM, LPARAM) override { return 1; }

 private:
  void onPick();
  void onFinish();
  void onClear();
  void onPrevious();
  void onNext();
  void onUseCurrentSystem();
  void onGoToHost();
  void onFieldChanged(UINT id);
  void onHostPoint(const COPYDATASTRUCT& cds);
  void close();
  void setField(UINT id, double value);

  int index_ = 0;
  bool xFlag_ = false;
  bool yFlag_ = false;
  CToolTipCtrl tooltip_;
};

// Opens the dialog (creating it once) for the current drawing when the host is ready.
void OpenRelationPointDialog();
// Unload: destroys the dialog if it exists.
void DestroyRelationPointDialog();
// The dialog, or null.
CSetCoorDlg* RelationPointDialog();
// Its window while it exists (the notification window passes host message 20001 on to it).
HWND RelationPointDialogWindow();

// The dialog's template, for the plug-in's resources.
void AddRelationDialogTemplate(win32::ResourceTable& table);

}  // namespace vurk
