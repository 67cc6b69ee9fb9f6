// Failures of triplets: the condition word, the failure box and the lead texts
// that say which request failed.
#pragma once

#include "twain_ds/twain.h"

namespace twain_ds {

// Lead texts of the failure box; each ends in a full stop and two blanks, the
// condition's own text follows.
inline constexpr char kLeadIdentity[] = "General failure in response to DAT_IDENTITY.  ";
inline constexpr char kLeadUserInterface[] = "General failure in response to DAT_USERINTERFACE.  ";
inline constexpr char kLeadEnableDS[] = "General failure in response to MSG_ENABLEDS.  ";
inline constexpr char kLeadDisableDS[] = "General failure in response to MSG_DISABLEDS.  ";
inline constexpr char kLeadOpenDS[] = "General failure in response to MSG_OPENDS.  ";
inline constexpr char kLeadCloseDS[] = "General failure in response to MSG_CLOSEDS.  ";
inline constexpr char kLeadCaps[] = "General failure in response to DAT_CAPS.  ";
inline constexpr char kLeadStatus[] = "General failure in response to DAT_STATUS.  ";
inline constexpr char kLeadPendingXfer[] = "General failure in response to DAT_PENDINGXFER.  ";
inline constexpr char kLeadSetupMemXfer[] = "General failure in response to DAT_SETUPMEMXFER, not supported.  ";
inline constexpr char kLeadSetupFileXfer[] = "General failure in response to DAT_SETUPFILEXFER, not supported.  ";
inline constexpr char kLeadXferGroup[] = "General failure in response to DAT_XFERGROUP, not supported.  ";
inline constexpr char kLeadTransfer[] = "General failure in transfer.  ";
inline constexpr char kLeadTransferFileOpen[] = "General failure in transfer file open.  ";
inline constexpr char kLeadImageInfo[] = "General failure in response to DAT_IMAGEINFO.  ";
inline constexpr char kLeadNativeXfer[] = "General failure in response to DAT_IMAGENATIVEXFER.  ";
inline constexpr char kLeadCreateFile[] = "Unable to create file <<DAT_SETUPFILEXFER>>";

inline constexpr char kErrorBoxCaption[] = "Zephlor data source Error";

// The text that follows the lead for a condition code.
const char* ConditionText(TW_UINT16 condition);

// Shows the failure box: the lead, then the condition's text, owned by the parent
// window of the last MSG_ENABLEDS. Returns when the user has closed it.
void ReportTwainError(const char* lead, TW_UINT16 condition);

// A failing handler's answer: the condition is kept for DAT_STATUS and the box
// shown; TWRC_FAILURE. The state never changes on a failure.
TW_UINT16 FailTriplet(TW_UINT16 condition, const char* lead);
// The same without the box (routing and capability failures).
TW_UINT16 FailQuietly(TW_UINT16 condition);

// Fixed trace texts of the builds that have the hook; nothing is written.
void TraceHook(const char* format, ...) __attribute__((format(printf, 1, 2)));
// For tests: where the hook's texts go (null: nowhere, as in the modules).
using TraceSink = void (*)(const char* text);
void SetTraceSink(TraceSink sink);

}  // namespace twain_ds
