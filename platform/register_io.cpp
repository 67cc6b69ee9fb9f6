#include "platform/register_io.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>
#include <vector>

namespace platform {
namespace {

struct Window {
  std::uintptr_t base;
  std::size_t size;
  MmioDevice* device;
};

std::shared_mutex g_mutex;
std::vector<Window> g_windows;

// The device and offset behind an address, or null for plain memory.
MmioDevice* Find(const volatile void* address, DWORD* offset) {
  auto a = reinterpret_cast<std::uintptr_t>(address);
  std::shared_lock lock(g_mutex);
  for (const Window& w : g_windows) {
    if (a >= w.base && a - w.base < w.size) {
      *offset = static_cast<DWORD>(a - w.base);
      return w.device;
    }
  }
  return nullptr;
}

template <class T>
T Read(volatile T* address) {
  DWORD offset = 0;
  if (MmioDevice* d = Find(address, &offset)) return static_cast<T>(d->MmioRead(offset, sizeof(T)));
  return *address;
}

template <class T>
void Write(volatile T* address, T value) {
  DWORD offset = 0;
  if (MmioDevice* d = Find(address, &offset)) {
    d->MmioWrite(offset, sizeof(T), value);
    return;
  }
  *address = value;
}

}  // namespace

void MapMmioWindow(std::uintptr_t base, std::size_t size, MmioDevice* device) {
  std::unique_lock lock(g_mutex);
  g_windows.push_back(Window{base, size, device});
}

void UnmapMmioWindow(std::uintptr_t base) {
  std::unique_lock lock(g_mutex);
  g_windows.erase(std::remove_if(g_windows.begin(), g_windows.end(), [&](const Window& w) { return w.base == base; }),
                  g_windows.end());
}

}  // namespace platform

UCHAR READ_REGISTER_UCHAR(volatile UCHAR* address) { return platform::Read(address); }
USHORT READ_REGISTER_USHORT(volatile USHORT* address) { return platform::Read(address); }
ULONG READ_REGISTER_ULONG(volatile ULONG* address) { return platform::Read(address); }
void WRITE_REGISTER_UCHAR(volatile UCHAR* address, UCHAR value) { platform::Write(address, value); }
void WRITE_REGISTER_USHORT(volatile USHORT* address, USHORT value) { platform::Write(address, value); }
void WRITE_REGISTER_ULONG(volatile ULONG* address, ULONG value) { platform::Write(address, value); }
