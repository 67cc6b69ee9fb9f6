// Frames on the front end's bit-serial lines that are not a DAC word or a serial
// register are logged and change no slot.
#include <gtest/gtest.h>

#include "sim/kt650/kt650_bit_serial.h"

namespace {

void Clock(sim::Kt650BitSerial& lines, sim::Kt650SerialLines l, bool bit) {
  l.dac_data = l.reg_data = bit;
  l.clock = false;
  lines.Drive(l);
  l.clock = true;
  lines.Drive(l);
}

void Frame(sim::Kt650BitSerial& lines, bool dac, unsigned length, std::uint32_t bits) {
  sim::Kt650SerialLines l;
  (dac ? l.dac_select : l.reg_select) = true;
  lines.Drive(l);
  for (unsigned i = 0; i < length; ++i) Clock(lines, l, (bits >> i) & 1);
  l.clock = false;
  lines.Drive(l);
  lines.Drive(sim::Kt650SerialLines{});
}

TEST(Kt650BitSerial, FramesOfTheWrongShapeAreLoggedAndDropped) {
  sim::Kt650BitSerial lines;
  Frame(lines, true, 15, 0x7FF0 | (3 << 1));  // word 3 = 0x7FF
  Frame(lines, false, 11, 0x52A);             // 0,1,0 then 1,0,1,0,0,1,0,1 as they arrive
  EXPECT_EQ(lines.DacWord(3), 0x7FF);
  EXPECT_EQ(lines.SerialRegister(2), 0xA5);
  EXPECT_EQ(lines.Frames().size(), 2u);
  Frame(lines, true, 14, 0x7FF0 | (2 << 1));
  Frame(lines, true, 16, 0x7FF0 | (2 << 1));
  Frame(lines, true, 15, 0x7FF1 | (2 << 1));  // no leading 0
  Frame(lines, false, 12, 0);
  Frame(lines, true, 15, 7 << 1);  // index 7: no such slot
  EXPECT_EQ(lines.DacWord(2), 0);
  auto bad = lines.BadFrames();
  ASSERT_EQ(bad.size(), 5u);
  EXPECT_EQ(bad[0].length, 14u);
  EXPECT_EQ(bad[3].channel, sim::Kt650SerialChannel::kSerialRegister);
  // Clocks without a select are not part of any frame.
  Clock(lines, sim::Kt650SerialLines{}, true);
  EXPECT_EQ(lines.Frames().size(), 7u);
}

}  // namespace
