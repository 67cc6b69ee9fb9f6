// The 650-series board's interrupts as tests reach them: boards whose field clock
// waits to be started, the chip's enables written through the register window, and
// the interrupts the board hands its driver.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "tests/sim/kt650_machine.h"

namespace sim_test {

// Fields come only once the test starts the clock.
inline sim::Kt650Desc StoppedClock(sim::Kt650Desc d, std::uint32_t periodUs = 1000) {
  d.timing.running = false;
  d.timing.field_period_us = periodUs;
  return d;
}

inline void WriteCrtc(sim::Kt650Board& b, std::uint8_t index, std::uint8_t value) {
  WriteUchar(b, sim::kt650::kVgaPortBase + sim::kt650::kCrtcIndex, index);
  WriteUchar(b, sim::kt650::kVgaPortBase + sim::kt650::kCrtcData, value);
}

// Sources 0-3 enabled in 0xFF08 and the chip's interrupt on.
inline void EnableChipSources(sim::Kt650Board& b, std::uint16_t sources) {
  WriteUlong(b, sim::kt650::kInterruptControl, ULONG{sources} << sim::kt650::kInterruptEnableShift);
  WriteCrtc(b, sim::kt650::kCrtcInterruptEnable, sim::kt650::kChipInterruptOn);
}

// Takes the board's interrupts in place of its driver.
class CapturedInterrupts {
 public:
  explicit CapturedInterrupts(sim::Kt650Board& b) : state_(std::make_shared<State>()) {
    b.SetInterruptSink([state = state_](const sim::Kt650Interrupt& i) {
      std::lock_guard lock(state->mutex);
      state->seen.push_back(i);
    });
  }
  std::vector<sim::Kt650Interrupt> Take() {
    std::lock_guard lock(state_->mutex);
    return std::exchange(state_->seen, {});
  }

 private:
  // Shared with the sink, which the board may call after the test has let go.
  struct State {
    std::mutex mutex;
    std::vector<sim::Kt650Interrupt> seen;
  };
  std::shared_ptr<State> state_;
};

}  // namespace sim_test
