// The 650-series board's field clock: rate, field and frame counter, what each
// vertical sync shows the host, and the camera it depends on.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim_test::CapturedInterrupts;
using sim_test::Kt650;
using sim_test::PowerOnWith;
using sim_test::ReadUlong;
using sim_test::StoppedClock;
using sim_test::WriteUlong;
using Clock = std::chrono::steady_clock;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(Kt650FieldClock, FieldsAlternateFromZeroAndTheFrameCounterWraps) {
  sim::Kt650Board& b = PowerOnWith({StoppedClock(Kt650(kt650::kChip8A22, 3), 200)}).kt650(0);
  CapturedInterrupts seen(b);
  sim_test::EnableChipSources(b, kt650::kSourceVerticalSync);
  b.field_clock().Start();
  constexpr std::uint32_t kFields = 2 * 256 + 4;
  ASSERT_TRUE(b.field_clock().WaitForFieldCount(kFields, 20000));
  b.StopVideo();
  std::vector<sim::Kt650Interrupt> syncs = seen.Take();
  ASSERT_GE(syncs.size(), kFields);
  for (std::uint32_t i = 0; i < syncs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(syncs[i].sources, kt650::kSourceVerticalSync);
    EXPECT_EQ(syncs[i].field, (i & 1) != 0);
    ASSERT_EQ(syncs[i].frame_counter, (i / 2) & 0xFF);
  }
  sim::PowerOff();
}

TEST(Kt650FieldClock, TheRateIsTheSelectedCamerasStandardUnlessATestPeriodIsSet) {
  sim::Kt650Desc pal = Kt650(kt650::kChip8A22, 3, -1);
  pal.device_number = 0x10;
  pal.cameras.PutEverywhere(0, sim::VideoSourceDesc{true, 1});
  sim::Machine& m = PowerOnWith({Kt650(kt650::kChip8A22, 3), pal});
  sim::Kt650FieldClock& ntscClock = m.kt650(0).field_clock();
  sim::Kt650FieldClock& palClock = m.kt650(1).field_clock();
  ASSERT_TRUE(palClock.WaitForFieldCount(1));
  std::uint32_t ntsc0 = ntscClock.field_count(), pal0 = palClock.field_count();
  Clock::time_point start = Clock::now();
  ASSERT_TRUE(palClock.WaitForFieldCount(pal0 + 20));
  // A clock is never early: 20 PAL fields take 400 ms at least.
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(395));
  // 59.94 against 50 fields a second: about 24 NTSC fields in the same time.
  EXPECT_GT(ntscClock.field_count() - ntsc0, 21u);

  ntscClock.SetFieldPeriodUs(2000);
  ASSERT_TRUE(ntscClock.WaitForFieldCount(ntscClock.field_count() + 2));
  std::uint32_t from = ntscClock.field_count();
  start = Clock::now();
  ASSERT_TRUE(ntscClock.WaitForFieldCount(from + 50));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(98));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50 * 16));
  sim::PowerOff();
}

