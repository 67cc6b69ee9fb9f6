// The RG-700's serial (I2C) bus, bit-banged through the bridge's I2C control
// register. Every line change is made in the current board node's control shadow
// and the whole shadow is written to the register; the register is read only to
// sense the lines. Bits 1, 6 and 7 of the shadow belong to others and are kept.
#pragma once

#include <cstdint>
#include <mutex>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/rg700_registers.h"

namespace rg7 {

// Flags of RG7I2CSetLines.
constexpr std::uint32_t kLinesClockHigh = 0x01;
constexpr std::uint32_t kLinesDataReleased = 0x08;

// Bus addresses, write form; the read form is one more.
constexpr std::uint8_t kBt829aAddress = 0x88;
constexpr std::uint8_t kVpc32x5cAddress = 0x8E;

// Held around every transaction and by any other writer of the control shadow:
// the interrupt service thread may reach the bus as well as the caller's threads.
std::mutex& SerialBusMutex();

// Line primitives and conditions on `node`'s shadow, through the current
// register window.
void RG7I2CBitDelay();
void RG7I2CSetLines(BoardNode& node, std::uint32_t flags);
void RG7I2CSetData(BoardNode& node, std::uint32_t level);
std::uint32_t RG7I2CReadData();
void RG7I2CWaitClockHigh();
void RG7I2CStart(BoardNode& node);
void RG7I2CStop(BoardNode& node);
// Returns the acknowledge bit: 0 = acknowledged.
std::uint32_t RG7I2CSendByte(BoardNode& node, std::uint8_t value);
std::uint32_t RG7I2CReadAck(BoardNode& node);
// answer: 0 = acknowledge, 1 = no acknowledge.
std::uint8_t RG7I2CReceiveByte(BoardNode& node, std::uint32_t answer);
void RG7I2CSendAck(BoardNode& node, std::uint32_t answer);

// Register transactions; the caller holds SerialBusMutex(). Missing acknowledges
// are not looked at: each runs to its stop condition.
void I2CWriteByte(BoardNode& node, std::uint8_t device, std::uint8_t reg, std::uint8_t value);
std::uint8_t I2CReadByte(BoardNode& node, std::uint8_t device, std::uint8_t reg);
void I2CWriteWord(BoardNode& node, std::uint8_t device, std::uint8_t reg, std::uint16_t value);
std::uint16_t I2CReadWord(BoardNode& node, std::uint8_t device, std::uint8_t reg);

}  // namespace rg7
