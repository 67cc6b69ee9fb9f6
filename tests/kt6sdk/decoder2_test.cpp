// The second decoder of board types 3-5 as its chip model received it: the bank
// load, the reserved and missing registers, the video controls, and the bus held
// in the serial-bus word around each transaction.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/serial_bus_owner.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A22;
using Write = std::pair<std::uint8_t, std::uint8_t>;

constexpr std::uint8_t kDecoder = 0x42;
constexpr std::uint8_t kBoardControl = 0x48;

class Decoder2 : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Boot(std::uint8_t type = 3) {
    sim::Kt650Board& board = BootBoard(kChip8A22, type);
    board_ = &board;
    return board;
  }
  sim::Kt650Decoder2& Chip() { return *board_->decoder2(); }
  // The register writes the chip took, in order, since the last call.
  std::vector<Write> Writes() {
    std::vector<Write> writes;
    for (const sim::I2cTransfer& t : Chip().Log())
      if (t.kind == sim::I2cTransfer::Kind::kWrite)
        for (std::size_t i = 0; i < t.bytes.size(); ++i)
          writes.emplace_back(static_cast<std::uint8_t>(t.subaddress + i), t.bytes[i]);
    Chip().ClearLog();
    return writes;
  }
  std::uint8_t Setting(std::uint16_t control) {
    std::uint8_t v = 0xEE;
    EXPECT_EQ(kt6::KT6GetDecoder2Control(control, &v), 0) << control;
    return v;
  }

  sim::Kt650Board* board_ = nullptr;
};

bool Reserved(unsigned reg) {
  return std::find(std::begin(kt6::decoder2::kSkipped), std::end(kt6::decoder2::kSkipped), reg) !=
         std::end(kt6::decoder2::kSkipped);
}

TEST_F(Decoder2, TheBankLoadWritesEveryBankRegisterButTheReservedOnesAndLeavesTheScalerRunning) {
  Boot();
  std::uint8_t table[kt6::decoder2::kShadowBytes];
  for (std::size_t i = 0; i < sizeof table; ++i) table[i] = static_cast<std::uint8_t>(0x5A ^ (i * 7));
  Chip().ClearLog();
  kt6::KT6InitDecoder2(table);
  std::vector<Write> writes = Writes();

  std::vector<Write> expected;
  for (unsigned reg = 0x01; reg <= 0xEF; ++reg) {
    std::uint8_t index = 0;
    if (!kt6::Decoder2ShadowIndex(static_cast<std::uint8_t>(reg), &index)) continue;
    if (!Reserved(reg)) expected.emplace_back(reg, table[index]);
    if (reg >= 0x80) {
      expected.emplace_back(0x88, 0x00);
      expected.emplace_back(0x88, 0xF0);
    }
  }
  EXPECT_EQ(writes, expected);
  for (const Write& w : writes) EXPECT_FALSE(Reserved(w.first)) << int(w.first);
  EXPECT_EQ(Chip().Register(0x88), 0xF0);
  EXPECT_EQ(Chip().Register(0x00), sim::Kt650Decoder2::kVersionValue);
  kt6::KT6InitDecoder2(nullptr);
  EXPECT_TRUE(Writes().empty());
}

// The init loads the shadow itself: the chip ends as the shadow says.
TEST_F(Decoder2, LoadedFromItsOwnShadowTheChipEndsAsTheShadow) {
  Boot();
  for (std::size_t i = 0; i < kt6::decoder2::kShadowBytes; ++i)
    kt6::g_state.config.decoder2_registers[i] = static_cast<std::uint8_t>(i * 13 + 1);
  kt6::KT6InitDecoder2(kt6::g_state.config.decoder2_registers);
  for (unsigned reg = 0x01; reg <= 0xEF; ++reg) {
    std::uint8_t index = 0;
    if (!kt6::Decoder2ShadowIndex(static_cast<std::uint8_t>(reg), &index) || Reserved(reg)) continue;
    EXPECT_EQ(Chip().Register(static_cast<std::uint8_t>(reg)), kt6::g_state.config.decoder2_registers[index]) << reg;
  }
  EXPECT_EQ(Chip().Register(0x88), 0xF0);
}

