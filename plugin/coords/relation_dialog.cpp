#include "coords/relation_dialog.h"

#include <cmath>
#include <cstdlib>

#include "arx/aced.h"
#include "arx/rxmfcapi.h"
#include "coords/coordinate_state.h"
#include "coords/point_pick.h"
#include "hostlink/hint_dialog.h"
#include "hostlink/host_errors.h"
#include "hostlink/host_presence.h"
#include "hostlink/reply_decoders.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/transport.h"
#include "mfc/afxmsg.h"
#include "settings/settings_store.h"
#include "shell/feature_handoffs.h"
#include "shell/plugin_module.h"
#include "win32/codepage.h"
#include "win32/format.h"
#include "win32/winuser.h"

namespace vurk {

namespace D = relation_dialog;

namespace {

CSetCoorDlg* g_dialog = nullptr;

constexpr std::u16string_view kCoordinateSystemHelpPage = u"https://vurk.example.com/help/coordinate-systems";
constexpr std::uint16_t kLatLngMessage = 20001;
constexpr double kLowestNorthing = 2'000'000.0;
constexpr double kHighestNorthing = 6'000'000.0;
constexpr UINT kFirstMouseMessage = 0x0200;  // WM_MOUSEMOVE
constexpr UINT kLastMouseMessage = 0x020E;   // WM_MOUSEHWHEEL

void Box(const char16_t* text) { AfxMessageBox(text, MB_OK); }

void SetViewFollowPermission(bool allowed) {
  if (Features().setViewFollowPermission) Features().setViewFollowPermission(allowed);
}

// A field's number: its text in the ANSI code page read as a double; no number (and "inf" or
// "nan") gives 0.
double FieldNumber(const std::u16string& text) {
  const std::string ansi = win32::toAnsi(text);
  const double v = std::strtod(ansi.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

}  // namespace

CSetCoorDlg::CSetCoorDlg() : CAcUiDialog(D::kTemplate, acedGetAcadFrame()) {}

CSetCoorDlg::~CSetCoorDlg() {
  if (g_dialog == this) g_dialog = nullptr;
}

BOOL CSetCoorDlg::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  ResetForOpening();
  tooltip_.Create(this);
  tooltip_.AddTool(D::kHelpMark, u"单击此处了解更多关于“坐标系”");
  tooltip_.SetDelayTime(TTDT_AUTOMATIC, 200);
  tooltip_.SetTipTextColor(RGB(0, 0, 255));
  tooltip_.SetTipBkColor(RGB(255, 255, 255));
  tooltip_.Activate(TRUE);
  return TRUE;
}

void CSetCoorDlg::ResetForOpening() {
  RelationPoints().clear();
  index_ = 0;
  xFlag_ = false;
  yFlag_ = false;
  SetDlgItemText(D::kGroup, u"关联点");
  SetDlgItemText(D::kPick, u"设置关联点");
  ShowControl(D::kSimplified, FALSE);
  ShowControl(D::kHelpMark, FALSE);
  CheckDlgButton(D::kSimplified, BST_CHECKED);
  const SettingsStore* store = CurrentSettings();
  CheckDlgButton(D::kNoPrompt, store && store->record().noRelationPointPrompt ? BST_CHECKED : BST_UNCHECKED);
  EnableControl(D::kPrevious, FALSE);
  EnableControl(D::kNext, FALSE);
}

LRESULT CSetCoorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COPYDATA && lParam) {
    const auto& cds = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if ((cds.dwData & 0xFFFF) == kLatLngMessage) {
      onHostPoint(cds);
      return 1;
    }
  }
  if (msg >= kFirstMouseMessage && msg <= kLastMouseMessage) {
    MSG m{m_hWnd, msg, wParam, lParam, 0, {0, 0}};
    tooltip_.RelayEvent(&m);
  }
  return CAcUiDialog::WindowProc(msg, wParam, lParam);
}

BOOL CSetCoorDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  if (code == EN_CHANGE && (id == D::kX || id == D::kY)) {
    onFieldChanged(id);
    return TRUE;
  }
  if (code != BN_CLICKED) return CAcUiDialog::OnCommand(wParam, lParam);
  switch (id) {
    case D::kPick: onPick(); return TRUE;
    case D::kFinish: onFinish(); return TRUE;
    case D::kClear: onClear(); return TRUE;
    case D::kPrevious: onPrevious(); return TRUE;
    case D::kNext: onNext(); return TRUE;
    case D::kUseCurrentSystem: onUseCurrentSystem(); return TRUE;
    case D::kGoToHost: onGoToHost(); return TRUE;
    case D::kHelpMark:
    case D::kHelp: OpenWebPage(kCoordinateSystemHelpPage); return TRUE;
    default: return CAcUiDialog::OnCommand(wParam, lParam);
  }
}

void CSetCoorDlg::setField(UINT id, double value) {
  SetDlgItemText(static_cast<int>(id), win32::formatWide(u"%f", value).c_str());
}

