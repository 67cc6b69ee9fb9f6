// Which camera a 650-series board's video port sees: the device that feeds it and
// each device's input, by board type and the registers as the host writes them
// over the serial bus; fields only with a camera there; and the signals that follow
// the cameras (the general-purpose port's field bit, the decoders' status, the
// status byte's no-signal bit).
#include <gtest/gtest.h>

#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim::Kt650VideoDevice;
using sim::VideoSourceDesc;
using sim_test::Kt650;
using sim_test::Kt650SerialMaster;
using sim_test::PowerOnWith;
using sim_test::ReadUlong;
using sim_test::StoppedClock;

constexpr Kt650VideoDevice kDecoder = Kt650VideoDevice::kDecoder;
constexpr Kt650VideoDevice kFrontEnd = Kt650VideoDevice::kFrontEnd;
constexpr Kt650VideoDevice kInterface = Kt650VideoDevice::kCameraInterface;
constexpr int kNone = sim::kKt650NoInput;
constexpr VideoSourceDesc kNtsc{true, 0};
constexpr VideoSourceDesc kPal{true, 1};

std::uint16_t ChipOf(std::uint8_t type) {
  return type == 0 ? kt650::kChip5631 : type < kt650::kFirstType8A22 ? kt650::kChip8A01 : kt650::kChip8A22;
}

class Kt650VideoRoutingTest : public ::testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }

  sim::Kt650Board& Board(std::uint8_t type, const sim::Kt650Cameras& cameras = sim::DefaultKt650Cameras()) {
    sim::PowerOff();
    sim::Kt650Desc d = StoppedClock(Kt650(ChipOf(type), type, -1));
    d.cameras = cameras;
    board_ = &PowerOnWith({d}).kt650(0);
    master_ = std::make_unique<Kt650SerialMaster>(*board_);
    port5_ = 0;
    return *board_;
  }

  // Types 0-2: a control-port register as the library selects and sets it, and
  // the front end's input-select DAC, latched by a pulse of register 5 bit 5.
  void Port(std::uint8_t reg, std::uint8_t value) {
    master_->Transmit(kt650::kControlPortAddress, {static_cast<std::uint8_t>(kt650::kPortSelect | reg)});
    master_->Transmit(kt650::kControlPortAddress, {value});
  }
  void RouteFrontEnd(bool on) { Port(kt650::kPortVideoControl, port5_ = on ? kt650::kPortFrontEndVideo : 0); }
  void InputSelectDac(std::uint8_t code) {
    for (std::uint8_t phase : {kt650::kFrontEndPhaseAddress, kt650::kFrontEndPhaseLevel}) {
      Port(kt650::kPortLutControl, phase);
      master_->Transmit(kt650::kDataLatchAddress, {phase == kt650::kFrontEndPhaseAddress ? std::uint8_t{0} : code});
      Port(kt650::kPortVideoControl, port5_ | kt650::kFrontEndLatchPulse);
      Port(kt650::kPortVideoControl, port5_);
    }
  }
  void Saa(std::uint8_t reg, std::uint8_t value) { master_->Transmit(sim::Saa7110Model::kAddress, {reg, value}); }
  std::uint8_t SaaStatus() { return master_->ReadPlain(sim::Saa7110Model::kAddress, 1).at(0); }
  // Types 3-5.
  void Control1(std::uint8_t value) { master_->Transmit(kt650::kBoardControlAddress, {kt650::kBcVideoSource, value}); }
  void Decoder2Mode(std::uint8_t mode) {
    master_->Transmit(sim::Kt650Decoder2::kAddress, {sim::Kt650Decoder2::kInputSelect, mode});
  }
  std::uint8_t Decoder2Status() {
    return master_->ReadRegisters(sim::Kt650Decoder2::kAddress, sim::Kt650Decoder2::kStatus, 1).at(0);
  }
  // Types 4-5: the status byte, which follows a revision byte.
  bool StatusShowsNoSignal() {
    master_->RouteToStatus(true);
    master_->StatusStart();
    master_->StatusRead();
    std::uint8_t status = master_->StatusRead();
    master_->StatusStop();
    master_->RouteToStatus(false);
    return (status & kt650::kStatusNoSignal) != 0;
  }
  // Whether the next two fields come, stepped on this thread.
  bool FieldsCome() {
    std::uint32_t before = board_->field_clock().field_count();
    board_->field_clock().Step(2);
    return board_->field_clock().field_count() == before + 2;
  }
  bool GpioField() { return (ReadUlong(*board_, kt650::kGeneralPurposePort) & kt650::kGpioField) != 0; }
  void ExpectRoute(Kt650VideoDevice feeding, int input) {
    EXPECT_EQ(board_->video_inputs().Feeding(), feeding);
    EXPECT_EQ(board_->video_inputs().SelectedInput(), input);
  }

  sim::Kt650Board* board_ = nullptr;
  std::unique_ptr<Kt650SerialMaster> master_;
  std::uint8_t port5_ = 0;
};

