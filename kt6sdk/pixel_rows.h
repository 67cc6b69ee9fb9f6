// Row helpers of the rectangle calls: one display row converted to or from the
// caller's format, n pixels from src to dst.
#pragma once

#include <cstdint>

namespace kt6 {

// Bytes 0, 2, 4 ... of src (the Y of a YUV 4:2:2 row).
void KT6ExtractLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
// Each grey byte g to g, 0x80: grey with neutral chroma.
void KT6GreyToYuv(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
void KT6CopyBytes(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);

// b0, b1, b2 to b0, b1, b2, 0 and back (the fourth byte dropped).
void Widen24To32(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
void Narrow32To24(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
// g to g, g, g (and a fourth byte 0).
void GreyTo24(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
void GreyTo32(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
// The Y that KT6Rgb2Yuv gives each pixel of a 24- or 32-bit B, G, R row.
void Rgb24ToLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);
void Rgb32ToLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);

// An entry of five arguments that does nothing: 0, or -1 before KT6Init.
std::int32_t KT6PixelEntryReserved(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                                   void* buffer);

}  // namespace kt6
