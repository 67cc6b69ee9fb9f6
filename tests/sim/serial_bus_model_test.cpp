#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/register_io.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "tests/support/i2c_master.h"

namespace {

using namespace sim::rg700;
using sim::Bt829aModel;
using sim::I2cTransfer;
using sim::Rg700SerialBus;
using sim::Vpc32x5cModel;

constexpr std::uint8_t kBt = Bt829aModel::kAddress;
constexpr std::uint8_t kVpc = Vpc32x5cModel::kAddress;

// A plain I2C master on the serial-bus register: a line given as high is released,
// a low one pulled low (data neither released nor driven high).
class Master : public testing_support::I2cMasterSteps<Master> {
 public:
  explicit Master(sim::Rg700Board& board)
      : reg_(reinterpret_cast<volatile UCHAR*>(std::uintptr_t{board.mapped_base()} + kSerialBus * 4)) {}

  void Lines(bool clock, bool data) {
    Write(static_cast<UCHAR>(extra_ | (clock ? kSerialClockOut : 0) | (data ? kSerialDataReleased : 0)));
  }
  void Write(UCHAR value) { WRITE_REGISTER_UCHAR(reg_, value); }
  UCHAR Read() { return READ_REGISTER_UCHAR(reg_); }
  bool Data() { return (Read() & kSerialDataIn) != 0; }

  // Returns the byte; `clockReads` counts the reads until the clock was seen high.
  std::uint8_t Receive(bool ack, unsigned* clockReads = nullptr) {
    std::uint8_t v = 0;
    for (int i = 0; i < 8; ++i) {
      Lines(false, true);
      Lines(true, true);
      unsigned reads = 1;
      while (!(Read() & kSerialClockIn) && reads < 10000) ++reads;
      if (clockReads) *clockReads = reads;
      v = static_cast<std::uint8_t>(v << 1 | (Data() ? 1 : 0));
    }
    Lines(false, true);
    Lines(false, !ack);
    Lines(true, !ack);
    Lines(false, !ack);
    Lines(false, true);
    return v;
  }

  void WriteRegister(std::uint8_t device, std::uint8_t reg, std::initializer_list<std::uint8_t> data) {
    Start();
    Send(device);
    Send(reg);
    for (std::uint8_t b : data) Send(b);
    Stop();
  }
  std::vector<std::uint8_t> ReadRegister(std::uint8_t device, std::uint8_t reg, int count) {
    Start();
    Send(device);
    Send(reg);
    Start();
    Send(static_cast<std::uint8_t>(device + 1));
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) out.push_back(Receive(i + 1 < count));
    Stop();
    return out;
  }

  UCHAR extra_ = 0;  // bits kept in every write

 private:
  volatile UCHAR* reg_;
};

sim::MachineDescription BoardWith(bool bt829a, bool vpc) {
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.rg700_boards[0].has_bt829a = bt829a;
  d.rg700_boards[0].has_vpc32x5c = vpc;
  return d;
}

class SerialBusModel : public ::testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }
  Rg700SerialBus& Bus(bool bt829a = true, bool vpc = false) {
    sim::Machine& m = sim::PowerOn(BoardWith(bt829a, vpc));
    board_ = &m.rg700(0);
    master_ = std::make_unique<Master>(*board_);
    return board_->serial_bus();
  }
  sim::Rg700Board* board_ = nullptr;
  std::unique_ptr<Master> master_;
};

TEST_F(SerialBusModel, DefaultBoardCarriesABt829aOnly) {
  Rg700SerialBus& bus = Bus();
  ASSERT_NE(bus.bt829a(), nullptr);
  EXPECT_EQ(bus.vpc32x5c(), nullptr);
  EXPECT_EQ(bus.bt829a()->Register(Bt829aModel::kIdentity) & Bt829aModel::kChipCodeMask, Bt829aModel::kChipCode);
  sim::PowerOff();
  sim::Machine& m = sim::PowerOn(BoardWith(false, false));
  EXPECT_EQ(m.rg700(0).serial_bus().bt829a(), nullptr);
  EXPECT_EQ(m.rg700(0).serial_bus().vpc32x5c(), nullptr);
}

