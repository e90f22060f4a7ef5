// MFC's CDialog, headless: a dialog is a real window of its template's class plus a table of its
// controls, acted on by the scripted user of mfc/dialog_script.h.
//
// Models:
//  - the template: looked up by id in the resources of AfxGetResourceHandle() first, then of the
//    application's instance (as MFC searches its resource chain). Its class name (empty: the
//    dialog class "#32770") is the window class of the dialog window, its caption the window
//    text, its style the window style. A template with the class "VurkArxWin" therefore makes a
//    window of that class, which FindWindowW finds by that name. The window is created without
//    WS_VISIBLE; a modal dialog is shown once initialised, a modeless one when its template says
//    WS_VISIBLE. Messages of the window reach the CDialog object (it is subclassed, mfc/afxwin.h).
//  - the controls: one entry per template control, by id: kind (the control's class: "Button",
//    "Edit", "Static", "ComboBox", "ListBox"), text, check state, items and selection (combo
//    and list boxes), enabled (unless WS_DISABLED) and visible. SetDlgItemText, CheckDlgButton
//    and friends act on this table.
//  - WM_INITDIALOG runs OnInitDialog. WM_COMMAND with IDOK runs OnOK (EndDialog(IDOK)), with
//    IDCANCEL OnCancel (EndDialog(IDCANCEL)); other ids go to the derived class's OnCommand.
//    WM_CLOSE is the dialog class's: WM_COMMAND IDCANCEL.
//  - DoModal: creates the window (owner disabled while it runs), sends WM_INITDIALOG, shows it,
//    then the scripted user plays the next queued visit: typing sets a text (edit controls, not
//    read-only), ticking a check box is a click on it (an auto check box toggles, then its
//    BN_CLICKED reaches the dialog), choosing an item sets the selection and sends
//    CBN_SELCHANGE / LBN_SELCHANGE, clicking a button sends BN_CLICKED, typing into an edit
//    control sends EN_CHANGE, leaving a field sends EN_KILLFOCUS. The first action after which
//    the dialog has ended stops the visit.
//  - SetDlgItemText on an edit control sends EN_CHANGE to the dialog once it has a window, as
//    WM_SETTEXT does on Windows (a handler that reacts to edits sees the dialog's own changes).
//  - Data exchange (mfc/afxdd.h): UpdateData runs DoDataExchange in either direction; a field
//    that fails validation shows MFC's message, and UpdateData answers FALSE.
//  - A modeless dialog is acted on while it is open (PlayUserAction), as a person would act on
//    a dialog that stays on the screen; FindOpenDialog finds it by its caption. Then the window is destroyed and the EndDialog
//    value returned. A missing template gives -1 and shows nothing (recorded as an error). Script
//    errors close the dialog with IDCANCEL and are recorded (see mfc/dialog_script.h).
//  - Create: a modeless dialog from a template; it lives until DestroyWindow. EndDialog on a
//    modeless dialog only hides it, as on Windows.
// Limitations (non-standard): the controls are not child windows (CWnd::GetDlgItem finds nothing
// and no control notifications other than those above are sent); no DDV, no dialog units,
// fonts or tab order; the modal loop does not pump messages or timers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "mfc/afxwin.h"
#include "mfc/dialog_script.h"
#include "win32/resources.h"

// Control notifications and styles of the controls the dialogs use.
constexpr WORD BN_CLICKED = 0;
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD CBN_EDITCHANGE = 5;
constexpr int NM_DBLCLK = -3;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD LVS_EX_GRIDLINES = 0x0001;
constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;

// The header of a WM_NOTIFY message and the item a list view's NM_DBLCLK names.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
};
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr int CB_ERR = -1;

namespace mfc {

// One control of a headless dialog. Kinds (the control's class): "Button" (push button, check
// box, radio button, group box by style), "Edit", "Static", "ComboBox" (CBS_DROPDOWNLIST takes no
// typing; other combos have an edit part), "ListBox", "SysListView32" (report style: columns and
// rows of texts).
struct DialogControlState {
  std::u16string kind;
  DWORD style = 0;
  std::u16string text;
  UINT check = BST_UNCHECKED;
  std::vector<std::u16string> items;
  int selection = -1;
  bool enabled = true;
  bool visible = true;
  std::size_t order = 0;       // position in the template (radio groups follow it)
  int textLimit = 0;           // what the user may type into an edit; 0: no limit
  DWORD extendedStyle = 0;     // list views
  std::vector<std::pair<std::u16string, int>> columns;  // list views: header text, width
  std::vector<std::vector<std::u16string>> rows;         // list views: one text per column
};

}  // namespace mfc

