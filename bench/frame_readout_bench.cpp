// The 700-series transfers' frame read-out of a 768 x 574 frame (PAL) out of a
// surface whose lines lie a padded pitch apart: the copy of the image window, the
// conversion and the row order, as a native transfer (bottom-up B, G, R), a memory
// transfer (top-down R, G, B) and a grey transfer take it. The freeze's settling
// wait is left out: it is a fixed 250 ms.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "twain_ds/backend_rg7/rg7_frame_readout.h"

namespace {

constexpr int kWidth = 768;
constexpr int kHeight = 574;
// An overlay's lines: 2 bytes a pixel and the display's alignment beyond.
constexpr std::size_t kPitch = 2 * kWidth + 64;

std::vector<std::uint8_t> Surface() {
  std::vector<std::uint8_t> surface(kPitch * kHeight);
  std::uint32_t seed = 12345;
  for (auto& b : surface) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(seed >> 16);
  }
  return surface;
}

void ReadOut(benchmark::State& state, int bitsPerPixel, bool topDown) {
  const std::vector<std::uint8_t> surface = Surface();
  std::vector<std::uint8_t> yuv(std::size_t{kWidth} * kHeight * 2);
  std::vector<std::uint8_t> out(std::size_t{kWidth} * kHeight * static_cast<std::size_t>(bitsPerPixel / 8));
  for (auto _ : state) {
    twain_ds::ReadOutFrame(surface.data(), kPitch, 0, 0, kWidth, kHeight, bitsPerPixel, topDown, yuv.data(),
                           out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.size()));
}

void ColourBottomUpBgr(benchmark::State& state) { ReadOut(state, 24, false); }
void ColourTopDownRgb(benchmark::State& state) { ReadOut(state, 24, true); }
void GreyBottomUp(benchmark::State& state) { ReadOut(state, 8, false); }

BENCHMARK(ColourBottomUpBgr)->Unit(benchmark::kMicrosecond);
BENCHMARK(ColourTopDownRgb)->Unit(benchmark::kMicrosecond);
BENCHMARK(GreyBottomUp)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
