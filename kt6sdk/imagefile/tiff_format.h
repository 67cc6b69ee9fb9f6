// What the TIFF reader, writer and strip calls share: tag and type numbers, the
// size of a row as TIFF 6.0 counts it, and the strip stream record.
#pragma once

#include <cstdint>

#include "kt6sdk/imagefile/fio.h"

namespace fio::tiff {

enum Tag : std::uint16_t {
  kNewSubfileType = 254,
  kImageWidth = 256,
  kImageLength = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kImageDescription = 270,
  kMake = 271,
  kModel = 272,
  kStripOffsets = 273,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kMinSampleValue = 280,
  kMaxSampleValue = 281,
  kPlanarConfiguration = 284,
  kDateTime = 306,
  kArtist = 315,
  kHostComputer = 316,
  kYCbCrCoefficients = 529,
  kYCbCrSubSampling = 530,
  kYCbCrPositioning = 531,
  kReferenceBlackWhite = 532,
};

enum Type : std::uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

constexpr std::uint32_t kEntryBytes = 12;
constexpr std::uint16_t kPhotometricWhiteIsZero = 0;
constexpr std::uint16_t kPhotometricYCbCr = 6;
constexpr std::uint32_t kNoStrip = 0xFFFFFFFFu;

// Bytes of one image row. YCbCr rows are made of data units of h luma samples and
// one Cb and one Cr sample (vertical subsampling 1), h = the horizontal
// subsampling; every other kind holds samples x bits per pixel, rounded up to bytes.
std::uint64_t RowBytes(const FIOTIFFDesc& desc);

}  // namespace fio::tiff

// The strip stream behind FIOBufRequestTIFF; opaque to callers.
struct TIFFStripStream {
  std::uint32_t file_handle;
  std::uint32_t buffer_size;
  std::uint32_t direction;  // 1 write, 0 read
  std::uint32_t bytes_left;
  std::uint32_t rows_per_buffer;  // 0 when a row is wider than the buffer
  std::uint32_t bytes_per_buffer;
  std::uint8_t* buffer;
  std::uint8_t* position;
  std::uint32_t strip_bytes;  // written to the current strip
  std::uint32_t first_row_held;
  std::uint32_t end_row_held;
  std::uint32_t* strip_offsets;  // write
  std::uint32_t* strip_byte_counts;
};
