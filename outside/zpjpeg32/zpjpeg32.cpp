// The codec's entry points: arguments checked before any file is touched, the
// file opened by its Windows name, the work done on the open stream.
#include "outside/zpjpeg32/zpjpeg32.h"

#include <cstdio>
#include <string>

#include "outside/zpjpeg32/jpeg_coding.h"
#include "platform/paths.h"

namespace {

constexpr std::uint32_t kLastDctMethod = 2;
constexpr std::uint8_t kQualityMax = 100;
constexpr std::uint32_t kRestartIntervalMax = 0xFFFF;
constexpr std::uint32_t kAddressable = 0x10000;  // rows and columns are 16-bit

bool KnownColourType(std::uint32_t type) {
  std::uint8_t low = static_cast<std::uint8_t>(type);
  return low == kJpegGrey || low == kJpegColour;
}

bool Colour(std::uint32_t type) { return static_cast<std::uint8_t>(type) == kJpegColour; }

bool SaveArgumentsGood(JPEGLineReader reader, JPEGRegion r, std::uint32_t colourType, const JPEGSaveOptions& o,
                       const char* name) {
  if (!reader || !name || !*name || !KnownColourType(colourType)) return false;
  if (!r.right || !r.bottom || std::uint32_t(r.left) + r.right > kAddressable ||
      std::uint32_t(r.top) + r.bottom > kAddressable)
    return false;
  std::uint8_t sampling = o.sampling, flags = o.option2, quality = o.option1;
  std::uint32_t restart = o.option3;
  if (sampling != (Colour(colourType) ? kJpegSamplingColour : kJpegSamplingGrey)) return false;
  return quality <= kQualityMax && !(flags & ~(kJpegProgressive | kJpegOptimised)) && restart <= kRestartIntervalMax;
}

std::FILE* Open(const char* name, const char* mode) { return std::fopen(platform::MapPath(name).c_str(), mode); }

}  // namespace

std::int32_t JPEG_Frame2File_Compress(JPEGLineReader reader, JPEGRegion region, std::uint32_t colourType,
                                      JPEGSaveOptions options, const char* fileName) {
  if (!SaveArgumentsGood(reader, region, colourType, options, fileName)) return kJpegBadArguments;
  std::string path = platform::MapPath(fileName);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return kJpegFileNotOpened;
  std::int32_t result = zpjpeg::CompressTo(out, reader, region, Colour(colourType), options);
  if (std::fclose(out) != 0 && result == kJpegOk) result = kJpegFailed;
  // No half-written file is left behind.
  if (result != kJpegOk) std::remove(path.c_str());
  return result;
}

std::int32_t JPEG_File2Frame_Decompress(const char* fileName, JPEGRegion region, std::uint32_t colourType,
                                        JPEGLineWriter writer, std::uint32_t loadValue1, std::uint32_t) {
  if (!fileName || !*fileName || !writer || !KnownColourType(colourType) || !region.right || !region.bottom ||
      loadValue1 > kLastDctMethod)
    return kJpegBadArguments;
  std::FILE* in = Open(fileName, "rb");
  if (!in) return kJpegFileNotOpened;
  std::int32_t result = zpjpeg::DecompressFrom(in, region, Colour(colourType), writer, loadValue1);
  std::fclose(in);
  return result;
}

std::int32_t ZPInquireJPGVals(const char* fileName, std::uint32_t* width, std::uint32_t* height, std::uint32_t* kind,
                              std::uint32_t* xDensity, std::uint32_t* yDensity) {
  if (!fileName || !*fileName || !width || !height || !kind || !xDensity || !yDensity) return kJpegBadArguments;
  std::FILE* in = Open(fileName, "rb");
  if (!in) return kJpegFileNotOpened;
  std::int32_t result = zpjpeg::InquireFrom(in, width, height, kind, xDensity, yDensity);
  std::fclose(in);
  return result;
}