constexpr std::uint8_t kSaaInput = sim::Saa7110Model::kInputSelect;

TEST_F(Kt650VideoRoutingTest, OlderTypesFeedTheDecoderOrOnType2TheFrontEndByPortRegister5) {
  for (std::uint8_t type : {0, 1, 2}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& b = Board(type);
    ExpectRoute(kDecoder, 0);  // type 0's decoder stays there; the SAA7110 comes up there
    EXPECT_EQ(b.video_inputs().SelectedInput(kInterface), kNone);
    // The front end's multiplexer takes bits 5-4 of the DAC: the library's codes
    // and its start-up value.
    for (auto [code, input] : {std::pair<std::uint8_t, int>{0x5C, 1}, {0xAC, 2}, {0xFC, 3}, {0x80, 0}, {0xAC, 2}}) {
      InputSelectDac(code);
      EXPECT_EQ(b.video_inputs().SelectedInput(kFrontEnd), input) << int(code);
    }
    int decoderInput = type == 0 ? 0 : 3;
    if (type != 0) Saa(kSaaInput, 0x9A);
    RouteFrontEnd(true);
    if (type == 2)
      ExpectRoute(kFrontEnd, 2);
    else
      ExpectRoute(kDecoder, decoderInput);
    Port(kt650::kPortVideoControl, 0x06);  // the digital port's bits
    ExpectRoute(kDecoder, decoderInput);
    if (type == 0) continue;
    Saa(kSaaInput, 0x00);  // no wiring writes it
    ExpectRoute(kDecoder, kNone);
    EXPECT_FALSE(b.video_inputs().SelectedSource().present);
  }
}

TEST_F(Kt650VideoRoutingTest, NewerTypesFeedTheSecondDecoderOrTheCameraInterfaceByBoardControlRegister1) {
  struct Case {
    std::uint8_t register1;
    Kt650VideoDevice feeding;  // types 4-5; type 3's register 1 is its VIP mode
    int interface_input;
  } cases[] = {{0x00, kDecoder, 0},   {0x01, kDecoder, 0},   {0x0D, kDecoder, 3},   {0x03, kInterface, 0},
               {0x07, kInterface, 1}, {0x0B, kInterface, 2}, {0x0F, kInterface, 3}, {0x02, kInterface, 6},
               {0x06, kInterface, 7}, {0x0E, kInterface, 7}, {0x4A, kInterface, 6}, {0x61, kDecoder, 0}};
  for (std::uint8_t type : {3, 4, 5}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& b = Board(type);
    bool hasInterface = type >= 4;
    Decoder2Mode(0x07);  // input 3
    for (const Case& c : cases) {
      SCOPED_TRACE(int(c.register1));
      Control1(c.register1);
      ExpectRoute(hasInterface ? c.feeding : kDecoder, hasInterface && c.feeding == kInterface ? c.interface_input : 3);
      EXPECT_EQ(b.video_inputs().SelectedInput(kInterface), hasInterface ? c.interface_input : kNone);
    }
    EXPECT_EQ(b.video_inputs().SelectedInput(kFrontEnd), kNone);
  }
}

