// The 700-series conversion rows on a 640 x 480 YUV 4:2:2 frame, row by row, beside
// libyuv's conversions to the same outputs. libyuv has no direct YUY2 to 24-bit or
// RGB555 conversion; its way there is YUY2ToARGB and then the ARGB packer, measured
// as such.
#include <benchmark/benchmark.h>
#include <libyuv.h>

#include <cstdint>
#include <vector>

#include "rg7sdk/rg7sdk.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::vector<std::uint8_t> Frame() {
  std::vector<std::uint8_t> yuv(std::size_t{kWidth} * kHeight * 2);
  std::uint32_t seed = 12345;
  for (auto& b : yuv) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(seed >> 16);
  }
  return yuv;
}

template <class Row, class Out>
void RunRows(benchmark::State& state, int out_bytes_per_pixel, Row row) {
  std::vector<std::uint8_t> yuv = Frame();
  std::vector<std::uint8_t> out(std::size_t{kWidth} * kHeight * static_cast<std::size_t>(out_bytes_per_pixel));
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y)
      row(yuv.data() + static_cast<std::size_t>(y) * kWidth * 2,
          reinterpret_cast<Out*>(out.data() + static_cast<std::size_t>(y) * kWidth * out_bytes_per_pixel), kWidth);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void Rg7ToRgb32(benchmark::State& s) {
  RunRows<decltype(&RG7Yuv2RgbCCIR601_422), std::uint8_t>(s, 4, RG7Yuv2RgbCCIR601_422);
}
void Rg7ToRgb24(benchmark::State& s) {
  RunRows<decltype(&RG7Yuv2Rgb888CCIR601_422), std::uint8_t>(s, 3, RG7Yuv2Rgb888CCIR601_422);
}
void Rg7ToRgb555(benchmark::State& s) {
  RunRows<decltype(&RG7Yuv2Rgb555CCIR601_422), std::uint16_t>(s, 2, RG7Yuv2Rgb555CCIR601_422);
}
void Rg7ToGrey(benchmark::State& s) {
  RunRows<decltype(&RG7YuvCCIR601_422ToY), std::uint8_t>(s, 1, RG7YuvCCIR601_422ToY);
}

void LibyuvToArgb(benchmark::State& state) {
  std::vector<std::uint8_t> yuv = Frame(), out(std::size_t{kWidth} * kHeight * 4);
  for (auto _ : state) {
    libyuv::YUY2ToARGB(yuv.data(), kWidth * 2, out.data(), kWidth * 4, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

template <int kBytes, int (*kPack)(const std::uint8_t*, int, std::uint8_t*, int, int, int)>
void LibyuvViaArgb(benchmark::State& state) {
  std::vector<std::uint8_t> yuv = Frame(), argb(std::size_t{kWidth} * kHeight * 4),
                            out(std::size_t{kWidth} * kHeight * kBytes);
  for (auto _ : state) {
    libyuv::YUY2ToARGB(yuv.data(), kWidth * 2, argb.data(), kWidth * 4, kWidth, kHeight);
    kPack(argb.data(), kWidth * 4, out.data(), kWidth * kBytes, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void LibyuvToGrey(benchmark::State& state) {
  std::vector<std::uint8_t> yuv = Frame(), out(std::size_t{kWidth} * kHeight);
  for (auto _ : state) {
    libyuv::YUY2ToY(yuv.data(), kWidth * 2, out.data(), kWidth, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

}  // namespace

BENCHMARK(Rg7ToRgb32);
BENCHMARK(LibyuvToArgb);
BENCHMARK(Rg7ToRgb24);
BENCHMARK(LibyuvViaArgb<3, libyuv::ARGBToRGB24>)->Name("LibyuvToRgb24");
BENCHMARK(Rg7ToRgb555);
BENCHMARK(LibyuvViaArgb<2, libyuv::ARGBToARGB1555>)->Name("LibyuvToArgb1555");
BENCHMARK(Rg7ToGrey);
BENCHMARK(LibyuvToGrey);

BENCHMARK_MAIN();
