#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim::Saa7110Model;
using sim_test::Kt650;
using sim_test::Kt650SerialMaster;
using sim_test::PowerOnWith;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kPort = kt650::kControlPortAddress;
constexpr std::uint8_t kData = kt650::kDataLatchAddress;
constexpr std::uint8_t kControl = kt650::kBoardControlAddress;
constexpr std::uint8_t kSaa = Saa7110Model::kAddress;

std::uint16_t ChipOf(std::uint8_t type) {
  return type == 0 ? kt650::kChip5631 : type < kt650::kFirstType8A22 ? kt650::kChip8A01 : kt650::kChip8A22;
}

class Kt650SerialBus : public ::testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }
  sim::Kt650Board& Board(std::uint8_t type) {
    board_ = &PowerOnWith({Kt650(ChipOf(type), type)}).kt650(0);
    master_ = std::make_unique<Kt650SerialMaster>(*board_);
    return *board_;
  }
  void P(std::uint8_t v) { master_->Transmit(kPort, {v}); }
  void D(std::uint8_t v) { master_->Transmit(kData, {v}); }

  sim::Kt650Board* board_ = nullptr;
  std::unique_ptr<Kt650SerialMaster> master_;
};

TEST_F(Kt650SerialBus, EachTypeAnswersAtItsOwnAddresses) {
  for (std::uint8_t type = 0; type <= kt650::kLastType; ++type) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& b = Board(type);
    bool latches = type < kt650::kFirstType8A22;
    bool saa = type >= kt650::kFirstType8A01 && latches;
    EXPECT_EQ(b.control_port() != nullptr, latches);
    EXPECT_EQ(b.board_control() != nullptr, !latches);
    EXPECT_EQ(b.saa7110() != nullptr, saa);
    EXPECT_EQ(b.decoder2() != nullptr, !latches);
    // 0x42 is the control port on types 0-2 and the second decoder on types 3-5.
    std::map<std::uint8_t, bool> expected{{kPort, true}, {kData, latches}, {kControl, !latches}, {kSaa, saa}};
    for (auto [address, present] : expected) EXPECT_EQ(master_->Transmit(address, {})[0], present) << int(address);
    EXPECT_FALSE(master_->Transmit(0x50, {})[0]);
    EXPECT_EQ(b.serial_bus().Frames().size(), expected.size() + 1);
    sim::PowerOff();
  }
}

TEST_F(Kt650SerialBus, LatchesTakeEveryByteWithoutASubaddress) {
  sim::Kt650Board& b = Board(0);
  EXPECT_EQ(master_->Transmit(kPort, {0x05, 0xA0, 0x7F}), (std::vector<bool>{true, true, true, true}));
  D(0x11);
  D(0x22);
  EXPECT_EQ(b.control_port()->PortBytes(), (Bytes{0x05, 0xA0, 0x7F}));
  EXPECT_EQ(b.control_port()->DataBytes(), (Bytes{0x11, 0x22}));
  EXPECT_EQ(master_->ReadPlain(kPort, 1), Bytes{0x7F});  // a read gives the latched byte
  EXPECT_EQ(master_->ReadPlain(kData, 1), Bytes{0x22});
  EXPECT_EQ(b.control_port()->Register(0), 0);  // type 0 has no register file
  auto frames = b.serial_bus().Frames();
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0].units.size(), 4u);
  EXPECT_EQ(frames[0].units[2].byte, 0xA0);
}

