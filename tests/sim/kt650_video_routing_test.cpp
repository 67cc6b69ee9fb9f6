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
    sim::Kt650Desc d = StoppedClock(Kt650(ChipOf(type), type, -1));
    d.cameras = cameras;
    board_ = &PowerOnWith({d}).kt650(0);
    master_ = std::make_unique<Kt650SerialMaster>(*board_);
    port5_ = 0;
    return *board_;
  }

  // Types 0-2: a control-port register, as the library selects and sets it.
  void PortRegister(std::uint8_t reg, std::uint8_t value) {
    master_->Transmit(kt650::kControlPortAddress, {static_cast<std::uint8_t>(kt650::kPortSelect | reg)});
    master_->Transmit(kt650::kControlPortAddress, {value});
    if (reg == kt650::kPortVideoControl) port5_ = value;
  }
  void RouteFrontEnd(bool on) { PortRegister(kt650::kPortVideoControl, on ? kt650::kPortFrontEndVideo : 0); }
  // The front end's input-select DAC, latched by a pulse of register 5 bit 5.
  void InputSelectDac(std::uint8_t code) {
    std::uint8_t route = port5_;
    for (auto [phase, byte] :
         {std::pair<std::uint8_t, std::uint8_t>{kt650::kFrontEndPhaseAddress, 0}, {kt650::kFrontEndPhaseLevel, code}}) {
      PortRegister(kt650::kPortLutControl, phase);
      master_->Transmit(kt650::kDataLatchAddress, {byte});
      PortRegister(kt650::kPortVideoControl, route | kt650::kFrontEndLatchPulse);
      PortRegister(kt650::kPortVideoControl, route);
    }
  }
  void Saa7110Input(std::uint8_t code) {
    master_->Transmit(sim::Saa7110Model::kAddress, {sim::Saa7110Model::kInputSelect, code});
  }
  void Saa7110LiveStatus() {
    master_->Transmit(sim::Saa7110Model::kAddress, {sim::Saa7110Model::kStatusMode, sim::Saa7110Model::kDecoderStatus});
  }
  std::uint8_t Saa7110Status() { return master_->ReadPlain(sim::Saa7110Model::kAddress, 1).at(0); }
  // Types 3-5.
  void BoardControl1(std::uint8_t value) {
    master_->Transmit(kt650::kBoardControlAddress, {kt650::kBcVideoSource, value});
  }
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

  // Whether the next fields come, stepped on this thread.
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

TEST_F(Kt650VideoRoutingTest, OlderTypesFeedTheDecoderOrOnType2TheFrontEndByPortRegister5) {
  for (std::uint8_t type : {0, 1, 2}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& b = Board(type);
    bool hasSaa = type != 0;
    // Both devices come up on input 0; the decoder feeds the port.
    ExpectRoute(kDecoder, 0);
    EXPECT_EQ(b.video_inputs().SelectedInput(kFrontEnd), 0);
    EXPECT_EQ(b.video_inputs().SelectedInput(kInterface), kNone);
    // The front end's multiplexer takes bits 5-4 of its input-select DAC; the
    // library's codes and its start-up value.
    for (auto [code, input] : {std::pair<std::uint8_t, int>{0x5C, 1}, {0xAC, 2}, {0xFC, 3}, {0x0C, 0}, {0x80, 0}}) {
      InputSelectDac(code);
      EXPECT_EQ(b.video_inputs().SelectedInput(kFrontEnd), input) << int(code);
    }
    InputSelectDac(0xAC);
    if (hasSaa) Saa7110Input(0x9A);
    int decoderInput = hasSaa ? 3 : 0;
    EXPECT_EQ(b.video_inputs().SelectedInput(kDecoder), decoderInput);
    RouteFrontEnd(true);
    if (type == 2)
      ExpectRoute(kFrontEnd, 2);
    else
      ExpectRoute(kDecoder, decoderInput);
    // The digital port's bits leave the decoder feeding.
    PortRegister(kt650::kPortVideoControl, 0x06);
    ExpectRoute(kDecoder, decoderInput);
    if (hasSaa) {
      Saa7110Input(0x00);  // no wiring writes it
      ExpectRoute(kDecoder, kNone);
      EXPECT_FALSE(b.video_inputs().SelectedSource().present);
    }
    sim::PowerOff();
  }
}

