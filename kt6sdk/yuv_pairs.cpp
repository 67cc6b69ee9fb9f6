// The conversions keep their own pairing (a run starts a pair at its first pixel);
// these widen a run to the frame's pairs first and write back only its pixels.
#include "kt6sdk/yuv_pairs.h"

#include <cstring>

#include "kt6sdk/kt6sdk.h"

namespace kt6 {

PairSpan SpanOf(std::uint32_t x, std::uint32_t count) {
  const std::uint32_t lead = x & 1;
  return {x - lead, lead, (lead + count + 1) & ~1u};
}

void PairsToYcc(const std::uint8_t* pairs, std::uint32_t from, std::uint32_t count, std::uint8_t* ycc) {
  for (std::uint32_t j = 0; j < count; ++j, ycc += 3) {
    const std::uint32_t p = from + j;
    const std::uint8_t* pair = pairs + 4 * std::size_t(p / 2);
    ycc[0] = pairs[2 * std::size_t(p)];
    ycc[1] = pair[1];
    ycc[2] = pair[3];
  }
}

void YccToPairs(const std::uint8_t* ycc, PairSpan span, std::uint32_t count, std::uint8_t* line) {
  for (std::uint32_t j = 0; j < count; ++j) {
    const std::uint32_t k = span.lead + j;
    const std::uint8_t* p = ycc + 3 * std::size_t(j);
    line[2 * std::size_t(k)] = p[0];
    // The pair's first run pixel: its even column, or the run's first pixel.
    if (k % 2 == 0 || j == 0) {
      std::uint8_t* pair = line + 4 * std::size_t(k / 2);
      pair[1] = p[1];
      pair[3] = p[2];
    }
  }
}

std::uint32_t RgbPairsWork(PairSpan span) { return span.pixels * (4 + 2); }

void RgbToPairs(const std::uint8_t* rgb, std::uint32_t bits, PairSpan span, std::uint32_t count, std::uint8_t* work,
                std::uint8_t* line) {
  if (!count) return;
  const std::size_t step = bits / 8;
  std::uint8_t* wide = work;
  std::uint8_t* yuv = work + span.pixels * step;
  std::memcpy(wide + span.lead * step, rgb, count * step);
  if (span.lead) std::memcpy(wide, rgb, step);
  const std::uint32_t end = span.lead + count;
  if (end < span.pixels) std::memcpy(wide + end * step, rgb + (count - 1) * step, step);
  KT6Rgb2YuvCCIR601_422(wide, yuv, span.pixels, bits, 0);
  for (std::uint32_t k = 0; k < span.pixels; ++k) {
    if (k >= span.lead && k < end) line[2 * k] = yuv[2 * k];
    line[2 * k + 1] = yuv[2 * k + 1];
  }
}

}  // namespace kt6
