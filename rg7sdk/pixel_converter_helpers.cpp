#include <cstring>

#include "rg7sdk/pixel_converter.h"

namespace rg7 {

int PixelConverter::BitsPerPixelOfCode(int code) {
  switch (code) {
    case 0:
    case 1:
      return 8;
    case 2:
    case 3:
    case 6:
      return 16;
    case 4:
      return 24;
    case 5:
      return 32;
    default:
      return 0;
  }
}

void PixelConverter::Histogram(const std::uint8_t* source, std::uint32_t width, std::uint32_t height, int code,
                               std::uint32_t* bins) {
  if (!bins) return;
  std::memset(bins, 0, 256 * sizeof(std::uint32_t));
  if (!source || (code != 4 && code != 6)) return;
  // B, G, R pixels count their first byte; YUV 4:2:2 words their low byte, the luma.
  const std::size_t step = code == 4 ? 3 : 2;
  const std::uint64_t pixels = std::uint64_t{width} * height;
  for (std::uint64_t i = 0; i < pixels; ++i) ++bins[source[i * step]];
}

void PixelConverter::CopyWords(std::uint32_t* destination, const std::uint32_t* source, std::uint32_t count) {
  if (count) std::memmove(destination, source, std::size_t{count} * 4);
}

}  // namespace rg7