TEST_F(Decoder2, ReservedRegistersAndThoseOutsideTheBanksReachNeitherTheBusNorTheConfiguration) {
  sim::Kt650Board& board = Boot();
  board.serial_bus().ClearFrames();
  BoardConfig before = kt6::g_state.config;
  for (unsigned reg : {0xB6, 0xA3, 0xE7, 0x1A, 0x1F, 0x3F, 0x5F, 0x7F, 0xF0, 0xFF}) {
    EXPECT_EQ(kt6::KT6SetDecoder2Reg(static_cast<std::uint8_t>(reg), 0x77), 0) << reg;
  }
  EXPECT_TRUE(board.serial_bus().Frames().empty());
  EXPECT_EQ(0, std::memcmp(&before, &kt6::g_state.config, sizeof before));
  EXPECT_EQ(kt6::KT6SetDecoder2Reg(0xEF, 0x77), 1);
  EXPECT_EQ(Chip().Register(0xEF), 0x77);
  EXPECT_EQ(kt6::g_state.config.decoder2_registers[168], 0x77);
}

TEST_F(Decoder2, VersionAndStatusComeFromTheChipOtherRegistersFromTheShadow) {
  sim::Kt650Board& board = Boot();
  board.serial_bus().ClearFrames();
  kt6::g_state.config.decoder2_registers[0x19] = 0x33;
  EXPECT_EQ(kt6::KT6GetDecoder2Reg(0x19), 0x33);
  EXPECT_EQ(kt6::KT6GetDecoder2Reg(0x1E), 0);
  EXPECT_TRUE(board.serial_bus().Frames().empty());

  EXPECT_EQ(kt6::KT6GetDecoder2Reg(0x00), sim::Kt650Decoder2::kVersionValue);
  kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 0);  // the camera's input
  EXPECT_EQ(kt6::KT6GetDecoder2Reg(0x1F), 0x80);
  kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 1);
  EXPECT_EQ(kt6::KT6GetDecoder2Reg(0x1F), 0x40);
  board.video_inputs().SetCamera(1, true);
  EXPECT_EQ(kt6::KT6GetDecoder2Reg(0x1F), 0x80);
  auto reads = Chip().Log();
  std::size_t statusReads = std::count_if(reads.begin(), reads.end(), [](const sim::I2cTransfer& t) {
    return t.kind == sim::I2cTransfer::Kind::kRead && t.has_subaddress && t.subaddress == 0x1F;
  });
  EXPECT_EQ(statusReads, 3u);
}

TEST_F(Decoder2, EachChannelSelectsItsInputModeAndFormAndOthersChangeNothing) {
  Boot();
  sim::Kt650Decoder2& chip = Chip();
  kt6::KT6SetDecoder2Reg(0x02, 0xA5);
  kt6::KT6SetDecoder2Reg(0x09, 0x3C);
  struct Case {
    std::uint8_t channel, mode;
    bool luma_chroma;
  };
  for (Case c : {Case{0, 0, false}, {1, 2, false}, {2, 4, false}, {3, 7, true}, {5, 8, true}}) {
    SCOPED_TRACE(int(c.channel));
    EXPECT_EQ(kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 0x100 | c.channel), 0);  // low byte
    EXPECT_EQ(chip.Register(0x02), 0xA0 | c.mode);
    EXPECT_EQ(chip.Register(0x09), c.luma_chroma ? 0xBC : 0x3C);
    EXPECT_EQ(chip.SelectedInput(), c.channel);
    EXPECT_EQ(Setting(kt6::decoder2::kChannel), c.channel);
  }
  Writes();
  for (std::uint8_t channel : {4, 6, 0xFF}) {
    kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, channel);
    EXPECT_EQ(Setting(kt6::decoder2::kChannel), 5);
  }
  EXPECT_TRUE(Writes().empty());
}

