#include "mfc/afxdd.h"

#include <climits>

#include "mfc/afxmsg.h"

namespace mfc {

bool ParseDialogInt(const std::u16string& text, int& value) {
  std::size_t i = 0;
  const auto blank = [&](std::size_t k) { return k < text.size() && (text[k] == u' ' || text[k] == u'\t'); };
  while (blank(i)) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  long long v = 0;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    v = v * 10 + (text[i++] - u'0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
    ++digits;
  }
  while (blank(i)) ++i;
  if (digits == 0 || i != text.size()) return false;
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace mfc

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return dx.failed() ? FALSE : TRUE;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  if (dx->failed()) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(dx->m_pDlgWnd->IsDlgButtonChecked(id));
  } else {
    dx->m_pDlgWnd->CheckDlgButton(id, value ? BST_CHECKED : BST_UNCHECKED);
  }
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  if (dx->failed()) return;
  if (!dx->m_bSaveAndValidate) {
    const std::u16string text = [&] {
      std::u16string t;
      const std::string n = std::to_string(value);
      for (char c : n) t.push_back(static_cast<char16_t>(c));
      return t;
    }();
    dx->m_pDlgWnd->SetDlgItemText(id, text.c_str());
    return;
  }
  int parsed = 0;
  if (!mfc::ParseDialogInt(dx->m_pDlgWnd->GetDlgItemTextString(id), parsed)) {
    AfxMessageBox(mfc::kParseIntMessage, MB_OK | MB_ICONEXCLAMATION);
    dx->Fail();
    return;
  }
  value = parsed;
}

void DDX_Text(CDataExchange* dx, int id, std::u16string& value) {
  if (dx->failed()) return;
  if (dx->m_bSaveAndValidate) {
    value = dx->m_pDlgWnd->GetDlgItemTextString(id);
  } else {
    dx->m_pDlgWnd->SetDlgItemText(id, value.c_str());
  }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
  if (dx->failed()) return;
  if (dx->m_bSaveAndValidate) {
    index = dx->m_pDlgWnd->GetControlSelection(id);
  } else {
    dx->m_pDlgWnd->SetControlSelection(id, index);
  }
}

void DDX_Radio(CDataExchange* dx, int firstId, int& index) {
  if (dx->failed()) return;
  if (dx->m_bSaveAndValidate) {
    index = dx->m_pDlgWnd->GetCheckedRadio(firstId);
  } else {
    dx->m_pDlgWnd->CheckRadio(firstId, index);
  }
}
