// The headless MFC pieces the plug-in's dialogs and toolbar stand on: edit notifications, data
// exchange, the keep-focus query, and the toolbar on AutoCAD's frame with its image list and
// tooltips.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acad_fixture.h"
#include "arx/rxmfcapi.h"
#include "mfc/acuidlg.h"
#include "mfc/afxdd.h"
#include "mfc/afxext.h"
#include "mfc/dialog_script.h"
#include "win32/resources.h"
#include "win32/user_script.h"
#include "win32/winuser.h"

namespace {

using mfc::DialogAction;

constexpr UINT kFields = 500;
constexpr UINT kCount = 10, kLabel = 11, kBox = 12, kList = 13;
constexpr UINT kKinds = 600;
constexpr UINT kRadioA = 20, kRadioB = 21, kRadioC = 22, kOtherRadio = 23, kFixedList = 24, kEditable = 25,
               kTable = 26, kShort = 27;

class MfcControlsTest : public vurktest::AcadFixture {
 protected:
  MfcControlsTest() {
    win32::DialogTemplate t;
    t.caption = u"Fields";
    t.style = WS_POPUP | WS_CAPTION;
    t.controls = {{kCount, u"Edit", u"", 0},
                  {kLabel, u"Edit", u"", 0},
                  {kBox, u"Button", u"box", BS_AUTOCHECKBOX},
                  {kList, u"ComboBox", u"", 0},
                  {IDOK, u"Button", u"OK", 0},
                  {IDCANCEL, u"Button", u"Cancel", 0}};
    table_.addDialog(kFields, t);
    win32::DialogTemplate k;
    k.caption = u"Kinds";
    k.style = WS_POPUP | WS_CAPTION;
    k.controls = {{kRadioA, u"Button", u"a", BS_AUTORADIOBUTTON | WS_GROUP},
                  {kRadioB, u"Button", u"b", BS_AUTORADIOBUTTON},
                  {kRadioC, u"Button", u"c", BS_AUTORADIOBUTTON},
                  {kOtherRadio, u"Button", u"other", BS_AUTORADIOBUTTON | WS_GROUP},
                  {kFixedList, u"ComboBox", u"", CBS_DROPDOWNLIST | WS_GROUP},
                  {kEditable, u"ComboBox", u"", CBS_DROPDOWN},
                  {kTable, u"SysListView32", u"", 0},
                  {kShort, u"Edit", u"", 0},
                  {IDOK, u"Button", u"OK", 0}};
    table_.addDialog(kKinds, k);
    table_.addString(40001, u"Send the selection\nSend");
    table_.addString(40002, u"\nSettings");
    table_.addIcon(7001, {1, 2, 3});
    table_.addIcon(7002, {4, 5, 6});
    module_ = desktop().registerModule(u"C:\\test\\ui.arx", &table_);
  }

  HINSTANCE module() const { return module_; }
  mfc::DialogScript& script() { return acad().mfcState().dialogScript(); }

 private:
  win32::ResourceTable table_;
  HINSTANCE module_ = nullptr;
};

// Binds its fields and records the edit notifications it gets.
class FieldsDialog : public CAcUiDialog {
 public:
  FieldsDialog() : CAcUiDialog(kFields) {}
  int count = 7;
  std::u16string label = u"start";
  int box = 1;
  int pick = 1;
  bool keepFocus = false;
  std::vector<std::string> events;
  BOOL okAccepted = FALSE;

 protected:
  BOOL OnInitDialog() override {
    AddControlItem(kList, u"a");
    AddControlItem(kList, u"b");
    UpdateData(FALSE);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, kCount, count);
    DDX_Text(dx, kLabel, label);
    DDX_Check(dx, kBox, box);
    DDX_CBIndex(dx, kList, pick);
  }
  BOOL OnCommand(WPARAM w, LPARAM l) override {
    if (HIWORD(w) == EN_CHANGE) events.push_back("change " + std::to_string(LOWORD(w)));
    if (HIWORD(w) == EN_KILLFOCUS) events.push_back("left " + std::to_string(LOWORD(w)));
    return CAcUiDialog::OnCommand(w, l);
  }
  void OnOK() override {
    okAccepted = UpdateData(TRUE);
    if (okAccepted) CAcUiDialog::OnOK();
  }
  LRESULT OnAcadKeepFocus(WPARAM, LPARAM) override { return keepFocus ? 1 : 0; }
};

