// The two decoder back-ends: register images per standard and one routine per
// video control, on the current board's current camera. The decoder front
// dispatches to the back-end of the fitted decoder.
#pragma once

#include <cstdint>

#include "rg7sdk/board_records.h"

namespace rg7 {

// Per-standard default images (0 NTSC, 1 PAL), copied into a camera record by
// RG7SetVideoStandard.
extern const std::uint8_t kBt829Defaults[2][33];
extern const std::uint8_t kVpcDirectDefaults[2][28];
extern const std::uint8_t kVpcFpDefaults[2][78];

std::int32_t Bt829LoadRegisters(const RG7CameraRecord& camera);
std::int32_t Bt829SetVideoStandard(std::uint16_t standard);
std::int32_t Bt829SetVideoChannel(std::uint16_t channel);
std::int32_t Bt829SetVCRMode(std::int32_t mode);
std::int32_t Bt829GetVCRMode();
std::int32_t Bt829SetBrightness(std::uint32_t value);
std::int32_t Bt829SetContrast(std::uint32_t value);
std::int32_t Bt829SetHue(std::uint32_t value);
std::int32_t Bt829SetSaturation(std::uint32_t value);
std::int32_t Bt829SetAGC(std::uint32_t on);

std::int32_t VPCLoadCameraRegisters(const RG7CameraRecord& camera);
std::int32_t VPCSetVideoStandard(std::uint16_t standard);
std::int32_t VPCSetVideoChannel(std::uint16_t channel);
std::int32_t VPCSetVCRMode(std::int32_t mode);
std::int32_t VPCGetVCRMode();
std::int32_t VPCSetBrightness(std::uint32_t value);
std::int32_t VPCSetContrast(std::uint32_t value);
std::int32_t VPCSetHue(std::uint32_t value);
std::int32_t VPCSetSaturation(std::uint32_t value);
std::int32_t VPCSetAGC(std::uint32_t on);
std::int32_t VPCSetHScale(float factor);
// 0 once the FP interface is idle; -100 when it stays busy past the bound.
std::int32_t VPCWaitFPIdle();

}  // namespace rg7
