#include "twain_ds/triplet_states.h"

#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

// A rule for every MSG of its DAT.
constexpr TW_UINT16 kEveryMsg = 0xFFFF;

struct StateRow {
  TW_UINT32 dg;
  TW_UINT16 dat;
  TW_UINT16 msg;
  StateRule rule;
};

constexpr StateSet kLoadedOnly{TwainState::kLoaded};
constexpr StateSet kOpenOnly{TwainState::kOpen};
constexpr StateSet kXferReadyOnly{TwainState::kXferReady};

constexpr StateRow kStateRows[] = {
    {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, {kLoadedOnly, kLeadOpenDS}},
    {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, {kOpenStates, kLeadCloseDS}},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, {kOpenOnly, kLeadEnableDS}},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, {kEnabledStates, kLeadDisableDS}},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, {kOpenStates, kLeadPendingXfer}},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, {kXferStates, kLeadPendingXfer}},
    {DG_CONTROL, DAT_SETUPMEMXFER, kEveryMsg, {kOpenStates, kLeadSetupMemXfer}},
    {DG_CONTROL, DAT_SETUPFILEXFER, kEveryMsg, {kOpenStates, kLeadSetupFileXfer}},
    {DG_CONTROL, DAT_XFERGROUP, kEveryMsg, {kOpenStates, kLeadXferGroup}},
    // Image information is given while the image is ready, not during a transfer.
    {DG_IMAGE, DAT_IMAGEINFO, kEveryMsg, {kXferReadyOnly, kLeadTransfer}},
    // The transfers take the image in hand; each refuses with its own box.
    {DG_IMAGE, DAT_IMAGEMEMXFER, kEveryMsg, {kXferStates, kLeadImageInfo}},
    {DG_IMAGE, DAT_IMAGENATIVEXFER, kEveryMsg, {kXferStates, kLeadNativeXfer}},
    {DG_IMAGE, DAT_IMAGEFILEXFER, kEveryMsg, {kXferStates, kLeadImageInfo}},
};

}  // namespace

std::optional<StateRule> FindStateRule(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
  for (TW_UINT16 wanted : {msg, kEveryMsg})
    for (const StateRow& row : kStateRows)
      if (row.dg == dg && row.dat == dat && row.msg == wanted) return row.rule;
  return std::nullopt;
}

}  // namespace twain_ds
