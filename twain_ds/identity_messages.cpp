// DAT_IDENTITY: the source's identity, and connecting and disconnecting the
// application.
#include <cstring>

#include "twain_ds/identity.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

// The board is not opened yet: no application can connect.
TW_UINT16 OpenDS(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadOpenDS); }
TW_UINT16 CloseDS(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadCloseDS); }

}  // namespace

TW_UINT16 IdentityMsg(const TwainTriplet& triplet) {
  switch (triplet.MSG) {
    case MSG_GET:
      if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadIdentity);
      std::memcpy(triplet.pData, &g_ownIdentity, sizeof g_ownIdentity);
      return TWRC_SUCCESS;
    case MSG_OPENDS:
      return OpenDS(triplet);
    case MSG_CLOSEDS:
      return CloseDS(triplet);
    default:
      return FailTriplet(TWCC_BADPROTOCOL, kLeadIdentity);
  }
}

}  // namespace twain_ds
