// Accessors of the chip's MMIO window. Every register access of the library goes
// through the platform's register seam; the window is checked first, so that a
// board that is not mapped, or an offset past the window, reaches nothing.
#include "kt6sdk/register_access.h"

#include <atomic>

#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "platform/register_io.h"

namespace kt6 {
namespace {

// Size in the high half, linear base in the low half: one load gives a pair that
// belongs together, whichever thread set it.
std::atomic<std::uint64_t> g_window{0};

template <class T>
volatile T* At(std::uint32_t offset) {
  std::uint64_t window = g_window.load(std::memory_order_acquire);
  auto base = static_cast<std::uint32_t>(window);
  auto size = static_cast<std::uint32_t>(window >> 32);
  if (base == 0 || offset > size || size - offset < sizeof(T)) return nullptr;
  return reinterpret_cast<volatile T*>(std::uintptr_t{base} + offset);
}

std::uint32_t ChipOffset(std::uint32_t offset) { return (offset & mmio::kOffsetBits) | mmio::kChipBlock; }

}  // namespace

std::recursive_mutex& IndexedRegisterLock() {
  static std::recursive_mutex lock;
  return lock;
}

void SetRegisterWindow(std::uint32_t linear, std::uint32_t size) {
  g_window.store(linear ? std::uint64_t{size} << 32 | linear : 0, std::memory_order_release);
}

void ClearRegisterWindow() { g_window.store(0, std::memory_order_release); }

std::uint32_t RegisterWindowBase() { return static_cast<std::uint32_t>(g_window.load(std::memory_order_acquire)); }

std::uint32_t KT6MMIORead32Raw(std::uint32_t offset) {
  volatile ULONG* p = At<ULONG>(offset);
  return p ? READ_REGISTER_ULONG(p) : 0;
}

void KT6MMIOWrite32Raw(std::uint32_t offset, std::uint32_t value) {
  if (volatile ULONG* p = At<ULONG>(offset)) WRITE_REGISTER_ULONG(p, value);
}

std::uint16_t KT6MMIORead16(std::uint32_t offset) {
  volatile USHORT* p = At<USHORT>(ChipOffset(offset));
  return p ? READ_REGISTER_USHORT(p) : 0;
}

void KT6MMIOWrite16(std::uint32_t offset, std::uint16_t value) {
  if (volatile USHORT* p = At<USHORT>(ChipOffset(offset))) WRITE_REGISTER_USHORT(p, value);
}

std::uint8_t KT6MMIORead8(std::uint32_t offset) {
  volatile UCHAR* p = At<UCHAR>(ChipOffset(offset));
  return p ? READ_REGISTER_UCHAR(p) : 0;
}

void KT6MMIOWrite8(std::uint32_t offset, std::uint8_t value) {
  if (volatile UCHAR* p = At<UCHAR>(ChipOffset(offset))) WRITE_REGISTER_UCHAR(p, value);
}

}  // namespace kt6

std::uint32_t KT6MemoryMappedIORead(std::uint32_t offset) { return kt6::KT6MMIORead32Raw(kt6::ChipOffset(offset)); }

std::uint32_t KT6MemoryMappedIOWrite(std::uint32_t offset, std::uint32_t value) {
  kt6::KT6MMIOWrite32Raw(kt6::ChipOffset(offset), value);
  return value;
}

std::uint16_t KT6ProgramIORead(std::uint16_t port, std::uint8_t index) {
  std::lock_guard lock(kt6::IndexedRegisterLock());
  kt6::KT6MMIOWrite8(port, index);
  return kt6::KT6MMIORead8(kt6::vga::DataPort(port));
}

void KT6ProgramIOWrite(std::uint16_t port, std::uint8_t index, std::uint8_t value) {
  std::lock_guard lock(kt6::IndexedRegisterLock());
  kt6::KT6MMIOWrite8(port, index);
  kt6::KT6MMIOWrite8(kt6::vga::DataPort(port), value);
}
