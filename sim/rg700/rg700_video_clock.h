// The field clock of an RG-700: a device thread that produces the fields of the
// camera on the selected input at the standard's rate (or faster, for tests), and
// for each field sets the parity line, raises the field interrupt (odd or even)
// together with the DMA completions it reports, and lets the DMA take the
// field. Each field also leaves by the board's VIP output, whole, to the sink
// connected there (the display adapter's video port). With no camera on the
// selected input no fields come. The thread is joined by Stop and by the board's
// destruction.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/win_types.h"
#include "sim/video/video_source.h"
#include "sim/video/vip_field.h"

namespace sim {

class Rg700Board;

class PLATFORM_EXPORT Rg700VideoClock {
 public:
  Rg700VideoClock(Rg700Board& board, const VideoTimingDesc& timing);
  ~Rg700VideoClock();
  Rg700VideoClock(const Rg700VideoClock&) = delete;
  Rg700VideoClock& operator=(const Rg700VideoClock&) = delete;

  // Waits up to the given milliseconds until the interrupts raised so far are
  // served; the machine connects it to the driver.
  using ServedWaiter = std::function<bool(std::uint32_t milliseconds)>;
  void SetServedWaiter(ServedWaiter waiter);
  // Where the VIP output goes; null disconnects it.
  using VipSink = std::function<void(const VipField& field)>;
  void SetVipSink(VipSink sink);

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

 private:
  void Run();
  void ProduceField();
  // Waits for the driver, in short steps so that a stop is not held up.
  void WaitServed(std::uint32_t milliseconds);

  Rg700Board& board_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  VideoTimingDesc timing_;
  ServedWaiter waiter_;
  VipSink vip_sink_;
  bool stop_ = false;
  std::thread thread_;
  std::uint32_t fields_ = 0;
};

}  // namespace sim