TEST_F(SerialBusModel, Bt829aWritesAndReadsWithItsLog) {
  Rg700SerialBus& bus = Bus();
  Bt829aModel& bt = *bus.bt829a();
  master_->WriteRegister(kBt, Bt829aModel::kBrightness, {0x7F, 0x20});  // consecutive registers
  EXPECT_EQ(bt.Register(Bt829aModel::kBrightness), 0x7F);
  EXPECT_EQ(bt.Register(Bt829aModel::kControl), 0x20);
  EXPECT_EQ(master_->ReadRegister(kBt, Bt829aModel::kBrightness, 2), (std::vector<std::uint8_t>{0x7F, 0x20}));

  auto log = bt.Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, I2cTransfer::Kind::kWrite);
  EXPECT_EQ(log[0].subaddress, Bt829aModel::kBrightness);
  EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{0x7F, 0x20}));
  EXPECT_EQ(log[0].acks, (std::vector<bool>{true, true}));
  EXPECT_TRUE(log[0].stopped);
  // Subaddress, repeated start and read: one read transfer with the master's answers.
  EXPECT_EQ(log[1].kind, I2cTransfer::Kind::kRead);
  EXPECT_TRUE(log[1].has_subaddress);
  EXPECT_EQ(log[1].subaddress, Bt829aModel::kBrightness);
  EXPECT_EQ(log[1].acks, (std::vector<bool>{true, false}));
  EXPECT_TRUE(log[1].stopped);

  // Status and identity are read only; past the last register reads 0xFF. The status
  // follows the camera on the selected input.
  board_->video_inputs().SetSource(board_->video_inputs().Bt829aInput(), sim::VideoSourceDesc{true, 0});
  master_->WriteRegister(kBt, Bt829aModel::kStatus, {0x00});
  master_->WriteRegister(kBt, Bt829aModel::kIdentity, {0x70});
  EXPECT_EQ(master_->ReadRegister(kBt, Bt829aModel::kStatus, 1)[0],
            Bt829aModel::kVideoPresent | Bt829aModel::kHorizontalLock);
  EXPECT_EQ(master_->ReadRegister(kBt, Bt829aModel::kIdentity, 1)[0], 0xE2);
  EXPECT_EQ(master_->ReadRegister(kBt, Bt829aModel::kRegisterCount, 1)[0], 0xFF);
}

