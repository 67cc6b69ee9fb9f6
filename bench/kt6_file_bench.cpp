// The 650-series saves of a 24-bit 640 x 480 frame (pixel mode 4): KT6BMPSave and
// KT6TIFFSave beside write(2) of the bytes each file holds, to a new file each
// time as the save makes it. After the run it prints each save's time over its
// partner's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_entry.h"
#include "platform/paths.h"
#include "sim/machine.h"

namespace {

constexpr std::uint16_t kWidth = 640;
constexpr std::uint16_t kHeight = 480;
constexpr std::uint16_t kAsPixelMode = 4;

// An opened board whose 640 x 480 capture buffer holds a picture in 24-bit pixels.
class Board {
 public:
  Board() {
    char dir[] = "/tmp/bench_windows_XXXXXX";
    if (!mkdtemp(dir)) return;
    dir_ = dir;
    platform::SetWindowsDirectory(dir);
    sim::PowerOn(sim::MachineDescription::Default());
    kt6::LibraryAttach();
    BoardConfig c;
    if (KT6Open(0x151) || KT6Init(nullptr) || KT6InquireConfig(&c)) return;
    c.pixel_mode = 4;
    if (KT6Init(&c) || KT6SetVideoFrame(1, 0, kWidth, kHeight)) return;
    std::vector<std::uint8_t> line(std::size_t{kWidth} * 3);
    for (std::uint16_t y = 0; y < kHeight; ++y) {
      for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<std::uint8_t>(i * 7 + y * 13);
      if (KT6WtPixelLine(0, y, kWidth, line.data())) return;
    }
    ok_ = true;
  }
  ~Board() {
    kt6::LibraryDetach();
    sim::PowerOff();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  bool ok() const { return ok_; }
  std::string File(const char* name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
  bool ok_ = false;
};

Board* g_board = nullptr;
Board& TheBoard() {
  if (!g_board) g_board = new Board;
  return *g_board;
}

using Save = std::int32_t (*)(const char*, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t);

void SaveFrame(benchmark::State& state, Save save, const char* name) {
  if (!TheBoard().ok()) return state.SkipWithError("no board");
  const std::string file = TheBoard().File(name);
  for (auto _ : state)
    if (save(file.c_str(), 0, 0, kWidth, kHeight, kAsPixelMode)) return state.SkipWithError("save failed");
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(file));
}

// The bytes the save wrote, written to a new file with one write(2).
void WriteFrame(benchmark::State& state, Save save, const char* name) {
  if (!TheBoard().ok()) return state.SkipWithError("no board");
  const std::string saved = TheBoard().File(name), file = saved + ".raw";
  if (save(saved.c_str(), 0, 0, kWidth, kHeight, kAsPixelMode)) return state.SkipWithError("save failed");
  std::ifstream in(saved, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (auto _ : state) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      return state.SkipWithError("write failed");
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void BmpSave(benchmark::State& s) { SaveFrame(s, KT6BMPSave, "frame.bmp"); }
void BmpWrite(benchmark::State& s) { WriteFrame(s, KT6BMPSave, "frame.bmp"); }
void TiffSave(benchmark::State& s) { SaveFrame(s, KT6TIFFSave, "frame.tif"); }
void TiffWrite(benchmark::State& s) { WriteFrame(s, KT6TIFFSave, "frame.tif"); }

// Collects each benchmark's real time an iteration (the median with repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration && !median_.count(name)) times_[name] = run.GetAdjustedRealTime();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        median_[name] = times_[name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string& name) { return times_.count(name) ? times_[name] : 0; }

 private:
  std::map<std::string, double> times_, median_;
};

}  // namespace

BENCHMARK(BmpSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BmpWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(TiffSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(TiffWrite)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const char* pairs[][2] = {{"BmpSave", "BmpWrite"}, {"TiffSave", "TiffWrite"}};
  std::printf("\ntime over write(2)'s (aim: at most 1.5)\n");
  for (auto& pair : pairs) {
    double ours = reporter.Time(pair[0]), theirs = reporter.Time(pair[1]);
    if (ours > 0 && theirs > 0) std::printf("  %-9s / %-9s %5.2f\n", pair[0], pair[1], ours / theirs);
  }
  delete g_board;
  return 0;
}
