#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/register_io.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_serial_bus.h"

namespace {

using sim::I2cTransfer;
using sim::Rg700SerialBus;
using sim::Vpc32x5cModel;

// A plain I2C master on register 52: a line given as high is released, a low one
// pulled low (bit 3 clear, bit 2 clear).
class Master {
 public:
  explicit Master(sim::Rg700Board& board)
      : reg_(reinterpret_cast<volatile UCHAR*>(std::uintptr_t{board.mapped_base()} + 52 * 4)) {}

  void Lines(bool clock, bool data) {
    WRITE_REGISTER_UCHAR(reg_, static_cast<UCHAR>(extra_ | (clock ? 0x01 : 0) | (data ? 0x08 : 0)));
  }
  UCHAR Read() { return READ_REGISTER_UCHAR(reg_); }
  bool Data() { return (Read() & 0x20) != 0; }

  void Start() {
    Lines(true, true);
    Lines(true, false);
    Lines(false, false);
  }
  void Stop() {
    Lines(false, false);
    Lines(true, false);
    Lines(true, true);
  }
  bool Send(std::uint8_t b) {
    for (int i = 7; i >= 0; --i) {
      bool bit = (b >> i) & 1;
      Lines(false, bit);
      Lines(true, bit);
      Lines(false, bit);
    }
    Lines(false, true);
    Lines(true, true);
    bool ack = !Data();
    Lines(false, true);
    return ack;
  }
  // Returns the byte; `clockReads` counts the reads until the clock was seen high.
  std::uint8_t Receive(bool ack, unsigned* clockReads = nullptr) {
    std::uint8_t v = 0;
    for (int i = 0; i < 8; ++i) {
      Lines(false, true);
      Lines(true, true);
      unsigned reads = 1;
      while (!(Read() & 0x10) && reads < 10000) ++reads;
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
  EXPECT_EQ(bus.bt829a()->Register(0x17) & 0xF0, 0xE0);
  sim::PowerOff();
  sim::Machine& m = sim::PowerOn(BoardWith(false, false));
  EXPECT_EQ(m.rg700(0).serial_bus().bt829a(), nullptr);
  EXPECT_EQ(m.rg700(0).serial_bus().vpc32x5c(), nullptr);
}

TEST_F(SerialBusModel, Bt829aWritesAndReadsWithItsLog) {
  Rg700SerialBus& bus = Bus();
  sim::Bt829aModel& bt = *bus.bt829a();
  master_->WriteRegister(0x88, 0x0A, {0x7F, 0x20});  // consecutive registers
  EXPECT_EQ(bt.Register(0x0A), 0x7F);
  EXPECT_EQ(bt.Register(0x0B), 0x20);
  EXPECT_EQ(master_->ReadRegister(0x88, 0x0A, 2), (std::vector<std::uint8_t>{0x7F, 0x20}));

  auto log = bt.Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, I2cTransfer::Kind::kWrite);
  EXPECT_EQ(log[0].subaddress, 0x0A);
  EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{0x7F, 0x20}));
  EXPECT_EQ(log[0].acks, (std::vector<bool>{true, true}));
  EXPECT_TRUE(log[0].stopped);
  // Subaddress, repeated start and read: one read transfer with the master's answers.
  EXPECT_EQ(log[1].kind, I2cTransfer::Kind::kRead);
  EXPECT_TRUE(log[1].has_subaddress);
  EXPECT_EQ(log[1].subaddress, 0x0A);
  EXPECT_EQ(log[1].acks, (std::vector<bool>{true, false}));
  EXPECT_TRUE(log[1].stopped);

  // Status and identity are read only; beyond register 0x20 reads 0xFF. The status
  // follows the camera on the selected input.
  board_->video_inputs().SetSource(board_->video_inputs().Bt829aInput(), sim::VideoSourceDesc{true, 0});
  master_->WriteRegister(0x88, 0x00, {0x00});
  master_->WriteRegister(0x88, 0x17, {0x70});
  EXPECT_EQ(master_->ReadRegister(0x88, 0x00, 1)[0], 0xC0);
  EXPECT_EQ(master_->ReadRegister(0x88, 0x17, 1)[0], 0xE2);
  EXPECT_EQ(master_->ReadRegister(0x88, 0x21, 1)[0], 0xFF);
}