TEST_F(SerialBusModel, AnAbsentAddressNeverAcknowledgesAndReadsAllOnes) {
  Rg700SerialBus& bus = Bus();
  bus.bus().ClearFrames();
  master_->WriteRegister(kVpc, Vpc32x5cModel::kDirect20, {0x55});
  EXPECT_EQ(master_->ReadRegister(kVpc, Vpc32x5cModel::kDirect20, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
  auto frames = bus.bus().Frames();
  ASSERT_EQ(frames.size(), 2u);
  ASSERT_EQ(frames[0].units.size(), 3u);
  for (const auto& u : frames[0].units) EXPECT_FALSE(u.acked);
  EXPECT_EQ(frames[0].units[2].byte, 0x55);
  EXPECT_EQ(frames[1].repeated_starts, 1u);
  ASSERT_EQ(frames[1].units.size(), 5u);
  EXPECT_EQ(frames[1].units[2].byte, kVpc + 1);
  EXPECT_TRUE(frames[1].units[3].acked);  // the master's acknowledge of the first byte
  EXPECT_TRUE(bus.bt829a()->Log().empty());
}

TEST_F(SerialBusModel, LinesReadBackAsSensedAndOtherBitsAreKept) {
  Rg700SerialBus& bus = Bus();
  const std::uint32_t sensed = kSerialClockIn | kSerialDataIn;
  EXPECT_EQ(master_->Read() & sensed, 0u);  // at power-on the bridge drives both lines low
  // The switch and two bits that only keep their value.
  master_->extra_ = kTwoSVideoSwitch | 0x42;
  master_->Lines(true, true);
  EXPECT_EQ(master_->Read(), kTwoSVideoSwitch | 0x42 | kSerialClockOut | kSerialDataReleased | sensed);
  EXPECT_TRUE(bus.two_svideo_switch());
  // The data value drives the line only while the data is not released.
  master_->Write(kSerialClockOut | kSerialDataValue);
  EXPECT_EQ(master_->Read() & sensed, sensed);
  master_->Write(kSerialClockOut);
  EXPECT_EQ(master_->Read() & sensed, kSerialClockIn);  // and that fall was a start
  EXPECT_FALSE(bus.two_svideo_switch());
  EXPECT_TRUE(bus.bus().in_frame());
  master_->Stop();
  EXPECT_FALSE(bus.bus().in_frame());
  // Both lines changing in one write make no condition.
  bus.bus().ClearFrames();
  master_->Lines(false, false);
  master_->Lines(true, true);
  master_->Lines(false, false);
  EXPECT_FALSE(bus.bus().in_frame());
  EXPECT_TRUE(bus.bus().Frames().empty());
}

TEST_F(SerialBusModel, VpcFpBankThroughItsInterfaceRegisters) {
  Rg700SerialBus& bus = Bus(false, true);
  Vpc32x5cModel& vpc = *bus.vpc32x5c();
  auto fpWrite = [&](std::uint16_t a, std::uint16_t v) {
    master_->WriteRegister(kVpc, Vpc32x5cModel::kFpWriteAddress, {std::uint8_t(a >> 8), std::uint8_t(a)});
    master_->WriteRegister(kVpc, Vpc32x5cModel::kFpData, {std::uint8_t(v >> 8), std::uint8_t(v)});
  };
  auto fpRead = [&](std::uint16_t a) {
    master_->WriteRegister(kVpc, Vpc32x5cModel::kFpReadAddress, {std::uint8_t(a >> 8), std::uint8_t(a)});
    auto b = master_->ReadRegister(kVpc, Vpc32x5cModel::kFpData, 2);
    return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
  };
  fpWrite(Vpc32x5cModel::kFpBrightness, 0x003F);
  EXPECT_EQ(vpc.Fp(Vpc32x5cModel::kFpBrightness), 0x003F);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpBrightness), 0x003F);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpIdentity), 0x0040);
  fpWrite(Vpc32x5cModel::kFpIdentity, 0x1234);
  board_->video_inputs().SetSource(board_->video_inputs().VpcInput(), sim::VideoSourceDesc{false, 0});
  fpWrite(Vpc32x5cModel::kFpSignalStatus, Vpc32x5cModel::kSignalLocked);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpIdentity), 0x0040);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpSignalStatus), 0x0000);
  vpc.SetSignalStatus(Vpc32x5cModel::kSignalLocked);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpSignalStatus), Vpc32x5cModel::kSignalLocked);
  auto log = vpc.FpLog();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_TRUE(log[0].write);
  EXPECT_EQ(log[0].address, Vpc32x5cModel::kFpBrightness);
  EXPECT_FALSE(log[2].write);
  EXPECT_EQ(log[2].value, 0x0040);

  // The interface status and the standard's done bit answer after their delays.
  auto status = [&] { return master_->ReadRegister(kVpc, Vpc32x5cModel::kFpStatus, 1)[0]; };
  EXPECT_EQ(status(), 0);
  vpc.SetFpBusyDelay(2);
  vpc.SetDoneDelay(1);
  fpWrite(Vpc32x5cModel::kFpStandard, Vpc32x5cModel::kFpDone | 0x0021);
  EXPECT_NE(status(), 0);
  EXPECT_NE(status(), 0);
  EXPECT_EQ(status(), 0);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpStandard), 0x0021);
  EXPECT_EQ(fpRead(Vpc32x5cModel::kFpStandard), Vpc32x5cModel::kFpDone | 0x0021);
  vpc.SetFpBusyDelay(Vpc32x5cModel::kNever);
  vpc.SetDoneDelay(Vpc32x5cModel::kNever);
  fpWrite(Vpc32x5cModel::kFpInput, 0x0420);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NE(status(), 0);
    EXPECT_EQ(fpRead(Vpc32x5cModel::kFpInput), 0x0420);
  }
}

