// The slots' storage, shared by the slot calls and the apply.
#pragma once

#include <cstdint>

#include "kt6sdk/camera_slots.h"
#include "kt6sdk/library_state.h"

namespace kt6 {

struct CameraSlots {
  CameraSlot slots[kCameraSlots];
  std::uint8_t current = 0;
  bool applied = false;  // the active camera holds an applied slot
  CameraSlot active;     // the applied slot, as KT6Init reads its window
};

extern CameraSlots g_cameraSlots;

constexpr std::uint8_t kFirstCameraBoard = 4;

// -1 before KT6Open, -37 below board type 4, else 0.
std::int32_t CameraBoardReady();

}  // namespace kt6
