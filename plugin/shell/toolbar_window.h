// The plug-in's toolbar: seven buttons floating over AutoCAD's frame (CAcToolBar), owned by an
// invisible child window of the frame (CAcToolBarWnd) that receives the button commands,
// watches once a second whether the user has hidden the toolbar, and resizes the drawing's
// icons after the label height changed.
//
// While the toolbar is hidden the plug-in stands still: the notification window and the
// drawing reactors read the toolbar-visible flag, which the hide watch keeps.
#pragma once

#include <array>

#include "arx/dbid.h"
#include "mfc/afxext.h"

namespace vurk {

// The buttons' command ids, left to right.
inline constexpr UINT kCmdSend = 32768;
inline constexpr UINT kCmdOnlineMap = 32769;
inline constexpr UINT kCmdDownloadMap = 32770;
inline constexpr UINT kCmdElevation = 32771;
inline constexpr UINT kCmdRelationPoints = 32772;
inline constexpr UINT kCmdCrossSection = 32781;
inline constexpr UINT kCmdSettings = 32773;
inline constexpr std::array<UINT, 7> kToolbarButtons{kCmdSend,           kCmdOnlineMap,    kCmdDownloadMap, kCmdElevation,
                                                     kCmdRelationPoints, kCmdCrossSection, kCmdSettings};
// Image indices that change: button 1 (online base map) and button 5 (cross-section).
inline constexpr int kImageOnlineMapOn = 1;
inline constexpr int kImageOnlineMapOff = 7;
inline constexpr int kImageCrossSectionNormal = 5;
inline constexpr int kImageCrossSectionOn = 8;

// The window's own message: resize the icons to the label height (posted after the settings
// dialog closed).
inline constexpr UINT kMsgResizeIcons = 32815;
inline constexpr UINT_PTR kTimerHideWatch = 1011;
inline constexpr UINT kToolbarWindowId = 32993;
// Icon images in a drawing with more than this many images show the progress meter.
inline constexpr int kResizeMeterThreshold = 100;

class CAcToolBar : public CToolBar {
 public:
  BOOL DestroyWindow() override { return CControlBar::DestroyWindow(); }
  void DisableBar() { EnableWindow(FALSE); }
  void EnableBar() { EnableWindow(TRUE); }
};

class CAcToolBarWnd : public CWnd {
 public:
  CAcToolBarWnd() = default;
  ~CAcToolBarWnd() override;

  CAcToolBar* toolbar() const { return toolbar_; }
  // The icon resize of message 32815 (also callable directly).
  void ResizeIcons();

 protected:
  int OnCreate(CREATESTRUCTW* cs) override;
  void OnDestroy() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool createToolbar();
  void hideWatch();
  void onSend();
  void onOnlineMap();
  void onDownloadMap();
  void onElevation();
  void onRelationPoints();
  void onCrossSection();
  void onSettings();

  CAcToolBar* toolbar_ = nullptr;
  AcDbObjectIdArray resizeIds_{0, 8};
};

// Start-up: creates the toolbar window (once) as a child of AutoCAD's frame; it creates and
// shows the toolbar. False when it could not be created.
bool CreateToolbarWindow();
// Unload: destroys the window, its toolbar and image list.
void DestroyToolbarWindow();
CAcToolBarWnd* ToolbarWindow();
// The toolbar of the live toolbar window, or null.
CAcToolBar* GetToolbar();
// The toolbar images: the online base map and cross-section buttons.
void SetOnlineBaseMapButton(bool on);
void SetCrossSectionButton(bool on);
// The toolbar-visible flag: 1 at start; the hide watch keeps it equal to the toolbar's
// visibility.
bool ToolbarVisibleFlag();
// Floats the toolbar at (screen width - fromRight, 70) and shows it.
void FloatAndShowToolbar(int fromRight);

}  // namespace vurk
