#include "sim/pci/host_bridge.h"

namespace sim {

HostBridge::HostBridge(const HostBridgeDesc& desc) : PciFunction(desc.bus, desc.device_number), desc_(desc) {
  SetWord(pci::kVendorId, desc.vendor);
  SetWord(pci::kDeviceId, desc.device);
  SetByte(pci::kRevision, desc.revision);
  SetByte(pci::kClassCode, static_cast<std::uint8_t>(desc.class_code));
  SetByte(pci::kClassCode + 1, static_cast<std::uint8_t>(desc.class_code >> 8));
  SetByte(pci::kClassCode + 2, static_cast<std::uint8_t>(desc.class_code >> 16));
  SetWord(pci::kCommand, 0x0006);
  SetWritable(pci::kCommand, 1);
  SetWritable(0x40, 0xC0);
  for (auto [offset, value] : desc.registers) SetByte(offset, value);
}

}  // namespace sim
