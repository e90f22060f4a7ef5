// The MFC side of the ARX API: AutoCAD's main frame and the module resource override.
//
// Models: acedGetAcadFrame (the main frame as an MFC window object) and adsw_acadMainWnd (its
// window handle) of the current AutoCAD application; CAcModuleResourceOverride, which makes a
// module's resources MFC's current resources (AfxSetResourceHandle) for its lifetime and
// restores the previous resource handle when it ends. Without an explicit instance it uses the
// module of the ARX application AutoCAD is calling into (a message being delivered or one of
// its commands running); with none, it asserts in debug builds and leaves the resource handle
// unchanged.
// Limitations: no AutoCAD drawing view window (acedGetAcadDwgView) yet.
#pragma once

#include "mfc/afxext.h"
#include "win32/types.h"

// AutoCAD's main frame: a frame window with control bars.
CFrameWnd* acedGetAcadFrame();
HWND adsw_acadMainWnd();

class CAcModuleResourceOverride {
 public:
  explicit CAcModuleResourceOverride(HINSTANCE hInst = nullptr);
  ~CAcModuleResourceOverride();
  CAcModuleResourceOverride(const CAcModuleResourceOverride&) = delete;
  CAcModuleResourceOverride& operator=(const CAcModuleResourceOverride&) = delete;

 private:
  HINSTANCE previous_;
  bool switched_;
};
