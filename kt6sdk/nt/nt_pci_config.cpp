// PCI configuration space through the NT driver: one control a read or write of 1,
// 2 or 4 bytes, with bus and device as given (no pair is remembered).
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/nt/nt_driver.h"
#include "platform/last_error.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::uint32_t kWordMask = 0xFFFF;
constexpr std::uint32_t kDwordMask = 0xFFFFFFFF;

// The value read (the low `mask` bits of the driver's answer), or the driver's
// error code whole: a failed read cannot be told from a value.
std::uint32_t Read(std::uint32_t reg, std::uint32_t bus, std::uint32_t device, std::uint32_t size, std::uint32_t mask) {
  PciConfigRequest request{bus, device, 0, reg, size};
  PciConfigRequest answer{};
  if (!DriverControl(ntctl::kReadConfig, &request, sizeof request, &answer, sizeof answer)) return GetLastError();
  return answer.value & mask;
}

std::uint32_t Write(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device,
                    std::uint32_t size) {
  PciConfigRequest request{bus, device, value, reg, size};
  if (!DriverControl(ntctl::kWriteConfig, &request, sizeof request, nullptr, 0)) return GetLastError();
  return 0;
}

}  // namespace

// The driver reaches every bus it counted; the scan asks it which.
bool DrvPciPresent(std::uint8_t* lastBus) {
  *lastBus = 0;
  return true;
}

}  // namespace kt6

std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return kt6::Read(reg, bus, device, 1, kt6::kByteMask);
}

std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return kt6::Read(reg, bus, device, 2, kt6::kWordMask);
}

std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return kt6::Read(reg, bus, device, 4, kt6::kDwordMask);
}

std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return kt6::Write(value & kt6::kByteMask, reg, bus, device, 1);
}

std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return kt6::Write(value & kt6::kWordMask, reg, bus, device, 2);
}

std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return kt6::Write(value, reg, bus, device, 4);
}