TEST_F(Kt650SerialBus, ThePortRegisterFileSelectsWithBit7AndKeepsTheLowSixBits) {
  for (std::uint8_t type : {1, 2}) {
    sim::Kt650Board& b = Board(type);
    sim::Kt650ControlPort& port = *b.control_port();
    P(0x83);
    P(0x7F);
    EXPECT_EQ(port.Register(3), 0x3F);
    P(0x15);  // the selection stays
    EXPECT_EQ(port.Register(3), 0x15);
    master_->Transmit(kPort, {0x85, 0x2A, 0x80, 0x01});
    EXPECT_EQ(port.Register(5), 0x2A);
    EXPECT_EQ(port.Register(0), 0x01);
    for (std::uint8_t r : {1, 2, 4, 6, 7}) EXPECT_EQ(port.Register(r), 0) << int(r);
    EXPECT_EQ(port.PortBytes(), (Bytes{0x83, 0x7F, 0x15, 0x85, 0x2A, 0x80, 0x01}));
    D(0x99);
    EXPECT_EQ(port.DataBytes(), Bytes{0x99});
    sim::PowerOff();
  }
}

TEST_F(Kt650SerialBus, Type0PortLinesStrobeTheLut) {
  sim::Kt650Board& b = Board(0);
  // The library's LUT load; lc holds the bank in bits 3-2.
  auto load = [&](std::uint8_t lc, const std::map<std::uint8_t, std::uint8_t>& entries) {
    P(lc | 0x20);
    for (auto [index, value] : entries) {
      D(index);
      P(lc | 0x01);
      D(value);
      P(lc | 0x22);
      P(lc);
      P(lc | 0x20);
    }
    P(lc | 0x30);
  };
  load(0x08, {{0x00, 0x10}, {0x7F, 0x20}, {0xFF, 0x30}});
  load(0x04, {{0x7F, 0x44}});
  EXPECT_EQ(b.Lut(2, 0x00), 0x10);
  EXPECT_EQ(b.Lut(2, 0x7F), 0x20);
  EXPECT_EQ(b.Lut(2, 0xFF), 0x30);
  EXPECT_EQ(b.Lut(1, 0x7F), 0x44);
  EXPECT_EQ(b.Lut(0, 0x7F), 0);
  EXPECT_EQ(b.Lut(2, 0x01), 0);
  // Strobes act on their rise only: a port byte that keeps bit 1 set writes nothing.
  D(0x05);
  P(0x0C | 0x01);
  D(0x66);
  P(0x0C | 0x02);
  D(0x77);
  P(0x0C | 0x02);
  EXPECT_EQ(b.Lut(3, 0x05), 0x66);
}

TEST_F(Kt650SerialBus, Types1And2StrobeTheLutThroughPortRegister7) {
  for (std::uint8_t type : {1, 2}) {
    sim::Kt650Board& b = Board(type);
    // The library's LUT load; lc holds the bank in bits 5-4.
    auto load = [&](std::uint8_t lc, const std::map<std::uint8_t, std::uint8_t>& entries) {
      std::uint8_t l = lc & 0x30;
      P(0x87);
      P(l | 0x01);
      for (auto [index, value] : entries) {
        D(index);
        P(l | 0x09);
        D(value);
        P(l | 0x05);
        P(l | 0x0D);
        P(l | 0x01);
      }
      P(lc);
    };
    load(0x23, {{0x00, 0xAA}, {0x80, 0xBB}, {0xFF, 0xCC}});
    load(0x10, {{0x80, 0x11}});
    EXPECT_EQ(b.Lut(2, 0x00), 0xAA);
    EXPECT_EQ(b.Lut(2, 0x80), 0xBB);
    EXPECT_EQ(b.Lut(2, 0xFF), 0xCC);
    EXPECT_EQ(b.Lut(1, 0x80), 0x11);
    EXPECT_EQ(b.Lut(0, 0x80), 0);
    EXPECT_EQ(b.control_port()->Register(7), 0x10);
    // The same bits in another register strobe nothing, nor in register 7 outside
    // the LUT's write mode (there they are the strobe's gate).
    D(0x40);
    P(0x86);
    P(0x0D);
    EXPECT_EQ(b.Lut(0, 0x40), 0);
    P(0x87);
    P(0x00);
    P(0x0C);
    P(0x00);
    EXPECT_EQ(b.Lut(0, 0x40), 0);
    sim::PowerOff();
  }
}

