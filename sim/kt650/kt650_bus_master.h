// The 650-series chip's bus-master engine: a start copies a run of physical memory
// (pinned host pages, or any device memory) into the board's display memory, as
// kt650_registers.h lays its registers out. It hooks the registers it reads, so that
// it keeps what the host wrote to them itself.
#pragma once

#include <cstdint>

#include "sim/display/display_memory.h"
#include "sim/memory/physical_memory.h"
#include "sim/register_table.h"

namespace sim {

// Test control: an engine that never finishes a start, or never becomes ready.
enum class Kt650EngineFault { kNone, kNeverDone, kNeverReady };

class PLATFORM_EXPORT Kt650BusMaster : public RegisterHook {
 public:
  explicit Kt650BusMaster(DisplayMemory& displayMemory) : display_(displayMemory) {}

  // All of these run with the board's register lock held.
  void SetMemory(PhysicalMemory* memory) { memory_ = memory; }
  void SetFault(Kt650EngineFault fault) { fault_ = fault; }
  bool Ready() const { return fault_ != Kt650EngineFault::kNeverReady; }

  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

 private:
  void Move();

  DisplayMemory& display_;
  PhysicalMemory* memory_ = nullptr;
  Kt650EngineFault fault_ = Kt650EngineFault::kNone;
  std::uint32_t destination_ = 0;
  std::uint32_t source_ = 0;
  std::uint32_t length_ = 0;
};

}  // namespace sim
