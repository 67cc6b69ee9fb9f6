#include "sim/rg700/rg700_board.h"

#include "sim/bounded_log.h"
#include "sim/i2c/i2c_device.h"
#include "sim/memory/low_memory.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_lut_port.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "sim/rg700/rg700_video_clock.h"
#include "sim/rg700/rg700_video_dma.h"

namespace sim {

using namespace rg700;

// A write to the mask lets through what waits in the status: the board raises it
// again, and whatever the new mask passes interrupts at once.
class Rg700Board::MaskHook : public RegisterHook {
 public:
  explicit MaskHook(Rg700Board& board) : board_(board) {}
  std::uint32_t TakeRaisedInterrupts() override { return board_.registers_.Get(kInterruptStatus); }

 private:
  Rg700Board& board_;
};

std::vector<RegisterInfo> Rg700Board::RegisterTable() {
  RegisterHook* dma = video_dma_.get();
  RegisterHook* lut = lut_port_.get();
  // {name, register, reset, read-only bits, write-1-to-clear bits, hook}
  return {
      {"VIDEO_ADDRESS1", kVideoAddress1, 0, 0, 0, dma},
      {"VIDEO_ADDRESS2", kVideoAddress2, 0, 0, 0, dma},
      {"VIDEO_POINTER1", kVideoPointer1, 0, 0, 0, dma},
      {"VIDEO_POINTER2", kVideoPointer2, 0, 0, 0, dma},
      {"VIDEO_STRIDE", kVideoStride, 0, 0, 0, dma},
      {"DMA_CONTROL", kDmaControl, 0, 0, 0, dma},
      {"PCI_CONTROL", kPciControl, 0, 0, 0, dma},
      // The sink takes the status bits it is given; a host write keeps its value.
      {"INTERRUPT_STATUS", kInterruptStatus, 0, 0, 0, nullptr},
      {"INTERRUPT_MASK", kInterruptMask, 0, 0, 0, mask_hook_.get()},
      {"SERIAL_BUS", kSerialBus, 0, 0, 0, serial_bus_.get()},
      {"CROP_LEFT", kCropLeft},
      {"CROP_LEFT_HIGH", kCropLeft + 1},
      {"CROP_RIGHT", kCropRight},
      {"CROP_RIGHT_HIGH", kCropRight + 1},
      {"CROP_TOP", kCropTop},
      {"CROP_TOP_HIGH", kCropTop + 1},
      {"CROP_BOTTOM", kCropBottom},
      {"CROP_BOTTOM_HIGH", kCropBottom + 1},
      {"FILTER_CONTROL", kFilterControl},
      {"HORIZONTAL_SCALE", kHorizontalScale},
      {"VERTICAL_SCALE_FRACTION", kVerticalScaleFraction},
      {"VERTICAL_SCALE_WHOLE", kVerticalScaleWhole},
      {"LUT_ADDRESS", kLutAddress, 0, 0, 0, lut},
      {"LUT_LUMA", kLutLuma, 0, 0, 0, lut},
      {"LUT_CHROMA", kLutChroma, 0, 0, 0, lut},
      {"OUTPUT_CONFIG", kOutputConfig},
      // The latches and the parity are the board's to set; a low enable clears its
      // latch (the hook).
      {"GIO_B", kGioB, 0, kGioEventLatched | kGioTriggerLatched | kGioFieldParity, 0, gio_.get()},
  };
}

unsigned Rg700Board::WidthOf(std::uint32_t index) { return index < kFirstByteRegister ? 4 : 1; }

Rg700Board::Rg700Board(const Rg700Desc& desc)
    : PciFunction(desc.bus, desc.device_number),
      desc_(desc),
      serial_bus_(std::make_unique<Rg700SerialBus>(desc)),
      video_inputs_(std::make_unique<Rg700VideoInputs>(desc.inputs, serial_bus_->bt829a(), serial_bus_->vpc32x5c())),
      lut_port_(std::make_unique<Rg700LutPort>()),
      // The field parity follows the decoder that feeds the bridge: a Bt829A drives
      // it high in even fields, a VPC32x5C in odd ones.
      gio_(std::make_unique<Rg700Gio>(*this, !desc.has_bt829a && desc.has_vpc32x5c)),
      video_dma_(std::make_unique<Rg700VideoDma>(*this)),
      mask_hook_(std::make_unique<MaskHook>(*this)),
      video_clock_(std::make_unique<Rg700VideoClock>(*this, desc.timing)),
      registers_(kRegisterCount, WidthOf, RegisterTable()) {
  SetWord(pci::kVendorId, kVendor);
  SetWord(pci::kDeviceId, kDevice);
  SetWord(pci::kCommand, desc.command);
  SetWritable(pci::kCommand, 1, 0x07);
  SetByte(pci::kRevision, 0x02);
  SetByte(pci::kClassCode + 1, 0x00);
  SetByte(pci::kClassCode + 2, 0x04);  // multimedia controller
  SetWritable(pci::kLatencyTimer, 1);
  SetDword(pci::kBar0, desc.bar0);
  // A memory window of kWindowSize: only the address bits above it are writable.
  constexpr std::uint32_t kBarMask = ~static_cast<std::uint32_t>(kWindowSize - 1);
  SetWritable(pci::kBar0 + 2, 1, static_cast<std::uint8_t>(kBarMask >> 16));
  SetWritable(pci::kBar0 + 3, 1, static_cast<std::uint8_t>(kBarMask >> 24));
  SetWord(pci::kSubsystemVendor, desc.subsystem_vendor);
  SetWord(pci::kSubsystemId, desc.subsystem_id);
  SetByte(pci::kInterruptLine, desc.interrupt_line);
  SetWritable(pci::kInterruptLine, 1);
  SetByte(pci::kInterruptPin, 1);
  Rg700VideoInputs* inputs = video_inputs_.get();
  for (I2cDevice* d :
       {static_cast<I2cDevice*>(serial_bus_->bt829a()), static_cast<I2cDevice*>(serial_bus_->vpc32x5c())})
    if (d) d->SetWriteObserver([inputs] { inputs->Refresh(); });
  window_ = MapBelow4G(kWindowSize, false);
  platform::MapMmioWindow(reinterpret_cast<std::uintptr_t>(window_), kWindowSize, this);
}

Rg700Board::~Rg700Board() {
  StopVideo();
  platform::UnmapMmioWindow(reinterpret_cast<std::uintptr_t>(window_));
  UnmapBelow4G(window_, kWindowSize);
}

DWORD Rg700Board::MmioRead(DWORD offset, unsigned width) {
  std::lock_guard lock(mutex_);
  DWORD value = 0;
  // An access may touch up to two registers; each is read once, through its hook.
  DWORD lastIndex = 0xFFFFFFFF;
  std::uint32_t current = 0;
  for (unsigned i = 0; i < width; ++i) {
    DWORD at = offset + i;
    DWORD index = at / 4;
    DWORD byte = at % 4;
    if (index >= kRegisterCount || byte >= registers_.width(index)) continue;
    if (index != lastIndex) {
      lastIndex = index;
      current = registers_.Read(index);
    }
    value |= ((current >> (8 * byte)) & 0xFF) << (8 * i);
  }
  return value;
}

void Rg700Board::ConnectBus(PhysicalMemory* memory, std::function<bool(std::uint32_t)> servedWaiter) {
  video_dma_->SetMemory(memory);
  video_clock_->SetServedWaiter(std::move(servedWaiter));
  if (desc_.timing.running) video_clock_->Start();
}

void Rg700Board::StopVideo() {
  if (video_clock_) video_clock_->Stop();
}

void Rg700Board::SetInterruptSink(InterruptSink sink) {
  std::lock_guard lock(mutex_);
  sink_ = std::move(sink);
}

std::uint32_t Rg700Board::TakePendingLocked() {
  std::uint32_t status = registers_.Get(kInterruptStatus);
  std::uint32_t pending = status & registers_.Get(kInterruptMask);
  if (pending && sink_) {
    registers_.Set(kInterruptStatus, status & ~pending);
    return pending;
  }
  return 0;
}

void Rg700Board::Deliver(std::uint32_t bits) {
  if (!bits) return;
  InterruptSink sink;
  {
    std::lock_guard lock(mutex_);
    sink = sink_;
  }
  if (sink) sink(bits);
}

void Rg700Board::RaiseInterrupt(std::uint32_t bits) {
  std::uint32_t pending;
  {
    std::lock_guard lock(mutex_);
    registers_.Set(kInterruptStatus, registers_.Get(kInterruptStatus) | bits);
    pending = TakePendingLocked();
  }
  Deliver(pending);
}

void Rg700Board::MmioWrite(DWORD offset, unsigned width, DWORD value) {
  std::uint32_t pending;
  {
    std::lock_guard lock(mutex_);
    pending = WriteLocked(offset, width, value);
  }
  Deliver(pending);
}

std::uint32_t Rg700Board::WriteLocked(DWORD offset, unsigned width, DWORD value) {
  std::uint32_t pending = 0;
  for (DWORD index = offset / 4; index <= (offset + width - 1) / 4 && index < kRegisterCount; ++index) {
    // The access's bytes that fall in this register, in the register's lanes.
    std::uint32_t bits = 0;
    std::uint32_t mask = 0;
    for (unsigned i = 0; i < width; ++i) {
      DWORD at = offset + i;
      if (at / 4 != index || at % 4 >= registers_.width(index)) continue;
      bits |= ((value >> (8 * i)) & 0xFF) << (8 * (at % 4));
      mask |= 0xFFu << (8 * (at % 4));
    }
    if (!mask) continue;
    if (std::uint32_t raised = registers_.Write(index, bits, mask)) {
      registers_.Set(kInterruptStatus, registers_.Get(kInterruptStatus) | raised);
      pending |= TakePendingLocked();
    }
  }
  AppendBounded(writes_, RegisterAccess{offset / 4, width, value}, kWriteLogLimit);
  return pending;
}

std::uint32_t Rg700Board::Register(std::uint32_t index) const {
  std::lock_guard lock(mutex_);
  return registers_.Get(index);
}

void Rg700Board::SetRegister(std::uint32_t index, std::uint32_t value) {
  std::lock_guard lock(mutex_);
  registers_.Set(index, value);
}

std::vector<RegisterAccess> Rg700Board::RegisterWrites() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

void Rg700Board::ClearRegisterWrites() {
  std::lock_guard lock(mutex_);
  writes_.clear();
}

}  // namespace sim
