// What a 650-series board in the virtual PC is: its slot, chip and board identity,
// its memory and windows, and the monitor it drives.
#pragma once

#include <array>
#include <cstdint>

#include "sim/kt650/kt650_registers.h"
#include "sim/video/video_source.h"

namespace sim {

// The devices whose picture can feed a 650-series board's video port. Each has
// inputs of its own, numbered as the library numbers its channels:
//   kDecoder          the decoder: the SAA7110 (types 0-2; type 0's is not on
//                     the model's bus) or the second decoder (types 3-5):
//                     inputs 0-3 and 5;
//   kFrontEnd         the analog front end of types 0-2: inputs 0-3 (its input 5
//                     is input 0, which the library selects with the same code);
//   kCameraInterface  the analog camera interface of types 4-5: inputs 0-3 (one
//                     level set) and 6 and 7 (the two level sets).
// kt650_video_routing.h says what selects the device and its input.
enum class Kt650VideoDevice : std::uint8_t { kDecoder, kFrontEnd, kCameraInterface };
inline constexpr Kt650VideoDevice kKt650VideoDevices[] = {Kt650VideoDevice::kDecoder, Kt650VideoDevice::kFrontEnd,
                                                          Kt650VideoDevice::kCameraInterface};
inline constexpr int kKt650InputNumbers = 8;
inline constexpr int kKt650NoInput = -1;

constexpr bool Kt650DeviceHasInput(Kt650VideoDevice device, int input) {
  if (input < 0 || input >= kKt650InputNumbers) return false;
  switch (device) {
    case Kt650VideoDevice::kDecoder:
      return input <= 3 || input == 5;
    case Kt650VideoDevice::kFrontEnd:
      return input <= 3;
    case Kt650VideoDevice::kCameraInterface:
      return input <= 3 || input >= 6;
  }
  return false;
}

// The camera on each input of each device, by input number; a number the device
// lacks is never looked at.
struct Kt650Cameras {
  using Inputs = std::array<VideoSourceDesc, kKt650InputNumbers>;
  Inputs decoder{};
  Inputs front_end{};
  Inputs camera_interface{};

  Inputs& Of(Kt650VideoDevice device) { return *Pick(this, device); }
  const Inputs& Of(Kt650VideoDevice device) const { return *Pick(this, device); }
  // The camera on input `input` of every device that has such an input.
  void PutEverywhere(int input, const VideoSourceDesc& camera) {
    for (Kt650VideoDevice device : kKt650VideoDevices)
      if (Kt650DeviceHasInput(device, input)) Of(device)[input] = camera;
  }

 private:
  template <class Self>
  static auto Pick(Self* self, Kt650VideoDevice device) -> decltype(&self->decoder) {
    switch (device) {
      case Kt650VideoDevice::kDecoder:
        return &self->decoder;
      case Kt650VideoDevice::kFrontEnd:
        return &self->front_end;
      case Kt650VideoDevice::kCameraInterface:
        break;
    }
    return &self->camera_interface;
  }
};

// An NTSC camera on input 0 of every device.
inline Kt650Cameras DefaultKt650Cameras() {
  Kt650Cameras cameras;
  cameras.PutEverywhere(0, VideoSourceDesc{true, 0});
  return cameras;
}

// The machine builds any description; a description file must also give a type
// that fits the chip and a memory size the chip's memory code lists.
struct Kt650Desc {
  std::uint8_t bus = 0;
  std::uint8_t device_number = 0x0E;
  std::uint16_t chip = kt650::kChip8A22;
  std::uint8_t type = 3;              // 0 on 0x5631, 1-2 on 0x8A01, 3-5 on 0x8A22
  std::uint8_t revision = 2;          // board id byte 2
  std::uint8_t board_code = 0x10;     // board id byte 1
  std::uint8_t sub_revision = 0;      // board id byte 3
  std::uint8_t chip_revision = 0x01;  // CRTC 0x2F and PCI revision id
  // 0: the display's memory for the monitor's board; else 4 MB (0x5631, 0x8A01) or
  // 8 MB (0x8A22).
  std::uint32_t memory_bytes = 0;
  // 0: drives the machine's display (its desktop is in this board's memory); -1: none.
  int monitor = 0;
  std::uint8_t interrupt_line = 10;
  // Physical; 0: the display's physical_base for the monitor's board, else assigned
  // by the machine.
  std::uint32_t frame_buffer_base = 0;
  // Physical, chip 0x8A22 only; 0: assigned.
  std::uint32_t register_base = 0;
  // Cameras on the devices' inputs; the default is an NTSC camera on input 0 of each.
  Kt650Cameras cameras = DefaultKt650Cameras();
  // Display refresh: the retrace rate of input status 1.
  std::uint32_t refresh_hz = 60;
  // The vertical syncs of the camera on the input that feeds the video port.
  VideoTimingDesc timing;
};

}  // namespace sim