TEST_F(SerialBusModel, VpcDelaysInMillisecondsOfTheTickCount) {
  Rg700SerialBus& bus = Bus(false, true);
  Vpc32x5cModel& vpc = *bus.vpc32x5c();
  auto fpWrite = [&](std::uint16_t a, std::uint16_t v) {
    master_->WriteRegister(kVpc, Vpc32x5cModel::kFpWriteAddress, {std::uint8_t(a >> 8), std::uint8_t(a)});
    master_->WriteRegister(kVpc, Vpc32x5cModel::kFpData, {std::uint8_t(v >> 8), std::uint8_t(v)});
  };
  auto fp20 = [&] {
    master_->WriteRegister(kVpc, Vpc32x5cModel::kFpReadAddress, {0, Vpc32x5cModel::kFpStandard});
    auto b = master_->ReadRegister(kVpc, Vpc32x5cModel::kFpData, 2);
    return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
  };
  auto status = [&] { return master_->ReadRegister(kVpc, Vpc32x5cModel::kFpStatus, 1)[0]; };
  vpc.SetFpBusyDelayMs(40);
  vpc.SetDoneDelayMs(40);
  DWORD start = GetTickCount();
  fpWrite(Vpc32x5cModel::kFpStandard, 0x0001);
  DWORD firstRead = GetTickCount();
  int busyReads = 0;
  while (status() != 0) ++busyReads;
  EXPECT_GE(GetTickCount() - start, 40u);
  // A status read well inside the delay finds it busy (a machine too busy to read
  // before the delay is over sees it done at once).
  if (firstRead - start < 20) {
    EXPECT_GT(busyReads, 0);
  }
  // The done bit counts from the write, not from the later accesses.
  EXPECT_EQ(fp20(), Vpc32x5cModel::kFpDone | 0x0001);

  // A delay in reads still has to pass as well.
  vpc.SetFpBusyDelay(2);
  vpc.SetFpBusyDelayMs(0);
  fpWrite(Vpc32x5cModel::kFpBrightness, 1);
  EXPECT_NE(status(), 0);
  EXPECT_NE(status(), 0);
  EXPECT_EQ(status(), 0);

  vpc.SetFpBusyDelay(0);
  vpc.SetFpBusyDelayMs(Vpc32x5cModel::kNever);
  vpc.SetDoneDelayMs(Vpc32x5cModel::kNever);
  fpWrite(Vpc32x5cModel::kFpStandard, 0x0001);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(status(), 0);
    EXPECT_EQ(fp20(), 0x0001);
  }
}

TEST_F(SerialBusModel, ClockStretchingHoldsTheClockForTheGivenReads) {
  Rg700SerialBus& bus = Bus();
  bus.bt829a()->SetRegister(Bt829aModel::kBrightness, 0xA5);
  bus.bt829a()->SetClockStretch(5);
  unsigned reads = 0;
  master_->Start();
  master_->Send(kBt);
  master_->Send(Bt829aModel::kBrightness);
  master_->Start();
  master_->Send(kBt + 1);
  EXPECT_EQ(master_->Receive(false, &reads), 0xA5);
  master_->Stop();
  EXPECT_EQ(reads, 6u);  // five reads low, the sixth high
  // Writes are not held.
  master_->WriteRegister(kBt, Bt829aModel::kBrightness, {0x11});
  EXPECT_EQ(bus.bt829a()->Register(Bt829aModel::kBrightness), 0x11);
}

}  // namespace
