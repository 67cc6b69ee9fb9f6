// The horizontal decimation of the chip's video port, which is also how capture is
// frozen and resumed: the freeze value stops it, the resume value gives back the
// stored decimation.
#pragma once

#include <cstdint>

#include "kt6sdk/kt6_registers.h"

namespace kt6 {

namespace decimation {
constexpr std::uint32_t kFreeze = 0xFFFFFFFF;
constexpr std::uint32_t kResume = 0x12345678;
constexpr std::uint32_t kRegister = mmio::kHorizontalDecimation;
}  // namespace decimation

// Freeze and resume: on board types 0 to 2 the video port's register at once; on
// types 3 to 5 two board-control registers, deferred while another transaction has
// the serial bus. Any other value becomes the stored decimation.
void SetHDecimation(std::uint32_t value);
// kFreeze while capture is frozen.
std::uint32_t KT6GetHDecimation();
// Makes the freeze and resume the deferred work runs.
void InstallCaptureDeferredOperations();

}  // namespace kt6
