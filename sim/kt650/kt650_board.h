// The 650-series board: a display adapter whose frame buffer is the display memory,
// with its PCI function, its register window (MMIO registers laid out as
// kt650_registers.h gives them, and the VGA ports as bytes of the window) and the
// VGA ports of the primary adapter reached by port I/O. Its field clock gives the
// vertical syncs of the camera that its video devices route to the video port
// (kt650_video_inputs.h), which set the interrupt status and show the field, and
// raise the interrupt sources the enables let out (kt650_interrupt_gate.h). Its
// bus master copies physical memory into display memory (kt650_bus_master.h); its
// video port captures the fields into it (kt650_video_port.h).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/port_io.h"
#include "platform/register_io.h"
#include "sim/display/display.h"
#include "sim/kt650/kt650_bus_master.h"
#include "sim/kt650/kt650_desc.h"
#include "sim/kt650/kt650_field_clock.h"
#include "sim/kt650/kt650_lines.h"
#include "sim/kt650/kt650_memory_clock.h"
#include "sim/kt650/kt650_serial_port.h"
#include "sim/kt650/kt650_vga.h"
#include "sim/kt650/kt650_video_inputs.h"
#include "sim/kt650/kt650_video_port.h"
#include "sim/pci/pci_bus.h"
#include "sim/register_table.h"

namespace sim {

// A window as the BARs decode it now, with where the process reaches it.
struct Kt650Window {
  std::uint32_t physical;
  std::uint32_t size;
  BYTE* host;
};

enum class Kt650AccessPath { kMmio, kPort };

// A host write; port writes are logged at the window offset of their port
// (kVgaPortBase + port).
struct Kt650RegisterWrite {
  Kt650AccessPath path;
  std::uint32_t offset;
  unsigned width;
  std::uint32_t value;
};

// What the board's interrupt tells the driver: the sources let out, and the field
// and frame counter of the last vertical sync.
struct Kt650Interrupt {
  std::uint16_t sources;
  bool field;
  std::uint8_t frame_counter;
};

class PLATFORM_EXPORT Kt650Board : public PciFunction, public platform::MmioDevice, public platform::PortIoDevice {
 public:
  // frameBuffer: the display memory the board carries (shared with sim::Display when
  // the board drives the monitor), backed over at least the aperture. The
  // description's memory size and physical addresses are as the machine resolved them.
  Kt650Board(const Kt650Desc& desc, std::shared_ptr<DisplayMemory> frameBuffer);
  ~Kt650Board() override;
  Kt650Board(const Kt650Board&) = delete;
  Kt650Board& operator=(const Kt650Board&) = delete;

  const Kt650Desc& desc() const { return desc_; }
  // CRTC 0x83, 0x84, 0x81, 0x82 as bytes 0..3.
  std::uint32_t board_id() const;
  DisplayMemory& frame_buffer() { return *frame_buffer_; }
  // The base register that decodes the frame-buffer aperture (BAR1 on chip 0x8A22,
  // BAR0 on the others) as it reads now, its flag bits included.
  std::uint32_t FrameBufferBase() const;
  // From the BARs as they are now.
  Kt650Window FrameBufferAperture() const;
  Kt650Window RegisterWindow() const;

  DWORD MmioRead(DWORD offset, unsigned width) override;
  void MmioWrite(DWORD offset, unsigned width, DWORD value) override;
  DWORD PortRead(WORD port, unsigned width) override;
  void PortWrite(WORD port, unsigned width, DWORD value) override;

  // The desktop of the monitor the board drives (null: none): CRTC 0x4C/0x4D and
  // the high nibble of 0x67.
  void SetDesktop(const DesktopMode* mode);
  void SetRefreshRate(std::uint32_t hz);
  // Lays the streams processor's secondary stream over `picture`, the monitor's
  // picture of the desktop in `desktop`, as the blend control says (kt650_streams.h).
  void ComposeStreams(const DesktopMode& desktop, Picture* picture) const;

  // Test view, without side effects.
  std::uint8_t Crtc(std::uint8_t index) const;
  void SetCrtc(std::uint8_t index, std::uint8_t value);
  std::uint8_t Sequencer(std::uint8_t index) const;
  void SetSequencer(std::uint8_t index, std::uint8_t value);
  // The dword at a 4-aligned window offset: the kept value (for the engine status
  // register, the source enables; for the serial port, its bits with the lines as
  // they were after the last write), or the VGA ports' bytes as a read gives them.
  std::uint32_t Register(std::uint32_t offset) const;
  // Sets the kept value of a register outside the VGA ports.
  void SetRegister(std::uint32_t offset, std::uint32_t value);
  // What the host last wrote to the engine status register.
  std::uint32_t SourceEnables() const;
  std::vector<Kt650RegisterWrite> RegisterWrites() const;
  void ClearRegisterWrites();

