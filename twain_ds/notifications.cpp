#include "twain_ds/notifications.h"

#include "platform/module_loader.h"
#include "twain_ds/identity.h"
#include "twain_ds/twain.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// The manager is loaded anew for every notification; a missing manager or entry
// drops the notification.
void Notify(TW_UINT16 message) {
  HMODULE manager = LoadLibraryA("TWAIN_32.DLL");
  if (!manager) return;
  auto entry = reinterpret_cast<DSMENTRYPROC>(GetProcAddress(manager, "DSM_Entry"));
  if (entry) entry(&g_ownIdentity, &g_appIdentity, DG_CONTROL, DAT_NULL, message, nullptr);
  FreeLibrary(manager);
}

}  // namespace

void NotifyXferReady() {
  g_state = TwainState::kXferReady;
  Notify(MSG_XFERREADY);
}

void NotifyCloseDSReq() { Notify(MSG_CLOSEDSREQ); }

}  // namespace twain_ds
