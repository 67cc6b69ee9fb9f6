#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/interrupt_types.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace rg7;

// Registers that serve as examples of the access mechanism and have no name
// elsewhere: the VBI control byte holds VXP_VBI_ODD_FIELD_START in bit 0, and
// VXP_VBI_LINE_SEL spreads over the line-select byte and the two after it.
constexpr std::uint32_t kVbiControl = 112;
constexpr std::uint32_t kVbiLineSelect = 114;
constexpr std::uint32_t kLastDwordRegister = kFirstByteRegister - 1;

class RegisterFieldTest : public rg7_testing::Rg7Test {
 protected:
  void SetUp() override {
    Rg7Test::SetUp();
    machine_ = &Boot();
    ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 1);
    ASSERT_EQ(SelectBoardNode(0), 0);
    board_ = &machine_->rg700(0);
  }
  sim::Machine* machine_ = nullptr;
  sim::Rg700Board* board_ = nullptr;
};

TEST(RegisterFieldTable, EveryEntryMatchesItsIndexAndStaysInsideItsRegister) {
  const RegisterFieldTable& t = kRegisterFieldTable;
  ASSERT_EQ(t.count, 228u);
  std::set<std::string> names;
  std::set<std::uint32_t> empty;
  for (std::uint32_t i = 0; i < t.count; ++i) {
    const RegisterField& f = t.entries[i];
    EXPECT_EQ(f.index, i);
    EXPECT_EQ(f.kind, 2u);
    if (f.part_count == 0) {
      EXPECT_EQ(f.name, nullptr);
      empty.insert(i);
      continue;
    }
    ASSERT_NE(f.name, nullptr);
    EXPECT_EQ(std::strncmp(f.name, "VXP_", 4), 0) << f.name;
    EXPECT_TRUE(names.insert(f.name).second) << "duplicate " << f.name;
    for (std::uint32_t p = 0; p < f.part_count; ++p) {
      const RegisterFieldPart& part = f.parts[p];
      EXPECT_EQ(part.width, part.register_index < kFirstByteRegister ? 4u : 1u) << f.name;
      if (part.width == 1) {
        EXPECT_EQ(part.mask & ~0xFFu, 0u) << f.name;
      }
      EXPECT_EQ(part.mask >> part.register_shift & 1u, 1u) << f.name;
    }
  }
  EXPECT_EQ(empty, (std::set<std::uint32_t>{12, 13, 16, 78, 98}));
  EXPECT_STREQ(t.entries[VXP_VBI_LINE_SEL].name, "VXP_VBI_LINE_SEL");
  EXPECT_STREQ(t.entries[VXP_VPE_CFG_A_CTL].name, "VXP_VPE_CFG_A_CTL");
}

TEST_F(RegisterFieldTest, FieldAccessBeforeTheTableIsLoadedDoesNothing) {
  IHW_SetRegister(kVbiControl, 0xFF);
  board_->ClearRegisterWrites();
  EXPECT_EQ(IHW_SetField(VXP_VBI_LINE_SEL, 0x123456), 0u);
  EXPECT_TRUE(board_->RegisterWrites().empty());
  EXPECT_EQ(IHW_GetField(VXP_VBI_ODD_FIELD_START), 0u);
  EXPECT_EQ(IHW_GetField(kSetFieldValid), 0u);  // reports the flag, then sets it
  EXPECT_EQ(IHW_GetField(kSetFieldValid), 1u);
  EXPECT_EQ(IHW_GetFieldTable()->table, nullptr);

  EXPECT_EQ(IHW_SetField(kLoadFieldTable, 12345), 1u);
  EXPECT_EQ(IHW_GetFieldTable()->count, 228u);
  EXPECT_EQ(IHW_GetFieldTable()->table, kRegisterFieldTable.entries);
  EXPECT_EQ(IHW_GetField(VXP_VBI_ODD_FIELD_START), 1u);
  EXPECT_EQ(IHW_SetField(0x80000005u, 1), 0u);
}

TEST_F(RegisterFieldTest, AFieldOverSeveralRegistersIsSplitLowBitsFirst) {
  IHW_SetField(kLoadFieldTable, 0);
  IHW_SetField(VXP_VBI_LINE_SEL, 0xAB123456);
  EXPECT_EQ(board_->Register(kVbiLineSelect), 0x56u);
  EXPECT_EQ(board_->Register(kVbiLineSelect + 1), 0x34u);
  EXPECT_EQ(board_->Register(kVbiLineSelect + 2), 0x12u);
  EXPECT_EQ(IHW_GetField(VXP_VBI_LINE_SEL), 0x123456u);
  EXPECT_EQ(LastFieldPartCount(), 3u);
  auto writes = board_->RegisterWrites();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].index, kVbiLineSelect);
  EXPECT_EQ(writes[2].index, kVbiLineSelect + 2);

  // The scaler control: low part shifted into bits 1-7, the rest from value bit 7.
  IHW_SetRegister(reg::kHorizontalFilter, 0x01);
  IHW_SetField(VXP_HSCALE_CTL, 0x1FFF);
  EXPECT_EQ(board_->Register(sim::rg700::kHorizontalScaleFraction), 0xFFu);
  EXPECT_EQ(board_->Register(sim::rg700::kHorizontalScale), sim::rg700::kScaleWholeMask);
  EXPECT_EQ(IHW_GetField(VXP_HSCALE_CTL), 0x1FFFu);
}

