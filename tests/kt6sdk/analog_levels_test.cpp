// The camera interface's reference DACs as the board's serial-register lines
// decode them: which register each level reaches, complemented or not, in which
// order, and the codes of gains and offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "kt6sdk/analog_levels.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/video_input_fixture.h"

namespace {

using sim::kt650::kChip8A22;
using Write = std::pair<unsigned, std::uint8_t>;  // serial register, byte

constexpr std::uint32_t kOneSet = 0x10000;
constexpr std::uint32_t kTwoSets = 0x40000;
constexpr std::uint32_t kOffsetFrontEnd = 0x200;

class AnalogLevels : public kt6_testing::VideoInputTest {
 protected:
  void Start(std::uint32_t word, std::uint8_t type = 4) {
    board_ = &BootBoard(kChip8A22, type);
    kt6_testing::SetBoardWord(word);
    seen_ = board_->board_control()->bit_serial().Frames().size();
  }

  // The register frames decoded since the last call: three index bits, then eight
  // value bits, each most significant first.
  std::vector<Write> Written() {
    std::vector<sim::Kt650BitFrame> frames = board_->board_control()->bit_serial().Frames();
    std::vector<Write> out;
    for (std::size_t i = seen_; i < frames.size(); ++i) {
      const sim::Kt650BitFrame& f = frames[i];
      if (f.channel != sim::Kt650SerialChannel::kSerialRegister) continue;
      unsigned index = 0, value = 0;
      for (unsigned b = 0; b < 3; ++b) index = index << 1 | ((f.bits >> b) & 1);
      for (unsigned b = 3; b < 11; ++b) value = value << 1 | ((f.bits >> b) & 1);
      out.emplace_back(index, static_cast<std::uint8_t>(value));
    }
    seen_ = frames.size();
    return out;
  }

  static std::uint8_t Inv(std::uint8_t v) { return static_cast<std::uint8_t>(~v); }

  std::size_t seen_ = 0;
};

using kt6_testing::GainCode;
using kt6_testing::OffsetCode;

TEST_F(AnalogLevels, EachSetReachesItsRegistersComplementedAsWired) {
  // One set: top and bottom as they are, the clamp complemented, on 2, 3 and 6.
  Start(kOneSet);
  kt6::g_state.config.camera_input = 1;
  ASSERT_EQ(kt6::SetADTopBottom(1, kt6::kLevelPart2, 200, 40, 0x30), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{2, 200}, {3, 40}, {6, Inv(0x30)}}));
  EXPECT_EQ(kt6::g_state.config.level_mode, 1);
  // Another input is stored, not written.
  ASSERT_EQ(kt6::SetADTopBottom(3, kt6::kLevelPart2, 150, 10, 0x20), 0);
  EXPECT_TRUE(Written().empty());
  std::uint8_t top = 0, bottom = 0, clamp = 0;
  ASSERT_EQ(kt6::GetADTopBottom(3, kt6::kLevelPart2, &top, &bottom, &clamp), 0);
  EXPECT_EQ((std::vector<int>{top, bottom, clamp}), (std::vector<int>{150, 10, 0x20}));
  ShutDown();

  // Two sets: every byte complemented; part 1 on 0, 1, 4 and part 2 on 3, 2, 5.
  Start(kTwoSets);
  kt6::g_state.config.level_set_input = 7;
  ASSERT_EQ(kt6::SetADTopBottom(7, kt6::kLevelPart1 | kt6::kLevelPart2, 180, 20, 0x44), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{
                           {0, Inv(180)}, {1, Inv(20)}, {4, Inv(0x44)}, {3, Inv(180)}, {2, Inv(20)}, {5, Inv(0x44)}}));
  EXPECT_EQ(kt6::g_state.config.first_top_levels[1], 180);
  EXPECT_EQ(kt6::g_state.config.second_bottom_levels[1], 20);
  EXPECT_EQ(kt6::g_state.config.level_set_mode, 1);
  ASSERT_EQ(kt6::SetADTopBottom(6, kt6::kLevelPart2, 90, 9, 1), 0);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(kt6::g_state.config.second_top_levels[0], 90);
  // Inputs, parts and board types that have no such converter.
  EXPECT_EQ(kt6::SetADTopBottom(3, kt6::kLevelPart1, 1, 1, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::SetADTopBottom(6, 0, 1, 1, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::GetADTopBottom(6, 3, &top, &bottom, &clamp), KT6_ERR_PARAMETER);
  ShutDown();
  Start(0);
  EXPECT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart1, 1, 1, 1), KT6_ERR_NOT_SUPPORTED);
  ShutDown();
  Start(kOneSet, 3);
  EXPECT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 1, 1, 1), KT6_ERR_NOT_SUPPORTED);
}

