// MFC's dialog data exchange, the subset the plug-in's dialogs use.
//
// Models: CDataExchange carries the direction (m_bSaveAndValidate: TRUE reads the controls into
// the values, FALSE shows the values in the controls) and the dialog. The DDX_ functions bind
// one control to one value:
//  - DDX_Check: a check box's state as an int (0 unchecked, 1 checked);
//  - DDX_Text: an edit or static control's text as a string, or as an int. Reading an int takes
//    optional blanks, an optional sign and decimal digits followed by nothing but blanks;
//    anything else (or a value outside int) shows MFC's message "Please enter an integer."
//    (OK box with the exclamation icon) and fails the exchange;
//  - DDX_CBIndex: a combo or list box's selected index (-1 none);
//  - DDX_Radio: the index of the checked button of the radio group that starts at the id (-1
//    none).
// A failed exchange stops at that field: UpdateData answers FALSE and the fields after it are
// not read.
// Limitations: no DDV range checks (the dialogs validate themselves), no float or CString
// variants, no focus moved to the failing field.
#pragma once

#include <string>

#include "mfc/afxdlg.h"

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;

  // Ends the exchange as failed (MFC throws; here the flag is read by UpdateData).
  void Fail() { failed_ = true; }
  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
};

void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, std::u16string& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_Radio(CDataExchange* dx, int firstId, int& index);

namespace mfc {
// MFC's message for a field that holds no integer.
inline constexpr const char16_t* kParseIntMessage = u"Please enter an integer.";
// The integer of a field's text under MFC's rule above, or false.
bool ParseDialogInt(const std::u16string& text, int& value);
}  // namespace mfc
