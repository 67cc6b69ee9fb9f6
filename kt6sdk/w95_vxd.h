// The link to KT6VXD95, the Windows 95 virtual device driver of the 650-series
// board: numbered requests on one device handle, opened when the library is
// attached to a process.
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

// A request on the VxD handle; false when it fails (or there is no VxD).
bool VxdRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

// The windows mapped last (zero before the first mapping); the VxD releases them
// when the library is detached.
MemoryMapRecord MappedBoardMemory();
void ForgetBoardMemory();

}  // namespace kt6
