#include "sim/i2c/i2c_device.h"

#include "sim/bounded_log.h"

namespace sim {

void I2cDevice::CloseTransfer(bool stop) {
  if (!open_) return;
  log_.back().stopped = stop;
  open_ = false;
}

void I2cDevice::Selected(bool read) {
  std::lock_guard lock(mutex_);
  if (read && open_ && log_.back().kind == I2cTransfer::Kind::kWrite && log_.back().has_subaddress &&
      log_.back().bytes.empty()) {
    // Subaddress written, then a repeated start: the register read.
    log_.back().kind = I2cTransfer::Kind::kRead;
    index_ = 0;
    return;
  }
  CloseTransfer(false);
  I2cTransfer t;
  t.kind = read ? I2cTransfer::Kind::kRead : I2cTransfer::Kind::kWrite;
  if (read) t.subaddress = subaddress_;
  AppendBounded(log_, std::move(t));
  open_ = true;
  index_ = 0;
}

bool I2cDevice::Received(std::uint8_t byte) {
  std::lock_guard lock(mutex_);
  if (!open_) return false;
  I2cTransfer& t = log_.back();
  if (!t.has_subaddress) {
    t.has_subaddress = true;
    t.subaddress = subaddress_ = byte;
    return true;
  }
  bool ack = WriteData(subaddress_, index_++, byte);
  t.bytes.push_back(byte);
  t.acks.push_back(ack);
  return ack;
}

std::uint8_t I2cDevice::Transmit() {
  std::lock_guard lock(mutex_);
  if (!open_) return 0xFF;
  std::uint8_t b = ReadData(subaddress_, index_++);
  log_.back().bytes.push_back(b);
  return b;
}

void I2cDevice::MasterAnswered(bool ack) {
  std::lock_guard lock(mutex_);
  if (open_) log_.back().acks.push_back(ack);
}

void I2cDevice::Released(bool stop) {
  std::function<void()> observer;
  {
    std::lock_guard lock(mutex_);
    bool wrote = open_ && !log_.empty() && log_.back().kind == I2cTransfer::Kind::kWrite;
    CloseTransfer(stop);
    if (wrote) observer = write_observer_;
  }
  if (observer) observer();
}

void I2cDevice::SetWriteObserver(std::function<void()> observer) {
  std::lock_guard lock(mutex_);
  write_observer_ = std::move(observer);
}

unsigned I2cDevice::clock_stretch() const {
  std::lock_guard lock(mutex_);
  return stretch_;
}

std::vector<I2cTransfer> I2cDevice::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void I2cDevice::ClearLog() {
  std::lock_guard lock(mutex_);
  // A transfer under way stays, so that it still closes properly.
  if (open_) {
    I2cTransfer current = log_.back();
    log_.assign(1, current);
  } else {
    log_.clear();
  }
}

void I2cDevice::SetClockStretch(unsigned reads) {
  std::lock_guard lock(mutex_);
  stretch_ = reads;
}

}  // namespace sim
