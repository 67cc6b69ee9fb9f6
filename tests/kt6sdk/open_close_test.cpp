// KT6Open and KT6Close through the exports on every chip and board type: what it
// tells in BoardInfo, what it reserves and sets, and what the close gives back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/display_adapter.h"
#include "platform/kernel_objects.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "tests/kt6sdk/kt6_driver_view.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

using kt6_testing::kQuickIni;
using kt6_testing::OneBoard;

class OpenClose : public kt6_testing::Kt6Test {
 protected:
  void TearDown() override {
    platform::RestoreModules();
    platform::ClearMessageBoxLog();
    Kt6Test::TearDown();
  }
};

TEST_F(OpenClose, EveryChipAndTypeOpensAndTellsWhatItIs) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint16_t mode;
    std::uint8_t memory_mb;
  } cases[] = {
      {kChip5631, 0, 0x114, 4}, {kChip8A01, 1, 0x117, 4}, {kChip8A01, 2, 0x117, 4},
      {kChip8A22, 3, 0x117, 8}, {kChip8A22, 4, 0x117, 8}, {kChip8A22, 5, 0x117, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.chip << " type " << int(c.type));
    sim::Machine& m = BootWithIni(OneBoard(c.chip, c.type));
    ASSERT_EQ(KT6Open(0x151), 0);
    BoardInfo info;
    ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
    EXPECT_EQ(+info.chip_id, c.chip);
    EXPECT_EQ(+info.board_id, c.chip == kChip5631 ? 0u : m.kt650(0).board_id());
    EXPECT_EQ(+info.sdk_version, 0x0201);
    EXPECT_EQ(+info.has_decoder, c.type ? 1 : 0);
    EXPECT_EQ(+info.memory_mb, c.memory_mb);
    EXPECT_EQ(+info.display_mode, c.mode);
    EXPECT_EQ(+info.desktop_width, m.display().desc().width);
    EXPECT_EQ(+info.bytes_per_pixel, 2);
    EXPECT_EQ(+info.irq_line, m.kt650(0).desc().interrupt_line);
    EXPECT_EQ(+info.driver_version, 0x0201);
    EXPECT_EQ(+info.monitor_rect[2], std::int32_t(m.display().desc().width));
    EXPECT_EQ(kt6::g_state.board_type, c.type);
    std::uint32_t base = 0;
    EXPECT_NE(KT6GetVRAMBase(&base), 0u);
    EXPECT_EQ(KT6GetVRAMBase(nullptr), base);
    EXPECT_EQ(reinterpret_cast<BYTE*>(std::uintptr_t(base)), m.kt650(0).frame_buffer().base());
    EXPECT_EQ(KT6Close(), 0);
    EXPECT_EQ(KT6Close(), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6GetVRAMBase(&base), 0xFFFFFFFFu);
    ShutDown();
  }
}

TEST_F(OpenClose, TheDesktopModeMustBeOneTheChipShows) {
  sim::MachineDescription desc = OneBoard(kChip5631, 0);
  desc.display.bits_per_pixel = 24;
  BootWithIni(desc);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_DISPLAY_MODE);  // 800 x 600 x 24
  ShutDown();
  desc.display.width = 640;
  desc.display.height = 480;
  BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  BoardInfo info;
  ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
  EXPECT_EQ(+info.display_mode, 0x112);
  EXPECT_EQ(+info.bytes_per_pixel, 3);
}

TEST_F(OpenClose, ADriverOfAnotherVersionIsAFatalError) {
  sim::Machine& m = BootWithIni(sim::MachineDescription::Default());
  kt6_testing::Driver(m).SetVersion(0x0300);
  platform::ClearMessageBoxLog();
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  auto boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Fatal Error");
  EXPECT_EQ(boxes[0].text,
            "The version of the kernel device driver (3.0) is not matching the SDK version (2.1). Open failed.");
  EXPECT_EQ(boxes[0].owner, nullptr);
  kt6_testing::Driver(m).SetVersion(0x02FF);
  EXPECT_EQ(KT6Open(0x151), 0);
}

