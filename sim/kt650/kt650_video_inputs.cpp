#include "sim/kt650/kt650_video_inputs.h"

namespace sim {

void Kt650VideoInputs::SetCamera(Kt650VideoDevice device, int input, bool present) {
  if (!Kt650DeviceHasInput(device, input)) return;
  std::lock_guard lock(mutex_);
  cameras_.Of(device)[input].present = present;
}

void Kt650VideoInputs::SetCamera(int input, bool present) {
  for (Kt650VideoDevice device : kKt650VideoDevices) SetCamera(device, input, present);
}

void Kt650VideoInputs::SetStandard(Kt650VideoDevice device, int input, std::uint16_t standard) {
  if (!Kt650DeviceHasInput(device, input)) return;
  std::lock_guard lock(mutex_);
  cameras_.Of(device)[input].standard = standard;
}

void Kt650VideoInputs::SetStandard(int input, std::uint16_t standard) {
  for (Kt650VideoDevice device : kKt650VideoDevices) SetStandard(device, input, standard);
}

VideoSourceDesc Kt650VideoInputs::Source(Kt650VideoDevice device, int input) const {
  if (!Kt650DeviceHasInput(device, input)) return {};
  std::lock_guard lock(mutex_);
  return cameras_.Of(device)[input];
}

bool Kt650VideoInputs::CameraPresent(Kt650VideoDevice device, int input) const { return Source(device, input).present; }

Kt650VideoDevice Kt650VideoInputs::Feeding() const { return routing_.Feeding(); }

int Kt650VideoInputs::SelectedInput(Kt650VideoDevice device) const { return routing_.SelectedInput(device); }

int Kt650VideoInputs::SelectedInput() const { return routing_.SelectedInput(routing_.Feeding()); }

VideoSourceDesc Kt650VideoInputs::SelectedSource() const {
  // The devices are read before the cameras' lock is taken.
  Kt650VideoDevice device = routing_.Feeding();
  return Source(device, routing_.SelectedInput(device));
}

bool Kt650VideoInputs::InterfaceSignal() const {
  return CameraPresent(Kt650VideoDevice::kCameraInterface, routing_.SelectedInput(Kt650VideoDevice::kCameraInterface));
}

}  // namespace sim
