#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/device_namespace.h"
#include "platform/fault_injection.h"
#include "platform/global_memory.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/register_io.h"

namespace {

class EchoDriver : public platform::DeviceDriver {
 public:
  DWORD Open(DWORD, DWORD, DWORD, DWORD) override {
    ++opens;
    return refuse;
  }
  void Close() override { ++closes; }
  DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override {
    if (code != 7) return ERROR_INVALID_FUNCTION;
    DWORD n = inSize < outSize ? inSize : outSize;
    std::memcpy(out, in, n);
    *returned = n;
    return ERROR_SUCCESS;
  }
  int opens = 0;
  int closes = 0;
  DWORD refuse = ERROR_SUCCESS;
};

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::RegisterDevice("ECHO", driver_); }
  void TearDown() override {
    platform::UnregisterDevice("ECHO");
    platform::faults::DisarmAll();
  }
  std::shared_ptr<EchoDriver> driver_ = std::make_shared<EchoDriver>();
};

TEST_F(DeviceTest, OpenRequestAndCloseReachTheDriver) {
  HANDLE h = CreateFileA("\\\\.\\echo", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char in[4] = {'a', 'b', 'c', 'd'}, out[4] = {};
  DWORD got = 0;
  EXPECT_TRUE(DeviceIoControl(h, 7, in, 4, out, 4, &got, nullptr));
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::memcmp(in, out, 4), 0);
  EXPECT_FALSE(DeviceIoControl(h, 8, nullptr, 0, nullptr, 0, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(driver_->closes, 1);
  // The handle is gone for good.
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(DeviceIoControl(h, 7, in, 4, out, 4, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(DeviceTest, UnknownDevicesAndRefusedOpensFail) {
  EXPECT_EQ(CreateFileA("\\\\.\\NOPE", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  driver_->refuse = ERROR_SHARING_VIOLATION;
  EXPECT_EQ(CreateFileA("\\\\.\\ECHO", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(DeleteFileA("\\\\.\\ECHO"));
}

// A dynamically loaded VxD: registered under its file name, unloaded by its name.
class UnloadableDriver : public EchoDriver {
 public:
  DWORD Unload() override {
    ++unloads;
    return ERROR_SUCCESS;
  }
  int unloads = 0;
};

TEST_F(DeviceTest, DeletingADevicePathUnloadsItsDriverWhenItCanBe) {
  auto vxd = std::make_shared<UnloadableDriver>();
  platform::RegisterDevice("THING.VXD", vxd);
  EXPECT_TRUE(DeleteFileA("\\\\.\\thing"));
  EXPECT_TRUE(DeleteFileA("\\\\.\\THING.VXD"));
  EXPECT_EQ(vxd->unloads, 2);
  platform::UnregisterDevice("THING.VXD");
  EXPECT_FALSE(DeleteFileA("\\\\.\\THING"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // A driver that is no VxD cannot be unloaded so.
  EXPECT_FALSE(DeleteFileA("\\\\.\\ECHO"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(DeviceTest, InjectedFaultsFailTheChosenCalls) {
  platform::faults::Arm("CreateFileA", 1, ERROR_ACCESS_DENIED, 1);
  HANDLE first = CreateFileA("\\\\.\\ECHO", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("\\\\.\\ECHO", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE third = CreateFileA("\\\\.\\ECHO", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(third, INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform::faults::Calls("CreateFileA"), 3);
  platform::faults::Arm("DeviceIoControl", 1, ERROR_IO_DEVICE);
  EXPECT_FALSE(DeviceIoControl(first, 7, nullptr, 0, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
  CloseHandle(first);
  CloseHandle(third);
}

TEST(GlobalMemory, MovableZeroedBlocksAreTheirOwnHandles) {
  std::size_t before = platform::LiveGlobalBlocks();
  HGLOBAL h = GlobalAlloc(GHND, 300);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  EXPECT_EQ(p, h);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(p[i], 0) << i;
  EXPECT_EQ(GlobalHandle(p), h);
  EXPECT_FALSE(GlobalUnlock(h));  // lock count back to zero
  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(platform::LiveGlobalBlocks(), before);
}

TEST(GlobalMemory, AReceiverMayReleaseABlockWithFree) {
  HGLOBAL h = GlobalAlloc(GHND, 16);
  std::free(h);  // what a TWAIN application on this platform does
  HGLOBAL again = GlobalAlloc(GHND, 16);
  EXPECT_NE(again, nullptr);
  GlobalFree(again);
}

TEST(GlobalMemory, InjectedAllocationFailure) {
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(GlobalAlloc(GHND, 8), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  HGLOBAL h = GlobalAlloc(GHND, 8);
  EXPECT_NE(h, nullptr);
  GlobalFree(h);
  platform::faults::DisarmAll();
}

class RecordingDevice : public platform::MmioDevice {
 public:
  DWORD MmioRead(DWORD offset, unsigned width) override {
    last = {offset, width, 0};
    return 0xA0000000u | offset;
  }
  void MmioWrite(DWORD offset, unsigned width, DWORD value) override { last = {offset, width, value}; }
  struct {
    DWORD offset;
    unsigned width;
    DWORD value;
  } last{};
};

TEST(RegisterSeam, WindowAccessesReachTheDeviceAndOtherMemoryIsPlain) {
  static unsigned char window[64];
  RecordingDevice device;
  auto base = reinterpret_cast<std::uintptr_t>(window);
  platform::MapMmioWindow(base, sizeof window, &device);
  WRITE_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(base + 9), 0x5A);
  EXPECT_EQ(device.last.offset, 9u);
  EXPECT_EQ(device.last.width, 1u);
  EXPECT_EQ(device.last.value, 0x5Au);
  EXPECT_EQ(window[9], 0);  // the device, not the memory, took the write
  EXPECT_EQ(READ_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(base + 8)), 0xA0000008u);
  EXPECT_EQ(device.last.width, 4u);
  READ_REGISTER_USHORT(reinterpret_cast<volatile USHORT*>(base + 62));
  EXPECT_EQ(device.last.offset, 62u);
  platform::UnmapMmioWindow(base);

  ULONG plain = 0;
  WRITE_REGISTER_ULONG(&plain, 0x12345678);
  EXPECT_EQ(plain, 0x12345678u);
  EXPECT_EQ(READ_REGISTER_ULONG(&plain), 0x12345678u);
}

}  // namespace
