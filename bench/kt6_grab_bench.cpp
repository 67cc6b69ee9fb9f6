// The 650-series library's own cost of a continuous grab: each field's vertical
// sync dispatched through the interrupt thread's hand-over to the internal handler
// and a user callback. The board's field clock is stopped once the grab runs; the
// benchmark thread dispatches each field's latched status itself, so CPU time is
// the library's. The capture itself is the board's: the library touches no pixel.
#include <benchmark/benchmark.h>

#include <atomic>

#include "bench/scratch_windows_main.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/interrupt_thread.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_entry.h"
#include "sim/machine.h"

namespace {

using kt6::irq::kVerticalSync;

std::atomic<std::uint64_t> g_delivered{0};
void CountDelivery(std::uint32_t) {
  g_delivered.fetch_add(1, std::memory_order_relaxed);
  KT6IRQEnable(0);  // lets the next field's callback through
}

class ContinuousGrab {
 public:
  ContinuousGrab() {
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.kt650_boards[0].timing.field_period_us = 2000;
    machine_ = &sim::PowerOn(desc);
    kt6::LibraryAttach();
    ok_ = KT6Open(0x151) == 0 && KT6Init(nullptr) == 0 && KT6IRQInstallCallback(CountDelivery) == 0;
    KT6IRQEnable(kVerticalSync);
    ok_ = ok_ && KT6StartGrab(1) == 0;
    // From here on the benchmark is the board's only source of fields.
    machine_->kt650(0).field_clock().Stop();
  }
  ~ContinuousGrab() {
    KT6StopGrab();
    KT6Close();
    kt6::LibraryDetach();
    sim::PowerOff();
  }
  bool ok() const { return ok_; }
  void Field() {
    kt6::IRQStatusRecord record{};
    record.status = kVerticalSync;
    record.field = (count_ & 1) ? kt6::kRecordField1 : 0;
    record.line_control = static_cast<std::uint16_t>(count_ >> 1);
    kt6::DispatchInterrupt(record);
    ++count_;
  }

 private:
  sim::Machine* machine_;
  std::uint64_t count_ = 0;
  bool ok_ = false;
};

void BM_ContinuousGrabField(benchmark::State& state) {
  ContinuousGrab grab;
  if (!grab.ok()) return state.SkipWithError("no grab");
  std::uint64_t before = g_delivered.load();
  for (auto _ : state) grab.Field();
  state.counters["fields_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["delivered"] = static_cast<double>(g_delivered.load() - before);
}
BENCHMARK(BM_ContinuousGrabField);

}  // namespace

int main(int argc, char** argv) { return RunInScratchWindowsDirectory(argc, argv); }