TEST(Kt650FieldClock, EachVerticalSyncSetsThePollingBitAndShowsTheFieldWhereTheTypeHasIt) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
  };
  for (const Case& c :
       {Case{kt650::kChip5631, 0}, Case{kt650::kChip8A01, 2}, Case{kt650::kChip8A22, 3}, Case{kt650::kChip8A22, 5}}) {
    SCOPED_TRACE(int(c.type));
    sim::Kt650Board& b = PowerOnWith({StoppedClock(Kt650(c.chip, c.type))}).kt650(0);
    sim_test::Kt650SerialMaster master(b);
    bool gpio = c.type < kt650::kFirstType8A22;
    WriteUlong(b, kt650::kGeneralPurposePort, 0x5A);
    for (bool field : {false, true}) {
      SCOPED_TRACE(field);
      // Runs of the clock until one ends on the field.
      do {
        std::uint32_t target = b.field_clock().field_count() + 1;
        b.field_clock().Start();
        ASSERT_TRUE(b.field_clock().WaitForFieldCount(target));
        b.StopVideo();
      } while ((((b.field_clock().field_count() - 1) & 1) != 0) != field);
      // Polling sees bit 2 although no source is enabled; a written 1 clears it.
      EXPECT_EQ(ReadUlong(b, kt650::kInterruptControl), kt650::kSourceVerticalSync);
      WriteUlong(b, kt650::kInterruptControl, kt650::kSourceVerticalSync);
      EXPECT_EQ(ReadUlong(b, kt650::kInterruptControl), 0u);
      // The general-purpose port keeps the host's bits; bit 7 is the field on types 0-2.
      ULONG port = ReadUlong(b, kt650::kGeneralPurposePort);
      EXPECT_EQ(port & ~kt650::kGpioField, 0x5Au);
      EXPECT_EQ((port & kt650::kGpioField) != 0, gpio && field);
      WriteUlong(b, kt650::kGeneralPurposePort, kt650::kGpioField ^ port);
      EXPECT_EQ(ReadUlong(b, kt650::kGeneralPurposePort) & kt650::kGpioField, port & kt650::kGpioField);
      WriteUlong(b, kt650::kGeneralPurposePort, 0x5A);
      // Types 3-5 show it in the status byte.
      master.RouteToStatus(true);
      master.StatusStart();
      std::uint8_t status = master.StatusRead();
      if (c.type >= kt650::kFirstNoSignalType) status = master.StatusRead();  // after the revision byte
      master.StatusStop();
      master.RouteToStatus(false);
      EXPECT_EQ((status & kt650::kStatusField) != 0, !gpio && field);
    }
    sim::PowerOff();
  }
}

TEST(Kt650FieldClock, NoCameraOnTheSelectedInputMeansNoVerticalSyncs) {
  sim::Kt650Desc d = StoppedClock(Kt650(kt650::kChip8A22, 4));
  d.cameras.decoder[2] = sim::VideoSourceDesc{true, 1};
  sim::Kt650Board& b = PowerOnWith({d}).kt650(0);
  sim_test::Kt650SerialMaster master(b);
  // The second decoder feeds the port; its input select's mode picks the input.
  auto select = [&](std::uint8_t mode) {
    master.Transmit(sim::Kt650Decoder2::kAddress, {sim::Kt650Decoder2::kInputSelect, mode});
  };
  sim::Kt650FieldClock& clock = b.field_clock();
  clock.Start();
  auto stalls = [&] {
    Sleep(5);  // a vertical sync under way ends
    std::uint32_t n = clock.field_count();
    WriteUlong(b, kt650::kInterruptControl, kt650::kSourceVerticalSync);
    Sleep(30);
    return clock.field_count() == n && ReadUlong(b, kt650::kInterruptControl) == 0;
  };
  auto runs = [&] { return clock.WaitForFieldCount(clock.field_count() + 3); };
  ASSERT_TRUE(runs());
  b.video_inputs().SetCamera(0, false);
  EXPECT_TRUE(stalls());
  b.video_inputs().SetCamera(0, true);
  EXPECT_TRUE(runs());
  select(2);  // input 1
  EXPECT_TRUE(stalls());
  select(4);  // input 2
  EXPECT_TRUE(runs());
  EXPECT_TRUE(clock.running());
  sim::PowerOff();
}

TEST(Kt650FieldClock, StartsAtPowerOnAndStopsJoined) {
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.kt650_boards[0].timing.field_period_us = 300;
  sim::Kt650Board& b = sim::PowerOn(d).kt650(0);
  sim::Kt650FieldClock& clock = b.field_clock();
  EXPECT_TRUE(clock.running());
  ASSERT_TRUE(clock.WaitForFieldCount(5));
  b.StopVideo();
  EXPECT_FALSE(clock.running());
  std::uint32_t n = clock.field_count();
  Sleep(10);
  EXPECT_EQ(clock.field_count(), n);
  clock.Start();
  ASSERT_TRUE(clock.WaitForFieldCount(n + 5));
  // Power-off joins the running clock before the board goes.
  sim::PowerOff();
}

}  // namespace
