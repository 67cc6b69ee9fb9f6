#include <gtest/gtest.h>

#include <thread>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using sim::Bt829aModel;
using sim::I2cTransfer;
using sim::Vpc32x5cModel;
using Kind = sim::I2cTransfer::Kind;

// Both serial-bus lines released, as the library reads its control register and
// as the board reads it.
constexpr std::uint32_t kLinesReleased = rg7::reg::kI2cClockOut | rg7::reg::kI2cDataValue | rg7::reg::kI2cDataOut;
constexpr std::uint32_t kBoardLinesReleased =
    sim::rg700::kSerialClockOut | sim::rg700::kSerialDataValue | sim::rg700::kSerialDataReleased;

class SerialBusTest : public rg7_testing::Rg7Test {
 protected:
  // A board with the decoders asked for, enumerated and current.
  sim::Rg700SerialBus& BootBoard(bool bt829a = true, bool vpc = false) {
    sim::MachineDescription d = sim::MachineDescription::Default();
    d.rg700_boards[0].has_bt829a = bt829a;
    d.rg700_boards[0].has_vpc32x5c = vpc;
    if (attached_) rg7::LibraryDetach();
    machine_ = &Boot(d);
    EXPECT_EQ(rg7::EnumerateBoards(rg7::kZephlorSubsystemVendor, nullptr), 1);
    EXPECT_EQ(rg7::SelectBoardNode(0), 0);
    return board().serial_bus();
  }
  sim::Rg700Board& board() { return machine_->rg700(0); }
  std::vector<std::uint32_t> ControlWrites() {
    std::vector<std::uint32_t> out;
    for (const sim::RegisterAccess& w : board().RegisterWrites())
      if (w.index == sim::rg700::kSerialBus) out.push_back(w.value);
    return out;
  }

  sim::Machine* machine_ = nullptr;
};

TEST_F(SerialBusTest, Bt829aByteTransactionsAsTheChipSeesThem) {
  sim::Rg700SerialBus& bus = BootBoard();
  sim::Bt829aModel& bt = *bus.bt829a();
  RG7OutByteBt829A(Bt829aModel::kBrightness, 0x80);
  EXPECT_EQ(bt.Register(Bt829aModel::kBrightness), 0x80);
  constexpr std::uint8_t kLocked = Bt829aModel::kVideoPresent | Bt829aModel::kHorizontalLock;
  bt.SetStatus(kLocked);
  EXPECT_EQ(RG7InByteBt829A(Bt829aModel::kStatus), kLocked);
  EXPECT_EQ(RG7InByteBt829A(Bt829aModel::kIdentity) & Bt829aModel::kChipCodeMask, Bt829aModel::kChipCode);

  auto log = bt.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, Kind::kWrite);
  EXPECT_EQ(log[0].subaddress, Bt829aModel::kBrightness);
  EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{0x80}));
  EXPECT_TRUE(log[0].stopped);
  // A byte read names its register, restarts and ends its one byte with no acknowledge.
  EXPECT_EQ(log[1].kind, Kind::kRead);
  EXPECT_TRUE(log[1].has_subaddress);
  EXPECT_EQ(log[1].subaddress, Bt829aModel::kStatus);
  EXPECT_EQ(log[1].bytes, (std::vector<std::uint8_t>{kLocked}));
  EXPECT_EQ(log[1].acks, (std::vector<bool>{false}));
  EXPECT_TRUE(log[1].stopped);
}

TEST_F(SerialBusTest, VpcByteAndWordTransactions) {
  sim::Rg700SerialBus& bus = BootBoard(false, true);
  sim::Vpc32x5cModel& vpc = *bus.vpc32x5c();
  RG7OutWordVPC32x5C(Vpc32x5cModel::kDirect21, 0x038C);
  RG7OutByteVPC32x5C(Vpc32x5cModel::kDirect24, 0xF8);
  EXPECT_EQ(vpc.Direct(Vpc32x5cModel::kDirect21), 0x038C);
  EXPECT_EQ(vpc.Direct(Vpc32x5cModel::kDirect24), 0xF8);
  EXPECT_EQ(RG7InWordVPC32x5C(Vpc32x5cModel::kDirect21), 0x038C);
  EXPECT_EQ(RG7InByteVPC32x5C(Vpc32x5cModel::kDirect24), 0xF8);

  auto log = vpc.Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{0x03, 0x8C}));  // high byte first
  // A word read acknowledges the high byte and not the low one.
  EXPECT_EQ(log[2].kind, Kind::kRead);
  EXPECT_EQ(log[2].acks, (std::vector<bool>{true, false}));
  EXPECT_EQ(log[3].acks, (std::vector<bool>{false}));
}

