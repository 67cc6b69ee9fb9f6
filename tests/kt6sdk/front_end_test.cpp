// The analog front end as the board's data device and bit-serial lines took it.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_error_codes.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

constexpr std::uint32_t kOffsetFrontEnd = 0x0200;
constexpr std::uint8_t kLevelPhase = 0x20;

// The level-DAC indices written, in order, since `from` latches.
std::vector<std::uint8_t> LevelWrites(const sim::Kt650FrontEnd& fe, std::size_t from = 0) {
  std::vector<std::uint8_t> order;
  auto latches = fe.Latches();
  for (std::size_t i = from; i < latches.size(); ++i)
    if (latches[i].phase == kLevelPhase) order.push_back(latches[i].address);
  return order;
}

class FrontEnd : public kt6_testing::Kt6Test {};

TEST_F(FrontEnd, GainAndBrightnessGiveTheReferences) {
  struct Case {
    bool offset;
    std::uint8_t gain, brightness;
    std::uint8_t bottom, top, stored;
  };
  const Case cases[] = {
      {true, 31, 128, 66, 170, 128}, {false, 31, 128, 0, 104, 128},  {false, 15, 0, 104, 252, 0},
      {false, 31, 200, 0, 104, 128}, {true, 0, 0, 66, 252, 0},       {true, 0, 250, 3, 252, 250},
      {true, 63, 64, 133, 185, 64},  {false, 47, 100, 38, 112, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " gain " << int(c.gain) << " brightness " << int(c.brightness));
    sim::Kt650Board& board = BootBoard(kChip8A01, 2);
    kt6_testing::SetBoardWord(c.offset ? kOffsetFrontEnd : 0);
    ASSERT_EQ(kt6::KT6SetFrontEndControl(kt6::frontend::kGain, c.gain), 0);
    ASSERT_EQ(kt6::KT6SetFrontEndControl(kt6::frontend::kBrightness, c.brightness), 0);
    const sim::Kt650FrontEnd& fe = board.control_port()->front_end();
    EXPECT_EQ(fe.LevelDac(2), c.bottom);
    EXPECT_EQ(fe.LevelDac(1), c.top);
    std::uint8_t b = 0, g = 0;
    kt6::KT6GetFrontEndControl(kt6::frontend::kBrightness, &b);
    kt6::KT6GetFrontEndControl(kt6::frontend::kGain, &g);
    EXPECT_EQ(b, c.stored);
    EXPECT_EQ(g, c.gain);
    ShutDown();
  }
}

TEST_F(FrontEnd, AFallingTopIsWrittenAfterTheBottomARisingOneBefore) {
  sim::Kt650Board& board = BootBoard(kChip5631, 0);
  const sim::Kt650FrontEnd& fe = board.control_port()->front_end();
  kt6::g_state.config.front_end_controls[kt6::frontend::kBrightnessByte] = 128;
  kt6::KT6SetFrontEndControl(kt6::frontend::kGain, 0);  // top 0 -> 208
  EXPECT_EQ(LevelWrites(fe), (std::vector<std::uint8_t>{1, 2}));
  std::size_t mark = fe.Latches().size();
  kt6::KT6SetFrontEndControl(kt6::frontend::kGain, 63);  // 208 -> 52
  EXPECT_EQ(LevelWrites(fe, mark), (std::vector<std::uint8_t>{2, 1}));
  EXPECT_EQ(fe.LevelDac(1), 52);
  // A gain without limits changes nothing.
  mark = fe.Latches().size();
  kt6::KT6SetFrontEndControl(kt6::frontend::kGain, 20);
  EXPECT_EQ(fe.Latches().size(), mark);
  std::uint8_t g = 0;
  kt6::KT6GetFrontEndControl(kt6::frontend::kGain, &g);
  EXPECT_EQ(g, 63);
}

