// DAT_USERINTERFACE: handing the user interface to the source and taking it back.
#include <cstring>

#include "platform/afx/window.h"
#include "twain_ds/capture_backend.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/input_dialog.h"
#include "twain_ds/notifications.h"
#include "twain_ds/transfer_state.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// The state rules let this run in state 400 only.
TW_UINT16 EnableDS(const TwainTriplet& triplet) {
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadEnableDS);
  TW_USERINTERFACE ui;
  std::memcpy(&ui, triplet.pData, sizeof ui);
  // A handle that is no window of ours (a toolkit's own) owns nothing.
  HWND parent = static_cast<HWND>(ui.hParent);
  g_parentWindow = IsWindow(parent) ? parent : nullptr;

  // A dialog kept on screen by the last MSG_DISABLEDS gives way to the new one.
  DestroyMainDialog();
  const CaptureBackend* backend = CurrentBuild().backend;
  // Without a user interface this series takes the image at once and announces it.
  if (!ui.ShowUI && CurrentBuild().rules->capture_without_ui && backend && backend->capture_without_ui) {
    backend->capture_without_ui();
    NotifyXferReady();
    return TWRC_SUCCESS;
  }
  if (!backend || !backend->video) return FailTriplet(TWCC_LOWMEMORY, kLeadEnableDS);
  auto* dialog = new CInputDlg(CurrentBuild(), *backend->video);
  if (!dialog->Create(IDD_INPUT, CWnd::FromHandle(g_parentWindow))) {
    dialog->Destroy();
    return FailTriplet(TWCC_LOWMEMORY, kLeadEnableDS);
  }
  g_mainDialog = dialog;
  if (ui.ShowUI) dialog->ShowWindow(SW_SHOW);
  g_state = TwainState::kEnabled;
  return TWRC_SUCCESS;
}

// The state rules let this run in states 500 to 700.
TW_UINT16 DisableDS(const TwainTriplet& triplet) {
  TW_USERINTERFACE ui{};
  if (triplet.pData) std::memcpy(&ui, triplet.pData, sizeof ui);
  // With ShowUI the dialog stays on screen until MSG_CLOSEDS.
  if (!ui.ShowUI && g_mainDialog) g_mainDialog->ShowWindow(SW_HIDE);
  // An abandoned memory transfer does not carry over to the next image.
  ResetMemoryTransfer();
  g_state = TwainState::kOpen;
  return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 UserInterfaceMsg(const TwainTriplet& triplet) {
  if (triplet.MSG == MSG_ENABLEDS) return EnableDS(triplet);
  if (triplet.MSG == MSG_DISABLEDS) return DisableDS(triplet);
  return FailTriplet(TWCC_BADPROTOCOL, kLeadUserInterface);
}

}  // namespace twain_ds