TEST_F(SerialBusTest, FpRegistersThroughTheInterfaceWords) {
  sim::Rg700SerialBus& bus = BootBoard(false, true);
  sim::Vpc32x5cModel& vpc = *bus.vpc32x5c();
  EXPECT_EQ(RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpIdentity), 0x0040);
  RG7OutWordVPC32x5C_FP(Vpc32x5cModel::kFpBrightness, 63);
  EXPECT_EQ(vpc.Fp(Vpc32x5cModel::kFpBrightness), 63);
  EXPECT_EQ(RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpBrightness), 63);
  vpc.SetSignalStatus(Vpc32x5cModel::kSignalLocked);
  EXPECT_EQ(RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpSignalStatus) & Vpc32x5cModel::kSignalLocked,
            Vpc32x5cModel::kSignalLocked);

  vpc.ClearLog();
  RG7OutWordVPC32x5C_FP(0x100 | Vpc32x5cModel::kFpHue, 1020);  // only the low 8 bits of the address go out
  RG7InWordVPC32x5C_FP(0x100 | Vpc32x5cModel::kFpIdentity);
  auto log = vpc.Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].subaddress, Vpc32x5cModel::kFpWriteAddress);
  EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{0x00, 0xDC}));
  EXPECT_EQ(log[1].subaddress, Vpc32x5cModel::kFpData);
  EXPECT_EQ(log[1].bytes, (std::vector<std::uint8_t>{0x03, 0xFC}));
  EXPECT_EQ(log[2].subaddress, Vpc32x5cModel::kFpReadAddress);
  EXPECT_EQ(log[2].bytes, (std::vector<std::uint8_t>{0x00, 0xF1}));
  EXPECT_EQ(log[3].kind, Kind::kRead);
  EXPECT_EQ(log[3].subaddress, Vpc32x5cModel::kFpData);
  EXPECT_EQ(log[3].bytes, (std::vector<std::uint8_t>{0x00, 0x40}));
  EXPECT_EQ(vpc.Fp(Vpc32x5cModel::kFpHue), 1020);

  // The interface status byte follows the chip's busy delay.
  vpc.SetFpBusyDelay(3);
  RG7OutWordVPC32x5C_FP(Vpc32x5cModel::kFpSaturation, 2049);
  int busyReads = 0;
  while (RG7InByteVPC32x5C(Vpc32x5cModel::kFpStatus) != 0 && busyReads < 10) ++busyReads;
  EXPECT_EQ(busyReads, 3);
}

TEST_F(SerialBusTest, AnAbsentDecoderReadsAllOnesAndWritesStillStop) {
  sim::Rg700SerialBus& bus = BootBoard(true, false);
  bus.bus().ClearFrames();
  RG7OutWordVPC32x5C_FP(Vpc32x5cModel::kFpStandard, 0x0021);
  RG7OutByteVPC32x5C(Vpc32x5cModel::kDirect24, 0xF8);
  EXPECT_EQ(RG7InByteVPC32x5C(Vpc32x5cModel::kFpStatus), 0xFF);
  EXPECT_EQ(RG7InWordVPC32x5C(Vpc32x5cModel::kDirect21), 0xFFFF);
  EXPECT_EQ(RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpIdentity), 0xFFFF);
  // Every transaction ran to its stop; nothing acknowledged an address or a written byte.
  auto frames = bus.bus().Frames();
  ASSERT_EQ(frames.size(), 7u);
  EXPECT_EQ(frames[0].units.size(), 4u);
  EXPECT_EQ(frames[0].units[0].byte, Vpc32x5cModel::kAddress);
  for (const auto& u : frames[0].units) EXPECT_FALSE(u.acked);
  EXPECT_FALSE(bus.bus().in_frame());
  EXPECT_TRUE(bus.bt829a()->Log().empty());

  // And a board with neither decoder.
  BootBoard(false, false);
  RG7OutByteBt829A(Bt829aModel::kInputFormat, 0x58);
  EXPECT_EQ(RG7InByteBt829A(Bt829aModel::kIdentity), 0xFF);
}

TEST_F(SerialBusTest, LinesEndReleasedAndTheOtherShadowBitsAreKept) {
  BootBoard(true, true);
  // Bits beside the lines, the S-Video switch among them.
  constexpr std::uint32_t kOtherBits = 0xC2;
  rg7::CurrentBoardNode()->serial_bus_shadow = kOtherBits;
  board().ClearRegisterWrites();
  RG7OutByteBt829A(Bt829aModel::kHue, 0x12);
  EXPECT_EQ(IHW_GetRegister(rg7::reg::kI2cControl) & kLinesReleased, kLinesReleased);
  RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpIdentity);
  EXPECT_EQ(IHW_GetRegister(rg7::reg::kI2cControl) & kLinesReleased, kLinesReleased);
  RG7InByteBt829A(Bt829aModel::kHue);
  EXPECT_EQ(board().Register(sim::rg700::kSerialBus), kOtherBits | kBoardLinesReleased);
  EXPECT_EQ(rg7::CurrentBoardNode()->serial_bus_shadow, kOtherBits | kLinesReleased);
  auto writes = ControlWrites();
  ASSERT_FALSE(writes.empty());
  for (std::uint32_t w : writes) EXPECT_EQ(w & kOtherBits, kOtherBits) << std::hex << w;
  EXPECT_TRUE(board().serial_bus().two_svideo_switch());
}

