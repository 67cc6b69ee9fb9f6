// The video-input controls: each keeps its value in the current camera's record
// and goes to the back-end of the fitted decoder (the Bt829A when both are fitted).
#include <cstring>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/board_setup.h"
#include "rg7sdk/bt829a_registers.h"
#include "rg7sdk/decoder_backends.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/serial_bus.h"
#include "rg7sdk/vpc32x5c_registers.h"

namespace rg7 {
namespace {

constexpr int kSignalPolls = 1000;

enum class Decoder { kNone, kBt829A, kVpc };

Decoder Fitted() {
  const RG7BoardRecord& b = CurrentBoardRecord();
  if (b.bt829_fitted) return Decoder::kBt829A;
  if (b.vpc_fitted) return Decoder::kVpc;
  return Decoder::kNone;
}

template <class Bt, class Vpc>
std::int32_t Dispatch(Bt bt, Vpc vpc) {
  switch (Fitted()) {
    case Decoder::kBt829A:
      return bt();
    case Decoder::kVpc:
      return vpc();
    default:
      return RG7_ERR_DECODER;
  }
}

// Sets or clears the two-S-Video switch in the serial-bus shadow and writes it.
void SetTwoSVideoSwitch(bool on) {
  BoardNode* node = CurrentBoardNode();
  if (!node) return;
  std::lock_guard lock(SerialBusMutex());
  if (on)
    node->serial_bus_shadow |= reg::kI2cTwoSVideoSwitch;
  else
    node->serial_bus_shadow &= ~reg::kI2cTwoSVideoSwitch;
  IHW_SetRegister(reg::kI2cControl, node->serial_bus_shadow);
}

}  // namespace

}  // namespace rg7

using namespace rg7;

std::int32_t RG7HasBt829A() {
  return CurrentBoardOpen() ? static_cast<std::int32_t>(CurrentBoardRecord().bt829_fitted) : 0;
}

std::int32_t RG7HasVPC32x5C() {
  return CurrentBoardOpen() ? static_cast<std::int32_t>(CurrentBoardRecord().vpc_fitted) : 0;
}

std::int32_t RG7Set2SVideoMode(std::uint32_t mode) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (mode > 1) return RG7_ERR_PARAMETER;
  CurrentBoardRecord().two_svideo_mode = mode;
  return 0;
}

std::int32_t RG7Get2SVideoMode() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return static_cast<std::int32_t>(CurrentBoardRecord().two_svideo_mode);
}

std::int32_t RG7SetVideoStandard(std::uint16_t standard) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (standard > 1) return RG7_ERR_PARAMETER;
  RG7BoardRecord& board = CurrentBoardRecord();
  RG7CameraRecord& cam = CurrentCameraRecord();
  std::memcpy(cam.vpc_direct_shadow, kVpcDirectDefaults[standard], sizeof cam.vpc_direct_shadow);
  std::memcpy(cam.vpc_fp_shadow, kVpcFpDefaults[standard], sizeof cam.vpc_fp_shadow);
  std::memcpy(cam.bt829_shadow, kBt829Defaults[standard], sizeof cam.bt829_shadow);
  bool vpcBoard = board.vpc_fitted != 0;
  if (standard == 0) {
    cam.crop_origin_x = vpcBoard ? 80 : 122;
    cam.crop_origin_y = vpcBoard ? 11 : 16;
    cam.full_width = 640;
    cam.full_height = 480;
  } else {
    cam.crop_origin_x = vpcBoard ? 105 : 160;
    cam.crop_origin_y = vpcBoard ? 15 : 22;
    cam.full_width = 768;
    cam.full_height = 576;
  }
  cam.frame_flag = 1;
  std::uint16_t channel = cam.video_channel;
  Dispatch([&] { return Bt829LoadRegisters(cam); }, [&] { return VPCLoadCameraRegisters(cam); });
  RG7SetVideoChannel(channel);
  std::int32_t result =
      Dispatch([&] { return Bt829SetVideoStandard(standard); }, [&] { return VPCSetVideoStandard(standard); });
  if (result == 0) cam.video_standard = standard;
  ApplyVpeSyncCrop();
  return result;
}

std::int32_t RG7GetVideoStandard(std::uint16_t camera) {
  if (camera > 3) return RG7_ERR_PARAMETER;
  return CurrentBoardRecord().cameras[camera].video_standard;
}

