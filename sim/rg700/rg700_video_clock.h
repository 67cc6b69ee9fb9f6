// The field clock of an RG-700: a device thread that produces the fields of the
// camera on the selected input at the standard's rate (or faster, for tests), and
// for each field sets the parity line, raises the field interrupt (odd or even)
// together with the DMA completions it reports, and lets the DMA take the
// field. Each field also leaves by the board's VIP output, whole, to the sink
// connected there (the display adapter's video port). With no camera on the
// selected input no fields come. The thread is joined by Stop and by the board's
// destruction.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "sim/video/field_clock.h"
#include "sim/video/vip_field.h"

namespace sim {

class Rg700Board;

class PLATFORM_EXPORT Rg700VideoClock : public FieldClock {
 public:
  Rg700VideoClock(Rg700Board& board, const VideoTimingDesc& timing) : FieldClock(timing), board_(board) {}
  ~Rg700VideoClock() override { Stop(); }

  // Where the VIP output goes; null disconnects it.
  using VipSink = std::function<void(const VipField& field)>;
  void SetVipSink(VipSink sink);

 private:
  VideoSourceDesc Source() const override;
  void ProduceField(std::uint32_t field, std::uint32_t periodUs, bool lockstep) override;

  Rg700Board& board_;
  mutable std::mutex sink_mutex_;
  VipSink vip_sink_;
};

}  // namespace sim
