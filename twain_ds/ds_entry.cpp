// The entry point: the connected application's triplets go to their handlers;
// another application's are turned away untouched, and messages for the main
// dialog are offered to it.
#include <cstring>

#include "platform/afx/dialog.h"
#include "platform/dialogs.h"
#include "platform/window_system_lock.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/identity.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_ds.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// While an application is connected, only its triplets are served. A manager may
// ask for the identity without naming an origin.
bool IsForeign(const TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
  TW_UINT32 connected = g_appIdentity.Id;
  if (connected == 0) return false;
  if (!origin) return !(dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_GET);
  return origin->Id != connected;
}

// Keyboard input of the modeless main dialog arrives here from the application's
// message loop: the dialog's own pre-translation (the arrow keys), then the
// dialog keys.
TW_UINT16 ProcessEvent(TW_MEMREF data) {
  HWND dialog = GetMainDialogWindow();
  if (!dialog || !data) return TWRC_NOTDSEVENT;
  TW_EVENT event;
  std::memcpy(&event, data, sizeof event);
  auto* msg = static_cast<MSG*>(event.pEvent);
  if (!msg || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return TWRC_NOTDSEVENT;
  if (!g_mainDialog->PreTranslateMessage(msg)) return TWRC_NOTDSEVENT;
  event.TWMessage = MSG_NULL;
  std::memcpy(data, &event, sizeof event);
  return TWRC_DSEVENT;
}

}  // namespace
}  // namespace twain_ds

TW_UINT16 DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
  // The source runs on one thread at a time: the host's here, or a UI script's in its windows.
  platform::WindowSystemLock lock;
  namespace ds = twain_ds;
  ds::CDataSourceApp* app = ds::DataSourceApp();
  if (!app || !app->started()) return TWRC_FAILURE;
  // Neither the state nor the condition is the foreign application's business.
  if (ds::IsForeign(pOrigin, DG, DAT, MSG)) return MSG == MSG_PROCESSEVENT ? TWRC_NOTDSEVENT : TWRC_FAILURE;
  if (MSG == MSG_PROCESSEVENT) return ds::ProcessEvent(pData);

  ds::TwainTriplet triplet{pOrigin, DG, DAT, MSG, pData};
  if (DG == DG_CONTROL) return ds::DispatchTriplet(triplet, ds::kControlDispatch);
  if (DG == DG_IMAGE) return ds::DispatchTriplet(triplet, ds::kImageDispatch);
  if (app->build().rules->trace_hook) ds::TraceHook("Unknown data group\r\n");
  return ds::FailQuietly(TWCC_BADPROTOCOL);
}
