// Which device's picture reaches a 650-series board's video port, and which input
// each device takes, read from the devices' registers as they are at the moment:
//
//   type  video port fed by                       selected by
//   0     the decoder                             - (no decoder on the model's bus:
//                                                    it stays on input 0)
//   1     the decoder (SAA7110)                   -
//   2     the SAA7110 or the analog front end     control-port register 5 bit 0
//                                                 (set: the front end)
//   3     the second decoder                      - (register 1 is its VIP mode)
//   4, 5  the second decoder or the camera        board-control register 1 bit 1
//         interface                               (set: the camera interface)
//
//   device            its input is chosen by
//   SAA7110           register 0x20, by the values the board's two wirings write
//                     (saa7110_model.h); any other value selects none
//   second decoder    register 0x02 bits 0-3, modes 0, 2, 4, 7, 8 for inputs 0, 1,
//                     2, 3, 5 (kt650_decoder2.h); any other mode selects none
//   front end         level DAC 0 bits 5-4 (kt650_front_end.h)
//   camera interface  board-control register 1: with bits 0-1 at 2 (two level
//                     sets) bit 2 picks input 7 over input 6; otherwise (one
//                     level set) bits 2-3 are the input 0-3
//
// A device the board's type lacks selects no input. The board's digital camera
// port (register 5 bits 1-2 both set; register 1 bits 0-1 clear) carries no camera
// in the model: the bits above decide alone.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "sim/kt650/kt650_desc.h"

namespace sim {

class Saa7110Model;
class Kt650Decoder2;
class Kt650ControlPort;
class Kt650BoardControl;

// The devices on the board's serial bus; null where the type has none.
struct Kt650VideoDevices {
  const Saa7110Model* saa7110 = nullptr;
  const Kt650Decoder2* decoder2 = nullptr;
  const Kt650ControlPort* control_port = nullptr;
  const Kt650BoardControl* board_control = nullptr;
};

// Each answer takes the devices' own locks one after another and holds none of them
// afterwards; the devices outlive the routing.
class PLATFORM_EXPORT Kt650VideoRouting {
 public:
  Kt650VideoRouting(std::uint8_t type, const Kt650VideoDevices& devices);

  Kt650VideoDevice Feeding() const;
  // kKt650NoInput when the device selects none or the board lacks it.
  int SelectedInput(Kt650VideoDevice device) const;

 private:
  const std::uint8_t type_;
  const Kt650VideoDevices devices_;
};

}  // namespace sim
