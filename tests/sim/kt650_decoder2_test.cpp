#include <gtest/gtest.h>

#include "tests/sim/kt650_serial_master.h"

namespace {

using sim::Kt650Decoder2;
using sim_test::Kt650;
using sim_test::Kt650SerialMaster;
using sim_test::PowerOnWith;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kChip = Kt650Decoder2::kAddress;

class Kt650Decoder2Test : public ::testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }
  sim::Kt650Board& Board(std::uint8_t type = 3) {
    board_ = &PowerOnWith({Kt650(sim::kt650::kChip8A22, type)}).kt650(0);
    master_ = std::make_unique<Kt650SerialMaster>(*board_);
    return *board_;
  }
  std::uint8_t Status() { return master_->ReadRegisters(kChip, Kt650Decoder2::kStatus, 1)[0]; }

  sim::Kt650Board* board_ = nullptr;
  std::unique_ptr<Kt650SerialMaster> master_;
};

TEST_F(Kt650Decoder2Test, OnlyTheBankRegistersTakeBytesAndTheVersionStays) {
  for (std::uint8_t type : {3, 4, 5}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& b = Board(type);
    Kt650Decoder2& chip = *b.decoder2();
    // Auto-increment runs off the end of each bank.
    EXPECT_EQ(master_->Transmit(kChip, {0x18, 1, 2, 3}), (std::vector<bool>{true, true, true, true, false}));
    EXPECT_EQ(master_->Transmit(kChip, {0x5E, 4, 5}), (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(master_->Transmit(kChip, {0xEF, 6, 7}), (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(master_->Transmit(kChip, {0x3F, 8}), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(master_->Transmit(kChip, {0x00, 9, 10}), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(chip.Register(0x18), 1);
    EXPECT_EQ(chip.Register(0x19), 2);
    EXPECT_EQ(chip.Register(0x1A), 0);
    EXPECT_EQ(chip.Register(0x5E), 4);
    EXPECT_EQ(chip.Register(0xEF), 6);
    EXPECT_EQ(chip.Register(0xF0), 0);
    EXPECT_EQ(chip.Register(0x3F), 0);
    EXPECT_EQ(chip.Register(0x01), 10);
    EXPECT_EQ(master_->ReadRegisters(kChip, 0x00, 2), (Bytes{Kt650Decoder2::kVersionValue, 10}));
    EXPECT_EQ(master_->ReadRegisters(kChip, 0x3F, 1), Bytes{0xFF});
    EXPECT_EQ(chip.Log().size(), 7u);
    sim::PowerOff();
  }
}

TEST_F(Kt650Decoder2Test, StatusLocksOnACameraAtTheSelectedInput) {
  sim::Kt650Board& b = Board();
  b.video_inputs().SetCamera(0, false);
  b.video_inputs().SetCamera(3, true);
  struct Case {
    std::uint8_t select;
    int input;
    std::uint8_t status;
  };
  // Only input 3 has a camera; the high nibble does not take part.
  for (Case c : {Case{0x00, 0, 0x40},
                 {0xF2, 1, 0x40},
                 {0x04, 2, 0x40},
                 {0x07, 3, 0x80},
                 {0x37, 3, 0x80},
                 {0x08, 5, 0x40},
                 {0x01, -1, 0x40},
                 {0x0F, -1, 0x40}}) {
    SCOPED_TRACE(int(c.select));
    master_->Transmit(kChip, {Kt650Decoder2::kInputSelect, c.select});
    EXPECT_EQ(b.decoder2()->SelectedInput(), c.input);
    EXPECT_EQ(Status(), c.status);
  }
  master_->Transmit(kChip, {Kt650Decoder2::kInputSelect, 0x00});
  b.video_inputs().SetCamera(0, true);
  EXPECT_EQ(Status(), 0x80);
  // A write does not change the status.
  master_->Transmit(kChip, {Kt650Decoder2::kStatus, 0x00});
  EXPECT_EQ(Status(), 0x80);
}

}  // namespace
