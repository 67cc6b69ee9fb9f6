// Machines with 650-series boards for the board and VxD tests, and the board's
// registers as the system reaches them through the register seam.
#pragma once

#include <vector>

#include "platform/register_io.h"
#include "sim/machine.h"

namespace sim_test {

inline sim::Kt650Desc Kt650(std::uint16_t chip, std::uint8_t type, int monitor = 0) {
  sim::Kt650Desc b;
  b.chip = chip;
  b.type = type;
  b.monitor = monitor;
  // The older chips carry 4 MB: the default desktop fits.
  if (chip != sim::kt650::kChip8A22) b.memory_bytes = 4u << 20;
  return b;
}

inline sim::Machine& PowerOnWith(std::vector<sim::Kt650Desc> boards) {
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.kt650_boards = std::move(boards);
  return sim::PowerOn(d);
}

// A register of the board's window at the address the process has it mapped.
inline std::uintptr_t RegisterAddress(sim::Kt650Board& b, std::uint32_t offset) {
  return reinterpret_cast<std::uintptr_t>(b.RegisterWindow().host) + offset;
}
inline ULONG ReadUlong(sim::Kt650Board& b, std::uint32_t offset) {
  return READ_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(RegisterAddress(b, offset)));
}
inline void WriteUlong(sim::Kt650Board& b, std::uint32_t offset, ULONG value) {
  WRITE_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(RegisterAddress(b, offset)), value);
}
inline UCHAR ReadUchar(sim::Kt650Board& b, std::uint32_t offset) {
  return READ_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(RegisterAddress(b, offset)));
}
inline void WriteUchar(sim::Kt650Board& b, std::uint32_t offset, UCHAR value) {
  WRITE_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(RegisterAddress(b, offset)), value);
}

}  // namespace sim_test