  // The serial port's bus (Frames(): what went over the wires) and its devices;
  // those the board's type lacks are null (kt650_serial_port.h says which).
  I2cBus& serial_bus() { return serial_port_->bus(); }
  const I2cBus& serial_bus() const { return serial_port_->bus(); }
  Kt650ControlPort* control_port() { return serial_port_->control_port(); }
  Kt650BoardControl* board_control() { return serial_port_->board_control(); }
  Saa7110Model* saa7110() { return serial_port_->saa7110(); }
  Kt650Decoder2* decoder2() { return serial_port_->decoder2(); }
  Kt650StatusDevice& status_device() { return serial_port_->status_device(); }
  // The output LUT: types 0-2 by bank, types 3-5 by lane (0-3).
  std::uint8_t Lut(unsigned bank, unsigned index) const;
  double MemoryClockMhz() const;
  // Host writes of the serial port register so far.
  std::uint64_t SerialPortWrites() const { return serial_port_->writes(); }

  // Where the bus master reaches physical memory (the machine's).
  void ConnectBus(PhysicalMemory* memory);
  void SetBusMasterFault(Kt650EngineFault fault);

  // The cameras on the devices' inputs, and which one the video port sees.
  Kt650VideoInputs& video_inputs() { return *video_inputs_; }
  Kt650FieldClock& field_clock() { return *field_clock_; }
  Kt650VideoPort& video_port() { return *video_port_; }
  // The driver's service routine; it runs on the raising thread with no lock of the
  // board held.
  using InterruptSink = std::function<void(const Kt650Interrupt& interrupt)>;
  void SetInterruptSink(InterruptSink sink);
  // Connects the field clock to the driver and starts it, unless the description
  // keeps it stopped (power on).
  void StartVideo(Kt650FieldClock::ServedWaiter servedWaiter);
  // Stops the field clock and joins its thread (power off).
  void StopVideo();
  // The boundary where field `count` of the field clock begins, before its vertical
  // sync: the video port writes the field that ends there while capture runs.
  void FieldBoundary(std::uint32_t count);
  // A vertical sync of the field clock: interrupt status bit 2, the field where the
  // board's type shows it, and source 2 raised.
  void VerticalSync(bool field, std::uint8_t frameCounter);
  // Raises the sources through the enables; sources 0-3 also set their status bits.
  void RaiseInterrupt(std::uint16_t sources);

  // The strobe output and the trigger and event inputs (kt650_lines.h). An input's
  // level: lines 0-3 on types 3-5, kt650::kEventInput and kTriggerInput on types
  // 1-2; an active edge raises its source through the enables.
  void SetLineInput(unsigned line, bool level);
  bool LineInput(unsigned line) const;
  // An output's level now (types 1-2: line 0), and every change so far.
  bool StrobeOutput(unsigned line) const;
  std::vector<Kt650OutputChange> OutputChanges() const;
  void ClearOutputChanges();
  // The number of the field that began at the last vertical sync.
  std::uint32_t FieldCount() const;

 private:
  class EngineStatusHook;
  class GpioHook;
  Kt650VideoDevices VideoDevices() const;
  std::vector<RegisterInfo> RegisterTable();
  std::vector<RegisterInfo> SequencerTable();
  void SetUpConfigSpace();
  static bool IsVgaOffset(std::uint32_t offset);
  std::uint8_t ReadByteLocked(std::uint32_t offset, std::uint32_t* lastIndex, std::uint32_t* current);
  void WriteLocked(std::uint32_t offset, unsigned width, std::uint32_t value);
  // Sets the status bits of sources 0-3 and gives what the enables let out.
  Kt650Interrupt RaiseLocked(std::uint16_t sources);
  void Deliver(const Kt650Interrupt& interrupt);
  Kt650CaptureState CaptureStateLocked() const;
  Kt650LineRegisters LineRegistersLocked() const;
  // After host writes: the lines see the registers and the writes that landed; the
  // interrupt of what their edges raised is returned for Deliver.
  Kt650Interrupt ObserveLinesLocked(const std::vector<Kt650LandedWrite>& landed, bool vgaWritten);

  Kt650Desc desc_;
  std::shared_ptr<DisplayMemory> frame_buffer_;
  std::uint32_t window_size_;
  void* window_ = nullptr;
  mutable std::mutex mutex_;
  std::vector<Kt650RegisterWrite> writes_;
  std::unique_ptr<Kt650SerialPort> serial_port_;
  std::unique_ptr<Kt650VideoInputs> video_inputs_;  // after the devices it reads
  std::unique_ptr<GpioHook> gpio_hook_;
  std::unique_ptr<Kt650MemoryClock> memory_clock_;
  Kt650Vga vga_;  // after its sequencer's hooks
  std::unique_ptr<Kt650BusMaster> bus_master_;
  std::unique_ptr<EngineStatusHook> engine_status_;
  std::unique_ptr<Kt650VideoPort> video_port_;
  RegisterFile registers_;  // after its hooks
  InterruptSink sink_;
  bool field_ = false;
  std::uint8_t frame_counter_ = 0;
  std::uint32_t field_count_ = 0;
  Kt650Lines lines_;
  std::unique_ptr<Kt650FieldClock> field_clock_;  // last: it uses all the above
};

}  // namespace sim
