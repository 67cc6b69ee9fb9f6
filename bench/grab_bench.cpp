// The library's own cost of a continuous grab: the dispatch of each field's
// interrupt through the grab state machine to a user callback and, on the bounce
// path, the line copy into a scattered target. The virtual board's clock is
// stopped; the benchmark thread latches each field's status in the driver and
// dispatches it itself, so CPU time is the library's (and the driver requests').
// Built once per build of the library, each with its own driver.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>

#include "bench/scratch_windows_main.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/grab_state_machine.h"
#include "rg7sdk/interrupt_backend.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/library_entry.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/rg7sdk/driver_shim.h"

namespace {

constexpr std::uint32_t kWidth = 640, kHeight = 480, kSize = kWidth * kHeight * 2;
constexpr std::uint32_t kDmaDone = RG7_IRQ_DMA_DONE_0 | RG7_IRQ_DMA_DONE_1;

std::atomic<std::uint64_t> g_delivered{0};
std::uint32_t CountDelivery(std::uint32_t, std::uintptr_t) {
  g_delivered.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

// An open board with a continuous grab running into a frame buffer.
class ContinuousGrab {
 public:
  explicit ContinuousGrab(bool scattered) {
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.rg700_boards[0].timing.running = false;
    machine_ = &sim::PowerOn(desc);
    rg7::LibraryAttach();
    ok_ = RG7Open(258) == 1;
    // Fields are dispatched by hand: the service thread is not woken.
    rg7::kInterruptBackend.unregister_events(rg7::ServiceRegistration{});
    RG7SetPixelMode(6);
    machine_->physical_memory().SetPinShape(scattered ? sim::PinShape::kPagePerEntry : sim::PinShape::kContiguous);
    frame_ = static_cast<std::uint8_t*>(std::aligned_alloc(4096, kSize));
    GrabWindowDesc d{};
    ok_ = ok_ && RG7LockMasterBuffer(frame_, kSize) == 0 && RG7SetGrabWindow(0, 0, kWidth, kHeight, &d) == 0 &&
          RG7SetMasterModeTransfer(&d, frame_, kSize, kWidth) == 0 &&
          rg7::g_boardRecords[0].master.field[0].bounce == (scattered ? 1u : 0u) &&
          RG7ConnectInterruptToCallback(0, CountDelivery, kDmaDone, 0) == 0 &&
          RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(CountDelivery)) == 0 && RG7StartGrab(1, 1) == 0;
    // Armed, loaded, running.
    Field();
    Field();
    ok_ = ok_ && rg7::GrabStateOf(rg7::g_boardRecords[0]) == rg7::GrabState::kRunning;
  }
  ~ContinuousGrab() {
    RG7StopGrab(nullptr, 0);
    RG7UnlockMasterBuffer(frame_, kSize);
    rg7::LibraryDetach();
    sim::PowerOff();
    std::free(frame_);
  }
  bool ok() const { return ok_; }
  // One field, as the board raises it: the completion of the one before and the
  // start of this one.
  void Field() {
    using namespace sim::rg700;
    bool odd = (count_ & 1) == 0;
    std::uint32_t bits = (odd ? kOddField : kEvenField) | (count_ ? (odd ? kDma2Done : kDma1Done) : 0);
    rg7_testing::Driver(*machine_).ServiceInterrupt(0, bits);
    rg7::DispatchInterrupts();
    ++count_;
  }

 private:
  sim::Machine* machine_;
  std::uint8_t* frame_ = nullptr;
  std::uint64_t count_ = 0;
  bool ok_ = false;
};

void RunGrab(benchmark::State& state, bool scattered) {
  ContinuousGrab grab(scattered);
  if (!grab.ok()) {
    state.SkipWithError("no grab");
    return;
  }
  std::uint64_t before = g_delivered.load();
  for (auto _ : state) grab.Field();
  state.counters["fields_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["delivered"] = static_cast<double>(g_delivered.load() - before);
  if (scattered) state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize / 2);
}

void BM_DirectPathField(benchmark::State& state) { RunGrab(state, false); }
void BM_BouncePathField(benchmark::State& state) { RunGrab(state, true); }

BENCHMARK(BM_DirectPathField);
BENCHMARK(BM_BouncePathField);

}  // namespace

int main(int argc, char** argv) { return RunInScratchWindowsDirectory(argc, argv); }
