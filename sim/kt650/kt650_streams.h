// The 650-series chip's streams processor as the monitor shows it: the secondary
// stream (video somewhere in display memory) laid over the primary stream (the
// desktop) where the compose mode of the blend control and its key let it through.
//
// How the keys read:
// - Colour key, RGB kind: the desktop pixel's colour (a palette desktop's palette
//   colour) matches the key when the top n + 1 bits of each of its channels, n the
//   precision field, equal the key's: 7 compares all eight bits, 5 the six a palette
//   desktop's DAC keeps, 4 the five a 15/16-bit desktop keeps of red and blue.
// - Colour key, index kind: the desktop pixel's value equals the index; only an 8-bit
//   desktop matches. Any other kind never matches, so the video stays hidden.
// - Chroma key: it keys the video. A video pixel whose three components (Y, Cb, Cr
//   for YUV sources, R, G, B for RGB ones; the first in bits 16-23 of the bounds) all
//   lie within the low and high bounds lets the desktop through; all eight bits count.
//
// A window position field reads as a signed 16-bit number, so that a window reaching
// past the left or top edge is clipped there; a width field of 0xFFFF (a width of 0
// less one) shows nothing. Source pixels outside display memory are not drawn, nor is
// a source format other than YUV 4:2:2, RGB 24 and RGB 32.
#pragma once

#include <cstdint>

#include "sim/display/display.h"

namespace sim {

// The streams registers that a composition reads, as they are at its start.
struct Kt650StreamsRegisters {
  std::uint32_t key_control = 0;
  std::uint32_t secondary_control = 0;
  std::uint32_t chroma_upper = 0;
  std::uint32_t horizontal_scale = 0;
  std::uint32_t blend_control = 0;
  std::uint32_t secondary_start = 0;
  std::uint32_t secondary_stride = 0;
  std::uint32_t vertical_scale0 = 0;
  std::uint32_t vertical_scale1 = 0;
  std::uint32_t vertical_scale2 = 0;
  std::uint32_t window_position = 0;
  std::uint32_t window_size = 0;
};

// Draws the secondary stream into `picture`, the monitor's picture of the desktop
// in `desktop` (whose pixels the colour key reads from `memory`). fractionScale: the
// scale registers hold fractions (chip 0x8A22), else source sizes (older chips).
PLATFORM_EXPORT void ComposeKt650Streams(const Kt650StreamsRegisters& registers, bool fractionScale,
                                         const DisplayMemory& memory, const DesktopMode& desktop, Picture* picture);

}  // namespace sim
