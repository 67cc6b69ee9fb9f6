// VPC32x5C back-end: the camera's two shadow blocks (FP words and direct
// registers) are changed word by word and written through; the chip takes FP
// writes in its own time, which the routines wait for, each wait bounded.
#include <cmath>

#include "platform/clock.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/decoder_backends.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/vpc32x5c_registers.h"

namespace rg7 {

using namespace vpc32x5c;

// Little-endian words; FP register of each word in kFpRegister below.
const std::uint8_t kVpcFpDefaults[2][78] = {
    {0x21, 0x00, 0x20, 0x04, 0x00, 0x00, 0x40, 0x0F, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,   0, 0,
     0,    0,    0,    0,    0x00, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,   0, 0,
     0,    0,    0,    0,    0,    0,    0,    0,    0x00, 0x00, 0x00, 0x00, 0xD0, 0x02, 0xAE, 0x06, 0,    0,   0, 0,
     0,    0,    0,    0,    0,    0,    0x2A, 0x00, 0xAB, 0x0A, 0,    0,    0x05, 0x00, 0x20, 0x00, 0x00, 0x08},
    {0x20, 0x00, 0x65, 0x05, 0x06, 0x00, 0x40, 0x0F, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,   0, 0,
     0,    0,    0,    0,    0x00, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,   0, 0,
     0,    0,    0,    0,    0,    0,    0,    0,    0x00, 0x00, 0x00, 0x00, 0x18, 0x03, 0x82, 0x05, 0,    0,   0, 0,
     0,    0,    0,    0,    0,    0,    0x2A, 0x00, 0xAB, 0x0A, 0,    0,    0x05, 0x00, 0x00, 0x00, 0x00, 0x00},
};

// Direct registers by byte offset: 0x1F word at 10, bytes 0x20, 0x23, 0x24 at
// 12, 14, 15, words 0x21, 0x26, 0x27, 0x28, 0x29, 0x22 from 16 on.
const std::uint8_t kVpcDirectDefaults[2][28] = {
    {0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x00, 0x0C, 0x80, 0,
     0x00, 0xF8, 0x59, 0x03, 0x00, 0x00, 0x22, 0x00, 0x72, 0x00, 0x56, 0x03, 0x6E, 0x00},
    {0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x00, 0x0C, 0x80, 0,
     0x00, 0xF8, 0x8C, 0x03, 0x00, 0x00, 0x22, 0x00, 0x72, 0x00, 0x56, 0x03, 0x88, 0x00},
};

namespace {

// Shadow words and the FP registers they stand for.
enum FpWord : int {
  kWordStandard = 0,  // FP 0x20: bits 3-0 standard code, bits 6-5 input select
  kWordInput = 1,     // FP 0x21: bits 2-0 input select, bit 10 VCR mode
  kWord22 = 2,
  kWord23 = 3,
  kWordHue = 12,  // FP 0xDC
  kWord40 = 24,
  kWordBrightness = 25,  // FP 0x41
  kWordScale42 = 26,
  kWordScale43 = 27,
  kWord69 = 33,
  kWord6A = 34,
  kWord6D = 36,
  kWordContrast = 37,    // FP 0x8E
  kWordSaturation = 38,  // FP 0x30
};

// A chip that never answers must not hang the caller.
constexpr std::uint32_t kWaitLimitMs = 200;

std::uint16_t Word(const std::uint8_t* block, int offset) {
  return static_cast<std::uint16_t>(block[offset] | block[offset + 1] << 8);
}

void SetWord(std::uint8_t* block, int offset, std::uint16_t value) {
  block[offset] = static_cast<std::uint8_t>(value);
  block[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t FpShadow(const RG7CameraRecord& camera, int word) { return Word(camera.vpc_fp_shadow, 2 * word); }

void SetFpShadow(RG7CameraRecord& camera, int word, std::uint16_t value) {
  SetWord(camera.vpc_fp_shadow, 2 * word, value);
}

// Shadow word := value, written through to its FP register.
void PutFp(int word, std::uint16_t fpRegister, std::uint16_t value) {
  SetFpShadow(CurrentCameraRecord(), word, value);
  RG7OutWordVPC32x5C_FP(fpRegister, value);
}

template <typename Ready>
std::int32_t WaitUntil(Ready ready) {
  DWORD start = GetTickCount();
  for (;;) {
    if (ready()) return RG7_OK;
    if (GetTickCount() - start > kWaitLimitMs) return RG7_ERR_DRIVER;
  }
}

// The chip shows bit 11 of FP 0x20/0x21 once it has taken a new setting there.
std::int32_t WaitDone(std::uint16_t fpRegister) {
  return WaitUntil([fpRegister] { return (RG7InWordVPC32x5C_FP(fpRegister) & kFpDone) != 0; });
}

}  // namespace

std::int32_t VPCWaitFPIdle() {
  return WaitUntil([] { return RG7InByteVPC32x5C(kFpStatus) == 0; });
}

std::int32_t VPCLoadCameraRegisters(const RG7CameraRecord& camera) {
  struct FpLoad {
    std::uint16_t fp;
    int word;
  };
  static constexpr FpLoad kFpOrder[] = {
      {0x69, kWord69},
      {0x6A, kWord6A},
      {0x6D, kWord6D},
      {kFpScale42, kWordScale42},
      {kFp40, kWord40},
      {kFpScale43, kWordScale43},
      {kFpStandard, kWordStandard},
      {0x23, kWord23},
      {kFpInput, kWordInput},
      {0x22, kWord22},
  };
  struct DirectLoad {
    std::uint8_t subaddress;
    int offset;
    bool word;
  };
  static constexpr DirectLoad kDirectOrder[] = {
      {0x1F, 10, true}, {0x20, 12, false}, {0x23, 14, false}, {0x24, 15, false}, {0x21, 16, true},
      {0x26, 18, true}, {0x27, 20, true},  {0x28, 22, true},  {0x29, 24, true},  {kRegister34, 26, true},
  };
  for (const FpLoad& l : kFpOrder) RG7OutWordVPC32x5C_FP(l.fp, FpShadow(camera, l.word));
  for (const DirectLoad& l : kDirectOrder) {
    if (l.word)
      RG7OutWordVPC32x5C(l.subaddress, Word(camera.vpc_direct_shadow, l.offset));
    else
      RG7OutByteVPC32x5C(l.subaddress, camera.vpc_direct_shadow[l.offset]);
  }
  RG7OutWordVPC32x5C_FP(kFp40, FpShadow(camera, kWord40));
  return RG7_OK;
}

std::int32_t VPCSetVideoStandard(std::uint16_t standard) {
  if (standard > 1) return RG7_ERR_PARAMETER;
  // The chip's standard code: 1 for NTSC, 0 for PAL.
  std::uint16_t code = standard == 0 ? 1 : 0;
  std::uint16_t word = FpShadow(CurrentCameraRecord(), kWordStandard);
  PutFp(kWordStandard, kFpStandard, static_cast<std::uint16_t>((word & 0xFFF0) | code));
  return WaitDone(kFpStandard);
}

std::int32_t VPCSetVideoChannel(std::uint16_t channel) {
  // Input select is split over FP 0x20 bits 6-5 and FP 0x21 bits 2-0.
  static constexpr std::uint16_t kSelect20[4] = {0x20, 0x20, 0x20, 0x40};
  static constexpr std::uint16_t kSelect21[4] = {0, 6, 3, 5};
  if (channel > 3) return RG7_ERR_PARAMETER;
  RG7CameraRecord& camera = CurrentCameraRecord();
  std::uint16_t select20 = kSelect20[channel];
  // Channel 0 is the second S-Video input in two-S-Video mode.
  if (channel == 0 && CurrentBoardRecord().two_svideo_mode == 1) select20 = 0x40;
  std::uint16_t w0 = static_cast<std::uint16_t>((FpShadow(camera, kWordStandard) & ~0x0060) | select20);
  std::uint16_t w1 = static_cast<std::uint16_t>((FpShadow(camera, kWordInput) & ~0x0007) | kSelect21[channel]);
  SetFpShadow(camera, kWordStandard, w0);
  SetFpShadow(camera, kWordInput, w1);
  RG7OutWordVPC32x5C_FP(kFpStandard, w0);
  if (std::int32_t r = WaitDone(kFpStandard)) return r;
  RG7OutWordVPC32x5C_FP(kFpInput, w1);
  return WaitDone(kFpInput);
}

std::int32_t VPCSetVCRMode(std::int32_t mode) {
  if (mode != 0 && mode != 1) return RG7_ERR_PARAMETER;
  std::uint16_t w1 = FpShadow(CurrentCameraRecord(), kWordInput);
  w1 = static_cast<std::uint16_t>(mode ? (w1 | kFpVcrBit) : (w1 & ~kFpVcrBit));
  PutFp(kWordInput, kFpInput, w1);
  return WaitDone(kFpInput);
}

std::int32_t VPCGetVCRMode() { return (FpShadow(CurrentCameraRecord(), kWordInput) & kFpVcrBit) ? 1 : 0; }

std::int32_t VPCSetBrightness(std::uint32_t value) {
  // The chip's brightness runs the other way, at half the steps; the difference
  // is taken as signed (wrapping as 32-bit arithmetic does).
  std::int32_t level = static_cast<std::int32_t>(255u - value) / 2;
  PutFp(kWordBrightness, kFpBrightness, static_cast<std::uint16_t>(level));
  // Bit 11 of FP 0x40 is cleared on the chip after each change.
  std::uint16_t r40 = RG7InWordVPC32x5C_FP(kFp40);
  RG7OutWordVPC32x5C_FP(kFp40, static_cast<std::uint16_t>(r40 & ~kFp40Bit11));
  return VPCWaitFPIdle();
}

std::int32_t VPCSetContrast(std::uint32_t value) {
  PutFp(kWordContrast, kFpContrast, static_cast<std::uint16_t>((value & 0xFFFF) >> 2));
  return VPCWaitFPIdle();
}

std::int32_t VPCSetHue(std::uint32_t value) {
  PutFp(kWordHue, kFpHue, static_cast<std::uint16_t>(value * 4));
  return VPCWaitFPIdle();
}

std::int32_t VPCSetSaturation(std::uint32_t value) {
  PutFp(kWordSaturation, kFpSaturation, static_cast<std::uint16_t>(value * 16 | 1));
  return VPCWaitFPIdle();
}

std::int32_t VPCSetAGC(std::uint32_t on) {
  RG7OutWordVPC32x5C_FP(kFpAgc, on ? 1 : 0);
  RG7OutWordVPC32x5C_FP(kFpAgcCompanion, 0);
  return VPCWaitFPIdle();
}

std::int32_t VPCSetHScale(float factor) {
  // Written as a negated range test so that a NaN is refused too.
  if (!(factor >= 1.0f && factor <= 2.0f)) return RG7_ERR_PARAMETER;
  double f = factor;
  bool pal = CurrentCameraRecord().video_standard != 0;
  double lineWidth = pal ? 1410.0 : 1710.0;
  double output = pal ? 816.0 : 720.0;
  // The shadow keeps the table values: a later load restores full scale.
  RG7OutWordVPC32x5C_FP(kFpScale43, static_cast<std::uint16_t>(std::trunc((f - 1.0) * lineWidth + lineWidth + 0.5)));
  RG7OutWordVPC32x5C_FP(kFpScale42, static_cast<std::uint16_t>(std::trunc(output / f + 0.5)));
  RG7OutWordVPC32x5C_FP(kFp40, 0);
  return RG7_OK;
}

}  // namespace rg7
