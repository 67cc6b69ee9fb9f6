// The desktop's display mode as VESA numbers it, which modes each chip can show
// the capture on, and how the streams processor's primary stream lays each out.
#pragma once

#include <cstdint>

namespace kt6 {

namespace mode {
constexpr std::uint16_t k640x480x8 = 0x101;
constexpr std::uint16_t k640x480x15 = 0x110;
constexpr std::uint16_t k640x480x16 = 0x111;
constexpr std::uint16_t k640x480x24 = 0x112;
constexpr std::uint16_t k640x480x32 = 0x212;
constexpr std::uint16_t k800x600x8 = 0x103;
constexpr std::uint16_t k800x600x15 = 0x113;
constexpr std::uint16_t k800x600x16 = 0x114;
constexpr std::uint16_t k800x600x24 = 0x115;
constexpr std::uint16_t k800x600x32 = 0x215;
constexpr std::uint16_t k1024x768x8 = 0x105;
constexpr std::uint16_t k1024x768x15 = 0x116;
constexpr std::uint16_t k1024x768x16 = 0x117;
constexpr std::uint16_t k1024x768x24 = 0x118;
constexpr std::uint16_t k1024x768x32 = 0x218;
constexpr std::uint16_t k1280x1024x8 = 0x107;
constexpr std::uint16_t k1280x1024x15 = 0x119;
constexpr std::uint16_t k1280x1024x16 = 0x11A;
constexpr std::uint16_t k1280x1024x24 = 0x11B;
constexpr std::uint16_t k1280x1024x32 = 0x21B;
}  // namespace mode

// The mode of a desktop of this size and depth; 0 for none of the sixteen.
std::uint16_t DisplayModeCode(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);
bool ModeAllowed(std::uint16_t chip, std::uint16_t mode);
// A 16-bit mode that the chip runs as 15-bit is the mode one lower.
bool HasFifteenBitTwin(std::uint16_t mode);

// The primary stream of a mode: its format in the streams processor, the format of
// a colour key on it, its line stride, size and bytes per pixel. All zero for a
// mode not in the table.
struct PrimaryStream {
  std::uint32_t format;
  std::uint32_t key_format;
  std::uint32_t stride;
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t bytes_per_pixel;
};
PrimaryStream PrimaryStreamOf(std::uint16_t mode);

}  // namespace kt6
