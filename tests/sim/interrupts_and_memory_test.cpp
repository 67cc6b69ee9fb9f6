#include <gtest/gtest.h>

#include <cstring>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/sync.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/sim/pinned_buffer.h"

namespace {

using namespace sim::rg700;

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
  sim_test::PinnedBuffer buf(3);
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
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  sim::PowerOff();
}

TEST(Rg7NtDriver, APageListBeyondPhysicalMemoryFailsWithAnErrorOfItsOwn) {
  sim::Machine& m = sim::PowerOn();
  // Nothing is pinned yet: device windows over the whole physical space.
  ASSERT_TRUE(m.physical_memory().ReserveWindow(0, 0xFFFFFFFFu));
  DriverHandle d;
  sim_test::PinnedBuffer buf(1);
  struct {
    std::uint64_t address;
    std::uint32_t size;
    std::uint32_t reserved;
  } req{reinterpret_cast<std::uint64_t>(buf.data), 4096, 0};
  std::vector<std::uint8_t> list(32784);
  EXPECT_FALSE(d.Call(sim::rg7nt::kLockPages, &req, sizeof req, list.data(), 32784));
  EXPECT_EQ(GetLastError(), ERROR_NO_SYSTEM_RESOURCES);
  sim::PowerOff();
}

}  // namespace
