// PCI configuration access of the 700-series library. The driver back-end
// provides it (the NT driver's requests, or the PCI BIOS on Windows 95).
#pragma once

#include <cstdint>

namespace rg7 {

// A failed read returns the platform's last-error value instead of the data.
std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
// 0, or the platform's last-error value.
std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device);
std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device);

}  // namespace rg7
