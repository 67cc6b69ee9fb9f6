// The board's two windows as the library maps them on each chip, and the register
// accessors and indexed-register exports that reach the chip through them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/register_access.h"
#include "sim/kt650/kt6_w95_vxd.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::Board;
using kt6_testing::MachineWith;

std::uint32_t Linear(const void* host) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host)); }

class BoardMemory : public kt6_testing::Kt6Test {};

TEST_F(BoardMemory, Chip8A22TakesItsRegistersFromBaseZeroAndItsFrameBufferFromBaseOne) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  auto mappings = sim::CurrentMachine()->kt6_w95_vxd().Mappings();
  ASSERT_EQ(mappings.size(), 1u);
  const sim::Kt6MapRecord& r = mappings[0];
  sim::Kt650Window fb = board.FrameBufferAperture();
  sim::Kt650Window regs = board.RegisterWindow();
  EXPECT_EQ(r.frame_buffer_physical, fb.physical);
  EXPECT_EQ(r.frame_buffer_physical & 0xF, 0u);  // the flag bits are not part of the address
  EXPECT_EQ(board.ConfigDword(0x14) & 0xF, 0x8u);
  EXPECT_EQ(r.frame_buffer_size, 0x1000000u);
  EXPECT_EQ(r.registers_physical, regs.physical);
  EXPECT_EQ(r.registers_size, 0x80000u);
  EXPECT_EQ(r.frame_buffer_linear, Linear(board.frame_buffer().base()));
  EXPECT_EQ(r.registers_linear, Linear(regs.host));
  EXPECT_EQ(kt6::KT6GetFrameBufferAddress(0, 0x0E), r.frame_buffer_linear);
  EXPECT_EQ(kt6::FrameBufferPhysicalBase(), fb.physical);
  EXPECT_EQ(kt6::RegisterWindowBase(), r.registers_linear);
  // An 8 MB board's frame buffer is mapped as 16 MB: its last byte is memory too.
  auto* last = reinterpret_cast<volatile std::uint8_t*>(std::uintptr_t{r.frame_buffer_linear} + 0xFFFFFF);
  *last = 0x5A;
  EXPECT_EQ(*last, 0x5A);
}

TEST_F(BoardMemory, TheOlderChipsDecodeTheRegistersSixteenMegabytesAboveTheFrameBuffer) {
  for (std::uint16_t chip : {sim::kt650::kChip5631, sim::kt650::kChip8A01}) {
    sim::Kt650Board& board = BootMapped(chip);
    auto mappings = sim::CurrentMachine()->kt6_w95_vxd().Mappings();
    ASSERT_EQ(mappings.size(), 1u);
    std::uint32_t bar0 = board.ConfigDword(0x10);
    EXPECT_EQ(mappings[0].frame_buffer_physical, bar0) << chip;
    EXPECT_EQ(mappings[0].frame_buffer_size, 0x400000u);
    EXPECT_EQ(mappings[0].registers_physical, bar0 + 0x1000000);
    EXPECT_EQ(mappings[0].registers_size, 0x10000u);
    EXPECT_EQ(mappings[0].registers_linear, Linear(board.RegisterWindow().host));
    ShutDown();
  }
}

TEST_F(BoardMemory, TheExportedAccessorsReachTheChipBlockWhateverBitFifteenSays) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  board.SetRegister(0x8184, 0x00FF00FF);
  EXPECT_EQ(KT6MemoryMappedIORead(0x8184), 0x00FF00FFu);
  EXPECT_EQ(KT6MemoryMappedIORead(0x0184), 0x00FF00FFu);
  EXPECT_EQ(KT6MemoryMappedIORead(0x18184), 0x00FF00FFu);  // only the low 16 bits count
  board.ClearRegisterWrites();
  EXPECT_EQ(KT6MemoryMappedIOWrite(0x7F34, 0x13), 0x13u);
  auto writes = board.RegisterWrites();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].path, sim::Kt650AccessPath::kMmio);
  EXPECT_EQ(writes[0].offset, 0xFF34u);
  EXPECT_EQ(writes[0].width, 4u);
  EXPECT_EQ(board.Register(0xFF34), 0x13u);
  // The raw pair reaches the rest of the window.
  kt6::KT6MMIOWrite32Raw(0x10000, 0xCAFE);
  EXPECT_EQ(board.Register(0x10000), 0xCAFEu);
  EXPECT_EQ(kt6::KT6MMIORead32Raw(0x10000), 0xCAFEu);
}

