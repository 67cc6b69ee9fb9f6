// The image requests and the set-up of the transfer mechanisms. No image can be
// ready before the board is opened, so each of them is out of sequence.
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {

TW_UINT16 SetupMemXferMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadSetupMemXfer); }
TW_UINT16 SetupFileXferMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadSetupFileXfer); }
TW_UINT16 ImageInfoMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadTransfer); }
TW_UINT16 ImageLayoutMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadImageInfo); }
TW_UINT16 ImageMemXferMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadImageInfo); }
TW_UINT16 ImageNativeXferMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadNativeXfer); }
TW_UINT16 ImageFileXferMsg(const TwainTriplet&) { return FailTriplet(TWCC_SEQERROR, kLeadImageInfo); }

}  // namespace twain_ds
