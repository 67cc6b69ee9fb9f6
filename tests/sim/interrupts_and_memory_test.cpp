#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/sync.h"
#include "platform/virtual_memory.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"

namespace {

using namespace sim::rg700;

struct Pinned {
  explicit Pinned(std::size_t pages) : size(pages * 4096) {
    data = static_cast<std::uint8_t*>(std::aligned_alloc(4096, size));
    SIZE_T mn, mx;
    GetProcessWorkingSetSize(GetCurrentProcess(), &mn, &mx);
    SetProcessWorkingSetSize(GetCurrentProcess(), mn + size, mx + size);
    VirtualLock(data, size);
  }
  ~Pinned() {
    VirtualUnlock(data, size);
    SIZE_T mn, mx;
    GetProcessWorkingSetSize(GetCurrentProcess(), &mn, &mx);
    SetProcessWorkingSetSize(GetCurrentProcess(), mn - size, mx - size);
    std::free(data);
  }
  std::uint8_t* data;
  std::size_t size;
};

TEST(PhysicalMemory, PinnedPagesGetPhysicalAddressesInTheChosenShape) {
  sim::PhysicalMemory mem;
  Pinned a(4), b(4), c(8);
  std::vector<sim::PhysicalRun> runs;
  ASSERT_TRUE(mem.PageList(a.data + 0x100, 3 * 4096, &runs));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].address & 0xFFF, 0x100u);
  EXPECT_EQ(runs[0].length, 3u * 4096);

  mem.SetPinShape(sim::PinShape::kPagePerEntry);
  ASSERT_TRUE(mem.PageList(b.data, 4 * 4096, &runs));
  EXPECT_EQ(runs.size(), 4u);

  mem.SetPinShape(sim::PinShape::kPermuted);
  ASSERT_TRUE(mem.PageList(c.data, 8 * 4096, &runs));
  EXPECT_GT(runs.size(), 1u);
  std::uint32_t total = 0;
  for (auto& r : runs) total += r.length;
  EXPECT_EQ(total, 8u * 4096);
  // The same range answers the same way a second time.
  std::vector<sim::PhysicalRun> again;
  ASSERT_TRUE(mem.PageList(c.data, 8 * 4096, &again));
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
    Pinned a(1);
    ASSERT_TRUE(mem.PageList(a.data, 4096, &runs));
    phys = runs[0].address;
  }
  EXPECT_EQ(mem.Translate(phys, 4), nullptr);
  static std::uint8_t plain[8192];
  EXPECT_FALSE(mem.PageList(plain, sizeof plain, &runs));
}

TEST(PhysicalMemory, DeviceMemoryHasFixedAddresses) {
  sim::PhysicalMemory mem;
  static std::uint8_t vram[0x10000];
  mem.MapDeviceMemory(vram, sizeof vram, 0xF0000000);
  std::vector<sim::PhysicalRun> runs;
  ASSERT_TRUE(mem.PageList(vram + 0x1234, 0x5000, &runs));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].address, 0xF0001234u);
  EXPECT_EQ(mem.Translate(0xF0008000, 0x2000), vram + 0x8000);
  EXPECT_EQ(mem.Translate(0xF000F000, 0x2000), nullptr);
  mem.UnmapDeviceMemory(vram);
  EXPECT_EQ(mem.Translate(0xF0008000, 4), nullptr);
}

struct DriverHandle {
  HANDLE h = CreateFileA("\\\\.\\RG7DRIVE", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ~DriverHandle() { CloseHandle(h); }
  bool Call(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD got = 0;
    return DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &got, nullptr) != FALSE;
  }
  std::uint32_t ReadStatus() {
    std::uint8_t rec[8] = {};
    std::uint32_t status = 0xDEAD;
    EXPECT_TRUE(Call(sim::rg7nt::kReadIrqStatus, rec, 8, &status, 4));
    return status;
  }
  bool Processed() {
    std::uint8_t rec[8] = {};
    return Call(sim::rg7nt::kInterruptProcessed, rec, 8, nullptr, 0);
  }
};

TEST(Rg700Interrupts, MaskedBitsWaitInTheStatusAndEnterTheLatchWhenUnmasked) {
  sim::Machine& m = sim::PowerOn();
  DriverHandle d;
  HANDLE events[5];
  std::uint32_t reg[16] = {};
  reg[0] = 0;  // slot 0 in the upper half of the first dword
  reg[1] = kEvenField | kOddField | kDma2Done | kDma1Done;
  for (int i = 0; i < 5; ++i) {
    events[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reg[7 + i] = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(events[i]));
  }
  reg[13] = 5;
  ASSERT_TRUE(d.Call(sim::rg7nt::kRegisterIrqEvents, reg, 64, nullptr, 0));
  EXPECT_TRUE(m.rg7_nt_driver().EventsRegistered(0));

  sim::Rg700Board& b = m.rg700(0);
  b.RaiseInterrupt(kOddField | kDma1Done);
  EXPECT_EQ(b.Register(kInterruptStatus), kOddField | kDma1Done);
  EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_TIMEOUT);
  b.MmioWrite(kInterruptMask * 4, 4, kDma1Done);  // unmask one of them
  EXPECT_EQ(b.Register(kInterruptStatus), kOddField);
  for (HANDLE e : events) EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  b.RaiseInterrupt(kDma1Done);
  EXPECT_FALSE(m.rg7_nt_driver().WaitUntilServed(10));
  EXPECT_EQ(d.ReadStatus(), kDma1Done);
  EXPECT_TRUE(d.Processed());
  EXPECT_TRUE(m.rg7_nt_driver().WaitUntilServed(10));

  // More latched after the read: the end of the interrupt is refused until it is read.
  b.RaiseInterrupt(kDma1Done);
  EXPECT_FALSE(d.Processed());
  EXPECT_EQ(d.ReadStatus(), kDma1Done);
  EXPECT_TRUE(d.Processed());

  std::uint32_t unreg[16] = {};
  ASSERT_TRUE(d.Call(sim::rg7nt::kRegisterIrqEvents, unreg, 64, nullptr, 0));
  EXPECT_FALSE(m.rg7_nt_driver().EventsRegistered(0));
  for (HANDLE e : events) CloseHandle(e);
  sim::PowerOff();
}

TEST(Rg700Interrupts, PageListsComeBackInTheDriversRecord) {
  sim::Machine& m = sim::PowerOn();
  m.physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  DriverHandle d;
  Pinned buf(3);
  struct {
    std::uint64_t address;
    std::uint32_t size;
    std::uint32_t reserved;
  } req{reinterpret_cast<std::uint64_t>(buf.data + 0x800), 0x2000, 0};
  std::vector<std::uint8_t> list(32784);
  ASSERT_TRUE(d.Call(sim::rg7nt::kLockPages, &req, sizeof req, list.data(), 32784));
  std::uint16_t max, count;
  std::memcpy(&max, list.data() + 12, 2);
  std::memcpy(&count, list.data() + 14, 2);
  EXPECT_EQ(max, 4096);
  EXPECT_EQ(count, 3);
  std::uint32_t len0;
  std::memcpy(&len0, list.data() + 20, 4);
  EXPECT_EQ(len0, 0x800u);
  req.address = reinterpret_cast<std::uint64_t>(list.data());  // never pinned
  EXPECT_FALSE(d.Call(sim::rg7nt::kLockPages, &req, sizeof req, list.data(), 32784));
  sim::PowerOff();
}

}  // namespace
