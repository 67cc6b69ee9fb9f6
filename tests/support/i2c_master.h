// The master side of a bit-banged serial (I2C) bus, for tests that drive a board's
// serial-bus register themselves. The board's master supplies Lines(clock, data)
// (true releases a line) and Data() (the data line as sensed).
#pragma once

#include <cstdint>

namespace testing_support {

template <class Board>
class I2cMasterSteps {
 public:
  void Start() {
    Self().Lines(true, true);
    Self().Lines(true, false);
    Self().Lines(false, false);
  }
  void Stop() {
    Self().Lines(false, false);
    Self().Lines(true, false);
    Self().Lines(true, true);
  }
  // Most significant bit first; returns the acknowledge of the ninth clock.
  bool Send(std::uint8_t byte) {
    for (int i = 7; i >= 0; --i) {
      bool bit = (byte >> i) & 1;
      Self().Lines(false, bit);
      Self().Lines(true, bit);
      Self().Lines(false, bit);
    }
    Self().Lines(false, true);
    Self().Lines(true, true);
    bool ack = !Self().Data();
    Self().Lines(false, true);
    return ack;
  }

 private:
  Board& Self() { return static_cast<Board&>(*this); }
};

}  // namespace testing_support
