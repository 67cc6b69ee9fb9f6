// What the capture boards' field clocks share: a device thread that produces the
// fields of the camera on the selected input at the standard's rate (or a test
// period), not at all while that input has no camera, optionally in lockstep with
// the driver that serves each field's interrupt. A board's clock says what a field
// does; it must Stop() in its destructor, before its own members go.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/win_types.h"
#include "sim/video/video_source.h"

namespace sim {

class PLATFORM_EXPORT FieldClock {
 public:
  explicit FieldClock(const VideoTimingDesc& timing) : timing_(timing) {}
  virtual ~FieldClock();
  FieldClock(const FieldClock&) = delete;
  FieldClock& operator=(const FieldClock&) = delete;

  // Waits up to the given milliseconds until the interrupts raised so far are
  // served; the machine connects it to the driver.
  using ServedWaiter = std::function<bool(std::uint32_t milliseconds)>;
  void SetServedWaiter(ServedWaiter waiter);

  void Start();
  void Stop();
  bool running() const;

  // 0: the rate of the camera's standard.
  void SetFieldPeriodUs(std::uint32_t microseconds);
  void SetLockstep(bool on);
  // Fields produced so far; the next field's number.
  std::uint32_t field_count() const;
  // Until `count` fields have been produced; false on time-out.
  bool WaitForFieldCount(std::uint32_t count, std::uint32_t timeoutMs = 5000) const;
  // Test view, with the clock stopped: the next `count` fields at once, on the
  // calling thread (none while the selected input has no camera).
  void Step(std::uint32_t count);

 protected:
  // The camera on the selected input.
  virtual VideoSourceDesc Source() const = 0;
  // Field number `field` of the camera, with the period it gets and whether the
  // clock runs in lockstep; the count goes up once it returns.
  virtual void ProduceField(std::uint32_t field, std::uint32_t periodUs, bool lockstep) = 0;
  // Waits for the driver, in short steps so that a stop is not held up.
  void WaitServed(std::uint32_t milliseconds);

 private:
  void Run();
  std::uint32_t PeriodUsLocked(const VideoSourceDesc& source) const;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  VideoTimingDesc timing_;
  ServedWaiter waiter_;
  bool stop_ = false;
  std::thread thread_;
  std::uint32_t fields_ = 0;
};

}  // namespace sim
