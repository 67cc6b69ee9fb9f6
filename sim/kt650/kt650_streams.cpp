#include "sim/kt650/kt650_streams.h"

#include <algorithm>

#include "platform/pixel_encoding.h"
#include "sim/display/display_formats.h"
#include "sim/kt650/kt650_registers.h"

namespace sim {

using namespace kt650;

namespace {

constexpr unsigned kChannelBits = 8;

// Shown pixel i comes from source pixel i * num / den; den == num is 1:1.
struct Step {
  std::uint64_t num = 1;
  std::uint64_t den = 1;
  std::uint64_t Source(std::uint64_t shown) const { return shown * num / den; }
};

// Chip 0x8A22: source pixels per shown pixel as a fraction of kScaleOne8A22; 0 and
// anything from 1 up (a reduction) show 1:1.
Step FractionStep(std::uint32_t scale) {
  std::uint32_t fraction = scale & kScaleFractionMask;
  if (fraction == 0 || fraction >= kScaleOne8A22) return {};
  return Step{fraction, std::uint64_t{1} << kScaleFractionBits};
}

// Older chips: `source` pixels spread over `shown`; only an enlargement scales.
Step SizeStep(std::uint32_t source, std::uint32_t shown) {
  if (shown == 0 || source >= shown) return {};
  return Step{source, shown};
}

Step HorizontalStep(const Kt650StreamsRegisters& r, bool fractionScale, std::uint32_t shownWidth) {
  if (fractionScale) return FractionStep(r.horizontal_scale);
  if (r.horizontal_scale == 0) return {};
  return SizeStep((r.horizontal_scale & kScaleSourceMask) + 1, shownWidth);
}

Step VerticalStep(const Kt650StreamsRegisters& r, bool fractionScale) {
  if (fractionScale) return FractionStep(r.vertical_scale0);
  if (r.vertical_scale0 == 0 && r.vertical_scale1 == 0 && r.vertical_scale2 == 0) return {};
  // The register holds twice the shown height less one: the chip counts half lines.
  return SizeStep((r.vertical_scale0 & kScaleSourceMask) + 1, ((r.vertical_scale2 & kScaleShownMask) + 1) / 2);
}

std::uint32_t Rgb24(BYTE r, BYTE g, BYTE b) { return std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b; }

// One pixel of the secondary stream: the colour it shows and its three components
// as the chroma key sees them.
struct VideoPixel {
  COLORREF colour;
  std::uint32_t components;
};

class SecondaryStream {
 public:
  SecondaryStream(const Kt650StreamsRegisters& r, const DisplayMemory& memory)
      : memory_(memory),
        start_(r.secondary_start),
        stride_(r.secondary_stride),
        format_(r.secondary_control >> kSecondaryFormatShift & kSecondaryFormatMask) {}

  bool Known() const { return BytesPerPixel() != 0; }

  // False where the pixel lies outside display memory.
  bool At(std::uint64_t x, std::uint64_t y, VideoPixel* pixel) const {
    // A YUV pixel reads its pair: Y0 Cb Y1 Cr.
    std::uint64_t column = format_ == kSecondaryYuv422 ? x & ~std::uint64_t{1} : x;
    std::uint64_t at = start_ + y * stride_ + column * BytesPerPixel();
    std::uint64_t bytes = format_ == kSecondaryYuv422 ? 4 : BytesPerPixel();
    if (at + bytes > memory_.mapped_size()) return false;
    const BYTE* p = memory_.base() + at;
    if (format_ == kSecondaryYuv422) {
      BYTE luma = p[(x & 1) ? 2 : 0];
      *pixel = VideoPixel{YuvToRgb(luma, p[1], p[3]), Rgb24(luma, p[1], p[3])};
    } else {
      *pixel = VideoPixel{RGB(p[2], p[1], p[0]), Rgb24(p[2], p[1], p[0])};
    }
    return true;
  }

 private:
  std::uint32_t BytesPerPixel() const {
    switch (format_) {
      case kSecondaryYuv422:
        return 2;
      case kSecondaryRgb24:
        return 3;
      case kSecondaryRgb32:
        return 4;
      default:
        return 0;
    }
  }