TEST_F(Decoder2, GainsReachTheirRangeBitAndRegisterByChannel) {
  Boot();
  struct Case {
    std::uint8_t channel, gain;
    std::vector<Write> writes;  // after the gain control register's old value 0xF0
  };
  const Case cases[] = {
      {0, 0, {{0x03, 0xF0}, {0x04, 0x08}}},
      {0, 15, {{0x03, 0xF0}, {0x04, 0x7C}}},
      {3, 31, {{0x03, 0xF1}, {0x04, 0x18}}},
      {1, 47, {{0x03, 0xF2}, {0x05, 0xFF}}},
      {2, 63, {{0x03, 0xF2}, {0x05, 0xFF}}},
      {5, 31, {{0x03, 0xF2}, {0x05, 0x18}}},
      {1, 20, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.channel) << " gain " << int(c.gain));
    kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, c.channel);
    kt6::KT6SetDecoder2Reg(0x03, 0xF0);
    Writes();
    EXPECT_EQ(kt6::KT6SetDecoder2Control(kt6::decoder2::kGain, c.gain), 0);
    EXPECT_EQ(Writes(), c.writes);
  }
  // Stored by channel (gain 20 too); input 5 reads input 0's slot and keeps nothing.
  kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 1);
  EXPECT_EQ(Setting(kt6::decoder2::kGain), 20);
  kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 5);
  EXPECT_EQ(Setting(kt6::decoder2::kGain), 15);
  kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 3);
  EXPECT_EQ(Setting(kt6::decoder2::kGain), 31);
  kt6::KT6SetDecoder2Control(kt6::decoder2::kChannel, 0);
  EXPECT_EQ(Setting(kt6::decoder2::kGain), 15);
  EXPECT_EQ(Chip().Register(0x04), 0x7C);  // the channel change applied input 0's gain

  // A channel byte that the configuration set to no input: no slot, no bus.
  kt6::g_state.config.decoder2_controls[0] = 9;
  BoardConfig before = kt6::g_state.config;
  Writes();
  kt6::KT6SetDecoder2Control(kt6::decoder2::kGain, 63);
  std::uint8_t out = 0xEE;
  EXPECT_EQ(kt6::KT6GetDecoder2Control(kt6::decoder2::kGain, &out), 0);
  EXPECT_EQ(out, 0xEE);
  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(0, std::memcmp(&before, &kt6::g_state.config, sizeof before));
}

TEST_F(Decoder2, TheTvStandardLoadsTheWindowBetweenAScalerHoldAndRelease) {
  Boot();
  kt6::KT6SetDecoder2Reg(0x08, 0x81);
  struct Case {
    std::uint8_t standard;
    std::vector<std::uint8_t> window;  // 0x94-0x9F, then 0xA8, 0xA9, 0xAC, 0xAD
    std::uint8_t mode;
  };
  const Case cases[] = {
      {0, {0x06, 0x00, 0xC4, 0x02, 0x00, 0x00, 0x04, 0x01, 0x80, 0x02, 0x04, 0x01, 0x6C, 0x04, 0x36, 0x02}, 0xC1},
      {1, {0x0A, 0x00, 0xBC, 0x02, 0x00, 0x00, 0x37, 0x01, 0x00, 0x03, 0x38, 0x01, 0xA5, 0x03, 0xD2, 0x01}, 0x81},
      {2, {0x06, 0x00, 0xC4, 0x02, 0x00, 0x00, 0x04, 0x01, 0x80, 0x02, 0x04, 0x01, 0x6C, 0x04, 0x36, 0x02}, 0xC1},
  };
  const std::uint8_t registers[] = {0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B,
                                    0x9C, 0x9D, 0x9E, 0x9F, 0xA8, 0xA9, 0xAC, 0xAD};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.standard));
    Writes();
    kt6::KT6SetDecoder2Control(kt6::decoder2::kTvStandard, c.standard);
    std::vector<Write> expected{{0x88, 0x00}};
    for (std::size_t i = 0; i < std::size(registers); ++i) expected.emplace_back(registers[i], c.window[i]);
    expected.emplace_back(0x08, c.mode);
    expected.emplace_back(0x88, 0xF0);
    EXPECT_EQ(Writes(), expected);
    EXPECT_EQ(Chip().Register(0x88), 0xF0);
    EXPECT_EQ(Setting(kt6::decoder2::kTvStandard), c.standard);
  }
}

