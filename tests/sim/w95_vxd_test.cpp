#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/device_namespace.h"
#include "platform/fault_injection.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/sync.h"
#include "platform/virtual_memory.h"
#include "platform/vxd_handles.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/sim/pinned_buffer.h"

namespace {

namespace w95 = sim::rg7w95;
using sim::rg700::kDma1Done;
using sim::rg700::kOddField;

constexpr std::size_t kListSize = 4112;

HANDLE OpenVxd() {
  return CreateFileA("\\\\.\\RG700W95.VXD", 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

struct Vxd {
  HANDLE h = OpenVxd();
  ~Vxd() { CloseHandle(h); }
  DWORD returned = 0;
  // ERROR_SUCCESS or the last error.
  DWORD Call(DWORD code, const void* in, DWORD inSize, void* out = nullptr, DWORD outSize = 0) {
    SetLastError(ERROR_SUCCESS);
    returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr);
    return ok ? ERROR_SUCCESS : GetLastError();
  }
  DWORD Register(DWORD ring0) {
    sim::Rg7IrqRegistration r{};
    r.slot = 0;
    r.ring0_event = ring0;
    r.registered = ring0 != 0;
    return Call(w95::kRegisterIrqEvent, &r, sizeof r);
  }
  std::uint32_t ReadStatus() {
    sim::Rg7IrqStatusRecord r{0xDEAD, 0xDEAD};
    EXPECT_EQ(Call(w95::kReadIrqStatus, nullptr, 0, &r, sizeof r), ERROR_SUCCESS);
    return r.status;
  }
  DWORD Lock(const void* address, std::uint32_t size, std::vector<std::uint8_t>& list) {
    sim::Rg7PageRange r{reinterpret_cast<std::uint64_t>(address), size, 0};
    return Call(w95::kLockPages, &r, sizeof r, list.data(), static_cast<DWORD>(list.size()));
  }
  DWORD Unlock(const void* address, std::uint32_t size) {
    sim::Rg7PageRange r{reinterpret_cast<std::uint64_t>(address), size, 0};
    return Call(w95::kUnlockPages, &r, sizeof r);
  }
};

std::uint16_t ListWord(const std::vector<std::uint8_t>& list, std::size_t offset) {
  std::uint16_t v;
  std::memcpy(&v, list.data() + offset, 2);
  return v;
}

sim::PhysicalRun Entry(const std::vector<std::uint8_t>& list, std::size_t i) {
  sim::PhysicalRun run;
  std::memcpy(&run.address, list.data() + w95::kPageListHeaderSize + i * 8, 4);
  std::memcpy(&run.length, list.data() + w95::kPageListHeaderSize + i * 8 + 4, 4);
  return run;
}

TEST(Rg7W95Vxd, OpensOnlyAsADynamicLoadAndCountsLoadsAndUnloads) {
  sim::Machine& m = sim::PowerOn();
  sim::Rg7W95Vxd& vxd = m.rg7_w95_vxd();
  HANDLE wrong = CreateFileA("\\\\.\\RG700W95.VXD", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(wrong, INVALID_HANDLE_VALUE);
  wrong = CreateFileA("\\\\.\\RG700W95.VXD", 0, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(wrong, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(vxd.LoadCount(), 0);
  {
    Vxd a;
    ASSERT_NE(a.h, INVALID_HANDLE_VALUE);
    Vxd b;
    EXPECT_EQ(vxd.LoadCount(), 2);
    EXPECT_TRUE(vxd.IsOpen());
  }
  EXPECT_FALSE(vxd.IsOpen());
  EXPECT_TRUE(DeleteFileA("\\\\.\\RG700W95"));
  EXPECT_EQ(vxd.UnloadCount(), 1);
  sim::PowerOff();
}

TEST(Rg7W95Vxd, MapsBoardWindowsAndDisplayMemoryBelow4GB) {
  sim::Machine& m = sim::PowerOn();
  Vxd v;
  std::uint32_t bar = m.rg700(0).ConfigDword(sim::pci::kBar0) & sim::pci::kMemoryBarAddress;
  sim::Rg7MapRecord r{bar, 0, 0x100000};
  ASSERT_EQ(v.Call(w95::kMapMemory, &r, sizeof r, &r, sizeof r), ERROR_SUCCESS);
  EXPECT_EQ(r.linear, m.rg700(0).mapped_base());

  const sim::DisplayMemory& dm = m.display_memory();
  r = {dm.physical_base() + 0x1000, 0, 0x2000};
  ASSERT_EQ(v.Call(w95::kMapMemory, &r, sizeof r, &r, sizeof r), ERROR_SUCCESS);
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(std::uintptr_t{r.linear}), dm.base() + 0x1000);

  for (sim::Rg7MapRecord bad :
       {sim::Rg7MapRecord{bar, 0, 0x100001}, sim::Rg7MapRecord{bar, 0, 0}, sim::Rg7MapRecord{0x1000, 0, 0x1000}}) {
    EXPECT_EQ(v.Call(w95::kMapMemory, &bad, sizeof bad, &bad, sizeof bad), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(bad.linear, 0u);
  }
  EXPECT_EQ(v.Call(w95::kUnmapMemory, nullptr, 0), ERROR_SUCCESS);
  sim::PowerOff();
}

TEST(Rg7W95Vxd, SignalsTheRing0EventAndRefusesTheEndOfAnInterruptWhileMoreIsLatched) {
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.rg700_boards.push_back(sim::Rg700Desc{});
  d.rg700_boards[1].device_number = 0x0E;
  sim::Machine& m = sim::PowerOn(d);
  sim::Rg7W95Vxd& vxd = m.rg7_w95_vxd();
  Vxd v;
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD ring0 = OpenVxDHandle(event);
  ASSERT_NE(ring0, 0u);
  ASSERT_EQ(v.Register(ring0), ERROR_SUCCESS);
  EXPECT_TRUE(vxd.EventsRegistered(0));
  EXPECT_FALSE(vxd.EventsRegistered(1));
  ASSERT_TRUE(vxd.Registration().has_value());
  EXPECT_EQ(vxd.Registration()->ring0_event, ring0);

  m.rg700(0).MmioWrite(sim::rg700::kInterruptMask * 4, 4, kOddField | kDma1Done);
  m.rg700(0).RaiseInterrupt(kOddField);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(m.WaitUntilInterruptsServed(10));
  ResetEvent(event);
  m.rg700(0).RaiseInterrupt(kDma1Done);
  EXPECT_EQ(vxd.Latched(), kOddField | kDma1Done);
  EXPECT_EQ(v.ReadStatus(), kOddField | kDma1Done);
  EXPECT_EQ(vxd.Latched(), 0u);
  m.rg700(0).RaiseInterrupt(kDma1Done);
  EXPECT_EQ(v.Call(w95::kEndOfInterrupt, nullptr, 0), ERROR_BUSY);
  EXPECT_EQ(v.ReadStatus(), kDma1Done);
  EXPECT_EQ(v.Call(w95::kEndOfInterrupt, nullptr, 0), ERROR_SUCCESS);
  EXPECT_TRUE(m.WaitUntilInterruptsServed(10));

  // The second board's interrupt is not the VxD's.
  m.rg700(1).MmioWrite(sim::rg700::kInterruptMask * 4, 4, kDma1Done);
  m.rg700(1).RaiseInterrupt(kDma1Done);
  EXPECT_EQ(vxd.Latched(), 0u);

  ResetEvent(event);
  ASSERT_EQ(v.Register(0), ERROR_SUCCESS);
  EXPECT_FALSE(vxd.EventsRegistered(0));
  m.rg700(0).RaiseInterrupt(kDma1Done);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(vxd.Latched(), kDma1Done);  // still the open driver's

  sim::Rg7IrqStatusRecord mask{0, 0x2000630};
  EXPECT_EQ(v.Call(w95::kSetIrqMask, &mask, sizeof mask), ERROR_SUCCESS);
  EXPECT_EQ(vxd.Mask(), 0x2000630u);
  CloseHandle(event);
  sim::PowerOff();
}

TEST(Rg7W95Vxd, InterruptsGoToTheDriverInUse) {
  sim::Machine& m = sim::PowerOn();
  sim::Rg700Board& b = m.rg700(0);
  b.MmioWrite(sim::rg700::kInterruptMask * 4, 4, kDma1Done);
  // Nothing open: the NT driver, as before.
  b.RaiseInterrupt(kDma1Done);
  EXPECT_EQ(m.rg7_nt_driver().Latched(0), kDma1Done);
  {
    Vxd v;
    b.RaiseInterrupt(kOddField | kDma1Done);  // only the unmasked bit interrupts
    EXPECT_EQ(m.rg7_w95_vxd().Latched(), kDma1Done);
    EXPECT_FALSE(m.WaitUntilInterruptsServed(10));
    v.ReadStatus();
    EXPECT_EQ(v.Call(w95::kEndOfInterrupt, nullptr, 0), ERROR_SUCCESS);
    EXPECT_TRUE(m.WaitUntilInterruptsServed(10));

    // Both open, the VxD with its event registered: the VxD.
    HANDLE nt = CreateFileA("\\\\.\\RG7DRIVE", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(v.Register(OpenVxDHandle(event)), ERROR_SUCCESS);
    b.RaiseInterrupt(kDma1Done);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(m.rg7_nt_driver().Latched(0), kDma1Done);  // only the first one
    ASSERT_EQ(v.Register(0), ERROR_SUCCESS);
    CloseHandle(event);
    CloseHandle(nt);
  }
  sim::PowerOff();

  // Without the NT driver, the VxD takes them; without the VxD, it is not there.
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.rg7_w95_vxd = false;
  sim::PowerOn(d);
  EXPECT_EQ(OpenVxd(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA("\\\\.\\RG700W95"));
  d.rg7_w95_vxd = true;
  d.rg7_nt_driver = false;
  sim::Machine& w = sim::PowerOn(d);
  EXPECT_EQ(CreateFileA("\\\\.\\RG7DRIVE", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  w.rg700(0).MmioWrite(sim::rg700::kInterruptMask * 4, 4, kDma1Done);
  w.rg700(0).RaiseInterrupt(kDma1Done);
  EXPECT_EQ(w.rg7_w95_vxd().Latched(), kDma1Done);
  EXPECT_EQ(w.rg7_nt_driver().Latched(0), 0u);
  sim::PowerOff();
}

TEST(Rg7W95Vxd, PinsARangeOnceAndListsItsRunsUntilUnpinned) {
  sim::Machine& m = sim::PowerOn();
  m.physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  sim::Rg7W95Vxd& vxd = m.rg7_w95_vxd();
  Vxd v;
  sim_test::PinnedBuffer buf(4, false);
  std::vector<std::uint8_t> list(kListSize, 0xCC);
  ASSERT_EQ(v.Lock(buf.data + 0x800, 0x3000, list), ERROR_SUCCESS);
  EXPECT_TRUE(platform::IsRangeLocked(buf.data + 0x800, 0x3000));
  EXPECT_EQ(ListWord(list, w95::kPageListMaxEntriesOffset), 512);
  ASSERT_EQ(ListWord(list, w95::kPageListCountOffset), 4);
  EXPECT_EQ(v.returned, 16u + 4 * 8);
  EXPECT_EQ(Entry(list, 0).length, 0x800u);
  EXPECT_EQ(Entry(list, 3).length, 0x800u);
  EXPECT_EQ(Entry(list, 0).address % 4096, 0x800u);
  std::uint32_t first = Entry(list, 0).address;

  // Asked again: the same pages, and one unpin releases them.
  std::size_t locked = platform::LockedBytes();
  ASSERT_EQ(v.Lock(buf.data + 0x800, 0x3000, list), ERROR_SUCCESS);
  EXPECT_EQ(Entry(list, 0).address, first);
  EXPECT_EQ(platform::LockedBytes(), locked);
  EXPECT_EQ(vxd.PinnedRanges(), 1u);
  EXPECT_EQ(v.Unlock(buf.data + 0x800, 0x3000), ERROR_SUCCESS);
  EXPECT_FALSE(platform::IsRangeLocked(buf.data + 0x800, 0x3000));
  EXPECT_EQ(v.Unlock(buf.data + 0x800, 0x3000), ERROR_NOT_LOCKED);
  EXPECT_EQ(vxd.PinnedRanges(), 0u);
  sim::PowerOff();
}

TEST(Rg7W95Vxd, AListLongerThanTheOutputFillsWhatFitsAndKeepsTheRangePinned) {
  sim::Machine& m = sim::PowerOn();
  m.physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  Vxd v;
  // More than the process's working set allows: the VxD locks for the system.
  SIZE_T minimum, maximum;
  GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum);
  struct {
    std::size_t size = 513 * 4096;
    std::uint8_t* data = static_cast<std::uint8_t*>(std::aligned_alloc(4096, size));
  } buf;
  ASSERT_GT(buf.size, minimum);
  std::vector<std::uint8_t> list(kListSize);
  EXPECT_EQ(v.Lock(buf.data, static_cast<std::uint32_t>(buf.size), list), ERROR_MORE_DATA);
  EXPECT_EQ(ListWord(list, w95::kPageListCountOffset), 512);
  EXPECT_EQ(v.returned, kListSize);
  EXPECT_EQ(Entry(list, 511).length, 4096u);
  EXPECT_TRUE(platform::IsRangeLocked(buf.data, buf.size));
  EXPECT_EQ(m.rg7_w95_vxd().PinnedRanges(), 1u);
  // A header alone holds no entry; less than a header is refused.
  std::vector<std::uint8_t> header(16);
  EXPECT_EQ(v.Lock(buf.data, 4096, header), ERROR_MORE_DATA);
  EXPECT_EQ(ListWord(header, w95::kPageListMaxEntriesOffset), 0);
  std::vector<std::uint8_t> tiny(15);
  EXPECT_EQ(v.Lock(buf.data, 4096, tiny), ERROR_INVALID_PARAMETER);
  // Power-off gives the locks and the working set back.
  sim::PowerOff();
  EXPECT_FALSE(platform::IsRangeLocked(buf.data, buf.size));
  SIZE_T after, afterMaximum;
  GetProcessWorkingSetSize(GetCurrentProcess(), &after, &afterMaximum);
  EXPECT_EQ(after, minimum);
  std::free(buf.data);
}

TEST(Rg7W95Vxd, DisplayMemoryIsListedWithoutAPageLock) {
  sim::Machine& m = sim::PowerOn();
  Vxd v;
  std::uint32_t offset = *m.display_memory().Allocate(640 * 480 * 2, 4096);
  std::uint8_t* surface = m.display_memory().base() + offset;
  std::vector<std::uint8_t> list(kListSize);
  std::size_t locked = platform::LockedBytes();
  ASSERT_EQ(v.Lock(surface, 640 * 480 * 2, list), ERROR_SUCCESS);
  EXPECT_EQ(platform::LockedBytes(), locked);
  ASSERT_EQ(ListWord(list, w95::kPageListCountOffset), 1);
  EXPECT_EQ(Entry(list, 0).address, m.display_memory().physical_base() + offset);
  EXPECT_EQ(Entry(list, 0).length, 640u * 480 * 2);
  EXPECT_EQ(v.Unlock(surface, 640 * 480 * 2), ERROR_SUCCESS);
  sim::PowerOff();
}

TEST(Rg7W95Vxd, FailuresAreReportedLoggedAndLeaveNothingPinned) {
  sim::Machine& m = sim::PowerOn();
  sim::Rg7W95Vxd& vxd = m.rg7_w95_vxd();
  Vxd v;
  sim_test::PinnedBuffer buf(1, false);
  std::vector<std::uint8_t> list(kListSize);
  platform::faults::Arm("VirtualLock", 1, ERROR_WORKING_SET_QUOTA);
  EXPECT_EQ(v.Lock(buf.data, 4096, list), ERROR_WORKING_SET_QUOTA);
  EXPECT_EQ(vxd.PinnedRanges(), 0u);
  vxd.FailRequest(w95::kLockPages, 1, ERROR_GEN_FAILURE);
  EXPECT_EQ(v.Lock(buf.data, 4096, list), ERROR_GEN_FAILURE);
  EXPECT_FALSE(platform::IsRangeLocked(buf.data, 4096));
  EXPECT_EQ(v.Lock(nullptr, 4096, list), ERROR_INVALID_PARAMETER);
  // No physical pages left: the lock is given back.
  ASSERT_TRUE(m.physical_memory().ReserveWindow(0, 0xFFFFFFFFu));
  EXPECT_EQ(v.Lock(buf.data, 4096, list), ERROR_NO_SYSTEM_RESOURCES);
  EXPECT_FALSE(platform::IsRangeLocked(buf.data, 4096));
  EXPECT_EQ(vxd.PinnedRanges(), 0u);

  std::vector<sim::DriverRequest> log = vxd.Requests();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].in_size, sizeof(sim::Rg7PageRange));
  EXPECT_EQ(log[0].out_size, kListSize);
  EXPECT_EQ(log[1].result, ERROR_GEN_FAILURE);

  // After power-off the open handle reaches a device that is gone.
  sim::PowerOff();
  EXPECT_EQ(v.Call(w95::kEndOfInterrupt, nullptr, 0), ERROR_IO_DEVICE);
}

}  // namespace
