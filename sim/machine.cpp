#include "sim/machine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/module_loader.h"
#include "platform/port_io.h"
#include "sim/kt650/kt650_layout.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_video_clock.h"

namespace sim {
namespace {

std::unique_ptr<Machine> g_machine;

// Physical base of the RG-700 windows when the description leaves it open.
constexpr std::uint32_t kBoardWindowBase = 0xE0000000;

}  // namespace

MachineDescription MachineDescription::Default() {
  MachineDescription d;
  HostBridgeDesc natoma;
  natoma.vendor = 0x8086;
  natoma.device = 0x1237;
  natoma.revision = 2;
  d.host_bridges.push_back(natoma);
  d.rg700_boards.push_back(Rg700Desc{});
  d.kt650_boards.push_back(Kt650Desc{});
  return d;
}

Machine::Machine(const MachineDescription& desc) : desc_(desc) {
  Kt650Layout layout;
  std::string error;
  if (!ResolveKt650Layout(MonitorDisplays(desc), desc.kt650_boards, &layout, &error)) {
    std::fprintf(stderr, "virtual PC: %s\n", error.c_str());
    std::abort();
  }
  desc_.display = layout.monitors.front().display;
  for (std::size_t k = 1; k < layout.monitors.size(); ++k)
    desc_.more_monitors[k - 1].display = layout.monitors[k].display;
  desc_.kt650_boards = layout.boards;
  for (const HostBridgeDesc& b : desc.host_bridges) {
    auto bridge = std::make_shared<HostBridge>(b);
    bridges_.push_back(bridge);
    pci_.Add(bridge);
  }
  std::uint32_t next = kBoardWindowBase;
  for (Rg700Desc b : desc.rg700_boards) {
    if (b.bar0 == 0) b.bar0 = next;
    next += 0x1000000;
    auto board = std::make_shared<Rg700Board>(b);
    rg700_.push_back(board);
    pci_.Add(board);
    physical_memory_.ReserveWindow(b.bar0, rg700::kWindowSize);
  }
  BuildKt650Boards(layout);
  // The BIOS reports the last bus, so it comes once every function is on one.
  if (desc.pci_bios) {
    pci_bios_ = std::make_shared<PciBios>(pci_);
    platform::RegisterPciBios(pci_bios_);
  }
  rg7_nt_driver_ = std::make_shared<Rg7NtDriver>(*this);
  rg7_w95_vxd_ = std::make_shared<Rg7W95Vxd>(*this);
  kt6_nt_driver_ = std::make_shared<Kt6NtDriver>(*this);
  kt6_w95_vxd_ = std::make_shared<Kt6W95Vxd>(*this);
  for (std::size_t i = 0; i < rg700_.size(); ++i)
    rg700_[i]->SetInterruptSink([this, i](std::uint32_t bits) { DriverInUse(i).ServiceInterrupt(i, bits); });
  for (std::size_t i = 0; i < kt650_.size(); ++i)
    kt650_[i]->SetInterruptSink([this, i, line = kt650_[i]->desc().interrupt_line](const Kt650Interrupt& interrupt) {
      Kt650DriverInUse(i).ServiceInterrupt(line, interrupt);
    });
  if (desc.rg7_nt_driver) platform::RegisterDevice(rg7nt::kDeviceName, rg7_nt_driver_);
  if (desc.rg7_w95_vxd) platform::RegisterDevice(rg7w95::kDeviceName, rg7_w95_vxd_);
  if (desc.kt6_nt_driver) platform::RegisterDevice(kt6nt::kDeviceName, kt6_nt_driver_);
  if (desc.kt6_w95_vxd) platform::RegisterDevice(kt6w95::kDeviceName, kt6_w95_vxd_);
  BuildDisplays(layout);
  // The first board's VIP output feeds the primary display's video port.
  if (!rg700_.empty())
    rg700_[0]->video_clock().SetVipSink(
        [display = displays_.front()](const VipField& field) { display->ReceiveVipField(field); });
  for (std::size_t i = 0; i < rg700_.size(); ++i)
    rg700_[i]->ConnectBus(&physical_memory_,
                          [this, i](std::uint32_t ms) { return DriverInUse(i).WaitUntilServed(ms); });
  for (std::size_t i = 0; i < kt650_.size(); ++i)
    kt650_[i]->StartVideo([this, i](std::uint32_t ms) { return Kt650DriverInUse(i).WaitUntilServed(ms); });
}

void Machine::BuildKt650Boards(const Kt650Layout& layout) {
  for (const Kt650MonitorLayout& monitor : layout.monitors) {
    const DisplayDesc& d = monitor.display;
    auto memory = std::make_shared<DisplayMemory>(d.memory_bytes, d.physical_base, monitor.mapped_bytes);
    // Bus masters reach display memory at its physical address, the whole aperture's worth.
    physical_memory_.MapDeviceMemory(memory->base(), memory->mapped_size(), memory->physical_base());
    display_memories_.push_back(memory);
  }
  monitor_boards_.resize(layout.monitors.size());
  for (const Kt650Desc& b : layout.boards) {
    std::shared_ptr<DisplayMemory> memory;
    if (b.monitor >= 0) {
      memory = display_memories_.at(static_cast<std::size_t>(b.monitor));
    } else {
      memory = std::make_shared<DisplayMemory>(b.memory_bytes, b.frame_buffer_base, Kt650ApertureSize(b.chip));
      physical_memory_.MapDeviceMemory(memory->base(), memory->mapped_size(), memory->physical_base());
    }
    auto board = std::make_shared<Kt650Board>(b, memory);
    board->ConnectBus(&physical_memory_);
    kt650_.push_back(board);
    pci_.Add(board);
    Kt650Window registers = board->RegisterWindow();
    physical_memory_.ReserveWindow(registers.physical, registers.size);
    if (b.monitor >= 0) monitor_boards_[static_cast<std::size_t>(b.monitor)] = board;
  }
}

void Machine::BuildDisplays(const Kt650Layout& layout) {
  for (std::size_t k = 0; k < layout.monitors.size(); ++k) {
    // Fresh memory: the desktop lands at its start, where a board's first frame-buffer word is.
    auto display = std::make_shared<Display>(layout.monitors[k].display, display_memories_[k]);
    displays_.push_back(display);
    // A board shows its monitor's desktop: its registers follow the display's mode.
    // Its streams processor lays the video over that desktop on the monitor.
    if (const auto& board = monitor_boards_[k]) {
      display->SetDesktopListener([board](const DesktopMode& mode) { board->SetDesktop(&mode); });
      display->SetOverlayComposer(
          [board](const DesktopMode& mode, Picture* picture) { board->ComposeStreams(mode, picture); });
    }
  }
  platform::RegisterDisplayAdapter(displays_.front());
  for (std::size_t k = 0; k < displays_.size(); ++k) {
    POINT topLeft{0, 0};
    if (k > 0) topLeft = POINT{desc_.more_monitors[k - 1].left, desc_.more_monitors[k - 1].top};
    platform::RegisterMonitor({displays_[k], topLeft, "\\\\.\\DISPLAY" + std::to_string(k + 1)});
  }
  // The primary's board answers the primary adapter's VGA ports.
  if (monitor_boards_.front())
    platform::MapIoPorts(kt650::kFirstVgaPort, kt650::kVgaPortCount, monitor_boards_.front().get());
}

Machine::~Machine() {
  // The field clocks go first: they write into memory and raise interrupts.
  for (auto& board : rg700_) board->StopVideo();
  for (auto& board : kt650_) board->StopVideo();
  if (monitor_boards_.front()) platform::UnmapIoPorts(monitor_boards_.front().get());
  for (auto& display : displays_) {
    display->SetDesktopListener(nullptr);
    display->SetOverlayComposer(nullptr);
    platform::UnregisterMonitor(display.get());
  }
  platform::UnregisterDisplayAdapter(displays_.front().get());
  platform::UnregisterDevice(rg7nt::kDeviceName);
  platform::UnregisterDevice(rg7w95::kDeviceName);
  platform::UnregisterDevice(kt6nt::kDeviceName);
  platform::UnregisterDevice(kt6w95::kDeviceName);
  platform::RegisterPciBios(nullptr);
  for (auto& board : rg700_) board->SetInterruptSink(nullptr);
  for (auto& board : kt650_) board->SetInterruptSink(nullptr);
  rg7_nt_driver_->Unplug();
  rg7_w95_vxd_->Unplug();
  kt6_nt_driver_->Unplug();
  kt6_w95_vxd_->Unplug();
}

Rg7DriverBase& Machine::DriverInUse(std::size_t board) {
  Rg7DriverBase* nt = rg7_nt_driver_.get();
  Rg7DriverBase* vxd = rg7_w95_vxd_.get();
  for (Rg7DriverBase* d : {nt, vxd})
    if (d->EventsRegistered(board)) return *d;
  for (Rg7DriverBase* d : {nt, vxd})
    if (d->IsOpen()) return *d;
  return desc_.rg7_nt_driver || !desc_.rg7_w95_vxd ? *nt : *vxd;
}

Kt6DriverBase& Machine::Kt650DriverInUse(std::size_t board) {
  Kt6DriverBase* nt = kt6_nt_driver_.get();
  Kt6DriverBase* vxd = kt6_w95_vxd_.get();
  std::uint8_t line = kt650_.at(board)->desc().interrupt_line;
  for (Kt6DriverBase* d : {nt, vxd})
    if (d->EventRegisteredFor(line)) return *d;
  for (Kt6DriverBase* d : {nt, vxd})
    if (d->IsOpen()) return *d;
  return desc_.kt6_nt_driver || !desc_.kt6_w95_vxd ? *nt : *vxd;
}

bool Machine::WaitUntilInterruptsServed(std::uint32_t ms) {
  std::vector<DriverBase*> drivers;
  auto add = [&](DriverBase* d) {
    if (std::find(drivers.begin(), drivers.end(), d) == drivers.end()) drivers.push_back(d);
  };
  for (std::size_t i = 0; i < rg700_.size(); ++i) add(&DriverInUse(i));
  for (std::size_t i = 0; i < kt650_.size(); ++i) add(&Kt650DriverInUse(i));
  bool served = true;
  for (DriverBase* d : drivers) served = d->WaitUntilServed(ms) && served;
  return served;
}

Machine& PowerOn(const MachineDescription& desc) {
  g_machine.reset();
  g_machine = std::make_unique<Machine>(desc);
  platform::SetMachinePresent(true);
  return *g_machine;
}

void PowerOff() {
  g_machine.reset();
  platform::SetMachinePresent(false);
}

Machine* CurrentMachine() { return g_machine.get(); }

}  // namespace sim