class CDataExchange;

class CDialog : public CWnd {
 public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : templateId_(templateId), parent_(parent) {}
  ~CDialog() override = default;

  // Shows the dialog modally and returns the EndDialog value, or -1 when it cannot be created.
  virtual INT_PTR DoModal();
  // Creates the dialog modelessly from a template; FALSE when the template or window is missing.
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
  void EndDialog(int result);

  UINT templateId() const { return templateId_; }
  bool isModal() const { return modal_; }

  // The control table.
  bool HasControl(int id) const { return controls_.count(static_cast<UINT>(id)) != 0; }
  const mfc::DialogControlState* control(int id) const;
  void SetDlgItemText(int id, LPCWSTR text);
  std::u16string GetDlgItemTextString(int id) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  // Combo and list boxes: the item's index, or CB_ERR when the control is missing.
  int AddControlItem(int id, const std::u16string& text);
  int GetControlSelection(int id) const;
  BOOL SetControlSelection(int id, int index);
  BOOL EnableControl(int id, BOOL enable);
  BOOL ShowControl(int id, BOOL show);
  bool IsControlVisible(int id) const;
  bool IsControlEnabled(int id) const;
  void ResetContent(int id);
  // EM_LIMITTEXT: the most the user may type (programmatic texts are not cut).
  void LimitText(int id, int units);

  // Radio groups: from a control with WS_GROUP to the next one, in template order. The index
  // of the checked radio button of the group that starts at firstId (-1 none), and checking one.
  int GetCheckedRadio(int firstId) const;
  void CheckRadio(int firstId, int index);

  // List views (report style).
  void SetListExtendedStyle(int id, DWORD style);
  DWORD GetListExtendedStyle(int id) const;
  int InsertListColumn(int id, int column, const std::u16string& heading, int width);
  int InsertListItem(int id, int row, const std::u16string& text);
  BOOL SetListItemText(int id, int row, int column, const std::u16string& text);
  // At most maxUnits - 1 units, as LVM_GETITEMTEXT copies into a buffer of that size.
  std::u16string GetListItemText(int id, int row, int column, int maxUnits = 1000) const;
  int GetListItemCount(int id) const;
  void DeleteAllListItems(int id);
  // The cell's rectangle in the control: columns side by side, rows of 17 pixels below a
  // 24-pixel header. FALSE outside the rows and columns.
  BOOL GetListSubItemRect(int id, int row, int column, RECT& rect) const;

  // Exchanges the bound values with the controls: TRUE reads the controls into the values
  // (FALSE when a field fails, after MFC's message), FALSE shows the values.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // The person at the screen acts on this open dialog now (a modeless dialog, or a modal one
  // from inside its visit); false with the reason when the dialog cannot take the action.
  bool PlayUserAction(const mfc::DialogAction& action, std::string& why);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void DoDataExchange(CDataExchange*) {}
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // IDOK and IDCANCEL; a derived class handles its own ids and calls this for the rest.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  CWnd* dialogParent() const { return parent_; }

 private:
  bool createFromTemplate(UINT templateId, CWnd* parent);
  void playScriptedUser();
  // Plays one action; false with a reason when the dialog cannot take it.
  bool play(const mfc::DialogAction& action, std::string& why);
  void notify(int id, WORD code);
  std::vector<mfc::DialogControlState*> radioGroup(int firstId);
  std::vector<mfc::DialogControlState*> radioGroupOf(const mfc::DialogControlState* member);
  void closeAsCancel();
  mfc::DialogControlState* controlOrNull(int id);

  UINT templateId_ = 0;
  CWnd* parent_ = nullptr;
  std::u16string templateCaption_;
  std::map<UINT, mfc::DialogControlState> controls_;
  bool modal_ = false;
  bool ended_ = false;
  int result_ = 0;
  bool scriptError_ = false;
  std::string problem_;
};

namespace mfc {
// The open dialog window with this caption whose object is a CDialog, or null.
CDialog* FindOpenDialog(const std::u16string& caption);
}  // namespace mfc
