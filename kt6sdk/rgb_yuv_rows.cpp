// Which RGB to YUV row set this processor runs, and the pixel steps no row set
// covers.
#include "kt6sdk/rgb_yuv_rows.h"

#include <cstring>
#include <initializer_list>

#include "kt6sdk/rgb_yuv_pixel.h"

namespace kt6 {

const RgbYuvRows* RgbYuvRowsOf(RgbYuvLevel level) {
  __builtin_cpu_init();
  switch (level) {
    case RgbYuvLevel::kScalar:
      return &kScalarRgbYuvRows;
    case RgbYuvLevel::kSsse3:
      return __builtin_cpu_supports("ssse3") ? &kSsse3RgbYuvRows : nullptr;
    case RgbYuvLevel::kAvx2:
      return __builtin_cpu_supports("avx2") ? &kAvx2RgbYuvRows : nullptr;
    case RgbYuvLevel::kAvx512:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512bw") &&
                     __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vnni")
                 ? &kAvx512RgbYuvRows
                 : nullptr;
  }
  return nullptr;
}

const RgbYuvRows& FastestRgbYuvRows() {
  static const RgbYuvRows* const fastest = [] {
    for (RgbYuvLevel level : {RgbYuvLevel::kAvx512, RgbYuvLevel::kAvx2, RgbYuvLevel::kSsse3})
      if (const RgbYuvRows* rows = RgbYuvRowsOf(level)) return rows;
    return &kScalarRgbYuvRows;
  }();
  return *fastest;
}

void RgbPairsToYuv(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t pairs, unsigned step, bool rgbOrder) {
  const RgbYuvRows& rows = FastestRgbYuvRows();
  if (step == 3) return (rgbOrder ? rows.rgb24 : rows.bgr24)(src, dst, pairs);
  if (step == 4) return (rgbOrder ? rows.rgbx : rows.bgrx)(src, dst, pairs);
  // Any other step the caller's bit count gives (0 included: every pixel the first).
  for (std::uint32_t k = 0; k < pairs; ++k) {
    const std::uint8_t* p = src + std::uintptr_t(k) * 2 * step;
    std::uint32_t word = rgbOrder ? PairWord<true>(p, p + step) : PairWord<false>(p, p + step);
    std::memcpy(dst + 4 * std::uintptr_t(k), &word, 4);
  }
}

std::uint8_t StudioLuma(int r, int g, int b) { return static_cast<std::uint8_t>(StudioLumaOf(r, g, b)); }

}  // namespace kt6
