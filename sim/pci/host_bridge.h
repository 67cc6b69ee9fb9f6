// A host bridge (or other chip the driver reports with the bridges, such as a
// display chip). Its chipset registers (0x40 and up) keep what is written, so a
// test can read each fix-up back from configuration space.
#pragma once

#include "sim/pci/pci_bus.h"

namespace sim {

struct HostBridgeDesc {
  std::uint16_t vendor = 0x8086;
  std::uint16_t device = 0x1237;
  std::uint8_t revision = 0;
  std::uint8_t bus = 0;
  std::uint8_t device_number = 0;
  std::uint32_t class_code = 0x060000;  // host bridge; 0x030000 for a display chip
  // Initial values of chipset registers, offset -> byte.
  std::vector<std::pair<std::uint8_t, std::uint8_t>> registers;
};

class PLATFORM_EXPORT HostBridge : public PciFunction {
 public:
  explicit HostBridge(const HostBridgeDesc& desc);
  const HostBridgeDesc& desc() const { return desc_; }

 private:
  HostBridgeDesc desc_;
};

}  // namespace sim
