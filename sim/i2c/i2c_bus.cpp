#include "sim/i2c/i2c_bus.h"

#include "sim/bounded_log.h"

namespace sim {

void I2cBus::Attach(I2cTarget* device) {
  std::lock_guard lock(mutex_);
  devices_.push_back(device);
}

void I2cBus::Drive(bool clockReleased, bool dataReleased) {
  std::lock_guard lock(mutex_);
  // Both lines may change in one register write. Taking the data line while the
  // clock is low (before a rising clock, after a falling one) keeps such a write
  // from reading as a start or stop condition.
  if (clockReleased && !master_clock_) {
    master_data_ = dataReleased;
    Settle();
    master_clock_ = true;
    if (sender_ == Sender::kDevice && bit_ < 8 && selected_) {
      if (unsigned n = selected_->clock_stretch()) {
        hold_ = true;
        hold_reads_ = n;
      }
    }
    Settle();
  } else {
    master_clock_ = clockReleased;
    if (!clockReleased) hold_ = false;  // the master pulls the line low itself
    Settle();
    master_data_ = dataReleased;
    Settle();
  }
}

void I2cBus::Sense(bool* clock, bool* data) {
  std::lock_guard lock(mutex_);
  ++senses_;
  if (hold_) {
    // A device whose stretching is switched off lets go at once.
    if (hold_reads_ == 0 || !selected_ || selected_->clock_stretch() == 0) {
      hold_ = false;
      Settle();
    } else {
      --hold_reads_;
    }
  }
  *clock = last_clock_;
  *data = last_data_;
}

void I2cBus::Levels(bool* clock, bool* data) const {
  std::lock_guard lock(mutex_);
  *clock = last_clock_;
  *data = last_data_;
}

void I2cBus::Settle() {
  bool clock = SensedClock();
  if (clock != last_clock_) {
    last_clock_ = clock;
    if (clock)
      OnRise();
    else
      OnFall();
  }
  bool data = SensedData();
  if (data != last_data_) {
    last_data_ = data;
    if (last_clock_) {
      if (data)
        OnStop();
      else
        OnStart();
    }
  }
  last_data_ = SensedData();
}

void I2cBus::OnStart() {
  if (framing_) {
    ++frame_.repeated_starts;
  } else {
    framing_ = true;
    frame_ = Frame{};
  }
  address_next_ = true;
  sender_ = Sender::kMaster;
  bit_ = 0;
  shift_ = 0;
  risen_ = false;
  device_data_low_ = false;
  hold_ = false;
}

void I2cBus::OnStop() {
  if (!framing_) return;
  if (selected_) selected_->Released(true);
  selected_ = nullptr;
  AppendBounded(frames_, frame_);
  framing_ = false;
  sender_ = Sender::kNone;
  device_data_low_ = false;
  hold_ = false;
}

void I2cBus::OnRise() {
  if (!framing_) return;
  if (bit_ < 8)
    shift_ = static_cast<std::uint8_t>(shift_ << 1 | (SensedData() ? 1 : 0));
  else
    ninth_low_ = !SensedData();
  risen_ = true;
}

void I2cBus::OnFall() {
  // The fall that follows a start ends no clock.
  if (!framing_ || !risen_) return;
  risen_ = false;
  if (bit_ < 7) {
    ++bit_;
    if (sender_ == Sender::kDevice) DriveBit();
    return;
  }
  if (bit_ == 7) {
    bit_ = 8;
    if (sender_ == Sender::kDevice) {
      device_data_low_ = false;  // the master answers
      return;
    }
    bool ack = false;
    if (address_next_) {
      Select(shift_);
      ack = selected_ != nullptr;
    } else if (sender_ == Sender::kMaster && selected_) {
      ack = selected_->Received(shift_);
    }
    device_data_low_ = ack;
    return;
  }
  // The ninth clock is over.
  frame_.units.push_back(Unit{shift_, ninth_low_});
  bit_ = 0;
  shift_ = 0;
  if (sender_ == Sender::kDevice) {
    selected_->MasterAnswered(ninth_low_);
    if (ninth_low_) {
      tx_ = selected_->Transmit();
      DriveBit();
    } else {
      sender_ = Sender::kNone;
    }
    return;
  }
  device_data_low_ = false;
  if (address_next_) {
    address_next_ = false;
    if (read_) {
      sender_ = selected_ ? Sender::kDevice : Sender::kNone;
      if (selected_) {
        tx_ = selected_->Transmit();
        DriveBit();
      }
    }
  }
}

void I2cBus::Select(std::uint8_t address) {
  I2cTarget* found = nullptr;
  for (I2cTarget* d : devices_)
    if (d->address() == (address & 0xFE)) found = d;
  if (selected_ && selected_ != found) selected_->Released(false);
  selected_ = found;
  read_ = (address & 1) != 0;
  if (found) found->Selected(read_);
}

void I2cBus::DriveBit() { device_data_low_ = ((tx_ >> (7 - bit_)) & 1) == 0; }

std::vector<I2cBus::Frame> I2cBus::Frames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

void I2cBus::ClearFrames() {
  std::lock_guard lock(mutex_);
  frames_.clear();
}

std::uint64_t I2cBus::sense_count() const {
  std::lock_guard lock(mutex_);
  return senses_;
}

bool I2cBus::in_frame() const {
  std::lock_guard lock(mutex_);
  return framing_;
}

}  // namespace sim