TEST_F(SerialBusTest, WithoutABoardNothingReachesTheBus) {
  // Attached, no board node yet.
  sim::MachineDescription d = sim::MachineDescription::Default();
  machine_ = &Boot(d);
  RG7OutByteBt829A(Bt829aModel::kBrightness, 0x11);
  RG7OutWordVPC32x5C_FP(Vpc32x5cModel::kFpStandard, 1);
  EXPECT_EQ(RG7InByteBt829A(Bt829aModel::kIdentity), 0);
  EXPECT_EQ(RG7InWordVPC32x5C(Vpc32x5cModel::kDirect21), 0);
  EXPECT_EQ(RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpIdentity), 0);
  EXPECT_TRUE(ControlWrites().empty());
  EXPECT_TRUE(board().serial_bus().bt829a()->Log().empty());
  rg7::LibraryDetach();
  attached_ = false;

  // Another maker's board has no register window (from the NT driver's table it is
  // a node without one; a bus scan makes no node of it).
  d.rg700_boards[0].subsystem_vendor = 0x1234;
  machine_ = &Boot(d);
  rg7::EnumerateBoards(0x1234, nullptr);
  rg7::SelectBoardNode(0);
  EXPECT_EQ(RG7InByteVPC32x5C(Vpc32x5cModel::kFpStatus), 0);
  RG7OutByteBt829A(Bt829aModel::kBrightness, 0x11);
  EXPECT_TRUE(ControlWrites().empty());
  if (rg7::BoardNode* node = rg7::CurrentBoardNode()) {
    EXPECT_EQ(node->serial_bus_shadow, 0u);
  }
}

TEST_F(SerialBusTest, ClockStretchingIsWaitedForUpToEightyReads) {
  sim::Rg700SerialBus& bus = BootBoard();
  sim::Bt829aModel& bt = *bus.bt829a();
  bt.SetRegister(Bt829aModel::kSaturationV, 0xB4);
  bt.SetClockStretch(79);
  EXPECT_EQ(RG7InByteBt829A(Bt829aModel::kSaturationV), 0xB4);

  // A device that holds the clock far longer is given up on after 80 reads a bit:
  // the read returns in bounded time, with both lines released by the bridge.
  bt.SetClockStretch(100000);
  std::uint64_t before = bus.bus().sense_count();
  RG7InByteBt829A(Bt829aModel::kSaturationV);
  std::uint64_t reads = bus.bus().sense_count() - before;
  EXPECT_GE(reads, 8u * 80u);
  EXPECT_LT(reads, 8u * 82u + 40u);
  EXPECT_EQ(IHW_GetRegister(rg7::reg::kI2cControl) & kLinesReleased, kLinesReleased);
  // Once the device lets go, the next transaction finds the bus working.
  bt.SetClockStretch(0);
  EXPECT_EQ(RG7InByteBt829A(Bt829aModel::kSaturationV), 0xB4);
  EXPECT_TRUE(bt.Log().back().stopped);
  EXPECT_FALSE(bus.bus().in_frame());
}

TEST_F(SerialBusTest, TransactionsFromTwoThreadsDoNotInterleave) {
  sim::Rg700SerialBus& bus = BootBoard(true, true);
  constexpr int kRounds = 150;
  int btErrors = 0;
  int vpcErrors = 0;
  std::thread other([&] {
    for (int i = 0; i < kRounds; ++i) {
      RG7OutWordVPC32x5C_FP(Vpc32x5cModel::kFpScaledWidth, static_cast<std::uint16_t>(0x100 + i));
      if (RG7InWordVPC32x5C_FP(Vpc32x5cModel::kFpScaledWidth) != 0x100 + i) ++vpcErrors;
    }
  });
  for (int i = 0; i < kRounds; ++i) {
    RG7OutByteBt829A(Bt829aModel::kHue, static_cast<std::uint8_t>(i));
    if (RG7InByteBt829A(Bt829aModel::kHue) != i) ++btErrors;
  }
  other.join();
  EXPECT_EQ(btErrors, 0);
  EXPECT_EQ(vpcErrors, 0);
  EXPECT_EQ(bus.bt829a()->Log().size(), 2u * kRounds);
  EXPECT_EQ(bus.vpc32x5c()->FpLog().size(), 2u * kRounds);
}

}  // namespace
