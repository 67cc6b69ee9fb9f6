#include "platform/afx/dialog.h"

#include "platform/afx/application.h"
#include "platform/afx/data_exchange.h"
#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/message_box.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : template_id_(templateId), parent_(parent) {}

HWND CDialog::CreateFromTemplate(HWND owner) {
  return CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(static_cast<WORD>(template_id_)), owner,
                            &AfxDlgProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  template_id_ = templateId;
  parent_ = parent;
  return CreateFromTemplate(parent ? parent->m_hWnd : nullptr) != nullptr;
}

int CDialog::DoModal() {
  // A popup is owned by a top-level window, never by a child.
  HWND parentWindow = parent_ ? parent_->m_hWnd : nullptr;
  HWND owner = platform::TopLevelOf(parentWindow);
  if (parentWindow && !owner) return -1;
  bool enableOwner = owner && IsWindowEnabled(owner);
  if (enableOwner) ::EnableWindow(owner, FALSE);

  INT_PTR result = -1;
  HWND hwnd = CreateFromTemplate(owner);
  // EndDialog may come as early as OnInitDialog, or from anyone holding the handle.
  bool ended = hwnd && platform::DialogEnded(hwnd, &result);
  if (hwnd && !ended) ::ShowWindow(hwnd, SW_SHOW);
  const platform::automation::PreTranslateFilter preTranslate = &WalkPreTranslateTree;
  while (hwnd && !ended && IsWindow(hwnd)) {
    MSG msg;
    GetMessageA(&msg, nullptr, 0, 0);
    if (!platform::automation::DeliverMessage(&msg, preTranslate)) {
      result = -1;
      break;
    }
    ended = platform::DialogEnded(hwnd, &result);
  }

  // The owner is enabled before the dialog goes, so that activation returns to it.
  if (enableOwner) ::EnableWindow(owner, TRUE);
  if (owner && hwnd && GetActiveWindow() == hwnd) SetActiveWindow(owner);
  if (hwnd && IsWindow(hwnd)) ::DestroyWindow(hwnd);
  return static_cast<int>(result);
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CDataExchange::Failure&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
               (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
  return input && IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

DEFINE_MESSAGE_MAP(CDialog, CWnd,
                   {
                       afx::OnCommand<&CDialog::OnOK>(IDOK),
                       afx::OnCommand<&CDialog::OnCancel>(IDCANCEL),
                   })

INT_PTR AfxDlgProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  // Everything but the start is handled through the subclassed window procedure.
  if (message != WM_INITDIALOG) return FALSE;
  auto* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
  if (!dialog) {
    dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(hwnd)) return FALSE;
  }
  return dialog->OnInitDialog();
}