TEST_F(BoardMemory, IndexedRegistersGoThroughTheWindowsVgaPorts) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  board.ClearRegisterWrites();
  KT6ProgramIOWrite(0x3C4, 0x0D, 0x01);
  EXPECT_EQ(board.Sequencer(0x0D), 0x01);
  auto writes = board.RegisterWrites();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].offset, 0x83C4u);
  EXPECT_EQ(writes[0].value, 0x0Du);
  EXPECT_EQ(writes[1].offset, 0x83C5u);
  EXPECT_EQ(writes[1].path, sim::Kt650AccessPath::kMmio);
  KT6ProgramIOWrite(0x3D4, 0x5C, 0x03);
  EXPECT_EQ(board.Crtc(0x5C), 0x03);
  // The board id's first byte: board type 3 is 0 in the nibble on this chip.
  board.SetCrtc(0x40, 0x51);
  EXPECT_EQ(KT6ProgramIORead(0x3D4, 0x40), 0x51);
  EXPECT_EQ(KT6ProgramIORead(0x3D4, 0x83), board.board_id() & 0xFF);
  EXPECT_EQ(KT6ProgramIORead(0x3D4, 0x82), board.board_id() >> 24);
}

TEST_F(BoardMemory, TwoThreadsNeverMoveEachOthersIndex) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  std::atomic<int> mismatches{0};
  auto worker = [&](std::uint8_t index) {
    for (int i = 0; i < 2000; ++i) {
      auto value = static_cast<std::uint8_t>(i * 7 + index);
      KT6ProgramIOWrite(0x3D4, index, value);
      if (KT6ProgramIORead(0x3D4, index) != value) ++mismatches;
    }
  };
  std::thread a(worker, 0x50), b(worker, 0x51);
  a.join();
  b.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(board.Crtc(0x50), static_cast<std::uint8_t>(1999 * 7 + 0x50));
  EXPECT_EQ(board.Crtc(0x51), static_cast<std::uint8_t>(1999 * 7 + 0x51));
}

TEST_F(BoardMemory, WithoutAWindowOrPastItsEndAnAccessReachesNothing) {
  sim::Machine& m = Boot(MachineWith(Board(sim::kt650::kChip8A01)));
  sim::Kt650Board& board = m.kt650(0);
  board.SetRegister(0x8184, 0x1234);
  EXPECT_EQ(KT6MemoryMappedIORead(0x8184), 0u);
  KT6MemoryMappedIOWrite(0x8184, 0x99);
  KT6ProgramIOWrite(0x3D4, 0x40, 1);
  EXPECT_EQ(KT6ProgramIORead(0x3D4, 0x40), 0);
  EXPECT_TRUE(board.RegisterWrites().empty());

  kt6::g_state.chip_id = sim::kt650::kChip8A01;
  ASSERT_EQ(kt6::KT6MapBoardMemory(0, 0x0E), 0);
  board.SetRegister(0xFFFC, 0xA5A5A5A5);
  EXPECT_EQ(KT6MemoryMappedIORead(0xFFFC), 0xA5A5A5A5u);  // the last dword of a 64 KB window
  EXPECT_EQ(KT6MemoryMappedIORead(0xFFFE), 0u);           // would run past it
  EXPECT_EQ(kt6::KT6MMIORead16(0xFFFE), 0xA5A5u);
  EXPECT_EQ(kt6::KT6MMIORead32Raw(0x48C00), 0u);
  board.ClearRegisterWrites();
  KT6MemoryMappedIOWrite(0xFFFE, 1);
  kt6::KT6MMIOWrite32Raw(0x48C00, 1);
  kt6::KT6MMIOWrite32Raw(0xFFFFFFFE, 1);
  EXPECT_TRUE(board.RegisterWrites().empty());
}

