// Rows of DIBs and BMP files, top first, and a CCIR 601 reference of the tests'
// own to hold delivered RGB pixels against the YUV 4:2:2 lines the DMA wrote.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

// Rows top first without fill bytes, each pixel's bytes as stored.
struct Image {
  int width = 0;
  int height = 0;
  int bits = 0;
  Bytes pixels;
  std::size_t RowBytes() const { return static_cast<std::size_t>(width * bits / 8); }
  const std::uint8_t* Row(int row) const { return pixels.data() + static_cast<std::size_t>(row) * RowBytes(); }
};

inline std::int32_t Le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

// The BITMAPINFOHEADER fields the tests look at.
struct DibHeader {
  std::int32_t width, height, bits, colors;
};
inline DibHeader ReadDibHeader(const std::uint8_t* p) { return {Le32(p + 4), Le32(p + 8), p[14], Le32(p + 32)}; }

// A DIB's rows, top first whichever way they are stored.
inline Image DibRows(const std::uint8_t* header, const std::uint8_t* rows) {
  DibHeader h = ReadDibHeader(header);
  Image image{h.width, std::abs(h.height), h.bits, {}};
  const std::size_t stride = (image.RowBytes() + 3) / 4 * 4;
  for (int r = 0; r < image.height; ++r) {
    const std::uint8_t* row = rows + static_cast<std::size_t>(h.height > 0 ? image.height - 1 - r : r) * stride;
    image.pixels.insert(image.pixels.end(), row, row + image.RowBytes());
  }
  return image;
}
// A packed DIB: header, palette, rows.
inline Image DibImage(const Bytes& dib) { return DibRows(dib.data(), dib.data() + 40 + 4 * Le32(dib.data() + 32)); }
// A BMP file: the file header, whose bfOffBits finds the rows, then a DIB.
inline Image BmpImage(const Bytes& file) {
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return {};
  return DibRows(file.data() + 14, file.data() + Le32(file.data() + 10));
}

inline Image SwapRedAndBlue(Image image) {
  for (std::size_t p = 0; p + 2 < image.pixels.size(); p += 3) std::swap(image.pixels[p], image.pixels[p + 2]);
  return image;
}

// A delivered row against pixels x.. of a line as the DMA writes it (YUV 4:2:2):
// grey is the luma, colour R, G, B by CCIR 601 within one step of rounding.
inline bool RowMatches(const std::uint8_t* delivered, const Bytes& yuv, int x, int width, int bits) {
  for (int i = 0; i < width; ++i) {
    const int luma = yuv[2 * (x + i)], pair = 2 * ((x + i) & ~1);
    if (bits == 8) {
      if (delivered[i] != luma) return false;
      continue;
    }
    const double y = 255.0 / 219.0 * (luma - 16), u = 255.0 / 224.0 * (yuv[pair + 1] - 128),
                 v = 255.0 / 224.0 * (yuv[pair + 3] - 128);
    const double rgb[3] = {y + 1.402 * v, y - 0.344136 * u - 0.714136 * v, y + 1.772 * u};
    for (int c = 0; c < 3; ++c)
      if (std::abs(delivered[3 * i + c] - std::clamp(std::lround(rgb[c]), 0L, 255L)) > 1) return false;
  }
  return true;
}

}  // namespace testing_support