TEST_F(Kt650SerialBus, BoardControlRegistersBySubaddressWithAutoIncrement) {
  sim::Kt650Board& b = Board(3);
  sim::Kt650BoardControl& control = *b.board_control();
  EXPECT_EQ(master_->Transmit(kControl, {3, 0x11, 0x22, 0x33}), (std::vector<bool>{true, true, true, true, true}));
  EXPECT_EQ(control.Register(3), 0x11);
  EXPECT_EQ(control.Register(5), 0x33);
  EXPECT_EQ(master_->ReadRegisters(kControl, 3, 3), (Bytes{0x11, 0x22, 0x33}));
  // Registers end at 21.
  EXPECT_EQ(master_->Transmit(kControl, {20, 0x01, 0x02, 0x03}), (std::vector<bool>{true, true, true, true, false}));
  EXPECT_EQ(control.Register(21), 0x02);
  auto log = control.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].bytes, (Bytes{0x11, 0x22, 0x33}));
  EXPECT_EQ(log[1].kind, sim::I2cTransfer::Kind::kRead);
}

TEST_F(Kt650SerialBus, BoardControlLutPortWritesTheLaneWhileRegister15Bit1IsSet) {
  sim::Kt650Board& b = Board(4);
  auto lutControl = [&](std::uint8_t lane, bool write) {
    master_->Transmit(kControl, {kt650::kBcLutControl, static_cast<std::uint8_t>(lane << 2 | (write ? 0x02 : 0))});
  };
  lutControl(1, true);
  master_->Transmit(kControl, {kt650::kBcLutPort, 0xFE, 0xA1, 0xA2, 0xA3});  // the index wraps
  EXPECT_EQ(b.Lut(1, 0xFE), 0xA1);
  EXPECT_EQ(b.Lut(1, 0xFF), 0xA2);
  EXPECT_EQ(b.Lut(1, 0x00), 0xA3);
  EXPECT_EQ(b.board_control()->Register(kt650::kBcLutPort + 1), 0);  // the port does not auto-increment
  lutControl(3, false);
  master_->Transmit(kControl, {kt650::kBcLutPort, 0x10, 0xB1, 0xB2});
  EXPECT_EQ(b.Lut(3, 0x10), 0);
  EXPECT_EQ(b.Lut(3, 0x11), 0);
  lutControl(3, true);
  master_->Transmit(kControl, {kt650::kBcLutPort, 0x10, 0xC1});
  EXPECT_EQ(b.Lut(3, 0x10), 0xC1);
  for (unsigned lane : {0u, 2u}) EXPECT_EQ(b.Lut(lane, 0x10), 0) << lane;
  EXPECT_EQ(b.Lut(1, 0x10), 0);
}

TEST_F(Kt650SerialBus, CaptureRunsWithRegister7Bit7AndRegister19Bit5) {
  sim::Kt650Board& b = Board(5);
  auto set = [&](std::uint8_t reg, std::uint8_t value) { master_->Transmit(kControl, {reg, value}); };
  EXPECT_FALSE(b.board_control()->CaptureRunning());
  set(kt650::kBcCapture, 0x80);
  EXPECT_FALSE(b.board_control()->CaptureRunning());
  set(kt650::kBcCaptureEnable, 0xDF);
  EXPECT_FALSE(b.board_control()->CaptureRunning());
  set(kt650::kBcCaptureEnable, 0x20);
  EXPECT_TRUE(b.board_control()->CaptureRunning());
  set(kt650::kBcCapture, 0x7F);
  EXPECT_FALSE(b.board_control()->CaptureRunning());
}