void CSetCoorDlg::onPick() {
  if (!FindHostWindow()) {
    Box(u"星衡程序没有打开！");
    return;
  }
  ShowWindow(SW_HIDE);
  AcGePoint3d point;
  if (!PickPointInDrawing(u"请在CAD中选择一个点作为关联点！\n", point)) {
    ShowWindow(SW_SHOW);  // a cancelled pick leaves everything as it was
    return;
  }
  const std::u16string oldX = GetDlgItemTextString(D::kX);
  const std::u16string oldY = GetDlgItemTextString(D::kY);
  setField(D::kX, point.x);
  setField(D::kY, point.y);
  BringHostToFront();
  const int status = GetLatLng();
  if (status < 0) {
    ShowHostError(status, kGetLatLngErr, true);
    SetDlgItemText(D::kX, oldX.c_str());
    SetDlgItemText(D::kY, oldY.c_str());
    ShowWindow(SW_SHOW);
  }
  // Otherwise the dialog shows itself again when the host's answer (20001) arrives.
}

void CSetCoorDlg::onHostPoint(const COPYDATASTRUCT& cds) {
  const HostBytes bytes = (cds.cbData > 0 && cds.lpData)
                              ? HostBytes(static_cast<const std::uint8_t*>(cds.lpData), cds.cbData)
                              : HostBytes();
  // A message too short for a point changes nothing; the dialog comes back as it was.
  if (const auto p = DecodeLatLng(bytes)) {
    setField(D::kLongitude, p->longitude);
    setField(D::kLatitude, p->latitude);
    StoreCurrentPoint(-1, true);
  }
  ShowWindow(SW_SHOW);
}

void CSetCoorDlg::StoreCurrentPoint(int index, bool refresh) {
  RelationPoint p;
  p.x = FieldNumber(GetDlgItemTextString(D::kX));
  p.y = FieldNumber(GetDlgItemTextString(D::kY));
  p.longitude = FieldNumber(GetDlgItemTextString(D::kLongitude));
  p.latitude = FieldNumber(GetDlgItemTextString(D::kLatitude));
  auto& list = RelationPoints();
  if (index >= 0 && index < static_cast<int>(list.size())) {
    list[static_cast<std::size_t>(index)] = p;
  } else {
    list.push_back(p);
    index_ = static_cast<int>(list.size()) - 1;
    EnableControl(D::kNext, FALSE);
    if (index_ > 0) EnableControl(D::kPrevious, TRUE);
    if (index_ == 0) SetDlgItemText(D::kPick, u"下一个关联度");
  }
  if (list.size() > 1) {
    CheckDlgButton(D::kSimplified, BST_UNCHECKED);
    EnableControl(D::kSimplified, FALSE);
  }
  if (refresh) ShowCurrentPoint();
}

void CSetCoorDlg::ShowCurrentPoint() {
  const auto& list = RelationPoints();
  if (list.empty()) {
    for (UINT id : {D::kLongitude, D::kLatitude, D::kX, D::kY}) SetDlgItemText(static_cast<int>(id), u"");
    EnableControl(D::kPrevious, FALSE);
    EnableControl(D::kNext, FALSE);
    return;
  }
  const int last = static_cast<int>(list.size()) - 1;
  if (index_ > last) index_ = last;
  if (index_ < 0) index_ = 0;
  const RelationPoint p = list[static_cast<std::size_t>(index_)];
  setField(D::kLongitude, p.longitude);
  setField(D::kLatitude, p.latitude);
  setField(D::kX, p.x);
  setField(D::kY, p.y);
  EnableControl(D::kPrevious, index_ > 0);
  EnableControl(D::kNext, index_ < last);
}

void CSetCoorDlg::onPrevious() {
  if (index_ <= 0) return;
  StoreCurrentPoint(index_, false);
  --index_;
  ShowCurrentPoint();
}

void CSetCoorDlg::onNext() {
  if (index_ >= static_cast<int>(RelationPoints().size()) - 1) return;
  StoreCurrentPoint(index_, false);
  ++index_;
  ShowCurrentPoint();
}

void CSetCoorDlg::onClear() {
  auto& list = RelationPoints();
  if (list.empty()) return;
  if (index_ < 0 || index_ >= static_cast<int>(list.size())) index_ = static_cast<int>(list.size()) - 1;
  list.erase(list.begin() + index_);
  if (index_ >= static_cast<int>(list.size()) && index_ > 0) --index_;
  ShowCurrentPoint();
}

void CSetCoorDlg::onFieldChanged(UINT id) {
  if (RelationPoints().size() >= 2) {
    CheckDlgButton(D::kSimplified, BST_UNCHECKED);
    ShowControl(D::kSimplified, FALSE);
    ShowControl(D::kHelpMark, FALSE);
    return;
  }
  // The field is read as a single-precision number.
  const float v = static_cast<float>(FieldNumber(GetDlgItemTextString(static_cast<int>(id))));
  if (id == D::kX) {
    xFlag_ = LooksLikeProjectedEasting(v);
  } else {
    yFlag_ = v >= kLowestNorthing && v <= kHighestNorthing;
  }
  const BOOL available = xFlag_ && yFlag_ ? TRUE : FALSE;
  ShowControl(D::kSimplified, available);
  ShowControl(D::kHelpMark, available);
  if (available) {
    EnableControl(D::kSimplified, TRUE);
    CheckDlgButton(D::kSimplified, BST_CHECKED);
  }
}

