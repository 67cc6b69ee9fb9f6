#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "platform/virtual_memory.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/sim/pinned_buffer.h"

namespace {

using sim_test::PinnedBuffer;

constexpr std::uint32_t kPage = 4096;

bool Overlaps(const sim::PhysicalRun& run, std::uint32_t base, std::uint64_t size) {
  return run.address < base + size && base < std::uint64_t{run.address} + run.length;
}

TEST(PhysicalMemory, PinnedPagesGetPhysicalAddressesInTheChosenShape) {
  sim::PhysicalMemory mem;
  PinnedBuffer a(4), b(4), c(8);
  std::vector<sim::PhysicalRun> runs;
  ASSERT_EQ(mem.PageList(a.data + 0x100, 3 * 4096, &runs), sim::PageListResult::kListed);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].address & 0xFFF, 0x100u);
  EXPECT_EQ(runs[0].length, 3u * 4096);

  mem.SetPinShape(sim::PinShape::kPagePerEntry);
  ASSERT_EQ(mem.PageList(b.data, 4 * 4096, &runs), sim::PageListResult::kListed);
  EXPECT_EQ(runs.size(), 4u);

  mem.SetPinShape(sim::PinShape::kPermuted);
  ASSERT_EQ(mem.PageList(c.data, 8 * 4096, &runs), sim::PageListResult::kListed);
  EXPECT_GT(runs.size(), 1u);
  std::uint32_t total = 0;
  for (auto& r : runs) total += r.length;
  EXPECT_EQ(total, 8u * 4096);
  // The same range answers the same way a second time.
  std::vector<sim::PhysicalRun> again;
  ASSERT_EQ(mem.PageList(c.data, 8 * 4096, &again), sim::PageListResult::kListed);
  ASSERT_EQ(again.size(), runs.size());
  EXPECT_EQ(again[0].address, runs[0].address);

  // Translation reaches exactly the pinned bytes, within one page.
  std::uint8_t* host = mem.Translate(runs[0].address + 8, 16);
  EXPECT_EQ(host, c.data + 8);
  EXPECT_EQ(mem.Translate(runs[0].address + 4090, 16), nullptr);
  EXPECT_EQ(mem.Translate(0x1000, 4), nullptr);
}

TEST(PhysicalMemory, UnpinnedMemoryHasNoPageListAndIsNoTarget) {
  sim::PhysicalMemory mem;
  std::vector<sim::PhysicalRun> runs;
  std::uint32_t phys;
  {
    PinnedBuffer a(1);
    ASSERT_EQ(mem.PageList(a.data, 4096, &runs), sim::PageListResult::kListed);
    phys = runs[0].address;
  }
  EXPECT_EQ(mem.Translate(phys, 4), nullptr);
  static std::uint8_t plain[8192];
  EXPECT_EQ(mem.PageList(plain, sizeof plain, &runs), sim::PageListResult::kNotPinned);
}

TEST(PhysicalMemory, DeviceMemoryHasFixedAddresses) {
  sim::PhysicalMemory mem;
  static std::uint8_t vram[0x10000];
  mem.MapDeviceMemory(vram, sizeof vram, 0xF0000000);
  std::vector<sim::PhysicalRun> runs;
  ASSERT_EQ(mem.PageList(vram + 0x1234, 0x5000, &runs), sim::PageListResult::kListed);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].address, 0xF0001234u);
  EXPECT_EQ(mem.Translate(0xF0008000, 0x2000), vram + 0x8000);
  EXPECT_EQ(mem.Translate(0xF000F000, 0x2000), nullptr);
  mem.UnmapDeviceMemory(vram);
  EXPECT_EQ(mem.Translate(0xF0008000, 4), nullptr);
}

TEST(PhysicalMemory, UnpinnedPagesAreReusedAndPinnedOnesStayOutOfDeviceMemory) {
  sim::PhysicalMemory mem;
  // Device memory just above where the first pages are handed out.
  static std::uint8_t vram[0x10000];
  constexpr std::uint32_t kVram = 0x10010000;
  mem.MapDeviceMemory(vram, sizeof vram, kVram);
  // Buffers of eight pages, pinned and unpinned in turn at eight host places, as
  // a library that opens and closes a board many times does.
  PinnedBuffer area(64, false);
  std::set<std::uint32_t> pages;
  std::vector<sim::PhysicalRun> runs;
  for (int cycle = 0; cycle < 256; ++cycle) {
    std::uint8_t* buffer = area.data + (cycle % 8) * 8 * kPage;
    ASSERT_TRUE(VirtualLock(buffer, 8 * kPage));
    ASSERT_EQ(mem.PageList(buffer, 8 * kPage, &runs), sim::PageListResult::kListed);
    for (const sim::PhysicalRun& r : runs) {
      ASSERT_FALSE(Overlaps(r, kVram, sizeof vram)) << "cycle " << cycle;
      for (std::uint32_t a = r.address; a < r.address + r.length; a += kPage) pages.insert(a);
    }
    ASSERT_EQ(mem.Translate(runs[0].address, 4), buffer);
    ASSERT_TRUE(VirtualUnlock(buffer, 8 * kPage));
  }
  // Each buffer got the pages the one before gave back.
  EXPECT_EQ(pages.size(), 8u);
}

