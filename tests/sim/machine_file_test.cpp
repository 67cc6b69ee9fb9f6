#include "sim/machine_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sim/power_on_by_itself.h"
#include "tests/support/windows_directory.h"

namespace {

using sim::MachineDescription;

MachineDescription Parse(const std::string& text) {
  MachineDescription m;
  std::string error;
  EXPECT_TRUE(sim::ParseMachineDescription(text, &m, &error)) << error;
  return m;
}

// The error for a text that must not parse; the description stays as it was.
std::string ErrorOf(const std::string& text) {
  MachineDescription m = MachineDescription::Default();
  std::string error;
  EXPECT_FALSE(sim::ParseMachineDescription(text, &m, &error)) << text;
  EXPECT_EQ(m.rg700_boards.size(), 1u);
  return error;
}

TEST(MachineFile, EveryPartOfTheMachineIsDescribed) {
  MachineDescription m = Parse(R"(
[Display]
width=800
height = 600
bits_per_pixel=32
rgb565=0
memory_bytes=0x400000
physical_base=0xC0000000
pitch_alignment=64
overlay=0
dest_overlay_key=0
src_overlay_key=0
blt_stretch=0
max_visible_overlays=2
align_boundary_dest=4
align_size_dest=8
align_size_src=2
min_overlay_stretch=1000
max_overlay_stretch=2000
fourcc_codes=UYVY, YV12

[video port]
present=0
id=3
caps=0x41
port_width=16
max_width=768
max_height=288
connections={54F39980-DA60-11CF-9B06-00A0C903A3B8},{0A2B3C4D-0001-0002-0304-05060708090a}
refuse_flipping_target=1

[bridge 0]
vendor=0x8086
device=0x7190
revision=3
bus=0
device_number=0
registers=0x51:0x80, 0x57:1

[bridge 1]
vendor=0x5333
device=0x8811
class_code=0x030000
device_number=9

[rg700 0]
bus=1
device_number=31
subsystem_vendor=0x1234
subsystem_id=0x0041
interrupt_line=5
command=6
bar0=0xE8000000
bt829a=0
vpc32x5c=1
input0=none
input1=PAL
input3=ntsc
running=0
field_period_us=2000
lockstep=1

[drivers]
rg7drive=0
RG700W95=1
)");
  EXPECT_EQ(m.display.width, 800u);
  EXPECT_EQ(m.display.height, 600u);
  EXPECT_EQ(m.display.bits_per_pixel, 32u);
  EXPECT_FALSE(m.display.rgb565);
  EXPECT_EQ(m.display.memory_bytes, 0x400000u);
  EXPECT_EQ(m.display.physical_base, 0xC0000000u);
  EXPECT_EQ(m.display.pitch_alignment, 64u);
  EXPECT_FALSE(m.display.overlay || m.display.dest_overlay_key || m.display.src_overlay_key || m.display.blt_stretch);
  EXPECT_EQ(m.display.max_visible_overlays, 2u);
  EXPECT_EQ(m.display.align_boundary_dest, 4u);
  EXPECT_EQ(m.display.align_size_dest, 8u);
  EXPECT_EQ(m.display.align_size_src, 2u);
  EXPECT_EQ(m.display.min_overlay_stretch, 1000u);
  EXPECT_EQ(m.display.max_overlay_stretch, 2000u);
  EXPECT_EQ(m.display.fourcc_codes,
            (std::vector<DWORD>{MakeFourCC('U', 'Y', 'V', 'Y'), MakeFourCC('Y', 'V', '1', '2')}));

  const sim::VideoPortDesc& port = m.display.video_port;
  EXPECT_FALSE(port.present);
  EXPECT_EQ(port.video_port_id, 3u);
  EXPECT_EQ(port.caps, 0x41u);
  EXPECT_EQ(port.port_width, 16u);
  EXPECT_EQ(port.max_width, 768u);
  EXPECT_EQ(port.max_height, 288u);
  ASSERT_EQ(port.connections.size(), 2u);
  EXPECT_EQ(port.connections[0].Data1, 0x54F39980u);
  EXPECT_EQ(port.connections[1].Data2, 0x0001);
  EXPECT_EQ(port.connections[1].Data3, 0x0002);
  EXPECT_EQ(port.connections[1].Data4[0], 0x03);
  EXPECT_EQ(port.connections[1].Data4[7], 0x0A);
  EXPECT_TRUE(port.refuse_flipping_target);

  ASSERT_EQ(m.host_bridges.size(), 2u);
  EXPECT_EQ(m.host_bridges[0].device, 0x7190);
  EXPECT_EQ(m.host_bridges[0].revision, 3);
  EXPECT_EQ(m.host_bridges[0].registers, (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{0x51, 0x80}, {0x57, 1}}));
  EXPECT_EQ(m.host_bridges[1].vendor, 0x5333);
  EXPECT_EQ(m.host_bridges[1].class_code, 0x030000u);
  EXPECT_EQ(m.host_bridges[1].device_number, 9);

