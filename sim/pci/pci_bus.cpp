#include "sim/pci/pci_bus.h"

#include "sim/bounded_log.h"

namespace sim {

PciFunction::PciFunction(std::uint8_t bus, std::uint8_t device) : bus_(bus), device_(device) {}

std::uint32_t PciFunction::ReadConfig(std::uint32_t offset, unsigned size) const {
  std::lock_guard lock(mutex_);
  std::uint32_t value = 0;
  for (unsigned i = 0; i < size && offset + i < 256; ++i) value |= std::uint32_t{config_[offset + i]} << (8 * i);
  return value;
}

void PciFunction::WriteConfig(std::uint32_t offset, unsigned size, std::uint32_t value) {
  {
    std::lock_guard lock(mutex_);
    AppendBounded(writes_, ConfigWrite{offset, size, value});
    for (unsigned i = 0; i < size && offset + i < 256; ++i) {
      std::uint8_t byte = static_cast<std::uint8_t>(value >> (8 * i));
      std::uint8_t mask = writable_[offset + i];
      config_[offset + i] = static_cast<std::uint8_t>((config_[offset + i] & ~mask) | (byte & mask));
    }
  }
  OnConfigWrite(offset, size);
}

std::uint8_t PciFunction::ConfigByte(std::uint32_t offset) const {
  return static_cast<std::uint8_t>(ReadConfig(offset, 1));
}
std::uint32_t PciFunction::ConfigDword(std::uint32_t offset) const { return ReadConfig(offset, 4); }

std::vector<ConfigWrite> PciFunction::ConfigWrites() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

void PciFunction::ClearConfigWrites() {
  std::lock_guard lock(mutex_);
  writes_.clear();
}

void PciFunction::SetByte(std::uint32_t offset, std::uint8_t value) {
  std::lock_guard lock(mutex_);
  config_[offset] = value;
}

void PciFunction::SetWord(std::uint32_t offset, std::uint16_t value) {
  SetByte(offset, static_cast<std::uint8_t>(value));
  SetByte(offset + 1, static_cast<std::uint8_t>(value >> 8));
}

void PciFunction::SetDword(std::uint32_t offset, std::uint32_t value) {
  SetWord(offset, static_cast<std::uint16_t>(value));
  SetWord(offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void PciFunction::SetWritable(std::uint32_t offset, std::uint32_t count, std::uint8_t mask) {
  std::lock_guard lock(mutex_);
  for (std::uint32_t i = 0; i < count && offset + i < 256; ++i) writable_[offset + i] = mask;
}

void PciBus::Add(std::shared_ptr<PciFunction> function) { functions_.push_back(std::move(function)); }

PciFunction* PciBus::Find(std::uint8_t bus, std::uint8_t device) const {
  for (const auto& f : functions_)
    if (f->bus() == bus && f->device() == device) return f.get();
  return nullptr;
}

std::uint32_t PciBus::Read(std::uint8_t bus, std::uint8_t device, std::uint32_t offset, unsigned size) const {
  PciFunction* f = Find(bus, device);
  if (!f) return size >= 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
  return f->ReadConfig(offset, size);
}

void PciBus::Write(std::uint8_t bus, std::uint8_t device, std::uint32_t offset, unsigned size, std::uint32_t value) {
  if (PciFunction* f = Find(bus, device)) f->WriteConfig(offset, size, value);
}

}  // namespace sim