TEST_F(Kt650VideoRoutingTest, FieldsComeOnlyFromACameraOnTheFeedingDevicesInputAndTheGpioFieldFollows) {
  // Type 2: a PAL camera on decoder input 1 only, an NTSC camera on front-end input 0.
  sim::Kt650Cameras cameras;
  cameras.decoder[1] = kPal;
  cameras.front_end[0] = kNtsc;
  sim::Kt650Board& b = Board(2, cameras);
  EXPECT_FALSE(FieldsCome());  // decoder input 0
  EXPECT_FALSE(GpioField());
  Saa(kSaaInput, 0xB8);
  ASSERT_TRUE(FieldsCome());
  EXPECT_EQ(b.video_inputs().SelectedSource().standard, 1);
  EXPECT_TRUE(GpioField());  // the second field of the pair
  b.video_inputs().SetCamera(kDecoder, 1, false);
  EXPECT_FALSE(GpioField());  // at once
  EXPECT_FALSE(FieldsCome());
  RouteFrontEnd(true);
  for (int i = 0; i < 3; ++i) {
    std::uint32_t next = b.field_clock().field_count();
    b.field_clock().Step(1);
    ASSERT_EQ(b.field_clock().field_count(), next + 1);
    EXPECT_EQ(GpioField(), (next & 1) != 0) << next;
  }
  EXPECT_EQ(b.video_inputs().SelectedSource().standard, 0);
  InputSelectDac(0x5C);
  EXPECT_FALSE(FieldsCome());
  RouteFrontEnd(false);
  b.video_inputs().SetCamera(kDecoder, 1, true);
  EXPECT_TRUE(FieldsCome());

  // Type 4: nothing on camera-interface input 2 at first, NTSC on decoder input 0.
  sim::Kt650Board& newer = Board(4);
  Control1(0x0B);
  EXPECT_FALSE(FieldsCome());
  newer.video_inputs().SetCamera(kInterface, 2, true);
  EXPECT_TRUE(FieldsCome());
  Control1(0x01);
  Decoder2Mode(0x08);  // input 5
  EXPECT_FALSE(FieldsCome());
}

TEST_F(Kt650VideoRoutingTest, EachDevicesSignalFollowsItsOwnSelectedInputWhateverFeedsThePort) {
  // Type 2: the SAA7110 sees the decoder's cameras, also while the front end feeds.
  sim::Kt650Cameras cameras;
  cameras.front_end[0] = kNtsc;
  cameras.decoder[5] = kPal;
  Board(2, cameras);
  Saa(sim::Saa7110Model::kStatusMode, sim::Saa7110Model::kDecoderStatus);
  RouteFrontEnd(true);
  EXPECT_TRUE(FieldsCome());
  EXPECT_EQ(SaaStatus(), sim::Saa7110Model::kNoLock);
  Saa(kSaaInput, 0x3C);
  EXPECT_EQ(SaaStatus(), sim::Saa7110Model::kFields50Hz);

  // Type 5: the second decoder's status and the status byte's no-signal bit.
  cameras = sim::Kt650Cameras{};
  cameras.camera_interface[0] = cameras.camera_interface[6] = cameras.decoder[2] = kNtsc;
  sim::Kt650Board& b = Board(5, cameras);
  struct Case {
    std::uint8_t register1;
    bool interface_signal;
  } cases[] = {{0x01, true}, {0x05, false}, {0x03, true}, {0x02, true}, {0x06, false}, {0x0B, false}};
  for (Case c : cases) {
    SCOPED_TRACE(int(c.register1));
    Control1(c.register1);
    EXPECT_EQ(StatusShowsNoSignal(), !c.interface_signal);
    EXPECT_EQ(Decoder2Status(), sim::Kt650Decoder2::kNoSignal);  // decoder input 0
  }
  Decoder2Mode(0x04);
  EXPECT_EQ(Decoder2Status(), sim::Kt650Decoder2::kLocked);
  b.video_inputs().SetCamera(kInterface, 2, true);
  EXPECT_FALSE(StatusShowsNoSignal());
  // Every device's input 2; an input a device lacks takes no camera.
  b.video_inputs().SetCamera(2, false);
  EXPECT_EQ(Decoder2Status(), sim::Kt650Decoder2::kNoSignal);
  EXPECT_TRUE(StatusShowsNoSignal());
  b.video_inputs().SetCamera(kInterface, 5, true);
  b.video_inputs().SetCamera(kDecoder, 6, true);
  EXPECT_FALSE(b.video_inputs().CameraPresent(kInterface, 5) || b.video_inputs().CameraPresent(kDecoder, 6));
}

}  // namespace