TEST_F(RegisterFieldTest, WritesChangeOnlyTheFieldsBits) {
  IHW_SetField(kLoadFieldTable, 0);
  constexpr std::uint32_t kDisplayMode = sim::rg700::kDisplayModeMask << sim::rg700::kDisplayModeShift;
  IHW_SetRegister(reg::kOutputConfig, 0xFF);
  IHW_SetField(VXP_OUT_CFG_DISP_MODE, 0xFFFFFF00);  // wider than the field
  EXPECT_EQ(board_->Register(sim::rg700::kOutputConfig), 0xFFu & ~kDisplayMode);
  IHW_SetField(VXP_OUT_CFG_DISP_MODE, 2);
  EXPECT_EQ(board_->Register(sim::rg700::kOutputConfig),
            (0xFFu & ~kDisplayMode) | (2u << sim::rg700::kDisplayModeShift));
  EXPECT_EQ(IHW_GetField(VXP_OUT_CFG_DISP_MODE), 2u);

  IHW_SetRegister(reg::kDmaControl, 0xFFFFFFFF);
  IHW_SetField(VXP_PCI_DMA_VID_LOAD, 0);
  EXPECT_EQ(board_->Register(sim::rg700::kDmaControl), ~sim::rg700::kVideoLoad);
}

TEST_F(RegisterFieldTest, EmptyAndOutOfRangeEntriesAreInvalid) {
  IHW_SetField(kLoadFieldTable, 0);
  for (std::uint32_t index : {12u, 13u, 16u, 78u, 98u, 228u, 5000u}) {
    board_->ClearRegisterWrites();
    IHW_GetField(VXP_PCI_SYS_MEM_PAGE);
    EXPECT_EQ(IHW_GetField(kLoadFieldTable), 1u);  // read, a special index reports the valid flag
    EXPECT_EQ(IHW_GetField(index), 0u) << index;
    EXPECT_EQ(IHW_GetField(kLoadFieldTable), 0u) << index;
    EXPECT_EQ(IHW_SetField(index, 0xFFFFFFFF), 0u);
    EXPECT_TRUE(board_->RegisterWrites().empty()) << index;
  }
}

TEST_F(RegisterFieldTest, DwordRegistersEndAt24AndByteRegistersKeepEightBits) {
  EXPECT_EQ(IHW_SetRegister(kLastDwordRegister, 0x12345678), 1u);
  EXPECT_EQ(IHW_GetRegister(kLastDwordRegister), 0x12345678u);
  IHW_SetRegister(kFirstByteRegister, 0x12345678);
  EXPECT_EQ(IHW_GetRegister(kFirstByteRegister), 0x78u);
  EXPECT_EQ(board_->Register(kFirstByteRegister), 0x78u);
  auto writes = board_->RegisterWrites();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].width, 4u);
  EXPECT_EQ(writes[1].width, 1u);
}

TEST_F(RegisterFieldTest, IndicesOutsideTheWindowReadZeroAndWriteNothing) {
  board_->ClearRegisterWrites();
  for (std::uint32_t index : {kRegisterWindowSize / 4, 0x40000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(IHW_SetRegister(index, 0xFF), 1u);
    EXPECT_EQ(IHW_GetRegister(index), 0u);
  }
  EXPECT_TRUE(board_->RegisterWrites().empty());
  // The last register inside the window is reachable (it holds nothing on this board).
  IHW_SetRegister(kRegisterWindowSize / 4 - 1, 0xFF);
  EXPECT_EQ(board_->RegisterWrites().size(), 1u);
}

TEST_F(RegisterFieldTest, WithoutAWindowRegistersReadZero) {
  FreeBoardNodes();
  board_->ClearRegisterWrites();
  IHW_SetField(kLoadFieldTable, 0);
  IHW_SetRegister(reg::kInterruptMask, irq::kDmaDone | irq::kFields);
  IHW_SetField(VXP_GIO_CTL_A, 0x83);
  EXPECT_EQ(IHW_GetRegister(reg::kInterruptMask), 0u);
  EXPECT_EQ(IHW_GetField(VXP_GIO_CTL_A), 0u);
  EXPECT_TRUE(board_->RegisterWrites().empty());
}

}  // namespace
