// The row work of the image-file exports: which file pixels each save format code
// writes in each container and pixel mode, the conversions between a frame line and
// a file row, and the checks every export makes of its name and rectangle.
#pragma once

#include <cstdint>

#include "kt6sdk/pixel_access.h"

namespace kt6::image_file {

// What the saves and loads share: the stream size and the TGA image kinds.
constexpr std::uint32_t kStreamBytes = 8192;
constexpr std::uint8_t kTgaTopRowFirst = 0x20;  // image descriptor
constexpr std::uint8_t kTgaTrueColour = 2;      // image types
constexpr std::uint8_t kTgaGrey = 3;

// How a pixel mode keeps its pixels: mono and YUV both as YUV 4:2:2 words.
enum class FrameKind : std::uint8_t { kYuv, kRgb24, kRgb32 };

enum class Container : std::uint8_t { kBmp, kTga, kTiff };

// Pixels of a saved file row.
enum class SavePixels : std::uint8_t {
  kNone,
  kGrey8,
  kBgr24,
  kBgr555,  // 16 bits, little-endian
  kBgr32,   // fourth byte 0
  kRgb24,   // TIFF's sample order
  kYCbCr,   // data units Y0 Y1 Cb Cr
};

// Pixels of a loaded file row.
enum class LoadPixels : std::uint8_t {
  kGrey8,
  kBgr555,
  kBgr24,
  kBgr32,
  kRgb24,
  kRgb32,
  kYCbCr422,  // data units Y0 Y1 Cb Cr
  kYCbCr444,  // Y Cb Cr a pixel
};

FrameKind FrameKindOf(std::uint8_t pixelMode);

// The file pixels of a save format code, kNone when the container or the pixel
// mode has no such format.
SavePixels SaveFormat(Container container, std::uint16_t code, std::uint8_t pixelMode);
std::uint32_t SaveBytesPerPixel(SavePixels pixels);
// Bytes of an unpadded file row.
std::uint32_t SaveRowBytes(SavePixels pixels, std::uint32_t width);

// Bytes the conversions may use around a line of `count` pixels: a frame line (with
// one spare pixel for an odd YCbCr row) or the scratch line.
std::uint32_t LineBytes(std::uint32_t count);

// A frame line of `count` pixels into a file row. `line` holds LineBytes(count).
void ConvertForSave(SavePixels pixels, FrameKind frame, std::uint8_t* line, std::uint32_t count, std::uint8_t* row,
                    std::uint8_t* scratch);

// What a load writes besides the pixels' colour.
struct LoadGrey {
  bool yuv;  // YUV frames: chroma 0x80
  bool rgb;  // RGB frames: each pixel's grey in all three colour bytes
};

// Pixels srcX .. srcX + count - 1 of a whole file row into a frame line at column
// dstX. An RGB frame's `line` takes the run; a YUV frame's holds the frame's pixels of
// SpanOf(dstX, count) (yuv_pairs.h), as read, and takes the run into its pairs.
// `scratch` holds LineBytes(count), `work` LoadWorkBytes(count).
void ConvertForLoad(LoadPixels pixels, FrameKind frame, const std::uint8_t* row, std::uint32_t srcX,
                    std::uint32_t count, std::uint32_t dstX, LoadGrey grey, std::uint8_t* line, std::uint8_t* scratch,
                    std::uint8_t* work);
std::uint32_t LoadWorkBytes(std::uint32_t count);

// -34 unless the 4 characters from the last '.' of the name are `extension`
// (".bmp"), in any case.
std::int32_t CheckExtension(const char* name, const char* extension);

// A rectangle of the frame, clipped.
struct Rect {
  std::uint32_t x, y, width, height;
};

// The save rectangle within the frame: -34 when x or y lies past it or nothing is
// left of the rectangle.
std::int32_t ClipToFrame(const FrameView& frame, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                         std::uint32_t height, Rect* rect);

// Work memory of the exports from the global heap, zero-filled; null when it fails.
std::uint8_t* AllocRows(std::uint32_t bytes);
void FreeRows(std::uint8_t* rows);

}  // namespace kt6::image_file
