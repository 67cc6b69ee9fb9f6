// A handle on KT6VXD95 as the 650-series library opens it, and its requests.
#pragma once

#include <gtest/gtest.h>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "sim/kt650/kt6_w95_vxd.h"

namespace sim_test {

inline HANDLE OpenKt6Vxd() {
  return CreateFileA("\\\\.\\KT6VXD95.VXD", 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

struct Kt6Vxd {
  HANDLE h = OpenKt6Vxd();
  ~Kt6Vxd() { CloseHandle(h); }
  // ERROR_SUCCESS or the last error.
  DWORD Call(DWORD code, const void* in = nullptr, DWORD inSize = 0, void* out = nullptr, DWORD outSize = 0) {
    SetLastError(ERROR_SUCCESS);
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr);
    return ok ? ERROR_SUCCESS : GetLastError();
  }
  DWORD Map(sim::Kt6MapRecord* r) { return Call(sim::kt6w95::kMapMemory, r, sizeof *r, r, sizeof *r); }
  DWORD Register(const sim::Kt6IrqRegistration& r, DWORD size = sizeof(sim::Kt6IrqRegistration)) {
    return Call(sim::kt6w95::kRegisterIrq, &r, size);
  }
  DWORD SetSources(const sim::Kt6IrqStatusRecord& r) { return Call(sim::kt6w95::kSetSources, &r, sizeof r); }
  sim::Kt6IrqStatusRecord ReadStatus() {
    sim::Kt6IrqStatusRecord r{};
    EXPECT_EQ(Call(sim::kt6w95::kReadStatus, nullptr, 0, &r, sizeof r), ERROR_SUCCESS);
    return r;
  }
  DWORD EndOfInterrupt() { return Call(sim::kt6w95::kEndOfInterrupt); }
};

}  // namespace sim_test
