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
  // False for an input out of range.
  bool CameraPresent(int input) const;
  VideoSourceDesc SelectedSource() const;
  // The camera on an input; none out of range.
  VideoSourceDesc Source(int input) const;

 private:
  mutable std::mutex mutex_;
  std::array<VideoSourceDesc, kInputs> sources_;
  int selected_ = 0;
};

}  // namespace sim
