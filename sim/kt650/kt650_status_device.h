// The board status device of the 650-series boards, on the serial port's lines
// while sequencer 0x0D routes them to it. It takes no address: a start condition
// (data falling while the clock is high) begins a fixed frame, a stop (data rising
// while the clock is high) ends it. Each unit is eight data clocks and a ninth:
//   unit 0  it sends the status byte: field in bit 7, bits 0-2 set;
//   unit 1  it sends a revision byte: the board revision in the low nibble, the
//           unit's number in bits 4-6 and bit 7 set (the library stops after any
//           unit, which needs the line free when the next unit would begin);
//           the camera-interface boards (types 4-5) send these two the other way
//           round, with no camera signal in bit 3 of the status byte (no camera
//           on the camera interface's selected input, kt650_video_inputs.h);
//   unit 2  the master writes a byte, which it keeps;
//   unit 3, 4  it sends the revision byte of the unit.
// It presents each bit while the clock is low and holds it while the clock is high;
// in each ninth clock, in the master's unit and after unit 4 it leaves the data line
// released. It never holds the clock.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/win_types.h"

namespace sim {

class PLATFORM_EXPORT Kt650StatusDevice {
 public:
  Kt650StatusDevice(std::uint8_t type, std::uint8_t revision);
  Kt650StatusDevice(const Kt650StatusDevice&) = delete;
  Kt650StatusDevice& operator=(const Kt650StatusDevice&) = delete;

  // The master's outputs as they reach the device: true = released.
  void Drive(bool clockReleased, bool dataReleased);
  // The line levels: the master's and the device's, wired-AND.
  void Sense(bool* clock, bool* data) const;

  // Whether the camera interface has a signal; asked with the device's lock held,
  // as each status byte is taken. None: a signal.
  void SetSignalProbe(std::function<bool()> probe);

  // Test side.
  void SetField(bool field);
  // The bytes the master wrote in unit 2, oldest first.
  std::vector<std::uint8_t> Written() const;
  // Frames ended by a stop.
  std::uint64_t Frames() const;

 private:
  static constexpr unsigned kMasterUnit = 2;
  static constexpr unsigned kUnits = 5;

  bool DataLevel() const { return data_ && !pulling_; }
  void Settle();
  void OnStart();
  void OnStop();
  void OnFall();
  void BeginUnit();
  void Present();

  const bool shows_no_signal_;
  const std::uint8_t revision_;

  mutable std::mutex mutex_;
  bool field_ = false;
  std::function<bool()> signal_;
  // The master's lines and the levels as last settled.
  bool clock_ = true;
  bool data_ = true;
  bool clock_level_ = true;
  bool data_level_ = true;
  bool pulling_ = false;  // the device pulls data low
  bool framing_ = false;
  bool risen_ = false;  // a clock rose since the start: the next fall ends a clock
  unsigned unit_ = 0;
  unsigned bit_ = 0;  // clock within the nine of a unit
  std::uint8_t shift_ = 0;
  std::uint8_t tx_ = 0;  // the byte of a unit the device sends, taken as the unit begins
  std::vector<std::uint8_t> written_;
  std::uint64_t frames_ = 0;
};

}  // namespace sim