struct ControlCase {
  std::uint8_t register1;
  Kt650VideoDevice feeding;  // types 4-5
  int interface_input;
};

TEST_F(Kt650VideoRoutingTest, NewerTypesFeedTheSecondDecoderOrTheCameraInterfaceByBoardControlRegister1) {
  const ControlCase cases[] = {
      {0x00, kDecoder, 0},   {0x01, kDecoder, 0},   {0x0D, kDecoder, 3},   {0x03, kInterface, 0},
      {0x07, kInterface, 1}, {0x0B, kInterface, 2}, {0x0F, kInterface, 3}, {0x02, kInterface, 6},
      {0x06, kInterface, 7}, {0x0E, kInterface, 7}, {0x4A, kInterface, 6}, {0x61, kDecoder, 0},
  };
  for (std::uint8_t type : {3, 4, 5}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& b = Board(type);
    bool hasInterface = type >= 4;
    Decoder2Mode(0x07);  // input 3
    for (const ControlCase& c : cases) {
      SCOPED_TRACE(int(c.register1));
      BoardControl1(c.register1);
      // On type 3 register 1 is the VIP mode: the second decoder always feeds.
      Kt650VideoDevice feeding = hasInterface ? c.feeding : kDecoder;
      EXPECT_EQ(b.video_inputs().Feeding(), feeding);
      EXPECT_EQ(b.video_inputs().SelectedInput(kInterface), hasInterface ? c.interface_input : kNone);
      EXPECT_EQ(b.video_inputs().SelectedInput(), feeding == kDecoder ? 3 : c.interface_input);
    }
    EXPECT_EQ(b.video_inputs().SelectedInput(kFrontEnd), kNone);
    sim::PowerOff();
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
  Saa7110Input(0xB8);
  ASSERT_TRUE(FieldsCome());
  EXPECT_EQ(b.video_inputs().SelectedSource().standard, 1);
  EXPECT_TRUE(GpioField());  // the second field of the pair
  // Plugged out: the field bit reads 0 at once, and stays so.
  b.video_inputs().SetCamera(kDecoder, 1, false);
  EXPECT_FALSE(GpioField());
  EXPECT_FALSE(FieldsCome());
  EXPECT_FALSE(GpioField());
  // The front end's camera, while register 5 sends its picture.
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
  InputSelectDac(0x0C);
  RouteFrontEnd(false);
  EXPECT_FALSE(FieldsCome());
  b.video_inputs().SetCamera(kDecoder, 1, true);
  EXPECT_TRUE(FieldsCome());

  // Type 4: the camera interface has no camera on input 2; the second decoder has
  // one on input 0.
  sim::PowerOff();
  sim::Kt650Board& newer = Board(4);
  BoardControl1(0x0B);
  EXPECT_FALSE(FieldsCome());
  newer.video_inputs().SetCamera(kInterface, 2, true);
  EXPECT_TRUE(FieldsCome());
  BoardControl1(0x01);
  EXPECT_TRUE(FieldsCome());
  Decoder2Mode(0x08);  // input 5
  EXPECT_FALSE(FieldsCome());
}

TEST_F(Kt650VideoRoutingTest, EachDevicesSignalFollowsItsOwnSelectedInputWhateverFeedsThePort) {
  // Type 2: the SAA7110's status sees the decoder's cameras only, also while the
  // front end feeds the port.
  sim::Kt650Cameras cameras;
  cameras.front_end[0] = kNtsc;
  cameras.decoder[5] = kPal;
  Board(2, cameras);
  Saa7110LiveStatus();
  RouteFrontEnd(true);
  EXPECT_TRUE(FieldsCome());
  EXPECT_EQ(Saa7110Status(), sim::Saa7110Model::kNoLock);
  Saa7110Input(0x3C);
  EXPECT_EQ(Saa7110Status(), sim::Saa7110Model::kFields50Hz);
  RouteFrontEnd(false);
  EXPECT_TRUE(FieldsCome());

  // Type 5: the second decoder's status and the status byte's no-signal bit.
  sim::PowerOff();
  cameras = sim::Kt650Cameras{};
  cameras.camera_interface[0] = kNtsc;
  cameras.camera_interface[6] = kNtsc;
  cameras.decoder[2] = kNtsc;
  sim::Kt650Board& b = Board(5, cameras);
  struct Case {
    std::uint8_t register1;
    bool interface_signal;
  } cases[] = {{0x01, true}, {0x05, false}, {0x03, true}, {0x02, true}, {0x06, false}, {0x0B, false}};
  for (Case c : cases) {
    SCOPED_TRACE(int(c.register1));
    BoardControl1(c.register1);
    EXPECT_EQ(StatusShowsNoSignal(), !c.interface_signal);
    EXPECT_EQ(b.video_inputs().InterfaceSignal(), c.interface_signal);
    EXPECT_EQ(Decoder2Status(), sim::Kt650Decoder2::kNoSignal);  // decoder input 0
  }
  Decoder2Mode(0x04);
  EXPECT_EQ(Decoder2Status(), sim::Kt650Decoder2::kLocked);
  b.video_inputs().SetCamera(kInterface, 2, true);
  EXPECT_FALSE(StatusShowsNoSignal());
  b.video_inputs().SetCamera(2, false);  // every device's input 2
  EXPECT_EQ(Decoder2Status(), sim::Kt650Decoder2::kNoSignal);
  EXPECT_TRUE(StatusShowsNoSignal());
}

TEST_F(Kt650VideoRoutingTest, TestControlsReachOneDeviceOrEveryDeviceWithThatInput) {
  sim::Kt650Cameras described;
  described.PutEverywhere(5, kPal);
  EXPECT_TRUE(described.decoder[5].present);
  EXPECT_FALSE(described.front_end[5].present);  // the front end's 5 is its 0
  EXPECT_FALSE(described.camera_interface[5].present);
  described.camera_interface[7] = kNtsc;
  sim::Kt650VideoInputs& inputs = Board(4, described).video_inputs();
  EXPECT_EQ(inputs.Source(kDecoder, 5).standard, 1);
  EXPECT_TRUE(inputs.CameraPresent(kInterface, 7));
  EXPECT_FALSE(inputs.CameraPresent(kDecoder, 0));

  inputs.SetCamera(3, true);
  inputs.SetStandard(3, 1);
  for (Kt650VideoDevice device : sim::kKt650VideoDevices) EXPECT_EQ(inputs.Source(device, 3).standard, 1);
  inputs.SetCamera(kInterface, 3, false);
  EXPECT_TRUE(inputs.CameraPresent(kDecoder, 3));
  EXPECT_FALSE(inputs.CameraPresent(kInterface, 3));
  EXPECT_EQ(inputs.Source(kInterface, 3).standard, 1);  // kept while plugged out
  inputs.SetStandard(kDecoder, 3, 0);
  EXPECT_EQ(inputs.Source(kFrontEnd, 3).standard, 1);
  // Inputs a device lacks take no camera.
  for (auto [device, input] :
       {std::pair{kFrontEnd, 5}, {kDecoder, 6}, {kInterface, 4}, {kInterface, 8}, {kDecoder, -1}}) {
    inputs.SetCamera(device, input, true);
    EXPECT_FALSE(inputs.CameraPresent(device, input)) << int(device) << " " << input;
  }
  inputs.SetCamera(6, true);
  EXPECT_TRUE(inputs.CameraPresent(kInterface, 6));
  EXPECT_FALSE(inputs.CameraPresent(kDecoder, 6));
}

}  // namespace
