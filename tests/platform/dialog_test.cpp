// MFC's CDialog, headless: templates, the dialog window, the scripted user's actions, and the
// errors a script can make.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mfc/afxdlg.h"
#include "mfc/dialog_script.h"
#include "sandbox_fixture.h"
#include "win32/resources.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/winuser.h"

namespace {

using mfc::DialogAction;

constexpr UINT kForm = 100;      // edit, check boxes, combo, buttons
constexpr UINT kMailbox = 200;   // modeless, class "TestMailbox", no WS_VISIBLE
constexpr UINT kVisible = 300;   // modeless, visible
constexpr UINT kName = 10, kAuto = 11, kCombo = 12, kMore = 13, kManual = 14, kReadOnly = 15, kOff = 16;

class DialogTest : public vurktest::SandboxFixture {
 protected:
  DialogTest() {
    win32::DialogTemplate form;
    form.caption = u"Form";
    form.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    form.controls = {{kName, u"Edit", u"", 0},
                     {kAuto, u"Button", u"auto", BS_AUTOCHECKBOX},
                     {kCombo, u"ComboBox", u"", 0},
                     {kMore, u"Button", u"more", 0},
                     {kManual, u"Button", u"manual", BS_CHECKBOX},
                     {kReadOnly, u"Edit", u"fixed", ES_READONLY | ES_MULTILINE},
                     {kOff, u"Button", u"off", WS_DISABLED},
                     {IDOK, u"Button", u"OK", 0},
                     {IDCANCEL, u"Button", u"Cancel", 0}};
    table_.addDialog(kForm, form);
    win32::DialogTemplate mailbox;
    mailbox.className = u"TestMailbox";
    mailbox.caption = u"DialogMODELESS";
    mailbox.style = WS_POPUP | WS_CAPTION;
    table_.addDialog(kMailbox, mailbox);
    win32::DialogTemplate visible;
    visible.caption = u"Shown";
    visible.style = WS_POPUP | WS_VISIBLE;
    table_.addDialog(kVisible, visible);
    module_ = desktop().registerModule(u"C:\\test\\dialogs.dll", &table_);
    state_ = std::make_unique<mfc::AppState>(module_);
    scope_ = std::make_unique<mfc::AppStateScope>(*state_);
  }
  ~DialogTest() override {
    scope_.reset();
    state_.reset();
  }

  mfc::DialogScript& script() { return state_->dialogScript(); }
  void visit(std::vector<DialogAction> actions, UINT id = kForm) { script().queue({id, std::move(actions)}); }

 private:
  win32::ResourceTable table_;
  HINSTANCE module_ = nullptr;
  std::unique_ptr<mfc::AppState> state_;
  std::unique_ptr<mfc::AppStateScope> scope_;
};

// A form that records what happened to it and reads its controls when OK is pressed.
class FormDialog : public CDialog {
 public:
  explicit FormDialog(CWnd* parent = nullptr) : CDialog(kForm, parent) {}
  std::vector<std::string> events;
  std::u16string nameAtOk;
  UINT autoAtOk = 99;
  int comboAtOk = -9;
  HWND window = nullptr;
  std::u16string className;
  bool ownerEnabledDuringInit = true;
  std::function<void()> onMore;

 protected:
  BOOL OnInitDialog() override {
    events.push_back("init");
    window = m_hWnd;
    char16_t cls[64] = {};
    GetClassNameW(m_hWnd, cls, 64);
    className = cls;
    if (dialogParent()) ownerEnabledDuringInit = ::IsWindowEnabled(dialogParent()->m_hWnd) != FALSE;
    SetDlgItemText(kName, u"start");
    AddControlItem(kCombo, u"first");
    AddControlItem(kCombo, u"second");
    return TRUE;
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    const WORD id = LOWORD(wParam);
    if (id == kCombo && HIWORD(wParam) == CBN_SELCHANGE) {
      events.push_back("selchange " + std::to_string(GetControlSelection(kCombo)));
      return TRUE;
    }
    if (id == kAuto) {
      events.push_back("auto clicked, now " + std::to_string(IsDlgButtonChecked(kAuto)));
      return TRUE;
    }
    if (id == kManual) {
      events.push_back("manual clicked, still " + std::to_string(IsDlgButtonChecked(kManual)));
      return TRUE;
    }
    if (id == kMore) {
      events.push_back("more");
      if (onMore) onMore();
      return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
  }
  void OnOK() override {
    events.push_back("ok");
    nameAtOk = GetDlgItemTextString(kName);
    autoAtOk = IsDlgButtonChecked(kAuto);
    comboAtOk = GetControlSelection(kCombo);
    CDialog::OnOK();
  }
  void OnCancel() override {
    events.push_back("cancel");
    CDialog::OnCancel();
  }
};

TEST_F(DialogTest, AManualCheckBoxIsOnlyClickedItsHandlerDecides) {
  visit({DialogAction::click(kManual), DialogAction::click(IDCANCEL)});
  FormDialog d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.events, (std::vector<std::string>{"init", "manual clicked, still 0", "cancel"}));
}

TEST_F(DialogTest, ADialogNobodyAnswersIsAnErrorAndClosesAsCancel) {
  FormDialog d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.events, (std::vector<std::string>{"init", "cancel"})) << "closed as with the close box";
  EXPECT_EQ(script().unansweredDialogs(), 1);
  EXPECT_FALSE(script().dialogs()[0].answered);
  EXPECT_EQ(script().dialogs()[0].problem, "UNANSWERED");
  const auto& entries = desktop().transcript().entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().channel, "dialog");
  EXPECT_EQ(entries.back().text, "[Form #100] start fixed -> UNANSWERED");
}