TEST_F(OpenClose, ASecondOpenTouchesNothingAndAPortInUseRefuses) {
  sim::Machine& m = BootWithIni(sim::MachineDescription::Default());
  ASSERT_EQ(KT6Open(0x151), 0);
  m.kt650(0).ClearRegisterWrites();
  kt6_testing::Driver(m).ClearRequests();
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  EXPECT_TRUE(m.kt650(0).RegisterWrites().empty());
  EXPECT_TRUE(kt6_testing::Driver(m).Requests().empty());
  ASSERT_EQ(KT6Close(), 0);

  m.kt650(0).SetRegister(0xFF00, 0x01);  // another program runs the video port
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  m.kt650(0).SetRegister(0xFF00, 0);
  ASSERT_EQ(KT6Open(0x151), 0);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_EQ(KT6Open(0x151), 0);  // the close leaves the port stopped
}

TEST_F(OpenClose, ABoardIdOfATypeTheChipCannotBeRefusesTheBoard) {
  BootWithIni(sim::MachineDescription::Default(), std::string(kQuickIni) + "[BoardID]\nSubSystemIDLow=0x1005\n");
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);  // type 5 + 3
  WriteIni(std::string(kQuickIni) + "[BoardID]\nSubSystemIDLow=0x1002\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.board_type, 5);
  EXPECT_EQ(kt6::g_state.board_id & 0xFFFF, 0x1002u);
}

TEST_F(OpenClose, BoardInfoFollowsTheCallersVersion) {
  BootWithIni(sim::MachineDescription::Default());
  BoardInfo info;
  std::memset(&info, 0xAA, sizeof info);
  EXPECT_EQ(KT6InquireBoardInfo(&info), KT6_ERR_GENERAL);  // not open
  EXPECT_EQ(reinterpret_cast<BYTE*>(&info)[0], 0xAA);
  ASSERT_EQ(KT6Open(0x100), 0);
  EXPECT_EQ(KT6InquireBoardInfo(nullptr), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&info);
  for (std::size_t i = 20; i < sizeof info; ++i) ASSERT_EQ(bytes[i], 0xAA) << i;
  ASSERT_EQ(KT6Close(), 0);
  struct {
    std::uint16_t version;
    std::size_t bytes;
  } layouts[] = {{0x110, 20}, {0x120, 24}, {0x141, 24}, {0x142, 41}, {0x150, 41}, {0x151, 43}, {0x201, 43}};
  for (auto layout : layouts) {
    ASSERT_EQ(KT6Open(layout.version), 0);
    std::memset(&info, 0xAA, sizeof info);
    ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
    for (std::size_t i = layout.bytes; i < sizeof info; ++i) ASSERT_EQ(bytes[i], 0xAA) << layout.version << " " << i;
    if (layout.bytes > 20) {
      EXPECT_GT(+info.memory_clock_mhz, 10.0f);
    }
    if (layout.bytes == 43) {
      EXPECT_EQ(+info.driver_version, 0x0201);
    }
    ASSERT_EQ(KT6Close(), 0);
  }
}

TEST_F(OpenClose, MemoryIsReportedAsTheChipSaysButTheCaptureStaysInWhatIsMapped) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.display.memory_bytes = 32u << 20;
  sim::Machine& m = BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(+kt6::g_state.info.memory_mb, 32);
  EXPECT_EQ(kt6::g_state.board.memory_bytes, 16u << 20);
  ASSERT_EQ(KT6Close(), 0);
  m.kt650(0).SetCrtc(0x36, 0xE0);  // a code the chip does not list
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(+kt6::g_state.info.memory_mb, 16);
  EXPECT_EQ(kt6::g_state.board.memory_bytes, 16u << 20);
}

TEST_F(OpenClose, DisplayMemoryIsReservedThroughDirectDrawOrNotAtAll) {
  for (std::uint8_t type : {1, 3}) {
    SCOPED_TRACE(int(type));
    std::uint16_t chip = type == 1 ? kChip8A01 : kChip8A22;
    BootWithIni(OneBoard(chip, type));
    ASSERT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(platform::LiveDirectDrawObjects(), 1u);
    ASSERT_EQ(KT6Close(), 0);
    EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
    EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 0u);

    WriteIni(std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
    ASSERT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
    ASSERT_EQ(KT6Close(), 0);
    EXPECT_TRUE(platform::MessageBoxLog().empty());
    ShutDown();
  }
}

