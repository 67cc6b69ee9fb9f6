// The field clock of a 650-series board: a device thread that produces the vertical
// syncs of the camera the video port sees (on the selected input of the device that
// feeds it, kt650_video_inputs.h) at the standard's rate (or faster, for tests).
// Fields alternate 0, 1, 0, 1, ...; an 8-bit counter counts the frames. With no
// camera there no vertical syncs come. The thread is joined by Stop and by the
// clock's destruction.
#pragma once

#include <cstdint>

#include "sim/video/field_clock.h"

namespace sim {

class Kt650Board;

class PLATFORM_EXPORT Kt650FieldClock : public FieldClock {
 public:
  Kt650FieldClock(Kt650Board& board, const VideoTimingDesc& timing) : FieldClock(timing), board_(board) {}
  ~Kt650FieldClock() override { Stop(); }

 private:
  VideoSourceDesc Source() const override;
  void ProduceField(std::uint32_t field, std::uint32_t periodUs, bool lockstep) override;

  Kt650Board& board_;
};

}  // namespace sim
