// The field clock of a 650-series board: a device thread that produces the vertical
// syncs of the camera on the selected input at the standard's rate (or faster, for
// tests). Fields alternate 0, 1, 0, 1, ...; an 8-bit counter counts the frames. With
// no camera on the selected input no vertical syncs come. The thread is joined by
// Stop and by the clock's destruction.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/win_types.h"
#include "sim/video/video_source.h"

namespace sim {

class Kt650Board;

class PLATFORM_EXPORT Kt650FieldClock {
 public:
  Kt650FieldClock(Kt650Board& board, const VideoTimingDesc& timing);
  ~Kt650FieldClock();
  Kt650FieldClock(const Kt650FieldClock&) = delete;
  Kt650FieldClock& operator=(const Kt650FieldClock&) = delete;

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
  // Vertical syncs produced so far; the next one's number.
  std::uint32_t field_count() const;
  // Until `count` vertical syncs have been produced; false on time-out.
  bool WaitForFieldCount(std::uint32_t count, std::uint32_t timeoutMs = 5000) const;

 private:
  void Run();
  void ProduceField();
  // Waits for the driver, in short steps so that a stop is not held up.
  void WaitServed(std::uint32_t milliseconds);

  Kt650Board& board_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  VideoTimingDesc timing_;
  ServedWaiter waiter_;
  bool stop_ = false;
  std::thread thread_;
  std::uint32_t fields_ = 0;
};

}  // namespace sim
