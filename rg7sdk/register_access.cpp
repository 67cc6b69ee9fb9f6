#include "rg7sdk/register_access.h"

#include <atomic>

#include "platform/register_io.h"
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

// Field-layer state, one copy for all boards. The interrupt service thread uses it
// too; atomics keep the unlocked sharing well defined.
std::atomic<const RegisterFieldTable*> g_loadedTable{nullptr};
std::atomic<std::uint32_t> g_loadedCount{0};
FieldTableDescriptor g_descriptor{nullptr, 0};
std::atomic<std::uint32_t> g_lastPartCount{0};
std::atomic<std::uint32_t> g_fieldValid{0};

// Address of a register in the current window, or null when there is no window or
// the register lies outside it.
std::uintptr_t RegisterAddress(std::uint32_t index) {
  std::uintptr_t base = CurrentRegisterBase();
  if (base == 0 || index >= kRegisterWindowSize / 4) return 0;
  return base + std::uintptr_t{index} * 4;
}

std::uint32_t ReadRegister(std::uint32_t index) {
  std::uintptr_t a = RegisterAddress(index);
  if (!a) return 0;
  if (index < kFirstByteRegister) return READ_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(a));
  return READ_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(a));
}

void WriteRegister(std::uint32_t index, std::uint32_t value) {
  std::uintptr_t a = RegisterAddress(index);
  if (!a) return;
  if (index < kFirstByteRegister)
    WRITE_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(a), value);
  else
    WRITE_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(a), static_cast<UCHAR>(value));
}

const RegisterField* FindField(std::uint32_t index) {
  const RegisterFieldTable* table = g_loadedTable.load(std::memory_order_acquire);
  if (!table || index >= g_loadedCount.load(std::memory_order_relaxed)) return nullptr;
  const RegisterField& f = table->entries[index];
  return f.part_count == 0 ? nullptr : &f;
}

}  // namespace

std::uint32_t IHW_SetField(std::uint32_t index, std::uint32_t value) {
  if (index & 0x80000000u) {
    if (index != kLoadFieldTable) return 0;
    g_loadedCount.store(kRegisterFieldTable.count, std::memory_order_relaxed);
    g_loadedTable.store(&kRegisterFieldTable, std::memory_order_release);
    g_descriptor = FieldTableDescriptor{kRegisterFieldTable.entries, kRegisterFieldTable.count};
    return 1;
  }
  const RegisterField* f = FindField(index);
  if (!f) return 0;
  for (std::uint32_t i = 0; i < f->part_count; ++i) {
    const RegisterFieldPart& p = f->parts[i];
    std::uint32_t old = ReadRegister(p.register_index);
    WriteRegister(p.register_index, (old & ~p.mask) | (((value >> p.value_shift) << p.register_shift) & p.mask));
  }
  g_lastPartCount.store(f->part_count, std::memory_order_relaxed);
  return 0;
}

std::uint32_t IHW_GetField(std::uint32_t index) {
  if (index & 0x80000000u) {
    std::uint32_t valid = g_fieldValid.load(std::memory_order_relaxed);
    if (index == kSetFieldValid) g_fieldValid.store(1, std::memory_order_relaxed);
    return valid;
  }
  const RegisterField* f = FindField(index);
  if (!f) {
    g_fieldValid.store(0, std::memory_order_relaxed);
    return 0;
  }
  std::uint32_t value = 0;
  for (std::uint32_t i = 0; i < f->part_count; ++i) {
    const RegisterFieldPart& p = f->parts[i];
    value |= ((ReadRegister(p.register_index) & p.mask) >> p.register_shift) << p.value_shift;
  }
  g_fieldValid.store(1, std::memory_order_relaxed);
  return value;
}

const FieldTableDescriptor* IHW_GetFieldTable() { return &g_descriptor; }

std::uint32_t LastFieldPartCount() { return g_lastPartCount.load(std::memory_order_relaxed); }

void UnloadFieldTable() {
  g_loadedTable.store(nullptr, std::memory_order_release);
  g_loadedCount.store(0, std::memory_order_relaxed);
  g_descriptor = FieldTableDescriptor{nullptr, 0};
}

}  // namespace rg7

std::uint32_t IHW_SetRegister(std::uint32_t index, std::uint32_t value) {
  rg7::WriteRegister(index, value);
  return 1;
}

std::uint32_t IHW_GetRegister(std::uint32_t index) { return rg7::ReadRegister(index); }
