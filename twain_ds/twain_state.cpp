#include "twain_ds/twain_state.h"

#include "platform/afx/dialog.h"

namespace twain_ds {

TwainState g_state = TwainState::kLoaded;
TW_UINT16 g_condition = TWCC_SUCCESS;
HWND g_parentWindow = nullptr;
TW_UINT16 g_requestedXferMech = TWSX_NATIVE;
CDialog* g_mainDialog = nullptr;

HWND GetMainDialogWindow() { return g_mainDialog ? g_mainDialog->m_hWnd : nullptr; }

}  // namespace twain_ds
