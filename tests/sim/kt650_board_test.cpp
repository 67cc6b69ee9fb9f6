#include <gtest/gtest.h>

#include "platform/port_io.h"
#include "sim/kt650/kt650_layout.h"
#include "tests/sim/kt650_machine.h"

namespace {

namespace pci = sim::pci;
namespace kt650 = sim::kt650;
using sim_test::Kt650;
using sim_test::PowerOnWith;
using sim_test::ReadUlong;
using sim_test::WriteUchar;
using sim_test::WriteUlong;

constexpr std::uint32_t kBar1 = pci::kBar0 + 4;
constexpr std::uint32_t kMegabyte = 1u << 20;

TEST(Kt650Pci, IdentityWindowsAndSizingOfEachChip) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint32_t bar0, bar1, bar0_sized, bar1_sized;
    std::uint32_t registers;  // physical address of the register window
    std::uint32_t subsystem;
  };
  for (const Case& c :
       {Case{kt650::kChip5631, 0, 0xD0000000, 0, 0xFC000000, 0, 0xD1000000, 0},
        Case{kt650::kChip8A01, 2, 0xD0000000, 0, 0xFC000000, 0, 0xD1000000, 0x00021002},
        Case{kt650::kChip8A22, 4, 0xE8000000, 0xD0000008, 0xFFF80000, 0xFF000008, 0xE8000000, 0x00021001}}) {
    SCOPED_TRACE(c.chip);
    sim::Machine& m = PowerOnWith({Kt650(c.chip, c.type)});
    sim::Kt650Board& b = m.kt650(0);
    EXPECT_EQ(b.ConfigDword(pci::kVendorId), std::uint32_t{c.chip} << 16 | kt650::kVendor);
    EXPECT_EQ(b.ConfigDword(pci::kCommand) & 0xFFFF, 0x03u);
    EXPECT_EQ(b.ConfigDword(pci::kRevision), 0x03000001u);  // VGA class above revision 1
    EXPECT_EQ(b.ConfigDword(pci::kBar0), c.bar0);
    EXPECT_EQ(b.ConfigDword(kBar1), c.bar1);
    EXPECT_EQ(b.ConfigDword(pci::kSubsystemVendor), c.subsystem);
    EXPECT_EQ(b.ConfigByte(pci::kInterruptLine), 10);
    EXPECT_EQ(b.ConfigByte(pci::kInterruptPin), 1);
    EXPECT_EQ(b.FrameBufferAperture().physical, 0xD0000000u);
    EXPECT_EQ(b.FrameBufferAperture().size, c.chip == kt650::kChip8A22 ? 16 * kMegabyte : 4 * kMegabyte);
    EXPECT_EQ(b.RegisterWindow().physical, c.registers);

    for (std::uint32_t offset : {pci::kVendorId, pci::kRevision, pci::kSubsystemVendor})
      m.pci().Write(0, 0x0E, offset, 4, 0);
    m.pci().Write(0, 0x0E, pci::kCommand, 1, 0xFF);
    m.pci().Write(0, 0x0E, pci::kInterruptLine, 1, 5);
    EXPECT_EQ(b.ConfigDword(pci::kVendorId), std::uint32_t{c.chip} << 16 | kt650::kVendor);
    EXPECT_EQ(b.ConfigDword(pci::kRevision), 0x03000001u);
    EXPECT_EQ(b.ConfigDword(pci::kSubsystemVendor), c.subsystem);
    EXPECT_EQ(b.ConfigByte(pci::kCommand), 0x07);
    EXPECT_EQ(b.ConfigByte(pci::kInterruptLine), 5);

    m.pci().Write(0, 0x0E, pci::kBar0, 4, 0xFFFFFFFF);
    m.pci().Write(0, 0x0E, kBar1, 4, 0xFFFFFFFF);
    EXPECT_EQ(b.ConfigDword(pci::kBar0), c.bar0_sized);
    EXPECT_EQ(b.ConfigDword(kBar1), c.bar1_sized);
    // The windows move with the BARs.
    m.pci().Write(0, 0x0E, pci::kBar0, 4, c.bar0);
    m.pci().Write(0, 0x0E, kBar1, 4, c.bar1);
    EXPECT_EQ(b.RegisterWindow().physical, c.registers);
    EXPECT_EQ(b.FrameBufferAperture().physical, 0xD0000000u);
  }
  sim::PowerOff();
}

