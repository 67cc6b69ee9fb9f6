// The RG-700's four video inputs as its decoders see them: the decoder's status
// register follows the camera on the input its multiplexer selects.
#pragma once

#include <array>
#include <mutex>

#include "platform/win_types.h"
#include "sim/video/video_source.h"

namespace sim {

class Bt829aModel;
class Vpc32x5cModel;

class PLATFORM_EXPORT Rg700VideoInputs {
 public:
  static constexpr int kInputs = 4;
  Rg700VideoInputs(const std::array<VideoSourceDesc, kInputs>& sources, Bt829aModel* bt829a, Vpc32x5cModel* vpc);

  void SetSource(int input, const VideoSourceDesc& source);
  VideoSourceDesc Source(int input) const;
  // The input each decoder's multiplexer selects now (-1: none recognised).
  int Bt829aInput() const;
  int VpcInput() const;
  // The camera the board's video path sees: on the Bt829A's input when the board
  // has one, else on the VPC32x5C's.
  VideoSourceDesc SelectedSource() const;
  // Recomputes both decoders' status registers.
  void Refresh();

 private:
  mutable std::mutex mutex_;
  std::array<VideoSourceDesc, kInputs> sources_;
  Bt829aModel* bt829a_;
  Vpc32x5cModel* vpc_;
};

}  // namespace sim
