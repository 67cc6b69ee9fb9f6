// The 700-series conversion rows on a 640 x 480 YUV 4:2:2 frame, row by row through
// the exports, beside libyuv's nearest conversion to the same output:
//   32-bit B, G, R, x  YUY2ToARGB
//   24-bit B, G, R     YUY2ToARGB, then ARGBToRGB24 (libyuv has no direct way)
//   RGB555             YUY2ToARGB, then ARGBToARGB1555 (likewise)
//   grey               YUY2ToY
// After the run it prints, per row, our throughput over libyuv's (the median
// over repetitions, with --benchmark_repetitions). libyuv is compared with its
// own vector rows; the context lines say whether it has and uses them.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <libyuv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "rg7sdk/rg7sdk.h"
#include "yuv_rows/yuv_rows.h"

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

// Collects each benchmark's items per second while the console shows them.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto rate = run.counters.find("items_per_second");
      if (run.error_occurred || rate == run.counters.end()) continue;
      Rates& r = rates_[run.run_name.function_name];
      if (run.run_type == Run::RT_Iteration) r.runs.push_back(rate->second.value);
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") r.median = rate->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The median aggregate where there is one, else the median of the runs; 0 if none.
  double Rate(const std::string& name) {
    Rates& r = rates_[name];
    if (r.median > 0 || r.runs.empty()) return r.median;
    std::sort(r.runs.begin(), r.runs.end());
    return r.runs[r.runs.size() / 2];
  }

 private:
  struct Rates {
    std::vector<double> runs;
    double median = 0;
  };
  std::map<std::string, Rates> rates_;
};

const char* OurRows() {
  const yuv::YuvRows* used = &yuv::FastestYuvRows();
  return used == yuv::YuvRowsOf(yuv::YuvRowLevel::kAvx512) ? "AVX-512"
         : used == yuv::YuvRowsOf(yuv::YuvRowLevel::kAvx2) ? "AVX2"
                                                           : "baseline";
}

// Whether the libyuv we link has vector rows for these conversions, and runs them here.
const char* LibyuvRows() {
  bool built = dlsym(RTLD_DEFAULT, "YUY2ToARGBRow_AVX2") && dlsym(RTLD_DEFAULT, "YUY2ToYRow_AVX2") &&
               dlsym(RTLD_DEFAULT, "ARGBToRGB24Row_AVX2") && dlsym(RTLD_DEFAULT, "ARGBToARGB1555Row_SSE2");
  if (!built) return "no vector rows built in";
  return libyuv::TestCpuFlag(libyuv::kCpuHasAVX2) ? "AVX2 (SSE2 for ARGB1555)" : "built in, not run here";
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

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::AddCustomContext("rg7 rows", OurRows());
  benchmark::AddCustomContext("libyuv rows", LibyuvRows());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const char* pairs[][2] = {{"Rg7ToRgb32", "LibyuvToArgb"},
                            {"Rg7ToRgb24", "LibyuvToRgb24"},
                            {"Rg7ToRgb555", "LibyuvToArgb1555"},
                            {"Rg7ToGrey", "LibyuvToGrey"}};
  std::printf("\nthroughput over libyuv's\n");
  for (auto& pair : pairs) {
    double ours = reporter.Rate(pair[0]), theirs = reporter.Rate(pair[1]);
    if (ours > 0 && theirs > 0) std::printf("  %-12s / %-17s %5.2f\n", pair[0], pair[1], ours / theirs);
  }
  return 0;
}
