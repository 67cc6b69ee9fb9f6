// Bt829A back-end: the camera's register image (register k in byte k) is changed
// byte by byte and each changed register written through.
#include "rg7sdk/board_records.h"
#include "rg7sdk/bt829a_registers.h"
#include "rg7sdk/decoder_backends.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {

const std::uint8_t kBt829Defaults[2][33] = {
    {0x00, 0x58, 0x00, 0x12, 0x16, 0xE0, 0x7C, 0x78, 0x02, 0xAC, 0x00, 0x20, 0xD8, 0xFE, 0xB4, 0x00, 0x40,
     0xCF, 0x06, 0x60, 0x00, 0x01, 0x80, 0x70, 0x68, 0x5D, 0x82, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x58, 0x00, 0x23, 0x16, 0x40, 0xA0, 0x80, 0x02, 0xAC, 0x00, 0x20, 0xD8, 0xFE, 0xB4, 0x00, 0x40,
     0xCF, 0x06, 0x60, 0x00, 0x01, 0x80, 0x70, 0x7F, 0x72, 0x82, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00},
};

namespace {

using namespace bt829a;

bool Loaded(std::uint8_t reg) {
  for (std::uint8_t owned : bt829a::kChipOwned)
    if (reg == owned) return false;
  return true;
}

void Put(std::uint8_t reg, std::uint8_t value) {
  CurrentCameraRecord().bt829_shadow[reg] = value;
  RG7OutByteBt829A(reg, value);
}

std::uint8_t Shadow(std::uint8_t reg) { return CurrentCameraRecord().bt829_shadow[reg]; }

}  // namespace

std::int32_t Bt829LoadRegisters(const RG7CameraRecord& camera) {
  for (std::uint8_t reg = 0x01; reg <= 0x1E; ++reg)
    if (Loaded(reg)) RG7OutByteBt829A(reg, camera.bt829_shadow[reg]);
  return RG7_OK;
}

std::int32_t Bt829SetVideoStandard(std::uint16_t standard) {
  // Vertical and horizontal timing, then the burst delays. Horizontal delay and
  // active differ from the default image, which this replaces.
  static constexpr std::uint8_t kRegisters[6] = {0x03, 0x05, 0x06, 0x07, 0x18, 0x19};
  static constexpr std::uint8_t kValues[2][6] = {
      {0x12, 0xE0, 0x78, 0x80, 0x68, 0x5D},
      {0x23, 0x40, 0xA0, 0x00, 0x7F, 0x72},
  };
  if (standard > 1) return RG7_ERR_PARAMETER;
  for (int i = 0; i < 6; ++i) Put(kRegisters[i], kValues[standard][i]);
  return RG7_OK;
}

std::int32_t Bt829SetVideoChannel(std::uint16_t channel) {
  static constexpr std::uint8_t kMux[4] = {0x58, 0x78, 0x18, 0x38};
  // Channel 3 is the luma/chroma input. The whole byte is written, so contrast
  // bit 8 is clear until the contrast is set again.
  static constexpr std::uint8_t kInputForm[4] = {0x20, 0x20, 0x20, 0x60};
  if (channel > 3) return RG7_ERR_PARAMETER;
  Put(kInputMux, kMux[channel]);
  Put(kControl, kInputForm[channel]);
  return RG7_OK;
}

std::int32_t Bt829SetVCRMode(std::int32_t mode) {
  // The chip follows VCR timing by itself: nothing to program.
  return mode == 0 || mode == 1 ? RG7_OK : RG7_ERR_PARAMETER;
}

std::int32_t Bt829GetVCRMode() { return RG7_ERR_DECODER; }

std::int32_t Bt829SetBrightness(std::uint32_t value) {
  // Two's complement around the neutral 128.
  Put(kBrightness, static_cast<std::uint8_t>(value - 128));
  return RG7_OK;
}

std::int32_t Bt829SetContrast(std::uint32_t value) {
  // The chip's 9-bit contrast is value x 2: bit 8 lives in the control register.
  std::uint8_t control = Shadow(kControl);
  control = (value & 0x80) ? (control | kContrastBit8) : (control & ~kContrastBit8);
  Put(kControl, control);
  Put(kContrastLow, static_cast<std::uint8_t>(value << 1));
  return RG7_OK;
}

std::int32_t Bt829SetHue(std::uint32_t value) {
  Put(kHue, static_cast<std::uint8_t>(value));
  return RG7_OK;
}

std::int32_t Bt829SetSaturation(std::uint32_t value) {
  // Bit 8 of both saturations in the control register is left alone.
  Put(kSaturationU, static_cast<std::uint8_t>(value));
  Put(kSaturationV, static_cast<std::uint8_t>(value));
  return RG7_OK;
}

std::int32_t Bt829SetAGC(std::uint32_t on) {
  // Automatic gain control cannot be switched off on this board.
  if (on == 0) return RG7_ERR_DECODER;
  Put(kAdcControl, static_cast<std::uint8_t>(Shadow(kAdcControl) & ~kAgcOff));
  return RG7_OK;
}

}  // namespace rg7