std::int32_t RG7SetVideoChannel(std::uint16_t channel) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (channel > 3) return RG7_ERR_PARAMETER;
  SetTwoSVideoSwitch(CurrentBoardRecord().two_svideo_mode == 1 && channel == 0);
  CurrentCameraRecord().video_channel = channel;
  return Dispatch([&] { return Bt829SetVideoChannel(channel); }, [&] { return VPCSetVideoChannel(channel); });
}

std::int32_t RG7GetVideoChannel() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return CurrentCameraRecord().video_channel;
}

std::int32_t RG7SetVCRMode(std::int32_t mode) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return Dispatch([&] { return Bt829SetVCRMode(mode); }, [&] { return VPCSetVCRMode(mode); });
}

std::int32_t RG7GetVCRMode() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return Dispatch([] { return Bt829GetVCRMode(); }, [] { return VPCGetVCRMode(); });
}

namespace {

// Stores a picture control in the camera record, then sends it.
template <class Bt, class Vpc>
std::int32_t SetPictureControl(std::uint32_t RG7CameraRecord::*field, std::uint32_t value, Bt bt, Vpc vpc) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  CurrentCameraRecord().*field = value;
  return Dispatch([&] { return bt(value); }, [&] { return vpc(value); });
}

std::int32_t GetPictureControl(std::uint32_t RG7CameraRecord::*field) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return static_cast<std::int32_t>(CurrentCameraRecord().*field);
}

}  // namespace

std::int32_t RG7SetBrightness(std::uint32_t value) {
  return SetPictureControl(&RG7CameraRecord::brightness, value, Bt829SetBrightness, VPCSetBrightness);
}
std::int32_t RG7SetContrast(std::uint32_t value) {
  return SetPictureControl(&RG7CameraRecord::contrast, value, Bt829SetContrast, VPCSetContrast);
}
std::int32_t RG7SetHue(std::uint32_t value) {
  return SetPictureControl(&RG7CameraRecord::hue, value, Bt829SetHue, VPCSetHue);
}
std::int32_t RG7SetSaturation(std::uint32_t value) {
  return SetPictureControl(&RG7CameraRecord::saturation, value, Bt829SetSaturation, VPCSetSaturation);
}
std::int32_t RG7GetBrightness() { return GetPictureControl(&RG7CameraRecord::brightness); }
std::int32_t RG7GetContrast() { return GetPictureControl(&RG7CameraRecord::contrast); }
std::int32_t RG7GetHue() { return GetPictureControl(&RG7CameraRecord::hue); }
std::int32_t RG7GetSaturation() { return GetPictureControl(&RG7CameraRecord::saturation); }

std::int32_t RG7SetAGC(std::uint32_t on) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (Fitted() == Decoder::kNone) return RG7_ERR_DECODER;
  return SetPictureControl(&RG7CameraRecord::agc, on, Bt829SetAGC, VPCSetAGC);
}

std::int32_t RG7GetAGC() { return GetPictureControl(&RG7CameraRecord::agc); }

std::int32_t RG7SetInputEarlySync(std::uint32_t on) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::uint32_t r = IHW_GetRegister(reg::kInputConfig);
  IHW_SetRegister(reg::kInputConfig, on ? (r | reg::kInputEarlySync) : (r & ~reg::kInputEarlySync));
  return 0;
}

std::int32_t RG7GetInputEarlySync() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return (IHW_GetRegister(reg::kInputConfig) & reg::kInputEarlySync) ? 1 : 0;
}

std::int32_t RG7TestVideoSignalPresence(std::uint32_t) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  const RG7BoardRecord& b = CurrentBoardRecord();
  if (b.vpc_fitted) {
    for (int i = 0; i < kSignalPolls; ++i)
      if ((RG7InWordVPC32x5C_FP(vpc32x5c::kFpSignalStatus) & vpc32x5c::kFpSignalLocked) == vpc32x5c::kFpSignalLocked)
        return 0;
    return RG7_ERR_NO_SIGNAL;
  }
  if (b.bt829_fitted) {
    for (int i = 0; i < kSignalPolls; ++i)
      if ((RG7InByteBt829A(bt829a::kStatus) & bt829a::kStatusSignalLocked) == bt829a::kStatusSignalLocked) return 0;
    return RG7_ERR_NO_SIGNAL;
  }
  return RG7_ERR_NO_SIGNAL;
}

std::int32_t RG7TestVideoSignal(std::uint32_t unused) { return RG7TestVideoSignalPresence(unused); }