  ASSERT_EQ(m.rg700_boards.size(), 1u);
  const sim::Rg700Desc& b = m.rg700_boards[0];
  EXPECT_EQ(b.bus, 1);
  EXPECT_EQ(b.device_number, 31);
  EXPECT_EQ(b.subsystem_vendor, 0x1234);
  EXPECT_EQ(b.subsystem_id, 0x0041);
  EXPECT_EQ(b.interrupt_line, 5);
  EXPECT_EQ(b.command, 6);
  EXPECT_EQ(b.bar0, 0xE8000000u);
  EXPECT_FALSE(b.has_bt829a);
  EXPECT_TRUE(b.has_vpc32x5c);
  EXPECT_FALSE(b.inputs[0].present);
  EXPECT_TRUE(b.inputs[1].present);
  EXPECT_EQ(b.inputs[1].standard, 1);
  EXPECT_FALSE(b.inputs[2].present);
  EXPECT_TRUE(b.inputs[3].present);
  EXPECT_EQ(b.inputs[3].standard, 0);
  EXPECT_FALSE(b.timing.running);
  EXPECT_EQ(b.timing.field_period_us, 2000u);
  EXPECT_TRUE(b.timing.lockstep);

  EXPECT_FALSE(m.rg7_nt_driver);
  EXPECT_TRUE(m.rg7_w95_vxd);
}

TEST(MachineFile, WhatTheFileLeavesOutKeepsItsDefault) {
  MachineDescription empty = Parse("; nothing but a comment\n");
  EXPECT_TRUE(empty.host_bridges.empty());
  EXPECT_TRUE(empty.rg700_boards.empty());
  EXPECT_TRUE(empty.kt650_boards.empty());
  EXPECT_TRUE(empty.pci_bios && empty.kt6_nt_driver && empty.kt6_w95_vxd);
  EXPECT_EQ(empty.display.width, sim::DisplayDesc{}.width);
  EXPECT_TRUE(empty.display.video_port.present);
  EXPECT_TRUE(empty.rg7_nt_driver && empty.rg7_w95_vxd);

  MachineDescription boards = Parse("[rg700 0]\n[rg700 1]\ninput0=pal\n[rg700 2]\n");
  ASSERT_EQ(boards.rg700_boards.size(), 3u);
  EXPECT_EQ(boards.rg700_boards[0].device_number, sim::Rg700Desc{}.device_number);
  EXPECT_EQ(boards.rg700_boards[1].inputs[0].standard, 1);
  EXPECT_TRUE(boards.rg700_boards[2].has_bt829a);
  // Empty lists are lists.
  EXPECT_TRUE(Parse("[display]\nfourcc_codes=\n").display.fourcc_codes.empty());
}

TEST(MachineFile, CountsAreBoundedAndNumberedWithoutGaps) {
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += "[bridge " + std::to_string(i) + "]\n";
  EXPECT_EQ(Parse(eight).host_bridges.size(), 8u);
  EXPECT_EQ(ErrorOf(eight + "[bridge 8]\n"), "unknown section [bridge 8]");
  EXPECT_EQ(ErrorOf("[rg700 3]\n"), "unknown section [rg700 3]");
  EXPECT_NE(ErrorOf("[rg700 1]\n").find("without gaps"), std::string::npos);
  EXPECT_NE(ErrorOf("[bridge 0]\n[bridge 2]\n").find("without gaps"), std::string::npos);
  for (const char* section : {"[rg700]", "[rg7000]", "[rg700 x]", "[bridge -1]", "[rg700 001]", "[monitor]"})
    EXPECT_NE(ErrorOf(std::string(section) + "\n").find("unknown section"), std::string::npos) << section;
}

