// The board's two windows as the Windows 95 build maps them: their physical
// addresses from the board's base registers, their linear addresses from the VxD.
// A mapping lasts until the library is detached, so an open after a close finds
// its board still mapped.
#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/w95_vxd.h"

namespace kt6 {
namespace {

// Written by the open on the caller's thread, read at detach.
MemoryMapRecord g_memoryMap{};

bool Mapped() { return g_memoryMap.registers_linear != 0; }

bool SameWindows(const MemoryMapRecord& a, const MemoryMapRecord& b) {
  return a.frame_buffer_physical == b.frame_buffer_physical && a.frame_buffer_size == b.frame_buffer_size &&
         a.registers_physical == b.registers_physical && a.registers_size == b.registers_size;
}

}  // namespace

MemoryMapRecord BoardWindows(std::uint16_t chip, std::uint32_t bus, std::uint32_t device,
                             std::uint32_t frameBufferSize8A22) {
  std::uint32_t bar0 = read_confreg_dword(pcicfg::kBar0, bus, device);
  MemoryMapRecord record{};
  if (chip == kChip8A22) {
    record.frame_buffer_physical = read_confreg_dword(pcicfg::kBar1, bus, device) & ~pcicfg::kBarFlags;
    record.frame_buffer_size = frameBufferSize8A22;
    record.registers_physical = bar0;
    record.registers_size = window::kRegistersSize8A22;
  } else {
    record.frame_buffer_physical = bar0;
    record.frame_buffer_size = window::kFrameBufferSize;
    record.registers_physical = bar0 + window::kRegistersOffset;
    record.registers_size = window::kRegistersSize;
  }
  return record;
}

MemoryMapRecord MappedBoardMemory() { return g_memoryMap; }

void ForgetBoardMemory() { g_memoryMap = MemoryMapRecord{}; }

std::int32_t KT6MapBoardMemory(std::uint32_t bus, std::uint32_t device) {
  MemoryMapRecord record = BoardWindows(g_state.chip_id, bus, device, window::kFrameBufferSize8A22);
  if (Mapped() && SameWindows(record, g_memoryMap)) {
    SetRegisterWindow(g_memoryMap.registers_linear, g_memoryMap.registers_size);
    return KT6_OK;
  }
  // Another board's windows: the VxD lets the old ones go first, so that detach
  // leaves nothing mapped.
  if (Mapped()) {
    MemoryMapRecord old = g_memoryMap;
    ClearRegisterWindow();
    if (VxdRequest(vxd::kUnmapMemory, &old, sizeof old, nullptr, 0)) ForgetBoardMemory();
  }
  // A refused mapping leaves the accessors reaching nothing rather than an address
  // the VxD never gave.
  if (!VxdRequest(vxd::kMapMemory, &record, sizeof record, &record, sizeof record)) {
    ClearRegisterWindow();
    return KT6_ERR_GENERAL;
  }
  g_memoryMap = record;
  SetRegisterWindow(record.registers_linear, record.registers_size);
  return KT6_OK;
}

std::uint32_t KT6GetFrameBufferAddress(std::uint32_t bus, std::uint32_t device) {
  read_confreg_dword(pcicfg::kBar0, bus, device);
  return g_memoryMap.frame_buffer_linear;
}

std::uint32_t FrameBufferPhysicalBase() { return g_memoryMap.frame_buffer_physical; }

}  // namespace kt6
