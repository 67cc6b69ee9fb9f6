#include "sim/kt650/kt650_status_device.h"

#include <utility>

#include "sim/bounded_log.h"
#include "sim/kt650/kt650_registers.h"

namespace sim {

using namespace kt650;

namespace {
constexpr unsigned kDataClocks = 8;
}  // namespace

Kt650StatusDevice::Kt650StatusDevice(std::uint8_t type, std::uint8_t revision)
    : shows_no_signal_(type >= kFirstNoSignalType), revision_(revision & kRevisionMask) {}

void Kt650StatusDevice::Drive(bool clockReleased, bool dataReleased) {
  std::lock_guard lock(mutex_);
  // As on the bus: the data line is taken while the clock is low, so that one write
  // that changes both lines makes no start or stop.
  if (clockReleased && !clock_) {
    data_ = dataReleased;
    Settle();
    clock_ = true;
    Settle();
  } else {
    clock_ = clockReleased;
    Settle();
    data_ = dataReleased;
    Settle();
  }
}

void Kt650StatusDevice::Settle() {
  if (clock_ != clock_level_) {
    clock_level_ = clock_;
    if (!clock_) {
      OnFall();
    } else if (framing_) {
      risen_ = true;
      if (unit_ == kMasterUnit && bit_ < kDataClocks) shift_ = static_cast<std::uint8_t>(shift_ << 1 | DataLevel());
    }
  }
  bool data = DataLevel();
  if (data != data_level_) {
    data_level_ = data;
    if (clock_level_) {
      if (data)
        OnStop();
      else
        OnStart();
    }
  }
}

void Kt650StatusDevice::OnStart() {
  framing_ = true;
  risen_ = false;
  unit_ = 0;
  BeginUnit();
}

void Kt650StatusDevice::OnStop() {
  if (!framing_) return;
  framing_ = false;
  pulling_ = false;
  ++frames_;
}

void Kt650StatusDevice::OnFall() {
  if (!framing_) return;
  // The fall that follows the start ends no clock.
  if (risen_) {
    risen_ = false;
    if (unit_ == kMasterUnit && bit_ == kDataClocks - 1) AppendBounded(written_, shift_);
    if (++bit_ > kDataClocks) {
      ++unit_;
      BeginUnit();
    }
  }
  Present();
}

void Kt650StatusDevice::BeginUnit() {
  bit_ = 0;
  shift_ = 0;
  // The camera-interface boards send a revision byte before their status byte.
  unsigned statusUnit = shows_no_signal_ ? 1 : 0;
  if (unit_ == statusUnit) {
    tx_ =
        static_cast<std::uint8_t>((field_ ? kStatusField : 0) |
                                  (shows_no_signal_ && signal_ && !signal_() ? kStatusNoSignal : 0) | kStatusIdleLines);
  } else {
    tx_ = static_cast<std::uint8_t>(kRevisionMarker | unit_ << kRevisionUnitShift | revision_);
  }
}

void Kt650StatusDevice::Present() {
  bool sending = unit_ < kUnits && unit_ != kMasterUnit && bit_ < kDataClocks;
  pulling_ = sending && !((tx_ >> (kDataClocks - 1 - bit_)) & 1);
}

void Kt650StatusDevice::Sense(bool* clock, bool* data) const {
  std::lock_guard lock(mutex_);
  *clock = clock_level_;
  *data = DataLevel();
}

void Kt650StatusDevice::SetField(bool field) {
  std::lock_guard lock(mutex_);
  field_ = field;
}

void Kt650StatusDevice::SetSignalProbe(std::function<bool()> probe) {
  std::lock_guard lock(mutex_);
  signal_ = std::move(probe);
}

std::vector<std::uint8_t> Kt650StatusDevice::Written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

std::uint64_t Kt650StatusDevice::Frames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

}  // namespace sim
