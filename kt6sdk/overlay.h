// The capture buffer's geometry and how the streams processor shows it: the grab
// window and decimation, the video frame in display memory, the image frame and
// window with their zoom, and the compose mode. Library-internal forms of the
// exports, without their checks of the initialised board.
#pragma once

#include <cstdint>

namespace kt6 {

// Compose modes of the blend control.
constexpr std::uint32_t kOverlayDesktopOnly = 0x1000000;
constexpr std::uint32_t kOverlayColorKey = 0x5000000;
constexpr std::uint32_t kOverlayChromaKey = 0x6000000;

// Pixel modes of the board configuration.
constexpr std::uint8_t kPixelModeRgb24 = 4;
constexpr std::uint8_t kPixelModeRgb32 = 8;

// Bytes per pixel of the capture buffer in the configured pixel mode.
std::uint32_t CaptureBytesPerPixel();

void SetOverlayMode(std::uint32_t mode);

// The divisor of a decimation mask (either column), or the mask itself when it is
// none of the table's.
std::uint32_t DecimationDivisor(std::uint32_t mask);
std::int32_t SetGrabWindow(std::uint16_t flags, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                           std::uint16_t height);
std::int32_t SetScaleFactors(std::uint32_t hmask, std::uint32_t vmask);
// The window and decimation registers of the grab window as stored.
void WriteGrabWindowRegisters();
void WriteDecimationRegisters();

std::int32_t SetVideoFrame(std::uint16_t type, std::uint32_t offset, std::uint16_t width, std::uint16_t height);
// The capture surface, if any, goes (KT6Close).
void ReleaseCaptureSurface();

std::int32_t SetImageFrame(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height);
std::int32_t SetImageWindow(std::int16_t x, std::int16_t y);
std::int32_t SetZoomFactorsEx(std::uint16_t srcW, std::uint16_t dstW, std::uint16_t srcH, std::uint16_t dstH);
void UpdateOverlayWindowSize();

// The video port restarted by a pulse of bit 4 of its mode register; gives the
// register's value without the bit.
std::uint32_t PulseVideoPortReset();
// The pulse, then the port's mode for the chip.
void ResetVideoPort();

}  // namespace kt6
