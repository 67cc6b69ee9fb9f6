// The 650-series pixel calls on a 640 x 480 frame. The conversions, row by row
// through the exports, beside libyuv's YUY2ToARGB and ARGBToYUY2; KT6RdPixelRect
// of the capture buffer (flags 0 24-bit, 1 grey, 2 YUV) beside memcpy of the same
// display bytes. After the run it prints each one's throughput over its partner's.
#include <benchmark/benchmark.h>
#include <libyuv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_entry.h"
#include "platform/paths.h"
#include "sim/machine.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::size_t kPixels = std::size_t{kWidth} * kHeight;

std::vector<std::uint8_t> Random(std::size_t n) {
  std::vector<std::uint8_t> b(n);
  std::uint32_t seed = 12345;
  for (auto& x : b) {
    seed = seed * 1103515245u + 12345u;
    x = static_cast<std::uint8_t>(seed >> 16);
  }
  return b;
}

template <int kIn, int kOut, class Row>
void Rows(benchmark::State& state, Row row) {
  std::vector<std::uint8_t> in = Random(kPixels * kIn), out(kPixels * kOut);
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y)
      row(in.data() + std::size_t(y) * kWidth * kIn, out.data() + std::size_t(y) * kWidth * kOut);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}

void Kt6ToRgb32(benchmark::State& s) {
  Rows<2, 4>(s, [](const std::uint8_t* i, std::uint8_t* o) { KT6Yuv2Rgb(i, o, kWidth, 32, 0); });
}
void Kt6ToRgb24(benchmark::State& s) {
  Rows<2, 3>(s, [](const std::uint8_t* i, std::uint8_t* o) { KT6Yuv2Rgb(i, o, kWidth, 24, 0); });
}
void Kt6FromRgb32(benchmark::State& s) {
  Rows<4, 2>(s, [](const std::uint8_t* i, std::uint8_t* o) { KT6Rgb2Yuv(i, o, kWidth, 32, 0); });
}
void Kt6FromRgb24(benchmark::State& s) {
  Rows<3, 2>(s, [](const std::uint8_t* i, std::uint8_t* o) { KT6Rgb2Yuv(i, o, kWidth, 24, 0); });
}
void LibyuvToArgb(benchmark::State& s) {
  Rows<2, 4>(s, [](const std::uint8_t* i, std::uint8_t* o) { libyuv::YUY2ToARGB(i, 0, o, 0, kWidth, 1); });
}
void LibyuvFromArgb(benchmark::State& s) {
  Rows<4, 2>(s, [](const std::uint8_t* i, std::uint8_t* o) { libyuv::ARGBToYUY2(i, 0, o, 0, kWidth, 1); });
}

// An opened, initialised board with a 640 x 480 YUV capture buffer.
class Board {
 public:
  Board() {
    char dir[] = "/tmp/bench_windows_XXXXXX";
    if (!mkdtemp(dir)) return;
    dir_ = dir;
    platform::SetWindowsDirectory(dir);
    sim::PowerOn(sim::MachineDescription::Default());
    kt6::LibraryAttach();
    std::uint16_t w = 0, h = 0;
    ok_ = KT6Open(0x151) == 0 && KT6Init(nullptr) == 0 && KT6GetVideoFrame(nullptr, nullptr, &w, &h) == 0 &&
          w >= kWidth && h >= kHeight;
  }
  ~Board() {
    kt6::LibraryDetach();
    sim::PowerOff();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  bool ok() const { return ok_; }

 private:
  std::string dir_;
  bool ok_ = false;
};

Board* g_board = nullptr;
Board& TheBoard() {
  if (!g_board) g_board = new Board;
  return *g_board;
}

template <std::uint8_t kFlags, int kBytes>
void RdPixelRect(benchmark::State& state) {
  if (!TheBoard().ok()) return state.SkipWithError("no board");
  std::vector<std::uint8_t> out(kPixels * kBytes);
  for (auto _ : state) {
    if (KT6RdPixelRect(0, 0, kWidth, kHeight, out.data(), kFlags)) return state.SkipWithError("read failed");
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}

// The display bytes a read takes (2 a pixel), row by row from the capture buffer.
void MemcpyFrame(benchmark::State& state) {
  if (!TheBoard().ok()) return state.SkipWithError("no board");
  std::uint32_t offset = 0;
  KT6GetVideoFrame(nullptr, &offset, nullptr, nullptr);
  BoardConfig c;
  KT6InquireConfig(&c);
  const std::uint32_t pitch = c.line_pitch;
  const auto* base = reinterpret_cast<const std::uint8_t*>(std::uintptr_t(KT6GetVRAMBase(nullptr))) + offset;
  std::vector<std::uint8_t> out(kPixels * 2);
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y)
      std::memcpy(out.data() + std::size_t(y) * kWidth * 2, base + std::size_t(y) * pitch, kWidth * 2);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}

// Collects each benchmark's items per second (the median with repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      auto rate = run.counters.find("items_per_second");
      if (run.error_occurred || rate == run.counters.end()) continue;
      if (run.run_type == Run::RT_Iteration && !median_.count(run.run_name.function_name))
        rates_[run.run_name.function_name] = rate->second.value;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        median_[run.run_name.function_name] = rates_[run.run_name.function_name] = rate->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Rate(const std::string& name) { return rates_.count(name) ? rates_[name] : 0; }

 private:
  std::map<std::string, double> rates_, median_;
};

}  // namespace

BENCHMARK(Kt6ToRgb32);
BENCHMARK(LibyuvToArgb);
BENCHMARK(Kt6ToRgb24);
BENCHMARK(Kt6FromRgb32);
BENCHMARK(LibyuvFromArgb);
BENCHMARK(Kt6FromRgb24);
BENCHMARK(RdPixelRect<0, 3>)->Name("RdPixelRect24");
BENCHMARK(RdPixelRect<1, 1>)->Name("RdPixelRectGrey");
BENCHMARK(RdPixelRect<2, 2>)->Name("RdPixelRectYuv");
BENCHMARK(MemcpyFrame);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const char* pairs[][2] = {{"Kt6ToRgb32", "LibyuvToArgb"},     {"Kt6ToRgb24", "LibyuvToArgb"},
                            {"Kt6FromRgb32", "LibyuvFromArgb"}, {"Kt6FromRgb24", "LibyuvFromArgb"},
                            {"RdPixelRect24", "MemcpyFrame"},   {"RdPixelRectGrey", "MemcpyFrame"},
                            {"RdPixelRectYuv", "MemcpyFrame"}};
  std::printf("\nthroughput over the partner's\n");
  for (auto& pair : pairs) {
    double ours = reporter.Rate(pair[0]), theirs = reporter.Rate(pair[1]);
    if (ours > 0 && theirs > 0) std::printf("  %-16s / %-15s %5.2f\n", pair[0], pair[1], ours / theirs);
  }
  delete g_board;
  return 0;
}
