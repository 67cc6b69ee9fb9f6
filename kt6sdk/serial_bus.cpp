#include "kt6sdk/serial_bus.h"

#include <initializer_list>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/serial_bus_owner.h"

namespace kt6 {
namespace {

using namespace serialport;

// Sequencer register that routes the lines to the board's status device.
constexpr std::uint8_t kSrStatusRouting = vga::kSrStatusRouting;

void Write(std::uint32_t value) { KT6MMIOWrite32Raw(kRegister, value); }
std::uint32_t Read() { return KT6MMIORead32Raw(kRegister); }

// The outputs that keep the lines as they are sensed now.
std::uint32_t SensedAsOutputs() { return (Read() >> 2) & (kData | kClock); }

void Bits(std::initializer_list<std::uint32_t> values) {
  for (std::uint32_t v : values) Write(v);
}

void RouteToStatusDevice(bool on) { KT6ProgramIOWrite(vga::kSequencerIndex, kSrStatusRouting, on ? 1 : 0); }

}  // namespace

void I2CStart() { Bits({kEnable | kData | kClock, kEnable | kClock, kEnable}); }

void I2CWriteByte(std::uint8_t byte) {
  for (int bit = 7; bit >= 0; --bit) {
    std::uint32_t d = (byte >> bit) & 1 ? kData : 0;
    Bits({kEnable | d, kEnable | d | kClock, kEnable | d});
  }
  I2CAckClock();
}

// The data line is released for one clock and not looked at.
void I2CAckClock() { Bits({kEnable | kData, kEnable | kData | kClock, kEnable | kData}); }

void I2CNoAck() { I2CAckClock(); }

std::uint8_t I2CReadByte() {
  std::uint8_t byte = 0;
  for (int bit = 0; bit < 8; ++bit) {
    Write(kEnable | kData);
    Write(kEnable | kData | kClock);
    byte = static_cast<std::uint8_t>(byte << 1 | ((Read() & kDataSensed) ? 1 : 0));
  }
  I2CNoAck();
  return byte;
}

void KT6I2CStop() { Bits({kEnable, kEnable | kClock, kEnable | kData | kClock}); }

// The counter is volatile so that the compiler keeps the loop.
void CountRounds(std::uint32_t rounds) {
  for (volatile std::uint32_t i = 0; i < rounds;) i = i + 1;
}

void KT6I2CDelay() { CountRounds(g_state.i2c_timing_counter.load(std::memory_order_relaxed)); }

void KT6I2CSetSDA(std::uint32_t level) {
  std::uint32_t v = SensedAsOutputs();
  v = level ? v | kData : v & ~kData;
  Write(v | kEnable);
}

void KT6I2CSetLines(std::uint32_t data, std::uint32_t clock) {
  std::uint32_t v = SensedAsOutputs();
  if (data) v |= kData;
  v = clock ? v | kClock : v & ~kClock;
  Write(v | kEnable);
}

void KT6I2CBusStart() { KT6I2CSetSDA(0); }

void KT6I2CBusStop() {
  KT6I2CSetLines(0, 0);
  KT6I2CSetSDA(0);
  KT6I2CDelay();
  KT6I2CSetLines(0, 1);
  KT6I2CDelay();
  KT6I2CSetSDA(1);
  KT6I2CDelay();
}

std::int32_t KT6I2CBusSendByte(std::uint8_t byte) {
  for (int bit = 7; bit >= 0; --bit) {
    KT6I2CSetLines(0, 0);
    KT6I2CSetSDA((byte >> bit) & 1);
    KT6I2CDelay();
    KT6I2CSetLines(0, 1);
    KT6I2CDelay();
  }
  KT6I2CSetLines(0, 0);
  KT6I2CSetSDA(1);
  KT6I2CDelay();
  KT6I2CSetLines(1, 1);
  KT6I2CDelay();
  return 0;
}

std::uint8_t KT6I2CBusReceiveByte() {
  std::uint8_t byte = 0;
  for (int bit = 0; bit < 8; ++bit) {
    KT6I2CSetLines(1, 0);
    KT6I2CDelay();
    KT6I2CSetLines(1, 1);
    KT6I2CDelay();
    byte = static_cast<std::uint8_t>(byte << 1 | ((Read() & kDataSensed) ? 1 : 0));
  }
  KT6I2CSetLines(0, 0);
  KT6I2CSetSDA(1);
  KT6I2CDelay();
  KT6I2CSetLines(0, 1);
  KT6I2CDelay();
  return byte;
}

void KT6I2CRepeatedStart() {
  KT6I2CSetLines(0, 0);
  KT6I2CSetSDA(1);
  KT6I2CDelay();
  KT6I2CSetLines(1, 1);
  KT6I2CDelay();
  KT6I2CSetSDA(0);
}

void KT6I2CIdle() {
  if (g_state.chip_id == kChip8A01 || g_state.chip_id == kChip5631) RouteToStatusDevice(false);
  Write(kIdle);
}

void KT6I2CDisable() { Write(0); }

void KT6I2CWriteByte(std::uint8_t device, std::uint8_t value) {
  SerialBusHold bus;
  DrvSerialBusBegin();
  KT6I2CBusStart();
  if (KT6I2CBusSendByte(device) == 0) KT6I2CBusSendByte(value);
  KT6I2CBusStop();
  DrvSerialBusEnd();
}

std::uint8_t KT6SerialReadBytes(std::uint32_t count, std::uint8_t out) {
  SerialBusHold bus;
  RouteToStatusDevice(true);
  Bits({kEnable | kData | kClock, kEnable | kClock, kEnable | kData});
  std::uint8_t first = I2CReadByte();
  std::uint8_t last = first;
  if (count > 1) last = I2CReadByte();
  if (count > 2) I2CWriteByte(out);
  if (count > 3) last = I2CReadByte();
  if (count > 4) last = I2CReadByte();
  KT6I2CStop();
  // The lines as the first byte reported them.
  Write((first & 0x04) ? (first & 0x03) | kEnable : (first & 0x01) | kEnable | kData);
  RouteToStatusDevice(false);
  return last;
}

}  // namespace kt6