TEST_F(FrontEnd, DirectReferencesFollowChannelChangesUntilAGainIsSet) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 1);
  const sim::Kt650FrontEnd& fe = board.control_port()->front_end();
  kt6::KT6SetFrontEndControl(kt6::frontend::kTop, 64);  // clamped
  kt6::KT6SetFrontEndControl(kt6::frontend::kBottom, 5);
  EXPECT_EQ(fe.LevelDac(1), 252);
  kt6::KT6SetFrontEndControl(kt6::frontend::kChannel, 1);
  EXPECT_EQ(fe.LevelDac(0), 0x5C);
  EXPECT_EQ(fe.LevelDac(1), 0);  // channel 1's own pair
  kt6::KT6SetFrontEndControl(kt6::frontend::kChannel, 5);
  EXPECT_EQ(fe.LevelDac(0), 0x0C);
  EXPECT_EQ(fe.LevelDac(1), 252);  // channel 0's pair
  EXPECT_EQ(fe.LevelDac(2), 20);
  std::uint8_t top = 0;
  kt6::KT6GetFrontEndControl(kt6::frontend::kTop, &top);
  EXPECT_EQ(top, 63);

  kt6::g_state.config.front_end_controls[kt6::frontend::kBrightnessByte] = 128;
  kt6::KT6SetFrontEndControl(kt6::frontend::kGain, 31);
  kt6::KT6SetFrontEndControl(kt6::frontend::kChannel, 3);
  EXPECT_EQ(fe.LevelDac(0), 0xFC);
  EXPECT_EQ(fe.LevelDac(1), 208);  // computed from channel 3's gain 0

  // Channels without slots: nothing latched, nothing stored.
  std::size_t mark = fe.Latches().size();
  kt6::KT6SetFrontEndControl(kt6::frontend::kChannel, 4);
  EXPECT_EQ(fe.Latches().size(), mark);
  kt6::g_state.config.front_end_controls[0] = 9;
  kt6::KT6SetFrontEndControl(kt6::frontend::kTop, 7);
  kt6::KT6SetFrontEndControl(kt6::frontend::kGain, 15);
  EXPECT_EQ(fe.Latches().size(), mark);
  std::uint8_t out = 0xAA;
  EXPECT_EQ(kt6::KT6GetFrontEndControl(kt6::frontend::kTop, &out), 0);
  EXPECT_EQ(out, 0xAA);
  EXPECT_EQ(kt6::KT6GetFrontEndControl(kt6::frontend::kTop, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::KT6SetLevelDAC(3, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(fe.Latches().size(), mark);
}

TEST_F(FrontEnd, DacWordsAndSerialRegistersReachTheirSlots) {
  std::mt19937 random(650);
  for (auto [chip, type] : {std::pair{kChip5631, 0}, std::pair{kChip8A01, 2}, std::pair{kChip8A22, 4}}) {
    SCOPED_TRACE(type);
    sim::Kt650Board& board = BootBoard(chip, static_cast<std::uint8_t>(type));
    const sim::Kt650BitSerial& lines =
        type >= 3 ? board.board_control()->bit_serial() : board.control_port()->bit_serial();
    std::array<std::uint16_t, 7> words{};
    std::array<std::uint8_t, 7> regs{};
    for (int n = 0; n < 40; ++n) {
      auto i = static_cast<std::uint8_t>(random() % 7);
      words[i] = static_cast<std::uint16_t>(random() & 0x7FF);
      ASSERT_EQ(kt6::KT6SetDACWord(i, words[i]), 0);
      if (type < 3) continue;
      i = static_cast<std::uint8_t>(random() % 7);
      regs[i] = static_cast<std::uint8_t>(random());
      ASSERT_EQ(kt6::KT6SetSerialReg(i, regs[i]), 0);
    }
    for (unsigned i = 0; i < 7; ++i) {
      EXPECT_EQ(lines.DacWord(i), words[i]) << i;
      EXPECT_EQ(lines.SerialRegister(i), regs[i]) << i;
    }
    const std::uint16_t all[7] = {1, 2, 4, 8, 16, 32, 0x7FF};
    kt6::KT6SetDACWords(all);
    for (unsigned i = 0; i < 7; ++i) EXPECT_EQ(lines.DacWord(i), all[i]) << i;
    std::size_t frames = lines.Frames().size();
    EXPECT_EQ(kt6::KT6SetDACWord(7, 1), KT6_ERR_PARAMETER);
    EXPECT_EQ(kt6::KT6SetSerialReg(8, 1), KT6_ERR_PARAMETER);
    kt6::KT6SetDACWords(nullptr);
    EXPECT_EQ(lines.Frames().size(), frames);
    EXPECT_TRUE(lines.BadFrames().empty());
    if (type >= 3) {
      // The phase trimming has no shadow: the record's byte after the shadows stays.
      kt6::g_state.config.reserved_224 = 0x5A;
      ASSERT_EQ(kt6::KT6SetSerialReg(kt6::frontend::kPhaseTrimming, 0xC3), 0);
      EXPECT_EQ(lines.SerialRegister(kt6::frontend::kPhaseTrimming), 0xC3);
      EXPECT_EQ(kt6::g_state.config.reserved_224, 0x5A);
    }
    ShutDown();
  }
}

TEST_F(FrontEnd, TheSecondLutIsType2sAndCutAtItsEnd) {
  std::array<std::uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint8_t>(255 - i);
  sim::Kt650Board& board = BootBoard(kChip8A01, 2);
  const sim::Kt650FrontEnd& fe = board.control_port()->front_end();
  kt6::g_state.config.level_dacs[0] = 0x5C;
  kt6::g_state.config.level_dacs[2] = 9;
  kt6::KT6InitLUTAndLevels(1);
  for (int i : {0, 100, 255}) EXPECT_EQ(fe.Lut2(i), i);
  EXPECT_EQ(fe.LevelDac(0), 0x5C);
  EXPECT_EQ(fe.LevelDac(2), 9);
  ASSERT_EQ(kt6::KT6LoadLUT2(250, 20, table.data()), 0);
  EXPECT_EQ(fe.Lut2(249), 249);
  for (int i = 250; i < 256; ++i) EXPECT_EQ(fe.Lut2(i), table[i - 250]) << i;
  EXPECT_EQ(fe.Lut2(0), 0);  // not wrapped round
  EXPECT_EQ(kt6::KT6LoadLUT2(0, 1, nullptr), KT6_ERR_PARAMETER);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(kt6::KT6LoadLUT2(0, 1, table.data()), KT6_ERR_GENERAL);
  ShutDown();
  for (auto [chip, type] : {std::pair{kChip8A01, 1}, std::pair{kChip8A22, 3}}) {
    BootBoard(chip, static_cast<std::uint8_t>(type));
    EXPECT_EQ(kt6::KT6LoadLUT2(0, 1, table.data()), KT6_ERR_NOT_SUPPORTED) << type;
    ShutDown();
  }
}

}  // namespace
