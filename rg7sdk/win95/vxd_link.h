// The link to RG700W95, the Windows 95 virtual device driver of the RG-700 boards:
// it maps the register windows, pins buffers and reports interrupts.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "rg7sdk/driver_link.h"

namespace rg7 {

namespace vxd {
constexpr DWORD kMapMemory = 1000;
constexpr DWORD kUnmapMemory = 1001;
constexpr DWORD kRegisterIrq = 1004;
constexpr DWORD kReadIrqStatus = 1006;
constexpr DWORD kEndOfInterrupt = 1007;
constexpr DWORD kLockPages = 1013;
constexpr DWORD kUnlockPages = 1014;
}  // namespace vxd

struct RG7MapRecord {
  std::uint32_t physical;
  std::uint32_t linear;  // filled by the VxD
  std::uint32_t length;
};
static_assert(sizeof(RG7MapRecord) == 12);

// The interrupt event as the VxD is told about it.
struct RG7IrqRegistration {
  std::uint16_t line;
  std::uint16_t slot;
  std::uint32_t event;  // the platform's handle values fit in 32 bits
  std::uint32_t ring0_event;
  std::uint32_t thread;
  std::uint8_t reserved[8];
  std::uint32_t enabled_mask;
  std::uint32_t registered;
};
static_assert(sizeof(RG7IrqRegistration) == 32);

// The VxD's page list of a pinned buffer: the header and 512 entries at most.
constexpr DWORD kPageListReplySize = 4112;
constexpr std::uint32_t kPageListReplyEntries = (kPageListReplySize - 16) / sizeof(PhysicalPageEntry);

// A request on the VxD handle; false with the platform's last error set on failure.
bool VxdRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

// The linear address of a physical range, 0 when the VxD cannot map it.
std::uint32_t DrvMapMemory(std::uint32_t physical, std::uint32_t length);

}  // namespace rg7
