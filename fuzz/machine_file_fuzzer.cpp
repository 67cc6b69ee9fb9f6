// Machine description files from outside: any bytes must parse without fault, and
// a description that parses must stay inside the limits the virtual PC builds on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/machine_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  sim::MachineDescription m;
  std::string error;
  if (!sim::ParseMachineDescription(text, &m, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (m.host_bridges.size() > sim::kMaxDescribedBridges || m.rg700_boards.size() > sim::kMaxDescribedRg700Boards)
    std::abort();
  const sim::DisplayDesc& d = m.display;
  std::uint64_t pitch = (std::uint64_t(d.width) * d.bits_per_pixel + 7) / 8;
  pitch = (pitch + d.pitch_alignment - 1) / d.pitch_alignment * d.pitch_alignment;
  if (d.width == 0 || d.height == 0 || pitch * d.height > d.memory_bytes) std::abort();
  if (std::uint64_t(d.physical_base) + d.memory_bytes > (std::uint64_t(1) << 32)) std::abort();
  return 0;
}
