// The board's serial bus, driven bit by bit through the chip's serial-port
// register: an untimed family (one register write a step, for the board-control
// device and the status byte) and a timed family (a counted delay after each edge,
// for the decoders and every transaction the driver brackets). The caller holds
// the bus (serial_bus_owner.h) around each transaction.
#pragma once

#include <cstdint>

namespace kt6 {

namespace serialport {
constexpr std::uint32_t kRegister = 0xFF20;
constexpr std::uint32_t kClock = 0x01;  // outputs: 1 releases the line (high)
constexpr std::uint32_t kData = 0x02;
constexpr std::uint32_t kClockSensed = 0x04;
constexpr std::uint32_t kDataSensed = 0x08;
constexpr std::uint32_t kEnable = 0x10;
constexpr std::uint32_t kIdle = kEnable | kData | kClock;
}  // namespace serialport

// Untimed family.
void I2CStart();
void I2CWriteByte(std::uint8_t byte);
void I2CAckClock();
void I2CNoAck();
std::uint8_t I2CReadByte();
void KT6I2CStop();

// Timed family.
// The delay's empty counting loop, which the calibration measures.
void CountRounds(std::uint32_t rounds);
void KT6I2CDelay();
void KT6I2CSetSDA(std::uint32_t level);
void KT6I2CSetLines(std::uint32_t data, std::uint32_t clock);
void KT6I2CBusStart();
void KT6I2CBusStop();
// Always 0: the acknowledge is not sampled, so a transaction runs all its bytes.
std::int32_t KT6I2CBusSendByte(std::uint8_t byte);
std::uint8_t KT6I2CBusReceiveByte();
void KT6I2CRepeatedStart();

// Both lines released with the port on (the older chips' status routing off
// first), or the port off.
void KT6I2CIdle();
void KT6I2CDisable();

// One byte to a device, between the driver's serial-bus requests.
void KT6I2CWriteByte(std::uint8_t device, std::uint8_t value);
// The board's status bytes: counts 1, 2 and 5 read one, two, or two, then `out`
// written, then two more. The last byte read.
std::uint8_t KT6SerialReadBytes(std::uint32_t count, std::uint8_t out);

}  // namespace kt6