// The reservation opens the library's own overlay layer: the NT build's copy sets
// no destination key on the primary.
TEST_F(OpenClose, TheOverlayLayerOpensWithTheDestinationKeyOfTheBuild) {
  sim::Machine& m = BootWithIni(sim::MachineDescription::Default());
  m.display().ClearCalls();
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 1u);
  EXPECT_EQ(m.display().CountCalls(sim::DisplayCallKind::SetColorKey) != 0, kt6_testing::kOverlayOpenSetsDestKey);
}

TEST_F(OpenClose, AReservationThatFailsWarnsAndTheOpenGoesOn) {
  const std::string notFound = "the DDRAW.DLL\nfile is not found in the Windows system directory.\nWhen";
  const std::string corrupted = "the DDRAW.DLL\nfile is corrupted or in wrong version.\nWhen";
  BootWithIni(OneBoard(kChip8A01, 1));
  platform::RemoveModule("DDRAW.DLL");
  ASSERT_EQ(KT6Open(0x151), 0);
  auto boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Warnning");
  EXPECT_EQ(boxes[0].style, MB_OK | MB_ICONINFORMATION);
  EXPECT_NE(boxes[0].text.find(notFound), std::string::npos);
  EXPECT_NE(boxes[0].text.find("   [Other]\n   DisableDeviceBitmap=0\n"), std::string::npos);
  ASSERT_EQ(KT6Close(), 0);
  platform::RestoreModules();
  platform::ClearMessageBoxLog();

  platform::faults::Arm("DirectDrawCreate", 1, DDERR_GENERIC);
  ASSERT_EQ(KT6Open(0x151), 0);
  boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(corrupted), std::string::npos);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  ASSERT_EQ(KT6Close(), 0);
  ShutDown();

  // The overlay layer of the newer boards: whatever fails, the box says not found.
  BootWithIni(sim::MachineDescription::Default());
  platform::ClearMessageBoxLog();
  platform::faults::Arm("DirectDrawCreate", 1, DDERR_GENERIC);
  ASSERT_EQ(KT6Open(0x151), 0);
  boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(notFound), std::string::npos);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
}

TEST_F(OpenClose, TheStreamsProcessorIsSetForTheDesktopAndGivenBackAtClose) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
  } cases[] = {{kChip5631, 0}, {kChip8A01, 1}, {kChip8A22, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.chip);
    sim::Machine& m = BootWithIni(OneBoard(c.chip, c.type));
    sim::Kt650Board& b = m.kt650(0);
    b.SetRegister(0x81F0, 0x1234);
    b.SetRegister(0x81EC, 0x5678);
    b.SetRegister(0x8200, 0x9ABC);
    std::uint8_t crtc67 = b.Crtc(0x67);
    ASSERT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(b.Crtc(0x67), crtc67 | 0x0C);
    EXPECT_EQ(b.Register(0x81A0), 0x01000000u);
    EXPECT_EQ(b.Register(0x8180), 0x05000000u);  // 16-bit desktop
    EXPECT_EQ(b.Register(0x81F0), 0x10001u);
    if (c.chip == kChip8A22) {
      EXPECT_EQ(b.Register(0x81EC), 0x18200u);
      EXPECT_EQ(b.Register(0x8200), 0x9ABCu);
    } else {
      EXPECT_EQ(b.Register(0x81EC), 0x40000u);
      EXPECT_EQ(b.Register(0x8200), c.chip == kChip5631 ? 0x420Cu : 0xA188u);
    }
    ASSERT_EQ(KT6Close(), 0);
    EXPECT_EQ(b.Crtc(0x67), crtc67);
    EXPECT_EQ(b.Register(0x81F0), 0x1234u);
    EXPECT_EQ(b.Register(0xFF00), 0u);
    std::uint32_t fifo = c.chip == kChip8A01 ? 0xC188u : (crtc67 & 0x0C) == 0x0C ? 0x420Cu : 0xC000u;
    EXPECT_EQ(b.Register(c.chip == kChip8A22 ? 0x81EC : 0x8200), c.chip == kChip8A22 ? 0x5678u : fifo);
    ShutDown();
  }
}

