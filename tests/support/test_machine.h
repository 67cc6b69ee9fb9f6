// The virtual PC as the data-source and preview tests use it: RG-700 boards whose field clock
// runs in lockstep at a millisecond a field, and what the tests look at on it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <vector>

#include "sim/machine.h"

namespace testing_support {

inline sim::MachineDescription QuickMachine(std::size_t boards = 1) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.rg700_boards.resize(boards);
  for (sim::Rg700Desc& board : desc.rg700_boards) {
    board.timing.lockstep = true;
    board.timing.field_period_us = 1000;
  }
  return desc;
}

inline std::vector<sim::SurfaceInfo> Overlays(const sim::Display& display) {
  std::vector<sim::SurfaceInfo> overlays;
  for (const sim::SurfaceInfo& s : display.Surfaces())
    if (s.caps & DDSCAPS_OVERLAY) overlays.push_back(s);
  return overlays;
}
// The overlays of the machine that is on.
inline std::vector<sim::SurfaceInfo> Overlays() { return Overlays(sim::CurrentMachine()->display()); }
inline std::size_t OverlayCount() { return Overlays().size(); }

inline std::size_t ThreadCount() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

}  // namespace testing_support