TEST(Kt650Crtc, BoardIdHoldsTheTypeInTheLowNibbleOfByteZero) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint8_t nibble;
  };
  for (const Case& c : {Case{kt650::kChip5631, 0, 0}, Case{kt650::kChip8A01, 1, 1}, Case{kt650::kChip8A01, 2, 2},
                        Case{kt650::kChip8A22, 3, 0}, Case{kt650::kChip8A22, 5, 2}}) {
    sim::Kt650Desc d = Kt650(c.chip, c.type, -1);
    d.board_code = 0x21;
    d.revision = 7;
    d.sub_revision = 9;
    d.chip_revision = 0x44;
    sim::Kt650Board b(d,
                      std::make_shared<sim::DisplayMemory>(4 * kMegabyte, 0x80000000, sim::Kt650ApertureSize(c.chip)));
    EXPECT_EQ(b.board_id(), 0x09072100u | c.nibble);
    EXPECT_EQ(b.Crtc(kt650::kCrtcBoardId0), c.nibble);
    EXPECT_EQ(b.Crtc(kt650::kCrtcBoardId1), 0x21);
    EXPECT_EQ(b.Crtc(kt650::kCrtcBoardId2), 7);
    EXPECT_EQ(b.Crtc(kt650::kCrtcBoardId3), 9);
    EXPECT_EQ(b.Crtc(kt650::kCrtcChipRevision), 0x44);
    EXPECT_EQ(b.ConfigByte(pci::kRevision), 0x44);
  }
}

TEST(Kt650Crtc, TheMemoryCodeSaysWhatTheBoardCarries) {
  for (std::uint32_t megabytes : {2u, 8u, 32u}) {
    sim::Kt650Desc d = Kt650(kt650::kChip8A22, 3, -1);
    d.memory_bytes = megabytes * kMegabyte;
    sim::Kt650Board& b = PowerOnWith({d}).kt650(0);
    EXPECT_EQ(b.Crtc(kt650::kCrtcMemoryConfig) & kt650::kMemoryCodeMask, megabytes == 2   ? 0x00
                                                                         : megabytes == 8 ? 0x40
                                                                                          : 0xA0);
    sim::PowerOff();
  }
  sim::Kt650Board& old = PowerOnWith({Kt650(kt650::kChip8A01, 1)}).kt650(0);
  EXPECT_EQ(old.Crtc(kt650::kCrtcMemoryConfig) & kt650::kMemoryCodeMask, 0x00);  // 4 MB
  sim::PowerOff();
  // An older chip on the monitor cannot take the display's 8 MB: no code says so.
  sim::Kt650Layout layout;
  std::string error;
  sim::Kt650Desc saa = Kt650(kt650::kChip8A01, 1);
  saa.memory_bytes = 0;
  EXPECT_FALSE(sim::ResolveKt650Layout({sim::DisplayDesc{}}, {saa}, &layout, &error));
  EXPECT_NE(error.find("memory_bytes"), std::string::npos);
}

// As the library reads CRTC 0x4C and 0x4D.
unsigned DesktopKb(const sim::Kt650Board& b) {
  return ((b.Crtc(kt650::kCrtcDesktopHigh) & 15u) << 8) | (b.Crtc(kt650::kCrtcDesktopLow) - 1u);
}

TEST(Kt650Crtc, DesktopMemoryAndColourModeFollowTheDisplayMode) {
  sim::Machine& m = sim::PowerOn();
  sim::Kt650Board& b = m.kt650(0);
  EXPECT_EQ(DesktopKb(b), 1536u);  // 1024 x 768 x 2 bytes
  EXPECT_EQ(b.Crtc(kt650::kCrtcColourMode), 0x50);
  _outp(kt650::kCrtcIndex, kt650::kCrtcColourMode);
  _outp(kt650::kCrtcData, 0xFA);  // the host's low nibble stays; the depth is the board's
  EXPECT_EQ(b.Crtc(kt650::kCrtcColourMode), 0x5A);
  struct Case {
    DWORD width, height, bits;
    unsigned kb;
    std::uint8_t mode;
  };
  for (const Case& c :
       {Case{800, 600, 32, 1875, 0xDA}, Case{640, 480, 8, 300, 0x0A}, Case{1024, 768, 24, 2304, 0x7A}}) {
    ASSERT_EQ(m.display().SetDisplayMode(c.width, c.height, c.bits), DD_OK);
    EXPECT_EQ(DesktopKb(b), c.kb) << c.bits;
    EXPECT_EQ(b.Crtc(kt650::kCrtcColourMode), c.mode) << c.bits;
  }
  EXPECT_NE(m.display().SetDisplayMode(4096, 4096, 32), DD_OK);
  EXPECT_EQ(DesktopKb(b), 2304u);
  m.display().RestoreDisplayMode();
  EXPECT_EQ(DesktopKb(b), 1536u);
  _outp(kt650::kCrtcIndex, kt650::kCrtcDesktopLow);
  _outp(kt650::kCrtcData, 0x77);
  EXPECT_EQ(DesktopKb(b), 1536u);

  sim::MachineDescription d = sim::MachineDescription::Default();
  d.display.rgb565 = false;
  EXPECT_EQ(sim::PowerOn(d).kt650(0).Crtc(kt650::kCrtcColourMode), 0x30);
  sim::PowerOff();
}

