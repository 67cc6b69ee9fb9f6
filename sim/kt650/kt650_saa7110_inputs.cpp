#include "sim/kt650/kt650_saa7110_inputs.h"

#include "sim/i2c/saa7110_model.h"
#include "sim/kt650/kt650_video_inputs.h"

namespace sim {

void ConnectSaa7110Inputs(Saa7110Model& saa, Kt650VideoInputs& inputs) {
  saa.SetCameraProbe([&inputs](int input) { return inputs.Source(Kt650VideoInputs::ConnectorOf(input)); });
  // A value of register 0x20 that selects no input leaves the board where it was.
  saa.SetWriteObserver([&saa, &inputs] {
    int connector = Kt650VideoInputs::ConnectorOf(saa.SelectedInput());
    if (connector >= 0) inputs.SelectInput(connector);
  });
}

}  // namespace sim
