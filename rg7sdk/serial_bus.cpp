#include "rg7sdk/serial_bus.h"

#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

// Bounded waits on a line: a device that never lets go must not hang the caller.
constexpr int kLineWaitReads = 80;
constexpr int kBitDelayNops = 42;

void WriteShadow(const BoardNode& node) { IHW_SetRegister(reg::kI2cControl, node.serial_bus_shadow); }

void SetShadowBit(BoardNode& node, std::uint32_t bit, bool on) {
  if (on)
    node.serial_bus_shadow |= bit;
  else
    node.serial_bus_shadow &= ~bit;
}

void WaitData(std::uint32_t level) {
  for (int i = 0; i < kLineWaitReads && RG7I2CReadData() != level; ++i) {
  }
}

}  // namespace

std::mutex& SerialBusMutex() {
  static std::mutex m;
  return m;
}

void RG7I2CBitDelay() {
  for (int i = 0; i < kBitDelayNops; ++i) __asm__ __volatile__("nop");
}

void RG7I2CSetLines(BoardNode& node, std::uint32_t flags) {
  node.serial_bus_shadow &= ~(reg::kI2cClockOut | reg::kI2cDataOut);
  if (flags & kLinesClockHigh) node.serial_bus_shadow |= reg::kI2cClockOut;
  if (flags & kLinesDataReleased) node.serial_bus_shadow |= reg::kI2cDataOut;
  for (int i = 0; i < 4; ++i) RG7I2CBitDelay();
  WriteShadow(node);
  for (int i = 0; i < 10; ++i) RG7I2CBitDelay();
}

void RG7I2CSetData(BoardNode& node, std::uint32_t level) {
  SetShadowBit(node, reg::kI2cDataValue, level != 0);
  node.serial_bus_shadow &= ~reg::kI2cDataOut;
  RG7I2CBitDelay();
  WriteShadow(node);
  RG7I2CBitDelay();
}

std::uint32_t RG7I2CReadData() {
  RG7I2CBitDelay();
  return (IHW_GetRegister(reg::kI2cControl) & reg::kI2cDataIn) ? 1 : 0;
}

void RG7I2CWaitClockHigh() {
  for (int i = 0; i < kLineWaitReads; ++i)
    if (IHW_GetRegister(reg::kI2cControl) & reg::kI2cClockIn) return;
}

void RG7I2CStart(BoardNode& node) {
  node.serial_bus_shadow |= reg::kI2cDataValue;
  RG7I2CSetLines(node, kLinesClockHigh);
  WaitData(1);
  RG7I2CSetData(node, 0);  // data falls while the clock is high
  RG7I2CSetLines(node, 0);
}

void RG7I2CStop(BoardNode& node) {
  RG7I2CSetLines(node, 0);
  RG7I2CSetData(node, 0);
  WaitData(0);
  RG7I2CSetLines(node, kLinesClockHigh);
  RG7I2CSetData(node, 1);  // data rises while the clock is high
  WaitData(1);
  RG7I2CSetLines(node, kLinesClockHigh | kLinesDataReleased);
}

std::uint32_t RG7I2CSendByte(BoardNode& node, std::uint8_t value) {
  for (int bit = 7; bit >= 0; --bit) {
    RG7I2CSetData(node, (value >> bit) & 1);
    RG7I2CSetLines(node, kLinesClockHigh);
    RG7I2CSetLines(node, 0);
  }
  return RG7I2CReadAck(node);
}

std::uint32_t RG7I2CReadAck(BoardNode& node) {
  RG7I2CSetLines(node, kLinesDataReleased);
  RG7I2CSetLines(node, kLinesClockHigh | kLinesDataReleased);
  std::uint32_t ack = RG7I2CReadData();
  RG7I2CSetLines(node, kLinesDataReleased);
  return ack;
}

std::uint8_t RG7I2CReceiveByte(BoardNode& node, std::uint32_t answer) {
  std::uint8_t value = 0;
  for (int bit = 0; bit < 8; ++bit) {
    RG7I2CSetLines(node, kLinesClockHigh | kLinesDataReleased);
    RG7I2CWaitClockHigh();
    value = static_cast<std::uint8_t>(value << 1 | RG7I2CReadData());
    RG7I2CSetLines(node, kLinesDataReleased);
  }
  RG7I2CSendAck(node, answer);
  return value;
}

void RG7I2CSendAck(BoardNode& node, std::uint32_t answer) {
  SetShadowBit(node, reg::kI2cDataValue, answer != 0);
  RG7I2CSetLines(node, 0);
  RG7I2CSetLines(node, kLinesClockHigh);
  RG7I2CSetLines(node, 0);
  node.serial_bus_shadow |= reg::kI2cDataValue;
  RG7I2CSetLines(node, kLinesDataReleased);
}

void I2CWriteByte(BoardNode& node, std::uint8_t device, std::uint8_t reg, std::uint8_t value) {
  RG7I2CStart(node);
  RG7I2CSendByte(node, device);
  RG7I2CSendByte(node, reg);
  RG7I2CSendByte(node, value);
  RG7I2CStop(node);
}

std::uint8_t I2CReadByte(BoardNode& node, std::uint8_t device, std::uint8_t reg) {
  RG7I2CStart(node);
  RG7I2CSendByte(node, device);
  RG7I2CSendByte(node, reg);
  RG7I2CStart(node);  // repeated start
  RG7I2CSendByte(node, static_cast<std::uint8_t>(device + 1));
  std::uint8_t value = RG7I2CReceiveByte(node, 1);
  RG7I2CStop(node);
  return value;
}

void I2CWriteWord(BoardNode& node, std::uint8_t device, std::uint8_t reg, std::uint16_t value) {
  RG7I2CStart(node);
  RG7I2CSendByte(node, device);
  RG7I2CSendByte(node, reg);
  RG7I2CSendByte(node, static_cast<std::uint8_t>(value >> 8));
  RG7I2CSendByte(node, static_cast<std::uint8_t>(value));
  RG7I2CStop(node);
}

std::uint16_t I2CReadWord(BoardNode& node, std::uint8_t device, std::uint8_t reg) {
  RG7I2CStart(node);
  RG7I2CSendByte(node, device);
  RG7I2CSendByte(node, reg);
  RG7I2CStart(node);
  RG7I2CSendByte(node, static_cast<std::uint8_t>(device + 1));
  std::uint8_t high = RG7I2CReceiveByte(node, 0);
  std::uint8_t low = RG7I2CReceiveByte(node, 1);
  RG7I2CStop(node);
  return static_cast<std::uint16_t>(high << 8 | low);
}

}  // namespace rg7
