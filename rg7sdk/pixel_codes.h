// Memory pixel layouts of the 700-series library (RG7PixelCode).
#pragma once

#include <cstdint>

namespace rg7 {

// Bytes a pixel of `code` takes as the board writes it; 0 for codes it cannot write.
constexpr std::uint32_t BytesPerPixel(std::uint32_t code) {
  switch (code) {
    case 0:
    case 1:
      return 1;
    case 2:
    case 3:
    case 6:
      return 2;
    case 4:
      return 3;
    case 5:
      return 4;
    default:
      return 0;
  }
}

}  // namespace rg7
