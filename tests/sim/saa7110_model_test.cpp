// The SAA7110 model on a type 1 or 2 board: its status byte follows the camera on
// the decoder input register 0x20 selects, and while the decoder feeds the video
// port the board's video path follows that input.
#include <gtest/gtest.h>

#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim::Saa7110Model;
using sim_test::Kt650;
using sim_test::Kt650SerialMaster;
using sim_test::PowerOnWith;

constexpr std::uint8_t kSaa = Saa7110Model::kAddress;

class Saa7110ModelTest : public ::testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }
  sim::Kt650Board& Board(std::uint8_t type) {
    sim::Kt650Desc desc = Kt650(kt650::kChip8A01, type);
    desc.cameras = sim::Kt650Cameras{};
    desc.cameras.decoder[0] = sim::VideoSourceDesc{true, 0};
    desc.cameras.decoder[2] = sim::VideoSourceDesc{true, 1};
    board_ = &PowerOnWith({desc}).kt650(0);
    master_ = std::make_unique<Kt650SerialMaster>(*board_);
    master_->Transmit(kSaa, {Saa7110Model::kStatusMode, Saa7110Model::kDecoderStatus});
    return *board_;
  }
  std::uint8_t Status() { return master_->ReadPlain(kSaa, 1).at(0); }

  sim::Kt650Board* board_ = nullptr;
  std::unique_ptr<Kt650SerialMaster> master_;
};

struct InputCase {
  std::uint8_t code;  // register 0x20
  int input;          // the decoder's
  std::uint8_t status;
};

TEST_F(Saa7110ModelTest, LiveStatusFollowsTheCameraOnTheSelectedInput) {
  // Cameras: NTSC on decoder input 0, PAL on 2; input 5 is an input of its own.
  const InputCase cases[] = {
      {0x7C, 0, 0x00},
      {0xB8, 1, Saa7110Model::kNoLock},
      {0xD9, 2, Saa7110Model::kFields50Hz},
      {0x9A, 3, Saa7110Model::kNoLock},
      {0x3C, 5, Saa7110Model::kNoLock},
      {0x1A, 3, Saa7110Model::kNoLock},
      {0x78, 0, 0x00},
      {0x38, 5, Saa7110Model::kNoLock},
      // A value no wiring writes selects nothing: no lock, and no picture.
      {0x00, Saa7110Model::kNoInput, Saa7110Model::kNoLock},
      {0x7D, Saa7110Model::kNoInput, Saa7110Model::kNoLock},
  };
  for (std::uint8_t type : {1, 2}) {
    sim::Kt650Board& b = Board(type);
    // The decoder comes up on input 0.
    EXPECT_EQ(b.saa7110()->SelectedInput(), 0);
    for (const InputCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "type " << int(type) << " code " << int(c.code));
      master_->Transmit(kSaa, {Saa7110Model::kInputSelect, c.code});
      EXPECT_EQ(b.saa7110()->SelectedInput(), c.input);
      EXPECT_EQ(b.video_inputs().SelectedInput(), c.input);
      EXPECT_EQ(b.video_inputs().SelectedSource().present, c.status != Saa7110Model::kNoLock);
      EXPECT_EQ(Status(), c.status);
    }
    // Unplugging the camera takes the lock away at once; the identification
    // does not change with it.
    master_->Transmit(kSaa, {Saa7110Model::kInputSelect, 0x7C});
    b.video_inputs().SetCamera(0, false);
    EXPECT_EQ(Status(), Saa7110Model::kNoLock);
    b.video_inputs().SetCamera(0, true);
    EXPECT_EQ(Status(), 0x00);
    master_->Transmit(kSaa, {Saa7110Model::kStatusMode, 0x00});
    EXPECT_EQ(Status(), Saa7110Model::kIdentification);
    sim::PowerOff();
  }
}

}  // namespace