TEST(MachineFile, ValuesAreStrict) {
  EXPECT_EQ(ErrorOf("[display]\ndepth=16\n"), "[display] unknown key depth");
  EXPECT_EQ(ErrorOf("[rg700 0]\ninterrupt_line=256\n"), "[rg700 0] interrupt_line: bad value \"256\"");
  for (const char* line : {"interrupt_line=", "interrupt_line=-1", "interrupt_line=1a", "interrupt_line=0x",
                           "interrupt_line=1 1", "bar0=0x100000000", "bar0=99999999999999999999999", "device_number=32",
                           "bt829a=2", "bt829a=yes", "input0=secam", "input4=ntsc"})
    EXPECT_FALSE(ErrorOf(std::string("[rg700 0]\n") + line + "\n").empty()) << line;
  for (const char* line :
       {"bits_per_pixel=15", "width=0", "height=4097", "fourcc_codes=YUY", "memory_bytes=1", "pitch_alignment=3",
        "memory_bytes=0x400001", "physical_base=0xFFFFF000", "width=4096\nheight=4096"})
    EXPECT_FALSE(ErrorOf(std::string("[display]\n") + line + "\n").empty()) << line;
  for (const char* line :
       {"connections={54F39980-DA60-11CF-9B06-00A0C903A3B}", "connections=54F39980",
        "connections={54F39980+DA60-11CF-9B06-00A0C903A3B8}", "connections={54F39980-DA60-11CF-9B06-00A0C903A3BZ}"})
    EXPECT_FALSE(ErrorOf(std::string("[video port]\n") + line + "\n").empty()) << line;
  for (const char* line : {"registers=0x3F:1", "registers=0x40", "registers=0x40:0x100", "class_code=0x1000000"})
    EXPECT_FALSE(ErrorOf(std::string("[bridge 0]\n") + line + "\n").empty()) << line;
  EXPECT_FALSE(ErrorOf("[drivers]\nRG700NT=1\n").empty());
  EXPECT_FALSE(ErrorOf("[bios]\npci=2\n").empty());
}

TEST(MachineFile, Kt650BoardsBiosAndTheirDriver) {
  MachineDescription m = Parse(R"(
[kt650 0]
bus=1
device_number=20
chip=0x8A01
type=2
revision=4
board_code=0x31
sub_revision=5
chip_revision=0x22
memory_bytes=0x200000
monitor=none
interrupt_line=7
frame_buffer_base=0x8C000000
input0=none
input2=PAL
decoder_input5=ntsc
front_end_input2=none
camera_interface_input7=pal
refresh_hz=1000
running=0
field_period_us=3000
lockstep=1

[kt650 1]
register_base=0xE8080000
frame_buffer_base=0xC0000000
memory_bytes=0x1000000

[bios]
pci=0

[drivers]
kt6drive=0
KT6VXD95=0
)");
  ASSERT_EQ(m.kt650_boards.size(), 2u);
  const sim::Kt650Desc& b = m.kt650_boards[0];
  EXPECT_EQ(b.bus, 1);
  EXPECT_EQ(b.device_number, 20);
  EXPECT_EQ(b.chip, sim::kt650::kChip8A01);
  EXPECT_EQ(b.type, 2);
  EXPECT_EQ(b.revision, 4);
  EXPECT_EQ(b.board_code, 0x31);
  EXPECT_EQ(b.sub_revision, 5);
  EXPECT_EQ(b.chip_revision, 0x22);
  EXPECT_EQ(b.memory_bytes, 0x200000u);
  EXPECT_EQ(b.monitor, -1);
  EXPECT_EQ(b.interrupt_line, 7);
  EXPECT_EQ(b.frame_buffer_base, 0x8C000000u);
  // inputN reaches every device with that input, a device's own key one device,
  // in the order the section gives them.
  const sim::Kt650Cameras& c = b.cameras;
  EXPECT_FALSE(c.decoder[0].present || c.front_end[0].present || c.camera_interface[0].present);
  EXPECT_EQ(c.decoder[2].standard + c.camera_interface[2].standard, 2);
  EXPECT_TRUE(c.decoder[2].present && c.camera_interface[2].present && !c.front_end[2].present);
  EXPECT_TRUE(c.decoder[5].present && c.camera_interface[7].present && c.camera_interface[7].standard == 1);
  EXPECT_FALSE(c.camera_interface[5].present || c.decoder[7].present);
  EXPECT_EQ(b.refresh_hz, 1000u);
  EXPECT_FALSE(b.timing.running);
  EXPECT_EQ(b.timing.field_period_us, 3000u);
  EXPECT_TRUE(b.timing.lockstep);
  const sim::Kt650Desc& monitor = m.kt650_boards[1];
  EXPECT_TRUE(monitor.cameras.front_end[0].present);  // the default
  EXPECT_EQ(monitor.chip, sim::kt650::kChip8A22);
  EXPECT_EQ(monitor.monitor, 0);
  EXPECT_EQ(monitor.register_base, 0xE8080000u);
  EXPECT_FALSE(m.pci_bios);
  EXPECT_FALSE(m.kt6_nt_driver || m.kt6_w95_vxd);

  // The desktop must fit the memory of the board on the monitor, not the display's own.
  const std::string small =
      "[display]\nmemory_bytes=0x1000000\n[kt650 0]\nmemory_bytes=0x100000\nchip=0x5631\ntype=0\n";
  EXPECT_EQ(ErrorOf(small), "[display] the desktop does not fit the display memory");
  EXPECT_EQ(Parse(small + "monitor=none\n").kt650_boards[0].memory_bytes, 0x100000u);
}

