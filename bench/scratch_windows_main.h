// The main of a benchmark whose library reads its settings from a Windows
// directory: a scratch one, removed afterwards.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"

inline int RunInScratchWindowsDirectory(int argc, char** argv) {
  char dir[] = "/tmp/bench_windows_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  platform::SetWindowsDirectory(dir);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(dir);
  return 0;
}
