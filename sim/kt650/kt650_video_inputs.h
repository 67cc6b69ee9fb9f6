// The cameras on a 650-series board's inputs: one (or none) on each input of each
// device that can feed the video port (kt650_desc.h), and what the board sees of
// them through its routing (kt650_video_routing.h):
//   - the field clock's fields and the captured pictures come from the camera on
//     the selected input of the device that feeds the video port, and only while
//     there is one; the general-purpose port's field bit reads 0 without it;
//   - each decoder's signal status follows the camera on its own selected input;
//   - the status byte's no-signal bit (types 4-5) follows the camera on the camera
//     interface's selected input, whichever device feeds the port.
// Tests plug cameras in and out at run time; the board's registers choose.
#pragma once

#include <mutex>

#include "platform/win_types.h"
#include "sim/kt650/kt650_desc.h"
#include "sim/kt650/kt650_video_routing.h"
#include "sim/video/video_source.h"

namespace sim {

class PLATFORM_EXPORT Kt650VideoInputs {
 public:
  // The devices outlive the inputs.
  Kt650VideoInputs(std::uint8_t type, const Kt650Cameras& cameras, const Kt650VideoDevices& devices)
      : routing_(type, devices), cameras_(cameras) {}
  Kt650VideoInputs(const Kt650VideoInputs&) = delete;
  Kt650VideoInputs& operator=(const Kt650VideoInputs&) = delete;

  // Test controls. A camera plugged into or out of one input of one device, or of
  // every device that has that input; an input the device lacks is ignored. A
  // camera's standard (525 lines 0, 625 lines 1) stays when it is plugged out.
  void SetCamera(Kt650VideoDevice device, int input, bool present);
  void SetCamera(int input, bool present);
  void SetStandard(Kt650VideoDevice device, int input, std::uint16_t standard);
  void SetStandard(int input, std::uint16_t standard);
  // None on an input the device lacks.
  VideoSourceDesc Source(Kt650VideoDevice device, int input) const;
  bool CameraPresent(Kt650VideoDevice device, int input) const;

  // The routing as the registers are now.
  Kt650VideoDevice Feeding() const;
  int SelectedInput(Kt650VideoDevice device) const;
  // The feeding device's selected input.
  int SelectedInput() const;
  // The camera the video port sees; none when the feeding device selects no input.
  VideoSourceDesc SelectedSource() const;
  // A camera on the camera interface's selected input.
  bool InterfaceSignal() const;

 private:
  const Kt650VideoRouting routing_;
  mutable std::mutex mutex_;  // taken after any device's lock, never before one
  Kt650Cameras cameras_;
};

}  // namespace sim
