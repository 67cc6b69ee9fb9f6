#include <gtest/gtest.h>

#include <utility>

#include "sim/register_table.h"

namespace {

// Records what the table hands it, keeps what it is given with bit 0 forced on,
// reads back with bit 31 set, and raises one interrupt per write.
class RecordingHook : public sim::RegisterHook {
 public:
  std::uint32_t OnRead(std::uint32_t, std::uint32_t stored) override { return stored | 0x80000000u; }
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override {
    last_index = index;
    last_old = old;
    last_written = written;
    raised = 0x4;
    return written | 1;
  }
  std::uint32_t TakeRaisedInterrupts() override { return std::exchange(raised, 0); }

  std::uint32_t last_index = 0;
  std::uint32_t last_old = 0;
  std::uint32_t last_written = 0;
  std::uint32_t raised = 0;
};

unsigned DwordsThenBytes(std::uint32_t index) { return index < 4 ? 4 : 1; }

TEST(RegisterTable, TheTableShapesHostWritesAndTheHookSeesTheResult) {
  RecordingHook hook;
  sim::RegisterFile file(8, DwordsThenBytes,
                         {{"CONTROL", 0, 0x00F0, 0xFF00, 0, nullptr},
                          {"STATUS", 1, 0x0303, 0x0100, 0x01FF, nullptr},
                          {"HOOKED", 2, 0, 0, 0, &hook},
                          {"SMALL", 5, 0x1234, 0, 0, nullptr}});
  EXPECT_EQ(file.Get(0), 0x00F0u);
  EXPECT_EQ(file.Get(5), 0x34u);  // a reset value beyond the width is cut
  EXPECT_EQ(file.Get(3), 0u);
  ASSERT_NE(file.Find(1), nullptr);
  EXPECT_STREQ(file.Find(1)->name, "STATUS");
  EXPECT_EQ(file.Find(3), nullptr);

  // Read-only bits keep their value; the rest take the write.
  file.Write(0, 0xABCD, 0xFFFF);
  EXPECT_EQ(file.Get(0), 0x00CDu);

  // Write 1 to clear, within the bytes written only; read-only wins over it.
  file.Write(1, 0x0101, 0xFFFF);
  EXPECT_EQ(file.Get(1), 0x0102u);
  file.Set(1, 0x0303);
  file.Write(1, 0xFF00, 0xFF00);  // the low byte is not written: its bits stay
  EXPECT_EQ(file.Get(1), 0xFF03u);

  // The hook sees the merged value, decides what is kept, and raises.
  file.Set(2, 0x11223344);
  EXPECT_EQ(file.Write(2, 0x0000AA00, 0x0000FF00), 0x4u);
  EXPECT_EQ(hook.last_index, 2u);
  EXPECT_EQ(hook.last_old, 0x11223344u);
  EXPECT_EQ(hook.last_written, 0x1122AA44u);
  EXPECT_EQ(file.Get(2), 0x1122AA45u);
  EXPECT_EQ(file.Read(2), 0x9122AA45u);
  EXPECT_EQ(file.Write(3, 7, 0xFFFFFFFF), 0u);

  // A register outside the table keeps what is written, up to its width.
  file.Write(6, 0xABCD, 0xFFFF);
  EXPECT_EQ(file.Get(6), 0xCDu);
  EXPECT_EQ(file.Read(6), 0xCDu);
  file.Set(7, 0x1FF);
  EXPECT_EQ(file.Get(7), 0xFFu);
  EXPECT_EQ(file.Get(8), 0u);
}

}  // namespace