TEST_F(OpenClose, ASixteenBitDesktopThatTheChipShowsInFifteenBitsIsTakenAsFifteen) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.display.rgb565 = false;
  sim::Machine& m = BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(m.kt650(0).Register(0x8180), 0x03000000u);
  EXPECT_EQ(kt6::g_state.board.display_mode, 0x116);
  EXPECT_EQ(kt6::g_state.board.key_format, 0x04000000u);
}

TEST_F(OpenClose, AHighMemoryClockIsSetForTheOpenAndGivenBack) {
  sim::Machine& m = BootWithIni(OneBoard(kChip8A01, 1), std::string(kQuickIni) + "[Clock]\nEnableHF=1\nDefaultHF=83\n");
  double before = m.kt650(0).MemoryClockMhz();
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_NEAR(m.kt650(0).MemoryClockMhz(), 83.0, 83 * 0.005);
  EXPECT_NEAR(+kt6::g_state.info.memory_clock_mhz, 83.0f, 0.5f);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_DOUBLE_EQ(m.kt650(0).MemoryClockMhz(), before);
  ShutDown();
  // The second-decoder boards keep their own clock.
  sim::Machine& n = BootWithIni(sim::MachineDescription::Default(), std::string(kQuickIni) + "[Clock]\nEnableHF=1\n");
  before = n.kt650(0).MemoryClockMhz();
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_DOUBLE_EQ(n.kt650(0).MemoryClockMhz(), before);
}

TEST_F(OpenClose, TheOpenCalibratesTheBusAndTellsTheWindows) {
  BootWithIni(sim::MachineDescription::Default(), "[Other]\nAutoI2CTimingEnable=2\nI2CBusFrequency=100000000\n");
  platform::ClearBroadcastLog();
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_NE(Ini().find("I2CTimingCounter="), std::string::npos);
  auto broadcasts = platform::BroadcastLog();
  ASSERT_EQ(broadcasts.size(), 1u);
  EXPECT_EQ(broadcasts[0].message, WM_WININICHANGE);
  ASSERT_EQ(KT6Close(), 0);
  WriteIni("[Other]\nAutoI2CTimingEnable=0\nI2CTimingCounter=33\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.i2c_timing_counter.load(), 33u);
  ASSERT_EQ(KT6Close(), 0);
  WriteIni("[Other]\nAutoI2CTimingEnable=0\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.i2c_timing_counter.load(), 14u);
}

TEST_F(OpenClose, ManyOpensAndClosesLeaveNothingBehind) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt650_boards[0].refresh_hz = 2000;  // each open and close waits for a retrace
  BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  ASSERT_EQ(KT6Close(), 0);
  std::size_t handles = platform::OpenHandleCount();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(KT6Open(0x151), 0) << i;
    ASSERT_EQ(KT6Close(), 0) << i;
  }
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 0u);
}

TEST_F(OpenClose, TheRootPathIsCutToTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(KT6GetKT600RootPath(buffer, sizeof buffer), 1u);
  EXPECT_STREQ(buffer, ".");
  windows_.Write("WIN.INI", "[Zephlor]\nKT-600=C:\\ZEPHLOR\\KT600\n");
  EXPECT_EQ(KT6GetKT600RootPath(buffer, sizeof buffer), 7u);
  EXPECT_STREQ(buffer, "C:\\ZEPH");
  EXPECT_EQ(KT6GetKT600RootPath(buffer, 0), 0u);
  EXPECT_EQ(KT6GetKT600RootPath(nullptr, 8), 0u);
  EXPECT_EQ(KT6InquireSDKVersion(), 0x0201);
}

}  // namespace
