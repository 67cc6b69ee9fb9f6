// PCI bus of the virtual PC: functions with a 256-byte configuration space each.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win_types.h"

namespace sim {

struct ConfigWrite {
  std::uint32_t offset;
  unsigned size;
  std::uint32_t value;
};

class PLATFORM_EXPORT PciFunction {
 public:
  PciFunction(std::uint8_t bus, std::uint8_t device);
  virtual ~PciFunction() = default;

  std::uint8_t bus() const { return bus_; }
  std::uint8_t device() const { return device_; }

  // Little-endian access; bytes outside the writable mask keep their value.
  std::uint32_t ReadConfig(std::uint32_t offset, unsigned size) const;
  void WriteConfig(std::uint32_t offset, unsigned size, std::uint32_t value);

  // Test view: raw bytes, and every configuration write in order.
  std::uint8_t ConfigByte(std::uint32_t offset) const;
  std::uint32_t ConfigDword(std::uint32_t offset) const;
  std::vector<ConfigWrite> ConfigWrites() const;
  void ClearConfigWrites();

 protected:
  // Set-up helpers for device models.
  void SetByte(std::uint32_t offset, std::uint8_t value);
  void SetWord(std::uint32_t offset, std::uint16_t value);
  void SetDword(std::uint32_t offset, std::uint32_t value);
  void SetWritable(std::uint32_t offset, std::uint32_t count, std::uint8_t mask = 0xFF);
  // Side effects of a configuration write, after the bytes have changed.
  virtual void OnConfigWrite(std::uint32_t, unsigned) {}

 private:
  std::uint8_t bus_;
  std::uint8_t device_;
  mutable std::mutex mutex_;
  std::array<std::uint8_t, 256> config_{};
  std::array<std::uint8_t, 256> writable_{};
  std::vector<ConfigWrite> writes_;
};

class PLATFORM_EXPORT PciBus {
 public:
  void Add(std::shared_ptr<PciFunction> function);
  PciFunction* Find(std::uint8_t bus, std::uint8_t device) const;
  const std::vector<std::shared_ptr<PciFunction>>& functions() const { return functions_; }

  // An absent function reads as all ones and ignores writes, as on real buses.
  std::uint32_t Read(std::uint8_t bus, std::uint8_t device, std::uint32_t offset, unsigned size) const;
  void Write(std::uint8_t bus, std::uint8_t device, std::uint32_t offset, unsigned size, std::uint32_t value);

 private:
  std::vector<std::shared_ptr<PciFunction>> functions_;
};

// Standard configuration offsets, and the limits of configuration addresses.
namespace pci {
constexpr std::uint32_t kConfigSpaceBytes = 256;
constexpr std::uint32_t kLastBus = 255;
constexpr std::uint32_t kLastDevice = 31;
constexpr std::uint32_t kVendorId = 0x00;
constexpr std::uint32_t kDeviceId = 0x02;
constexpr std::uint32_t kCommand = 0x04;
constexpr std::uint32_t kStatus = 0x06;
constexpr std::uint32_t kRevision = 0x08;
constexpr std::uint32_t kClassCode = 0x09;
constexpr std::uint32_t kLatencyTimer = 0x0D;
constexpr std::uint32_t kHeaderType = 0x0E;
constexpr std::uint32_t kBar0 = 0x10;
// The address bits of a memory base address register; the low four are its type.
constexpr std::uint32_t kMemoryBarAddress = ~0xFu;
constexpr std::uint32_t kSubsystemVendor = 0x2C;
constexpr std::uint32_t kSubsystemId = 0x2E;
constexpr std::uint32_t kInterruptLine = 0x3C;
constexpr std::uint32_t kInterruptPin = 0x3D;
}  // namespace pci

}  // namespace sim
