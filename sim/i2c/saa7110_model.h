// The SAA7110 video decoder on the serial bus of the 650-series boards of types 1
// and 2, at address 0x9C/0x9D: byte registers 0x00-0x34, written one after another
// from the subaddress on. The chip has one readable byte, its status, whatever
// subaddress was written last: its identification while register 0x0D bit 1 is
// clear, else the live state of the camera on the input register 0x20 selects. It
// comes up on input 0, as the first wiring selects it.
#pragma once

#include <functional>

#include "sim/i2c/i2c_device.h"
#include "sim/register_table.h"
#include "sim/video/video_source.h"

namespace sim {

class PLATFORM_EXPORT Saa7110Model : public I2cDevice {
 public:
  static constexpr std::uint8_t kAddress = 0x9C;
  static constexpr std::uint8_t kRegisterCount = 0x35;
  // Bit 1 of register 0x0D turns the status byte from the chip's identification to
  // the decoder's state.
  static constexpr std::uint8_t kStatusMode = 0x0D;
  static constexpr std::uint8_t kDecoderStatus = 0x02;
  static constexpr std::uint8_t kIdentification = 0x01;
  static constexpr std::uint8_t kInputSelect = 0x20;
  static constexpr std::uint8_t kInputSelectReset = 0x7C;
  // Live status: no horizontal lock, and 50 Hz fields.
  static constexpr std::uint8_t kNoLock = 0x40;
  static constexpr std::uint8_t kFields50Hz = 0x20;
  static constexpr int kNoInput = -1;

  Saa7110Model();

  std::uint8_t Register(std::uint8_t index) const;
  // The decoder input (0-3, 5) that register 0x20 selects by the values the board's
  // two wirings write; kNoInput for any other value.
  int SelectedInput() const;
  // The camera on a decoder input. Called with the model's lock held, so it takes
  // no lock that is held while calling the model. None: no camera anywhere.
  using CameraProbe = std::function<VideoSourceDesc(int input)>;
  void SetCameraProbe(CameraProbe probe);

 protected:
  bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) override;
  std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) override;

 private:
  static std::vector<RegisterInfo> RegisterTable();
  std::uint8_t Status();
  int SelectedInputLocked() const;

  RegisterFile registers_;
  CameraProbe camera_;
};

}  // namespace sim