TEST_F(BoardMemory, ARefusedMappingFailsAndLeavesNoWindow) {
  sim::Machine& m = Boot(MachineWith(Board(sim::kt650::kChip8A22)));
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  kt6::g_state.chip_id = sim::kt650::kChip8A22;
  vxd.FailRequest(sim::kt6w95::kMapMemory, 1);
  EXPECT_EQ(kt6::KT6MapBoardMemory(0, 0x0E), KT6_ERR_GENERAL);
  EXPECT_EQ(kt6::RegisterWindowBase(), 0u);
  EXPECT_EQ(KT6MemoryMappedIORead(0x8504), 0u);
  // Windows that no board decodes are refused too: an older chip's layout read
  // from this one puts a 4 MB frame buffer in its 512 KB register window.
  kt6::g_state.chip_id = sim::kt650::kChip8A01;
  EXPECT_EQ(kt6::KT6MapBoardMemory(0, 0x0E), KT6_ERR_GENERAL);
  EXPECT_TRUE(vxd.Mappings().empty());
  kt6::g_state.chip_id = sim::kt650::kChip8A22;
  EXPECT_EQ(kt6::KT6MapBoardMemory(0, 0x0E), 0);
  EXPECT_EQ(KT6MemoryMappedIORead(0x8504) & 0x2000, 0x2000u);
}

TEST_F(BoardMemory, AMappingIsKeptForTheNextOpenAndGivenUpForAnotherBoard) {
  sim::MachineDescription desc = MachineWith(Board(sim::kt650::kChip8A22));
  sim::Kt650Desc second = Board(sim::kt650::kChip8A22, 0x10);
  second.monitor = -1;
  desc.kt650_boards.push_back(second);
  sim::Machine& m = Boot(desc);
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  kt6::g_state.chip_id = sim::kt650::kChip8A22;
  ASSERT_EQ(kt6::KT6MapBoardMemory(0, 0x0E), 0);
  kt6::KT6DisableMMIO(0);  // the window goes, the mapping stays
  ASSERT_EQ(kt6::KT6MapBoardMemory(0, 0x0E), 0);
  EXPECT_EQ(vxd.CountRequests(sim::kt6w95::kMapMemory), 1u);
  EXPECT_EQ(kt6::RegisterWindowBase(), Linear(m.kt650(0).RegisterWindow().host));
  ASSERT_EQ(kt6::KT6MapBoardMemory(0, 0x10), 0);
  ASSERT_EQ(vxd.Mappings().size(), 1u);
  EXPECT_EQ(vxd.Mappings()[0].registers_linear, Linear(m.kt650(1).RegisterWindow().host));
  EXPECT_EQ(kt6::FrameBufferPhysicalBase(), m.kt650(1).FrameBufferAperture().physical);
  kt6::LibraryDetach();
  attached_ = false;
  EXPECT_TRUE(vxd.Mappings().empty());
}

TEST_F(BoardMemory, DetachReleasesTheMappingBeforeTheVxdGoes) {
  BootMapped(sim::kt650::kChip8A22);
  sim::Kt6W95Vxd& vxd = sim::CurrentMachine()->kt6_w95_vxd();
  sim::Kt6MapRecord mapped = vxd.Mappings().at(0);
  kt6::LibraryDetach();
  attached_ = false;
  EXPECT_TRUE(vxd.Mappings().empty());
  EXPECT_FALSE(vxd.IsOpen());
  EXPECT_EQ(kt6::RegisterWindowBase(), 0u);
  const auto requests = vxd.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().code, sim::kt6w95::kUnmapMemory);
  EXPECT_EQ(requests.back().in_size, sizeof mapped);
  EXPECT_EQ(KT6MemoryMappedIORead(0x8504), 0u);
}

}  // namespace
