#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/port_io.h"
#include "tests/sim/kt650_machine.h"

namespace {

namespace kt650 = sim::kt650;
using sim_test::ReadUchar;
using sim_test::ReadUlong;
using sim_test::RegisterAddress;
using sim_test::WriteUchar;
using sim_test::WriteUlong;

constexpr std::uint32_t kWindowCrtcIndex = kt650::kVgaPortBase + kt650::kCrtcIndex;
constexpr std::uint32_t kWindowCrtcData = kt650::kVgaPortBase + kt650::kCrtcData;
constexpr std::uint32_t kWindowSequencerData = kt650::kVgaPortBase + kt650::kSequencerData;

void WriteUshort(sim::Kt650Board& b, std::uint32_t offset, USHORT value) {
  WRITE_REGISTER_USHORT(reinterpret_cast<volatile USHORT*>(RegisterAddress(b, offset)), value);
}

std::uint8_t CrtcByPorts(std::uint8_t index) {
  _outp(kt650::kCrtcIndex, index);
  return static_cast<std::uint8_t>(_inp(kt650::kCrtcData));
}

TEST(Kt650Vga, PortsAndTheWindowReachTheSameIndexedRegisters) {
  sim::Kt650Board& b = sim::PowerOn().kt650(0);
  // A word at an index port sets the index, then the data.
  WriteUshort(b, kWindowCrtcIndex, 0x5A40);
  EXPECT_EQ(b.Crtc(0x40), 0x5A);
  EXPECT_EQ(_inp(kt650::kCrtcIndex), 0x40);
  EXPECT_EQ(_inp(kt650::kCrtcData), 0x5A);
  _outpw(kt650::kCrtcIndex, 0xA541);
  EXPECT_EQ(b.Crtc(0x41), 0xA5);
  EXPECT_EQ(ReadUchar(b, kWindowCrtcIndex), 0x41);
  EXPECT_EQ(ReadUlong(b, kWindowCrtcIndex) & 0xFFFF, 0xA541u);
  _outpw(kt650::kSequencerIndex, 0x0608);
  EXPECT_EQ(b.Sequencer(0x08), 0x06);
  WriteUchar(b, kWindowSequencerData, 0x33);
  EXPECT_EQ(_inp(kt650::kSequencerData), 0x33);
  EXPECT_EQ(_inp(kt650::kSequencerIndex), 0x08);

  // The identity is the board's; of the memory configuration only the code is.
  for (std::uint8_t index : {kt650::kCrtcChipRevision, kt650::kCrtcBoardId0, kt650::kCrtcBoardId1, kt650::kCrtcBoardId2,
                             kt650::kCrtcBoardId3, kt650::kCrtcDesktopHigh}) {
    std::uint8_t before = CrtcByPorts(index);
    _outp(kt650::kCrtcData, ~before);
    EXPECT_EQ(CrtcByPorts(index), before) << int(index);
  }
  WriteUshort(b, kWindowCrtcIndex, 0x1F00 | kt650::kCrtcMemoryConfig);
  EXPECT_EQ(b.Crtc(kt650::kCrtcMemoryConfig), 0x40 | 0x1F);  // 8 MB

  // Other VGA ports keep their byte; ports beyond them have no device.
  _outp(0x3C2, 0x67);
  EXPECT_EQ(ReadUchar(b, kt650::kVgaPortBase + 0x3C2), 0x67);
  EXPECT_EQ(_inp(0x3AF), 0xFF);
  EXPECT_EQ(_inp(0x3E0), 0xFF);
  sim::PowerOff();
}

TEST(Kt650Vga, EveryHostWriteIsLoggedWithItsPath) {
  sim::Kt650Board& b = sim::PowerOn().kt650(0);
  b.ClearRegisterWrites();
  WriteUshort(b, kWindowCrtcIndex, 0x1140);
  _outpw(kt650::kSequencerIndex, 0x0208);
  _outp(0x3C2, 0xE3);
  WriteUlong(b, kt650::kInterruptControl, 0x10000);
  ReadUlong(b, kt650::kEngineStatus);
  _inp(kt650::kCrtcData);
  auto log = b.RegisterWrites();
  ASSERT_EQ(log.size(), 4u);
  auto expect = [&](std::size_t i, sim::Kt650AccessPath path, std::uint32_t offset, unsigned width,
                    std::uint32_t value) {
    EXPECT_EQ(log[i].path, path) << i;
    EXPECT_EQ(log[i].offset, offset) << i;
    EXPECT_EQ(log[i].width, width) << i;
    EXPECT_EQ(log[i].value, value) << i;
  };
  expect(0, sim::Kt650AccessPath::kMmio, kWindowCrtcIndex, 2, 0x1140);
  expect(1, sim::Kt650AccessPath::kPort, kt650::kVgaPortBase + kt650::kSequencerIndex, 2, 0x0208);
  expect(2, sim::Kt650AccessPath::kPort, kt650::kVgaPortBase + 0x3C2, 1, 0xE3);
  expect(3, sim::Kt650AccessPath::kMmio, kt650::kInterruptControl, 4, 0x10000);
  sim::PowerOff();
}

// Retraces that begin while input status 1 is polled for `ms`.
int RetraceStarts(const std::function<std::uint8_t()>& read, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int starts = 0;
  bool was = true;
  while (std::chrono::steady_clock::now() < end) {
    std::uint8_t status = read();
    bool retrace = status & kt650::kVerticalRetrace;
    EXPECT_EQ(bool(status & kt650::kDisplayDisabled), retrace);
    starts += retrace && !was;
    was = retrace;
  }
  return starts;
}

TEST(Kt650Vga, RetraceComesEachPeriodAndMoreOftenAtAHigherRefreshRate) {
  sim::Kt650Board& b = sim::PowerOn().kt650(0);
  auto byPort = [] { return static_cast<std::uint8_t>(_inp(kt650::kInputStatus1)); };
  auto byWindow = [&] { return ReadUchar(b, kt650::kVgaPortBase + kt650::kInputStatus1); };
  // A wait for retrace ends (within a period; the bound is generous for loaded machines).
  for (const auto& read : {std::function<std::uint8_t()>(byPort), std::function<std::uint8_t()>(byWindow)}) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < giveUp) seen = read() & kt650::kVerticalRetrace;
    EXPECT_TRUE(seen);
  }
  int at60 = RetraceStarts(byPort, 100);
  b.SetRefreshRate(1000);
  int at1000 = RetraceStarts(byPort, 100);
  EXPECT_GT(at1000, at60);
  sim::PowerOff();
}

