// What the dialog manager keeps for each dialog, behind the window longs that
// every dialog has (DLGWINDOWEXTRA).
#pragma once

#include "platform/dialogs.h"

namespace platform {

// Used on the dialog's own thread only.
struct DialogInfo {
  int default_id = 0;
  HWND saved_focus = nullptr;  // the control to give the focus back to on activation
};

constexpr int kDialogInfoOffset = DLGWINDOWEXTRA;
// EndDialog may come from any thread: its mark and result live in window longs,
// which the window manager guards and which go with the window.
constexpr int kDialogEndedOffset = kDialogInfoOffset + static_cast<int>(sizeof(DialogInfo*));
constexpr int kDialogResultOffset = kDialogEndedOffset + static_cast<int>(sizeof(LONG_PTR));
constexpr int kDialogInfoBytes = kDialogResultOffset + static_cast<int>(sizeof(LONG_PTR)) - kDialogInfoOffset;

// The dialog's record, made with its window; null for a window that is no dialog
// and from the dialog's last message on.
DialogInfo* DialogInfoOf(HWND dialog);
void FreeDialogInfo(HWND dialog);

// Focus to a control as the dialog manager gives it: an edit gets its text selected.
void FocusControl(HWND control);

}  // namespace platform
