// The 650-series serial bus: the bit rate the timed family reaches once the delay
// is calibrated, against the bus frequency it was calibrated for (the point of the
// calibration), and board-control transactions a second on the untimed path.
#include <benchmark/benchmark.h>

#include "kt6sdk/clocks.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/library_entry.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus.h"
#include "sim/machine.h"

namespace {

// Clocks of one timed write of two bytes: the start, nine a byte, the stop.
constexpr double kClocksPerWrite = 1 + 2 * 9 + 1;
constexpr double kTargetKhz = 100;  // I2CBusFrequency's default

// The default machine's board, mapped and set up as an open leaves it.
class OpenBoard {
 public:
  OpenBoard() {
    sim::Machine& m = sim::PowerOn();
    kt6::LibraryAttach();
    const sim::Kt650Desc& d = m.kt650(0).desc();
    kt6::g_state.chip_id = d.chip;
    kt6::g_state.board_type = d.type;
    kt6::g_state.opened = 1;
    kt6::g_state.initialised = 1;
    ok_ = kt6::KT6MapBoardMemory(d.bus, d.device_number) == 0;
  }
  ~OpenBoard() {
    kt6::LibraryDetach();
    sim::PowerOff();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

void BM_CalibratedTimedWrite(benchmark::State& state) {
  OpenBoard board;
  if (!board.ok()) return state.SkipWithError("no board");
  kt6::CalibrateI2CTiming(1);
  for (auto _ : state) kt6::KT6I2CWriteByte(0x70, 0x55);
  state.counters["bus_khz"] =
      benchmark::Counter(kClocksPerWrite * double(state.iterations()) / 1000.0, benchmark::Counter::kIsRate);
  state.counters["target_khz"] = kTargetKhz;
  state.counters["delay_count"] = kt6::g_state.i2c_timing_counter.load();
}
BENCHMARK(BM_CalibratedTimedWrite)->UseRealTime()->MinTime(2.0);

void BM_BoardControlWrite(benchmark::State& state) {
  OpenBoard board;
  if (!board.ok()) return state.SkipWithError("no board");
  std::uint8_t value = 0;
  for (auto _ : state) kt6::KT6SetCtrlReg(3, value++);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BoardControlWrite)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