TEST_F(AnalogLevels, TheLevelThatChangesGivesWayAndTheOrderKeepsTopAboveBottom) {
  Start(kOneSet);
  kt6::g_state.config.camera_input = 0;
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 100, 50, 0), 0);
  Written();
  // Only the bottom moves (to 120, above the top): it stops at the top.
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 100, 120, 0), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{2, 100}, {3, 100}, {6, 0xFF}}));
  // The top moves below the bottom: it stops at the bottom.
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 200, 120, 0), 0);
  Written();
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 100, 120, 0), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{2, 120}, {3, 120}, {6, 0xFF}}));
  // Both moving with the top below the bottom: both at the bottom.
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 200, 50, 0), 0);
  Written();
  // A top below the stored bottom goes in after the bottom has come down.
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 30, 10, 0), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{3, 10}, {2, 30}, {6, 0xFF}}));
  ASSERT_EQ(kt6::SetADTopBottom(0, kt6::kLevelPart2, 40, 35, 0), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{2, 40}, {3, 35}, {6, 0xFF}}));
}

TEST_F(AnalogLevels, GainsAndOffsetsBecomeCodesWithinTheDacRange) {
  Start(kOneSet);
  kt6::g_state.config.camera_input = 2;
  ASSERT_EQ(kt6::SetADTopBottom(2, kt6::kLevelPart2, 200, 64, 0), 0);
  Written();
  for (float db : {-3.0f, 0.0f, 3.0f, 9.0f, 20.0f}) {
    SCOPED_TRACE(db);
    ASSERT_EQ(kt6::SetADGain(2, kt6::kLevelPart2, db), 0);
    auto code = static_cast<std::uint8_t>(GainCode(1.0, 4.0, 2.5, 64, db));
    EXPECT_EQ(Written(), (std::vector<Write>{{2, code}}));
    float back = 0;
    ASSERT_EQ(kt6::GetADGain(2, kt6::kLevelPart2, &back), 0);
    EXPECT_EQ(back, db);
  }
  EXPECT_EQ(kt6::g_state.config.level_mode, 2);
  // Gains the truncation cannot take are refused; extreme ones are held at the ends.
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    EXPECT_EQ(kt6::SetADGain(2, kt6::kLevelPart2, bad), KT6_ERR_PARAMETER);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(kt6::ADGainLevel(1.0f, 4.0f, 2.5f, 0, -200.0f), 255);
  EXPECT_EQ(kt6::ADGainLevel(1.0f, 4.0f, 2.5f, 128, 1e30f), 128);
  EXPECT_EQ(kt6::ADGainLevel(1.0f, 5.0f, 4.0f, 0, -3e38f), 255);

  for (int value : {0, 1, 128, 129, 255}) {
    SCOPED_TRACE(value);
    ASSERT_EQ(kt6::SetADOffset(2, kt6::kLevelPart2, static_cast<std::uint8_t>(value)), 0);
    EXPECT_EQ(Written(), (std::vector<Write>{{6, Inv(static_cast<std::uint8_t>(OffsetCode(1.0, value)))}}));
    std::uint8_t back = 0;
    ASSERT_EQ(kt6::GetADOffset(2, kt6::kLevelPart2, &back), 0);
    EXPECT_EQ(back, value);
  }
  // The offset front end lowers the middle.
  kt6_testing::SetBoardWord(kOneSet | kOffsetFrontEnd);
  ASSERT_EQ(kt6::SetADOffset(2, kt6::kLevelPart2, 64), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{6, Inv(static_cast<std::uint8_t>(OffsetCode(0.25, 64)))}}));
  ShutDown();

  Start(kTwoSets | kOffsetFrontEnd);
  kt6::g_state.config.level_set_input = 6;
  kt6::g_state.config.first_bottom_levels[0] = 32;
  ASSERT_EQ(kt6::SetADGain(6, kt6::kLevelPart1, 6.0f), 0);
  ASSERT_EQ(kt6::SetADOffset(6, kt6::kLevelPart1, 200), 0);
  EXPECT_EQ(Written(), (std::vector<Write>{{0, Inv(static_cast<std::uint8_t>(GainCode(1, 5, 4, 32, 6.0)))},
                                           {4, Inv(static_cast<std::uint8_t>(OffsetCode(0.2, 200)))}}));
}

