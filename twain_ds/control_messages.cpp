// The small control requests that need no board: status, pending transfers and
// the transfer group.
#include <cstring>

#include "twain_ds/transfer_state.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {

TW_UINT16 StatusMsg(const TwainTriplet& triplet) {
  if (triplet.MSG != MSG_GET) return FailTriplet(TWCC_BADPROTOCOL, kLeadStatus);
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadStatus);
  TW_STATUS status{g_condition, 0};
  std::memcpy(triplet.pData, &status, sizeof status);
  g_condition = TWCC_SUCCESS;
  return TWRC_SUCCESS;
}

// The source never holds more than the one image in hand, so the count is always 0.
TW_UINT16 PendingXferMsg(const TwainTriplet& triplet) {
  if (triplet.MSG != MSG_GET && triplet.MSG != MSG_RESET && triplet.MSG != MSG_ENDXFER)
    return FailTriplet(TWCC_BADPROTOCOL, kLeadPendingXfer);
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadPendingXfer);
  TW_PENDINGXFERS pending;
  std::memcpy(&pending, triplet.pData, sizeof pending);
  pending.Count = 0;
  std::memcpy(triplet.pData, &pending, sizeof pending);
  if (triplet.MSG == MSG_GET) return TWRC_SUCCESS;
  // The transfer is over or given up: a memory transfer under way with it.
  ResetMemoryTransfer();
  if (kXferStates.Contains(g_state)) g_state = TwainState::kEnabled;
  return TWRC_SUCCESS;
}

TW_UINT16 XferGroupMsg(const TwainTriplet& triplet) {
  switch (triplet.MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
    case MSG_RESET: {
      if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadXferGroup);
      TW_UINT32 group = DG_IMAGE;
      std::memcpy(triplet.pData, &group, sizeof group);
      return TWRC_SUCCESS;
    }
    case MSG_SET:
      return TWRC_SUCCESS;
    default:
      return FailTriplet(TWCC_BADPROTOCOL, kLeadXferGroup);
  }
}

}  // namespace twain_ds
