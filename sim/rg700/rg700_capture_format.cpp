#include "sim/rg700/rg700_capture_format.h"

#include <algorithm>

#include "sim/rg700/rg700_board.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/video/test_pattern.h"

namespace sim {

using namespace rg700;

namespace {

// A crop edge: the low eight bits in `low`, the top two in the register after it.
int TenBits(const Rg700Board& b, std::uint32_t low) {
  return static_cast<int>((b.Register(low) & 0xFF) | (b.Register(low + 1) & kCropHighMask) << 8);
}

void PutPixel(CapturePixel pixel, const Yuv& p, int index, std::uint8_t* out) {
  std::uint8_t r, g, b;
  switch (pixel) {
    case CapturePixel::kYuv422:
      out[2 * index] = p.y;
      out[2 * index + 1] = (index & 1) ? p.v : p.u;
      return;
    case CapturePixel::kRgb555: {
      YuvToRgb(p, &r, &g, &b);
      auto w = static_cast<std::uint16_t>((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3);
      out[2 * index] = static_cast<std::uint8_t>(w);
      out[2 * index + 1] = static_cast<std::uint8_t>(w >> 8);
      return;
    }
    case CapturePixel::kRgb24:
      YuvToRgb(p, &r, &g, &b);
      out[3 * index] = b;
      out[3 * index + 1] = g;
      out[3 * index + 2] = r;
      return;
    case CapturePixel::kRgb32:
      YuvToRgb(p, &r, &g, &b);
      out[4 * index] = b;
      out[4 * index + 1] = g;
      out[4 * index + 2] = r;
      out[4 * index + 3] = 0;
      return;
    case CapturePixel::kNone:
      return;
  }
}

}  // namespace

int CaptureFormat::bytes_per_pixel() const {
  switch (pixel) {
    case CapturePixel::kRgb555:
    case CapturePixel::kYuv422:
      return 2;
    case CapturePixel::kRgb24:
      return 3;
    case CapturePixel::kRgb32:
      return 4;
    case CapturePixel::kNone:
      break;
  }
  return 0;
}

void PictureOrigin(bool bt829a, std::uint16_t standard, int* x, int* y) {
  if (standard == 1) {
    *x = bt829a ? 160 : 105;
    *y = bt829a ? 22 : 15;
  } else {
    *x = bt829a ? 122 : 80;
    *y = bt829a ? 16 : 11;
  }
}

CaptureFormat CaptureFormatOf(const Rg700Board& b) {
  CaptureFormat f;
  f.standard = b.video_inputs().SelectedSource().standard;
  PictureOrigin(b.desc().has_bt829a, f.standard, &f.origin_x, &f.origin_y);
  int left = TenBits(b, kCropLeft), right = TenBits(b, kCropRight), top = TenBits(b, kCropTop),
      bottom = TenBits(b, kCropBottom);
  f.crop_left = left;
  f.crop_top = top;
  f.pixels = std::max(0, right - left);
  // The line at the bottom crop is not captured, nor the one before it.
  f.source_lines = std::max(0, bottom - top - 1);
  f.prescale = static_cast<int>(b.Register(kHorizontalScale) & kScaleWholeMask);
  if (f.prescale == 0) f.prescale = 1;
  std::uint32_t whole = b.Register(kVerticalScaleWhole) & kScaleWholeMask;
  if (whole == 0) whole = 1;
  f.vscale_255 = whole * 255 + (b.Register(kVerticalScaleFraction) & 0xFF);
  f.mirror = (b.Register(kFilterControl) & kHorizontalFlip) != 0;
  switch (b.Register(kOutputConfig) & kOutputFormatMask) {
    case kOutputYuv422:
      f.pixel = CapturePixel::kYuv422;
      break;
    case kOutputRgb:
      f.pixel = (b.Register(kPciControl) & kUnpackRgb32) ? CapturePixel::kRgb32 : CapturePixel::kRgb24;
      break;
    case kOutputRgb555:
      f.pixel = CapturePixel::kRgb555;
      break;
    default:
      f.pixel = CapturePixel::kNone;
      break;
  }
  return f;
}

void RenderCaptureLine(const CaptureFormat& f, std::uint32_t field, int line, std::uint8_t* out) {
  int sourceLine = static_cast<int>(static_cast<std::uint64_t>(line) * f.vscale_255 / 255);
  int row = 2 * (f.crop_top + sourceLine - f.origin_y) + (IsOddField(field) ? 0 : 1);
  int n = f.out_pixels();
  for (int j = 0; j < n; ++j) {
    int index = f.mirror ? n - 1 - j : j;
    int x = f.crop_left - f.origin_x + index * f.prescale;
    PutPixel(f.pixel, PatternPixel(f.standard, field, x, row), j, out);
  }
}

std::vector<std::uint8_t> ExpectedCaptureLine(const CaptureFormat& f, std::uint32_t field, int line) {
  std::vector<std::uint8_t> bytes(f.line_bytes());
  RenderCaptureLine(f, field, line, bytes.data());
  return bytes;
}

std::int64_t DecodeFieldStamp(const std::uint8_t* line, CapturePixel pixel) {
  std::int64_t value = 0;
  for (int bit = 0; bit < kStampBits; ++bit) {
    int level = 0;
    for (int half = 0; half < 2; ++half) {
      int i = 2 * bit + half;
      switch (pixel) {
        case CapturePixel::kYuv422:
          level += line[2 * i] > 128;
          break;
        case CapturePixel::kRgb555:
          level += ((line[2 * i] | line[2 * i + 1] << 8) >> 5 & 0x1F) > 16;
          break;
        case CapturePixel::kRgb24:
          level += line[3 * i + 1] > 128;
          break;
        case CapturePixel::kRgb32:
          level += line[4 * i + 1] > 128;
          break;
        case CapturePixel::kNone:
          return -1;
      }
    }
    if (level == 1) return -1;  // both pixels of a stamp pair agree
    if (level == 2) value |= std::int64_t{1} << bit;
  }
  return value;
}

}  // namespace sim
