// A handle on KT6DRIVE as the 650-series library opens it, and its controls.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "sim/kt650/kt6_nt_driver.h"

namespace sim_test {

inline HANDLE OpenKt6Nt() {
  return CreateFileA("\\\\.\\KT6DRIVE", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

struct Kt6Nt {
  HANDLE h = OpenKt6Nt();
  ~Kt6Nt() { CloseHandle(h); }
  // ERROR_SUCCESS or the last error.
  DWORD Call(DWORD code, const void* in = nullptr, DWORD inSize = 0, void* out = nullptr, DWORD outSize = 0) {
    SetLastError(ERROR_SUCCESS);
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr);
    return ok ? ERROR_SUCCESS : GetLastError();
  }
  std::vector<std::uint8_t> Map() {
    std::vector<std::uint8_t> info(sim::kt6nt::kMapInfoSize, 0xCC);
    EXPECT_EQ(Call(sim::kt6nt::kMap, nullptr, 0, info.data(), sim::kt6nt::kMapInfoSize), ERROR_SUCCESS);
    return info;
  }
  // The request as it comes back: for a read, the value at offset 8.
  DWORD Config(DWORD code, sim::Kt6PciConfigRequest* r) { return Call(code, r, sizeof *r, r, sizeof *r); }
  DWORD Register(HANDLE event, std::uint32_t thread = 0x77) {
    sim::Kt6IrqRegistrationNT r{0, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(event)), thread};
    return Call(sim::kt6nt::kRegisterIrq, &r, sizeof r);
  }
  DWORD SetSources(std::uint16_t enabled) {
    sim::Kt6IrqStatusRecord r{};
    r.enabled_sources = enabled;
    return Call(sim::kt6nt::kSetSources, &r, sizeof r);
  }
  sim::Kt6IrqStatusRecord ReadStatus() {
    sim::Kt6IrqStatusRecord r{};
    EXPECT_EQ(Call(sim::kt6nt::kReadStatus, nullptr, 0, &r, sizeof r), ERROR_SUCCESS);
    return r;
  }
  DWORD EndOfInterrupt() { return Call(sim::kt6nt::kEndOfInterrupt); }
};

}  // namespace sim_test
