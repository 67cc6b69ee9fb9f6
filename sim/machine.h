// The virtual PC: one process-wide machine built from a description. A host
// process (test, example) powers it on before it loads any deliverable, and may
// power it off and build another between cases.
#pragma once

#include <memory>
#include <vector>

#include "sim/display/display.h"
#include "sim/kt650/kt650_board.h"
#include "sim/kt650/kt6_nt_driver.h"
#include "sim/kt650/kt6_w95_vxd.h"
#include "sim/memory/physical_memory.h"
#include "sim/pci/host_bridge.h"
#include "sim/pci/pci_bios.h"
#include "sim/pci/pci_bus.h"
#include "sim/rg700/rg700_board.h"
#include "sim/rg700/rg7_nt_driver.h"
#include "sim/rg700/rg7_w95_vxd.h"

namespace sim {

struct Kt650Layout;

// A monitor after the primary, with a display adapter of its own, its desktop at
// (left, top) on the virtual screen (left of or above the primary when negative).
// Its display memory lies at display.physical_base, or where the machine places it
// when that is 0 or the primary's default (see kMonitorMemoryBase).
struct MonitorDesc {
  DisplayDesc display;
  LONG left = 0;
  LONG top = 0;
};

struct MachineDescription {
  std::vector<HostBridgeDesc> host_bridges;
  std::vector<Rg700Desc> rg700_boards;
  // A board on a monitor is that monitor's display adapter: its memory is the
  // display memory (see ResolveKt650Layout).
  std::vector<Kt650Desc> kt650_boards;
  // Monitor 0, the primary, at (0, 0): DirectDraw's default device and the desktop
  // the window system draws on.
  DisplayDesc display;
  // Monitors 1..n.
  std::vector<MonitorDesc> more_monitors;
  // A PC without a PCI BIOS answers interrupt 0x1A with carry set.
  bool pci_bios = true;
  // The drivers installed: the Windows NT kernel drivers RG7DRIVE and KT6DRIVE and
  // the Windows 95 VxDs RG700W95 and KT6VXD95. A description may leave any out.
  bool rg7_nt_driver = true;
  bool rg7_w95_vxd = true;
  bool kt6_nt_driver = true;
  bool kt6_w95_vxd = true;

  // One Natoma host bridge, one RG-700 board, one 650-series board (chip 0x8A22,
  // type 3) that drives the monitor, and a 16-bit desktop.
  PLATFORM_EXPORT static MachineDescription Default();
};

// Each monitor's display, the primary first.
inline std::vector<DisplayDesc> MonitorDisplays(const MachineDescription& desc) {
  std::vector<DisplayDesc> displays = {desc.display};
  for (const MonitorDesc& m : desc.more_monitors) displays.push_back(m.display);
  return displays;
}

class PLATFORM_EXPORT Machine {
 public:
  explicit Machine(const MachineDescription& desc);
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // The description as built: the displays and the 650-series boards with the memory
  // and addresses that ResolveKt650Layout gave them.
  const MachineDescription& desc() const { return desc_; }
  PciBus& pci() { return pci_; }
  // Null when the description leaves the PCI BIOS out.
  PciBios* pci_bios() { return pci_bios_.get(); }
  Rg700Board& rg700(std::size_t i) { return *rg700_.at(i); }
  std::size_t rg700_count() const { return rg700_.size(); }
  Kt650Board& kt650(std::size_t i) { return *kt650_.at(i); }
  std::size_t kt650_count() const { return kt650_.size(); }
  HostBridge& host_bridge(std::size_t i) { return *bridges_.at(i); }
  // The drivers exist whether or not the description installs them.
  Rg7NtDriver& rg7_nt_driver() { return *rg7_nt_driver_; }
  Rg7W95Vxd& rg7_w95_vxd() { return *rg7_w95_vxd_; }
  Kt6NtDriver& kt6_nt_driver() { return *kt6_nt_driver_; }
  Kt6W95Vxd& kt6_w95_vxd() { return *kt6_w95_vxd_; }
  PhysicalMemory& physical_memory() { return physical_memory_; }
  // The primary's.
  DisplayMemory& display_memory() { return displays_.front()->memory(); }
  Display& display() { return *displays_.front(); }
  // Monitor i's display (0: the primary).
  Display& display(std::size_t i) { return *displays_.at(i); }
  std::size_t display_count() const { return displays_.size(); }

  // For tests: waits until the driver in use for each board has served every
  // interrupt it received; false on time-out.
  bool WaitUntilInterruptsServed(std::uint32_t ms = 2000);

 private:
  // The driver that board `board`'s interrupts go to: one with an event registered
  // for the board, else an open one, else the NT driver if installed, else the VxD.
  Rg7DriverBase& DriverInUse(std::size_t board);
  // The same for the 650-series boards: one with an event registered for the
  // board's interrupt line, else an open one, else the NT driver if installed, else
  // the VxD.
  Kt6DriverBase& Kt650DriverInUse(std::size_t board);
  // Each monitor's display memory and the 650-series boards on the bus and in
  // physical memory.
  void BuildKt650Boards(const Kt650Layout& layout);
  // Each monitor's display, registered with the platform.
  void BuildDisplays(const Kt650Layout& layout);

  MachineDescription desc_;
  PciBus pci_;
  std::shared_ptr<PciBios> pci_bios_;
  PhysicalMemory physical_memory_;
  std::vector<std::shared_ptr<HostBridge>> bridges_;
  std::vector<std::shared_ptr<Rg700Board>> rg700_;
  std::shared_ptr<Rg7NtDriver> rg7_nt_driver_;
  std::shared_ptr<Rg7W95Vxd> rg7_w95_vxd_;
  std::shared_ptr<Kt6NtDriver> kt6_nt_driver_;
  std::shared_ptr<Kt6W95Vxd> kt6_w95_vxd_;
  std::vector<std::shared_ptr<DisplayMemory>> display_memories_;  // per monitor
  std::vector<std::shared_ptr<Kt650Board>> kt650_;
  // The board that drives each monitor, or null. The primary's VGA ports are its board's.
  std::vector<std::shared_ptr<Kt650Board>> monitor_boards_;
  std::vector<std::shared_ptr<Display>> displays_;
};

// Builds the machine and registers its drivers; a machine already on is powered off first.
PLATFORM_EXPORT Machine& PowerOn(const MachineDescription& desc = MachineDescription::Default());
PLATFORM_EXPORT void PowerOff();
// The machine that is on, or null.
PLATFORM_EXPORT Machine* CurrentMachine();

}  // namespace sim