TEST(Kt650Vga, TheMemoryClockLoadsOnlyWhenSequencer15Bit0Rises) {
  sim::Kt650Board& b = sim::PowerOn().kt650(0);
  auto sequencer = [&](std::uint8_t index, std::uint8_t value) {
    WriteUchar(b, kt650::kVgaPortBase + kt650::kSequencerIndex, index);
    WriteUchar(b, kWindowSequencerData, value);
  };
  EXPECT_NEAR(b.MemoryClockMhz(), 73.98, 0.005);
  EXPECT_EQ(b.Sequencer(kt650::kSrMemoryClockNR), kt650::kMemoryClockNRReset);
  EXPECT_EQ(b.Sequencer(kt650::kSrMemoryClockM), kt650::kMemoryClockMReset);
  sequencer(kt650::kSrMemoryClockNR, 0x22);  // R 1, N 2
  sequencer(kt650::kSrMemoryClockM, 0x50);
  EXPECT_NEAR(b.MemoryClockMhz(), 73.98, 0.005);
  sequencer(kt650::kSrClockLoad, 0x01);
  EXPECT_NEAR(b.MemoryClockMhz(), 82.0 / 8 * 14.318, 1e-9);
  // Bit 0 staying set loads nothing; its next rise does.
  sequencer(kt650::kSrMemoryClockNR, 0x01);
  sequencer(kt650::kSrClockLoad, 0x03);
  sequencer(kt650::kSrClockLoad, 0x00);
  EXPECT_NEAR(b.MemoryClockMhz(), 82.0 / 8 * 14.318, 1e-9);
  _outpw(kt650::kSequencerIndex, 0x0100 | kt650::kSrClockLoad);
  EXPECT_NEAR(b.MemoryClockMhz(), 82.0 / 3 * 14.318, 1e-9);
  sim::PowerOff();
}

}  // namespace
