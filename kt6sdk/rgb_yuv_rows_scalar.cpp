// The baseline RGB to YUV rows, a pair at a time; also the vector rows' tails.
#include <cstring>

#include "kt6sdk/rgb_yuv_pixel.h"
#include "kt6sdk/rgb_yuv_rows.h"

namespace kt6 {
namespace {

template <unsigned kStep, bool kRgbOrder>
void Pairs(const std::uint8_t* s, std::uint8_t* d, std::uint32_t pairs) {
  for (std::uint32_t k = 0; k < pairs; ++k) {
    const std::uint8_t* p = s + std::uintptr_t(k) * 2 * kStep;
    std::uint32_t word = PairWord<kRgbOrder>(p, p + kStep);
    std::memcpy(d + 4 * std::uintptr_t(k), &word, 4);
  }
}

}  // namespace

const RgbYuvRows kScalarRgbYuvRows = {Pairs<3, false>, Pairs<3, true>, Pairs<4, false>, Pairs<4, true>};

}  // namespace kt6
