// The serial (I2C) bus protocol engine: two open-drain lines, driven by a master
// through a line register and by the attached devices. It decodes start, stop and
// repeated start, bytes most significant bit first with the ninth (acknowledge)
// clock, lets the addressed device acknowledge, send data and hold the clock low,
// and records every frame from start to stop as the lines carried it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "sim/i2c/i2c_target.h"

namespace sim {

class PLATFORM_EXPORT I2cBus {
 public:
  // Nine clocks: the byte on the data line and whether the ninth clock saw it low.
  struct Unit {
    std::uint8_t byte;
    bool acked;
  };
  struct Frame {
    std::vector<Unit> units;
    unsigned repeated_starts = 0;
  };

  // Devices are not owned; they must outlive the bus.
  void Attach(I2cTarget* device);

  // The master's outputs: true = line released (high unless someone pulls it low).
  void Drive(bool clockReleased, bool dataReleased);
  // One read of the line levels by the master; it counts toward a clock hold.
  void Sense(bool* clock, bool* data);
  // The line levels without a read by the master.
  void Levels(bool* clock, bool* data) const;

  // Test view.
  std::vector<Frame> Frames() const;  // completed frames (ended by a stop)
  void ClearFrames();
  std::uint64_t sense_count() const;
  bool in_frame() const;

 private:
  enum class Sender { kNone, kMaster, kDevice };

  bool SensedClock() const { return master_clock_ && !hold_; }
  bool SensedData() const { return master_data_ && !device_data_low_; }
  void Settle();
  void OnRise();
  void OnFall();
  void OnStart();
  void OnStop();
  void Select(std::uint8_t address);
  void DriveBit();

  mutable std::mutex mutex_;
  std::vector<I2cTarget*> devices_;

  // Power-on state of the line register: clock and data driven low.
  bool master_clock_ = false;
  bool master_data_ = false;
  bool device_data_low_ = false;
  bool hold_ = false;
  unsigned hold_reads_ = 0;
  bool last_clock_ = false;
  bool last_data_ = false;

  bool framing_ = false;
  bool address_next_ = false;
  Sender sender_ = Sender::kNone;
  unsigned bit_ = 0;  // clock within the nine of a unit
  bool risen_ = false;
  std::uint8_t shift_ = 0;
  bool ninth_low_ = false;
  std::uint8_t tx_ = 0;
  I2cTarget* selected_ = nullptr;
  bool read_ = false;

  Frame frame_;
  std::vector<Frame> frames_;
  std::uint64_t senses_ = 0;
};

}  // namespace sim
