#include "sim/kt650/kt650_video_routing.h"

#include <iterator>

#include "sim/i2c/saa7110_model.h"
#include "sim/kt650/kt650_board_control.h"
#include "sim/kt650/kt650_control_port.h"
#include "sim/kt650/kt650_decoder2.h"

namespace sim {

using namespace kt650;

namespace {

using Devices = Kt650VideoDevices;

Kt650VideoDevice DecoderFeeds(const Devices&) { return Kt650VideoDevice::kDecoder; }

Kt650VideoDevice PortRoutes(const Devices& d) {
  return d.control_port->Register(kPortVideoControl) & kPortFrontEndVideo ? Kt650VideoDevice::kFrontEnd
                                                                          : Kt650VideoDevice::kDecoder;
}

Kt650VideoDevice BoardControlRoutes(const Devices& d) {
  return d.board_control->Register(kBcVideoSource) & kVideoFromInterface ? Kt650VideoDevice::kCameraInterface
                                                                         : Kt650VideoDevice::kDecoder;
}

int NoInput(const Devices&) { return kKt650NoInput; }
int FirstInput(const Devices&) { return 0; }
int Saa7110Input(const Devices& d) { return d.saa7110->SelectedInput(); }
int Decoder2Input(const Devices& d) { return d.decoder2->SelectedInput(); }
int FrontEndInput(const Devices& d) { return d.control_port->front_end().SelectedInput(); }

int InterfaceInput(const Devices& d) {
  std::uint8_t r = d.board_control->Register(kBcVideoSource);
  if ((r & kVideoSourceBits) == kVideoFromLevelSets)
    return r & kInterfaceSecondSet ? kInterfaceSecondSetInput : kInterfaceFirstSetInput;
  return (r & kInterfaceInputBits) >> kInterfaceInputShift;
}

// What one board type routes, and how each device's input is read.
struct TypeRoute {
  Kt650VideoDevice (*feeding)(const Devices&);
  int (*decoder_input)(const Devices&);
  int (*front_end_input)(const Devices&);
  int (*interface_input)(const Devices&);
};

// By board type.
constexpr TypeRoute kRoutes[] = {
    {DecoderFeeds, FirstInput, FrontEndInput, NoInput},
    {DecoderFeeds, Saa7110Input, FrontEndInput, NoInput},
    {PortRoutes, Saa7110Input, FrontEndInput, NoInput},
    {DecoderFeeds, Decoder2Input, NoInput, NoInput},
    {BoardControlRoutes, Decoder2Input, NoInput, InterfaceInput},
    {BoardControlRoutes, Decoder2Input, NoInput, InterfaceInput},
};
static_assert(std::size(kRoutes) == kLastType + 1);

}  // namespace

Kt650VideoRouting::Kt650VideoRouting(std::uint8_t type, const Kt650VideoDevices& devices)
    : type_(type <= kLastType ? type : kLastType), devices_(devices) {}

Kt650VideoDevice Kt650VideoRouting::Feeding() const { return kRoutes[type_].feeding(devices_); }

int Kt650VideoRouting::SelectedInput(Kt650VideoDevice device) const {
  const TypeRoute& route = kRoutes[type_];
  switch (device) {
    case Kt650VideoDevice::kDecoder:
      return route.decoder_input(devices_);
    case Kt650VideoDevice::kFrontEnd:
      return route.front_end_input(devices_);
    case Kt650VideoDevice::kCameraInterface:
      break;
  }
  return route.interface_input(devices_);
}

}  // namespace sim
