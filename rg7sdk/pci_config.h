// PCI configuration access of the 700-series library. The driver back-end
// provides it (the NT driver's requests, or the PCI BIOS on Windows 95).
#pragma once

#include <cstdint>

namespace rg7 {

// Configuration-space offsets and bits the library reads and writes.
namespace pcicfg {
constexpr std::uint32_t kId = 0x00;  // device << 16 | vendor
constexpr std::uint32_t kCommand = 0x04;
constexpr std::uint32_t kRevision = 0x08;
constexpr std::uint32_t kClass = 0x0A;  // sub-class, class
constexpr std::uint32_t kLatencyTimer = 0x0D;
constexpr std::uint32_t kBar0 = 0x10;
constexpr std::uint32_t kBarCount = 6;
constexpr std::uint32_t kSubsystemVendor = 0x2C;
constexpr std::uint32_t kSubsystemId = 0x2E;
constexpr std::uint32_t kInterruptLine = 0x3C;
constexpr std::uint8_t kMemorySpaceEnable = 0x02;
constexpr std::uint8_t kBusMasterEnable = 0x04;
constexpr std::uint32_t kBarIoSpace = 0x1;
constexpr std::uint32_t kBarMemoryAddress = ~0xFu;
}  // namespace pcicfg

// What a failed read returns is the back-end's: the platform's last-error value
// from the NT driver, all ones from the PCI BIOS.
std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
// 0, or the back-end's failure value (the last-error value, or all ones).
std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device);

}  // namespace rg7
