#include "sim/rg700/rg700_board.h"

#include "sim/bounded_log.h"

#include "sim/i2c/i2c_device.h"
#include "sim/memory/low_memory.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_lut_port.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "sim/rg700/rg700_video_clock.h"
#include "sim/rg700/rg700_video_dma.h"

namespace sim {

Rg700Board::Rg700Board(const Rg700Desc& desc) : PciFunction(desc.bus, desc.device_number), desc_(desc) {
  SetWord(pci::kVendorId, kVendor);
  SetWord(pci::kDeviceId, kDevice);
  SetWord(pci::kCommand, desc.command);
  SetWritable(pci::kCommand, 1, 0x07);
  SetByte(pci::kRevision, 0x02);
  SetByte(pci::kClassCode + 1, 0x00);
  SetByte(pci::kClassCode + 2, 0x04);  // multimedia controller
  SetWritable(pci::kLatencyTimer, 1);
  SetDword(pci::kBar0, desc.bar0);
  // A 1 MB memory window: only address bits 20 and up are writable.
  SetWritable(pci::kBar0 + 2, 1, 0xF0);
  SetWritable(pci::kBar0 + 3, 1, 0xFF);
  SetWord(pci::kSubsystemVendor, desc.subsystem_vendor);
  SetWord(pci::kSubsystemId, desc.subsystem_id);
  SetByte(pci::kInterruptLine, desc.interrupt_line);
  SetWritable(pci::kInterruptLine, 1);
  SetByte(pci::kInterruptPin, 1);
  auto serialBus = std::make_unique<Rg700SerialBus>(desc);
  serial_bus_ = serialBus.get();
  hooks_.push_back(std::move(serialBus));
  auto lut = std::make_unique<Rg700LutPort>();
  lut_port_ = lut.get();
  hooks_.push_back(std::move(lut));
  // The field parity follows the decoder that feeds the bridge: a Bt829A drives it
  // high in even fields, a VPC32x5C in odd ones.
  auto gio = std::make_unique<Rg700Gio>(*this, !desc.has_bt829a && desc.has_vpc32x5c);
  gio_ = gio.get();
  hooks_.push_back(std::move(gio));
  auto dma = std::make_unique<Rg700VideoDma>(*this);
  video_dma_ = dma.get();
  hooks_.push_back(std::move(dma));
  video_clock_ = std::make_unique<Rg700VideoClock>(*this, desc.timing);
  video_inputs_ = std::make_unique<Rg700VideoInputs>(desc.inputs, serial_bus_->bt829a(), serial_bus_->vpc32x5c());
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

Rg700RegisterHook* Rg700Board::HookFor(std::uint32_t index) const {
  for (const auto& h : hooks_)
    if (h->Handles(index)) return h.get();
  return nullptr;
}

void Rg700Board::AddHook(std::unique_ptr<Rg700RegisterHook> hook) {
  std::lock_guard lock(mutex_);
  hooks_.push_back(std::move(hook));
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
    if (index >= kRegisterCount || (IsByteRegister(index) && byte != 0)) continue;
    if (index != lastIndex) {
      lastIndex = index;
      current = registers_[index];
      if (Rg700RegisterHook* h = HookFor(index)) current = h->OnRead(index, current);
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
  std::uint32_t pending = registers_[kStatusRegister] & registers_[kMaskRegister];
  if (pending && sink_) {
    registers_[kStatusRegister] &= ~pending;
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
    registers_[kStatusRegister] |= bits;
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
    std::uint32_t old = registers_[index];
    std::uint32_t updated = old;
    bool touched = false;
    for (unsigned i = 0; i < width; ++i) {
      DWORD at = offset + i;
      if (at / 4 != index) continue;
      DWORD byte = at % 4;
      if (IsByteRegister(index) && byte != 0) continue;
      std::uint32_t mask = 0xFFu << (8 * byte);
      updated = (updated & ~mask) | ((((value >> (8 * i)) & 0xFF) << (8 * byte)) & mask);
      touched = true;
    }
    if (!touched) continue;
    if (Rg700RegisterHook* h = HookFor(index)) {
      updated = h->OnWrite(index, old, updated);
      if (std::uint32_t raised = h->TakeRaisedInterrupts()) {
        registers_[kStatusRegister] |= raised;
        pending |= TakePendingLocked();
      }
    }
    registers_[index] = IsByteRegister(index) ? updated & 0xFF : updated;
    if (index == kMaskRegister) pending |= TakePendingLocked();
  }
  AppendBounded(writes_, RegisterAccess{offset / 4, width, value}, kWriteLogLimit);
  return pending;
}

std::uint32_t Rg700Board::Register(std::uint32_t index) const {
  std::lock_guard lock(mutex_);
  return index < kRegisterCount ? registers_[index] : 0;
}

void Rg700Board::SetRegister(std::uint32_t index, std::uint32_t value) {
  std::lock_guard lock(mutex_);
  if (index < kRegisterCount) registers_[index] = IsByteRegister(index) ? value & 0xFF : value;
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
