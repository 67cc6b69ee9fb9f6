// Row converters between the board's YUV 4:2:2 and RGB or grey, in the CCIR 601
// fixed-point arithmetic the library fixes (scale 2048). The image-file classes
// derive from PixelConverter (a virtual base); its one virtual operation is
// Yuv422ToRgb32Row. No member uses the object's state.
//
// YUV 4:2:2 rows are pairs of pixels in 4 bytes Y0 U Y1 V; YYUV rows Y0 Y1 U V.
// 24- and 32-bit pixels are B, G, R (R, G, B with byte order 1); the converters
// leave the fourth byte of a 32-bit pixel as it was. RGB555 words hold red in bits
// 10-14, green 5-9, blue 0-4. Counts are pixels; a count of 0 or less converts
// nothing. An odd count converts its last pixel, which has no V byte, with neutral
// chroma, so that no converter reads or writes beyond 2 x count YUV bytes.
#pragma once

#include <cstdint>

namespace rg7 {

class PixelConverter {
 public:
  virtual void Yuv422ToRgb32Row(const std::uint8_t* source, std::uint8_t* destination, int count);

  // The cores: bits 24 or 32 (anything else is taken as 24); byte order 1 = RGB.
  void Yuv422ToRgbRow(const std::uint8_t* source, std::uint8_t* destination, int count, int bits, int byte_order,
                      int ignored);
  void RgbToYuv422Row(const std::uint8_t* source, std::uint8_t* destination, int count, int bits, int byte_order,
                      int ignored);

  void Yuv422ToRgb24Row(const std::uint8_t* source, std::uint8_t* destination, int count);
  void Rgb32ToYuv422Row(const std::uint8_t* source, std::uint8_t* destination, int count);
  void Rgb24ToYuv422Row(const std::uint8_t* source, std::uint8_t* destination, int count);
  void Yuv422ToRgb32RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count, int byte_order,
                               int ignored);
  void Yuv422ToRgb24RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count, int byte_order,
                               int ignored);
  void Rgb32ToYuv422RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count, int byte_order,
                               int ignored);
  void Rgb24ToYuv422RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count, int byte_order,
                               int ignored);

  void YuvToRgbPixel(int y, int u, int v, std::uint8_t* r, std::uint8_t* g, std::uint8_t* b);
  // Scale 10000; Y is not clamped (it stays in 16..234 for any colour).
  void RgbToYuvPixel(int r, int g, int b, std::uint8_t* y, std::uint8_t* u, std::uint8_t* v);

  void Yuv422ToRgb555Row(const std::uint8_t* source, std::uint16_t* destination, int count);
  // A whole width x height image to bottom-up B, G, R rows of width x 3 bytes;
  // chroma pairs run on across row ends.
  void Yuv422ToDib24(const std::uint8_t* source, std::uint8_t* destination, int width, int height);

  // Full-range YYUV (scale 128).
  void YyuvToRgb32Row(const std::uint8_t* source, std::uint8_t* destination, int count);
  void YyuvToRgb24Row(const std::uint8_t* source, std::uint8_t* destination, int count);
  void YyuvToRgb555Row(const std::uint8_t* source, std::uint16_t* destination, int count);

  // Grey stays in 1..254. weighted 0 takes each pixel's first byte.
  void Rgb24ToGreyRow(const std::uint8_t* source, std::uint8_t* destination, int count, int weighted);
  void Yuv422ToLumaRow(std::uint8_t* destination, const std::uint8_t* source, int count);

  // Helpers of the image-file classes that the library itself does not call.
  // Bits per pixel of an RG7PixelCode: 8, 8, 16, 16, 24, 32, 16; 0 for other codes.
  int BitsPerPixelOfCode(int code);
  // 256 bins, zeroed; code 4 counts each pixel's first byte, code 6 each pixel's
  // luma; other codes leave the bins zero.
  void Histogram(const std::uint8_t* source, std::uint32_t width, std::uint32_t height, int code, std::uint32_t* bins);
  void CopyWords(std::uint32_t* destination, const std::uint32_t* source, std::uint32_t count);

 protected:
  ~PixelConverter() = default;
};

}  // namespace rg7
