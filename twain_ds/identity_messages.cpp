// DAT_IDENTITY: the source's identity, and connecting and disconnecting the
// application.
#include <cstring>

#include "twain_ds/capture_backend.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/identity.h"
#include "twain_ds/input_dialog.h"
#include "twain_ds/transfer_state.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// One application at a time. The state rules let this run in state 300 only.
TW_UINT16 OpenDS(const TwainTriplet& triplet) {
  // Another application holds the source: refuse and leave it to that one.
  if (g_appIdentity.Id != 0) return FailTriplet(TWCC_MAXCONNECTIONS, kLeadOpenDS);
  if (!triplet.pOrigin) return FailTriplet(TWCC_BADVALUE, kLeadOpenDS);
  std::memcpy(&g_appIdentity, triplet.pOrigin, sizeof g_appIdentity);
  // The identity as the source manager completed it, with the Id it assigned.
  if (triplet.pData) std::memcpy(&g_ownIdentity, triplet.pData, sizeof g_ownIdentity);
  const CaptureBackend* backend = CurrentBuild().backend;
  if (!backend || !backend->open || !backend->open()) {
    // A failed open connects nobody: the next application may try.
    g_appIdentity.Id = 0;
    return FailTriplet(TWCC_BUMMER, kLeadOpenDS);
  }
  CSourceSettings& source = SourceSettings();
  source.Load();
  FormatSettings().Load(source.tv_standard);
  // A camera port that is not available fails nothing: the user has been told.
  if (backend->open_camera) backend->open_camera();
  g_state = TwainState::kOpen;
  return TWRC_SUCCESS;
}

// The state rules let this run in states 400 to 700.
TW_UINT16 CloseDS(const TwainTriplet&) {
  g_appIdentity.Id = 0;
  DestroyMainDialog();
  ResetMemoryTransfer();
  FormatSettings().Save();
  SourceSettings().Save();
  const CaptureBackend* backend = CurrentBuild().backend;
  if (backend && backend->close) backend->close();
  g_state = TwainState::kLoaded;
  return TWRC_SUCCESS;
}

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
