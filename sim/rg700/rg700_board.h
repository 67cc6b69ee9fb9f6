// The RG-700 capture board: its PCI function and the bridge's register window,
// laid out as rg700_registers.h gives it. The registers with behaviour beyond
// keeping a value are declared in the board's register table, each with the
// component that gives it that behaviour.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/register_io.h"
#include "sim/pci/pci_bus.h"
#include "sim/register_table.h"
#include "sim/rg700/rg700_video_inputs.h"
#include "sim/video/video_source.h"

namespace sim {

class Rg700SerialBus;
class Rg700LutPort;
class Rg700Gio;
class Rg700VideoDma;
class Rg700VideoClock;
class PhysicalMemory;

struct Rg700Desc {
  std::uint8_t bus = 0;
  std::uint8_t device_number = 0x0D;
  std::uint16_t subsystem_vendor = 0x7A1C;
  std::uint16_t subsystem_id = 0x0040;
  std::uint8_t interrupt_line = 11;
  std::uint8_t command = 0x02;  // as the BIOS left it: memory space on, bus master off
  std::uint32_t bar0 = 0;       // 0: the machine assigns one
  // Decoders on the board's serial bus.
  bool has_bt829a = true;
  bool has_vpc32x5c = false;
  // Cameras on the four inputs; the default is an NTSC camera on input 0.
  std::array<VideoSourceDesc, 4> inputs = {VideoSourceDesc{true, 0}, {}, {}, {}};
  VideoTimingDesc timing;
};

struct RegisterAccess {
  std::uint32_t index;  // register number (offset / 4)
  unsigned width;
  std::uint32_t value;
};

class PLATFORM_EXPORT Rg700Board : public PciFunction, public platform::MmioDevice {
 public:
  static constexpr std::uint32_t kVendor = 0x11D1;
  static constexpr std::uint32_t kDevice = 0x01F8;
  static constexpr std::size_t kWriteLogLimit = 1 << 20;

  explicit Rg700Board(const Rg700Desc& desc);
  ~Rg700Board() override;

  const Rg700Desc& desc() const { return desc_; }
  // Where the driver has the register window mapped in the process (below 4 GB).
  std::uint32_t mapped_base() const { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window_)); }

  DWORD MmioRead(DWORD offset, unsigned width) override;
  void MmioWrite(DWORD offset, unsigned width, DWORD value) override;

  // Interrupt status and mask: raised bits stay in the status; whenever status &
  // mask is non-zero the board interrupts, and the sink (the driver's service
  // routine) takes those bits, which leave the status. A host write to the status
  // keeps what is written; one to the mask interrupts at once with what it lets
  // through.
  using InterruptSink = std::function<void(std::uint32_t bits)>;
  void SetInterruptSink(InterruptSink sink);
  void RaiseInterrupt(std::uint32_t bits);

  // The serial-bus register's I2C lines and the decoders on them.
  Rg700SerialBus& serial_bus() { return *serial_bus_; }
  Rg700VideoInputs& video_inputs() { return *video_inputs_; }
  const Rg700VideoInputs& video_inputs() const { return *video_inputs_; }
  Rg700LutPort& lut_port() { return *lut_port_; }
  // General-purpose I/O register B: event, trigger, strobe and field parity.
  Rg700Gio& gio() { return *gio_; }
  Rg700VideoDma& video_dma() { return *video_dma_; }
  Rg700VideoClock& video_clock() { return *video_clock_; }

  // The machine's bus: the memory the DMA writes into, and a wait for the driver to
  // serve the interrupts raised so far. Then the field clock starts, unless the
  // description keeps it stopped.
  void ConnectBus(PhysicalMemory* memory, std::function<bool(std::uint32_t)> servedWaiter);
  // Stops the field clock and joins its thread (power off).
  void StopVideo();

  // Test view.
  std::uint32_t Register(std::uint32_t index) const;
  void SetRegister(std::uint32_t index, std::uint32_t value);
  std::vector<RegisterAccess> RegisterWrites() const;
  void ClearRegisterWrites();

 private:
  class MaskHook;
  static unsigned WidthOf(std::uint32_t index);
  // The registers the model knows, with the components that are their hooks.
  std::vector<RegisterInfo> RegisterTable();
  // Takes the pending bits out of the status; called with the lock held.
  std::uint32_t TakePendingLocked();
  // A host write with the lock held; returns the bits that now interrupt.
  std::uint32_t WriteLocked(DWORD offset, unsigned width, DWORD value);
  void Deliver(std::uint32_t bits);

  Rg700Desc desc_;
  void* window_ = nullptr;
  mutable std::mutex mutex_;
  std::vector<RegisterAccess> writes_;
  InterruptSink sink_;
  std::unique_ptr<Rg700SerialBus> serial_bus_;
  std::unique_ptr<Rg700VideoInputs> video_inputs_;
  std::unique_ptr<Rg700LutPort> lut_port_;
  std::unique_ptr<Rg700Gio> gio_;
  std::unique_ptr<Rg700VideoDma> video_dma_;
  std::unique_ptr<MaskHook> mask_hook_;
  std::unique_ptr<Rg700VideoClock> video_clock_;
  RegisterFile registers_;  // after the components, which are its hooks
};

}  // namespace sim
