// What the dialog manager keeps for each dialog, behind the window longs that
// every dialog has (DLGWINDOWEXTRA).
#pragma once

#include "platform/dialogs.h"

namespace platform {

struct DialogInfo {
  int default_id = 0;
  bool ended = false;
  INT_PTR result = 0;
  HWND saved_focus = nullptr;  // the control to give the focus back to on activation
};

constexpr int kDialogInfoOffset = DLGWINDOWEXTRA;
constexpr int kDialogInfoBytes = sizeof(DialogInfo*);

// The dialog's record (made on first use); null for a window that is no dialog.
DialogInfo* DialogInfoOf(HWND dialog);
void FreeDialogInfo(HWND dialog);

// Focus to a control as the dialog manager gives it: an edit gets its text selected.
void FocusControl(HWND control);

}  // namespace platform