TEST_F(MfcControlsTest, AFieldWithoutAnIntegerShowsMfcsMessageAndKeepsTheDialogOpen) {
  CAcModuleResourceOverride resources(module());
  desktop().user().queueAnswer(IDOK);
  script().queue({kFields, {DialogAction::setText(kCount, u"12a"), DialogAction::click(IDOK),
                            DialogAction::setText(kCount, u"2147483648"), DialogAction::click(IDCANCEL)}});
  FieldsDialog d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.count, 7) << "a failed exchange leaves the value";
  ASSERT_EQ(desktop().user().boxes().size(), 1u) << "the second text was never offered to OK";
  EXPECT_EQ(desktop().user().boxes()[0].text, u"Please enter an integer.");
  EXPECT_EQ(desktop().user().boxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
  int v = 0;
  EXPECT_FALSE(mfc::ParseDialogInt(u"2147483648", v));
  EXPECT_TRUE(mfc::ParseDialogInt(u"-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
  EXPECT_FALSE(mfc::ParseDialogInt(u"", v));
  EXPECT_FALSE(mfc::ParseDialogInt(u"+", v));
}

// Radio groups, the two kinds of combo box, a list view in report style and a limited edit.
class KindsDialog : public CDialog {
 public:
  KindsDialog() : CDialog(kKinds) {}
  int radio = 1;
  std::u16string limitedAtOk;
  std::vector<std::string> events;

 protected:
  BOOL OnInitDialog() override {
    AddControlItem(kFixedList, u"5级");
    AddControlItem(kEditable, u"10");
    AddControlItem(kEditable, u"30");
    SetControlSelection(kEditable, 1);
    LimitText(kShort, 4);
    SetListExtendedStyle(kTable, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    InsertListColumn(kTable, 0, u"属性", 80);
    InsertListColumn(kTable, 1, u"值", 100);
    InsertListItem(kTable, 0, u"名称");
    SetListItemText(kTable, 0, 1, u"道路");
    InsertListItem(kTable, 1, u"备注");
    UpdateData(FALSE);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* dx) override { DDX_Radio(dx, kRadioA, radio); }
  BOOL OnCommand(WPARAM w, LPARAM l) override {
    if (HIWORD(w) == CBN_EDITCHANGE) events.push_back("edit " + std::to_string(LOWORD(w)));
    if (HIWORD(w) == BN_CLICKED && LOWORD(w) != IDOK) events.push_back("clicked " + std::to_string(LOWORD(w)));
    return CDialog::OnCommand(w, l);
  }
  BOOL OnNotify(WPARAM, LPARAM l, LRESULT* result) override {
    const auto* nm = reinterpret_cast<const NMITEMACTIVATE*>(l);
    if (nm->hdr.code == static_cast<UINT>(NM_DBLCLK)) {
      RECT r{};
      GetListSubItemRect(static_cast<int>(nm->hdr.idFrom), nm->iItem, nm->iSubItem, r);
      events.push_back("double-click " + std::to_string(nm->iItem) + "," + std::to_string(nm->iSubItem) + " at " +
                       std::to_string(r.left) + "," + std::to_string(r.top));
      *result = 0;
      return TRUE;
    }
    return FALSE;
  }
  void OnOK() override {
    UpdateData(TRUE);
    limitedAtOk = GetDlgItemTextString(kShort);
    CDialog::OnOK();
  }
};

TEST_F(MfcControlsTest, RadioGroupsCombosListViewsAndLimitsActAsTheirControlsDo) {
  CAcModuleResourceOverride resources(module());
  script().queue({kKinds,
                  {DialogAction::check(kRadioC, true), DialogAction::check(kOtherRadio, true),
                   DialogAction::setText(kEditable, u"50"), DialogAction::setText(kShort, u"123456"),
                   DialogAction::doubleClick(kTable, 0, 1), DialogAction::click(IDOK)}});
  KindsDialog d;
  ASSERT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.radio, 2) << "the group ends at the next WS_GROUP";
  EXPECT_EQ(d.limitedAtOk, u"1234") << "typing stops at the limit";
  EXPECT_EQ(d.events, (std::vector<std::string>{"clicked 22", "clicked 23", "edit 25", "double-click 0,1 at 80,24"}));
  EXPECT_EQ(script().dialogs().back().controlTexts.at(kEditable), u"30") << "the selected item showed first";

  // A drop-down list takes no typing; the first radio of the group was checked by the exchange.
  script().queue({kKinds, {DialogAction::setText(kFixedList, u"x"), DialogAction::click(IDOK)}});
  KindsDialog e;
  EXPECT_EQ(e.DoModal(), IDCANCEL);
  EXPECT_EQ(script().dialogs().back().problem, "control 24 takes no typing");
  script().queue({kKinds, {DialogAction::doubleClick(kTable, 2, 0)}});
  KindsDialog f;
  EXPECT_EQ(f.DoModal(), IDCANCEL);
  EXPECT_EQ(script().dialogs().back().problem, "control 26 has no such cell");
}

TEST_F(MfcControlsTest, AListViewKeepsItsCellsAndCutsWhatItCopiesOut) {
  CAcModuleResourceOverride resources(module());
  KindsDialog d;
  ASSERT_TRUE(d.Create(kKinds, nullptr));
  EXPECT_EQ(d.GetListExtendedStyle(kTable), 0x21u);
  EXPECT_EQ(d.GetListItemCount(kTable), 2);
  EXPECT_EQ(d.GetListItemText(kTable, 0, 1), u"道路");
  EXPECT_EQ(d.GetListItemText(kTable, 0, 0, 2), u"名") << "a buffer of two units holds one";
  EXPECT_EQ(d.GetListItemText(kTable, 1, 1), u"");
  EXPECT_FALSE(d.SetListItemText(kTable, 5, 0, u"x"));
  EXPECT_EQ(d.GetCheckedRadio(kRadioA), 1);
  d.CheckRadio(kRadioA, 0);
  EXPECT_EQ(d.IsDlgButtonChecked(kRadioA), BST_CHECKED);
  EXPECT_EQ(d.IsDlgButtonChecked(kRadioB), BST_UNCHECKED);
  d.DeleteAllListItems(kTable);
  EXPECT_EQ(d.GetListItemCount(kTable), 0);
  d.ResetContent(kEditable);
  EXPECT_EQ(d.GetControlSelection(kEditable), -1);
  d.DestroyWindow();
}

// The owner window of a toolbar: records the commands it receives.
class CommandSink : public CWnd {
 public:
  std::vector<UINT> commands;

 protected:
  BOOL OnCommand(WPARAM w, LPARAM) override {
    commands.push_back(LOWORD(w));
    return TRUE;
  }
};

}  // namespace
