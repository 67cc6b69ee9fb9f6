// Machine description files from outside: any bytes must parse without fault, and
// a description that parses must stay inside the limits the virtual PC builds on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/kt650/kt650_layout.h"
#include "sim/machine_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  sim::MachineDescription m;
  std::string error;
  if (!sim::ParseMachineDescription(text, &m, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (m.host_bridges.size() > sim::kMaxDescribedBridges || m.rg700_boards.size() > sim::kMaxDescribedRg700Boards ||
      m.kt650_boards.size() > sim::kMaxDescribedKt650Boards || m.more_monitors.size() > sim::kMaxDescribedMonitors)
    std::abort();
  // Cameras only on inputs their device has, with a standard the clocks know.
  for (const sim::Kt650Desc& b : m.kt650_boards)
    for (sim::Kt650VideoDevice device : sim::kKt650VideoDevices)
      for (int input = 0; input < sim::kKt650InputNumbers; ++input) {
        const sim::VideoSourceDesc& camera = b.cameras.Of(device)[input];
        if (camera.standard > 1) std::abort();
        if (camera.present && !sim::Kt650DeviceHasInput(device, input)) std::abort();
      }
  // The displays the machine builds: with the memory of the board on each monitor.
  sim::Kt650Layout layout;
  if (!sim::ResolveKt650Layout(sim::MonitorDisplays(m), m.kt650_boards, &layout, &error)) std::abort();
  for (const sim::Kt650Desc& b : layout.boards) {
    if (!sim::Kt650TypeFits(b.chip, b.type) || b.memory_bytes == 0) std::abort();
    if (b.frame_buffer_base % sim::Kt650FrameBufferBarSize(b.chip)) std::abort();
    if (b.monitor >= static_cast<int>(layout.monitors.size())) std::abort();
  }
  for (const sim::Kt650MonitorLayout& monitor : layout.monitors) {
    const sim::DisplayDesc& d = monitor.display;
    std::uint64_t pitch = (std::uint64_t(d.width) * d.bits_per_pixel + 7) / 8;
    pitch = (pitch + d.pitch_alignment - 1) / d.pitch_alignment * d.pitch_alignment;
    if (d.width == 0 || d.height == 0 || pitch * d.height > d.memory_bytes) std::abort();
    if (std::uint64_t(d.physical_base) + d.memory_bytes > (std::uint64_t(1) << 32)) std::abort();
  }
  return 0;
}
