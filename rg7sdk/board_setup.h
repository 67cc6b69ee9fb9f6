// Steps of board set-up shared by open, the camera switch and the video controls.
#pragma once

#include <cstdint>

#include "rg7sdk/board_records.h"

namespace rg7 {

constexpr std::int16_t kSdkVersion = 258;

// Programs the hardware from a camera record (only when the current board is open).
void ApplyCameraRecord(const RG7CameraRecord& camera);
// The crop and, on a VPC32x5C, register 0x22 as the VPE sync of the current camera needs them.
void ApplyVpeSyncCrop();
std::uint32_t NullInterruptCallback(std::uint32_t status, std::uintptr_t context);
std::uint16_t GetCurrentBoardIndex();

// The last close, whatever the open count (library detach).
void CloseCompletely();
// Forgets open counts and the board count (library detach).
void ResetOpenState();

// The DirectDraw layer's video-port callbacks: VPE sync of the current camera on and off.
std::uint32_t ZPVIPInitCallback(std::uint32_t, std::uint32_t);
std::uint32_t ZPVIPUninitCallback(std::uint32_t, std::uint32_t);

}  // namespace rg7
