// What the Windows 95 build of the 700-series library exports beyond rg7sdk.h.
#pragma once

#include <cstdint>

#include "rg7sdk/rg7sdk.h"

extern "C" {
// VPE sync of the current camera on (init) and off (uninit), as the video port needs it.
RG7_API std::uint32_t ZPVIPInitCallback(std::uint32_t, std::uint32_t);
RG7_API std::uint32_t ZPVIPUninitCallback(std::uint32_t, std::uint32_t);
}