TEST_F(Decoder2, PictureControlsAndTheGreyPixelMode) {
  Boot();
  kt6::KT6SetDecoder2Reg(0x03, 0xFF);
  kt6::KT6SetDecoder2Reg(0x08, 0xFF);
  Writes();
  using namespace kt6::decoder2;
  struct Case {
    std::uint16_t control;
    std::uint8_t value;
    Write write;
  };
  const Case cases[] = {
      {kSaturationControl, 0x51, {0x0C, 0x51}},
      {kHueControl, 0x52, {0x0D, 0x52}},
      {kContrastControl, 0x58, {0x0B, 0x58}},
      {kBrightnessControl, 0x59, {0x0A, 0x59}},
      {kAgc, 0, {0x03, 0xFB}},
      {kAgc, 1, {0x03, 0xFF}},
      {kVcr, 1, {0x08, 0xEF}},
      {kVcr, 0, {0x08, 0xFF}},
      {kPixelMode, 1, {0x0C, 0x00}},
      {kPixelMode, 2, {0x0C, 0x51}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.control << " = " << int(c.value));
    EXPECT_EQ(kt6::KT6SetDecoder2Control(c.control, c.value), 0);
    EXPECT_EQ(Writes(), std::vector<Write>{c.write});
    if (c.control != kPixelMode) {
      EXPECT_EQ(Setting(c.control), c.value);
    }
  }
  std::uint8_t out = 0xEE;
  EXPECT_EQ(kt6::KT6GetDecoder2Control(kPixelMode, &out), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::g_state.config.decoder2_controls[slot::kPixelMode], 2);
  EXPECT_EQ(kt6::KT6GetDecoder2Control(49, &out), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::KT6GetDecoder2Control(60, &out), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::KT6GetDecoder2Control(kHueControl, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(out, 0xEE);
  EXPECT_EQ(kt6::KT6SetDecoder2Control(60, 1), 0);
  EXPECT_TRUE(Writes().empty());
}

// Each transaction holds the bus in the serial-bus word; a capture freeze that the
// interrupt thread asks for meanwhile is recorded and runs once, after it.
TEST_F(Decoder2, TransactionsHoldTheBusAndRunWorkDeferredMeanwhileOnceAfterwards) {
  sim::Kt650Board& board = Boot();
  kt6::KT6SetCtrlReg(7, 0x80);
  kt6::g_state.control19 = 0x04;
  std::atomic<int> transfers{0};
  std::atomic<int> busy{0};
  Chip().SetWriteObserver([&] {
    ++transfers;
    if (kt6::g_state.serial_bus_word.load() & kt6::busword::kBusy) ++busy;
    if (transfers == 1) {
      std::thread([] { kt6::SetHDecimation(kt6::decimation::kFreeze); }).join();
      EXPECT_NE(kt6::g_state.serial_bus_word.load() & (1u << 5), 0u);
    }
  });
  board.serial_bus().ClearFrames();
  kt6::KT6SetDecoder2Control(kt6::decoder2::kTvStandard, 1);
  Chip().SetWriteObserver(nullptr);
  EXPECT_EQ(transfers, 19);
  EXPECT_EQ(busy, transfers.load());

  std::vector<std::uint8_t> devices;
  std::vector<std::uint8_t> controlRegisters;
  for (const sim::I2cBus::Frame& f : board.serial_bus().Frames()) {
    devices.push_back(f.units[0].byte);
    if (f.units[0].byte == kBoardControl) controlRegisters.push_back(f.units[1].byte);
  }
  std::vector<std::uint8_t> expected(19, kDecoder);
  expected.push_back(kBoardControl);
  expected.push_back(kBoardControl);
  EXPECT_EQ(devices, expected);
  EXPECT_EQ(controlRegisters, (std::vector<std::uint8_t>{7, 19}));
  EXPECT_FALSE(board.board_control()->CaptureRunning());
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
}

TEST_F(Decoder2, TwoThreadsSettingControlsNeverSplitATransaction) {
  sim::Kt650Board& board = Boot();
  board.serial_bus().ClearFrames();
  constexpr int kRounds = 100;
  std::thread a([] {
    for (int i = 0; i < kRounds; ++i) kt6::KT6SetDecoder2Control(kt6::decoder2::kHueControl, i);
  });
  std::thread b([] {
    for (int i = 0; i < kRounds; ++i) kt6::KT6GetDecoder2Reg(kt6::decoder2::kStatus);
  });
  a.join();
  b.join();
  for (const sim::I2cBus::Frame& f : board.serial_bus().Frames()) {
    ASSERT_EQ(f.units[0].byte, kDecoder);
    ASSERT_EQ(f.units.size(), f.repeated_starts ? 4u : 3u);
  }
  EXPECT_EQ(Chip().Register(0x0D), kRounds - 1);
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
}

}  // namespace