  const DisplayMemory& memory_;
  std::uint64_t start_;
  std::uint64_t stride_;
  std::uint32_t format_;
};

// Whether the video shows over one desktop pixel (see the header).
class Key {
 public:
  Key(const Kt650StreamsRegisters& r, const DesktopMode& desktop)
      : mode_(r.blend_control >> kComposeModeShift & kComposeModeMask),
        control_(r.key_control),
        upper_(r.chroma_upper & kKeyValueBits),
        desktop_(desktop) {
    unsigned bits = (control_ >> kKeyPrecisionShift & kKeyPrecisionMask) + 1;
    std::uint32_t channel = (0xFFu << (kChannelBits - bits)) & 0xFFu;
    precision_ = Rgb24(BYTE(channel), BYTE(channel), BYTE(channel));
  }

  bool Composes() const { return mode_ == kComposeColourKey || mode_ == kComposeChromaKey; }

  bool ShowsVideo(DWORD desktopValue, const VideoPixel& video) const {
    if (mode_ == kComposeChromaKey) return !WithinChromaBounds(video.components);
    switch (control_ & kKeyKindBits) {
      case kKeyKindRgb: {
        COLORREF c = platform::DecodeColor(desktop_.format, desktopValue);
        std::uint32_t colour = Rgb24(GetRValue(c), GetGValue(c), GetBValue(c));
        return ((colour ^ control_) & precision_) == 0;
      }
      case kKeyKindIndex:
        return desktop_.format.dwRGBBitCount == 8 && desktopValue == (control_ & kKeyIndexBits);
      default:
        return false;
    }
  }

 private:
  bool WithinChromaBounds(std::uint32_t components) const {
    for (unsigned shift = 0; shift < 3 * kChannelBits; shift += kChannelBits) {
      std::uint32_t v = components >> shift & 0xFF, low = control_ >> shift & 0xFF, high = upper_ >> shift & 0xFF;
      if (v < low || v > high) return false;
    }
    return true;
  }

  std::uint32_t mode_;
  std::uint32_t control_;
  std::uint32_t upper_;
  const DesktopMode& desktop_;
  std::uint32_t precision_;
};

}  // namespace

void ComposeKt650Streams(const Kt650StreamsRegisters& registers, bool fractionScale, const DisplayMemory& memory,
                         const DesktopMode& desktop, Picture* picture) {
  Key key(registers, desktop);
  SecondaryStream video(registers, memory);
  if (!key.Composes() || !video.Known()) return;
  auto field = [](std::uint32_t value, unsigned shift) { return value >> shift & kWindowFieldMask; };
  auto signedField = [&](std::uint32_t value, unsigned shift) {
    return std::int64_t{static_cast<std::int16_t>(field(value, shift))};
  };
  std::int64_t left = signedField(registers.window_position, kWindowHighShift) - 1;
  std::int64_t top = signedField(registers.window_position, 0) - 1;
  std::uint32_t width = (field(registers.window_size, kWindowHighShift) + 1) & kWindowFieldMask;
  std::uint32_t height = field(registers.window_size, 0);
  Step across = HorizontalStep(registers, fractionScale, width);
  Step down = VerticalStep(registers, fractionScale);

  const BYTE* desktopBase = memory.base() + desktop.offset;
  auto clip = [](std::int64_t from, std::uint32_t size, DWORD limit, std::int64_t* first, std::int64_t* end) {
    *first = std::max<std::int64_t>(0, -from);
    *end = std::min<std::int64_t>(size, std::int64_t{limit} - from);
  };
  std::int64_t firstRow, endRow, firstColumn, endColumn;
  clip(top, height, std::min(desktop.height, picture->height), &firstRow, &endRow);
  clip(left, width, std::min(desktop.width, picture->width), &firstColumn, &endColumn);
  for (std::int64_t row = firstRow; row < endRow; ++row) {
    auto y = static_cast<DWORD>(top + row);
    const BYTE* desktopLine = desktopBase + static_cast<std::ptrdiff_t>(y) * desktop.pitch;
    std::uint64_t sourceRow = down.Source(static_cast<std::uint64_t>(row));
    for (std::int64_t column = firstColumn; column < endColumn; ++column) {
      auto x = static_cast<DWORD>(left + column);
      VideoPixel pixel;
      if (!video.At(across.Source(static_cast<std::uint64_t>(column)), sourceRow, &pixel)) continue;
      if (!key.ShowsVideo(platform::ReadPixelValue(desktopLine, x, desktop.format.dwRGBBitCount), pixel)) continue;
      BYTE* out = &picture->rgb[(static_cast<std::size_t>(y) * picture->width + x) * 3];
      out[0] = GetRValue(pixel.colour);
      out[1] = GetGValue(pixel.colour);
      out[2] = GetBValue(pixel.colour);
    }
  }
}

}  // namespace sim
