// The framework's dialog class: a dialog built from a template of the module's
// resources, modal (DoModal) or modeless (Create), with data exchange between the
// controls and the object's members.
#pragma once

#include "platform/afx/window.h"
#include "platform/dialogs.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  // Modeless: creates the dialog, owned by parent; FALSE when it cannot be created.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Modal: disables the owner, runs the thread's messages until EndDialog, then
  // destroys the dialog, enables the owner and returns EndDialog's result; -1 when
  // the dialog cannot be created (or the thread is told to quit).
  virtual int DoModal();
  // Hides the dialog; a modal one's loop ends with the result.
  void EndDialog(int result);
  // Controls to members (TRUE, with validation) or members to controls (FALSE).
  // FALSE when a value failed validation (the user was told; focus is on the control).
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  // Focus to the next control in tab order.
  void NextDlgCtrl() const;

  // Dialog keys (Tab, Enter, Esc, arrows) and mouse input of the dialog's controls.
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  // Fills the controls from the members; TRUE lets the dialog set the focus.
  virtual BOOL OnInitDialog();
  // Takes the controls' values and ends with IDOK, unless a value is rejected.
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* dx);

  DECLARE_MESSAGE_MAP()

 private:
  friend INT_PTR AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND CreateFromTemplate(HWND owner);

  UINT template_id_;
  CWnd* parent_;
};

// The dialog procedure of framework dialogs: binds the object at WM_INITDIALOG.
INT_PTR AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
