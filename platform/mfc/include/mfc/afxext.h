// MFC's frame window with control bars, the toolbar, the image list and the tooltip control,
// headless.
//
// Models:
//  - CFrameWnd: a frame that docking can be enabled on (EnableDocking records the sides) and
//    that floats and shows its control bars (FloatControlBar records the screen position and
//    alignment and marks the bar floating; ShowControlBar shows or hides the bar's window).
//    AutoCAD's main frame is one (acedGetAcadFrame).
//  - CControlBar / CToolBar: a toolbar window ("ToolbarWindow32", a child of its parent frame)
//    with buttons (command id, style, image index), button and image sizes, an image list
//    (TB_SETIMAGELIST) and the owner that receives its commands (TB_SETPARENT; by default the
//    parent). A button pressed by the person at the screen (PressButton) sends WM_COMMAND with
//    the button's id and BN_CLICKED to the owner, as the toolbar control does. A floating bar
//    has a close box: UserClosesFloatingBar hides the bar as MFC's floating frame does
//    (ShowControlBar with FALSE); IsWindowVisible tells it. Tooltips are the string-table texts
//    of the button ids, after their "\n", from the resources current when the bar was created.
//  - CImageList: images of one size added from icons; Add answers the new index (-1 for no icon).
//  - CToolTipCtrl: tools (a control id and its text), delay, colours and activation, recorded.
// Limitations: no docking layout, no mini-frame window of its own (a floating bar stays a
// child of the frame, so it is visible exactly when it is shown and the frame is), no command
// update requests at idle time, no painting of images (an image is the icon it came from).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "mfc/afxwin.h"

using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

struct CPoint : POINT {
  CPoint() : POINT{0, 0} {}
  CPoint(LONG px, LONG py) : POINT{px, py} {}
};

// Control-bar styles and alignment.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD TBSTYLE_FLAT = 0x0800;
constexpr DWORD TBSTYLE_TRANSPARENT = 0x8000;
constexpr UINT TBBS_BUTTON = 0x0000;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT TB_SETPARENT = WM_USER + 37;
constexpr UINT TB_SETIMAGELIST = WM_USER + 48;
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR32 = 0x0020;
constexpr DWORD TTDT_AUTOMATIC = 0;

struct _IMAGELIST;
using HIMAGELIST = _IMAGELIST*;

class CImageList {
 public:
  CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  // The new image's index, or -1 without a list or an icon.
  int Add(HICON icon);
  int GetImageCount() const { return static_cast<int>(icons_.size()); }
  HICON icon(int index) const;
  int width() const { return cx_; }
  int height() const { return cy_; }
  UINT flags() const { return flags_; }
  HIMAGELIST GetSafeHandle() const { return created_ ? reinterpret_cast<HIMAGELIST>(const_cast<CImageList*>(this)) : nullptr; }
  static CImageList* FromHandle(HIMAGELIST h) { return reinterpret_cast<CImageList*>(h); }

 private:
  bool created_ = false;
  int cx_ = 0;
  int cy_ = 0;
  UINT flags_ = 0;
  std::vector<HICON> icons_;
};

class CFrameWnd;

class CControlBar : public CWnd {
 public:
  void EnableDocking(DWORD style) { dockStyle_ = style; }
  DWORD dockingStyle() const { return dockStyle_; }
  BOOL IsFloating() const { return floating_; }
  CPoint floatPosition() const { return floatPosition_; }
  DWORD floatAlignment() const { return floatAlignment_; }
  CFrameWnd* GetDockingFrame() const { return dockSite_; }
  // The close box of the floating bar, clicked by the person at the screen; false when the bar
  // is docked (no close box) or not shown.
  bool UserClosesFloatingBar();

 protected:
  friend class CFrameWnd;
  CFrameWnd* dockSite_ = nullptr;
  DWORD dockStyle_ = 0;
  bool floating_ = false;
  CPoint floatPosition_;
  DWORD floatAlignment_ = 0;
};

class CToolBar : public CControlBar {
 public:
  struct Button {
    UINT id = 0;
    UINT style = TBBS_BUTTON;
    int image = 0;
  };

  // Creates the toolbar window as a child of the parent frame; FALSE when it cannot.
  BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                RECT borders = RECT{0, 0, 0, 0}, UINT id = AFX_IDW_TOOLBAR);
  // Buttons with these ids, images 0, 1, ... in order.
  BOOL SetButtons(const UINT* ids, int count);
  void SetButtonInfo(int index, UINT id, UINT style, int image);
  void GetButtonInfo(int index, UINT& id, UINT& style, int& image) const;
  UINT GetItemID(int index) const;
  int CommandToIndex(UINT id) const;
  int GetCount() const { return static_cast<int>(buttons_.size()); }
  void SetSizes(SIZE button, SIZE image);
  SIZE buttonSize() const { return buttonSize_; }
  SIZE imageSize() const { return imageSize_; }
  // The image list attached (TB_SETIMAGELIST), or null.
  CImageList* imageList() const { return imageList_; }
  HWND owner() const { return owner_; }
  DWORD controlStyle() const { return ctrlStyle_; }
  // The button's tooltip: its string-table text after the "\n"; empty when there is none.
  std::u16string ButtonTooltip(int index) const;
  // The index of the button with this tooltip, or -1.
  int IndexOfTooltip(const std::u16string& tip) const;
  // The person at the screen presses a button: WM_COMMAND to the owner. False when there is no
  // such button, the bar is not visible or disabled.
  bool PressButton(int index);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  std::vector<Button> buttons_;
  SIZE buttonSize_{23, 22};
  SIZE imageSize_{16, 15};
  CImageList* imageList_ = nullptr;
  HWND owner_ = nullptr;
  DWORD ctrlStyle_ = 0;
  HINSTANCE resources_ = nullptr;
};

class CFrameWnd : public CWnd {
 public:
  void EnableDocking(DWORD style) { dockStyle_ = style; }
  DWORD dockingStyle() const { return dockStyle_; }
  void FloatControlBar(CControlBar* bar, CPoint point, DWORD style = CBRS_ALIGN_TOP);
  void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);

 private:
  DWORD dockStyle_ = 0;
};

class CToolTipCtrl : public CWnd {
 public:
  struct Tool {
    UINT controlId = 0;
    std::u16string text;
  };
  // Records the parent; the tooltip has no window of its own here.
  BOOL Create(CWnd* parent, DWORD style = 0);
  BOOL AddTool(UINT controlId, const std::u16string& text);
  void SetDelayTime(DWORD kind, int ms) { delays_[kind] = ms; }
  void SetTipTextColor(COLORREF c) { textColour_ = c; }
  void SetTipBkColor(COLORREF c) { backColour_ = c; }
  void Activate(BOOL on) { active_ = on != FALSE; }
  // Mouse messages relayed to the tooltip; counted.
  void RelayEvent(const MSG*) { ++relayed_; }

  bool created() const { return parent_ != nullptr; }
  const std::vector<Tool>& tools() const { return tools_; }
  // The text of the control's tool, or empty.
  std::u16string toolText(UINT controlId) const;
  int delay(DWORD kind) const;
  COLORREF textColour() const { return textColour_; }
  COLORREF backColour() const { return backColour_; }
  bool active() const { return active_; }
  int relayedEvents() const { return relayed_; }

 private:
  CWnd* parent_ = nullptr;
  std::vector<Tool> tools_;
  std::map<DWORD, int> delays_;
  COLORREF textColour_ = 0;
  COLORREF backColour_ = 0xFFFFE1;
  bool active_ = false;
  int relayed_ = 0;
};
