// Example: the 650-series library on the default virtual PC. It attaches the
// library as the loader would, opens the board that drives the monitor, prints
// what KT6InquireBoardInfo tells of it, counts the vertical syncs that reach a
// callback over a few waits and closes the board again.
#include <atomic>
#include <cstdio>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_entry.h"
#include "sim/machine.h"

namespace {

std::atomic<int> g_syncs{0};

void OnInterrupt(std::uint32_t status) {
  if (status & 0x04) g_syncs.fetch_add(1);
  KT6IRQEnable(0);  // lets the callback be called again
}

}  // namespace

int main() {
  sim::PowerOn();
  kt6::LibraryAttach();  // what the loader does when it maps the library
  std::int32_t result = KT6Open(0x151);
  if (result != 0) {
    std::printf("KT6Open failed: %d\n", result);
    return 1;
  }
  BoardInfo info;
  KT6InquireBoardInfo(&info);
  std::printf("650-series board, SDK %X.%02X\n", KT6InquireSDKVersion() >> 8, KT6InquireSDKVersion() & 0xFF);
  std::printf("  board id          0x%08X\n", info.board_id);
  std::printf("  chip              0x%04X revision 0x%02X\n", info.chip_id, info.chip_revision);
  std::printf("  decoder           %s\n", info.has_decoder ? "yes" : "no");
  std::printf("  display memory    %u MB\n", info.memory_mb);
  std::printf("  desktop           mode 0x%03X, %u x %u, %u bytes per pixel\n", info.display_mode, info.desktop_width,
              info.desktop_height, info.bytes_per_pixel);
  std::printf("  monitor           (%d, %d) - (%d, %d)\n", info.monitor_rect[0], info.monitor_rect[1],
              info.monitor_rect[2], info.monitor_rect[3]);
  std::printf("  IRQ line          %u\n", info.irq_line);
  std::printf("  memory clock      %.2f MHz\n", static_cast<double>(info.memory_clock_mhz));
  std::printf("  S-Video           %u\n", info.svideo_mode);
  std::printf("  driver version    %X.%02X\n", info.driver_version >> 8, info.driver_version & 0xFF);

  KT6IRQInstallCallback(OnInterrupt);
  KT6IRQEnable(0x04);
  int waits = 0;
  for (int i = 0; i < 10; ++i)
    if (KT6WaitForVSync() == 0) ++waits;
  KT6IRQDisable(0x04);
  KT6IRQDeInstallCallback(OnInterrupt);
  std::printf("  vertical syncs    %d of 10 waits, %d seen by the callback\n", waits, g_syncs.load());
  std::printf("KT6Close: %d\n", KT6Close());
  kt6::LibraryDetach();
  sim::PowerOff();
  return 0;
}