TEST(MachineFile, Kt650ValuesMustFitTheChipAndTheMachine) {
  for (const char* lines :
       {"chip=0x8A23", "chip=0x5631", "chip=0x8A01\ntype=3", "type=6", "type=2", "memory_bytes=0x300000",
        "chip=0x5631\ntype=0\nmemory_bytes=0x800000", "monitor=1", "monitor=-1", "refresh_hz=0", "refresh_hz=1001",
        "chip=0x8A01\ntype=1\nregister_base=0xE8000000", "register_base=0xE8001000", "frame_buffer_base=0xC0800000",
        "chip=0x8A01\ntype=1\nframe_buffer_base=0xD1000000", "input4=ntsc", "device_number=32"})
    EXPECT_FALSE(ErrorOf(std::string("[kt650 0]\n") + lines + "\n").empty()) << lines;
  // Camera keys exist for the inputs a device has.
  for (const char* line : {"input8=ntsc", "decoder_input6=ntsc", "front_end_input5=ntsc", "camera_interface_input5=pal",
                           "camera_interface_input0=secam"})
    EXPECT_FALSE(ErrorOf(std::string("[kt650 0]\n") + line + "\n").empty()) << line;
  // The monitor's board takes the display's base, which must then suit its BAR.
  EXPECT_FALSE(ErrorOf("[display]\nphysical_base=0xC0100000\n[kt650 0]\n").empty());
  EXPECT_NE(ErrorOf("[kt650 0]\n[kt650 1]\n").find("monitor"), std::string::npos);
  EXPECT_EQ(Parse("[kt650 0]\n[kt650 1]\nmonitor=none\ndevice_number=1\n[kt650 4]\nmonitor=none\ndevice_number=4\n"
                  "[kt650 2]\nmonitor=none\ndevice_number=2\n[kt650 3]\nmonitor=none\ndevice_number=3\n")
                .kt650_boards.size(),
            5u);
  EXPECT_NE(ErrorOf("[kt650 0]\n[kt650 1]\nmonitor=none\n").find("slot"), std::string::npos);
  EXPECT_EQ(ErrorOf("[kt650 5]\n"), "unknown section [kt650 5]");
  EXPECT_NE(ErrorOf("[kt650 1]\nmonitor=none\n").find("without gaps"), std::string::npos);
}

// The description a process finds when nothing powered it on.
class PowerOnDescription : public ::testing::Test {
 protected:
  void TearDown() override { ::unsetenv("VPC_MACHINE"); }
  testing_support::ScopedWindowsDirectory windows_;
};

TEST_F(PowerOnDescription, TheNamedFileComesFirstThenMachineIniThenTheDefault) {
  ::unsetenv("VPC_MACHINE");
  EXPECT_EQ(sim::DescriptionForPowerOn().rg700_boards.size(), 1u);

  windows_.Write("MACHINE.INI", "[rg700 0]\n[rg700 1]\ndevice_number=14\n");
  EXPECT_EQ(sim::DescriptionForPowerOn().rg700_boards.size(), 2u);

  windows_.Write("named.ini", "[drivers]\nRG7DRIVE=0\n");
  ::setenv("VPC_MACHINE", windows_.File("named.ini").c_str(), 1);
  MachineDescription named = sim::DescriptionForPowerOn();
  EXPECT_TRUE(named.rg700_boards.empty());
  EXPECT_FALSE(named.rg7_nt_driver);
}

TEST_F(PowerOnDescription, AFileThatDoesNotParseOrReadGivesTheDefault) {
  windows_.Write("bad.ini", "[rg700 0]\ncolour=blue\n");
  // A machine that would parse, but in a file too large to be one.
  windows_.Write("huge.ini", "[drivers]\nRG7DRIVE=0\n" + std::string(1u << 20, '\n'));
  for (std::string path :
       {windows_.File("bad.ini"), windows_.File("missing.ini"), windows_.File("huge.ini"), windows_.File("")}) {
    ::setenv("VPC_MACHINE", path.c_str(), 1);
    MachineDescription m = sim::DescriptionForPowerOn();
    EXPECT_EQ(m.rg700_boards.size(), 1u);
    EXPECT_EQ(m.host_bridges.size(), 1u);
  }
}

}  // namespace