TEST(Kt650Registers, InterruptControlEngineStatusAndPlainRegistersOfEachWindow) {
  for (std::uint16_t chip : {kt650::kChip8A22, kt650::kChip5631}) {
    sim::Kt650Board& b = PowerOnWith({Kt650(chip, chip == kt650::kChip8A22 ? 3 : 0)}).kt650(0);
    b.SetRegister(kt650::kInterruptControl, 0xF);  // the board raised all four
    WriteUlong(b, kt650::kInterruptControl, 0x00050003);
    EXPECT_EQ(ReadUlong(b, kt650::kInterruptControl), 0x0005000Cu);
    WriteUlong(b, kt650::kInterruptControl, 0xFFFFFFFF);
    EXPECT_EQ(ReadUlong(b, kt650::kInterruptControl), 0x000F0000u);

    EXPECT_EQ(ReadUlong(b, kt650::kEngineStatus), kt650::kEngineIdle);
    WriteUlong(b, kt650::kEngineStatus, 0x3);
    EXPECT_EQ(b.SourceEnables(), 0x3u);
    EXPECT_EQ(ReadUlong(b, kt650::kEngineStatus), kt650::kEngineIdle);

    WriteUlong(b, 0x100, 0xCAFEF00D);
    WriteUchar(b, 0x101, 0x11);
    EXPECT_EQ(ReadUlong(b, 0x100), 0xCAFE110Du);
    EXPECT_EQ(b.Register(0x100), 0xCAFE110Du);
  }
  sim::PowerOff();
}

TEST(Kt650Memory, TheApertureIsBackedToItsLastByteOverLessMemory) {
  sim::Machine& m = sim::PowerOn();
  sim::Kt650Board& b = m.kt650(0);
  sim::Kt650Window aperture = b.FrameBufferAperture();
  EXPECT_EQ(&b.frame_buffer(), &m.display_memory());
  EXPECT_EQ(b.frame_buffer().size(), 8 * kMegabyte);
  EXPECT_EQ(b.frame_buffer().mapped_size(), aperture.size);
  EXPECT_LE(reinterpret_cast<std::uintptr_t>(aperture.host) + aperture.size, 0x100000000ull);
  aperture.host[aperture.size - 1] = 0x5A;
  EXPECT_EQ(aperture.host[aperture.size - 1], 0x5A);
  // Bus masters reach the whole aperture at its physical address.
  EXPECT_EQ(m.physical_memory().Translate(aperture.physical + aperture.size - 4, 4), aperture.host + aperture.size - 4);
  sim::PowerOff();
}

TEST(Kt650Machine, TheMonitorsBoardCarriesTheDisplayMemoryAndTheOthersTheirOwn) {
  sim::Kt650Desc monitor = Kt650(kt650::kChip8A22, 3);
  monitor.memory_bytes = 4 * kMegabyte;
  monitor.frame_buffer_base = 0xC0000000;
  sim::Kt650Desc first = Kt650(kt650::kChip5631, 0, -1), last = Kt650(kt650::kChip8A22, 5, -1);
  first.device_number = 0x10;
  last.device_number = 0x12;
  sim::Machine& m = PowerOnWith({first, monitor, last});
  EXPECT_EQ(&m.kt650(1).frame_buffer(), &m.display_memory());
  EXPECT_EQ(m.display_memory().size(), 4 * kMegabyte);
  EXPECT_EQ(m.display_memory().physical_base(), 0xC0000000u);
  EXPECT_EQ(m.desc().display.memory_bytes, 4 * kMegabyte);
  EXPECT_EQ(m.kt650(0).FrameBufferAperture().physical, 0x80000000u);
  EXPECT_EQ(m.kt650(0).RegisterWindow().physical, 0x81000000u);
  EXPECT_EQ(m.kt650(2).frame_buffer().size(), 8 * kMegabyte);
  EXPECT_EQ(m.kt650(2).FrameBufferAperture().physical, 0x88000000u);
  EXPECT_EQ(m.kt650(2).RegisterWindow().physical, 0xE8200000u);
  EXPECT_EQ(m.physical_memory().Translate(0x88000000u, 4), m.kt650(2).frame_buffer().base());
  // The VGA ports are the monitor board's.
  _outpw(kt650::kCrtcIndex, 0x7740);
  EXPECT_EQ(m.kt650(1).Crtc(0x40), 0x77);
  EXPECT_EQ(m.kt650(0).Crtc(0x40), 0);
  sim::PowerOff();
  EXPECT_EQ(_inp(kt650::kCrtcIndex), 0xFF);

  // Without a board on the monitor the display keeps memory of its own.
  sim::Machine& alone = PowerOnWith({Kt650(kt650::kChip8A22, 3, -1)});
  EXPECT_NE(&alone.kt650(0).frame_buffer(), &alone.display_memory());
  EXPECT_EQ(alone.display_memory().size(), sim::DisplayDesc{}.memory_bytes);
  EXPECT_EQ(_inp(kt650::kCrtcIndex), 0xFF);
  sim::PowerOff();
}

}  // namespace
