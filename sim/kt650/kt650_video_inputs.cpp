#include "sim/kt650/kt650_video_inputs.h"

namespace sim {

namespace {
bool InRange(int input) { return input >= 0 && input < Kt650VideoInputs::kInputs; }
}  // namespace

void Kt650VideoInputs::SelectInput(int input) {
  if (!InRange(input)) return;
  std::lock_guard lock(mutex_);
  selected_ = input;
}

int Kt650VideoInputs::SelectedInput() const {
  std::lock_guard lock(mutex_);
  return selected_;
}

void Kt650VideoInputs::SetCamera(int input, bool present) {
  if (!InRange(input)) return;
  std::lock_guard lock(mutex_);
  sources_[input].present = present;
}

void Kt650VideoInputs::SetStandard(int input, std::uint16_t standard) {
  if (!InRange(input)) return;
  std::lock_guard lock(mutex_);
  sources_[input].standard = standard;
}

bool Kt650VideoInputs::CameraPresent(int input) const {
  if (!InRange(input)) return false;
  std::lock_guard lock(mutex_);
  return sources_[input].present;
}

VideoSourceDesc Kt650VideoInputs::SelectedSource() const {
  std::lock_guard lock(mutex_);
  return sources_[selected_];
}

VideoSourceDesc Kt650VideoInputs::Source(int input) const {
  if (!InRange(input)) return {};
  std::lock_guard lock(mutex_);
  return sources_[input];
}

}  // namespace sim