TEST_F(Kt650SerialBus, TheWriteHookRunsBeforeTheStopAndLetsAnotherThreadUseTheBoard) {
  sim::Kt650Board& b = Board(3);
  struct Seen {
    std::uint8_t reg, value, kept;
    bool in_frame;
    UCHAR port;
  };
  std::vector<Seen> seen;
  b.board_control()->SetWriteHook([&](std::uint8_t reg, std::uint8_t value) {
    Seen s{reg, value, 0, false, 0};
    // As a library call would that defers its work: it runs to its end while the
    // hook waits for it.
    std::thread other([&] {
      s.kept = b.board_control()->Register(reg);
      s.in_frame = b.serial_bus().in_frame();
      s.port = sim_test::ReadUchar(b, kt650::kSerialPort);
    });
    other.join();
    seen.push_back(s);
  });
  master_->Transmit(kControl, {9, 0x5A, 0xA5});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].reg, 9);
  EXPECT_EQ(seen[0].value, 0x5A);
  EXPECT_EQ(seen[0].kept, 0x5A);
  EXPECT_EQ(seen[1].reg, 10);
  EXPECT_EQ(seen[1].kept, 0xA5);
  for (const Seen& s : seen) {
    EXPECT_TRUE(s.in_frame);
    // Clock low after the eighth bit, data pulled low: the device's acknowledge.
    EXPECT_EQ(s.port & (kt650::kSerialClockIn | kt650::kSerialDataIn), 0);
  }
  b.board_control()->SetWriteHook(nullptr);
  master_->Transmit(kControl, {9, 0x00});
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(Kt650SerialBus, Saa7110IdentifiesItselfWhileRegister0DBit1IsClear) {
  for (std::uint8_t type : {1, 2}) {
    sim::Kt650Board& b = Board(type);
    Saa7110Model& saa = *b.saa7110();
    EXPECT_EQ(master_->ReadPlain(kSaa, 1), Bytes{Saa7110Model::kIdentification});
    master_->Transmit(kSaa, {0x0B, 0x11, 0x22, Saa7110Model::kDecoderStatus});  // auto-increment to 0x0D
    EXPECT_EQ(saa.Register(0x0B), 0x11);
    EXPECT_EQ(saa.Register(0x0C), 0x22);
    // Locked on the NTSC camera of input 0, where the decoder comes up.
    EXPECT_EQ(master_->ReadPlain(kSaa, 1), Bytes{0x00});
    master_->Transmit(kSaa, {Saa7110Model::kStatusMode, 0xFD});
    EXPECT_EQ(master_->ReadPlain(kSaa, 1), Bytes{Saa7110Model::kIdentification});
    // The last register is 0x34.
    EXPECT_EQ(master_->Transmit(kSaa, {0x34, 0x01, 0x02}), (std::vector<bool>{true, true, true, false}));
    auto log = saa.Log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].kind, sim::I2cTransfer::Kind::kRead);
    EXPECT_FALSE(log[0].has_subaddress);
    EXPECT_EQ(log[0].bytes, Bytes{Saa7110Model::kIdentification});
    EXPECT_EQ(log[1].bytes, (Bytes{0x11, 0x22, Saa7110Model::kDecoderStatus}));
    sim::PowerOff();
  }
}

TEST_F(Kt650SerialBus, TwoMastersTakingTurnsWhileTestsReadTheViews) {
  sim::Kt650Board& b = Board(3);
  std::mutex ownership;  // the library's own bus ownership
  constexpr int kRounds = 40;
  auto drive = [&](std::uint8_t reg) {
    for (int i = 0; i < kRounds; ++i) {
      std::lock_guard lock(ownership);
      master_->Transmit(kControl, {reg, static_cast<std::uint8_t>(i)});
    }
  };
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      b.serial_bus().Frames();
      b.board_control()->Register(1);
      b.board_control()->CaptureRunning();
      b.Lut(0, 0);
      b.status_device().Frames();
      b.SerialPortWrites();
      b.MemoryClockMhz();
    }
  });
  std::thread first(drive, 1), second(drive, 2);
  first.join();
  second.join();
  done = true;
  reader.join();
  EXPECT_EQ(b.board_control()->Register(1), kRounds - 1);
  EXPECT_EQ(b.board_control()->Register(2), kRounds - 1);
  EXPECT_EQ(b.serial_bus().Frames().size(), 2u * kRounds);
  EXPECT_EQ(b.SerialPortWrites(), master_->writes());
}

}  // namespace