TEST_F(SerialBusModel, AnAbsentAddressNeverAcknowledgesAndReadsAllOnes) {
  Rg700SerialBus& bus = Bus();
  bus.bus().ClearFrames();
  master_->WriteRegister(0x8E, 0x20, {0x55});
  EXPECT_EQ(master_->ReadRegister(0x8E, 0x20, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
  auto frames = bus.bus().Frames();
  ASSERT_EQ(frames.size(), 2u);
  ASSERT_EQ(frames[0].units.size(), 3u);
  for (const auto& u : frames[0].units) EXPECT_FALSE(u.acked);
  EXPECT_EQ(frames[0].units[2].byte, 0x55);
  EXPECT_EQ(frames[1].repeated_starts, 1u);
  ASSERT_EQ(frames[1].units.size(), 5u);
  EXPECT_EQ(frames[1].units[2].byte, 0x8F);
  EXPECT_TRUE(frames[1].units[3].acked);  // the master's acknowledge of the first byte
  EXPECT_TRUE(bus.bt829a()->Log().empty());
}

TEST_F(SerialBusModel, LinesReadBackAsSensedAndOtherBitsAreKept) {
  Rg700SerialBus& bus = Bus();
  EXPECT_EQ(master_->Read() & 0x30, 0);  // at power-on the bridge drives both lines low
  master_->extra_ = 0xC2;
  master_->Lines(true, true);
  EXPECT_EQ(master_->Read(), 0xC2 | 0x01 | 0x08 | 0x10 | 0x20);
  EXPECT_TRUE(bus.two_svideo_switch());
  // Bit 2 drives the data line only while bit 3 is clear.
  WRITE_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(std::uintptr_t{board_->mapped_base()} + 52 * 4), 0x05);
  EXPECT_EQ(master_->Read() & 0x30, 0x30);
  WRITE_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(std::uintptr_t{board_->mapped_base()} + 52 * 4), 0x01);
  EXPECT_EQ(master_->Read() & 0x30, 0x10);  // and that fall was a start
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
    master_->WriteRegister(0x8E, 0x37, {std::uint8_t(a >> 8), std::uint8_t(a)});
    master_->WriteRegister(0x8E, 0x38, {std::uint8_t(v >> 8), std::uint8_t(v)});
  };
  auto fpRead = [&](std::uint16_t a) {
    master_->WriteRegister(0x8E, 0x36, {std::uint8_t(a >> 8), std::uint8_t(a)});
    auto b = master_->ReadRegister(0x8E, 0x38, 2);
    return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
  };
  fpWrite(0x41, 0x003F);
  EXPECT_EQ(vpc.Fp(0x41), 0x003F);
  EXPECT_EQ(fpRead(0x41), 0x003F);
  EXPECT_EQ(fpRead(0xF1), 0x0040);
  fpWrite(0xF1, 0x1234);
  board_->video_inputs().SetSource(board_->video_inputs().VpcInput(), sim::VideoSourceDesc{false, 0});
  fpWrite(0x13, 0x0003);
  EXPECT_EQ(fpRead(0xF1), 0x0040);
  EXPECT_EQ(fpRead(0x13), 0x0000);
  vpc.SetSignalStatus(0x0003);
  EXPECT_EQ(fpRead(0x13), 0x0003);
  auto log = vpc.FpLog();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_TRUE(log[0].write);
  EXPECT_EQ(log[0].address, 0x41);
  EXPECT_FALSE(log[2].write);
  EXPECT_EQ(log[2].value, 0x0040);

  // The interface status and the done bit of FP 0x20 answer after their delays.
  auto status = [&] { return master_->ReadRegister(0x8E, 0x35, 1)[0]; };
  EXPECT_EQ(status(), 0);
  vpc.SetFpBusyDelay(2);
  vpc.SetDoneDelay(1);
  fpWrite(0x20, 0x0821);
  EXPECT_NE(status(), 0);
  EXPECT_NE(status(), 0);
  EXPECT_EQ(status(), 0);
  EXPECT_EQ(fpRead(0x20), 0x0021);
  EXPECT_EQ(fpRead(0x20), 0x0821);
  vpc.SetFpBusyDelay(Vpc32x5cModel::kNever);
  vpc.SetDoneDelay(Vpc32x5cModel::kNever);
  fpWrite(0x21, 0x0420);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NE(status(), 0);
    EXPECT_EQ(fpRead(0x21), 0x0420);
  }
}

TEST_F(SerialBusModel, VpcDelaysInMillisecondsOfTheTickCount) {
  Rg700SerialBus& bus = Bus(false, true);
  Vpc32x5cModel& vpc = *bus.vpc32x5c();
  auto fpWrite = [&](std::uint16_t a, std::uint16_t v) {
    master_->WriteRegister(0x8E, 0x37, {std::uint8_t(a >> 8), std::uint8_t(a)});
    master_->WriteRegister(0x8E, 0x38, {std::uint8_t(v >> 8), std::uint8_t(v)});
  };
  auto fp20 = [&] {
    master_->WriteRegister(0x8E, 0x36, {0x00, 0x20});
    auto b = master_->ReadRegister(0x8E, 0x38, 2);
    return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
  };
  auto status = [&] { return master_->ReadRegister(0x8E, 0x35, 1)[0]; };
  vpc.SetFpBusyDelayMs(40);
  vpc.SetDoneDelayMs(40);
  DWORD start = GetTickCount();
  fpWrite(0x20, 0x0001);
  int busyReads = 0;
  while (status() != 0) ++busyReads;
  EXPECT_GE(GetTickCount() - start, 40u);
  EXPECT_GT(busyReads, 0);
  // The done bit counts from the write, not from the later accesses.
  EXPECT_EQ(fp20(), 0x0801);

  // A delay in reads still has to pass as well.
  vpc.SetFpBusyDelay(2);
  vpc.SetFpBusyDelayMs(0);
  fpWrite(0x41, 1);
  EXPECT_NE(status(), 0);
  EXPECT_NE(status(), 0);
  EXPECT_EQ(status(), 0);

  vpc.SetFpBusyDelay(0);
  vpc.SetFpBusyDelayMs(Vpc32x5cModel::kNever);
  vpc.SetDoneDelayMs(Vpc32x5cModel::kNever);
  fpWrite(0x20, 0x0001);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(status(), 0);
    EXPECT_EQ(fp20(), 0x0001);
  }
}

TEST_F(SerialBusModel, ClockStretchingHoldsTheClockForTheGivenReads) {
  Rg700SerialBus& bus = Bus();
  bus.bt829a()->SetRegister(0x0A, 0xA5);
  bus.bt829a()->SetClockStretch(5);
  unsigned reads = 0;
  master_->Start();
  master_->Send(0x88);
  master_->Send(0x0A);
  master_->Start();
  master_->Send(0x89);
  EXPECT_EQ(master_->Receive(false, &reads), 0xA5);
  master_->Stop();
  EXPECT_EQ(reads, 6u);  // five reads low, the sixth high
  // Writes are not held.
  master_->WriteRegister(0x88, 0x0A, {0x11});
  EXPECT_EQ(bus.bt829a()->Register(0x0A), 0x11);
}

}  // namespace
