// The bit-serial lines of the 650-series boards' analog front end: the DAC-word
// channel (types 0-2 through control-port registers 3 and 7, types 3-5 through
// board-control register 18) and the serial-register channel (register 18 only),
// sharing one clock. Data is sampled on each rising clock while a channel's select
// is active; when the select drops the frame is decoded:
//   DAC word: a 0 bit, 3 index bits and 11 value bits, least significant first;
//   serial register: 3 index bits and 8 value bits, most significant first.
// Frames of any other length (or a DAC word without its 0 bit) are logged and
// change nothing.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/win_types.h"

namespace sim {

namespace kt650 {
// Control port (types 0-2).
constexpr std::uint8_t kPortDacSelect = 3;
constexpr std::uint8_t kPortDacSelectLine = 0x01;
constexpr std::uint8_t kPortSerialClock = 0x20;  // in register 7
constexpr std::uint8_t kPortDacDataLine = 0x10;  // in register 7
// Board-control device (types 3-5).
constexpr std::uint8_t kBcSerialLines = 18;
constexpr std::uint8_t kBcDacSelectLine = 0x01;
constexpr std::uint8_t kBcSerialClock = 0x02;
constexpr std::uint8_t kBcDacDataLine = 0x04;
constexpr std::uint8_t kBcRegSelectLine = 0x08;
constexpr std::uint8_t kBcRegDataLine = 0x10;
// Frames.
constexpr unsigned kDacWordFrameBits = 15;
constexpr unsigned kSerialRegFrameBits = 11;
// Seven DAC words; all eight serial registers the index bits reach (7 is the PLL's
// phase trimming).
constexpr unsigned kDacWordSlots = 7;
constexpr unsigned kSerialRegisterSlots = 8;
}  // namespace kt650

struct Kt650SerialLines {
  bool dac_select = false;
  bool clock = false;
  bool dac_data = false;
  bool reg_select = false;
  bool reg_data = false;
};

enum class Kt650SerialChannel { kDacWord, kSerialRegister };

struct Kt650BitFrame {
  Kt650SerialChannel channel;
  unsigned length;     // bits clocked while selected
  std::uint32_t bits;  // the first 32, the first in bit 0
  bool taken;          // decoded into a slot
};

class PLATFORM_EXPORT Kt650BitSerial {
 public:
  void Drive(const Kt650SerialLines& lines);

  // Test view.
  std::uint16_t DacWord(unsigned index) const;
  std::uint8_t SerialRegister(unsigned index) const;
  std::vector<Kt650BitFrame> Frames() const;  // oldest first
  std::vector<Kt650BitFrame> BadFrames() const;

 private:
  struct Receiver {
    bool selected = false;
    unsigned count = 0;
    std::uint32_t bits = 0;
  };
  static void Sample(Receiver& r, bool bit);
  void EndFrame(Kt650SerialChannel channel, Receiver& r);

  mutable std::mutex mutex_;
  bool clock_ = false;
  Receiver dac_;
  Receiver reg_;
  std::array<std::uint16_t, kt650::kDacWordSlots> dac_words_{};
  std::array<std::uint8_t, kt650::kSerialRegisterSlots> serial_registers_{};
  std::vector<Kt650BitFrame> frames_;
};

}  // namespace sim
