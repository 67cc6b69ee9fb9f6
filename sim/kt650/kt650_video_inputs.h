// The four video inputs of a 650-series board: the camera on each and the input the
// board's video path takes its fields from.
#pragma once

#include <array>
#include <mutex>

#include "platform/win_types.h"
#include "sim/video/video_source.h"

namespace sim {

class PLATFORM_EXPORT Kt650VideoInputs {
 public:
  static constexpr int kInputs = 4;
  explicit Kt650VideoInputs(const std::array<VideoSourceDesc, kInputs>& sources) : sources_(sources) {}

  // An input out of range is ignored.
  void SelectInput(int input);
  int SelectedInput() const;
  // Plugs the input's camera in or out; its standard stays the one described.
  void SetCamera(int input, bool present);
  // Switches the input's camera between 525 (0) and 625 (1) lines.
  void SetStandard(int input, std::uint16_t standard);
  // False for an input out of range.
  bool CameraPresent(int input) const;
  // The connector a decoder's input reaches: input 5 shares connector 0 (the two
  // share one gain on the board); other inputs outside 0-3 reach none (-1).
  static int ConnectorOf(int decoderInput) {
    if (decoderInput == 5) return 0;
    return decoderInput >= 0 && decoderInput < kInputs ? decoderInput : -1;
  }
  VideoSourceDesc SelectedSource() const;
  // The camera on an input; none out of range.
  VideoSourceDesc Source(int input) const;

 private:
  mutable std::mutex mutex_;
  std::array<VideoSourceDesc, kInputs> sources_;
  int selected_ = 0;
};

}  // namespace sim
