#include "sim/i2c/vpc32x5c_model.h"

#include "sim/bounded_log.h"

#include "platform/clock.h"

namespace sim {
namespace {

constexpr std::uint8_t kWriteBusy = 0x01;
constexpr std::uint8_t kReadBusy = 0x02;

bool IsDoneRegister(std::size_t fp) { return fp == Vpc32x5cModel::kFpStandard || fp == Vpc32x5cModel::kFpInput; }

}  // namespace

Vpc32x5cModel::Vpc32x5cModel() : I2cDevice(kAddress) { fp_[kFpIdentity] = 0x0040; }

bool Vpc32x5cModel::IsWordRegister(std::uint8_t subaddress) {
  switch (subaddress) {
    case kDirect1F:
    case kDirect21:
    case kDirect22:
    case kDirect26:
    case kDirect27:
    case kDirect28:
    case kDirect29:
    case kFpReadAddress:
    case kFpWriteAddress:
    case kFpData:
      return true;
    default:
      return false;
  }
}

bool Vpc32x5cModel::WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) {
  if (!IsWordRegister(subaddress)) {
    if (index == 0) WriteDirect(subaddress, value);
  } else if (index == 0) {
    high_byte_ = value;
  } else if (index == 1) {
    WriteDirect(subaddress, static_cast<std::uint16_t>(high_byte_ << 8 | value));
  }
  // Bytes beyond the register's width are acknowledged and dropped.
  return true;
}

std::uint8_t Vpc32x5cModel::ReadData(std::uint8_t subaddress, std::size_t index) {
  if (!IsWordRegister(subaddress)) return index == 0 ? static_cast<std::uint8_t>(ReadDirect(subaddress)) : 0xFF;
  if (index == 0) {
    read_word_ = ReadDirect(subaddress);
    return static_cast<std::uint8_t>(read_word_ >> 8);
  }
  return index == 1 ? static_cast<std::uint8_t>(read_word_) : 0xFF;
}

void Vpc32x5cModel::WriteDirect(std::uint8_t subaddress, std::uint16_t value) {
  if (subaddress == kFpStatus) return;
  direct_[subaddress] = value;
  if (subaddress == kFpData) FpWrite(direct_[kFpWriteAddress], value);
  if (subaddress == kFpReadAddress) fp_latch_ = FpRead(value);
}

std::uint16_t Vpc32x5cModel::ReadDirect(std::uint8_t subaddress) {
  if (subaddress == kFpData) return fp_latch_;
  if (subaddress == kFpStatus) return Pending(busy_left_) ? busy_bits_ : 0;
  return direct_[subaddress];
}

Vpc32x5cModel::Countdown Vpc32x5cModel::Start(std::uint32_t reads, std::uint32_t ms) {
  return Countdown{reads, ms ? static_cast<std::uint32_t>(GetTickCount()) : 0, ms};
}

bool Vpc32x5cModel::Pending(Countdown& c) {
  bool pending = false;
  if (c.reads != 0) {
    if (c.reads != kNever) --c.reads;
    pending = true;
  }
  if (c.ms == kNever || (c.ms != 0 && static_cast<std::uint32_t>(GetTickCount()) - c.start < c.ms)) pending = true;
  return pending;
}

void Vpc32x5cModel::StartBusy(std::uint8_t bits) {
  busy_left_ = Start(busy_delay_, busy_delay_ms_);
  busy_bits_ = bits;
}

void Vpc32x5cModel::FpWrite(std::uint16_t address, std::uint16_t value) {
  AppendBounded(fp_log_, VpcFpAccess{true, address, value});
  StartBusy(kWriteBusy);
  std::size_t i = FpIndex(address);
  if (i == kFpSignalStatus || i == kFpIdentity) return;
  if (IsDoneRegister(i)) {
    // The chip takes the new setting in its own time and shows bit 11 when done.
    value &= static_cast<std::uint16_t>(~kFpDone);
    done_left_[i - kFpStandard] = Start(done_delay_, done_delay_ms_);
  }
  fp_[i] = value;
}

std::uint16_t Vpc32x5cModel::FpRead(std::uint16_t address) {
  StartBusy(kReadBusy);
  std::size_t i = FpIndex(address);
  std::uint16_t value = fp_[i];
  if (IsDoneRegister(i)) {
    if (!Pending(done_left_[i - kFpStandard])) value |= kFpDone;
  }
  AppendBounded(fp_log_, VpcFpAccess{false, address, value});
  return value;
}

std::uint16_t Vpc32x5cModel::Direct(std::uint8_t subaddress) const {
  std::lock_guard lock(mutex_);
  return direct_[subaddress];
}

std::uint16_t Vpc32x5cModel::Fp(std::uint16_t address) const {
  std::lock_guard lock(mutex_);
  return fp_[FpIndex(address)];
}

void Vpc32x5cModel::SetFp(std::uint16_t address, std::uint16_t value) {
  std::lock_guard lock(mutex_);
  fp_[FpIndex(address)] = value;
}

void Vpc32x5cModel::SetFpBusyDelay(std::uint32_t reads) {
  std::lock_guard lock(mutex_);
  busy_delay_ = reads;
}

void Vpc32x5cModel::SetDoneDelay(std::uint32_t reads) {
  std::lock_guard lock(mutex_);
  done_delay_ = reads;
}

void Vpc32x5cModel::SetFpBusyDelayMs(std::uint32_t milliseconds) {
  std::lock_guard lock(mutex_);
  busy_delay_ms_ = milliseconds;
}

void Vpc32x5cModel::SetDoneDelayMs(std::uint32_t milliseconds) {
  std::lock_guard lock(mutex_);
  done_delay_ms_ = milliseconds;
}

std::vector<VpcFpAccess> Vpc32x5cModel::FpLog() const {
  std::lock_guard lock(mutex_);
  return fp_log_;
}

void Vpc32x5cModel::ClearFpLog() {
  std::lock_guard lock(mutex_);
  fp_log_.clear();
}

}  // namespace sim
