#include "sim/kt650/kt650_saa7110_inputs.h"

#include "sim/i2c/saa7110_model.h"
#include "sim/kt650/kt650_video_inputs.h"

namespace sim {
namespace {

constexpr int kSharedInput = 5;

// The connector of a decoder input: input 5 takes connector 0's signal (the two
// share one gain on the board); other inputs outside 0-3 reach none (-1).
int ConnectorOf(int decoderInput) {
  if (decoderInput == kSharedInput) return 0;
  return decoderInput >= 0 && decoderInput < Kt650VideoInputs::kInputs ? decoderInput : -1;
}

}  // namespace

void ConnectSaa7110Inputs(Saa7110Model& saa, Kt650VideoInputs& inputs) {
  saa.SetCameraProbe([&inputs](int input) { return inputs.Source(ConnectorOf(input)); });
  // A value of register 0x20 that selects no input leaves the board where it was.
  saa.SetWriteObserver([&saa, &inputs] {
    int connector = ConnectorOf(saa.SelectedInput());
    if (connector >= 0) inputs.SelectInput(connector);
  });
}

}  // namespace sim
