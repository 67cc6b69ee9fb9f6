// The link to KT6VXD95, the Windows 95 virtual device driver of the 650-series
// board: numbered requests on one device handle, opened when the library is
// attached to a process, and the records they carry.
#pragma once

#include <cstdint>

#include "kt6sdk/driver_link.h"
#include "platform/win_types.h"

namespace kt6 {

namespace vxd {
constexpr DWORD kMapMemory = 1000;
constexpr DWORD kUnmapMemory = 1001;
constexpr DWORD kRegisterInterrupt = 1004;
constexpr DWORD kSetEnabledSources = 1005;
constexpr DWORD kReadInterruptStatus = 1006;
constexpr DWORD kEndOfInterrupt = 1007;
constexpr DWORD kSerialBusBegin = 1011;
constexpr DWORD kSerialBusEnd = 1012;
constexpr DWORD kLockPageList = 1013;
constexpr DWORD kReleasePageList = 1014;
constexpr DWORD kVersion = 1015;
}  // namespace vxd

#pragma pack(push, 1)

// The two windows of a board, as the VxD maps them (requests 1000 and 1001).
struct MemoryMapRecord {
  std::uint32_t frame_buffer_physical;
  std::uint32_t frame_buffer_linear;  // filled by the VxD
  std::uint32_t frame_buffer_size;
  std::uint32_t registers_physical;
  std::uint32_t registers_linear;  // filled by the VxD
  std::uint32_t registers_size;
};
static_assert(sizeof(MemoryMapRecord) == 24);

// The interrupt event as the VxD is told about it (request 1004); handles travel as
// 32 bits, which the platform's handle values fit. Event and thread 0 remove it.
struct IRQRegistration {
  std::uint16_t irq_line;
  std::uint32_t event;
  std::uint32_t ring0_event;
  std::uint32_t thread;
  std::uint8_t reserved[6];
};
static_assert(sizeof(IRQRegistration) == 20);

#pragma pack(pop)

// A request on the VxD handle; false when it fails (or there is no VxD).
bool VxdRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

// The windows of the board at (bus, device) as its base registers place them, with
// this much of chip 0x8A22's frame buffer.
MemoryMapRecord BoardWindows(std::uint16_t chip, std::uint32_t bus, std::uint32_t device,
                             std::uint32_t frameBufferSize8A22);

// The windows mapped last (zero before the first mapping); the VxD releases them
// when the library is detached.
MemoryMapRecord MappedBoardMemory();
void ForgetBoardMemory();

}  // namespace kt6
