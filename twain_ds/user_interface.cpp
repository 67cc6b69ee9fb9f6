// DAT_USERINTERFACE: handing the user interface to the source and taking it back.
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

// The main dialog is not there yet: the source cannot be enabled.
TW_UINT16 EnableDS(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadEnableDS); }
TW_UINT16 DisableDS(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadDisableDS); }

}  // namespace

TW_UINT16 UserInterfaceMsg(const TwainTriplet& triplet) {
  if (triplet.MSG == MSG_ENABLEDS) return EnableDS(triplet);
  if (triplet.MSG == MSG_DISABLEDS) return DisableDS(triplet);
  return FailTriplet(TWCC_BADPROTOCOL, kLeadUserInterface);
}

}  // namespace twain_ds