void CSetCoorDlg::onFinish() {
  SettingsStore* store = CurrentSettings();
  const std::uint8_t noPrompt = IsDlgButtonChecked(D::kNoPrompt) == BST_CHECKED ? 1 : 0;
  if (store && store->record().noRelationPointPrompt != noPrompt) {
    store->record().noRelationPointPrompt = noPrompt;
    SaveSettings();
  }
  StoreCurrentPoint(index_, true);
  const bool simplified = IsControlVisible(D::kSimplified) && IsDlgButtonChecked(D::kSimplified) == BST_CHECKED;
  SetSysCoorPoint(simplified ? kModeSimplified : kModeRelationPoints);
  close();
}

void CSetCoorDlg::onUseCurrentSystem() {
  const CoordinateState& s = CoordState();
  if (!s.checkPending && !s.recordPending) GetSysCoor();
  if (CoordState().geographic) {
    Box(u"当前系统坐标系为经纬度！请设置平面坐标系！");
    return;
  }
  if (!FindHostWindow()) {
    Box(u"星衡程序没有打开！");
    return;
  }
  RecordDocumentCoordinateSystem();
  close();
}

void CSetCoorDlg::onGoToHost() {
  const HWND host = FindHostWindow();
  if (!host) {
    Box(u"星衡程序没有打开！");
    return;
  }
  SetWindowPos(host, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(host, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::ShowWindow(host, SW_SHOWNORMAL);
}

void CSetCoorDlg::OnCancel() { close(); }

void CSetCoorDlg::close() {
  SetViewFollowPermission(true);
  // The API call: the window deletes this object as it goes, so nothing of it is touched after.
  ::DestroyWindow(m_hWnd);
}

void CSetCoorDlg::PostNcDestroy() {
  SetViewFollowPermission(true);
  if (g_dialog == this) g_dialog = nullptr;
  delete this;
}

void OpenRelationPointDialog() {
  if (!DocumentStateExists() || !CheckHostReady()) return;
  SetViewFollowPermission(false);
  CAcModuleResourceOverride resources(PluginInstance());
  if (!g_dialog) {
    auto* dialog = new CSetCoorDlg;
    if (!dialog->Create(D::kTemplate, acedGetAcadFrame())) {
      delete dialog;
      return;
    }
    g_dialog = dialog;
  } else {
    g_dialog->ResetForOpening();
  }
  g_dialog->ShowWindow(SW_SHOW);
  const std::u16string info = kSystemInfoPrefix + CoordState().name;
  g_dialog->SetDlgItemText(D::kSystemInfo, info.c_str());
  acedPostCommandPrompt();
  g_dialog->ShowCurrentPoint();
}

void DestroyRelationPointDialog() {
  if (g_dialog && g_dialog->m_hWnd) ::DestroyWindow(g_dialog->m_hWnd);  // it deletes itself
}

CSetCoorDlg* RelationPointDialog() { return g_dialog; }
HWND RelationPointDialogWindow() { return g_dialog ? g_dialog->m_hWnd : nullptr; }

void AddRelationDialogTemplate(win32::ResourceTable& table) {
  constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
  win32::DialogTemplate t;
  t.caption = u"设置关联点";
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  t.controls = {
      {D::kGroup, u"Button", u"", 0x0007},  // group box
      {8108, u"Static", u"X=", 0},
      {8109, u"Static", u"Y=", 0},
      {8318, u"Static", u"经度=", 0},
      {8110, u"Static", u"纬度=", 0},
      {D::kX, u"Edit", u"", WS_TABSTOP},
      {D::kY, u"Edit", u"", WS_TABSTOP},
      {D::kLongitude, u"Edit", u"", WS_TABSTOP},
      {D::kLatitude, u"Edit", u"", WS_TABSTOP},
      {D::kPick, u"Button", u"设置关联点", WS_TABSTOP | 0x0001},  // default button
      {D::kFinish, u"Button", u"完成", WS_TABSTOP},
      {D::kClear, u"Button", u"清除", WS_TABSTOP},
      {D::kPrevious, u"Button", u"前一个", WS_TABSTOP},
      {D::kNext, u"Button", u"后一个", WS_TABSTOP},
      {D::kSystemInfo, u"Static", kSystemInfoPrefix, 0},
      {D::kSimplified, u"Button", u"使用简化参数", kCheck},
      {D::kHelpMark, u"Button", u" ？", WS_TABSTOP},
      {D::kUseCurrentSystem, u"Button", u"使用当前系统坐标系", WS_TABSTOP},
      {D::kGoToHost, u"Button", u"去星衡地图设置", WS_TABSTOP},
      {D::kHelp, u"Button", u"了解更多关于坐标系", WS_TABSTOP},
      {D::kNoPrompt, u"Button", u"新建/打开文档时，不再提示", kCheck},
      {0xFFFF, u"Static", u"提示：若勾选不再提示，请用户自行判断坐标类型", 0},
  };
  table.addDialog(D::kTemplate, std::move(t));
}

}  // namespace vurk
