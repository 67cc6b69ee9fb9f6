// An open RG-700 board 0 with the decoders asked for, its current camera loaded
// with a standard's default decoder images.
#pragma once

#include <cstring>

#include "rg7sdk/decoder_backends.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "tests/rg7sdk/open_board_fixture.h"

namespace rg7_testing {

class DecoderTest : public OpenBoardTest {
 protected:
  sim::Rg700SerialBus& BootWith(bool bt829a, bool vpc, std::uint16_t standard = 0) {
    sim::MachineDescription d = sim::MachineDescription::Default();
    d.rg700_boards[0].has_bt829a = bt829a;
    d.rg700_boards[0].has_vpc32x5c = vpc;
    sim::Machine& m = BootAndOpen(d);
    board().bt829_fitted = bt829a;
    board().vpc_fitted = vpc;
    LoadDefaults(camera(), standard);
    return m.rg700(0).serial_bus();
  }
  static void LoadDefaults(rg7::RG7CameraRecord& c, std::uint16_t standard) {
    c.video_standard = standard;
    std::memcpy(c.bt829_shadow, rg7::kBt829Defaults[standard], sizeof c.bt829_shadow);
    std::memcpy(c.vpc_direct_shadow, rg7::kVpcDirectDefaults[standard], sizeof c.vpc_direct_shadow);
    std::memcpy(c.vpc_fp_shadow, rg7::kVpcFpDefaults[standard], sizeof c.vpc_fp_shadow);
  }
  rg7::RG7CameraRecord& camera() { return rg7::CurrentCameraRecord(); }
};

}  // namespace rg7_testing
