#include "twain_ds/triplet_dispatch.h"

#include "platform/device_namespace.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/triplet_states.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {

const DispatchEntry kControlDispatch[] = {
    {DAT_IDENTITY, IdentityMsg},
    {DAT_USERINTERFACE, UserInterfaceMsg},
    {DAT_CAPABILITY, CapabilityMsg},
    {DAT_STATUS, StatusMsg},
    {DAT_PENDINGXFERS, PendingXferMsg},
    {DAT_SETUPMEMXFER, SetupMemXferMsg},
    {DAT_SETUPFILEXFER, SetupFileXferMsg},
    {DAT_XFERGROUP, XferGroupMsg},
    {0, nullptr},
};

const DispatchEntry kImageDispatch[] = {
    {DAT_IMAGEINFO, ImageInfoMsg},         {DAT_IMAGELAYOUT, ImageLayoutMsg},
    {DAT_IMAGEMEMXFER, ImageMemXferMsg},   {DAT_IMAGENATIVEXFER, ImageNativeXferMsg},
    {DAT_IMAGEFILEXFER, ImageFileXferMsg}, {0, nullptr},
};

namespace {

// What a triplet does whatever its state: the 650-series open first deletes the log
// file an earlier release wrote, even when the open is then refused.
void BeforeStateCheck(const TwainTriplet& triplet) {
  const char* staleLog = CurrentBuild().rules->stale_log_file;
  if (staleLog && triplet.DG == DG_CONTROL && triplet.DAT == DAT_IDENTITY && triplet.MSG == MSG_OPENDS)
    DeleteFileA(staleLog);
}

}  // namespace

TW_UINT16 DispatchTriplet(const TwainTriplet& triplet, const DispatchEntry* table) {
  const DispatchEntry* entry = table;
  while (entry->handler && entry->dat != triplet.DAT) ++entry;
  if (!entry->handler) {
    if (CurrentBuild().rules->trace_hook) TraceHook("Bad dispatch %d\n", triplet.DAT);
    return FailQuietly(TWCC_BADPROTOCOL);
  }
  BeforeStateCheck(triplet);
  if (std::optional<StateRule> rule = FindStateRule(triplet.DG, triplet.DAT, triplet.MSG);
      rule && !rule->states.Contains(g_state))
    return FailTriplet(TWCC_SEQERROR, rule->lead);
  return entry->handler(triplet);
}

}  // namespace twain_ds
