// A source manager of the tests' own that answers a source's notifications at
// once, inside the source's call, with whatever the test wants done there (an
// application may close the source from inside its notification).
#include "twain_ds/twain.h"

#define NOTIFY_MANAGER_EXPORT __attribute__((visibility("default")))

namespace {
void (*g_handler)(TW_UINT16 message) = nullptr;
}  // namespace

extern "C" {

NOTIFY_MANAGER_EXPORT void SetNotificationHandler(void (*handler)(TW_UINT16 message)) { g_handler = handler; }

NOTIFY_MANAGER_EXPORT TW_UINT16 DSM_Entry(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                          TW_MEMREF) {
  if (DG != DG_CONTROL || DAT != DAT_NULL) return TWRC_FAILURE;
  if (g_handler) g_handler(MSG);
  return TWRC_SUCCESS;
}
}