TEST_F(DialogTest, AVisitMeantForAnotherDialogIsAnError) {
  visit({DialogAction::click(IDOK)}, 555);
  FormDialog d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(script().unansweredDialogs(), 1);
  EXPECT_EQ(script().dialogs()[0].problem, "the script expected dialog #555");
}

TEST_F(DialogTest, ActionsTheDialogCannotTakeAreErrors) {
  const std::vector<std::pair<DialogAction, std::string>> bad = {
      {DialogAction::click(kOff), "control 16 is disabled"},
      {DialogAction::setText(kReadOnly, u"x"), "control 15 takes no typing"},
      {DialogAction::choose(kCombo, 2), "control 12 has no such item"},
      {DialogAction::chooseText(kCombo, u"third"), "control 12 has no such item"},
      {DialogAction::check(kMore, true), "control 13 is not a check box"},
      {DialogAction::click(999), "no control 999"},
      {DialogAction::click(kName), "control 10 is not a button"}};
  for (const auto& [action, why] : bad) {
    visit({action, DialogAction::click(IDOK)});
    FormDialog d;
    EXPECT_EQ(d.DoModal(), IDCANCEL) << why;
    EXPECT_EQ(script().dialogs().back().problem, why);
    EXPECT_EQ(d.events.back(), "cancel");
  }
  EXPECT_EQ(script().unansweredDialogs(), static_cast<int>(bad.size()));
}

// A form that hides its "more" button while it sets itself up.
class HidingForm : public FormDialog {
 protected:
  BOOL OnInitDialog() override {
    FormDialog::OnInitDialog();
    ShowControl(kMore, FALSE);
    return TRUE;
  }
};

TEST_F(DialogTest, AHiddenControlCannotBeUsed) {
  visit({DialogAction::click(kMore)});
  HidingForm d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(script().dialogs().back().problem, "control 13 is hidden");
  EXPECT_EQ(d.events, (std::vector<std::string>{"init", "cancel"}));
}

TEST_F(DialogTest, ADialogLeftOpenWhenTheScriptRunsOutIsAnError) {
  visit({DialogAction::setText(kName, u"typed")});
  FormDialog d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(script().dialogs()[0].problem, "left open when the script ran out");
}

TEST_F(DialogTest, ActionsLeftAfterTheDialogClosedAreAnErrorButTheResultStands) {
  visit({DialogAction::click(IDOK), DialogAction::click(IDCANCEL)});
  FormDialog d;
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.events, (std::vector<std::string>{"init", "ok"}));
  EXPECT_EQ(script().dialogs()[0].problem, "actions left over after the dialog closed");
}

TEST_F(DialogTest, AMissingTemplateShowsNothingAndIsRecorded) {
  CDialog d(4242);
  EXPECT_EQ(d.DoModal(), -1);
  EXPECT_EQ(script().unansweredDialogs(), 1);
  EXPECT_EQ(script().dialogs()[0].templateId, 4242u);
}

TEST_F(DialogTest, TheOwnerIsDisabledWhileTheDialogRuns) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, u"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  visit({DialogAction::click(IDOK)});
  FormDialog d(&owner);
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_FALSE(d.ownerEnabledDuringInit);
  EXPECT_TRUE(owner.IsWindowEnabled());
}

// A modeless mailbox that counts the WM_COPYDATA it receives.
class Mailbox : public CDialog {
 public:
  int copies = 0;
  int initialised = 0;

 protected:
  BOOL OnInitDialog() override {
    ++initialised;
    return TRUE;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COPYDATA) {
      ++copies;
      return 1;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
  }
};

}  // namespace
