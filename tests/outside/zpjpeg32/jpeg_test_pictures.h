// Pictures for the JPEG tests: colour bars as studio-range YUV 4:2:2 and as RGB,
// the studio-range conversions done independently in double precision, and what
// Pillow makes of a JPEG file.
#pragma once

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/image_files.h"

namespace jpeg_testing {

struct Rgb {
  int r, g, b;
};

// The eight bars of 75% colour bars: white, yellow, cyan, green, magenta, red,
// blue, black.
inline Rgb Bar(int i) {
  constexpr int kOn = 191;
  return {(i == 0 || i == 1 || i == 4 || i == 5) ? kOn : 0, (i <= 3) ? kOn : 0,
          (i == 0 || i == 2 || i == 4 || i == 6) ? kOn : 0};
}

inline std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::lround(v < 0 ? 0 : v > 255 ? 255 : v)); }

// BT.601 studio range.
inline void RgbToYuv(Rgb c, std::uint8_t* y, std::uint8_t* u, std::uint8_t* v) {
  double yy = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
  *y = Clamp(16 + yy * 219 / 255);
  *u = Clamp(128 + (c.b - yy) / 1.772 * 224 / 255);
  *v = Clamp(128 + (c.r - yy) / 1.402 * 224 / 255);
}

inline Rgb YuvToRgb(int y, int u, int v) {
  double yy = (y - 16) * 255.0 / 219, cb = (u - 128) * 255.0 / 224, cr = (v - 128) * 255.0 / 224;
  return {Clamp(yy + 1.402 * cr), Clamp(yy - 0.344136 * cb - 0.714136 * cr), Clamp(yy + 1.772 * cb)};
}

// Colour bars of `width` x `height` as YUV 4:2:2 rows; bar edges fall on even columns.
inline std::vector<std::uint8_t> BarsYuv(int width, int height) {
  std::vector<std::uint8_t> yuv(2 * std::size_t(width) * height);
  for (int r = 0; r < height; ++r)
    for (int x = 0; x < width; x += 2) {
      std::uint8_t y, u, v;
      RgbToYuv(Bar(x * 8 / width), &y, &u, &v);
      std::uint8_t* p = &yuv[2 * (std::size_t(r) * width + x)];
      p[0] = p[2] = y;
      p[1] = u;
      p[3] = v;
    }
  return yuv;
}

// What Pillow reads from a JPEG file.
struct PillowView {
  int width = 0, height = 0;
  std::string mode;
  int sampling = -1;  // 0 4:4:4, 1 4:2:2, 2 4:2:0
  bool progressive = false;
  int dpi = 0;
  std::vector<Rgb> pixels;  // row by row
  bool ok = false;
};

inline PillowView ReadWithPillow(const std::string& path) {
  int status = 0;
  std::string out = testing_support::RunPython(
      "from PIL import Image, JpegImagePlugin\n"
      "im = Image.open('" +
          path +
          "')\n"
          "print(im.size[0], im.size[1], im.mode, JpegImagePlugin.get_sampling(im),\n"
          "      int(bool(im.info.get('progressive'))), int(round(im.info.get('dpi', (0, 0))[0])))\n"
          "print(im.convert('RGB').tobytes().hex())\n",
      &status);
  PillowView view;
  if (status != 0) return view;
  std::istringstream in(out);
  int progressive = 0;
  std::string hex;
  in >> view.width >> view.height >> view.mode >> view.sampling >> progressive >> view.dpi >> hex;
  view.progressive = progressive != 0;
  for (std::size_t i = 0; i + 6 <= hex.size(); i += 6)
    view.pixels.push_back({std::stoi(hex.substr(i, 2), nullptr, 16), std::stoi(hex.substr(i + 2, 2), nullptr, 16),
                           std::stoi(hex.substr(i + 4, 2), nullptr, 16)});
  view.ok = view.pixels.size() == std::size_t(view.width) * view.height;
  return view;
}

// Colour bars written by Pillow as `path` with the given save arguments
// (e.g. "subsampling=2, quality=95"), in mode "RGB" or "L".
inline bool WriteBarsWithPillow(const std::string& path, int width, int height, const std::string& mode,
                                const std::string& arguments) {
  std::ostringstream program;
  program << "from PIL import Image\n"
          << "im = Image.new('RGB', (" << width << ", " << height << "))\n"
          << "for x in range(" << width << "):\n"
          << "  i = x * 8 // " << width << "\n"
          << "  on = 191\n"
          << "  c = (on if i in (0, 1, 4, 5) else 0, on if i <= 3 else 0, on if i in (0, 2, 4, 6) else 0)\n"
          << "  for y in range(" << height << "): im.putpixel((x, y), c)\n"
          << "im.convert('" << mode << "').save('" << path << "', 'JPEG', " << arguments << ")\n";
  int status = 0;
  testing_support::RunPython(program.str(), &status);
  return status == 0;
}

inline int Grey(Rgb c) { return static_cast<int>(std::lround(0.299 * c.r + 0.587 * c.g + 0.114 * c.b)); }

}  // namespace jpeg_testing
