// The JPEG codec library ZPJPEG32: three entry points that the 650-series library
// finds by name, over libjpeg-turbo. The library pulls or pushes the picture a line
// at a time through a caller's callback, in the board's YUV 4:2:2.
//
// Lines: `count` pixels of YUV 4:2:2 (Y0 Cb Y1 Cr, two bytes a pixel, the chroma
// pair taken at even pixels), CCIR 601 studio range (Y 16-235, chroma 16-240). The
// files are baseline (or progressive) JFIF, which is full range: the library
// converts both ways, so that other programs show the files with their contrast.
//
// Colour types (the low byte counts): 1 grey, 2 colour.
//
// Results: 0 done; -3 bad arguments (nothing opened or created); -5 the file could
// not be opened or created; -1 anything else (a damaged or unsupported file, a
// callback that failed, a write that failed). libjpeg's own error handling, which
// ends the process, is never used; a save that fails removes its file.
#pragma once

#include <cstdint>

#if defined(ZPJPEG32_BUILD)
#define ZPJPEG32_API __attribute__((visibility("default")))
#else
#define ZPJPEG32_API
#endif

extern "C" {

// Four u16 values, passed by value. Compress: {x, y, width, height} of the region
// read. Decompress: {dstX, dstY, right, bottom}: file rows 0 to min(bottom, file
// height) - 1 go to rows dstY + row, min(right, file width) pixels each from
// column 0 of the file, all written at x = dstX.
struct JPEGRegion {
  std::uint16_t left;
  std::uint16_t top;
  std::uint16_t right;
  std::uint16_t bottom;
};
static_assert(sizeof(JPEGRegion) == 8);

constexpr std::uint32_t kJpegGrey = 1;
constexpr std::uint32_t kJpegColour = 2;

// Save options, 12 bytes passed by value.
//   option1: quality 1-100, 0 means 75; above 100 is -3.
//   option2: bit 0 progressive, bit 1 optimised Huffman tables; other bits -3.
//   sampling: 2 with colour type 1, 0 with colour type 2 (chroma 2x1, taken
//     straight from the line's pairs); any other pairing is -3.
//   option3: restart interval in MCUs, 0 none; above 65535 is -3.
//   option4: dots per inch, stored as the file's density; 0 stores no unit.
#pragma pack(push, 1)
struct JPEGSaveOptions {
  std::uint8_t option1;
  std::uint8_t option2;
  std::uint8_t sampling;
  std::uint32_t option3;
  std::uint16_t option4;
  std::uint8_t unset[3];
};
#pragma pack(pop)
static_assert(sizeof(JPEGSaveOptions) == 12);

constexpr std::uint8_t kJpegProgressive = 0x1;
constexpr std::uint8_t kJpegOptimised = 0x2;
constexpr std::uint8_t kJpegSamplingColour = 0;
constexpr std::uint8_t kJpegSamplingGrey = 2;

// Save: fills `count` pixels of row `row` from column x into `yuv` (room for
// 2 x count bytes, count rounded up to even; it holds neutral grey before the
// call). 0 on success; anything else ends the save with -1.
using JPEGLineReader = std::int32_t (*)(std::uint16_t x, std::uint16_t row, std::uint16_t count, void* yuv);
// Load: takes `count` pixels (2 x count bytes) for row `row` from column x. A grey
// file, or colour type 1, gives chroma 0x80. 0 on success; anything else ends the
// load with -1.
using JPEGLineWriter = std::int32_t (*)(std::uint16_t x, std::uint16_t row, std::uint16_t count, const void* yuv);

// Rows y .. y + height - 1 of the region through the reader into a new file.
// Colour type 2 writes Y, Cb, Cr with 2x1 chroma; colour type 1 one grey component
// from the Y bytes. An empty region is -3.
ZPJPEG32_API std::int32_t JPEG_Frame2File_Compress(JPEGLineReader reader, JPEGRegion region, std::uint32_t colourType,
                                                   JPEGSaveOptions options, const char* fileName);
// The file through the writer as the region says. Load value 1: the DCT method
// (0 accurate integer, 1 fast integer, 2 floating point; others -3); load value 2
// is reserved and ignored. right or bottom 0 is -3.
ZPJPEG32_API std::int32_t JPEG_File2Frame_Decompress(const char* fileName, JPEGRegion region, std::uint32_t colourType,
                                                     JPEGLineWriter writer, std::uint32_t loadValue1,
                                                     std::uint32_t loadValue2);
// The file's size, kind (0 colour, 1 grey) and density in dots per inch (0 when
// the file gives no unit). Null outputs are -3.
ZPJPEG32_API std::int32_t ZPInquireJPGVals(const char* fileName, std::uint32_t* width, std::uint32_t* height,
                                           std::uint32_t* kind, std::uint32_t* xDensity, std::uint32_t* yDensity);
}

constexpr std::int32_t kJpegOk = 0;
constexpr std::int32_t kJpegFailed = -1;
constexpr std::int32_t kJpegBadArguments = -3;
constexpr std::int32_t kJpegFileNotOpened = -5;
