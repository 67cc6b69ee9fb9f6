#include "sim/machine.h"

#include <algorithm>

#include "platform/module_loader.h"
#include "sim/rg700/rg700_registers.h"

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
  return d;
}

Machine::Machine(const MachineDescription& desc) : desc_(desc) {
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
  pci_bios_ = std::make_shared<PciBios>(pci_);
  platform::RegisterPciBios(pci_bios_);
  rg7_nt_driver_ = std::make_shared<Rg7NtDriver>(*this);
  rg7_w95_vxd_ = std::make_shared<Rg7W95Vxd>(*this);
  for (std::size_t i = 0; i < rg700_.size(); ++i)
    rg700_[i]->SetInterruptSink([this, i](std::uint32_t bits) { DriverInUse(i).ServiceInterrupt(i, bits); });
  if (desc.rg7_nt_driver) platform::RegisterDevice(rg7nt::kDeviceName, rg7_nt_driver_);
  if (desc.rg7_w95_vxd) platform::RegisterDevice(rg7w95::kDeviceName, rg7_w95_vxd_);
  display_memory_ = std::make_shared<DisplayMemory>(desc.display.memory_bytes, desc.display.physical_base);
  display_ = std::make_shared<Display>(desc.display, display_memory_);
  // Bus masters reach display memory at its physical address.
  physical_memory_.MapDeviceMemory(display_memory_->base(), display_memory_->size(), display_memory_->physical_base());
  platform::RegisterDisplayAdapter(display_);
  for (std::size_t i = 0; i < rg700_.size(); ++i)
    rg700_[i]->ConnectBus(&physical_memory_,
                          [this, i](std::uint32_t ms) { return DriverInUse(i).WaitUntilServed(ms); });
}

Machine::~Machine() {
  // The field clocks go first: they write into memory and raise interrupts.
  for (auto& board : rg700_) board->StopVideo();
  platform::UnregisterDisplayAdapter(display_.get());
  platform::UnregisterDevice(rg7nt::kDeviceName);
  platform::UnregisterDevice(rg7w95::kDeviceName);
  platform::RegisterPciBios(nullptr);
  for (auto& board : rg700_) board->SetInterruptSink(nullptr);
  rg7_nt_driver_->Unplug();
  rg7_w95_vxd_->Unplug();
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

bool Machine::WaitUntilInterruptsServed(std::uint32_t ms) {
  std::vector<Rg7DriverBase*> drivers;
  for (std::size_t i = 0; i < rg700_.size(); ++i) {
    Rg7DriverBase* d = &DriverInUse(i);
    if (std::find(drivers.begin(), drivers.end(), d) == drivers.end()) drivers.push_back(d);
  }
  bool served = true;
  for (Rg7DriverBase* d : drivers) served = d->WaitUntilServed(ms) && served;
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
