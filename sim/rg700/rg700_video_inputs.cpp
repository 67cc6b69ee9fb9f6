#include "sim/rg700/rg700_video_inputs.h"

#include "sim/i2c/bt829a_model.h"
#include "sim/i2c/vpc32x5c_model.h"

namespace sim {
namespace {

// The board wires the Bt829A's multiplexer inputs 2, 3, 0, 1 to its video inputs
// 0, 1, 2, 3.
constexpr int kBtMuxToInput[4] = {2, 3, 0, 1};

}  // namespace

Rg700VideoInputs::Rg700VideoInputs(const std::array<VideoSourceDesc, kInputs>& sources, Bt829aModel* bt829a,
                                   Vpc32x5cModel* vpc)
    : sources_(sources), bt829a_(bt829a), vpc_(vpc) {
  Refresh();
}

void Rg700VideoInputs::SetSource(int input, const VideoSourceDesc& source) {
  if (input < 0 || input >= kInputs) return;
  {
    std::lock_guard lock(mutex_);
    sources_[input] = source;
  }
  Refresh();
}

VideoSourceDesc Rg700VideoInputs::Source(int input) const {
  std::lock_guard lock(mutex_);
  return input >= 0 && input < kInputs ? sources_[input] : VideoSourceDesc{};
}

int Rg700VideoInputs::Bt829aInput() const {
  if (!bt829a_) return -1;
  return kBtMuxToInput[(bt829a_->Register(Bt829aModel::kInputFormat) >> Bt829aModel::kMuxSelectShift) &
                       Bt829aModel::kMuxSelectMask];
}

int Rg700VideoInputs::VpcInput() const {
  if (!vpc_) return -1;
  // The board's wiring of the VPC32x5C's input selections.
  switch (vpc_->Fp(Vpc32x5cModel::kFpInput) & Vpc32x5cModel::kFpInputSelect) {
    case 0:
      return 0;
    case 6:
      return 1;
    case 3:
      return 2;
    case 5:
      return 3;
    default:
      return -1;
  }
}

VideoSourceDesc Rg700VideoInputs::SelectedSource() const { return Source(bt829a_ ? Bt829aInput() : VpcInput()); }

void Rg700VideoInputs::Refresh() {
  if (bt829a_) {
    VideoSourceDesc s = Source(Bt829aInput());
    std::uint8_t status = 0;
    if (s.present)
      status = Bt829aModel::kVideoPresent | Bt829aModel::kHorizontalLock | (s.standard ? Bt829aModel::kLines625 : 0);
    bt829a_->SetStatus(status);
  }
  if (vpc_) {
    VideoSourceDesc s = Source(VpcInput());
    vpc_->SetSignalStatus(s.present ? Vpc32x5cModel::kSignalLocked : 0);
  }
}

}  // namespace sim
