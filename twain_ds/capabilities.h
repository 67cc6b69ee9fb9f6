// Capability negotiation: the fifteen capabilities the source supports, what
// each answers and what a MSG_SET of each accepts.
#pragma once

#include <span>

#include "twain_ds/twain.h"

namespace twain_ds {

// The answer of MSG_GET, MSG_GETCURRENT and MSG_GETDEFAULT: a new container in
// cap. Returns a TWAIN condition (TWCC_BADCAP for a capability not supported).
TW_UINT16 GetCapability(TW_CAPABILITY* cap);
// MSG_SET and MSG_RESET: reads the application's container. Returns a condition.
TW_UINT16 SetCapability(const TW_CAPABILITY& cap);

// The supported capabilities in the order CAP_SUPPORTEDCAPS lists them.
std::span<const TW_UINT16> SupportedCapabilities();

}  // namespace twain_ds
