// AutoCAD's MFC dialog base (CAcUiDialog, from CAdUiBaseDialog), headless.
//
// Models: a CDialog that answers AutoCAD's keep-focus query WM_ACAD_KEEPFOCUS (0x7101), which
// AutoCAD sends to a dialog to ask whether it wants to keep the keyboard focus (non-zero: keep
// it, so the drawing window does not take it back). The answer is OnAcadKeepFocus's; the base
// answers 0.
// Limitations: none of the AutoCAD UI extras (data persistency, tip windows, resizing).
#pragma once

#include "mfc/afxdlg.h"

constexpr UINT WM_ACAD_KEEPFOCUS = 0x7101;

class CAcUiDialog : public CDialog {
 public:
  using CDialog::CDialog;

 protected:
  virtual LRESULT OnAcadKeepFocus(WPARAM, LPARAM) { return 0; }

  BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (msg == WM_ACAD_KEEPFOCUS) {
      *result = OnAcadKeepFocus(wParam, lParam);
      return TRUE;
    }
    return CDialog::OnWndMsg(msg, wParam, lParam, result);
  }
};