TEST(PhysicalMemory, PageListsKeepClearOfTheMachinesDeviceWindows) {
  // The board's register window and the display memory where pinned pages would
  // go first, the board set up before the display.
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.rg700_boards[0].bar0 = 0x10000000;
  d.display.physical_base = 0x10100000;
  sim::Machine& m = sim::PowerOn(d);
  PinnedBuffer a(16), b(16), c(16);
  std::vector<sim::PhysicalRun> runs;
  for (sim::PinShape shape : {sim::PinShape::kContiguous, sim::PinShape::kPagePerEntry, sim::PinShape::kPermuted}) {
    m.physical_memory().SetPinShape(shape);
    for (PinnedBuffer* p : {&a, &b, &c}) {
      ASSERT_EQ(m.physical_memory().PageList(p->data, p->size, &runs), sim::PageListResult::kListed);
      for (const sim::PhysicalRun& r : runs) {
        EXPECT_FALSE(Overlaps(r, d.rg700_boards[0].bar0, sim::rg700::kWindowSize));
        EXPECT_FALSE(Overlaps(r, d.display.physical_base, d.display.memory_bytes));
      }
      EXPECT_EQ(m.physical_memory().Translate(runs[0].address, 4), p->data);
    }
  }
  sim::PowerOff();
}

TEST(PhysicalMemory, APageKeepsItsAddressUntilItsLastLockGoes) {
  sim::PhysicalMemory mem;
  PinnedBuffer a(2);
  ASSERT_TRUE(VirtualLock(a.data, kPage));  // the first page twice
  std::vector<sim::PhysicalRun> runs, again;
  ASSERT_EQ(mem.PageList(a.data, 2 * kPage, &runs), sim::PageListResult::kListed);
  ASSERT_EQ(runs.size(), 1u);
  ASSERT_TRUE(VirtualUnlock(a.data + kPage, kPage));
  EXPECT_EQ(mem.Translate(runs[0].address + kPage, 4), nullptr);
  ASSERT_TRUE(VirtualUnlock(a.data, kPage));
  ASSERT_EQ(mem.PageList(a.data, kPage, &again), sim::PageListResult::kListed);
  EXPECT_EQ(again[0].address, runs[0].address);
  EXPECT_EQ(mem.Translate(runs[0].address, 4), a.data);
  ASSERT_TRUE(VirtualLock(a.data + kPage, kPage));  // as the buffer unpins it
}

TEST(PhysicalMemory, AFullPhysicalSpaceRefusesPageListsAndWindowsOverPinnedPages) {
  sim::PhysicalMemory mem;
  // Windows leave four pages free.
  constexpr std::uint32_t kFree = 0x80000000;
  ASSERT_TRUE(mem.ReserveWindow(0, kFree));
  ASSERT_TRUE(mem.ReserveWindow(kFree + 4 * kPage, 0u - (kFree + 4 * kPage)));
  PinnedBuffer a(5), b(1);
  std::vector<sim::PhysicalRun> runs;
  EXPECT_EQ(mem.PageList(a.data, a.size, &runs), sim::PageListResult::kNoPhysicalPages);
  EXPECT_TRUE(runs.empty());
  // Three pages two apart would need five: they take the free pages as they are.
  mem.SetPinShape(sim::PinShape::kPagePerEntry);
  ASSERT_EQ(mem.PageList(a.data, 3 * kPage, &runs), sim::PageListResult::kListed);
  for (const sim::PhysicalRun& r : runs) {
    EXPECT_GE(r.address, kFree);
    EXPECT_LE(r.address + r.length, kFree + 4 * kPage);
  }
  ASSERT_EQ(mem.PageList(b.data, kPage, &runs), sim::PageListResult::kListed);
  std::uint32_t last = runs[0].address;
  EXPECT_EQ(mem.PageList(a.data + 3 * kPage, kPage, &runs), sim::PageListResult::kNoPhysicalPages);

  // A window over pages already given out is refused; they stay the pinned memory.
  static std::uint8_t vram[kPage];
  EXPECT_FALSE(mem.MapDeviceMemory(vram, sizeof vram, last));
  EXPECT_FALSE(mem.ReserveWindow(kFree, kPage));
  EXPECT_EQ(mem.Translate(last, 4), b.data);
}

}  // namespace
