// The notification window CMessageDlg: the plug-in's hidden mailbox and clock. The host finds
// it by its window class "VurkArxWin" and sends it WM_COPYDATA (answers to requests, and notices
// of its own), its progress broadcasts and the plug-in's reactors post to it, and its timers
// drive the periodic work of the host link.
//
// Every message passes the same order: while the toolbar is hidden everything is answered 1 at
// once (a posted heap block is still freed); 32818; the plain messages; the registered progress
// messages; anything else but WM_COPYDATA with wParam 1001 goes to the default handling; the
// host's messages are dispatched by code with the guards and return values of host_dispatch.cpp.
#pragma once

#include <cstdint>

#include "arx/dbid.h"
#include "mfc/afxdlg.h"

namespace vurk {

// The window's private messages.
inline constexpr UINT kMsgReceiveObjects = 32811;    // after host notice 20402: ask for the object tree
inline constexpr UINT kMsgIconDeclutter = 32812;
inline constexpr UINT kMsgClearSendingSoon = 32813;
inline constexpr UINT kMsgRefreshView = 32814;
inline constexpr UINT kMsgSyncEntities = 32816;      // lParam: AcDbObjectIdArray* (the window deletes it)
inline constexpr UINT kMsgPointBecameIcon = 32817;   // lParam: PointBlock* (the window deletes it)
inline constexpr UINT kMsgOpenRelationDialog = 32818;
inline constexpr UINT kMsgUpdatePrompt = 32819;
inline constexpr UINT kMsgDeleteErased = 32820;     // after a command: delete the erased entities' map objects
inline constexpr UINT kMsgIgnoredObjects = 32821;  // after a transfer: show what was ignored

// Timers.
inline constexpr UINT_PTR kTimerButtonUpkeep = 5000;
inline constexpr UINT_PTR kTimerPluginVersion = 1003;
inline constexpr UINT_PTR kTimerViewWatch = 1006;
inline constexpr UINT_PTR kTimerTileStep = 1007;
inline constexpr UINT_PTR kTimerFramesOnce = 1008;
inline constexpr UINT_PTR kTimerPendingTiles = 1009;
inline constexpr UINT_PTR kTimerSysCoorQuery = 1001;
inline constexpr UINT_PTR kTimerHatchFlag = 1002;
inline constexpr UINT_PTR kTimerClearSending = 1005;
inline constexpr UINT_PTR kTimerDownloadStep = 1010;

// The block of message 32817: the drawn point that became an icon.
struct PointBlock {
  double x = 0;
  double y = 0;
};

class CMessageDlg : public CDialog {
 public:
  explicit CMessageDlg(CWnd* parent);
  ~CMessageDlg() override;

 protected:
  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnCancel() override;
  void PostNcDestroy() override;

 private:
  // The plain messages; false when the message is not one of them.
  bool handlePlainMessage(UINT msg, LPARAM lParam);
  // The host's messages by code (host_dispatch.cpp).
  LRESULT dispatchHostMessage(const COPYDATASTRUCT& cds);
  // The common end of most host messages.
  LRESULT tail();
};

// Start-up: creates the window from template 8103 with this parent and hides it (once per load).
CMessageDlg* CreateNotificationWindow(CWnd* parent);
// The window, or null before it is created and after it is gone.
CMessageDlg* NotificationWindow();
// Unload: destroys the window (it deletes itself).
void DestroyNotificationWindow();

// Posts the ids of entities to synchronise; the window frees the array. When the post fails the
// array is freed here.
bool PostSyncEntities(AcDbObjectIdArray* ids);
// Posts the notice of ignored objects, shown once the host's message has been answered.
bool PostIgnoredObjectsNotice();
// Posts a point that became an icon; the window frees the block (here when the post fails).
bool PostPointBecameIcon(double x, double y);

}  // namespace vurk
