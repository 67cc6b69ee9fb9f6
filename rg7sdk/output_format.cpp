// The bridge's output stage: look-up table, memory pixel format, mirror, scaling
// and the line order of the bounce copy.
#include <cmath>

#include "rg7sdk/board_records.h"
#include "rg7sdk/decoder_backends.h"
#include "rg7sdk/pixel_codes.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/vpc32x5c_registers.h"

namespace rg7 {
namespace {

bool ValidFactor(float f) { return f >= 1.0f && f < 64.0f; }

std::int32_t LoadLut(std::int32_t start, std::int32_t count, const std::int16_t* table) {
  IHW_SetField(VXP_INCFG_PIPE_RESET, 1);
  for (std::int32_t n = start; n < start + count; ++n) {
    auto e = static_cast<std::uint16_t>(table[n]);
    IHW_SetRegister(reg::kLutAddress, static_cast<std::uint32_t>(n));
    IHW_SetRegister(reg::kLutLow, e & 0xFF);
    IHW_SetRegister(reg::kLutHigh, e >> 8);
  }
  IHW_SetField(VXP_INCFG_PIPE_RESET, 0);
  return 0;
}

}  // namespace

}  // namespace rg7

using namespace rg7;

std::int32_t RG7LUTLoad(std::int32_t start, std::int32_t count, const std::int16_t* table) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (!table || start < 0 || start >= 256 || count < 1 || count > 256 - start) return RG7_ERR_PARAMETER;
  return LoadLut(start, count, table);
}

std::int32_t RG7LUTLoadLinear() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::int16_t t[256];
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::int16_t>(i | i << 8);
  return LoadLut(0, 256, t);
}

std::int32_t RG7LUTLoadInversedLinear() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::int16_t t[256];
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::int16_t>((255 - i) | (255 - i) << 8);
  return LoadLut(0, 256, t);
}

std::int32_t RG7SetPixelMode(std::uint32_t code) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (code == 0) return RG7_ERR_DECODER;
  if (CurrentBoardRecord().vpc_fitted) IHW_SetField(VXP_INCFG_DATA_FMT, 0);
  switch (code) {
    case 1:
    case 3:
      return RG7_ERR_DECODER;
    case 2:
      IHW_SetField(VXP_PCI_VIDSTRM_UNPACK, 0);
      IHW_SetField(VXP_OUT_CFG_OUT_DAT_FMT, 3);
      break;
    case 4:
      // Packed 24-bit: without this an earlier 32-bit mode would stay unpacked.
      IHW_SetField(VXP_PCI_VIDSTRM_UNPACK, 0);
      IHW_SetField(VXP_OUT_CFG_OUT_DAT_FMT, 1);
      break;
    case 5:
      IHW_SetField(VXP_PCI_VIDSTRM_UNPACK, 1);
      IHW_SetField(VXP_OUT_CFG_OUT_DAT_FMT, 1);
      break;
    case 6:
      IHW_SetField(VXP_FC_INPUT_YUVFORMAT, 1);
      IHW_SetField(VXP_OUT_CFG_OUT_DAT_FMT, 0);
      break;
    default:
      break;
  }
  CurrentCameraRecord().pixel_code = code;
  return 0;
}

std::int32_t RG7GetPixelMode() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return static_cast<std::int32_t>(CurrentCameraRecord().pixel_code);
}

std::int32_t RG7GetPixelSize() { return static_cast<std::int32_t>(BytesPerPixel(CurrentCameraRecord().pixel_code)); }

std::int32_t RG7SetMirrorMode(std::uint32_t on) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::uint32_t r = IHW_GetRegister(reg::kFilterControl);
  IHW_SetRegister(reg::kFilterControl, on ? (r | reg::kHorizontalFlip) : (r & ~reg::kHorizontalFlip));
  CurrentBoardRecord().mirror_mode = on;
  return 0;
}

std::int32_t RG7GetMirrorMode() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return static_cast<std::int32_t>(CurrentBoardRecord().mirror_mode);
}

std::int32_t RG7SetHScaleFactor(float f) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7CameraRecord& cam = CurrentCameraRecord();
  if (!ValidFactor(f) || (cam.vpe_sync && f >= 2.0f)) return RG7_ERR_PARAMETER;
  cam.horizontal_scale = f;
  auto n = static_cast<std::uint32_t>(f);
  std::uint32_t prescale, threshold;
  if (n < 2) {
    prescale = 1, threshold = 8;
  } else if (n < 4) {
    prescale = 2, threshold = 8;
  } else if (n < 8) {
    prescale = 4, threshold = 9;
  } else if (n < 16) {
    prescale = 8, threshold = 10;
  } else if (n < 32) {
    prescale = 16, threshold = 10;
  } else {
    prescale = 32, threshold = 10;
  }
  IHW_SetField(VXP_PCI_DMA_VIDEO_FIFO_HIGH, threshold);
  IHW_SetRegister(reg::kHorizontalPrescale, prescale);
  // The rest of the reduction is the VPC32x5C's own scaler; other decoders have none.
  if (CurrentBoardRecord().vpc_fitted) {
    VPCSetHScale(f / static_cast<float>(prescale));
    std::uint16_t r34 = static_cast<std::uint16_t>(cam.vpc_direct_shadow[26] | cam.vpc_direct_shadow[27] << 8);
    RG7OutWordVPC32x5C(vpc32x5c::kRegister34, r34 & ~1u);
  }
  return 0;
}

std::int32_t RG7SetVScaleFactor(float f) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (!ValidFactor(f)) return RG7_ERR_PARAMETER;
  RG7CameraRecord& cam = CurrentCameraRecord();
  if (cam.vpe_sync) f = 1.0f;
  cam.vertical_scale = f;
  float whole = std::floor(f);
  IHW_SetRegister(reg::kVerticalInteger, static_cast<std::uint32_t>(whole));
  IHW_SetRegister(reg::kVerticalFraction, static_cast<std::uint32_t>((f - whole) * 255.0f));
  return 0;
}

std::int32_t RG7SetScaleFactor(float h, float v) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7CameraRecord& cam = CurrentCameraRecord();
  float oldH = cam.horizontal_scale, oldV = cam.vertical_scale;
  std::int32_t r = RG7SetHScaleFactor(h);
  if (r == 0) r = RG7SetVScaleFactor(v);
  if (r != 0) {
    // Put the camera back as it was, in hardware too when the old factors are valid.
    if (RG7SetHScaleFactor(oldH) != 0) cam.horizontal_scale = oldH;
    if (RG7SetVScaleFactor(oldV) != 0) cam.vertical_scale = oldV;
    return r;
  }
  return 0;
}

std::int32_t RG7GetScaleFactor(float* h, float* v) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  const RG7CameraRecord& cam = CurrentCameraRecord();
  if (h) *h = cam.horizontal_scale;
  if (v) *v = cam.vertical_scale;
  return 0;
}

std::int32_t RG7SetDIBMode(std::uint32_t on) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& board = CurrentBoardRecord();
  std::lock_guard lock(board.transfer_lock);  // the bounce copy reads it
  board.dib_mode = on;
  return 0;
}
