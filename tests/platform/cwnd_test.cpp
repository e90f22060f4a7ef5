// MFC's CWnd on the simulated desktop: message routing, the handle maps, class registration
// and the resource handle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acad_fixture.h"
#include "arx/rxmfcapi.h"
#include "mfc/afxwin.h"
#include "win32/desktop.h"
#include "win32/winuser.h"

namespace {

class RecordingWnd : public CWnd {
 public:
  std::vector<std::string> seen;
  int createResult = 0;
  bool handleCommands = true;

 protected:
  int OnCreate(CREATESTRUCTW* cs) override {
    seen.push_back("create " + std::to_string(cs->cx) + "x" + std::to_string(cs->cy));
    return createResult;
  }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    seen.push_back("command " + std::to_string(LOWORD(wParam)));
    return handleCommands ? TRUE : FALSE;
  }
  void OnTimer(UINT_PTR id) override { seen.push_back("timer " + std::to_string(id)); }
  void OnDestroy() override {
    seen.push_back("destroy");
    CWnd::OnDestroy();
  }
  void PostNcDestroy() override { seen.push_back("post-nc-destroy"); }
};

class CWndTest : public vurktest::AcadFixture {};

TEST_F(CWndTest, OnCreateReturningMinusOneFailsTheCreation) {
  RecordingWnd w;
  w.createResult = -1;
  EXPECT_FALSE(w.CreateEx(0, nullptr, u"refused", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(FindWindowW(nullptr, u"refused"), nullptr);
}

std::vector<UINT> g_classProcMessages;

LRESULT plainClassProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  g_classProcMessages.push_back(msg);
  return DefWindowProcW(h, msg, w, l);
}

TEST_F(CWndTest, AWindowOfAnotherClassIsRoutedAfterCreationAndKeepsItsClassProcedure) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = plainClassProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.lpszClassName = u"PlainClass";
  ASSERT_TRUE(AfxRegisterClass(&wc));
  g_classProcMessages.clear();
  RecordingWnd w;
  w.handleCommands = false;
  ASSERT_TRUE(w.CreateEx(0, u"PlainClass", u"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_TRUE(w.seen.empty()) << "creation messages went to the class procedure";
  ASSERT_FALSE(g_classProcMessages.empty());
  EXPECT_EQ(g_classProcMessages.front(), WM_NCCREATE);
  g_classProcMessages.clear();
  w.SendMessage(WM_COMMAND, 5, 0);
  EXPECT_EQ(w.seen, (std::vector<std::string>{"command 5"}));
  EXPECT_EQ(g_classProcMessages, (std::vector<UINT>{WM_COMMAND})) << "unhandled: on to the class procedure";
}

TEST_F(CWndTest, FromHandleOfAForeignWindowIsATemporaryObject) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"Foreign";
  ASSERT_NE(RegisterClassW(&wc), 0);
  const HWND h = CreateWindowExW(0, u"Foreign", u"foreign", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
  CWnd* t = CWnd::FromHandle(h);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->m_hWnd, h);
  EXPECT_EQ(CWnd::FromHandle(h), t) << "the same temporary object until cleanup";
  EXPECT_EQ(acad().mfcState().temporaryCount(), 1u);
  acad().mfcState().deleteTemporaryObjects();
  EXPECT_EQ(acad().mfcState().temporaryCount(), 0u);
  EXPECT_TRUE(IsWindow(h)) << "a temporary object never destroys its window";
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
}

TEST_F(CWndTest, AttachIsExclusiveAndDetachGivesTheHandleBack) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"Foreign2";
  ASSERT_NE(RegisterClassW(&wc), 0);
  const HWND h = CreateWindowExW(0, u"Foreign2", u"x", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
  CWnd a;
  CWnd b;
  ASSERT_TRUE(a.Attach(h));
  EXPECT_FALSE(b.Attach(h));
  EXPECT_FALSE(a.Attach(h));
  EXPECT_EQ(a.Detach(), h);
  EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
  EXPECT_TRUE(b.Attach(h));
  b.Detach();
  EXPECT_TRUE(IsWindow(h));
}

TEST_F(CWndTest, AnAttachedObjectDestroysItsWindowWhenItEnds) {
  HWND h = nullptr;
  {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, u"short-lived", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
    h = w.m_hWnd;
  }
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(acad().mfcState().permanentCount(), 1u) << "only the main frame is left";
}

// ----- window classes

TEST_F(CWndTest, RegisteringAnExistingClassSucceedsAndKeepsTheFirstDefinition) {
  WNDCLASSW dialog{};
  ASSERT_TRUE(GetClassInfoW(AfxGetInstanceHandle(), u"#32770", &dialog));
  dialog.style = CS_GLOBALCLASS;
  dialog.lpszClassName = u"VurkArxWin";
  ASSERT_TRUE(AfxRegisterClass(&dialog));
  WNDCLASSW again = dialog;
  again.lpfnWndProc = plainClassProc;
  EXPECT_TRUE(AfxRegisterClass(&again)) << "MFC checks GetClassInfoW first";
  WNDCLASSW seen{};
  ASSERT_TRUE(GetClassInfoW(reinterpret_cast<HINSTANCE>(0x4321), u"VurkArxWin", &seen))
      << "a global class is visible to every module";
  EXPECT_EQ(seen.lpfnWndProc, dialog.lpfnWndProc);
  EXPECT_EQ(seen.style & CS_GLOBALCLASS, CS_GLOBALCLASS);
}

// ----- resource handle

TEST_F(CWndTest, ModuleResourceOverrideSwitchesAndRestoresInNestingOrder) {
  const HINSTANCE exe = AfxGetResourceHandle();
  EXPECT_EQ(exe, acad().instance());
  const HINSTANCE a = desktop().registerModule(u"D:\\a.arx");
  const HINSTANCE b = desktop().registerModule(u"D:\\b.arx");
  {
    CAcModuleResourceOverride outer(a);
    EXPECT_EQ(AfxGetResourceHandle(), a);
    {
      CAcModuleResourceOverride inner(b);
      EXPECT_EQ(AfxGetResourceHandle(), b);
    }
    EXPECT_EQ(AfxGetResourceHandle(), a);
  }
  EXPECT_EQ(AfxGetResourceHandle(), exe);
  EXPECT_EQ(AfxGetInstanceHandle(), exe) << "the instance handle does not follow the resources";
}

TEST_F(CWndTest, ResourceHandleBelongsToTheApplicationState) {
  const HINSTANCE a = desktop().registerModule(u"D:\\a.arx");
  AfxSetResourceHandle(a);
  mfc::AppState other(reinterpret_cast<HINSTANCE>(0x7000));
  {
    mfc::AppStateScope scope(other);
    EXPECT_EQ(AfxGetResourceHandle(), reinterpret_cast<HINSTANCE>(0x7000));
  }
  EXPECT_EQ(AfxGetResourceHandle(), a);
}

}  // namespace
