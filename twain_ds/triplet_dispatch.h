// Routing of a triplet to its handler: one table per data group, and one table of
// the states in which each request is accepted, checked here for every handler.
#pragma once

#include "twain_ds/twain.h"

namespace twain_ds {

// What DS_Entry hands to a handler.
struct TwainTriplet {
  TW_IDENTITY* pOrigin;
  TW_UINT32 DG;
  TW_UINT16 DAT;
  TW_UINT16 MSG;
  TW_MEMREF pData;
};

using TripletHandler = TW_UINT16 (*)(const TwainTriplet& triplet);

struct DispatchEntry {
  TW_UINT16 dat;
  TripletHandler handler;  // null ends the table
};

extern const DispatchEntry kControlDispatch[];
extern const DispatchEntry kImageDispatch[];

// The first entry of the table for the triplet's DAT: its handler's answer, after
// the triplet passed the state rules. A DAT the table lacks fails with
// TWCC_BADPROTOCOL and no box; a request in a state that does not accept it fails
// with TWCC_SEQERROR and the request's box.
TW_UINT16 DispatchTriplet(const TwainTriplet& triplet, const DispatchEntry* table);

// The handlers of the tables.
TW_UINT16 IdentityMsg(const TwainTriplet& triplet);
TW_UINT16 UserInterfaceMsg(const TwainTriplet& triplet);
TW_UINT16 CapabilityMsg(const TwainTriplet& triplet);
TW_UINT16 StatusMsg(const TwainTriplet& triplet);
TW_UINT16 PendingXferMsg(const TwainTriplet& triplet);
TW_UINT16 SetupMemXferMsg(const TwainTriplet& triplet);
TW_UINT16 SetupFileXferMsg(const TwainTriplet& triplet);
TW_UINT16 XferGroupMsg(const TwainTriplet& triplet);
TW_UINT16 ImageInfoMsg(const TwainTriplet& triplet);
TW_UINT16 ImageLayoutMsg(const TwainTriplet& triplet);
TW_UINT16 ImageMemXferMsg(const TwainTriplet& triplet);
TW_UINT16 ImageNativeXferMsg(const TwainTriplet& triplet);
TW_UINT16 ImageFileXferMsg(const TwainTriplet& triplet);

}  // namespace twain_ds