TEST_F(AnalogLevels, TheInitSetsTheLevelsItsRecordHolds) {
  // One set, gain and offset of input 1.
  Open(4, 0);
  BoardConfig c{};
  ASSERT_EQ(KT6InquireConfig(&c), 0);
  c.board_flags = kOneSet;
  c.camera_input = 1;
  c.level_mode = 2;
  c.bottom_levels[1] = 16;
  c.offset_values[1] = 100;
  float gain = 3.0f;
  std::memcpy(reinterpret_cast<char*>(&c) + offsetof(BoardConfig, gains_db) + 4, &gain, 4);
  seen_ = board_->board_control()->bit_serial().Frames().size();
  ASSERT_EQ(KT6Init(&c), 0);
  std::vector<Write> w = Written();
  auto gainCode = static_cast<std::uint8_t>(GainCode(1, 4, 2.5, 16, 3.0));
  auto offsetCode = Inv(static_cast<std::uint8_t>(OffsetCode(1.0, 100)));
  auto at = [&](unsigned reg) {
    int last = -1;
    for (const Write& x : w)
      if (x.first == reg) last = x.second;
    return last;
  };
  EXPECT_EQ(at(2), gainCode);
  EXPECT_EQ(at(6), offsetCode);
  // A gain that is no number leaves the top as it was; the offset still goes in.
  gain = std::numeric_limits<float>::quiet_NaN();
  std::memcpy(reinterpret_cast<char*>(&c) + offsetof(BoardConfig, gains_db) + 4, &gain, 4);
  c.offset_values[1] = 10;
  ASSERT_EQ(KT6Init(&c), 0);
  w = Written();
  EXPECT_EQ(at(2), -1);
  EXPECT_EQ(at(6), Inv(static_cast<std::uint8_t>(OffsetCode(1.0, 10))));
  ShutDown();

  // Two sets, top and bottom: input 7 (set 1) reaches the DACs, set 0 is kept.
  Open(5, 0);
  ASSERT_EQ(KT6InquireConfig(&c), 0);
  c.board_flags = kTwoSets;
  c.level_set_input = 7;
  c.level_set_mode = 1;
  c.first_top_levels[1] = 150;
  c.first_bottom_levels[1] = 50;
  c.first_clamp_levels[1] = 7;
  c.second_top_levels[1] = 140;
  c.second_bottom_levels[1] = 40;
  c.second_clamp_levels[1] = 8;
  c.first_top_levels[0] = 99;
  seen_ = board_->board_control()->bit_serial().Frames().size();
  ASSERT_EQ(KT6Init(&c), 0);
  w = Written();
  EXPECT_EQ(at(0), Inv(150));
  EXPECT_EQ(at(1), Inv(50));
  EXPECT_EQ(at(4), Inv(7));
  EXPECT_EQ(at(3), Inv(140));
  EXPECT_EQ(at(2), Inv(40));
  EXPECT_EQ(at(5), Inv(8));
  std::uint8_t top = 0;
  ASSERT_EQ(kt6::GetADTopBottom(6, kt6::kLevelPart1, &top, nullptr, nullptr), 0);
  EXPECT_EQ(top, 99);
}

}  // namespace
